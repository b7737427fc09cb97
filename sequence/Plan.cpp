#include "sequence/Plan.h"

#include "sequence/SequenceMessages.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <set>

namespace sequence {

namespace {

using SetpointRules::Outcome;

// Grid units of a value: truncated toward zero, with a tolerance far below a unit and far
// above the error of a decimal fraction in binary.
int unitsOf(double value, double perUnit, int max) {
    if (!(value > 0.0))
        return 0;
    const double scaled = value * perUnit + 1e-6;
    if (scaled >= max + 1.0)
        return max + 1; // beyond the limit; the caller has refused it already
    return static_cast<int>(std::trunc(scaled));
}

double valueOf(int units, double perUnit) {
    double v = units / perUnit;
    // The device truncates value x perUnit; the quotient may land a hair below the units.
    while (std::trunc(v * perUnit) < units)
        v = std::nextafter(v, 2.0 * v + 1.0);
    return v;
}

bool finiteWithin(double v, double min, double max) {
    return std::isfinite(v) && v >= min && v <= max;
}

// The power capacity as a product of units: 0.02 V x 0.001 A = 1/50000 W.
long long capacityUnits(PowerSource source) {
    return std::llround(SetpointRules::powerCapacity(source) * 50000.0);
}

bool overPower(const Units& u, long long capacity) {
    return static_cast<long long>(u.volts) * u.amps > capacity;
}

// The points of a ramp where either quantity takes a new value, in order; between two of
// them both hold still, so these are the only ones where the power can first exceed.
std::vector<int> changePoints(const Units& from, const Units& to, int n) {
    std::set<int> ks{1};
    for (int d : {std::abs(to.volts - from.volts), std::abs(to.amps - from.amps)}) {
        for (int j = 1; j <= d; ++j) {
            // The first k with round(d k / n) >= j: k >= n (2j - 1) / (2d).
            const long long num = static_cast<long long>(n) * (2 * j - 1);
            const long long k = (num + 2LL * d - 1) / (2LL * d);
            if (k > 0 && k < n)
                ks.insert(static_cast<int>(k));
        }
    }
    std::vector<int> out;
    for (int k : ks)
        if (k < n)
            out.push_back(k);
    return out;
}

Refusal ruleRefusal(std::size_t step, Outcome outcome) {
    Refusal r;
    r.kind = RefusalKind::Rule;
    r.step = static_cast<int>(step) + 1;
    r.outcome = outcome;
    return r;
}

Refusal rampRefusal(std::size_t step, const Units& point, double atSeconds) {
    Refusal r = ruleRefusal(step, Outcome::PowerTooHigh);
    r.rampPoint = true;
    r.point = point;
    r.atSeconds = atSeconds;
    return r;
}

bool stopsValid(const StopConditions& s) {
    if (s.currentBelow && (!finiteWithin(s.currentBelow->amps, 0.0, SetpointRules::MaxAmps) ||
                           s.currentBelow->amps <= 0.0 ||
                           !finiteWithin(s.currentBelow->seconds, 0.0, MaxStepSeconds)))
        return false;
    if (s.voltageAbove && !finiteWithin(*s.voltageAbove, 0.0, SetpointRules::MaxVolts))
        return false;
    if (s.elapsedSeconds &&
        (!finiteWithin(*s.elapsedSeconds, 0.0, 3.0e9) || *s.elapsedSeconds <= 0.0))
        return false;
    if (s.chargeAboveAh && (!finiteWithin(*s.chargeAboveAh, 0.0, 1.0e6) || *s.chargeAboveAh <= 0.0))
        return false;
    return true;
}

} // namespace

int voltUnits(double volts) {
    return unitsOf(volts, 50.0, MaxVoltUnits);
}

int ampUnits(double amps) {
    return unitsOf(amps, 1000.0, MaxAmpUnits);
}

double voltsOf(int units) {
    return valueOf(units, 50.0);
}

double ampsOf(int units) {
    return valueOf(units, 1000.0);
}

Units unitsOf(double volts, double amps) {
    return {voltUnits(volts), ampUnits(amps)};
}

double voltsOf(const Units& u) {
    return voltsOf(u.volts);
}

double ampsOf(const Units& u) {
    return ampsOf(u.amps);
}

Units between(const Units& from, const Units& to, int k, int n) {
    auto along = [k, n](int a, int b) {
        const long long d = std::llabs(static_cast<long long>(b) - a);
        const long long q = (2 * d * k + n) / (2LL * n);
        return static_cast<int>(b >= a ? a + q : a - q);
    };
    return {along(from.volts, to.volts), along(from.amps, to.amps)};
}

std::optional<std::int64_t> Plan::totalMs() const {
    if (repeat_ == Endless)
        return std::nullopt;
    if (roundMs_ > MaxTotalMs / static_cast<std::int64_t>(repeat_))
        return MaxTotalMs;
    return roundMs_ * static_cast<std::int64_t>(repeat_);
}

std::string Plan::totalText() const {
    if (repeat_ == Endless)
        return "endless";
    // Whole seconds and the milliseconds left of each round, apart, so that no product
    // overflows (at most 1e10 s a round times 1e6 rounds).
    const long long rounds = repeat_;
    const long long ms = roundMs_ % 1000 * rounds;
    const long long seconds = roundMs_ / 1000 * rounds + ms / 1000;
    return clockText(seconds, static_cast<int>(ms % 1000 / 100));
}

std::size_t Plan::stepAt(std::int64_t msInRound) const {
    auto it = std::upper_bound(steps_.begin(), steps_.end(), msInRound,
                               [](std::int64_t t, const PlannedStep& s) { return t < s.startMs; });
    return it == steps_.begin() ? 0 : static_cast<std::size_t>(it - steps_.begin()) - 1;
}

int Plan::points(std::size_t step) const {
    const PlannedStep& s = steps_[step];
    return s.ramp == Ramp::Linear ? s.intervals : 1;
}

std::int64_t Plan::pointMs(std::size_t step, int k) const {
    const PlannedStep& s = steps_[step];
    return s.startMs + s.durationMs * k / s.intervals;
}

Units Plan::point(std::size_t step, bool laterRound, int k) const {
    const PlannedStep& s = steps_[step];
    if (s.ramp == Ramp::Step || k >= s.intervals)
        return s.to;
    return between(laterRound ? s.fromLater : s.from, s.to, k, s.intervals);
}

Refusal Plan::make(const Sequence& sequence, PowerSource source, Units held, Plan& out) {
    Refusal r;
    if (sequence.steps.empty()) {
        r.kind = RefusalKind::NoSteps;
        return r;
    }
    if (sequence.steps.size() > MaxSteps) {
        r.kind = RefusalKind::TooManySteps;
        return r;
    }
    if (sequence.repeat > MaxRepeat) {
        r.kind = RefusalKind::BadRepeat;
        return r;
    }
    if (!stopsValid(sequence.stops)) {
        r.kind = RefusalKind::BadStop;
        return r;
    }
    held.volts = std::clamp(held.volts, 0, MaxVoltUnits);
    held.amps = std::clamp(held.amps, 0, MaxAmpUnits);
    const long long capacity = capacityUnits(source);

    Plan plan;
    plan.repeat_ = sequence.repeat;
    plan.stops_ = sequence.stops;
    plan.source_ = source;
    std::int64_t at = 0;
    for (std::size_t i = 0; i < sequence.steps.size(); ++i) {
        const Step& s = sequence.steps[i];
        // The rules in the order of the panel's set with the voltage leading.
        if (!finiteWithin(s.volts, 0.0, SetpointRules::MaxVolts))
            return ruleRefusal(i, Outcome::VoltageTooHigh);
        if (!finiteWithin(s.amps, 0.0, SetpointRules::MaxAmps))
            return ruleRefusal(i, Outcome::CurrentTooHigh);
        if (!finiteWithin(s.seconds, MinStepSeconds, MaxStepSeconds)) {
            r.kind = RefusalKind::BadDuration;
            r.step = static_cast<int>(i) + 1;
            return r;
        }
        PlannedStep p;
        p.startMs = at;
        p.durationMs = std::llround(s.seconds * 1000.0);
        p.ramp = s.ramp;
        p.to = unitsOf(s.volts, s.amps);
        p.from = i == 0 ? held : plan.steps_.back().to;
        p.intervals = s.ramp == Ramp::Linear
                          ? static_cast<int>(std::max<std::int64_t>(1, p.durationMs / RampPeriodMs))
                          : 1;
        at += p.durationMs;
        plan.steps_.push_back(p);
    }
    plan.roundMs_ = at;
    plan.steps_.front().fromLater = plan.steps_.back().to;
    for (std::size_t i = 1; i < plan.steps_.size(); ++i)
        plan.steps_[i].fromLater = plan.steps_[i].from;

    // Every point in the order it would be sent: the first round, then the first step of a
    // later round where it starts elsewhere.
    if (Refusal bad = plan.checkFrom(capacity, 0, 0, 0))
        return bad;
    out = std::move(plan);
    return {};
}

Refusal Plan::checkStep(std::size_t i, bool later, int fromPoint, long long capacity) const {
    const PlannedStep& p = steps_[i];
    if (p.ramp == Ramp::Step) {
        if (overPower(p.to, capacity))
            return ruleRefusal(i, Outcome::PowerTooHigh);
        return {};
    }
    // From its first point still to come, the ramp's power changes only where one of the
    // quantities does; its target is set by what follows, and checked with it here.
    const Units& from = later ? p.fromLater : p.from;
    std::vector<int> ks{fromPoint};
    for (int k : changePoints(from, p.to, p.intervals))
        if (k > fromPoint)
            ks.push_back(k);
    ks.push_back(p.intervals);
    for (int k : ks) {
        const Units u = between(from, p.to, k, p.intervals);
        if (overPower(u, capacity))
            return rampRefusal(i, u, (pointMs(i, k) - p.startMs) / 1000.0);
    }
    return {};
}

Refusal Plan::checkFrom(long long capacity, std::uint64_t round, std::size_t step,
                        int point) const {
    for (std::size_t i = step; i < steps_.size(); ++i)
        if (Refusal bad = checkStep(i, round > 0, i == step ? point : 0, capacity))
            return bad;
    // A later round sets every step again. Those after `step` were checked above as it sets
    // them; the first one starts from elsewhere there, and `step` from its first point.
    if (repeat_ != Endless && round + 1 >= repeat_)
        return {};
    for (std::size_t i = 0; i <= step && i < steps_.size(); ++i)
        if (Refusal bad = checkStep(i, true, 0, capacity))
            return bad;
    return {};
}

Refusal Plan::changeSource(PowerSource source, std::uint64_t round, std::size_t step, int point) {
    if (Refusal bad = checkFrom(capacityUnits(source), round, step, point))
        return bad;
    source_ = source;
    return {};
}

} // namespace sequence
