#pragma once

#include "history/HistoryStore.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace history {

enum class ImportStatus {
    Ok,              // readings were taken (damaged lines may have been passed over)
    OpenFailed,      // the file cannot be read
    Empty,           // no bytes, or blank lines only
    Binary,          // not text
    NothingReadable, // text, but no line is a reading
};

// What reading a log found.
struct ImportReport {
    static constexpr std::size_t ListedLines = 5;

    ImportStatus status = ImportStatus::Ok;
    std::size_t lines = 0;                 // lines that are not blank
    std::size_t readings = 0;              // lines taken
    std::size_t damaged = 0;               // lines passed over
    std::vector<std::size_t> damagedLines; // the first ListedLines of them, counted from 1
    // Lines whose time lies before the line above even across a change of daylight saving
    // time (the clock was set back): they are kept after a gap, placed on the time axis
    // moved on by the step back, and keep the time their line holds (Sample::stampMs).
    std::size_t clockBack = 0;
    std::size_t firstClockBackLine = 0;
    std::size_t gaps = 0;
    std::uint64_t dropped = 0; // oldest readings beyond the store's capacity
};

// Reads a CSV log written by this program into the store, which is emptied first. Two forms
// are read: the measurement log ("YY/MM/DD HH:MM:SS,Vset,Iset,CV|CC|OFF,V,I", a two-digit
// year taken as 20YY, lines ending in CR LF or LF) and the history's own export with its
// header line and ISO 8601 times with their UTC offset.
//
// The log's stamps are local times without an offset. A stamp in the hour that repeats when
// daylight saving time ends is taken in whichever of its two meanings keeps the readings in
// order, so a night across the change reads as it was recorded. Lines further apart than
// three times the usual step (at least three seconds) are separated by a gap.
ImportReport importLog(const std::string& path, HistoryStore& store);
ImportReport importText(std::string_view text, HistoryStore& store);

} // namespace history
