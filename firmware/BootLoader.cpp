#include "firmware/BootLoader.h"

#include "device/CommandLink.h"

namespace BootLoader {

namespace {

CommandLink& link() {
    static CommandLink theLink(PauseMs, "UPDATER");
    return theLink;
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
    return link().transactOk("E");
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
    return link().transactOk(blockCommand(bytes));
}

DeviceResult quit() {
    return link().send("Q");
}

} // namespace BootLoader
