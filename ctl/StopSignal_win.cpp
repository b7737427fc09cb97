#include "ctl/StopSignal.h"

#include <windows.h>

namespace ctl {

// The console keeps a list of handlers; removing ours brings back whatever was before.
struct StopOnSignals::Previous {};

namespace {
BOOL WINAPI onConsoleControl(DWORD event) {
    switch (event) {
    case CTRL_C_EVENT:
    case CTRL_BREAK_EVENT:
    case CTRL_CLOSE_EVENT:
        requestStop();
        // Handled: the process is not ended, the loop ends after its poll. A closing console
        // gives the process a few seconds for that.
        return TRUE;
    default:
        return FALSE;
    }
}
} // namespace

StopOnSignals::StopOnSignals() : previous_(std::make_unique<Previous>()) {
    SetConsoleCtrlHandler(onConsoleControl, TRUE);
}

StopOnSignals::~StopOnSignals() {
    SetConsoleCtrlHandler(onConsoleControl, FALSE);
}

} // namespace ctl
