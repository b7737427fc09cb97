#pragma once

#include "device/SupplyDevice.h"
#include "logs/MeasurementLog.h"
#include "platform/Clock.h"

#include <string>

// One reading of the supply as quorelctl prints it: a text line for people, the measurement
// log's CSV line, or a JSON object per line for scripts.
namespace ctl {

struct Reading {
    platform::Seconds time = 0;
    DeviceStatus status;
    double voltageSetpoint = 0.0;
    double currentSetpoint = 0.0;
};

MeasurementReading toMeasurement(const Reading& r);

// "YY/MM/DD HH:MM:SS  4.99 V  0.123 A  CV  <source>\n"
std::string textLine(const Reading& r);
// Exactly the line the measurement log writes, CR LF included.
std::string csvLine(const Reading& r);
// {"time":"2026-01-05T09:05:07",...}\n
std::string jsonLine(const Reading& r);

// The main window's text for the source.
const char* sourceText(PowerSource source);
// A word for scripts: "usb-host", "ac-adapter", "adapter-idle".
const char* sourceName(PowerSource source);

} // namespace ctl
