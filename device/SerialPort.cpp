#include "device/SerialPort.h"

#include "platform/Clock.h"

#include <cctype>
#include <cstring>
#include <utility>

namespace {
thread_local SerialPort::OpenFailure lastFailure;
}

const SerialPort::OpenFailure& SerialPort::lastOpenFailure() {
    return lastFailure;
}

void SerialPort::noteOpenFailure(OpenFailure failure) {
    lastFailure = std::move(failure);
}

void SerialPort::close(std::unique_ptr<SerialPort>& port) {
    port.reset();
}

int SerialPort::sendPaced(const std::uint8_t* bytes, int count, int pauseMs) {
    platform::sleepMs(pauseMs);
    for (int i = 0; i < count; ++i) {
        if (write(bytes + i, 1) != 1)
            return -1;
        platform::sleepMs(pauseMs);
    }
    return count;
}

int SerialPort::receiveLine(std::uint8_t* buffer, int capacity) {
    if (capacity <= 0)
        return 0;
    int received = 0;
    buffer[0] = 0;
    // Only a read that waited and got nothing counts: a reply that keeps arriving, however
    // slowly and in however many pieces, is taken, while a silent device is given up after
    // five idle waits and a device that streams without a line end when the buffer is full.
    int idleReads = 0;
    while (received < capacity - 1) {
        int n = read(buffer + received, capacity - 1 - received);
        if (n < 0)
            return -1;
        if (n == 0) {
            if (++idleReads == LineReads)
                break;
            continue;
        }
        received += n;
        buffer[received] = 0;
        // The whole collection is searched: CR and LF may come in different reads.
        for (int i = 0; i + 1 < received; ++i) {
            if (buffer[i] == '\r' && buffer[i + 1] == '\n')
                return received;
        }
    }
    return received;
}

int SerialPort::comNumber(const std::string& name) {
    if (name.size() < 4 || name.size() > 8)
        return 0;
    for (int i = 0; i < 3; ++i)
        if (std::tolower(static_cast<unsigned char>(name[static_cast<std::size_t>(i)])) != "com"[i])
            return 0;
    int n = 0;
    for (std::size_t i = 3; i < name.size(); ++i) {
        if (!std::isdigit(static_cast<unsigned char>(name[i])))
            return 0;
        n = n * 10 + (name[i] - '0');
    }
    return n;
}
