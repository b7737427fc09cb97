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

// Why a sequence does not start.
std::string refusalText(const Refusal& refusal);
// How a run ended, with the level of the stop condition that ended it.
std::string endText(EndReason reason, const StopConditions& stops);
// The end of a charge: why, charge, energy, time.
std::string chargeSummary(const RunEnd& end);

} // namespace sequence
