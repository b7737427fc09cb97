#include "ctl/StopSignal.h"

#include <windows.h>

namespace ctl {

// The console keeps a list of handlers; removing ours brings back whatever was before.
struct StopOnSignals::Previous {};

namespace {

// How long a closing console, a logging-off user or a shutting-down system waits for the
// command to finish (its output switched off); the system may end the process sooner.
constexpr DWORD FinishWaitMs = 10000;

// Set when the command that watches for the stop has finished with it.
HANDLE finished() {
    // Never closed: a handler still waiting on it may outlive the command.
    static const HANDLE event = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    return event;
}

BOOL WINAPI onConsoleControl(DWORD event) {
    switch (event) {
    case CTRL_C_EVENT:
    case CTRL_BREAK_EVENT:
        requestStop();
        // Handled: the process is not ended, the loop ends after its poll.
        return TRUE;
    case CTRL_CLOSE_EVENT:
    case CTRL_LOGOFF_EVENT:
    case CTRL_SHUTDOWN_EVENT:
        // A closed terminal, as SIGHUP: the process ends when this returns, so it returns
        // only once the command has switched the output off, or after the bound.
        requestStop();
        WaitForSingleObject(finished(), FinishWaitMs);
        return TRUE;
    default:
        return FALSE;
    }
}

} // namespace

StopOnSignals::StopOnSignals() : previous_(std::make_unique<Previous>()) {
    ResetEvent(finished());
    SetConsoleCtrlHandler(onConsoleControl, TRUE);
}

StopOnSignals::~StopOnSignals() {
    SetEvent(finished());
    SetConsoleCtrlHandler(onConsoleControl, FALSE);
}

} // namespace ctl
