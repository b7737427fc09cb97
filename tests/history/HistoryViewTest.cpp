#include "HistoryTestSupport.h"

#include "history/AxisTicks.h"
#include "history/HistoryView.h"
#include "support/LocalTime.h"

#include <gtest/gtest.h>

using history::Follow;
using history::HistoryView;

namespace {

constexpr double Minute = 60000.0;

HistoryView viewOf(double start, double end) {
    HistoryView v;
    v.setRange(start, end);
    for (auto& a : v.axes)
        a.range = {0.0, 10.0};
    return v;
}

struct ViewCase {
    const char* name;
    void (*act)(HistoryView&);
    double start; // expected afterwards
    double end;
};

class ViewArithmetic : public ::testing::TestWithParam<ViewCase> {};

TEST_P(ViewArithmetic, MovesTheSpanAsTheOperatorAsked) {
    HistoryView v = viewOf(0, 10 * Minute);
    GetParam().act(v);
    EXPECT_NEAR(v.start(), GetParam().start, 1e-6);
    EXPECT_NEAR(v.end(), GetParam().end, 1e-6);
    EXPECT_EQ(v.follow(), Follow::None);
}

INSTANTIATE_TEST_SUITE_P(
    ZoomAndPan, ViewArithmetic,
    ::testing::Values(
        // The time under the pointer stays under it.
        ViewCase{"WheelInAtTheLeftQuarter", [](HistoryView& v) { v.zoomTime(0.5, 0.25); },
                 1.25 * Minute, 6.25 * Minute},
        ViewCase{"WheelOutAtTheRightEdge", [](HistoryView& v) { v.zoomTime(2.0, 1.0); },
                 -10 * Minute, 10 * Minute},
        ViewCase{"ZoomStopsAtOneSecond", [](HistoryView& v) { v.zoomTime(1e-9, 0.5); },
                 5 * Minute - 500, 5 * Minute + 500},
        ViewCase{"DragHalfAWidthToTheLeft", [](HistoryView& v) { v.pan(0.5); }, 5 * Minute,
                 15 * Minute},
        ViewCase{"BoxFromRightToLeft", [](HistoryView& v) { v.zoomBox(0.6, 0.9, 0.2, 0.1); },
                 2 * Minute, 6 * Minute},
        ViewCase{"BoxOfNoWidthGetsTheLeastSpan",
                 [](HistoryView& v) { v.zoomBox(0.5, 0.1, 0.5, 0.9); }, 5 * Minute - 500,
                 5 * Minute + 500}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(HistoryView, ValueAxesTakeTheBoxHeightAndKeepTheValueUnderTheWheel) {
    HistoryView v = viewOf(0, Minute);
    v.zoomBox(0.0, 0.2, 1.0, 0.5);
    for (const auto& a : v.axes) {
        EXPECT_FALSE(a.automatic);
        EXPECT_DOUBLE_EQ(a.range.min, 2.0);
        EXPECT_DOUBLE_EQ(a.range.max, 5.0);
    }
    v.zoomValues(0.5, 0.5); // 3.5 stays in the middle
    EXPECT_DOUBLE_EQ(v.axes[1].range.min, 2.75);
    EXPECT_DOUBLE_EQ(v.axes[1].range.max, 4.25);
}

TEST(HistoryView, LiveFollowsTheNewestWithItsSpanUntilZoomedAndComesBack) {
    HistoryView v;
    ASSERT_EQ(v.follow(), Follow::Live);
    v.follow(0, 60 * Minute);
    EXPECT_DOUBLE_EQ(v.end(), 60 * Minute);
    EXPECT_DOUBLE_EQ(v.span(), HistoryView::DefaultLiveSpanMs);
    v.zoomTime(0.5, 1.0);
    v.follow(0, 70 * Minute); // no longer followed
    EXPECT_DOUBLE_EQ(v.end(), 60 * Minute);
    v.goLive();
    v.follow(0, 70 * Minute);
    EXPECT_DOUBLE_EQ(v.end(), 70 * Minute);
    EXPECT_DOUBLE_EQ(v.span(), 5 * Minute);
}

TEST(HistoryView, FitShowsEveryReadingAndFitsTheAxesAgain) {
    HistoryView v = viewOf(0, Minute);
    v.zoomValues(0.5, 0.5);
    v.fit();
    v.follow(3 * Minute, 90 * Minute);
    EXPECT_DOUBLE_EQ(v.start(), 3 * Minute);
    EXPECT_DOUBLE_EQ(v.end(), 90 * Minute);
    EXPECT_TRUE(v.axes[2].automatic);
    v.goLive(); // from all of a long history: the live span
    EXPECT_DOUBLE_EQ(v.span(), HistoryView::DefaultLiveSpanMs);
}

TEST(AxisTicks, ValueTicksFallOnRoundNumbersWithTheirDecimals) {
    const auto ticks = history::valueTicks(-0.013, 0.98, 6);
    ASSERT_EQ(ticks.size(), 5u);
    EXPECT_EQ(ticks.front().label, "0.0");
    EXPECT_DOUBLE_EQ(ticks[1].position, 0.2);
    EXPECT_EQ(ticks.back().label, "0.8");
    EXPECT_TRUE(history::valueTicks(1.0, 1.0, 5).empty());
}

struct TimeTickCase {
    const char* name;
    int fromHour, fromMinute; // local, on 2026-10-24 (the Saturday before the change)
    double spanHours;
    int maxTicks;
    std::vector<std::string> labels;
};

class LocalTimeTicks : public ::testing::TestWithParam<TimeTickCase> {};

TEST_P(LocalTimeTicks, LabelRoundLocalTimes) {
    ZoneForTest zone("Europe/Berlin");
    const TimeTickCase& c = GetParam();
    const double t0 = localSeconds(2026, 10, 24, c.fromHour, c.fromMinute, 0) * 1000.0;
    const auto ticks = history::timeTicks(t0, t0 + c.spanHours * 3600000.0, c.maxTicks);
    std::vector<std::string> labels;
    for (const auto& t : ticks)
        labels.push_back(t.label);
    EXPECT_EQ(labels, c.labels);
}

INSTANTIATE_TEST_SUITE_P(
    Berlin, LocalTimeTicks,
    ::testing::Values(
        TimeTickCase{"TwoMinutesInSeconds",
                     9,
                     59,
                     1.0 / 30,
                     5,
                     {"09:59:00", "09:59:30", "10:00:00", "10:00:30", "10:01:00"}},
        TimeTickCase{"AnHourInQuarters", 9, 50, 1.0, 5, {"10:00", "10:15", "10:30", "10:45"}},
        TimeTickCase{"MidnightShowsTheDate", 20, 0, 4.0, 3, {"20:00", "22:00", "10/25"}},
        // The night of the change to winter time: 25 hours, the hour 02:00 twice.
        TimeTickCase{"AcrossTheChangeOnWholeLocalHours",
                     20,
                     0,
                     11.0,
                     4,
                     {"21:00", "10/25", "03:00", "06:00"}},
        TimeTickCase{"DaysOverAWeek",
                     0,
                     0,
                     24 * 7.0,
                     8,
                     {"10/24", "10/25", "10/26", "10/27", "10/28", "10/29", "10/30"}}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
