#pragma once

#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

// The words of one quorelctl call: the command, its operands, its options. Options may
// stand anywhere after the program name, as "--name VALUE" or "--name=VALUE"; "--" ends
// them. Which options a command takes is checked here, their values by the command.
namespace ctl {

struct CommandLine {
    std::string command; // empty when only options were given
    std::vector<std::string> operands;
    std::map<std::string, std::string> values; // options with a value, without the dashes
    std::set<std::string> flags;               // options without one
    bool help = false;

    bool has(const std::string& flag) const { return flags.count(flag) != 0; }
    std::optional<std::string> value(const std::string& name) const;
};

// Fills `line`; on a usage error gives its text and leaves `line` partly filled.
std::optional<std::string> parseCommandLine(const std::vector<std::string>& args,
                                            CommandLine& line);

// The commands, in the order the help lists them.
const std::vector<std::string>& commandNames();

// The one form of a number option: digits with at most one point ("5", "0.25", ".5"), as
// set and the step files take them; no sign, exponent, hexadecimal, space or "inf".
bool isPlainDecimal(const std::string& text);

// The longest period of seconds an option takes.
constexpr double MaxSeconds = 3.0e9;
// A positive plain decimal number of seconds ("2", "0.5") up to MaxSeconds.
std::optional<double> parseSeconds(const std::string& text);
// What is wrong with a text that parseSeconds refuses, to follow the option's name: "needs a
// positive number of seconds" or, for a number above MaxSeconds, its limit. Empty when the
// text is taken.
std::string secondsProblem(const std::string& text);
// A whole number from 1 up, digits only.
std::optional<long> parseCount(const std::string& text);
// One of the intervals the measurement log offers: "1s", "10s", "1m", "10m", "1h".
std::optional<int> parseInterval(const std::string& text);

} // namespace ctl
