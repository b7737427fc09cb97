#include "device/SupplyDevice.h"

#include "device/CommandLink.h"

#include <cmath>
#include <cstdio>

namespace SupplyDevice {

namespace {

CommandLink& link() {
    static CommandLink theLink(PauseMs, Identification);
    return theLink;
}

int digitValue(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return 0;
}

// Counts are truncated toward zero in double precision, as the device expects: 4.1 V is
// 204.999... units and goes out as 204.
unsigned toUnits(double value, double scale) {
    double units = std::trunc(value * scale);
    if (!(units >= 0.0))
        return 0;
    if (units > 4095.0)
        return static_cast<unsigned>(std::fmod(units, 4096.0));
    return static_cast<unsigned>(units);
}

} // namespace

std::string encodeUnits(unsigned units) {
    static const char digits[] = "0123456789ABCDEF";
    units &= 0xFFF;
    return {digits[(units >> 8) & 0xF], digits[(units >> 4) & 0xF], digits[units & 0xF]};
}

unsigned decodeUnits(const char* three) {
    return static_cast<unsigned>(digitValue(three[0]) * 256 + digitValue(three[1]) * 16 +
                                 digitValue(three[2]));
}

std::string setCommand(double volts, double amps) {
    return "S" + encodeUnits(toUnits(volts, 50.0)) + encodeUnits(toUnits(amps, 1000.0));
}

DeviceStatus decodeStatus(const std::string& reply) {
    DeviceStatus s;
    s.source = reply[0] == 'U'   ? PowerSource::UsbHost
               : reply[0] == 'A' ? PowerSource::AcAdapter
                                 : PowerSource::AdapterIdle;
    s.outputOn = reply[1] == 'N' ? 1 : 0;
    s.constantCurrent = reply[2] == 'C' ? 1 : 0;
    s.voltage = decodeUnits(reply.data() + 3) * VoltsPerUnit;
    s.current = decodeUnits(reply.data() + 6) * AmpsPerUnit;
    return s;
}

DeviceResult connect(const std::string& portName) {
    return link().connect(portName);
}

void disconnect() {
    link().disconnect();
}

bool isConnected() {
    return link().isOpen();
}

DeviceResult readVersion(std::string& version) {
    std::string reply;
    DeviceResult r = link().transact("V", reply);
    if (r != DeviceResult::Ok)
        return r;
    if (reply.size() < 3)
        return DeviceResult::BadReply;
    version = printableText(reply.substr(0, reply.size() - 2));
    return DeviceResult::Ok;
}

std::string printableText(const std::string& sent) {
    std::string out;
    for (char ch : sent) {
        const auto u = static_cast<unsigned char>(ch);
        if (ch == '\\') {
            out += "\\\\";
        } else if (u < 0x20 || u >= 0x7F) {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\x%02X", u);
            out += buf;
        } else {
            out += ch;
        }
    }
    return out;
}

DeviceResult readStatus(DeviceStatus& status) {
    std::string reply;
    DeviceResult r = link().transact("M", reply);
    if (r != DeviceResult::Ok)
        return r;
    if (reply.size() != 11)
        return DeviceResult::BadReply;
    status = decodeStatus(reply);
    return DeviceResult::Ok;
}

DeviceResult readSetpoint(double* volts, double* amps) {
    std::string reply;
    DeviceResult r = link().transact("L", reply);
    if (r != DeviceResult::Ok)
        return r;
    if (reply.size() != 8)
        return DeviceResult::BadReply;
    if (volts)
        *volts = decodeUnits(reply.data()) * VoltsPerUnit;
    if (amps)
        *amps = decodeUnits(reply.data() + 3) * AmpsPerUnit;
    return DeviceResult::Ok;
}

DeviceResult setOutput(double volts, double amps) {
    return link().transactOk(setCommand(volts, amps));
}

DeviceResult outputOn() {
    return link().transactOk("N");
}

DeviceResult outputOff() {
    return link().transactOk("F");
}

} // namespace SupplyDevice
