#pragma once

#include <cstdint>
#include <functional>

namespace platform {

// Calendar time in whole seconds since the epoch, 64-bit so that stamps go on past 2038.
using Seconds = std::int64_t;

// A calendar time broken down in the local time zone, for the log stamps.
struct LocalTime {
    int year = 0;  // full year, e.g. 2026
    int month = 0; // 1..12
    int day = 0;   // 1..31
    int hour = 0;
    int minute = 0;
    int second = 0;
};

// The one source of "now" for the whole program. Tests replace it with a clock of their own.
Seconds now();
// The same clock in milliseconds since the epoch, for stamps that subscribers compare with
// their own receipt; a test's clock gives its whole seconds.
std::int64_t nowMs();
LocalTime toLocalTime(Seconds t);

// Installs a replacement for now(); an empty function restores the system clock.
void setClockForTest(std::function<Seconds()> clock);

// Sleeps for the given number of milliseconds with as little overshoot as the kernel allows;
// the pacing of every command byte rests on it.
void sleepMs(int milliseconds);

// Installs a replacement for the pauses of sleepMs, so that a test can run hours of paced
// traffic without waiting them out; an empty function restores real sleeping. It is called
// from whichever thread pauses.
void setSleepForTest(std::function<void(int)> sleeper);

// Monotonic milliseconds for measuring waits; never goes back.
std::int64_t monotonicMs();

// Called by the serial transport when a read finds nothing queued and is about to wait for
// input, at most the given milliseconds. Outside tests it does nothing.
void inputWaitStarting(int milliseconds);

// Installs an observer of those waits, so that a test can count the waits a reply gets and
// let bytes arrive during a chosen one; an empty function removes it. The waits themselves
// stay real.
void setInputWaitObserverForTest(std::function<void(int)> observer);

} // namespace platform
