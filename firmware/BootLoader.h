#pragma once

#include "device/DeviceResult.h"

#include <cstdint>
#include <string>

// The command set of the device's boot-loader over a link of its own, separate from the
// power supply's. It shares the supply's handshake and reply handling but paces every byte
// by 5 ms and expects to be identified as the updater. Ports are opened exclusively, so a
// port held by the supply's link cannot be opened here.
namespace BootLoader {

constexpr int PauseMs = 5;
constexpr int BlockBytes = 8;

// Ok leaves the link open; on anything else it is closed.
DeviceResult connect(const std::string& portName);
void disconnect();
bool isConnected();

// Erases the flash; the reply must come within the usual reply wait.
DeviceResult eraseFlash();
// Programs the next 8 image bytes; the boot-loader places blocks one after another.
DeviceResult writeBlock(const std::uint8_t* bytes);
// Ends the boot-loader so that the main firmware starts; no reply is read.
DeviceResult quit();

// "W" and the 8 bytes as 16 upper-case hexadecimal digits, in image order.
std::string blockCommand(const std::uint8_t* bytes);

} // namespace BootLoader
