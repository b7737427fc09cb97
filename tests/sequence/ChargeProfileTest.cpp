// Each charge profile on the simulated supply with a charging cell on its output, the cell's
// time and the runner's running 500 times faster than the wall clock: every charge ends for
// its own reason with the output off and a summary in the log; what the source cannot supply
// never starts.
#include "sequence/ChargeProfile.h"
#include "config/Settings.h"
#include "platform/Clock.h"
#include "platform/Paths.h"
#include "sequence/SequenceMessages.h"
#include "sequence/SessionSupply.h"
#include "session/MeasurementSession.h"
#include "simulator/SimulatedSupply.h"
#include "support/CaseNames.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>

namespace {

using namespace sequence;

constexpr int TimeScale = 500;

struct ChargeCase {
    std::string name;
    ChargeSettings settings;
    sim::CellModel cell;
    EndReason reason;
    std::string summaryStart;
};

class ChargeOnSimulatedCell : public testing::TestWithParam<ChargeCase> {
protected:
    void SetUp() override {
        platform::setExecutableDirectoryForTest(dir.path());
        ASSERT_TRUE(sim.start());
        settings = std::make_unique<Settings>();
        session = std::make_unique<session::MeasurementSession>(*settings);
        session->setMonotonicClockForTest([this] { return scaledMs(); });
        ASSERT_EQ(session->connect(sim.portPath()), DeviceResult::Ok);
        runner = std::make_unique<SessionRunner>(
            *session, [this](const std::string& m) { log.push_back(m); },
            [this] { return scaledMs(); });
    }
    void TearDown() override {
        runner.reset();
        session.reset();
        platform::setExecutableDirectoryForTest("");
    }
    // The cell's time: the wall clock sped up as much as the simulator's.
    std::int64_t scaledMs() const { return (platform::monotonicMs() - realStart) * TimeScale; }
    // Polls and services as quorelctl's loop does, for at most `realMs` of wall time.
    void runFor(std::int64_t realMs) {
        const std::int64_t end = platform::monotonicMs() + realMs;
        while (runner->runner().running() && platform::monotonicMs() < end) {
            session->poll();
            runner->runner().service();
        }
    }

