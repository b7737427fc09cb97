#include "firmware/BootLoader.h"

#include "device/CommandLink.h"

namespace BootLoader {

namespace {

CommandLink& link() {
    static CommandLink theLink(PauseMs, "UPDATER");
    return theLink;
}

DeviceResult expectOk(std::string_view command) {
    std::string reply;
    DeviceResult r = link().transact(command, reply);
    if (r != DeviceResult::Ok)
        return r;
    return reply == "OK\r\n" ? DeviceResult::Ok : DeviceResult::BadReply;
}

} // namespace

DeviceResult connect(const std::string& portName) {
    return link().connect(portName);
}

void disconnect() {
    link().disconnect();
}

bool isConnected() {
    return link().isOpen();
}

DeviceResult eraseFlash() {
    return expectOk("E");
}

std::string blockCommand(const std::uint8_t* bytes) {
    static const char digits[] = "0123456789ABCDEF";
    std::string command = "W";
    for (int i = 0; i < BlockBytes; ++i) {
        command += digits[bytes[i] >> 4];
        command += digits[bytes[i] & 0x0F];
    }
    return command;
}

DeviceResult writeBlock(const std::uint8_t* bytes) {
    return expectOk(blockCommand(bytes));
}

DeviceResult quit() {
    return link().send("Q");
}

} // namespace BootLoader
