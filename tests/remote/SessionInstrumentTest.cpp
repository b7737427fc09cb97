// The remote control of a measurement session on the simulated supply, through the real
// server on 127.0.0.1: what reaches the device, what the system log and the session's
// observers see, and what the clients get back.
#include "config/Settings.h"
#include "device/SupplyDevice.h"
#include "platform/Paths.h"
#include "remote/RemoteControl.h"
#include "session/MeasurementSession.h"
#include "session/SetpointRules.h"
#include "simulator/SimulatedSupply.h"
#include "support/TempDir.h"
#include "support/TestClient.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <random>

namespace {

using session::SetpointOrigin;

struct Seen : session::SessionObserver {
    std::vector<SetpointOrigin> setpoints;
    int protectionChanges = 0;
    int polls = 0;
    void onSetpointsChanged(SetpointOrigin origin) override { setpoints.push_back(origin); }
    void onProtectionsChanged() override { ++protectionChanges; }
    void onStatus(const DeviceStatus&) override { ++polls; }
};

// The session connected to the simulator (5 V / 0.2 A set, output off, OffsetAtt on) with
// its remote control listening on a free port and one client connected.
class RemoteOnSimulator : public testing::Test {
protected:
    void SetUp() override { ASSERT_NO_FATAL_FAILURE(plugIn('A')); }
    void plugIn(char source) {
        platform::setExecutableDirectoryForTest(dir.path());
        TempDir::write(dir.file("Quorel.ini"), "[QUOREL]\r\nOffsetAtt=1\r\n");
        std::filesystem::create_directories(dir.file("ports"));
        ASSERT_TRUE(sim.start());
        sim.setSourceLetter(source);
        sim.setSetpoint(5.0, 0.2);
        ASSERT_TRUE(sim.linkAs(dir.file("ports/com5")));
        settings = std::make_unique<Settings>();
        s = std::make_unique<session::MeasurementSession>(*settings);
        s->addObserver(&seen);
        ASSERT_EQ(s->connect("com5"), DeviceResult::Ok);
        control = std::make_unique<remote::RemoteControl>(
            *s, [this](const std::string& line) { log.push_back(line); });
        remote::ServerOptions options;
        options.listen = {remote::LoopbackAddress, 0};
        ASSERT_EQ(control->start(options), remote::StartResult::Ok);
        client = connect();
        sim.clearReceived();
        seen = {};
    }
    void TearDown() override {
        control.reset();
        s.reset();
        platform::setExecutableDirectoryForTest("");
    }

    void turn() { control->server().runOnce(2); }
    std::unique_ptr<TestClient> connect() {
        const std::size_t before = log.size();
        auto c = std::make_unique<TestClient>(control->server().address());
        EXPECT_TRUE(pumpUntil([this] { turn(); }, [&] { return log.size() > before; }));
        return c;
    }
    std::string ask(const std::string& line, TestClient* c = nullptr) {
        c = c ? c : client.get();
        c->send(line + "\n");
        if (!pumpUntil([this] { turn(); }, [&] { return !c->poll() || c->hasLine(); }) ||
            !c->hasLine())
            return "(no reply)";
        return c->takeLine();
    }
    // Runs a line without queries and gives the error it left.
    std::string run(const std::string& line) {
        client->send(line + "\n");
        return ask("SYST:ERR?");
    }
    std::string peer() const { return remote::formatEndpoint(control->server().clients().front()); }
    bool logged(const std::string& operatorLine) const {
        const std::string line = "リモート " + peer() + ": " + operatorLine;
        return std::find(log.begin(), log.end(), line) != log.end();
    }
    int received(char command) const {
        const std::string t = sim.receivedText();
        return static_cast<int>(std::count(t.begin(), t.end(), command));
    }

