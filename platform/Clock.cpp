#include "platform/Clock.h"

#include "platform/System.h"

#include <chrono>
#include <memory>
#include <mutex>

namespace platform {

namespace {
std::function<Seconds()>& testClock() {
    static std::function<Seconds()> clock;
    return clock;
}

// Only the interface thread reads from a serial port, so the observer needs no guard.
std::function<void(int)>& inputWaitObserver() {
    static std::function<void(int)> observer;
    return observer;
}

// The replacement pauses of a test. Guarded, since the simulated device pauses on a thread
// of its own while a test may swap the function.
struct TestSleeper {
    std::mutex mutex;
    std::shared_ptr<const std::function<void(int)>> sleeper;
};
TestSleeper& testSleeper() {
    static TestSleeper s;
    return s;
}
} // namespace

Seconds now() {
    if (testClock())
        return testClock()();
    return system::now();
}

std::int64_t nowMs() {
    if (testClock())
        return testClock()() * 1000;
    using namespace std::chrono;
    return duration_cast<milliseconds>(system_clock::now().time_since_epoch()).count();
}

void setClockForTest(std::function<Seconds()> clock) {
    testClock() = std::move(clock);
}

void setSleepForTest(std::function<void(int)> sleeper) {
    TestSleeper& s = testSleeper();
    std::lock_guard<std::mutex> lock(s.mutex);
    s.sleeper =
        sleeper ? std::make_shared<const std::function<void(int)>>(std::move(sleeper)) : nullptr;
}

void sleepMs(int milliseconds) {
    if (milliseconds <= 0)
        return;
    std::shared_ptr<const std::function<void(int)>> replaced;
    {
        TestSleeper& s = testSleeper();
        std::lock_guard<std::mutex> lock(s.mutex);
        replaced = s.sleeper;
    }
    if (replaced) {
        (*replaced)(milliseconds);
        return;
    }
    system::sleepMs(milliseconds);
}

void inputWaitStarting(int milliseconds) {
    if (inputWaitObserver())
        inputWaitObserver()(milliseconds);
}

void setInputWaitObserverForTest(std::function<void(int)> observer) {
    inputWaitObserver() = std::move(observer);
}

} // namespace platform
