#pragma once

#include <cstdint>

// The commands of quorelctl; each gives its exit code (ctl/ExitCode.h).
namespace ctl {

class Session;

int scanCommand(Session& s);
int infoCommand(Session& s);
int statusCommand(Session& s);
int setCommand(Session& s);
int outputCommand(Session& s, bool on);
int logCommand(Session& s);
int monitorCommand(Session& s);
int serveCommand(Session& s);
int updateCommand(Session& s, bool progressOnTerminal);
int runCommand(Session& s);
int chargeCommand(Session& s);

// How long run and charge look for a device lost during their run, and how often, to switch
// its output off before they exit.
struct LookForLostDevice {
    static constexpr std::int64_t DefaultWindowMs = 60000;
    static constexpr std::int64_t DefaultPeriodMs = 2000;
    std::int64_t windowMs = DefaultWindowMs;
    std::int64_t periodMs = DefaultPeriodMs;
};
// Lets a test shorten them; {} restores the defaults.
void setLookForLostDeviceForTest(LookForLostDevice look);

// Sleeps until the monotonic time `untilMs` in short slices; false as soon as a stop is
// requested.
bool waitUntil(std::int64_t untilMs);

} // namespace ctl
