#pragma once

#include <chrono>
#include <functional>
#include <thread>

// Waits in real time, whatever pauses a test replaced, until the simulated device has done
// what its thread is doing (received the last byte, changed its mode); false when it has not
// within the limit.
inline bool eventually(const std::function<bool()>& condition,
                       std::chrono::milliseconds limit = std::chrono::milliseconds(3000)) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (!condition()) {
        if (std::chrono::steady_clock::now() >= end)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}
