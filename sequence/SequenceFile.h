#pragma once

#include "sequence/Sequence.h"

#include <cstddef>
#include <string>
#include <vector>

// The CSV form of a step list, shared by the panel's load and save and by quorelctl run:
//
//     # comments from "#" to the end of a line, blank lines anywhere
//     volts,amps,seconds,ramp
//     5.00,0.500,10,step
//     12.00,0.500,30,linear
//
// The header comes first; its ramp column may be left out, and so may a line's ramp
// ("step" then). Values are plain decimal numbers (digits and one point). A file with any bad
// line gives no steps at all, so nothing runs from it.
namespace sequence {

enum class FileProblemKind {
    NoHeader,
    FieldCount,
    Volts,
    Amps,
    Seconds,
    Ramp,
    NoSteps,
    TooManySteps,
    TooLarge,
    CannotOpen,
};

struct FileProblem {
    std::size_t line = 0; // 1-based; 0 for the file as a whole
    FileProblemKind kind = FileProblemKind::NoHeader;
};

struct StepsRead {
    std::vector<Step> steps;           // empty whenever problems is not
    std::vector<FileProblem> problems; // the first MaxProblemsKept, in line order
    std::size_t problemCount = 0;      // all of them
    bool ok() const { return problemCount == 0; }
};

constexpr std::size_t MaxFileBytes = 4 * 1024 * 1024;
constexpr std::size_t MaxProblemsKept = 100;
constexpr const char* FileHeader = "volts,amps,seconds,ramp";

StepsRead readSteps(const std::string& text);
StepsRead loadSteps(const std::string& path);

// Seconds as the file writes them: the whole milliseconds a run gives the step, as short as
// they can be written ("10", "0.25", "0.103" for 0.1025).
std::string secondsText(double seconds);

// The file's text: the header and a line per step, values on the device's grids, CR LF.
std::string writeSteps(const std::vector<Step>& steps);
// Replaces the file as platform::replaceFile does; false when it could not be written.
bool saveSteps(const std::string& path, const std::vector<Step>& steps);

// "3 行目: 電流は0～1の数値で指定してください", or the problem alone for the whole file.
std::string problemText(const FileProblem& problem);
// The first few problems on one line each, and how many more there are.
std::string problemsText(const StepsRead& read, std::size_t shown = 5);

} // namespace sequence