    TempDir dir;
    sim::SimulatedSupply sim;
    std::unique_ptr<Settings> settings;
    std::unique_ptr<session::MeasurementSession> s;
    std::unique_ptr<remote::RemoteControl> control;
    std::unique_ptr<TestClient> client;
    std::vector<std::string> log;
    Seen seen;
};

constexpr const char* NoError = "0,\"No error\"";
constexpr const char* Conflict = "-221,\"Settings conflict\"";

struct SetCase {
    const char* name;
    char source;         // the supply's power source: 'U' USB host (1.5 W), 'A' adapter (6 W)
    const char* command; // from 5.00 V / 0.200 A
    const char* error;
    const char* applied; // APPL? afterwards, and what the device holds
    const char* logLine; // the operator's line the remote one carries
};

class RemoteSetpoint : public RemoteOnSimulator, public testing::WithParamInterface<SetCase> {
protected:
    void SetUp() override { ASSERT_NO_FATAL_FAILURE(plugIn(GetParam().source)); }
};

TEST_P(RemoteSetpoint, FollowsThePanelsRulesOnNumbersAndReachesTheDeviceOnItsGrid) {
    const SetCase& c = GetParam();
    EXPECT_EQ(run(c.command), c.error);
    EXPECT_EQ(ask("APPL?"), c.applied);
    char device[32];
    std::snprintf(device, sizeof device, "%.2f,%.3f", sim.voltageSetpoint(), sim.currentSetpoint());
    EXPECT_EQ(std::string(device), c.applied) << "what the device holds";
    const bool sent = std::string(c.error) == NoError;
    EXPECT_EQ(received('S'), sent ? 1 : 0);
    EXPECT_EQ(seen.setpoints,
              sent ? std::vector{SetpointOrigin::Remote} : std::vector<SetpointOrigin>{});
    if (*c.logLine) {
        EXPECT_TRUE(logged(c.logLine)) << c.logLine;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Rules, RemoteSetpoint,
    testing::Values(SetCase{"PointFiftyEightVoltsIsTwentyNineSteps", 'A', "VOLT 0.58", NoError,
                            "0.58,0.200", "出力を 0.58V/0.200A にセットしました"},
                    SetCase{"MillivoltsGiveTheSameStep", 'A', "VOLT 580mV", NoError, "0.58,0.200",
                            ""},
                    SetCase{"NumbersBetweenStepsTakeTheStepBelow", 'A', "APPL 0.5899,0.0015",
                            NoError, "0.58,0.001", ""},
                    SetCase{"ExactlyTheUsbHostsCapacityIsAllowed", 'U', "APPL 7.5,0.2", NoError,
                            "7.50,0.200", ""},
                    SetCase{"AStepBeyondTheCapacityIsRefused", 'U', "APPL 7.52,0.2", Conflict,
                            "5.00,0.200", "許容電力容量を超えるため設定できません"},
                    SetCase{"VoltageBeyondTheCapacityWithTheCurrentKept", 'U', "VOLT 12", Conflict,
                            "5.00,0.200", ""},
                    SetCase{"TheAdapterAllowsMore", 'A', "VOLT 12", NoError, "12.00,0.200", ""},
                    SetCase{"BeyondTheLimitIsOutOfRange", 'A', "CURR 1.5",
                            "-222,\"Data out of range\"", "5.00,0.200", ""}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(RemoteGrid, EveryStepGoesOutAsItselfWhereTheDoubleLiesUnderIt) {
    for (unsigned k = 0; k <= 1000; ++k) {
        // The double nearest the decimal, e.g. 0.58 for k = 29, lies under it for some k.
        const double volts = std::stod(SetpointRules::formatVolts(k * 0.02));
        const double amps = std::stod(SetpointRules::formatAmps(k * 0.001));
        ASSERT_EQ(remote::stepsAtOrBelow(volts, SupplyDevice::VoltsPerUnit), k) << volts;
        ASSERT_EQ(remote::stepsAtOrBelow(amps, SupplyDevice::AmpsPerUnit), k) << amps;
        // The middle of the step, as the session sends it, keeps the step.
        ASSERT_EQ(SupplyDevice::setCommand((k + 0.5) * 0.02, (k + 0.5) * 0.001),
                  "S" + SupplyDevice::encodeUnits(k) + SupplyDevice::encodeUnits(k));
    }
    EXPECT_EQ(remote::stepsAtOrBelow(0.57999, 0.02), 28u);
    EXPECT_EQ(remote::stepsAtOrBelow(-0.5, 0.02), 0u);
    EXPECT_EQ(remote::stepsAtOrBelow(std::nan(""), 0.02), 0u);
}

TEST_F(RemoteOnSimulator, MeasureIsOneFreshExchangeCorrectedAsThePollsAre) {
    sim.setLoadOhms(0); // no load: 0 A measured, less the divider's 5 V / 7.8 kOhm
    ASSERT_EQ(run("OUTP ON"), NoError);
    sim.clearReceived();
    EXPECT_EQ(ask("MEAS:VOLT?;CURR?"), "5.00;-0.001");
    EXPECT_EQ(received('M'), 2) << "a status exchange for each, nothing else";
    EXPECT_EQ(ask("FETC:CURR?;:OUTP:MODE?"), "-0.001;CV");
    EXPECT_EQ(received('M'), 2) << "the last reading, without an exchange";
    EXPECT_EQ(seen.polls, 0) << "observers wait for the poll";
    EXPECT_TRUE(logged("出力を ON しました"));
}

TEST_F(RemoteOnSimulator, ResetSwitchesOffAndClearsProtectionsAndCountersButKeepsSetpoints) {
    sim.setLoadOhms(10); // 4 V / 0.2 A into 10 ohm: 2 V, 0.2 A in CC
    ASSERT_EQ(run("VOLT 4;:OUTP ON;:VOLT:PROT:LEV 1;STAT ON"), NoError);
    s->poll();
    ASSERT_EQ(ask("VOLT:PROT:TRIP?"), "1");
    ASSERT_EQ(run("CURR:PROT:LEV 0.5;STAT ON;:OUTP OFF"), NoError);
    ASSERT_GT(s->counters().readings(), 0u);

    EXPECT_EQ(run("*RST"), NoError);
    EXPECT_EQ(ask("OUTP?;:VOLT:PROT:STAT?;TRIP?;:CURR:PROT:STAT?;:APPL?"), "0;0;0;0;4.00,0.200");
    EXPECT_EQ(s->counters().readings(), 0u);
    EXPECT_EQ(received('F'), 3) << "trip, OUTP OFF and *RST each send the off command";
    EXPECT_TRUE(logged("リセットしました(出力OFF　保護解除　積算値リセット)"));
    EXPECT_GE(seen.protectionChanges, 1) << "the protections page follows";
}

TEST_F(RemoteOnSimulator, ResetSwitchesEveryProtectionOffOverPowerIncluded) {
    ASSERT_EQ(run("VOLT:PROT:STAT ON;:CURR:PROT:STAT ON;:POW:PROT:STAT ON"), NoError);
    ASSERT_EQ(ask("VOLT:PROT:STAT?;:CURR:PROT:STAT?;:POW:PROT:STAT?"), "1;1;1");
    EXPECT_EQ(run("*RST"), NoError);
    EXPECT_EQ(ask("VOLT:PROT:STAT?;:CURR:PROT:STAT?;:POW:PROT:STAT?"), "0;0;0");
}

// A level is kept on the display's grid, at or below the value given; what is answered and
// logged is what is kept, and a level that is 0 on the grid is refused as 0 is.
TEST_F(RemoteOnSimulator, ProtectionLevelsAreKeptOnTheDisplaysGridAndTheDelayUpToAnHour) {
    EXPECT_EQ(run("VOLT:PROT 4.199;:CURR:PROT 0.2999;:POW:PROT 2.5559"), NoError);
    EXPECT_EQ(ask("VOLT:PROT?;:CURR:PROT?;:POW:PROT?"), "4.19;0.299;2.555");
    EXPECT_TRUE(logged("過電圧保護のレベルを 4.19V に設定しました"));
    for (const char* line :
         {"VOLT:PROT 0.0000001", "VOLT:PROT 1e-9", "CURR:PROT 0.0009", "POW:PROT 0.0005"})
        EXPECT_EQ(run(line), "-222,\"Data out of range\"") << line;
    EXPECT_EQ(ask("VOLT:PROT?;:CURR:PROT?;:POW:PROT?"), "4.19;0.299;2.555");
    EXPECT_EQ(run("CURR:PROT:DEL 100"), NoError);
    EXPECT_EQ(ask("CURR:PROT:DEL?;DEL? MAX"), "100.000;3600.000");
    EXPECT_DOUBLE_EQ(s->protections().setting(session::ProtectionKind::OverCurrent).delaySeconds,
                     100.0);
}

TEST_F(RemoteOnSimulator, ProtectionsAreTheSessionsAndATripRefusesTheOutputUntilCleared) {
    sim.setLoadOhms(10);
    ASSERT_EQ(run("CURR:PROT:LEV 0.1;STAT ON;:OUTP ON"), NoError);
    EXPECT_TRUE(s->protections().setting(session::ProtectionKind::OverCurrent).enabled);
    s->poll();
    EXPECT_FALSE(sim.outputOn());
    EXPECT_EQ(ask("CURR:PROT:TRIP?"), "1");
    EXPECT_EQ(run("OUTP ON"), "-221,\"Settings conflict;refused in the present state\"");
    EXPECT_EQ(run("CURR:PROT:CLE;:OUTP ON"), NoError);
    EXPECT_TRUE(sim.outputOn());
    EXPECT_EQ(run("VOLT:PROT 0"), "-222,\"Data out of range\"") << "a level lies above 0";
    for (const char* line :
         {"過電流保護のレベルを 0.100A に設定しました", "過電流保護を有効にしました",
          "保護が作動中のため出力をONできません", "過電流保護の作動を解除しました",
          "過電圧保護のレベルは0より大きく20.00V以下で設定してください"})
        EXPECT_TRUE(logged(line)) << line;
    EXPECT_EQ(seen.protectionChanges, 3);
}

TEST_F(RemoteOnSimulator, WithoutADeviceItsQueriesFailWhileTheSessionsStateAnswers) {
    s->disconnect();
    for (const char* line : {"*IDN?", "MEAS:VOLT?", "FETC:CURR?", "VOLT?", "OUTP?", "APPL 1,0.1"})
        EXPECT_EQ(run(line), "-241,\"Hardware missing\"") << line;
    EXPECT_EQ(ask("ACC:ENER?;:CURR:PROT?"), "0.000000;1.000");
    ASSERT_EQ(s->connect("com5"), DeviceResult::Ok);
    EXPECT_EQ(ask("*IDN?"), "Quorel,QUOREL,0,1.02");
    sim.setSilent(true);
    EXPECT_EQ(run("MEAS:VOLT?"), "-240,\"Hardware error\"");
    EXPECT_TRUE(s->connected()) << "the next poll finds the device lost";
}

// What a sequencer gets from the instrument; the sequences themselves are its business.
struct FakeSequencer : remote::Sequencer {
    scpi::ListSequence started;
    int step = 0;
    scpi::InstrumentResult start(const scpi::ListSequence& steps, int&) override {
        started = steps;
        step = 1;
        return scpi::InstrumentResult::Ok;
    }
    void abort() override { step = 0; }
    int runningStep() const override { return step; }
};

TEST_F(RemoteOnSimulator, ListsAreKeptAndInitiateWaitsForASequencer) {
    ASSERT_EQ(run("LIST:VOLT 1,2;CURR 0.1,0.2;DWEL 1,0.5"), NoError);
    EXPECT_EQ(ask("LIST:VOLT?;CURR?;STEP?"), "1.00,2.00;0.100,0.200;0");
    EXPECT_EQ(run("INIT"), "-221,\"Settings conflict;not available in this version\"");
    FakeSequencer sequencer;
    control->instrument().setSequencer(&sequencer);
    EXPECT_EQ(run("INIT"), NoError);
    EXPECT_EQ(sequencer.started.volts, (std::vector<double>{1, 2}));
    EXPECT_EQ(ask("LIST:STEP?"), "1");
    EXPECT_EQ(run("LIST:VOLT 3"), "-221,\"Settings conflict;refused in the present state\"");
    EXPECT_EQ(run("ABOR"), NoError);
    EXPECT_EQ(sequencer.step, 0);
    EXPECT_EQ(received('S'), 0) << "nothing of it reached the device";
}

TEST_F(RemoteOnSimulator, ClientVanishingMidCommandOrSendingNoiseLeavesTheSupplyAsLinesSetIt) {
    auto vanishing = connect();
    vanishing->send("APPL 3,0.1\nVOLT 1");
    vanishing->push();
    vanishing->close();
    ASSERT_TRUE(
        pumpUntil([this] { turn(); }, [&] { return control->server().clients().size() == 1; }));

    std::mt19937 random(14);
    std::string noise(64 * 1024, '\0');
    for (char& b : noise)
        b = static_cast<char>(random());
    auto noisy = connect();
    noisy->send(noise + "\n" + std::string(70 * 1024, 'V') + "\n*OPC?\n");
    int polls = 0;
    std::int64_t nextPoll = platform::monotonicMs();
    auto step = [&] {
        turn();
        noisy->poll();
        if (platform::monotonicMs() >= nextPoll) {
            EXPECT_EQ(s->poll(), DeviceResult::Ok) << "the polls go on between the commands";
            ++polls;
            nextPoll += 100;
        }
    };
    ASSERT_TRUE(pumpUntil(step, [&] { return noisy->received.find("1\n") != std::string::npos; }));
    EXPECT_GT(polls, 0);
    EXPECT_EQ(ask("APPL?"), "3.00,0.100") << "the cut line never ran";
    EXPECT_EQ(received('S'), 1);
    EXPECT_FALSE(sim.outputOn());
}

} // namespace
