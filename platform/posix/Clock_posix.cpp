#include "platform/Clock.h"

#include <cerrno>
#include <ctime>
#include <mutex>
#include <sys/prctl.h>

namespace platform {

namespace {
std::function<Seconds()>& testClock() {
    static std::function<Seconds()> clock;
    return clock;
}

// The default timer slack of 50 us is added to every pause of the byte pacing; a pause of
// 10 ms must stay close to 10 ms, so the slack is lowered once for the process.
void lowerTimerSlack() {
    static std::once_flag once;
    std::call_once(once, [] { prctl(PR_SET_TIMERSLACK, 1UL, 0, 0, 0); });
}
} // namespace

Seconds now() {
    if (testClock())
        return testClock()();
    return static_cast<Seconds>(::time(nullptr));
}

LocalTime toLocalTime(Seconds t) {
    std::time_t tt = static_cast<std::time_t>(t);
    std::tm tm{};
    localtime_r(&tt, &tm);
    return LocalTime{tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday,
                     tm.tm_hour,        tm.tm_min,     tm.tm_sec};
}

void setClockForTest(std::function<Seconds()> clock) {
    testClock() = std::move(clock);
}

void sleepMs(int milliseconds) {
    if (milliseconds <= 0)
        return;
    lowerTimerSlack();
    timespec deadline{};
    clock_gettime(CLOCK_MONOTONIC, &deadline);
    deadline.tv_sec += milliseconds / 1000;
    deadline.tv_nsec += static_cast<long>(milliseconds % 1000) * 1000000L;
    if (deadline.tv_nsec >= 1000000000L) {
        deadline.tv_sec += 1;
        deadline.tv_nsec -= 1000000000L;
    }
    while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &deadline, nullptr) == EINTR) {
    }
}

std::int64_t monotonicMs() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<std::int64_t>(ts.tv_sec) * 1000 + ts.tv_nsec / 1000000;
}

} // namespace platform
