#include "ctl/StopSignal.h"

#include <atomic>

namespace ctl {

namespace {
// Lock-free, so the handler may set it.
std::atomic<bool> stopFlag{false};
static_assert(std::atomic<bool>::is_always_lock_free);

void onStopSignal(int) {
    stopFlag.store(true);
}
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

StopOnSignals::StopOnSignals() {
    struct sigaction sa {};
    sa.sa_handler = onStopSignal;
    sigemptyset(&sa.sa_mask);
    // Interrupted reads, writes and waits are resumed where the transport does not do so
    // itself; the flag is looked at between polls.
    sa.sa_flags = SA_RESTART;
    sigaction(SIGINT, &sa, &oldInt_);
    sigaction(SIGTERM, &sa, &oldTerm_);
}

StopOnSignals::~StopOnSignals() {
    sigaction(SIGINT, &oldInt_, nullptr);
    sigaction(SIGTERM, &oldTerm_, nullptr);
}

} // namespace ctl
