#include "history/HistoryStore.h"

#include <algorithm>
#include <cmath>
#include <iterator>

namespace history {

namespace {

enum Flag : std::uint8_t { FlagOutputOn = 1, FlagConstantCurrent = 2, FlagRunStart = 4 };

struct MinMax {
    double min = 0.0;
    double max = 0.0;
};
using Node = std::array<MinMax, Quantities>;

void widen(Node& node, const std::array<double, Quantities>& v, bool first) {
    for (int q = 0; q < Quantities; ++q) {
        if (first || v[q] < node[q].min)
            node[q].min = v[q];
        if (first || v[q] > node[q].max)
            node[q].max = v[q];
    }
}

} // namespace

struct HistoryStore::Chunk {
    std::int64_t time[ChunkSize];
    std::int64_t monotonic[ChunkSize];
    double volts[ChunkSize];
    double amps[ChunkSize];
    std::uint8_t flags[ChunkSize];
    Node level1[ChunkSize / Level1];
    Node level2[ChunkSize / Level2];
    Node whole;

    std::array<double, Quantities> values(std::size_t k) const {
        return {volts[k], amps[k], volts[k] * amps[k]};
    }
};

HistoryStore::HistoryStore(std::size_t capacity) : capacity_(std::max<std::size_t>(capacity, 1)) {}
HistoryStore::~HistoryStore() = default;
HistoryStore::HistoryStore(HistoryStore&&) noexcept = default;
HistoryStore& HistoryStore::operator=(HistoryStore&&) noexcept = default;

void HistoryStore::clear() {
    chunks_.clear();
    setpoints_.clear();
    clockSteps_.clear();
    firstChunk_ = begin_ = end_ = startOfHistory_ = 0;
    pendingRunStart_ = true;
    ++revision_;
}

const HistoryStore::Chunk& HistoryStore::chunkOf(std::uint64_t abs) const {
    return *chunks_[abs / ChunkSize - firstChunk_];
}

void HistoryStore::append(const Entry& e) {
    const std::size_t k = end_ % ChunkSize;
    if (k == 0)
        chunks_.push_back(std::make_unique<Chunk>());
    Chunk& c = *chunks_.back();
    c.time[k] = end_ > begin_ ? std::max(e.timeMs, lastTime()) : e.timeMs;
    c.monotonic[k] = e.monotonicMs;
    c.volts[k] = e.volts;
    c.amps[k] = e.amps;
    c.flags[k] = static_cast<std::uint8_t>((e.outputOn ? FlagOutputOn : 0) |
                                           (e.constantCurrent ? FlagConstantCurrent : 0) |
                                           (pendingRunStart_ ? FlagRunStart : 0));
    pendingRunStart_ = false;
    const auto v = c.values(k);
    widen(c.level1[k / Level1], v, k % Level1 == 0);
    widen(c.level2[k / Level2], v, k % Level2 == 0);
    widen(c.whole, v, k == 0);
    if (setpoints_.empty() || setpoints_.back().volts != e.voltageSetpoint ||
        setpoints_.back().amps != e.currentSetpoint)
        setpoints_.push_back({end_, e.voltageSetpoint, e.currentSetpoint});
    const std::int64_t offset = e.stampMs ? c.time[k] - *e.stampMs : 0;
    if (offset != (clockSteps_.empty() ? 0 : clockSteps_.back().offsetMs))
        clockSteps_.push_back({end_, c.time[k], offset});
    ++end_;
    ++revision_;
    while (size() > capacity_)
        dropOldest();
}

void HistoryStore::dropOldest() {
    ++begin_;
    if (begin_ % ChunkSize == 0) {
        chunks_.pop_front();
        ++firstChunk_;
    }
    // The set-points in force for the oldest kept reading stay.
    while (setpoints_.size() >= 2 && setpoints_[1].from <= begin_)
        setpoints_.pop_front();
    while (clockSteps_.size() >= 2 && clockSteps_[1].from <= begin_)
        clockSteps_.pop_front();
}

void HistoryStore::setRunStart(std::size_t i) {
    if (i >= size())
        return;
    const std::uint64_t abs = begin_ + i;
    chunks_[abs / ChunkSize - firstChunk_]->flags[abs % ChunkSize] |= FlagRunStart;
    ++revision_;
}

std::int64_t HistoryStore::timeAt(std::size_t i) const {
    const std::uint64_t abs = begin_ + i;
    return chunkOf(abs).time[abs % ChunkSize];
}

Sample HistoryStore::at(std::size_t i, bool setpoints) const {
    const std::uint64_t abs = begin_ + i;
    const Chunk& c = chunkOf(abs);
    const std::size_t k = abs % ChunkSize;
    Sample s;
    s.timeMs = c.time[k];
    s.stampMs = c.time[k] - offsetOf(abs);
    s.monotonicMs = c.monotonic[k];
    s.volts = c.volts[k];
    s.amps = c.amps[k];
    s.watts = c.volts[k] * c.amps[k];
    s.outputOn = (c.flags[k] & FlagOutputOn) != 0;
    s.constantCurrent = (c.flags[k] & FlagConstantCurrent) != 0;
    s.runStart = (c.flags[k] & FlagRunStart) != 0;
    if (!setpoints)
        return s;
    auto sp = std::upper_bound(setpoints_.begin(), setpoints_.end(), abs,
                               [](std::uint64_t a, const Setpoints& p) { return a < p.from; });
    if (sp != setpoints_.begin()) {
        --sp;
        s.voltageSetpoint = sp->volts;
        s.currentSetpoint = sp->amps;
    }
    return s;
}

std::int64_t HistoryStore::offsetOf(std::uint64_t abs) const {
    auto step = std::upper_bound(clockSteps_.begin(), clockSteps_.end(), abs,
                                 [](std::uint64_t a, const ClockStep& c) { return a < c.from; });
    return step == clockSteps_.begin() ? 0 : std::prev(step)->offsetMs;
}

std::int64_t HistoryStore::stampAt(double tMs) const {
    auto step = std::upper_bound(
        clockSteps_.begin(), clockSteps_.end(), tMs,
        [](double t, const ClockStep& c) { return t < static_cast<double>(c.axisMs); });
    const std::int64_t offset = step == clockSteps_.begin() ? 0 : std::prev(step)->offsetMs;
    return static_cast<std::int64_t>(std::floor(tMs)) - offset;
}

std::vector<ClockSpan> HistoryStore::clockSpans(double t0Ms, double t1Ms) const {
    std::vector<ClockSpan> out{{t0Ms, t1Ms, 0}};
    for (const ClockStep& c : clockSteps_) {
        const double at = static_cast<double>(c.axisMs);
        if (at > t1Ms)
            break;
        if (at > out.back().fromMs) {
            out.back().toMs = at;
            out.push_back({at, t1Ms, c.offsetMs});
        } else {
            out.back().offsetMs = c.offsetMs;
        }
    }
    return out;
}

std::size_t HistoryStore::lowerBound(double tMs) const {
    return lowerBoundIn(0, size(), tMs);
}

std::size_t HistoryStore::lowerBoundIn(std::size_t lo, std::size_t hi, double tMs) const {
    while (lo < hi) {
        const std::size_t mid = lo + (hi - lo) / 2;
        if (static_cast<double>(timeAt(mid)) < tMs)
            lo = mid + 1;
        else
            hi = mid;
    }
    return lo;
}

std::size_t HistoryStore::nearest(double tMs) const {
    const std::size_t i = lowerBound(tMs);
    if (i == size())
        return i == 0 ? size() : i - 1;
    if (i > 0 && tMs - static_cast<double>(timeAt(i - 1)) <= static_cast<double>(timeAt(i)) - tMs)
        return i - 1;
    return i;
}

double HistoryStore::columnStart(double t0, double t1, int n, int c) {
    if (c >= n)
        return t1;
    return t0 + (t1 - t0) * c / n;
}

void HistoryStore::addRange(Column& col, std::uint64_t a, std::uint64_t b) const {
    // The ends join the column to its neighbours.
    {
        const Chunk& c = chunkOf(a);
        col.first = c.values(a % ChunkSize);
        col.runStart = (c.flags[a % ChunkSize] & FlagRunStart) != 0;
        col.last = chunkOf(b - 1).values((b - 1) % ChunkSize);
    }
    col.count = static_cast<std::size_t>(b - a);
    Node acc{};
    bool first = true;
    auto merge = [&](const Node& n) {
        for (int q = 0; q < Quantities; ++q) {
            if (first || n[q].min < acc[q].min)
                acc[q].min = n[q].min;
            if (first || n[q].max > acc[q].max)
                acc[q].max = n[q].max;
        }
        first = false;
    };
    auto raw = [&](const Chunk& c, std::size_t k) {
        widen(acc, c.values(k), first);
        first = false;
    };
    while (a < b) {
        const std::uint64_t chunkBase = a - a % ChunkSize;
        const std::uint64_t stop = std::min<std::uint64_t>(b, chunkBase + ChunkSize);
        const Chunk& c = chunkOf(a);
        std::size_t k = static_cast<std::size_t>(a - chunkBase);
        const std::size_t e = static_cast<std::size_t>(stop - chunkBase);
        if (k == 0 && e == ChunkSize) {
            merge(c.whole);
        } else {
            while (k < e && k % Level1 != 0)
                raw(c, k++);
            while (k + Level1 <= e) {
                if (k % Level2 == 0 && k + Level2 <= e) {
                    merge(c.level2[k / Level2]);
                    k += Level2;
                } else {
                    merge(c.level1[k / Level1]);
                    k += Level1;
                }
            }
            while (k < e)
                raw(c, k++);
        }
        a = stop;
    }
    for (int q = 0; q < Quantities; ++q) {
        col.min[q] = acc[q].min;
        col.max[q] = acc[q].max;
    }
    col.empty = false;
}

void HistoryStore::envelope(double t0, double t1, int n, std::vector<Column>& out) const {
    out.assign(n > 0 ? static_cast<std::size_t>(n) : 0, Column{});
    if (n <= 0 || empty() || !(t1 > t0))
        return;
    const std::size_t count = size();
    std::size_t i = lowerBound(t0);
    for (int c = 0; c < n && i < count; ++c) {
        const double end = columnStart(t0, t1, n, c + 1);
        if (static_cast<double>(timeAt(i)) >= end)
            continue;
        // Galloping from the column's first reading: the search costs the logarithm of
        // the readings in the column, not of the whole history.
        std::size_t known = i; // a reading before the column's end
        std::size_t step = 1;
        std::size_t probe = i + 1;
        while (probe < count && static_cast<double>(timeAt(probe)) < end) {
            known = probe;
            step *= 2;
            probe = i + step;
        }
        const std::size_t low = lowerBoundIn(known + 1, std::min(probe, count), end);
        addRange(out[static_cast<std::size_t>(c)], begin_ + i, begin_ + low);
        i = low;
    }
}

std::size_t HistoryStore::memoryBytes() const {
    return sizeof(*this) + chunks_.size() * (sizeof(Chunk) + sizeof(void*)) +
           setpoints_.size() * sizeof(Setpoints) + clockSteps_.size() * sizeof(ClockStep);
}

} // namespace history
