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

// Sleeps until the monotonic time `untilMs` in short slices; false as soon as a stop is
// requested.
bool waitUntil(std::int64_t untilMs);

} // namespace ctl
