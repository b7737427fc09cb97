#pragma once

#include <optional>
#include <string>

// A command that arrived on <base>/<node>/set/<what>, read from its payload as Home
// Assistant sends them: ON/OFF for the output, a plain decimal number for a set-point,
// PRESS for the counters' reset. Anything else (empty, too long, not text, not finite, an
// unknown <what>) is no command, and the reason says why.
namespace mqtt {

// A payload longer than this is no command of ours.
constexpr std::size_t MaxCommandPayload = 64;

struct Command {
    enum Kind { Output, Voltage, Current, ResetCounters } kind = Output;
    bool on = false;
    double value = 0.0;
};

struct ParsedCommand {
    std::optional<Command> command;
    std::string problem; // when there is none
};

ParsedCommand parseCommand(const std::string& what, const std::string& payload);

} // namespace mqtt
