#pragma once

#include "device/SupplyDevice.h"
#include "sequence/Sequence.h"
#include "session/SetpointRules.h"

#include <cstddef>
#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <vector>

namespace sequence {

// Set-points as the device counts them: volts in 0.02 V units, amperes in 0.001 A units.
struct Units {
    int volts = 0;
    int amps = 0;
    bool operator==(const Units&) const = default;
};

constexpr int MaxVoltUnits = 1000; // 20 V
constexpr int MaxAmpUnits = 1000;  // 1 A

// A value brought to its grid, truncated toward zero as the device does; a value a hair below
// a grid point (0.58 is 28.999... units in binary) counts as on it, so a file's "0.58" is
// 0.58 V and not 0.56 V. Negative values give 0.
int voltUnits(double volts);
int ampUnits(double amps);
// The value the device takes back as exactly these units, however its truncation rounds.
double voltsOf(int units);
double ampsOf(int units);
Units unitsOf(double volts, double amps);
double voltsOf(const Units& u);
double ampsOf(const Units& u);

// Updates of a ramp: at most every 0.25 s, and so at least every 0.5 s.
constexpr std::int64_t RampPeriodMs = 250;

// One step as it will run: when it starts in its round, how long it lasts, and the points it
// sets. A step-kind step sets `to` at its start. A linear one sets `from` at its start and the
// points between `from` and `to` every 1/intervals of its length; `to` itself is set by what
// follows (the next step's start, or the end of the run).
struct PlannedStep {
    std::int64_t startMs = 0;
    std::int64_t durationMs = 0;
    Ramp ramp = Ramp::Step;
    Units to;
    Units from;      // in the first round: the previous step's target, or the held set-points
    Units fromLater; // in every later round (differs only for the first step)
    int intervals = 1;
};

// Why a sequence may not start. Nothing has been sent when one is given.
enum class RefusalKind {
    None,
    NoSteps,
    TooManySteps,
    BadDuration, // a step's seconds outside 0.1..1000000
    BadRepeat,
    BadStop, // a stop condition's level outside its range
    Rule,    // a step or ramp point the set-point rules refuse
    NotConnected,
    Tripped, // the output is to be switched on while a protection is latched
    Running, // a sequence runs already
};

struct Refusal {
    RefusalKind kind = RefusalKind::None;
    int step = 0; // 1-based; 0 when the refusal is not about one step
    SetpointRules::Outcome outcome = SetpointRules::Outcome::Send;
    bool rampPoint = false; // the refused point lies on a ramp:
    Units point;            // its set-points
    double atSeconds = 0.0; // and where in its step it lies
    explicit operator bool() const { return kind != RefusalKind::None; }
};

// A sequence checked against the set-point rules and the power capacity of the present
// source, with every step placed on the time line of its round. Runs and previews use it.
class Plan {
public:
    // Checks every step, every ramp point of the first and of later rounds, and the stop
    // conditions; `held` are the set-points the device holds now (a negative one counts as
    // 0), from which a first linear step starts. `out` is filled only when nothing refuses.
    static Refusal make(const Sequence& sequence, PowerSource source, Units held, Plan& out);
    // The points still to come from point `point` of `step` in round `round` (that point
    // included, and every later round) checked against another source's power; the first
    // refused, or nothing, and the plan is then that source's.
    Refusal changeSource(PowerSource source, std::uint64_t round, std::size_t step, int point);

    const std::vector<PlannedStep>& steps() const { return steps_; }
    unsigned repeat() const { return repeat_; }
    const StopConditions& stops() const { return stops_; }
    PowerSource source() const { return source_; }
    std::int64_t roundMs() const { return roundMs_; }
    // Every round together; nothing for an endless sequence. A total beyond MaxTotalMs (some
    // 290 million years) is held at it, where the clock never gets, so that the arithmetic
    // on it cannot overflow; totalText says the whole.
    static constexpr std::int64_t MaxTotalMs = std::numeric_limits<std::int64_t>::max() / 4;
    std::optional<std::int64_t> totalMs() const;
    // Every round together as hours, minutes, seconds and tenths ("2:46:40.0"); "endless".
    std::string totalText() const;

    // The step that holds a time of its round, 0 <= ms < roundMs().
    std::size_t stepAt(std::int64_t msInRound) const;
    // Points a step sets while it runs: 1 for a step-kind step, `intervals` for a ramp
    // (k = 0 its start); k == intervals is its target.
    int points(std::size_t step) const;
    // When point k of a step falls, from its round's start.
    std::int64_t pointMs(std::size_t step, int k) const;
    // Point k of a step in the first (round 0) or a later round.
    Units point(std::size_t step, bool laterRound, int k) const;

private:
    // `capacity` in units' products (0.02 V x 0.001 A).
    Refusal checkStep(std::size_t step, bool laterRound, int fromPoint, long long capacity) const;
    Refusal checkFrom(long long capacity, std::uint64_t round, std::size_t step, int point) const;

    std::vector<PlannedStep> steps_;
    unsigned repeat_ = 1;
    StopConditions stops_;
    PowerSource source_ = PowerSource::UsbHost;
    std::int64_t roundMs_ = 0;
};

// Point k of n along a straight line from `from` to `to`, each quantity on its grid (halves
// rounded away from `from`).
Units between(const Units& from, const Units& to, int k, int n);

} // namespace sequence