    TempDir dir;
    sim::SimulatedSupply sim;
    std::unique_ptr<Settings> settings;
    std::unique_ptr<session::MeasurementSession> session;
    std::unique_ptr<SessionRunner> runner;
    std::vector<std::string> log;
    std::int64_t realStart = platform::monotonicMs();
};

TEST_P(ChargeOnSimulatedCell, EndsForItsReasonWithTheOutputOffAndASummary) {
    const ChargeCase& c = GetParam();
    sim.setTimeScale(TimeScale);
    sim.setCell(c.cell);
    const ChargeBuild build = chargeSequence(c.settings);
    ASSERT_TRUE(build.plan) << build.problem;
    ASSERT_FALSE(runner->runner().start(build.plan->sequence, build.plan->options));
    EXPECT_TRUE(sim.outputOn());
    EXPECT_DOUBLE_EQ(sim.voltageSetpoint(), build.plan->volts);
    runFor(20000);
    ASSERT_FALSE(runner->runner().running()) << "still charging after 20 s";
    EXPECT_EQ(runner->runner().lastEnd()->reason, c.reason);
    EXPECT_FALSE(sim.outputOn());
    ASSERT_GE(log.size(), 3u);
    EXPECT_EQ(log.back().rfind(c.summaryStart, 0), 0u) << log.back();
    // The summary's charge is the session's count of what the cell took.
    double mah = 0;
    ASSERT_EQ(std::sscanf(log.back().c_str() + log.back().find("電荷 ") + 7, "%lfmAh", &mah), 1);
    EXPECT_NEAR(mah, sim.cellChargedMah(), 0.1 * sim.cellChargedMah() + 1);
}

sim::CellModel cell(int cells, double empty, double full, double mah, double ohms, double soc) {
    sim::CellModel c;
    c.cells = cells;
    c.emptyVolts = empty;
    c.fullVolts = full;
    c.capacityMah = mah;
    c.internalOhms = ohms;
    c.stateOfCharge = soc;
    return c;
}

ChargeSettings charge(Chemistry chemistry, int cells, double mah, double rate,
                      std::optional<double> maxTime = {}) {
    ChargeSettings s;
    s.chemistry = chemistry;
    s.cells = cells;
    s.capacityMah = mah;
    s.rateC = rate;
    s.maxTimeS = maxTime;
    return s;
}

INSTANTIATE_TEST_SUITE_P(
    Profiles, ChargeOnSimulatedCell,
    testing::Values(
        ChargeCase{"LiIonTapersToTheTerminationCurrent", charge(Chemistry::LiIon, 1, 100, 1),
                   cell(1, 3.0, 4.2, 100, 0.5, 0.9), EndReason::CurrentBelow,
                   "充電を終了しました(終止電流に到達"},
        ChargeCase{"LiFePO4TwoCellsTaperToTheTerminationCurrent",
                   charge(Chemistry::LiFePO4, 2, 200, 1), cell(2, 2.8, 3.6, 200, 0.4, 0.9),
                   EndReason::CurrentBelow, "充電を終了しました(終止電流に到達"},
        ChargeCase{"NimhStopsWhenItsChargeIsIn", charge(Chemistry::NiMH, 4, 100, 5),
                   cell(4, 1.0, 1.45, 100, 0.2, 0.5), EndReason::Charge,
                   "充電を終了しました(充電量に到達"},
        ChargeCase{"LiIonStillInConstantCurrentAtItsMaximumTime",
                   charge(Chemistry::LiIon, 1, 100, 1, 120), cell(1, 3.0, 4.2, 100, 0.5, 0.2),
                   EndReason::Elapsed, "充電を終了しました(最大時間に到達"}),
    casenames::ByName());

TEST_F(ChargeOnSimulatedCell, TwoCellsAtOneAmpereAreRefusedOnTheUsbHostBeforeAnythingIsSent) {
    sim.setSourceLetter('U');
    session->poll();
    sim.clearReceived();
    const ChargeBuild build = chargeSequence(charge(Chemistry::LiIon, 2, 1000, 1));
    ASSERT_TRUE(build.plan);
    const Refusal r = runner->runner().start(build.plan->sequence, build.plan->options);
    EXPECT_EQ(refusalText(r),
              "ステップ 1 は設定できません: 許容電力容量を超えるため設定できません");
    EXPECT_EQ(sim.receivedText(), "");
    EXPECT_TRUE(log.empty());
}

struct ParameterCase {
    std::string name;
    ChargeSettings settings;
    std::string problem; // empty: accepted with the values below
    double volts, amps, maxTimeS;
    StopConditions stops;
};

class ChargeParameters : public testing::TestWithParam<ParameterCase> {};

TEST_P(ChargeParameters, AreCheckedAndGiveTheChargesSetpointsAndLimits) {
    const ParameterCase& c = GetParam();
    const ChargeBuild b = chargeSequence(c.settings);
    EXPECT_EQ(b.problem, c.problem);
    ASSERT_EQ(b.plan.has_value(), c.problem.empty());
    if (!b.plan)
        return;
    EXPECT_NEAR(b.plan->volts, c.volts, 1e-9);
    EXPECT_NEAR(b.plan->amps, c.amps, 1e-9);
    EXPECT_EQ(b.plan->maxTimeS, c.maxTimeS);
    const StopConditions& s = b.plan->sequence.stops;
    EXPECT_EQ(s.currentBelow.has_value(), c.stops.currentBelow.has_value());
    if (s.currentBelow) {
        EXPECT_NEAR(s.currentBelow->amps, c.stops.currentBelow->amps, 1e-9);
        EXPECT_EQ(s.currentBelow->seconds, 10.0);
    }
    EXPECT_EQ(s.chargeAboveAh.has_value(), c.stops.chargeAboveAh.has_value());
    if (s.chargeAboveAh)
        EXPECT_NEAR(*s.chargeAboveAh, *c.stops.chargeAboveAh, 1e-9);
    EXPECT_EQ(s.elapsedSeconds, c.maxTimeS);
    EXPECT_TRUE(b.plan->options.outputOnAtStart);
    EXPECT_FALSE(b.plan->options.keepOutputAtEnd);
}

ChargeSettings defaults(Chemistry chemistry, int cells, double mah) {
    ChargeSettings s;
    s.chemistry = chemistry;
    s.cells = cells;
    s.capacityMah = mah;
    return s;
}

StopConditions below(double amps) {
    StopConditions s;
    s.currentBelow = CurrentBelow{amps, 10};
    return s;
}

StopConditions chargeOf(double ah) {
    StopConditions s;
    s.chargeAboveAh = ah;
    return s;
}

INSTANTIATE_TEST_SUITE_P(
    Settings, ChargeParameters,
    testing::Values(
        ParameterCase{"LiIonDefaultsHalfCTenthCFourHours", defaults(Chemistry::LiIon, 2, 2000), "",
                      8.4, 1.0, 14400, below(0.1)},
        ParameterCase{"LiFePO4FiveCellsStayWithin20Volts", defaults(Chemistry::LiFePO4, 5, 500), "",
                      18.0, 0.25, 14400, below(0.025)},
        ParameterCase{"LithiumAtATwentiethCEndsAtATenthOfItsCurrent",
                      charge(Chemistry::LiIon, 1, 2000, 0.05), "", 4.2, 0.1, 111600, below(0.01)},
        ParameterCase{"NickelMayChargeAtOneMilliampere", charge(Chemistry::NiMH, 1, 10, 0.1), "",
                      1.6, 0.001, 63000, chargeOf(0.014)},
        ParameterCase{
            "LithiumBelowTwoMilliamperesNamesTheSmallestRate",
            charge(Chemistry::LiIon, 1, 150, 0.01),
            "容量 150mAh では充電電流が0.002A未満です。充電レートは 0.0134C 以上で指定してください",
            0,
            0,
            0,
            {}},
        ParameterCase{"CapacityBeyondOneAmpereAtTheDefaultRateIsNamed",
                      defaults(Chemistry::LiIon, 1, 2000.5),
                      "容量 2000.5mAh は充電レート 0.5C では充電電流が1Aを超えます(2000mAhまで)",
                      0,
                      0,
                      0,
                      {}},
        ParameterCase{"NimhTenthCForFourteenTenthsOfItsCapacity",
                      defaults(Chemistry::NiMH, 4, 2000), "", 6.4, 0.2, 63000, chargeOf(2.8)},
        ParameterCase{"FiveLiIonCellsExceed20Volts",
                      defaults(Chemistry::LiIon, 5, 1000),
                      "セル数は1～4で指定してください",
                      0,
                      0,
                      0,
                      {}},
        ParameterCase{"CapacityTooSmall",
                      defaults(Chemistry::LiIon, 1, 5),
                      "容量は10～100000mAhで指定してください",
                      0,
                      0,
                      0,
                      {}},
        ParameterCase{"RateTooSmall",
                      charge(Chemistry::LiIon, 1, 1000, 0.001),
                      "充電レートは0.01～10Cで指定してください",
                      0,
                      0,
                      0,
                      {}},
        ParameterCase{"CurrentAboveOneAmpere",
                      charge(Chemistry::LiIon, 1, 3000, 0.5),
                      "容量 3000mAh は充電レート 0.5C では充電電流が1Aを超えます(2000mAhまで)",
                      0,
                      0,
                      0,
                      {}},
        ParameterCase{"TerminationNotBelowTheChargeCurrent",
                      [] {
                          ChargeSettings s = charge(Chemistry::LiIon, 1, 1000, 0.1);
                          s.terminationA = 0.1;
                          return s;
                      }(),
                      "終止電流は0.001A以上で充電電流より小さくしてください",
                      0,
                      0,
                      0,
                      {}},
        ParameterCase{"MaximumTimeUnderAMinute",
                      charge(Chemistry::LiIon, 1, 1000, 0.5, 30),
                      "最大時間は60～604800秒で指定してください",
                      0,
                      0,
                      0,
                      {}}),
    casenames::ByName());

} // namespace
