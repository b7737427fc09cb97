#include "config/CIni.h"
#include "config/Settings.h"
#include "platform/Paths.h"
#include "session/MeasurementSession.h"
#include "session/SessionSettings.h"
#include "simulator/SimulatedSupply.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <filesystem>
#include <memory>

namespace {

using session::MeasurementSession;
using session::ProtectionKind;

// Records what the session reports, in order.
struct Events : session::SessionObserver {
    std::vector<std::string> seen;
    void onConnected(bool automatic) override {
        seen.push_back(automatic ? "reconnected" : "connected");
    }
    void onDeviceLost(bool reconnecting) override {
        seen.push_back(reconnecting ? "lost, waiting" : "lost");
    }
    void onTrip(const session::Trip&) override { seen.push_back("trip"); }
    void onOutputChanged(bool on) override { seen.push_back(on ? "output on" : "output off"); }
};

// A session on the simulated supply (10 ohm load, 5 V / 0.4 A: 4 V, 0.4 A in CC, output on),
// with a monotonic clock the test moves.
class SessionOnSimulator : public testing::Test {
protected:
    void SetUp() override {
        platform::setExecutableDirectoryForTest(dir.path());
        ASSERT_TRUE(sim.start());
        sim.setLoadOhms(10);
        sim.setSetpoint(5.0, 0.4);
        sim.setOutput(true);
        settings = std::make_unique<Settings>();
        s = std::make_unique<MeasurementSession>(*settings);
        s->setMonotonicClockForTest([this] { return clockMs.load(); });
        s->addObserver(&events);
        // Through ports/com5, a link that follows the device across re-plugs.
        std::filesystem::create_directory(dir.file("ports"));
        ASSERT_TRUE(sim.linkAs(dir.file("ports/com5")));
        ASSERT_EQ(s->connect("com5"), DeviceResult::Ok);
        sim.clearReceived();
        events.seen.clear();
    }
    void TearDown() override {
        s.reset();
        platform::setExecutableDirectoryForTest("");
    }
    DeviceResult pollAfter(int ms) {
        clockMs += ms;
        return s->poll();
    }
    int count(char command) const {
        const std::string t = sim.receivedText();
        return static_cast<int>(std::count(t.begin(), t.end(), command));
    }

