#pragma once

#include "history/HistoryStore.h"
#include "support/ZoneForTest.h"

#include <cstdlib>
#include <ctime>
#include <string>

// One reading for a store.
inline history::Entry entryAt(std::int64_t timeMs, double volts, double amps, bool on = true,
                              bool cc = false) {
    history::Entry e;
    e.timeMs = timeMs;
    e.monotonicMs = timeMs;
    e.volts = volts;
    e.amps = amps;
    e.outputOn = on;
    e.constantCurrent = cc;
    e.voltageSetpoint = 5.0;
    e.currentSetpoint = 0.5;
    return e;
}
