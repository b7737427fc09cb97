#pragma once

#include "platform/Clock.h"

// One entry of a series ring: a measured value with the second it was taken.
// A time of 0 marks an entry that has never been written.
struct PlotSample {
    double value = 0.0;
    platform::Seconds time = 0;
};
