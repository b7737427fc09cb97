#pragma once

#include "history/HistoryStore.h"
#include "session/Counters.h"

#include <optional>

namespace history {

// The reading shown for a time: the nearest one, unless the time lies in a gap or farther
// than `reach` from any reading.
std::optional<Sample> readingAt(const HistoryStore& store, double tMs, double reachMs);

// The figures between two cursors: the change from the reading at the first to the reading at
// the second, and the charge, energy and time-weighted means of every reading between them,
// summed by the session's own counters (each gap starts a new run), so that over the same
// readings they agree with the session's statistics.
struct SpanStatistics {
    double seconds = 0.0; // from the earlier cursor to the later
    std::optional<Sample> first;
    std::optional<Sample> second;
    double deltaVolts = 0.0; // second minus first, when both exist
    double deltaAmps = 0.0;
    double deltaWatts = 0.0;
    session::Counters counters; // over the readings in [earlier, later]
};

SpanStatistics spanStatistics(const HistoryStore& store, double aMs, double bMs, double reachMs);

// The session's reading for a stored one.
session::Reading toReading(const Sample& s);

} // namespace history
