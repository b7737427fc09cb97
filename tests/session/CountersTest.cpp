#include "session/Counters.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

namespace {

using session::Counters;
using session::Reading;

Reading at(double seconds, double volts, double amps, bool on = true) {
    Reading r;
    r.monotonicMs = static_cast<std::int64_t>(seconds * 1000);
    r.volts = volts;
    r.amps = amps;
    r.watts = volts * amps;
    r.outputOn = on;
    return r;
}

// Polls every half second from `from` to `to` seconds, the values a function of time.
void poll(Counters& c, double from, double to, const std::function<Reading(double)>& f) {
    for (double t = from; t <= to + 1e-9; t += 0.5)
        c.add(f(t));
}

struct Case {
    std::string name;
    std::function<void(Counters&)> run;
    double chargeAh;
    double energyWh;
    double onSeconds;
    double tolerance; // relative
};

class CounterArithmetic : public testing::TestWithParam<Case> {};

TEST_P(CounterArithmetic, IntegratesWithTheTrapezoidRuleAndNeverAcrossAGap) {
    const Case& k = GetParam();
    Counters c;
    k.run(c);
    auto near = [&k](double want, double got) {
        const double bound = want == 0 ? 1e-12 : std::abs(want) * k.tolerance;
        EXPECT_NEAR(got, want, bound);
    };
    near(k.chargeAh, c.chargeAh());
    near(k.energyWh, c.energyWh());
    near(k.onSeconds, c.outputOnSeconds());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CounterArithmetic,
    testing::Values(
        Case{"SteadyHalfAmpForAnHour",
             [](Counters& c) { poll(c, 0, 3600, [](double t) { return at(t, 5, 0.5); }); }, 0.5,
             2.5, 3600, 0.001},
        Case{"TwoWattsForHalfAnHour",
             [](Counters& c) { poll(c, 0, 1800, [](double t) { return at(t, 4, 0.5); }); }, 0.25,
             1.0, 1800, 0.001},
        // A linear ramp is integrated exactly by the trapezoid rule.
        Case{"CurrentRampFromZeroToOneAmpOverAnHour",
             [](Counters& c) { poll(c, 0, 3600, [](double t) { return at(t, 2, t / 3600); }); },
             0.5, 1.0, 3600, 1e-9},
        // Two runs of ten minutes with twenty minutes without readings between them.
        Case{"GapIsNotIntegratedAcross",
             [](Counters& c) {
                 poll(c, 0, 600, [](double t) { return at(t, 5, 0.6); });
                 c.gap();
                 poll(c, 1800, 2400, [](double t) { return at(t, 5, 0.6); });
             },
             0.2, 1.0, 1200, 1e-9},
        Case{"ResetStartsFromZero",
             [](Counters& c) {
                 poll(c, 0, 600, [](double t) { return at(t, 5, 0.6); });
                 c.reset();
                 poll(c, 600, 960, [](double t) { return at(t, 5, 0.6); });
             },
             0.06, 0.3, 360, 1e-9},
        // A clock that steps back starts a new run; nothing negative is added.
        Case{"ClockSteppingBackStartsANewRun",
             [](Counters& c) {
                 poll(c, 100, 460, [](double t) { return at(t, 5, 1.0); });
                 poll(c, 50, 410, [](double t) { return at(t, 5, 1.0); });
             },
             0.2, 1.0, 720, 1e-9},
        // Found on by a poll: on from that poll, not half an interval before it.
        Case{"OutputOffTimeIsNotOnTime",
             [](Counters& c) {
                 poll(c, 0, 60, [](double t) { return at(t, 0, 0, false); });
                 poll(c, 60.5, 120, [](double t) { return at(t, 5, 0.1); });
             },
             0.1 * 59.5 / 3600 + 0.05 * 0.5 / 3600, 0.5 * 59.5 / 3600 + 0.25 * 0.5 / 3600, 59.5,
             1e-9},
        // Switched on by the session at 10.2 s, off by a trip just after the reading of 20 s.
        Case{"OnTimeRunsFromTheSessionsSwitchToItsTrip",
             [](Counters& c) {
                 poll(c, 0, 10, [](double t) { return at(t, 0, 0, false); });
                 c.outputSwitched(true, 10200);
                 poll(c, 10.5, 20, [](double t) { return at(t, 5, 0.1); });
                 c.outputSwitched(false, 20100);
                 poll(c, 20.5, 30, [](double t) { return at(t, 0, 0, false); });
             },
             1.0 / 3600, 5.0 / 3600, 9.9, 1e-9},
        // A switch the next reading does not show was not followed: nothing counts from it.
        Case{"ASwitchTheDeviceDidNotFollowCountsNothing",
             [](Counters& c) {
                 poll(c, 0, 10, [](double t) { return at(t, 0, 0, false); });
                 c.outputSwitched(true, 10100);
                 poll(c, 10.5, 20, [](double t) { return at(t, 0, 0, false); });
                 poll(c, 20.5, 30, [](double t) { return at(t, 5, 0.1); });
             },
             0.1 * 9.5 / 3600 + 0.05 * 0.5 / 3600, 0.5 * 9.5 / 3600 + 0.25 * 0.5 / 3600, 9.5,
             1e-9}),
    [](const testing::TestParamInfo<Case>& info) { return info.param.name; });

TEST(CounterStatistics, MeanIsWeightedByTimeAndExtremesCoverEveryReading) {
    Counters c;
    EXPECT_EQ(c.voltage().max, 0.0);
    c.add(at(0, 1, 0.1));
    EXPECT_EQ(c.voltage().mean, 1.0); // one reading: its own value
    // 1 V for 30 s, then 3 V for 10 s with a step between two readings half a second apart.
    poll(c, 0.5, 30, [](double t) { return at(t, 1, 0.1); });
    poll(c, 30.5, 40, [](double t) { return at(t, 3, 0.3); });
    EXPECT_DOUBLE_EQ(c.voltage().min, 1.0);
    EXPECT_DOUBLE_EQ(c.voltage().max, 3.0);
    EXPECT_NEAR(c.voltage().mean, (1 * 30 + 2 * 0.5 + 3 * 9.5) / 40.0, 1e-12);
    EXPECT_NEAR(c.power().max, 0.9, 1e-12);
    EXPECT_EQ(c.readings(), 81u);
}

} // namespace
