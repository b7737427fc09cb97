#include "HistoryTestSupport.h"

#include "history/HistoryStore.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

using history::Column;
using history::HistoryStore;
using history::Quantities;

namespace {

// A store of random readings: random steps (some zero), random values, gaps now and then,
// a capacity below the count so that whole chunks and part of one are dropped.
struct RandomHistory {
    HistoryStore store{40000};
    RandomHistory() {
        std::mt19937 rng(1234);
        std::uniform_int_distribution<int> step(0, 900);
        std::uniform_real_distribution<double> volts(0.0, 20.0), amps(-0.01, 1.0);
        std::int64_t t = 1'800'000'000'000;
        for (int k = 0; k < 50000; ++k) {
            t += step(rng) < 30 ? 0 : step(rng);
            if (k % 997 == 0)
                store.gap();
            if (k % 5003 == 0)
                t += 60000; // a long pause between two runs
            store.append(entryAt(t, volts(rng), amps(rng)));
        }
    }
};

// The envelope the plain way: every reading put into its column.
std::vector<Column> bruteForce(const HistoryStore& s, double t0, double t1, int n) {
    std::vector<Column> out(n);
    std::vector<double> starts;
    for (int c = 0; c <= n; ++c)
        starts.push_back(HistoryStore::columnStart(t0, t1, n, c));
    for (std::size_t i = 0; i < s.size(); ++i) {
        const history::Sample r = s.at(i);
        const double t = static_cast<double>(r.timeMs);
        if (t < t0 || t >= t1)
            continue;
        const int c =
            static_cast<int>(std::upper_bound(starts.begin(), starts.end(), t) - starts.begin()) -
            1;
        Column& col = out[c];
        const double v[Quantities] = {r.volts, r.amps, r.watts};
        for (int q = 0; q < Quantities; ++q) {
            if (col.empty) {
                col.min[q] = col.max[q] = col.first[q] = v[q];
            }
            col.min[q] = std::min(col.min[q], v[q]);
            col.max[q] = std::max(col.max[q], v[q]);
            col.last[q] = v[q];
        }
        if (col.empty)
            col.runStart = r.runStart;
        col.empty = false;
        ++col.count;
    }
    return out;
}

struct Zoom {
    const char* name;
    double from; // fractions of the stored span
    double to;
    int columns;
};

class EnvelopeReduction : public ::testing::TestWithParam<Zoom> {
protected:
    static RandomHistory& history() {
        static RandomHistory h;
        return h;
    }
};

TEST_P(EnvelopeReduction, EqualsBruteForceMinMaxInEveryColumn) {
    const HistoryStore& s = history().store;
    const double first = static_cast<double>(s.firstTime());
    const double span = static_cast<double>(s.lastTime()) - first;
    const Zoom z = GetParam();
    const double t0 = first + z.from * span;
    const double t1 = first + z.to * span;
    std::vector<Column> got;
    s.envelope(t0, t1, z.columns, got);
    const std::vector<Column> want = bruteForce(s, t0, t1, z.columns);
    ASSERT_EQ(got.size(), want.size());
    std::size_t seen = 0;
    for (int c = 0; c < z.columns; ++c) {
        SCOPED_TRACE(c);
        ASSERT_EQ(got[c].empty, want[c].empty);
        if (want[c].empty)
            continue;
        seen += want[c].count;
        EXPECT_EQ(got[c].count, want[c].count);
        EXPECT_EQ(got[c].runStart, want[c].runStart);
        EXPECT_EQ(got[c].min, want[c].min);
        EXPECT_EQ(got[c].max, want[c].max);
        EXPECT_EQ(got[c].first, want[c].first);
        EXPECT_EQ(got[c].last, want[c].last);
    }
    if (z.to > 0 && z.from < 1) {
        EXPECT_GT(seen, 0u);
    }
}

INSTANTIATE_TEST_SUITE_P(ManyZooms, EnvelopeReduction,
                         ::testing::Values(Zoom{"WholeHistory1920Columns", 0.0, 1.0001, 1920},
                                           Zoom{"WholeHistoryOneColumn", 0.0, 1.0001, 1},
                                           Zoom{"WholeHistoryOddColumns", 0.0, 1.0001, 333},
                                           Zoom{"OnePercentInTheMiddle", 0.5, 0.51, 1920},
                                           Zoom{"OneTenthOfAPercentFewerReadingsThanColumns", 0.3,
                                                0.301, 1920},
                                           Zoom{"OldestEdge", -0.01, 0.02, 700},
                                           Zoom{"NewestEdgeAndBeyond", 0.97, 1.2, 640},
                                           Zoom{"BeforeEverything", -1.0, -0.5, 100},
                                           Zoom{"ChunkSizedSpans", 0.1, 0.9, 97}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(HistoryStore, DropsTheOldestBeyondItsCapacityKeepingTheirSetpoints) {
    HistoryStore s(5000);
    history::Entry e = entryAt(0, 1.0, 0.1);
    e.voltageSetpoint = 7.0;
    s.append(e);
    e.voltageSetpoint = -1.0; // a rejected entry is kept as it was
    for (int k = 1; k < 10000; ++k) {
        e.timeMs = k * 500;
        s.append(e);
    }
    EXPECT_EQ(s.size(), 5000u);
    EXPECT_EQ(s.dropped(), 5000u);
    EXPECT_EQ(s.firstTime(), 5000 * 500);
    EXPECT_EQ(s.at(0).voltageSetpoint, -1.0);
    EXPECT_EQ(s.lastTime(), 9999 * 500);
}

TEST(HistoryStore, TimeThatGoesBackIsTakenAsTheNewest) {
    HistoryStore s;
    s.append(entryAt(10000, 1, 0));
    s.append(entryAt(9000, 2, 0));
    EXPECT_EQ(s.timeAt(1), 10000);
    EXPECT_EQ(s.lowerBound(10000), 0u);
    EXPECT_EQ(s.nearest(9999999), 1u);
}

TEST(HistoryStore, SevenDaysAtTwoReadingsASecondFitIn64MB) {
    HistoryStore s;
    for (std::size_t k = 0; k < HistoryStore::DefaultCapacity + 1000; ++k)
        s.append(entryAt(static_cast<std::int64_t>(k) * 500, 12.0, 0.5));
    EXPECT_EQ(s.size(), HistoryStore::DefaultCapacity);
    EXPECT_GE(s.size(), 1'200'000u);
    EXPECT_LT(s.memoryBytes(), 64u << 20);
}

} // namespace
