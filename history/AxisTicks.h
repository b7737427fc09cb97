#pragma once

#include "history/HistoryStore.h"

#include <string>
#include <vector>

// Where the labelled ticks of the history's axes go, as plain arithmetic: values on steps of
// 1, 2 or 5 times a power of ten, times on round steps of the local clock and calendar.
namespace history {

struct Tick {
    double position = 0.0; // a value, or calendar milliseconds on the time axis
    std::string label;
};

// The smallest of 1, 2, 5 x 10^k that is at least `rough` (rough > 0).
double niceStep(double rough);
// Ticks on [min, max], at most maxTicks of them (at least two asked for).
std::vector<Tick> valueTicks(double min, double max, int maxTicks);
// Decimals that tell steps of this size apart.
int decimalsFor(double step);

// A value range that shows [min, max] with a little room and ends on a nice step; a flat
// range gets room around it.
struct ValueRange {
    double min = 0.0;
    double max = 1.0;
};
ValueRange roomyRange(double min, double max);

// The time steps the axis chooses from, in milliseconds, smallest first.
const std::vector<double>& timeSteps();
// The smallest step that puts at most maxTicks ticks on [t0, t1].
double timeStepFor(double t0Ms, double t1Ms, int maxTicks);
// Ticks on [t0, t1] (calendar milliseconds) at round local times: steps below an hour on the
// local clock, an hour and more on local hours and days (so a change of daylight saving time
// keeps them on whole local hours). Labels "HH:MM:SS.s", "HH:MM:SS", "HH:MM" by the step; a
// tick at local midnight shows the date "MM/DD" instead.
std::vector<Tick> timeTicks(double t0Ms, double t1Ms, int maxTicks);
// The same where a log's clock went back: each stretch of the axis labelled with the times
// its readings hold (the axis time less the stretch's offset).
std::vector<Tick> timeTicks(double t0Ms, double t1Ms, int maxTicks,
                            const std::vector<ClockSpan>& spans);

} // namespace history
