#include "history/SpanStatistics.h"

#include <algorithm>
#include <cmath>

namespace history {

std::optional<Sample> readingAt(const HistoryStore& store, double tMs, double reachMs) {
    const std::size_t i = store.nearest(tMs);
    if (i >= store.size())
        return std::nullopt;
    const Sample s = store.at(i);
    if (std::fabs(static_cast<double>(s.timeMs) - tMs) > reachMs)
        return std::nullopt;
    // Between the last reading of a run and the first of the next there is nothing to show.
    const bool after = static_cast<double>(s.timeMs) > tMs;
    if (after && s.runStart && i > 0)
        return std::nullopt;
    if (!after && i + 1 < store.size() && static_cast<double>(s.timeMs) < tMs &&
        store.at(i + 1).runStart)
        return std::nullopt;
    return s;
}

session::Reading toReading(const Sample& s) {
    session::Reading r;
    r.monotonicMs = s.monotonicMs;
    r.time = s.timeMs / 1000;
    r.volts = s.volts;
    r.amps = s.amps;
    r.watts = s.watts;
    r.outputOn = s.outputOn;
    r.constantCurrent = s.constantCurrent;
    return r;
}

SpanStatistics spanStatistics(const HistoryStore& store, double aMs, double bMs, double reachMs) {
    SpanStatistics out;
    const double lo = std::min(aMs, bMs);
    const double hi = std::max(aMs, bMs);
    out.seconds = (hi - lo) / 1000.0;
    out.first = readingAt(store, lo, reachMs);
    out.second = readingAt(store, hi, reachMs);
    if (out.first && out.second) {
        out.deltaVolts = out.second->volts - out.first->volts;
        out.deltaAmps = out.second->amps - out.first->amps;
        out.deltaWatts = out.second->watts - out.first->watts;
    }
    const std::size_t end = store.size();
    for (std::size_t i = store.lowerBound(lo); i < end; ++i) {
        const Sample s = store.at(i, false);
        if (static_cast<double>(s.timeMs) > hi)
            break;
        if (s.runStart)
            out.counters.gap();
        out.counters.add(toReading(s));
    }
    return out;
}

} // namespace history
