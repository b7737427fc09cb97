#include "platform/System.h"

#include <ctime>
#include <windows.h>

namespace platform {

namespace {

std::int64_t counterFrequency() {
    static const std::int64_t frequency = [] {
        LARGE_INTEGER f{};
        QueryPerformanceFrequency(&f);
        return static_cast<std::int64_t>(f.QuadPart);
    }();
    return frequency;
}

// Microseconds of the performance counter, which never goes back.
std::int64_t monotonicUs() {
    LARGE_INTEGER c{};
    QueryPerformanceCounter(&c);
    const std::int64_t f = counterFrequency();
    return c.QuadPart / f * 1000000 + c.QuadPart % f * 1000000 / f;
}

// Windows 10 1803 and later offer a waitable timer of high resolution, which ends a 10 ms
// pause within about half a millisecond. Elsewhere (older systems, some Wine versions) the
// system timer is set to 1 ms once, so that Sleep comes close to its request instead of the
// default 15.6 ms steps.
#ifndef CREATE_WAITABLE_TIMER_HIGH_RESOLUTION
#define CREATE_WAITABLE_TIMER_HIGH_RESOLUTION 0x00000002
#endif

HANDLE pacingTimer() {
    // One timer per pausing thread: a waitable timer serves one waiter at a time.
    thread_local HANDLE timer = CreateWaitableTimerExW(
        nullptr, nullptr, CREATE_WAITABLE_TIMER_HIGH_RESOLUTION, TIMER_ALL_ACCESS);
    return timer;
}

void fineSystemTimer() {
    static const bool set = [] {
        // timeBeginPeriod of winmm, found at run time so that nothing else of it is linked.
        using Fn = unsigned(__stdcall*)(unsigned);
        if (HMODULE winmm = LoadLibraryW(L"winmm.dll"))
            if (auto begin = reinterpret_cast<Fn>(
                    reinterpret_cast<void*>(GetProcAddress(winmm, "timeBeginPeriod"))))
                begin(1);
        return true;
    }();
    (void)set;
}

// The timer wakes the thread this long before the end of a pause, whose rest is waited out
// awake, so that a pause never ends early and overshoots by little.
constexpr std::int64_t AwakeTailUs = 1000;

} // namespace

Seconds system::now() {
    return static_cast<Seconds>(_time64(nullptr));
}

LocalTime toLocalTime(Seconds t) {
    const __time64_t tt = static_cast<__time64_t>(t);
    std::tm tm{};
    if (_localtime64_s(&tm, &tt) != 0)
        return LocalTime{1970, 1, 1, 0, 0, 0};
    return LocalTime{tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday,
                     tm.tm_hour,        tm.tm_min,     tm.tm_sec};
}

void system::sleepMs(int milliseconds) {
    const std::int64_t deadline = monotonicUs() + std::int64_t{milliseconds} * 1000;
    const std::int64_t asleep = std::int64_t{milliseconds} * 1000 - AwakeTailUs;
    if (asleep > 0) {
        if (HANDLE timer = pacingTimer()) {
            // Relative due time in 100 ns units.
            LARGE_INTEGER due{};
            due.QuadPart = -asleep * 10;
            if (SetWaitableTimer(timer, &due, 0, nullptr, nullptr, FALSE))
                WaitForSingleObject(timer, INFINITE);
        } else {
            fineSystemTimer();
            const std::int64_t ms = asleep / 1000 - 1;
            if (ms > 0)
                Sleep(static_cast<DWORD>(ms));
        }
    }
    while (monotonicUs() < deadline) {
        // Yields the processor to others while the last part of the pause runs out.
        SwitchToThread();
    }
}

std::int64_t monotonicMs() {
    return monotonicUs() / 1000;
}

} // namespace platform
