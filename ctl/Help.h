#pragma once

#include <string>

// What `quorelctl help` and `--help` print.
namespace ctl {

// The overview: commands, common options, exit codes.
std::string overviewHelp();
// One command's help; the overview for an unknown name.
std::string commandHelp(const std::string& command);
// The table of exit codes.
std::string exitCodeHelp();

} // namespace ctl
