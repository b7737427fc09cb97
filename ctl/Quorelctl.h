#pragma once

#include <ostream>
#include <string>
#include <vector>

// quorelctl: what the panel does, from a shell. `args` are the words after the program
// name; results go to `out`, messages and progress to `err`; the result is the exit code
// (ctl/ExitCode.h). Runs on the caller's thread and returns when the command is done.
int runQuorelctl(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

namespace ctl {
// Whether `err` is a terminal, where the update's progress is redrawn in place.
void setProgressOnTerminal(bool terminal);
} // namespace ctl
