#pragma once

#include <csignal>

// The end of a running loop (status --watch, log) asked for from outside: SIGINT, SIGTERM,
// or a test. The loops look at the flag between polls, so a line being written is always
// finished first.
namespace ctl {

void requestStop();
bool stopRequested();
void clearStop();

// While it lives, SIGINT and SIGTERM only request the stop; the previous handling comes
// back when it goes.
class StopOnSignals {
public:
    StopOnSignals();
    ~StopOnSignals();
    StopOnSignals(const StopOnSignals&) = delete;
    StopOnSignals& operator=(const StopOnSignals&) = delete;

private:
    struct sigaction oldInt_ {};
    struct sigaction oldTerm_ {};
};

} // namespace ctl
