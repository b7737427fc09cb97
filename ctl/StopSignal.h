#pragma once

#include <memory>

// The end of a running loop (status --watch, log) asked for from outside: SIGINT, SIGTERM
// (Ctrl-C, Ctrl-Break or the console closing on Windows), or a test. The loops look at the flag
// between polls, so a line being written is always finished first.
namespace ctl {

void requestStop();
bool stopRequested();
void clearStop();

// While it lives, SIGINT and SIGTERM (on Windows the console's control events) only request
// the stop; the previous handling comes back when it goes.
class StopOnSignals {
public:
    StopOnSignals();
    ~StopOnSignals();
    StopOnSignals(const StopOnSignals&) = delete;
    StopOnSignals& operator=(const StopOnSignals&) = delete;

private:
    // The handling in force before, as the platform keeps it.
    struct Previous;
    std::unique_ptr<Previous> previous_;
};

} // namespace ctl
