#pragma once

#include <memory>

// The end of a running loop (status --watch, log, monitor, serve, run, charge) asked for from
// outside: SIGINT, SIGTERM or any other signal that would end the program at once
// (platform::endingSignals; on Windows Ctrl-C, Ctrl-Break, the console closing, the user
// logging off, the system shutting down), or a test. The loops look at the flag between
// polls, so a line being written is always finished first and a run switches the output off.
namespace ctl {

void requestStop();
bool stopRequested();
void clearStop();

// While it lives, the ending signals (on Windows the console's control events) only request
// the stop; the previous handling comes back when it goes. On Windows a closing console, a
// logoff or a shutdown is held until it goes (at most 10 s), since the process ends as soon
// as the handler returns.
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
