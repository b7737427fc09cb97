// The scheduler on a clock the test moves: points on time without drift, late calls, pause
// and resume, every stop condition, and each way a run ends with the output as it should be.
#include "resources/Texts.h"
#include "sequence/SequenceMessages.h"
#include "support/CaseNames.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

namespace {

using namespace sequence;

// The supply as the runner sees it; records every command with the time it was given.
struct FakeSupply : Supply {
    struct Sent {
        std::int64_t atMs;
        std::string what; // "5.00/0.500", "on", "off"
    };
    std::int64_t* clock = nullptr;
    bool linked = true;
    PowerSource powerSource = PowerSource::AcAdapter;
    double volts = 0.0, amps = 0.0;
    bool locked = false;
    DeviceResult result = DeviceResult::Ok;       // what a set command answers
    DeviceResult switchResult = DeviceResult::Ok; // what switching the output answers
    bool on = true;                               // as the operator left it before the run
    double charge = 0.0, energy = 0.0;
    std::vector<Sent> sent;

    bool connected() const override { return linked; }
    PowerSource source() const override { return powerSource; }
    double heldVolts() const override { return volts; }
    double heldAmps() const override { return amps; }
    bool outputLocked() const override { return locked; }
    DeviceResult sendSetpoints(double v, double a) override {
        char buf[64];
        std::snprintf(buf, sizeof buf, "%.2f/%.3f", v, a);
        sent.push_back({*clock, buf});
        volts = v;
        amps = a;
        return result;
    }
    DeviceResult switchOutput(bool wanted) override {
        sent.push_back({*clock, wanted ? "on" : "off"});
        if (switchResult == DeviceResult::Ok)
            on = wanted;
        return switchResult;
    }
    bool outputOn() const override { return on; }
    double chargeAh() const override { return charge; }
    double energyWh() const override { return energy; }
    std::vector<std::string> what() const {
        std::vector<std::string> out;
        for (const auto& s : sent)
            out.push_back(s.what);
        return out;
    }
};

class RunnerTest : public testing::Test {
public:
    RunnerTest() { supply.clock = &clockMs; }

    // Calls the runner whenever it asks, `late` ms after it asked, until it is idle.
    void runToTheEnd(const std::function<std::int64_t()>& late = [] { return 0; }) {
        for (int guard = 0; guard < 100000; ++guard) {
            const auto next = runner.nextServiceMs();
            if (!next)
                return;
            clockMs = std::max(clockMs, *next + late());
            runner.service();
        }
        FAIL() << "the run never ended";
    }
    void reading(double volts, double amps, bool on = true) {
        session::Reading r;
        r.volts = volts;
        r.amps = amps;
        r.outputOn = on;
        runner.onReading(r);
    }
    static RunOptions options(bool onAtStart, bool keepAtEnd) {
        RunOptions o;
        o.outputOnAtStart = onAtStart;
        o.keepOutputAtEnd = keepAtEnd;
        return o;
    }
    static Sequence steps(std::vector<Step> s, unsigned repeat = 1) {
        Sequence q;
        q.steps = std::move(s);
        q.repeat = repeat;
        return q;
    }

