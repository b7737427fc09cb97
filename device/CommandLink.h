#pragma once

#include "device/DeviceResult.h"
#include "device/SerialPort.h"

#include <memory>
#include <string>
#include <string_view>

// A request-and-reply link over one serial port: the synchronise-and-identify handshake
// and the command pattern shared by the power supply's firmware and its boot-loader, which
// differ only in the pacing and the identification they expect.
class CommandLink {
public:
    static constexpr int Baud = 9600;
    static constexpr int SyncAttempts = 10;
    static constexpr int SyncSettleMs = 30;
    static constexpr int ReplyCapacity = 255;

    CommandLink(int pauseMs, std::string identity);

    // Opens the port, synchronises with "X" (at most ten attempts) and checks the
    // identification reply. On anything but Ok the port is closed again.
    DeviceResult connect(const std::string& portName);
    void disconnect();
    bool isOpen() const { return port_ != nullptr; }

    // Sends the command paced, then takes the reply line into `reply`.
    // NotConnected, LinkError, or Ok with whatever reply came (possibly empty).
    DeviceResult transact(std::string_view command, std::string& reply);
    // A command whose only good answer is "OK\r\n".
    DeviceResult transactOk(std::string_view command);
    // Sends the command paced and reads nothing.
    DeviceResult send(std::string_view command);

private:
    DeviceResult synchronise();

    int pauseMs_;
    std::string identity_;
    std::unique_ptr<SerialPort> port_;
};
