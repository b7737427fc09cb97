#pragma once

#include "platform/Clock.h"

#include <cstdint>
#include <string>

// Calendar arithmetic and the time texts of the history: its axis, its exports and the
// reading of logs, all in the local time of the machine.
namespace history {

// Days from 1970-01-01 to the given date of the proleptic Gregorian calendar.
std::int64_t daysFromCivil(int year, int month, int day);
// How far local time is ahead of UTC at t, in seconds.
int utcOffsetSeconds(platform::Seconds t);
// The calendar second of a local date and time. `dst` as mktime takes it: 0 standard time,
// 1 daylight saving time, -1 whichever holds; fields past their ends carry over.
platform::Seconds localSeconds(int year, int month, int day, int hour, int minute, int second,
                               int dst = -1);
// Local time with milliseconds and the offset from UTC: "2026-12-07T21:09:25.500+01:00".
std::string isoTime(std::int64_t ms);
// The measurement log's stamp of the second: "26/12/07 21:09:25".
std::string logTime(std::int64_t ms);
// Local date and time to the second for readouts: "2026/12/07 21:09:25.5" (tenths shown
// only when `tenths`).
std::string readoutTime(std::int64_t ms, bool tenths);
// Whole seconds of a millisecond time, rounded toward the past.
inline platform::Seconds floorSeconds(std::int64_t ms) {
    return ms >= 0 ? ms / 1000 : -((-ms + 999) / 1000);
}

} // namespace history
