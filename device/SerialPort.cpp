#include "device/SerialPort.h"

#include "platform/Clock.h"

#include <cstring>

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
    for (int attempt = 0; attempt < LineReads; ++attempt) {
        int n = read(buffer + received, capacity - 1 - received);
        if (n < 0)
            return -1;
        if (n > 0) {
            received += n;
            buffer[received] = 0;
            // The whole collection is searched: CR and LF may come in different reads.
            for (int i = 0; i + 1 < received; ++i) {
                if (buffer[i] == '\r' && buffer[i + 1] == '\n')
                    return received;
            }
        }
    }
    return received;
}
