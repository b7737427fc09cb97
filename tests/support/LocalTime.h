#pragma once

#include "platform/Clock.h"

// The calendar second of a local date and time, for tests that set the clock to a moment
// whose stamp they then read back.
platform::Seconds localSeconds(int year, int month, int day, int hour, int minute, int second);
