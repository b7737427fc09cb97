#pragma once

#include "device/SupplyDevice.h"
#include "platform/Clock.h"

#include <cstdint>

namespace session {

// One poll's measurement as the session hands it on: the status after the divider
// correction, stamped with the monotonic time it was taken (for integration) and the
// calendar time (for display and logs), whole and in milliseconds (for subscribers that
// measure how long a reading took to reach them).
struct Reading {
    std::int64_t monotonicMs = 0;
    platform::Seconds time = 0;
    std::int64_t timeMs = 0;
    double volts = 0.0;
    double amps = 0.0;
    double watts = 0.0;
    bool outputOn = false;
    bool constantCurrent = false;
    PowerSource source = PowerSource::UsbHost;
};

Reading makeReading(const DeviceStatus& status, std::int64_t monotonicMs, platform::Seconds time);

} // namespace session
