#include "device/CommandLink.h"

#include "platform/Clock.h"

#include <cstdint>
#include <cstring>

namespace {
constexpr std::string_view SyncReply = "NG\r\n";
}

CommandLink::CommandLink(int pauseMs, std::string identity)
    : pauseMs_(pauseMs), identity_(std::move(identity)) {}

DeviceResult CommandLink::connect(const std::string& portName) {
    port_ = SerialPort::open(portName, Baud);
    if (!port_)
        return DeviceResult::OpenFailed;
    DeviceResult result = synchronise();
    if (result == DeviceResult::Ok) {
        std::string reply;
        result = transact("I", reply);
        if (result == DeviceResult::Ok && reply != identity_ + "\r\n")
            result = DeviceResult::BadReply;
    }
    if (result != DeviceResult::Ok)
        SerialPort::close(port_);
    return result;
}

DeviceResult CommandLink::synchronise() {
    const std::uint8_t sync = 'X';
    std::uint8_t buffer[ReplyCapacity + 1];
    for (int attempt = 0; attempt < SyncAttempts; ++attempt) {
        if (port_->write(&sync, 1) != 1)
            return DeviceResult::LinkError;
        platform::sleepMs(SyncSettleMs);
        // Each attempt starts with an empty collection, so stray bytes ahead of the answer
        // spoil only that attempt.
        int collected = 0;
        while (collected < ReplyCapacity) {
            int n = port_->read(buffer + collected, ReplyCapacity - collected);
            if (n < 0)
                return DeviceResult::LinkError;
            if (n == 0)
                break;
            collected += n;
            if (std::string_view(reinterpret_cast<char*>(buffer), collected) == SyncReply)
                return DeviceResult::Ok;
        }
    }
    return DeviceResult::BadReply;
}

void CommandLink::disconnect() {
    SerialPort::close(port_);
}

DeviceResult CommandLink::send(std::string_view command) {
    if (!port_)
        return DeviceResult::NotConnected;
    int count = static_cast<int>(command.size());
    if (port_->sendPaced(reinterpret_cast<const std::uint8_t*>(command.data()), count, pauseMs_) !=
        count)
        return DeviceResult::LinkError;
    return DeviceResult::Ok;
}

DeviceResult CommandLink::transact(std::string_view command, std::string& reply) {
    DeviceResult sent = send(command);
    if (sent != DeviceResult::Ok)
        return sent;
    std::uint8_t buffer[ReplyCapacity + 1];
    int n = port_->receiveLine(buffer, ReplyCapacity);
    if (n < 0)
        return DeviceResult::LinkError;
    reply.assign(reinterpret_cast<char*>(buffer), static_cast<size_t>(n));
    return DeviceResult::Ok;
}

DeviceResult CommandLink::transactOk(std::string_view command) {
    std::string reply;
    DeviceResult r = transact(command, reply);
    if (r != DeviceResult::Ok)
        return r;
    return reply == "OK\r\n" ? DeviceResult::Ok : DeviceResult::BadReply;
}
