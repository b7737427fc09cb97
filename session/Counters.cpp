#include "session/Counters.h"

#include <algorithm>

namespace session {

Reading makeReading(const DeviceStatus& status, std::int64_t monotonicMs, platform::Seconds time) {
    Reading r;
    r.monotonicMs = monotonicMs;
    r.time = time;
    r.volts = status.voltage;
    r.amps = status.current;
    r.watts = status.voltage * status.current;
    r.outputOn = status.outputOn != 0;
    r.constantCurrent = status.constantCurrent != 0;
    r.source = status.source;
    return r;
}

void Counters::Quantity::add(double v, bool first) {
    if (first || v < min)
        min = v;
    if (first || v > max)
        max = v;
    sum += v;
}

void Counters::add(const Reading& r) {
    const bool first = count_ == 0;
    volts_.add(r.volts, first);
    amps_.add(r.amps, first);
    watts_.add(r.watts, first);
    ++count_;

    if (havePrevious_ && r.monotonicMs > previous_.monotonicMs) {
        const double dt = (r.monotonicMs - previous_.monotonicMs) / 1000.0;
        const double meanAmps = (previous_.amps + r.amps) / 2;
        const double meanWatts = (previous_.watts + r.watts) / 2;
        chargeAs_ += meanAmps * dt;
        energyWs_ += meanWatts * dt;
        onSeconds_ += onSecondsTo(r);
        spanSeconds_ += dt;
        volts_.integral += (previous_.volts + r.volts) / 2 * dt;
        amps_.integral += meanAmps * dt;
        watts_.integral += meanWatts * dt;
    }
    // A clock that went back starts a new run from this reading.
    havePrevious_ = true;
    previous_ = r;
    switched_.reset();
}

void Counters::outputSwitched(bool on, std::int64_t monotonicMs) {
    switched_ = Switch{on, monotonicMs};
}

double Counters::onSecondsTo(const Reading& r) const {
    std::int64_t onMs = previous_.outputOn ? r.monotonicMs - previous_.monotonicMs : 0;
    if (switched_ && switched_->on == r.outputOn && previous_.outputOn != r.outputOn) {
        const std::int64_t at =
            std::clamp(switched_->monotonicMs, previous_.monotonicMs, r.monotonicMs);
        onMs = r.outputOn ? r.monotonicMs - at : at - previous_.monotonicMs;
    }
    return onMs / 1000.0;
}

void Counters::reset() {
    *this = Counters{};
}

Extremes Counters::extremes(const Quantity& q) const {
    if (count_ == 0)
        return {};
    const double mean =
        spanSeconds_ > 0 ? q.integral / spanSeconds_ : q.sum / static_cast<double>(count_);
    return {q.min, q.max, mean};
}

} // namespace session