    TempDir dir;
    sim::SimulatedSupply sim;
    std::unique_ptr<Settings> settings;
    std::unique_ptr<MeasurementSession> s;
    std::atomic<std::int64_t> clockMs{1000};
    Events events;
};

struct ProtectionCase {
    std::string name;
    ProtectionKind kind;
    double level; // the simulator gives 4.00 V, 0.400 A, 1.6 W
};

class ProtectionTrip : public SessionOnSimulator,
                       public testing::WithParamInterface<ProtectionCase> {};

TEST_P(ProtectionTrip, SwitchesOffInTheFirstPollOverTheLevelAndLatchesUntilCleared) {
    const auto& k = GetParam();
    ASSERT_EQ(s->protections().setLevel(k.kind, k.level), session::LevelResult::Ok);
    s->protections().setEnabled(k.kind, true);
    ASSERT_EQ(pollAfter(500), DeviceResult::Ok);
    EXPECT_EQ(events.seen, std::vector<std::string>{"trip"});
    EXPECT_FALSE(sim.outputOn()) << "the off command goes out in the same poll";
    ASSERT_TRUE(s->protections().trip(k.kind));
    EXPECT_DOUBLE_EQ(s->protections().trip(k.kind)->level, k.level);
    EXPECT_EQ(s->requestOutput(true), session::OutputRequest::Refused);
    EXPECT_FALSE(sim.outputOn());
    pollAfter(500);
    EXPECT_EQ(events.seen.size(), 1u) << "a latched trip fires once, and no change is reported";
    s->protections().clear(k.kind);
    EXPECT_EQ(s->requestOutput(true), session::OutputRequest::Confirmed);
    EXPECT_TRUE(sim.outputOn());
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, ProtectionTrip,
    testing::Values(ProtectionCase{"OverVoltage", ProtectionKind::OverVoltage, 3.9},
                    ProtectionCase{"OverCurrent", ProtectionKind::OverCurrent, 0.39},
                    ProtectionCase{"OverPower", ProtectionKind::OverPower, 1.5}),
    [](const auto& info) { return info.param.name; });

TEST_F(SessionOnSimulator, OverCurrentWaitsForItsDelayOfConsecutiveReadingsOverTheLevel) {
    auto& p = s->protections();
    p.setLevel(ProtectionKind::OverCurrent, 0.3);
    ASSERT_EQ(p.setDelay(1.0), session::LevelResult::Ok);
    p.setEnabled(ProtectionKind::OverCurrent, true);
    pollAfter(500); // over since here
    pollAfter(500);
    EXPECT_FALSE(p.tripped());
    sim.setLoadOhms(1000); // 4 mA: under the level, the wait starts again
    pollAfter(500);
    sim.setLoadOhms(10);
    pollAfter(500);
    pollAfter(500);
    EXPECT_FALSE(p.tripped());
    pollAfter(500);
    EXPECT_TRUE(p.tripped());
    EXPECT_FALSE(sim.outputOn());
}

// The on-time (ACC:TIME?, the statistics, monitor) runs from the session's own switch-on to
// the moment a trip switched the output off, not from and to half a poll interval.
TEST_F(SessionOnSimulator, OnTimeRunsFromTheSwitchOnToTheTrip) {
    ASSERT_EQ(s->requestOutput(false), session::OutputRequest::Confirmed);
    pollAfter(500);
    clockMs += 100;
    ASSERT_EQ(s->requestOutput(true), session::OutputRequest::Confirmed);
    for (int ms : {400, 500, 500})
        pollAfter(ms);
    EXPECT_NEAR(s->counters().outputOnSeconds(), 1.4, 1e-9);
    s->protections().setLevel(ProtectionKind::OverCurrent, 0.3);
    s->protections().setEnabled(ProtectionKind::OverCurrent, true);
    pollAfter(500); // over the level: off at once
    pollAfter(500);
    EXPECT_NEAR(s->counters().outputOnSeconds(), 1.9, 1e-9);
}

TEST_F(SessionOnSimulator, LevelsOutsideTheDevicesRangeAreRefused) {
    auto& p = s->protections();
    for (double bad : {0.0, -1.0, 20.01, std::nan("")})
        EXPECT_EQ(p.setLevel(ProtectionKind::OverVoltage, bad), session::LevelResult::OutOfRange)
            << bad;
    EXPECT_EQ(p.setLevel(ProtectionKind::OverCurrent, 1.001), session::LevelResult::OutOfRange);
    EXPECT_EQ(p.setLevel(ProtectionKind::OverPower, 6.01), session::LevelResult::OutOfRange);
    EXPECT_EQ(p.setDelay(-0.5), session::LevelResult::OutOfRange);
    EXPECT_EQ(p.setDelay(3600.5), session::LevelResult::OutOfRange);
    EXPECT_EQ(p.setLevel(ProtectionKind::OverVoltage, 20.0), session::LevelResult::Ok);
}

TEST(Protections, LevelsAreKeptOnTheDisplaysGridAtOrBelowAndZeroThereIsRefused) {
    struct Case {
        ProtectionKind kind;
        double given;
        double kept; // below 0: refused
    };
    const Case cases[] = {
        {ProtectionKind::OverVoltage, 4.19, 4.19},    {ProtectionKind::OverVoltage, 4.199, 4.19},
        {ProtectionKind::OverVoltage, 0.0000001, -1}, {ProtectionKind::OverVoltage, 1e-9, -1},
        {ProtectionKind::OverCurrent, 0.2999, 0.299}, {ProtectionKind::OverCurrent, 0.0009, -1},
        {ProtectionKind::OverPower, 2.5559, 2.555},   {ProtectionKind::OverPower, 0.001, 0.001},
        {ProtectionKind::OverPower, 6.0, 6.0},        {ProtectionKind::OverPower, 3.0, 3.0},
    };
    for (const Case& c : cases) {
        session::Protections p;
        const double before = p.setting(c.kind).level;
        const auto r = p.setLevel(c.kind, c.given);
        EXPECT_EQ(r == session::LevelResult::Ok, c.kept >= 0) << c.given;
        EXPECT_DOUBLE_EQ(p.setting(c.kind).level, c.kept >= 0 ? c.kept : before) << c.given;
    }
    EXPECT_DOUBLE_EQ(session::Protections().setting(ProtectionKind::OverPower).level, 6.0)
        << "the over-power default is the adapter's 6 W";
}

TEST_F(SessionOnSimulator, ReconnectsEveryTwoSecondsReadingBackAndKeepingTheCounters) {
    s->setAutoReconnect(true);
    ASSERT_TRUE(s->startMeasurementLog(dir.file("m.csv"), false, 1));
    for (int k = 0; k < 4; ++k)
        pollAfter(500);
    const std::size_t readings = s->counters().readings();
    sim.unplug();
    EXPECT_NE(pollAfter(500), DeviceResult::Ok);
    EXPECT_TRUE(s->reconnecting());
    EXPECT_EQ(events.seen, std::vector<std::string>{"lost, waiting"});
    ASSERT_TRUE(sim.replug(sim::Mode::MainFirmware));
    sim.setSetpoint(3.0, 0.2); // what the device holds now is read back
    sim.clearReceived();
    EXPECT_EQ(pollAfter(1500), DeviceResult::NotConnected);
    EXPECT_EQ(sim.receivedText(), "") << "no attempt before the tick nearest two seconds";
    pollAfter(500);
    ASSERT_TRUE(s->connected());
    EXPECT_EQ(events.seen.back(), "reconnected");
    EXPECT_EQ(count('S'), 0) << "set-points are never sent again";
    EXPECT_EQ(count('N'), 0) << "nor the output";
    EXPECT_DOUBLE_EQ(s->voltageSetpoint(), 3.0);
    EXPECT_DOUBLE_EQ(s->currentSetpoint(), 0.2);
    EXPECT_TRUE(s->measurementLogRunning());
    EXPECT_EQ(pollAfter(500), DeviceResult::Ok);
    EXPECT_EQ(s->counters().readings(), readings + 1) << "the counters go on";
}

// On the test clock: attempts at 2 s and 4 s after the loss find nothing; the device back at
// 4.5 s is connected by the attempt at 6 s, not by a poll before it.
TEST_F(SessionOnSimulator, AttemptsFallEveryTwoSecondsOnTheTestClock) {
    s->setAutoReconnect(true);
    sim.unplug();
    ASSERT_NE(pollAfter(500), DeviceResult::Ok);
    for (int k = 0; k < 9; ++k)
        pollAfter(500);
    ASSERT_FALSE(s->connected());
    ASSERT_TRUE(sim.replug(sim::Mode::MainFirmware));
    sim.clearReceived();
    pollAfter(500);
    pollAfter(500);
    EXPECT_FALSE(s->connected()) << "no attempt between the two-second ticks";
    EXPECT_EQ(sim.receivedText(), "");
    pollAfter(500);
    EXPECT_TRUE(s->connected()) << "the attempt at 6 s";
    EXPECT_EQ(events.seen.back(), "reconnected");
}

TEST_F(SessionOnSimulator, ADeviceThatStaysAwayIsTriedEveryTwoSecondsAndAManualConnectEndsIt) {
    s->setAutoReconnect(true);
    sim.unplug();
    pollAfter(500);
    for (int k = 0; k < 3; ++k) {
        EXPECT_EQ(pollAfter(2000), DeviceResult::NotConnected);
        EXPECT_TRUE(s->reconnecting());
    }
    EXPECT_NE(s->connect("com5"), DeviceResult::Ok);
    EXPECT_FALSE(s->reconnecting()) << "the operator's connect takes over";
}

TEST(SessionSettingsFile, BadValuesGetTheirDefaultsAndAreNamedWhileGoodOnesAreKept) {
    TempDir dir;
    TempDir::write(dir.file("q.ini"), "[SESSION]\r\nAutoReconnect=yes\r\nOvpEnabled=1\r\n"
                                      "OvpLevel=12.5\r\nOcpLevel=2\r\nOcpDelay=abc\r\n"
                                      "OppLevel=\r\nOppEnabled=maybe\r\n");
    CIni ini(dir.file("q.ini").c_str());
    std::vector<std::string> bad;
    auto s = session::SessionSettings::load(ini, bad);
    EXPECT_EQ(bad, (std::vector<std::string>{"OcpLevel", "OppEnabled", "OcpDelay"}));
    EXPECT_TRUE(s.autoReconnect);
    EXPECT_TRUE(s.protections[0].enabled);
    EXPECT_DOUBLE_EQ(s.protections[0].level, 12.5);
    EXPECT_DOUBLE_EQ(s.protections[1].level, 1.0);
    EXPECT_DOUBLE_EQ(s.protections[1].delaySeconds, 0.0);
    EXPECT_FALSE(s.protections[2].enabled);

    s.protections[1] = {true, 0.25, 1.5};
    ASSERT_TRUE(s.save(ini));
    bad.clear();
    auto back = session::SessionSettings::load(ini, bad);
    EXPECT_TRUE(bad.empty());
    EXPECT_TRUE(back.protections[1].enabled);
    EXPECT_DOUBLE_EQ(back.protections[1].level, 0.25);
    EXPECT_DOUBLE_EQ(back.protections[1].delaySeconds, 1.5);
    EXPECT_DOUBLE_EQ(back.protections[0].level, 12.5);
}

} // namespace
