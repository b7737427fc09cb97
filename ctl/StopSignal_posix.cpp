#include "ctl/StopSignal.h"

#include <csignal>

namespace ctl {

struct StopOnSignals::Previous {
    struct sigaction interrupt {};
    struct sigaction terminate {};
};

namespace {
void onStopSignal(int) {
    requestStop();
}
} // namespace

StopOnSignals::StopOnSignals() : previous_(std::make_unique<Previous>()) {
    struct sigaction sa {};
    sa.sa_handler = onStopSignal;
    sigemptyset(&sa.sa_mask);
    // Interrupted reads, writes and waits are resumed where the transport does not do so
    // itself; the flag is looked at between polls.
    sa.sa_flags = SA_RESTART;
    sigaction(SIGINT, &sa, &previous_->interrupt);
    sigaction(SIGTERM, &sa, &previous_->terminate);
}

StopOnSignals::~StopOnSignals() {
    sigaction(SIGINT, &previous_->interrupt, nullptr);
    sigaction(SIGTERM, &previous_->terminate, nullptr);
}

} // namespace ctl
