// The checks before a run and the points a run sets: grid units the device takes back as
// they are, the first refused step named, and every ramp point on the grids and in time.
#include "sequence/Plan.h"
#include "device/SupplyDevice.h"
#include "support/CaseNames.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

using namespace sequence;
using SetpointRules::Outcome;

TEST(GridUnits, EveryGridPointGoesOutAsItsOwnCount) {
    // The device truncates value x 50 (x 1000): each value handed to it must survive that.
    for (int k = 0; k <= MaxVoltUnits; ++k) {
        const std::string sent = SupplyDevice::setCommand(voltsOf(k), ampsOf(k));
        ASSERT_EQ(sent, "S" + SupplyDevice::encodeUnits(k) + SupplyDevice::encodeUnits(k)) << k;
    }
    // Decimal values a hair below their grid point in binary are taken as on it.
    EXPECT_EQ(voltUnits(0.58), 29);
    EXPECT_EQ(voltUnits(4.1), 205);
    EXPECT_EQ(voltUnits(4.119), 205); // between grid points: truncated as the device does
    EXPECT_EQ(ampUnits(0.001), 1);
    EXPECT_EQ(voltUnits(-1.0), 0); // the -1 marker of a rejected entry
}

struct RefusalCase {
    std::string name;
    std::vector<Step> steps;
    PowerSource source;
    Units held;
    unsigned repeat;
    RefusalKind kind;
    int step;
    Outcome outcome;
    bool rampPoint;
    double atSeconds;
};

class FirstRefusedStep : public testing::TestWithParam<RefusalCase> {};

TEST_P(FirstRefusedStep, IsNamedAndNothingIsPlanned) {
    const RefusalCase& c = GetParam();
    Sequence s;
    s.steps = c.steps;
    s.repeat = c.repeat;
    Plan plan;
    const Refusal r = Plan::make(s, c.source, c.held, plan);
    EXPECT_EQ(r.kind, c.kind);
    EXPECT_EQ(r.step, c.step);
    if (c.kind == RefusalKind::Rule) {
        EXPECT_EQ(r.outcome, c.outcome);
        EXPECT_EQ(r.rampPoint, c.rampPoint);
        EXPECT_NEAR(r.atSeconds, c.atSeconds, 1e-9);
    }
    if (r)
        EXPECT_TRUE(plan.steps().empty());
    else
        EXPECT_EQ(plan.steps().size(), c.steps.size());
}

constexpr auto Usb = PowerSource::UsbHost;
constexpr auto Adapter = PowerSource::AcAdapter;
constexpr auto Lin = Ramp::Linear;
constexpr auto Stp = Ramp::Step;

INSTANTIATE_TEST_SUITE_P(
    Sequences, FirstRefusedStep,
    testing::Values(
        RefusalCase{"AllWithinTheRules",
                    {{5, 0.3, 1, Stp}, {20, 0.075, 1, Stp}},
                    Usb,
                    {},
                    1,
                    RefusalKind::None,
                    0,
                    Outcome::Send,
                    false,
                    0},
        RefusalCase{"VoltageAbove20AtStep3",
                    {{1, 0.1, 1, Stp}, {2, 0.1, 1, Stp}, {20.02, 0.1, 1, Stp}, {30, 0.1, 1, Stp}},
                    Adapter,
                    {},
                    1,
                    RefusalKind::Rule,
                    3,
                    Outcome::VoltageTooHigh,
                    false,
                    0},
        RefusalCase{"CurrentAbove1AtStep2",
                    {{1, 0.1, 1, Stp}, {1, 1.001, 1, Stp}},
                    Adapter,
                    {},
                    1,
                    RefusalKind::Rule,
                    2,
                    Outcome::CurrentTooHigh,
                    false,
                    0},
        RefusalCase{"NegativeCurrentIsRefusedLikeAnExcess",
                    {{1, -0.1, 1, Stp}},
                    Adapter,
                    {},
                    1,
                    RefusalKind::Rule,
                    1,
                    Outcome::CurrentTooHigh,
                    false,
                    0},
        RefusalCase{"PowerAboveTheUsbHostAtStep2",
                    {{5, 0.3, 1, Stp}, {5, 0.4, 1, Stp}},
                    Usb,
                    {},
                    1,
                    RefusalKind::Rule,
                    2,
                    Outcome::PowerTooHigh,
                    false,
                    0},
        RefusalCase{"TheSamePowerOnTheAdapter",
                    {{5, 0.3, 1, Stp}, {5, 0.4, 1, Stp}},
                    Adapter,
                    {},
                    1,
                    RefusalKind::None,
                    0,
                    Outcome::Send,
                    false,
                    0},
        // 2 V 0.75 A to 10 V 0.15 A: both ends are 1.5 W, the middle of the line is not.
        RefusalCase{"RampBulgingAboveThePowerBetweenGoodEnds",
                    {{2, 0.75, 1, Stp}, {10, 0.15, 10, Lin}},
                    Usb,
                    {},
                    1,
                    RefusalKind::Rule,
                    2,
                    Outcome::PowerTooHigh,
                    true,
                    0.25},
        RefusalCase{"FirstRampStartsFromTheHeldSetpoints",
                    {{1, 0.1, 2, Lin}},
                    Usb,
                    {600, 500},
                    1,
                    RefusalKind::Rule,
                    1,
                    Outcome::PowerTooHigh,
                    true,
                    0},
        // From 4 V 0.3 A the first round's ramp stays within 6 W; from the last step's
        // 4 V 1 A every later round's bulges to 6.6 W half a second in.
        RefusalCase{"LaterRoundsRampFromTheLastStep",
                    {{20, 0.3, 2, Lin}, {4, 1.0, 1, Stp}},
                    Adapter,
                    {200, 300},
                    2,
                    RefusalKind::Rule,
                    1,
                    Outcome::PowerTooHigh,
                    true,
                    0.5},
        RefusalCase{"TheSameRampRunOnceIsFine",
                    {{20, 0.3, 2, Lin}, {4, 1.0, 1, Stp}},
                    Adapter,
                    {200, 300},
                    1,
                    RefusalKind::None,
                    0,
                    Outcome::Send,
                    false,
                    0},
        RefusalCase{"StepShorterThanATenthOfASecond",
                    {{1, 0.1, 1, Stp}, {1, 0.1, 0.05, Stp}},
                    Adapter,
                    {},
                    1,
                    RefusalKind::BadDuration,
                    2,
                    Outcome::Send,
                    false,
                    0},
        RefusalCase{
            "NoSteps", {}, Adapter, {}, 1, RefusalKind::NoSteps, 0, Outcome::Send, false, 0},
        RefusalCase{"RepeatBeyondAMillion",
                    {{1, 0.1, 1, Stp}},
                    Adapter,
                    {},
                    MaxRepeat + 1,
                    RefusalKind::BadRepeat,
                    0,
                    Outcome::Send,
                    false,
                    0}),
    casenames::ByName());

