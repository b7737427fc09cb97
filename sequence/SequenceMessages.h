#pragma once

#include "sequence/Plan.h"
#include "sequence/Runner.h"

#include <cstdint>
#include <cstdio>
#include <string>

// The system-log lines of sequences and charges, shared by the panel and quorelctl.
namespace sequence {

// A message pattern of the system filled in, as printf does it.
template <typename... Values> std::string printed(const char* pattern, Values... values) {
    char buf[512];
    std::snprintf(buf, sizeof buf, pattern, values...);
    return buf;
}

// A time on the sequence's line as "H:MM:SS.s", tenths truncated.
std::string clockText(std::int64_t ms);
std::string clockText(long long seconds, int tenths);
// A stop condition's time as the runner keeps it: "H:MM:SS" and the milliseconds when
// there are any ("0:00:01.5").
std::string limitText(double seconds);
// A number with at least `minDecimals` and up to `maxDecimals` places, no trailing zeros
// beyond the least: (0.0001, 3, 6) "0.0001", (0.75, 3, 6) "0.750".
std::string decimalText(double value, int minDecimals, int maxDecimals);

// Why a sequence does not start.
std::string refusalText(const Refusal& refusal);
// How a run ended, with the level of the stop condition that ended it.
std::string endText(EndReason reason, const StopConditions& stops);
// The end of a charge: why, charge, energy, time.
std::string chargeSummary(const RunEnd& end);

} // namespace sequence
