#pragma once

#include "history/HistoryStore.h"

#include <cstdlib>
#include <ctime>
#include <string>

// Runs a test in a time zone of its own (restored afterwards), so that its local times,
// midnights and daylight-saving changes are the same on every machine.
class ZoneForTest {
public:
    explicit ZoneForTest(const char* zone) {
        const char* old = std::getenv("TZ");
        hadOld_ = old != nullptr;
        if (hadOld_)
            old_ = old;
        setenv("TZ", zone, 1);
        tzset();
    }
    ~ZoneForTest() {
        if (hadOld_)
            setenv("TZ", old_.c_str(), 1);
        else
            unsetenv("TZ");
        tzset();
    }

private:
    bool hadOld_ = false;
    std::string old_;
};

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
