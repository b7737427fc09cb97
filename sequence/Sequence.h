#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

// What a sequence is, apart from how it is stored, checked or run: the steps with their
// set-points, durations and ramps, how often the list runs, and the conditions that end a
// run early.
namespace sequence {

// How a step reaches its set-points: at once at its start, or along a straight line from the
// previous step's values, reached at the step's end.
enum class Ramp { Step, Linear };

struct Step {
    double volts = 0.0;
    double amps = 0.0;
    double seconds = 1.0;
    Ramp ramp = Ramp::Step;
};

// A step shorter than this leaves no room for its own set command (about 85 ms on the line).
constexpr double MinStepSeconds = 0.1;
constexpr double MaxStepSeconds = 1.0e6;
constexpr std::size_t MaxSteps = 10000;
// `repeat` of a sequence that runs until it is stopped.
constexpr unsigned Endless = 0;
constexpr unsigned MaxRepeat = 1000000;

// The current stays below `amps` for `seconds` (readings with the output on only: an output
// that is off draws nothing, which says nothing about the load).
struct CurrentBelow {
    double amps = 0.0;
    double seconds = 0.0;
};

// Conditions that end the whole run as soon as one is met; none by default.
struct StopConditions {
    std::optional<CurrentBelow> currentBelow;
    std::optional<double> voltageAbove;   // volts, a single reading above it
    std::optional<double> elapsedSeconds; // since the start, pauses included
    std::optional<double> chargeAboveAh;  // charge counted since the start
};

struct Sequence {
    std::vector<Step> steps;
    unsigned repeat = 1; // 1..MaxRepeat, or Endless
    StopConditions stops;
};

// "step" and "linear", as the file and the command line write them.
const char* rampName(Ramp ramp);
std::optional<Ramp> rampFromName(const std::string& name);

// A step list from three value lists and a count, as a remote client enters them: nothing
// when the lists are empty or differ in length.
std::optional<Sequence> fromLists(const std::vector<double>& volts, const std::vector<double>& amps,
                                  const std::vector<double>& seconds, unsigned repeat);

} // namespace sequence
