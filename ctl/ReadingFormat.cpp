#include "ctl/ReadingFormat.h"

#include "resources/Texts.h"
#include "session/SetpointRules.h"

#include <cstdio>

namespace ctl {

MeasurementReading toMeasurement(const Reading& r) {
    MeasurementReading m;
    m.voltageSetpoint = r.voltageSetpoint;
    m.currentSetpoint = r.currentSetpoint;
    m.voltage = r.status.voltage;
    m.current = r.status.current;
    m.constantCurrent = r.status.constantCurrent;
    m.outputOn = r.status.outputOn;
    return m;
}

const char* sourceText(PowerSource source) {
    switch (source) {
    case PowerSource::UsbHost:
        return texts::SourceUsbHost;
    case PowerSource::AcAdapter:
        return texts::SourceAdapter;
    case PowerSource::AdapterIdle:
        break;
    }
    return texts::SourceAdapterIdle;
}

const char* sourceName(PowerSource source) {
    switch (source) {
    case PowerSource::UsbHost:
        return "usb-host";
    case PowerSource::AcAdapter:
        return "ac-adapter";
    case PowerSource::AdapterIdle:
        break;
    }
    return "adapter-idle";
}

std::string textLine(const Reading& r) {
    const platform::LocalTime t = platform::toLocalTime(r.time);
    char line[256];
    std::snprintf(line, sizeof line, "%02d/%02d/%02d %02d:%02d:%02d  %s V  %s A  %s  ",
                  t.year % 100, t.month, t.day, t.hour, t.minute, t.second,
                  SetpointRules::formatVolts(r.status.voltage).c_str(),
                  SetpointRules::formatAmps(r.status.current).c_str(),
                  MeasurementLog::stateText(r.status.outputOn, r.status.constantCurrent));
    return line + std::string(sourceText(r.status.source)) + "\n";
}

std::string csvLine(const Reading& r) {
    return MeasurementLog::formatLine(platform::toLocalTime(r.time), toMeasurement(r));
}

std::string jsonLine(const Reading& r) {
    const platform::LocalTime t = platform::toLocalTime(r.time);
    char line[512];
    std::snprintf(line, sizeof line,
                  "{\"time\":\"%04d-%02d-%02dT%02d:%02d:%02d\",\"source\":\"%s\","
                  "\"powerCapacity\":%.1f,\"output\":%s,\"mode\":\"%s\",\"state\":\"%s\","
                  "\"voltage\":%s,\"current\":%s,\"voltageSetpoint\":%s,"
                  "\"currentSetpoint\":%s}\n",
                  t.year, t.month, t.day, t.hour, t.minute, t.second, sourceName(r.status.source),
                  SetpointRules::powerCapacity(r.status.source),
                  r.status.outputOn ? "true" : "false", r.status.constantCurrent ? "CC" : "CV",
                  MeasurementLog::stateText(r.status.outputOn, r.status.constantCurrent),
                  SetpointRules::formatVolts(r.status.voltage).c_str(),
                  SetpointRules::formatAmps(r.status.current).c_str(),
                  SetpointRules::formatVolts(r.voltageSetpoint).c_str(),
                  SetpointRules::formatAmps(r.currentSetpoint).c_str());
    return line;
}

} // namespace ctl