TEST(FirstRefusedStep, NotANumberIsRefusedNotPlanned) {
    Sequence s;
    s.steps = {{std::nan(""), 0.1, 1, Stp}};
    Plan plan;
    EXPECT_EQ(Plan::make(s, Adapter, {}, plan).outcome, Outcome::VoltageTooHigh);
    s.steps = {{1, 0.1, std::numeric_limits<double>::infinity(), Stp}};
    EXPECT_EQ(Plan::make(s, Adapter, {}, plan).kind, RefusalKind::BadDuration);
}

struct RampCase {
    std::string name;
    Units from;
    Units to;
    double seconds;
};

class RampPoints : public testing::TestWithParam<RampCase> {};

TEST_P(RampPoints, LieOnTheGridsAlongTheLineAQuarterToHalfASecondApart) {
    const RampCase& c = GetParam();
    Sequence s;
    s.steps = {{voltsOf(c.from.volts), ampsOf(c.from.amps), 1, Stp},
               {voltsOf(c.to.volts), ampsOf(c.to.amps), c.seconds, Lin}};
    Plan plan;
    ASSERT_FALSE(Plan::make(s, Adapter, {}, plan));
    const int n = plan.points(1);
    EXPECT_EQ(plan.point(1, false, 0), c.from);
    EXPECT_EQ(plan.point(1, false, n), c.to);
    for (int k = 1; k <= n; ++k) {
        const std::int64_t gap = plan.pointMs(1, k) - plan.pointMs(1, k - 1);
        if (n > 1) {
            EXPECT_GE(gap, RampPeriodMs) << k;
            EXPECT_LT(gap, 2 * RampPeriodMs) << k;
        }
        const Units u = plan.point(1, false, k);
        const Units before = plan.point(1, false, k - 1);
        // Never backwards, and within half a unit of the straight line.
        for (auto [value, prev, a, b] :
             {std::tuple{u.volts, before.volts, c.from.volts, c.to.volts},
              std::tuple{u.amps, before.amps, c.from.amps, c.to.amps}}) {
            EXPECT_GE((value - prev) * (b - a), 0) << k;
            const double exact = a + (b - a) * double(k) / n;
            EXPECT_LE(std::abs(value - exact), 0.5 + 1e-9) << k;
        }
    }
    EXPECT_EQ(plan.pointMs(1, n), plan.steps()[1].startMs + plan.steps()[1].durationMs);
}

INSTANTIATE_TEST_SUITE_P(
    Ramps, RampPoints,
    testing::Values(RampCase{"UpInTenSeconds", {0, 100}, {600, 100}, 10},
                    RampCase{"DownWhileTheCurrentRises", {900, 10}, {100, 500}, 3.3},
                    RampCase{"SlowerThanTheGrid", {250, 300}, {260, 300}, 100},
                    RampCase{"ShorterThanTwoPeriods", {0, 0}, {300, 1000}, 0.4},
                    RampCase{"OddLengthInMilliseconds", {1, 999}, {999, 1}, 7.777}),
    casenames::ByName());

TEST(PlanTimeLine, StepsFollowOneAnotherAndRoundsRepeat) {
    Sequence s;
    s.steps = {{1, 0.1, 0.5, Stp}, {2, 0.1, 1.25, Stp}, {3, 0.1, 0.25, Stp}};
    s.repeat = 3;
    Plan plan;
    ASSERT_FALSE(Plan::make(s, Adapter, {}, plan));
    EXPECT_EQ(plan.roundMs(), 2000);
    EXPECT_EQ(plan.totalMs(), 6000);
    EXPECT_EQ(plan.stepAt(0), 0u);
    EXPECT_EQ(plan.stepAt(499), 0u);
    EXPECT_EQ(plan.stepAt(500), 1u);
    EXPECT_EQ(plan.stepAt(1999), 2u);
    s.repeat = Endless;
    ASSERT_FALSE(Plan::make(s, Adapter, {}, plan));
    EXPECT_FALSE(plan.totalMs());
}

} // namespace
