#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <optional>
#include <vector>

namespace history {

// The three traces of the history.
enum class Quantity : int { Voltage = 0, Current = 1, Power = 2 };
constexpr int Quantities = 3;

// One stored reading as the store hands it out.
struct Sample {
    std::int64_t timeMs = 0;      // calendar milliseconds: the time axis, never going back
    std::int64_t monotonicMs = 0; // the clock the session's counters integrate on
    // The time the reading was given (its line in a log): timeMs, unless a clock set back
    // made the axis move the reading on. Labels, readouts and exports show this one.
    std::int64_t stampMs = 0;
    double volts = 0.0;
    double amps = 0.0;
    double watts = 0.0;
    bool outputOn = false;
    bool constantCurrent = false;
    bool runStart = false; // the first reading after a gap: nothing joins it to the one before
    double voltageSetpoint = 0.0;
    double currentSetpoint = 0.0;

    double value(Quantity q) const {
        return q == Quantity::Voltage ? volts : q == Quantity::Current ? amps : watts;
    }
};

// What the store is given for one reading.
struct Entry {
    std::int64_t timeMs = 0;
    std::int64_t monotonicMs = 0;
    double volts = 0.0;
    double amps = 0.0;
    bool outputOn = false;
    bool constantCurrent = false;
    double voltageSetpoint = 0.0;
    double currentSetpoint = 0.0;
    // The time the reading was given, where it differs from its place on the axis.
    std::optional<std::int64_t> stampMs;
};

// A stretch of the time axis over which the readings' own times lie one offset behind it:
// between two backward steps of a log's clock.
struct ClockSpan {
    double fromMs = 0.0; // on the axis
    double toMs = 0.0;
    std::int64_t offsetMs = 0; // the axis time minus the readings' own
};

// The readings of one pixel column: the extremes of each quantity, and the first and last
// values, which join the column to its neighbours.
struct Column {
    bool empty = true;
    bool runStart = false; // the column's first reading starts a run: no line from the left
    std::size_t count = 0;
    std::array<double, Quantities> min{};
    std::array<double, Quantities> max{};
    std::array<double, Quantities> first{};
    std::array<double, Quantities> last{};
};

// Every reading of a history, oldest dropped beyond the capacity, with a pyramid of minima
// and maxima (per 16, per 256 and per 4096 readings) kept up to date on every append, so
// that the envelope of any span in N columns costs N searches and a few dozen node visits
// per column, never a pass over the readings. Readings live in chunks of 4096, columns of
// plain arrays, so that 1.2 million readings take about 45 MB.
class HistoryStore {
public:
    // Seven days at two readings a second.
    static constexpr std::size_t DefaultCapacity = 7 * 24 * 3600 * 2;
    static constexpr std::size_t ChunkSize = 4096;
    static constexpr std::size_t Level1 = 16;  // readings per first-level node
    static constexpr std::size_t Level2 = 256; // readings per second-level node

    explicit HistoryStore(std::size_t capacity = DefaultCapacity);
    ~HistoryStore();
    HistoryStore(const HistoryStore&) = delete;
    HistoryStore& operator=(const HistoryStore&) = delete;
    HistoryStore(HistoryStore&&) noexcept;
    HistoryStore& operator=(HistoryStore&&) noexcept;

    void clear();
    // A time earlier than the newest reading's is taken as the newest's, so that the time
    // axis never goes back.
    void append(const Entry& e);
    // The next reading starts a new run.
    void gap() { pendingRunStart_ = true; }
    // Marks a kept reading as the start of a run (the importer finds gaps after loading).
    void setRunStart(std::size_t i);

    std::size_t size() const { return static_cast<std::size_t>(end_ - begin_); }
    bool empty() const { return end_ == begin_; }
    std::size_t capacity() const { return capacity_; }
    // Readings dropped at the old end since the last clear.
    std::uint64_t dropped() const { return begin_ - startOfHistory_; }
    // Changes with every append, gap mark and clear: a view redraws when it moves.
    std::uint64_t revision() const { return revision_; }

    // i counts from the oldest kept reading. Without `setpoints` the set-points are left at
    // zero, which spares their search where they are not wanted.
    Sample at(std::size_t i, bool setpoints = true) const;
    std::int64_t timeAt(std::size_t i) const;
    std::int64_t firstTime() const { return timeAt(0); }
    std::int64_t lastTime() const { return timeAt(size() - 1); }
    // The first reading at or after t (size() when none).
    std::size_t lowerBound(double tMs) const;
    // The reading's own time for a time of the axis (a cursor, a view's end): the axis time
    // less the offset in force there.
    std::int64_t stampAt(double tMs) const;
    // The stretches of [t0, t1] with one offset each, in order; one when the clock never
    // went back.
    std::vector<ClockSpan> clockSpans(double t0Ms, double t1Ms) const;
    // The reading nearest to t; size() when the store is empty.
    std::size_t nearest(double tMs) const;

    // The boundary between column c-1 and column c of [t0, t1) in n columns; the envelope
    // puts a reading into column c when start(c) <= time < start(c+1).
    static double columnStart(double t0, double t1, int n, int c);
    // The envelope of [t0, t1) in n columns; out gets n columns.
    void envelope(double t0, double t1, int n, std::vector<Column>& out) const;

    // Bytes held by the readings, the pyramid and the bookkeeping.
    std::size_t memoryBytes() const;

private:
    struct Chunk;
    struct Setpoints {
        std::uint64_t from = 0; // absolute index of the first reading they hold for
        double volts = 0.0;
        double amps = 0.0;
    };

    const Chunk& chunkOf(std::uint64_t abs) const;
    // The first reading at or after t among [lo, hi) (hi when none).
    std::size_t lowerBoundIn(std::size_t lo, std::size_t hi, double tMs) const;
    void dropOldest();
    void addRange(Column& col, std::uint64_t a, std::uint64_t b) const;

    std::size_t capacity_;
    std::deque<std::unique_ptr<Chunk>> chunks_;
    std::uint64_t firstChunk_ = 0; // chunk number of chunks_.front()
    std::uint64_t begin_ = 0;      // absolute index of the oldest kept reading
    std::uint64_t end_ = 0;        // one past the newest
    std::uint64_t startOfHistory_ = 0;
    std::deque<Setpoints> setpoints_;
    // Where the offset between the axis and the readings' own times changes; none while the
    // two agree.
    struct ClockStep {
        std::uint64_t from = 0; // absolute index of the first reading it holds for
        std::int64_t axisMs = 0;
        std::int64_t offsetMs = 0;
    };
    std::deque<ClockStep> clockSteps_;
    std::int64_t offsetOf(std::uint64_t abs) const;
    bool pendingRunStart_ = true;
    std::uint64_t revision_ = 0;
};

} // namespace history
