#include "ctl/StopSignal.h"

#include <atomic>

namespace ctl {

namespace {
// Lock-free, so the handler may set it.
std::atomic<bool> stopFlag{false};
static_assert(std::atomic<bool>::is_always_lock_free);
} // namespace

void requestStop() {
    stopFlag.store(true);
}

bool stopRequested() {
    return stopFlag.load();
}

void clearStop() {
    stopFlag.store(false);
}

} // namespace ctl