    std::int64_t clockMs = 1000000;
    FakeSupply supply;
    std::vector<std::string> log;
    Runner runner{supply, [this](const std::string& m) { log.push_back(m); },
                  [this] { return clockMs; }};
};

TEST_F(RunnerTest, ThousandStepsEachOnItsScheduleWithoutDrift) {
    std::vector<Step> s;
    for (int i = 0; i < 1000; ++i)
        s.push_back({i % 2 ? 2.0 : 1.0, 0.1, 0.1 + 0.001 * (i % 250), Ramp::Step});
    const std::int64_t start = clockMs;
    ASSERT_FALSE(runner.start(steps(s)));
    // Every call comes up to 40 ms late; none of that may carry over to the next step.
    std::mt19937 random(3);
    runToTheEnd([&] { return static_cast<std::int64_t>(random() % 41); });
    ASSERT_EQ(supply.sent.size(), 1001u); // every step, and the output off at the end
    std::int64_t scheduled = start;
    for (std::size_t i = 0; i < 1000; ++i) {
        const std::int64_t error = supply.sent[i].atMs + Runner::LeadMs - scheduled;
        ASSERT_GE(error, i == 0 ? Runner::LeadMs : 0) << i;
        ASSERT_LE(error, 40 + (i == 0 ? Runner::LeadMs : 0)) << i;
        scheduled += std::llround(s[i].seconds * 1000);
    }
    EXPECT_LE(supply.sent.back().atMs + Runner::LeadMs - scheduled, 40);
    EXPECT_EQ(supply.sent.back().what, "off");
    ASSERT_TRUE(runner.lastEnd());
    EXPECT_EQ(runner.lastEnd()->reason, EndReason::Completed);
    EXPECT_EQ(log.back(), texts::SequenceOutputOff);
}

TEST_F(RunnerTest, ACallAfterSeveralStepsCameDueSetsTheLatestOnly) {
    ASSERT_FALSE(runner.start(
        steps({{1, 0.1, 1, Ramp::Step}, {2, 0.1, 1, Ramp::Step}, {3, 0.1, 1, Ramp::Step}})));
    clockMs += 2100;
    runner.service();
    EXPECT_EQ(supply.what(), (std::vector<std::string>{"1.00/0.100", "3.00/0.100"}));
    EXPECT_EQ(runner.progress().step, 3);
    EXPECT_EQ(runner.progress().stepLeftMs, 900);
}

TEST_F(RunnerTest, PauseHoldsTheScheduleAndResumeGoesOnWhereItStopped) {
    ASSERT_FALSE(runner.start(steps({{1, 0.1, 1, Ramp::Step}, {2, 0.1, 1, Ramp::Step}})));
    clockMs += 500;
    ASSERT_TRUE(runner.pause());
    EXPECT_FALSE(runner.nextServiceMs()) << "nothing is due while paused";
    clockMs += 10000;
    runner.service();
    EXPECT_EQ(supply.sent.size(), 1u);
    EXPECT_EQ(runner.progress().stepLeftMs, 500) << "the step's time stands still";
    ASSERT_TRUE(runner.resume());
    EXPECT_EQ(runner.nextServiceMs(), clockMs + 500 - Runner::LeadMs);
    runToTheEnd();
    EXPECT_EQ(supply.sent[1].atMs, clockMs - 1000);
    EXPECT_EQ(supply.what(), (std::vector<std::string>{"1.00/0.100", "2.00/0.100", "off"}));
    EXPECT_EQ(log, (std::vector<std::string>{
                       "シーケンスを開始しました(2 ステップ　繰り返し 1)",
                       texts::SequencePaused.str(), texts::SequenceResumed.str(),
                       texts::SequenceCompleted.str(), texts::SequenceOutputOff.str()}));
}

TEST_F(RunnerTest, ARampSetsItsPointsOnTimeAndReachesItsTargetAtTheEnd) {
    supply.volts = 0.0;
    supply.amps = 0.5;
    ASSERT_FALSE(runner.start(steps({{2, 0.5, 1, Ramp::Linear}}), options(false, true)));
    const std::int64_t start = clockMs;
    runToTheEnd();
    std::vector<std::int64_t> at;
    for (const auto& s : supply.sent)
        at.push_back(s.atMs - start + Runner::LeadMs);
    EXPECT_EQ(at, (std::vector<std::int64_t>{Runner::LeadMs, 250, 500, 750, 1000}));
    EXPECT_EQ(supply.what(), (std::vector<std::string>{"0.00/0.500", "0.50/0.500", "1.00/0.500",
                                                       "1.50/0.500", "2.00/0.500"}))
        << "kept on at the end when asked";
}

TEST_F(RunnerTest, RepeatsRunEveryRoundAndAnEndlessOneUntilAborted) {
    ASSERT_FALSE(runner.start(steps({{1, 0.1, 1, Ramp::Step}, {2, 0.1, 1, Ramp::Step}}, 3)));
    runToTheEnd();
    EXPECT_EQ(supply.sent.size(), 7u);
    supply.sent.clear();
    ASSERT_FALSE(runner.start(steps({{1, 0.1, 1, Ramp::Step}, {2, 0.1, 1, Ramp::Step}}, Endless)));
    for (int i = 0; i < 200; ++i) {
        clockMs = *runner.nextServiceMs();
        runner.service();
    }
    EXPECT_EQ(runner.progress().round, 101u);
    EXPECT_FALSE(runner.progress().runLeftMs);
    runner.abort();
    EXPECT_EQ(supply.sent.size(), 202u);
    EXPECT_EQ(supply.sent.back().what, "off");
}

struct StopCase {
    std::string name;
    StopConditions stops;
    EndReason reason;
    std::string message;
};

class StopCondition : public RunnerTest, public testing::WithParamInterface<StopCase> {};

// Readings every half second: 5 V, 0.3 A for three seconds, then 12.5 V and 0.05 A with one
// reading of the output off among them; the counters go up 0.1 Ah a reading, reset once. The
// run is asked to keep the output on at its end, which a stop condition does not reach.
TEST_P(StopCondition, EndsTheRunForItsReasonWithTheOutputOff) {
    Sequence s = steps({{5, 0.3, 100, Ramp::Step}});
    s.stops = GetParam().stops;
    ASSERT_FALSE(runner.start(s, options(false, true)));
    for (int i = 1; i <= 60 && runner.running(); ++i) {
        clockMs += 500;
        supply.charge += 0.1;
        if (i == 4)
            supply.charge = 0.05; // the operator resets the counters
        runner.service();
        if (runner.running())
            reading(i <= 6 ? 5.0 : 12.5, i <= 6 ? 0.3 : 0.05, i != 10);
    }
    ASSERT_TRUE(runner.lastEnd());
    EXPECT_EQ(runner.lastEnd()->reason, GetParam().reason);
    EXPECT_EQ(supply.sent.back().what, "off");
    EXPECT_EQ(log.end()[-2], GetParam().message);
}

INSTANTIATE_TEST_SUITE_P(
    Conditions, StopCondition,
    testing::Values(
        // Below from 3.5 s; the off reading at 5 s starts the count again: 5.5 + 2 s.
        StopCase{"CurrentBelowForItsTime",
                 {CurrentBelow{0.1, 2.0}, {}, {}, {}},
                 EndReason::CurrentBelow,
                 "電流が 0.100A 未満のまま 2 秒経過したためシーケンスを終了しました"},
        StopCase{"VoltageAbove",
                 {{}, 12.0, {}, {}},
                 EndReason::VoltageAbove,
                 "電圧が 12.00V を超えたためシーケンスを終了しました"},
        StopCase{"ElapsedTime",
                 {{}, {}, 7.0, {}},
                 EndReason::Elapsed,
                 "経過時間が 0:00:07 に達したためシーケンスを終了しました"},
        // 0.3 Ah before the reset, then 0.1 Ah a reading from 0.05.
        StopCase{"ChargeCountedAcrossACounterReset",
                 {{}, {}, {}, 0.75},
                 EndReason::Charge,
                 "電荷が 0.750Ah を超えたためシーケンスを終了しました"}),
    casenames::ByName());

TEST_F(RunnerTest, StopConditionsEndAtTheirMomentAndElapsedTimeCountsPauses) {
    Sequence s = steps({{5, 0.3, 100, Ramp::Step}});
    s.stops.currentBelow = CurrentBelow{0.1, 2.0};
    ASSERT_FALSE(runner.start(s));
    const std::int64_t start = clockMs;
    for (int i = 1; runner.running(); ++i) {
        clockMs = start + 500 * i;
        reading(5.0, i < 3 || i == 5 ? 0.3 : 0.05, true);
    }
    EXPECT_EQ(clockMs - start, 5000) << "below from 1.5 s, broken at 2.5 s, held from 3 s";

    s.stops = {};
    s.stops.elapsedSeconds = 3.0;
    ASSERT_FALSE(runner.start(s));
    ASSERT_TRUE(runner.pause());
    EXPECT_EQ(runner.nextServiceMs(), clockMs + 3000);
    clockMs += 3000;
    runner.service();
    EXPECT_EQ(runner.lastEnd()->reason, EndReason::Elapsed);
}

struct EndCase {
    std::string name;
    bool keepOutputAtEnd;
    std::function<void(RunnerTest&, Runner&, FakeSupply&)> end;
    EndReason reason;
    bool switchedOff;
};

class RunEnding : public RunnerTest, public testing::WithParamInterface<EndCase> {};

TEST_P(RunEnding, LeavesTheOutputAsItsReasonSays) {
    ASSERT_FALSE(runner.start(steps({{5, 0.3, 1, Ramp::Step}, {6, 0.3, 1, Ramp::Step}}),
                              options(true, GetParam().keepOutputAtEnd)));
    supply.sent.clear();
    GetParam().end(*this, runner, supply);
    ASSERT_FALSE(runner.running());
    EXPECT_EQ(runner.lastEnd()->reason, GetParam().reason);
    EXPECT_EQ(runner.lastEnd()->outputSwitchedOff, GetParam().switchedOff);
    const bool off = !supply.sent.empty() && supply.sent.back().what == "off";
    EXPECT_EQ(off, GetParam().switchedOff);
    EXPECT_FALSE(runner.nextServiceMs());
}

INSTANTIATE_TEST_SUITE_P(
    Ends, RunEnding,
    testing::Values(EndCase{"CompletedSwitchesOff", false,
                            [](auto& t, auto&, auto&) { t.runToTheEnd(); }, EndReason::Completed,
                            true},
                    EndCase{"CompletedKeepsTheOutputWhenAsked", true,
                            [](auto& t, auto&, auto&) { t.runToTheEnd(); }, EndReason::Completed,
                            false},
                    EndCase{"AbortSwitchesOffEvenWhenAskedToKeepIt", true,
                            [](auto&, auto& r, auto&) { r.abort(); }, EndReason::Aborted, true},
                    EndCase{"AbortLeavingTheOutputAsARemoteClientAsks", false,
                            [](auto&, auto& r, auto&) { r.abort(EndReason::Aborted, false); },
                            EndReason::Aborted, false},
                    EndCase{"WindowClosed", true,
                            [](auto&, auto& r, auto&) { r.abort(EndReason::WindowClosed); },
                            EndReason::WindowClosed, true},
                    EndCase{"DeviceLostSendsNothing", false,
                            [](auto&, auto& r, auto& s) {
                                s.linked = false;
                                r.onDeviceLost(false);
                            },
                            EndReason::DeviceLost, false},
                    EndCase{"TripLeavesTheOffToTheSession", false,
                            [](auto&, auto& r, auto&) { r.onTrip({}); }, EndReason::Tripped, false},
                    EndCase{"FailedSetCommandEndsTheRunAndSwitchesOff", false,
                            [](auto& t, auto& r, auto& s) {
                                s.result = DeviceResult::BadReply;
                                t.clockMs += 1000;
                                r.service();
                            },
                            EndReason::DeviceFailed, true}),
    casenames::ByName());

// The adapter pulled during a run: what is still to come is checked against the USB host's
// 1.5 W at once, the running step and the later rounds included, the steps done not.
struct SourceDrop {
    std::string name;
    std::vector<Step> steps;
    unsigned repeat;
    std::int64_t atMs; // after the start
    bool told;         // the session reported it; else only the next point meets it
    int refusedStep;   // 0: everything still to come fits
};

class SourceChange : public RunnerTest, public testing::WithParamInterface<SourceDrop> {};

TEST_P(SourceChange, EndsTheRunBeforeARefusedPointIsSentOrGoesOnSilently) {
    const SourceDrop& k = GetParam();
    ASSERT_FALSE(runner.start(steps(k.steps, k.repeat), options(true, false)));
    const std::int64_t at = clockMs + k.atMs;
    for (auto next = runner.nextServiceMs(); next && *next <= at; next = runner.nextServiceMs()) {
        clockMs = std::max(clockMs, *next);
        runner.service();
    }
    clockMs = at;
    const std::size_t sentBefore = supply.sent.size();
    const std::size_t loggedBefore = log.size();
    supply.powerSource = PowerSource::UsbHost;
    if (k.told)
        runner.onSourceChanged(PowerSource::UsbHost);
    runToTheEnd();
    const std::vector<std::string> all = supply.what();
    const std::vector<std::string> after(all.begin() + static_cast<std::ptrdiff_t>(sentBefore),
                                         all.end());
    if (k.refusedStep == 0) {
        EXPECT_EQ(runner.lastEnd()->reason, EndReason::Completed);
        EXPECT_EQ(log.size(), loggedBefore + 2) << "only the completion and the output off";
        for (const auto& s : supply.sent) {
            if (s.atMs < at || s.what == "off")
                continue;
            EXPECT_LE(std::stod(s.what) * std::stod(s.what.substr(s.what.find('/') + 1)), 1.5)
                << s.what;
        }
        return;
    }
    EXPECT_EQ(after, std::vector<std::string>{"off"}) << "the refused point is never sent";
    EXPECT_EQ(runner.lastEnd()->reason, EndReason::SourceRefused);
    EXPECT_TRUE(runner.lastEnd()->outputSwitchedOff);
    ASSERT_EQ(log.size(), loggedBefore + 3);
    EXPECT_EQ(log[loggedBefore].rfind("ステップ " + std::to_string(k.refusedStep) + " ", 0), 0u)
        << log[loggedBefore];
    EXPECT_EQ(log[loggedBefore + 1],
              "給電元が変わり、残りの設定が許容電力容量を超えるためシーケンスを中止しました");
    EXPECT_EQ(log[loggedBefore + 2], texts::SequenceOutputOff.str());
}

INSTANTIATE_TEST_SUITE_P(
    ToTheUsbHost, SourceChange,
    testing::Values(SourceDrop{"ANextStepBeyondItsPower",
                               {{5, 0.2, 1, Ramp::Step}, {10, 0.5, 1, Ramp::Step}},
                               1,
                               500,
                               true,
                               2},
                    SourceDrop{"EverythingStillToComeFits",
                               {{5, 0.2, 1, Ramp::Step}, {5, 0.25, 1, Ramp::Step}},
                               1,
                               500,
                               true,
                               0},
                    SourceDrop{"TheRunningStepIsIncluded",
                               {{10, 0.5, 1, Ramp::Step}, {5, 0.2, 1, Ramp::Step}},
                               1,
                               500,
                               true,
                               1},
                    SourceDrop{"AStepDoneNoLongerCounts",
                               {{10, 0.5, 1, Ramp::Step}, {5, 0.2, 1, Ramp::Step}},
                               1,
                               1500,
                               true,
                               0},
                    SourceDrop{"ALaterRoundSetsItAgain",
                               {{10, 0.5, 1, Ramp::Step}, {5, 0.2, 1, Ramp::Step}},
                               2,
                               1500,
                               true,
                               1},
                    // A ramp from 10 V 0.5 A down to 1 V 0.1 A: its first points are beyond 1.5 W,
                    // its last second is not.
                    SourceDrop{"TheRampPointsStillToComeOfTheRunningRamp",
                               {{10, 0.5, 1, Ramp::Step}, {1, 0.1, 4, Ramp::Linear}},
                               1,
                               1300,
                               true,
                               2},
                    SourceDrop{"TheRampsLastSecond",
                               {{10, 0.5, 1, Ramp::Step}, {1, 0.1, 4, Ramp::Linear}},
                               1,
                               4100,
                               true,
                               0},
                    SourceDrop{"MetByTheNextPointBeforeTheSessionTells",
                               {{5, 0.2, 1, Ramp::Step}, {10, 0.5, 1, Ramp::Step}},
                               1,
                               500,
                               false,
                               2}),
    casenames::ByName());

TEST_F(RunnerTest, ASecondRunOnTheSameRunnerCountsItsOwnTotalsFromZero) {
    for (double added : {0.3, 0.1}) {
        ASSERT_FALSE(runner.start(steps({{5, 0.3, 100, Ramp::Step}})));
        for (int i = 0; i < 2; ++i) {
            clockMs += 500;
            supply.charge += added / 2;
            supply.energy += added;
            runner.service();
            reading(5.0, 0.3);
        }
        runner.abort();
        ASSERT_TRUE(runner.lastEnd());
        EXPECT_NEAR(runner.lastEnd()->totals.chargeAh, added, 1e-9);
        EXPECT_NEAR(runner.lastEnd()->totals.energyWh, 2 * added, 1e-9);
        EXPECT_NEAR(runner.lastEnd()->totals.elapsedSeconds, 1.0, 1e-9);
    }
}

TEST_F(RunnerTest, AnOutputThatWillNotSwitchOnIsToldAsThatNotAsSetpointsUnsent) {
    supply.switchResult = DeviceResult::BadReply;
    runner.start(steps({{5, 0.3, 1, Ramp::Step}}), options(true, false));
    ASSERT_TRUE(runner.lastEnd());
    EXPECT_NE(std::find(log.begin(), log.end(), "出力をONできないためシーケンスを中止しました"),
              log.end());
    EXPECT_EQ(std::find(log.begin(), log.end(), "設定値を送信できないためシーケンスを中止しました"),
              log.end());
}

// What the log says of a stop condition is the value the runner keeps, not a rounding of it.
TEST(StopConditionText, IsTheValueTheRunnerUses) {
    StopConditions stops;
    stops.elapsedSeconds = 1.5;
    stops.chargeAboveAh = 0.0001;
    EXPECT_EQ(endText(EndReason::Elapsed, stops),
              "経過時間が 0:00:01.5 に達したためシーケンスを終了しました");
    EXPECT_EQ(endText(EndReason::Charge, stops),
              "電荷が 0.0001Ah を超えたためシーケンスを終了しました");
    stops.elapsedSeconds = 3661.25;
    EXPECT_EQ(endText(EndReason::Elapsed, stops),
              "経過時間が 1:01:01.25 に達したためシーケンスを終了しました");
}

// The end says the output was switched off only when the device confirmed it and the output
// was on; a refused switch-off is said with the device's answer.
TEST_F(RunnerTest, TheEndClaimsOnlyASwitchOffTheDeviceConfirmedOfAnOutputThatWasOn) {
    supply.on = false;
    ASSERT_FALSE(runner.start(steps({{5, 0.3, 1, Ramp::Step}})));
    runToTheEnd();
    EXPECT_EQ(supply.what().back(), "off");
    EXPECT_EQ(log.back(), texts::SequenceCompleted.str()) << "it never was on";

    ASSERT_FALSE(runner.start(steps({{5, 0.3, 1, Ramp::Step}}), options(true, false)));
    supply.switchResult = DeviceResult::BadReply;
    runToTheEnd();
    EXPECT_FALSE(runner.lastEnd()->outputSwitchedOff);
    EXPECT_EQ(runner.lastEnd()->switchOff, DeviceResult::BadReply);
    EXPECT_EQ(log.back(), "シーケンスの終了で出力をOFFできません(デバイスが正しく応答しません)");
}

TEST_F(RunnerTest, SwitchingOnComesAfterTheFirstSetpointsAndIsRefusedWhileTripped) {
    ASSERT_FALSE(runner.start(steps({{5, 0.3, 1, Ramp::Step}}), options(true, false)));
    EXPECT_EQ(supply.what(), (std::vector<std::string>{"5.00/0.300", "on"}));
    runner.abort();
    supply.sent.clear();
    supply.locked = true;
    EXPECT_EQ(runner.start(steps({{5, 0.3, 1, Ramp::Step}}), options(true, false)).kind,
              RefusalKind::Tripped);
    supply.linked = false;
    EXPECT_EQ(runner.start(steps({{5, 0.3, 1, Ramp::Step}})).kind, RefusalKind::NotConnected);
    EXPECT_TRUE(supply.sent.empty());
    EXPECT_FALSE(runner.running());
}

TEST_F(RunnerTest, ARefusedSequenceSendsNothingAndNamesItsStep) {
    supply.powerSource = PowerSource::UsbHost;
    const Refusal r = runner.start(
        steps({{5, 0.3, 1, Ramp::Step}, {2, 0.75, 1, Ramp::Step}, {10, 0.15, 10, Ramp::Linear}}));
    EXPECT_EQ(r.step, 3);
    EXPECT_EQ(refusalText(r), "ステップ 3 の 0.25 秒の点 2.20V/0.735A は設定できません: "
                              "許容電力容量を超えるため設定できません");
    EXPECT_TRUE(supply.sent.empty());
    EXPECT_TRUE(log.empty());
}

} // namespace
