#pragma once

#include "device/DeviceResult.h"

#include <string>

// What powers the device, from the first letter of the status reply.
enum class PowerSource : int {
    UsbHost = 0,     // "U"
    AcAdapter = 1,   // "A"
    AdapterIdle = 2, // any other letter: adapter connected but not supplying
};

// One status poll.
struct DeviceStatus {
    PowerSource source = PowerSource::UsbHost;
    int outputOn = 0;
    int constantCurrent = 0;
    double voltage = 0.0; // volts, steps of 0.02
    double current = 0.0; // amperes, steps of 0.001
};

// The command protocol of the power supply over the one program-wide link. Every
// operation is a complete request and reply; results are returned, never shown.
namespace SupplyDevice {

constexpr int PauseMs = 10;
constexpr double VoltsPerUnit = 0.02;
constexpr double AmpsPerUnit = 0.001;
// What every supply answers to the identify command at connect.
constexpr const char* Identification = "QUOREL";

DeviceResult connect(const std::string& portName);
void disconnect();
bool isConnected();

// The version as printable text: whatever bytes the device sent, terminal controls (ESC,
// BEL) never reach a console or a log as they are (see printableText).
DeviceResult readVersion(std::string& version);
// The record is written only on Ok.
DeviceResult readStatus(DeviceStatus& status);
// Either pointer may be null; the values asked for are written only on Ok.
DeviceResult readSetpoint(double* volts, double* amps);
DeviceResult setOutput(double volts, double amps);
DeviceResult outputOn();
DeviceResult outputOff();

// Wire encoding of 12-bit counts as three upper-case hexadecimal digits; decoding maps
// any character other than 0-9 and A-F to 0.
std::string encodeUnits(unsigned units);
unsigned decodeUnits(const char* three);
// The set command for the given values: counts truncated toward zero, low 12 bits kept.
std::string setCommand(double volts, double amps);
// Text the device sent, made safe to print and log: a control byte, DEL, a byte above it
// and the backslash itself are written as "\x1B", "\x7F", "\x9B", "\\"; the rest stays.
std::string printableText(const std::string& sent);
// Decodes an 11-byte status reply.
DeviceStatus decodeStatus(const std::string& reply);

} // namespace SupplyDevice
