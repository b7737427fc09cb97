#pragma once

#include "session/Reading.h"

#include <cstddef>
#include <cstdint>
#include <optional>

namespace session {

// Smallest, largest and time-weighted mean of one quantity.
struct Extremes {
    double min = 0.0;
    double max = 0.0;
    double mean = 0.0;
};

// Charge, energy and output-on time since the last reset, with the extremes and means of
// voltage, current and power. Consecutive readings are joined by the trapezoid rule on the
// monotonic clock; a gap (no reading in between: device lost, link closed) or a time that
// does not move forward starts a new run, so nothing is integrated across it. The history's
// cursors sum their spans with the same class, so both always agree.
// The output-on time takes the output's state as held from one reading to the next, so a
// change counts from the reading that found it, or from the moment the session switched the
// output when the next reading shows that it followed.
class Counters {
public:
    void add(const Reading& r);
    // The session switched the output at this moment; the next reading shows whether the
    // device followed.
    void outputSwitched(bool on, std::int64_t monotonicMs);
    // The next reading starts a new run.
    void gap() { havePrevious_ = false; }
    void reset();

    double chargeAh() const { return chargeAs_ / 3600.0; }
    double energyWh() const { return energyWs_ / 3600.0; }
    double outputOnSeconds() const { return onSeconds_; }
    // Time covered by integrated intervals.
    double integratedSeconds() const { return spanSeconds_; }
    std::size_t readings() const { return count_; }

    Extremes voltage() const { return extremes(volts_); }
    Extremes current() const { return extremes(amps_); }
    Extremes power() const { return extremes(watts_); }

private:
    struct Quantity {
        double min = 0.0;
        double max = 0.0;
        double integral = 0.0; // value-seconds over integrated intervals
        double sum = 0.0;      // plain sum, for the mean before any interval exists
        void add(double v, bool first);
    };
    Extremes extremes(const Quantity& q) const;

    struct Switch {
        bool on;
        std::int64_t monotonicMs;
    };
    double onSecondsTo(const Reading& r) const;

    bool havePrevious_ = false;
    Reading previous_;
    std::optional<Switch> switched_;
    std::size_t count_ = 0;
    double chargeAs_ = 0.0;
    double energyWs_ = 0.0;
    double onSeconds_ = 0.0;
    double spanSeconds_ = 0.0;
    Quantity volts_;
    Quantity amps_;
    Quantity watts_;
};

} // namespace session
