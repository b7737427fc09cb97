#include "platform/System.h"

#include <cerrno>
#include <ctime>
#include <sys/prctl.h>

namespace platform {

namespace {

// The default timer slack of 50 us is added to every pause of the byte pacing; a pause of
// 10 ms must stay close to 10 ms, so the slack is lowered. The slack belongs to each thread,
// so every thread that pauses (the interface thread, the simulated device's) lowers its own.
void lowerTimerSlack() {
    thread_local bool lowered = false;
    if (!lowered) {
        prctl(PR_SET_TIMERSLACK, 1UL, 0, 0, 0);
        lowered = true;
    }
}

// The kernel wakes a sleeper some 50 to 150 us after its deadline, more on a busy machine.
// Over the 6912 pauses of a firmware update that adds up to most of a second, so a pause
// sleeps until this long before its end and waits out the rest awake.
constexpr std::int64_t AwakeTailNs = 150000;

std::int64_t monotonicNs() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<std::int64_t>(ts.tv_sec) * 1000000000 + ts.tv_nsec;
}

timespec toTimespec(std::int64_t ns) {
    return timespec{static_cast<time_t>(ns / 1000000000), static_cast<long>(ns % 1000000000)};
}
} // namespace

Seconds system::now() {
    return static_cast<Seconds>(::time(nullptr));
}

LocalTime toLocalTime(Seconds t) {
    std::time_t tt = static_cast<std::time_t>(t);
    std::tm tm{};
    localtime_r(&tt, &tm);
    return LocalTime{tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday,
                     tm.tm_hour,        tm.tm_min,     tm.tm_sec};
}

void system::sleepMs(int milliseconds) {
    lowerTimerSlack();
    // Both the wake-up and the end are absolute, so an interrupted sleep resumes on the
    // same schedule and the pause is never cut short.
    const std::int64_t deadline = monotonicNs() + std::int64_t{milliseconds} * 1000000;
    const timespec wake = toTimespec(deadline - AwakeTailNs);
    while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &wake, nullptr) == EINTR) {
    }
    while (monotonicNs() < deadline) {
    }
}

std::int64_t monotonicMs() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<std::int64_t>(ts.tv_sec) * 1000 + ts.tv_nsec / 1000000;
}

} // namespace platform
