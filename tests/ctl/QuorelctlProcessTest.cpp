// The real quorelctl program as a child process: the exit code reaches the shell, a signal
// during `log` ends it cleanly with every line complete, and a run that ends without its
// switch-off (a lost device, a killed program) leaves the output off at the next connect.
#include "CtlTestSupport.h"

#include "ctl/ExitCode.h"
#include "session/RunMarker.h"
#include "support/Handshake.h"

#include <csignal>
#include <regex>

namespace {

TEST(QuorelctlProgram, ExitCodeAndMessageReachTheShell) {
    TempDir dir;
    Child child(dir, {"info", "--port", "/dev/pts/99999"});
    EXPECT_EQ(child.wait(5000), ctl::DeviceOpenFailed);
    EXPECT_EQ(TempDir::read(dir.file("err")),
              "デバイス /dev/pts/99999 を接続できません (ポートを開けません)\n");
}

class StopSignal : public testing::TestWithParam<int> {};

TEST_P(StopSignal, DuringLogEndsItWithEveryLineComplete) {
    TempDir dir;
    sim::SimulatedSupply sim;
    ASSERT_TRUE(sim.start());
    sim.setOutput(true);
    const std::string csv = dir.file("m.csv");
    Child child(dir, {"log", csv, "--port", sim.portPath()});

    // Two lines a second apart, then the signal.
    const auto end = platform::monotonicMs() + 8000;
    auto linesSoFar = [&] {
        const std::string text = TempDir::read(csv);
        return std::count(text.begin(), text.end(), '\n');
    };
    while (platform::monotonicMs() < end && linesSoFar() < 2)
        platform::sleepMs(20);
    ASSERT_EQ(::kill(child.pid, GetParam()), 0);
    const auto signalled = platform::monotonicMs();
    EXPECT_EQ(child.wait(5000), ctl::Success);
    EXPECT_LT(platform::monotonicMs() - signalled, 1000);

    const std::string text = TempDir::read(csv);
    std::regex line(R"(\d\d/\d\d/\d\d \d\d:\d\d:\d\d,5\.00,0\.500,CV,5\.00,0\.100\r\n)");
    std::size_t at = 0, count = 0;
    std::smatch m;
    while (at < text.size()) {
        const std::string rest = text.substr(at);
        ASSERT_TRUE(std::regex_search(rest, m, line) && m.position(0) == 0)
            << "incomplete or wrong line at byte " << at << ": " << rest;
        at += static_cast<std::size_t>(m.length(0));
        ++count;
    }
    EXPECT_GE(count, 2u);
    EXPECT_EQ(TempDir::read(dir.file("err")), "ログを開始しました\nログを停止しました\n");
    // The port is free again.
    EXPECT_EQ(SupplyDevice::connect(sim.portPath()), DeviceResult::Ok);
    SupplyDevice::disconnect();
}

INSTANTIATE_TEST_SUITE_P(Signals, StopSignal, testing::Values(SIGINT, SIGTERM),
                         [](const auto& info) { return info.param == SIGINT ? "Int" : "Term"; });

struct RunningCommand {
    std::string name;
    std::vector<std::string> args; // the port follows
    std::string lastMessage;       // how the last line on standard error begins
};

class StopSignalDuringARun : public testing::TestWithParam<RunningCommand> {};

// Ctrl-C while a step list or a charge runs: the run is aborted, the output is off, the
// abort is said and the exit code is the abort's.
TEST_P(StopSignalDuringARun, AbortsWithTheOutputOff) {
    TempDir dir;
    sim::SimulatedSupply sim;
    ASSERT_TRUE(sim.start());
    sim::CellModel cell;
    sim.setCell(cell);
    TempDir::write(dir.file("steps.csv"), "volts,amps,seconds\n3,0.2,30\n4,0.2,30\n");
    std::vector<std::string> args = GetParam().args;
    for (auto& a : args)
        if (a == "steps.csv")
            a = dir.file(a);
    args.insert(args.end(), {"--port", sim.portPath()});
    Child child(dir, args);

    const auto end = platform::monotonicMs() + 8000;
    while (platform::monotonicMs() < end &&
           TempDir::read(dir.file("out")).find("step 1/") == std::string::npos)
        platform::sleepMs(20);
    ASSERT_TRUE(sim.outputOn()) << TempDir::read(dir.file("err"));
    ASSERT_EQ(::kill(child.pid, SIGINT), 0);
    EXPECT_EQ(child.wait(5000), ctl::SequenceAborted);
    EXPECT_FALSE(sim.outputOn());
    const std::string err = TempDir::read(dir.file("err"));
    EXPECT_NE(err.find("シーケンスを中止しました\nシーケンスの終了で出力をOFFしました\n"),
              std::string::npos)
        << err;
    const std::string lastLine = err.substr(err.rfind('\n', err.size() - 2) + 1);
    EXPECT_EQ(lastLine.rfind(GetParam().lastMessage, 0), 0u) << lastLine;
    EXPECT_NE(TempDir::read(dir.file("out")).find("ended: aborted"), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(Commands, StopSignalDuringARun,
                         testing::Values(RunningCommand{"Run",
                                                        {"run", "steps.csv", "--on"},
                                                        "シーケンスの終了で出力をOFFしました"},
                                         RunningCommand{"Charge",
                                                        {"charge", "--chemistry", "li-ion",
                                                         "--cells", "1", "--capacity", "1000"},
                                                        "充電を終了しました(中止　電荷 "}),
                         [](const auto& info) { return info.param.name; });

// A run of one long step with the output on, as a child, on the simulator behind a link that
// follows it across re-plugs; `run` is there once its first progress line is.
struct RunningChild {
    TempDir dir;
    sim::SimulatedSupply sim;
    std::string link = dir.file("psu");
    std::unique_ptr<Child> run;

    void start() {
        ASSERT_TRUE(sim.start());
        ASSERT_TRUE(sim.linkAs(link));
        TempDir::write(dir.file("steps.csv"), "volts,amps,seconds\n5,0.1,30\n");
        run = std::make_unique<Child>(
            dir, std::vector<std::string>{"run", dir.file("steps.csv"), "--on", "--port", link});
        ASSERT_TRUE(waitFor("out", "step 1/")) << TempDir::read(dir.file("err"));
        ASSERT_TRUE(sim.outputOn());
    }
    bool waitFor(const char* file, const std::string& text) const {
        const auto end = platform::monotonicMs() + 8000;
        while (platform::monotonicMs() < end) {
            if (TempDir::read(dir.file(file)).find(text) != std::string::npos)
                return true;
            platform::sleepMs(20);
        }
        return false;
    }
    std::string marker() const { return session::RunMarker::pathFor(dir.path(), link); }
};

// The device unplugged during the run and plugged in again within the minute run looks for
// it: the output, still on at the device, is switched off by the first command after the
// handshake, and run exits with the code of the lost device.
TEST(QuorelctlRunProgram, LooksForALostDeviceToSwitchItsOutputOffThenExitsWithItsCode) {
    RunningChild c;
    ASSERT_NO_FATAL_FAILURE(c.start());
    EXPECT_TRUE(std::filesystem::exists(c.marker()));
    c.sim.unplug();
    EXPECT_TRUE(c.waitFor("err", "出力をOFFするためデバイスを探します(最長 60 秒)"))
        << TempDir::read(c.dir.file("err"));
    c.sim.clearReceived();
    ASSERT_TRUE(c.sim.replug(sim::Mode::MainFirmware));
    ASSERT_TRUE(c.sim.outputOn()) << "the device kept its output on";
    const int code = c.run->wait(8000);
    EXPECT_TRUE(code == ctl::DeviceLinkError || code == ctl::DeviceBadReply) << code;
    EXPECT_FALSE(c.sim.outputOn());
    EXPECT_EQ(afterHandshake(c.sim.receivedText()).substr(0, 1), "F") << c.sim.receivedText();
    const std::string err = TempDir::read(c.dir.file("err"));
    EXPECT_NE(err.find("デバイスと切断されて中止した実行(quorelctl run "), std::string::npos)
        << err;
    EXPECT_FALSE(std::filesystem::exists(c.marker()));
}

// SIGKILL leaves no chance to switch off: the marker the run left names the port, and the
// next command on it switches the output off first, says so and removes the marker.
TEST(QuorelctlRunProgram, KilledMidRunTheNextCommandOnThePortSwitchesTheOutputOff) {
    RunningChild c;
    ASSERT_NO_FATAL_FAILURE(c.start());
    ASSERT_EQ(::kill(c.run->pid, SIGKILL), 0);
    EXPECT_EQ(c.run->wait(5000), 128 + SIGKILL);
    ASSERT_TRUE(c.sim.outputOn());
    ASSERT_TRUE(std::filesystem::exists(c.marker()));
    c.sim.clearReceived();
    Child info(c.dir, {"info", "--port", c.link});
    EXPECT_EQ(info.wait(5000), ctl::Success);
    EXPECT_FALSE(c.sim.outputOn());
    EXPECT_EQ(afterHandshake(c.sim.receivedText()).substr(0, 1), "F") << c.sim.receivedText();
    const std::string err = TempDir::read(c.dir.file("err"));
    EXPECT_EQ(err.rfind("前回の実行(quorelctl run " + c.dir.file("steps.csv") + "　", 0), 0u)
        << err;
    EXPECT_NE(err.find(" 開始)が終了していなかったため出力をOFFしました\n"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(c.marker()));
}

} // namespace

// --- a switch-off the device does not confirm ---

struct RefusedOffCase {
    std::string name;
    std::vector<std::string> args; // the port follows
    bool load = false;             // 10 ohm, 5 V / 0.4 A, output on before the start
    bool interruptTwice = false;   // SIGINT once it runs, again a second later
    int allowOffAfterMs = -1;      // the device takes "F" again this long after it runs
    int code;
    std::vector<std::string> lines; // on standard error, in this order
    std::string notSaid;            // a claim that must not appear
    bool onAtTheEnd;
};

class RefusedSwitchOff : public testing::TestWithParam<RefusedOffCase> {};

// The device answers "NG" to "F": every place that switches off says so, names the device's
// answer, sends it again at the polls, and a command still refused 5 s after its end (a
// second signal notwithstanding) exits 24 saying the output may be ON.
TEST_P(RefusedSwitchOff, IsSaidAsSuchRetriedAndEndsWith24WhileRefused) {
    const RefusedOffCase& c = GetParam();
    TempDir dir;
    sim::SimulatedSupply sim;
    ASSERT_TRUE(sim.start());
    if (c.load) {
        sim.setLoadOhms(10);
        sim.setSetpoint(5.0, 0.4);
        sim.setOutput(true);
    }
    sim.setRefused("F");
    TempDir::write(dir.file("short.csv"), "volts,amps,seconds\n3,0.2,0.6\n");
    TempDir::write(dir.file("long.csv"), "volts,amps,seconds\n3,0.2,30\n");
    std::vector<std::string> args = c.args;
    for (auto& a : args)
        if (a.ends_with(".csv"))
            a = dir.file(a);
    args.insert(args.end(), {"--port", sim.portPath()});
    Child child(dir, args);

    // It runs once its first line of progress or reading is out.
    const auto patience = platform::monotonicMs() + 8000;
    while (platform::monotonicMs() < patience && TempDir::read(dir.file("out")).empty())
        platform::sleepMs(20);
    const auto running = platform::monotonicMs();
    if (c.interruptTwice) {
        ASSERT_EQ(::kill(child.pid, SIGINT), 0);
        platform::sleepMs(1000);
        ASSERT_EQ(::kill(child.pid, SIGINT), 0);
    }
    if (c.allowOffAfterMs >= 0) {
        platform::sleepMs(static_cast<int>(
            std::max<std::int64_t>(0, running + c.allowOffAfterMs - platform::monotonicMs())));
        sim.setRefused("");
    }
    const int code = child.wait(30000);
    const auto ended = platform::monotonicMs();
    const std::string err = TempDir::read(dir.file("err"));
    EXPECT_EQ(code, c.code) << err;
    std::size_t at = 0;
    for (const std::string& line : c.lines) {
        const auto found = err.find(line, at);
        EXPECT_NE(found, std::string::npos) << line << " after byte " << at << " in\n" << err;
        at = found == std::string::npos ? at : found + line.size();
    }
    EXPECT_EQ(err.find(c.notSaid), std::string::npos) << err;
    EXPECT_EQ(sim.outputOn(), c.onAtTheEnd);
    if (c.code == ctl::OutputNotFollowed) {
        EXPECT_GE(ended - running, 5000) << "tried for 5 s after the end";
        EXPECT_GE(sim.receivedCommands('F').size(), 6u) << "sent again at the polls";
    }
}

const std::string Ng = "(デバイスが正しく応答しません)";
const std::string MayBeOn = "出力をOFFできないため、出力がONのままの可能性があります" + Ng;
const std::string RunOffFailed = "シーケンスの終了で出力をOFFできません" + Ng;
const std::string RunOff = "シーケンスの終了で出力をOFFしました";

INSTANTIATE_TEST_SUITE_P(
    Places, RefusedSwitchOff,
    testing::Values(
        RefusedOffCase{"RunEnd",
                       {"run", "short.csv", "--on"},
                       false,
                       false,
                       -1,
                       ctl::OutputNotFollowed,
                       {"シーケンスが完了しました\n" + RunOffFailed + "\n", MayBeOn + "\n"},
                       RunOff,
                       true},
        RefusedOffCase{"ChargeEnd",
                       {"charge", "--chemistry", "li-ion", "--cells", "1", "--capacity", "1000"},
                       false,
                       false,
                       -1,
                       ctl::OutputNotFollowed,
                       {RunOffFailed + "\n", "充電を終了しました(終止電流に到達", MayBeOn + "\n"},
                       RunOff,
                       true},
        RefusedOffCase{"RunEndedBySigintTwice",
                       {"run", "long.csv", "--on"},
                       false,
                       true,
                       -1,
                       ctl::OutputNotFollowed,
                       {"シーケンスを中止しました\n" + RunOffFailed + "\n", MayBeOn + "\n"},
                       RunOff,
                       true},
        RefusedOffCase{"RunEndedBySigintTakenAgainByTheRetries",
                       {"run", "long.csv", "--on"},
                       false,
                       true,
                       2500,
                       ctl::SequenceAborted,
                       {RunOffFailed + "\n", "OFFできなかった出力をOFFしました\n"},
                       MayBeOn,
                       false},
        RefusedOffCase{"MonitorTrip",
                       {"monitor", "--duration", "2", "--ocp", "0.3"},
                       true,
                       false,
                       -1,
                       ctl::OutputNotFollowed,
                       {"過電流保護が作動しましたが出力をOFFできません(設定 0.300A　測定 "
                        "0.400A　デバイスが正しく応答しません)\n",
                        MayBeOn + "\n"},
                       "出力をONしました",
                       true},
        RefusedOffCase{"MonitorTripTakenAgainByThePolls",
                       {"monitor", "--duration", "3", "--ocp", "0.3"},
                       true,
                       false,
                       1500,
                       ctl::ProtectionTripped,
                       {"過電流保護が作動しましたが出力をOFFできません",
                        "保護が作動中のため出力を再びOFFしました\n"},
                       MayBeOn,
                       false}),
    [](const auto& info) { return info.param.name; });

// While a trip is latched, an output switched on at the device is switched off again at the
// next poll, and that is said each time.
TEST(QuorelctlProgram, ALatchedTripSwitchesOffAnOutputSwitchedOnAtTheDevice) {
    TempDir dir;
    sim::SimulatedSupply sim;
    ASSERT_TRUE(sim.start());
    sim.setLoadOhms(10);
    sim.setSetpoint(5.0, 0.4);
    sim.setOutput(true);
    Child child(dir, {"monitor", "--duration", "4", "--ocp", "0.3", "--port", sim.portPath()});
    const auto patience = platform::monotonicMs() + 8000;
    auto err = [&] { return TempDir::read(dir.file("err")); };
    while (platform::monotonicMs() < patience && err().find("作動し") == std::string::npos)
        platform::sleepMs(20);
    ASSERT_FALSE(sim.outputOn()) << err();
    for (int round = 0; round < 2; ++round) {
        sim.setOutput(true);
        const auto until = platform::monotonicMs() + 2000;
        while (platform::monotonicMs() < until && sim.outputOn())
            platform::sleepMs(10);
        EXPECT_FALSE(sim.outputOn()) << "round " << round;
    }
    EXPECT_EQ(child.wait(10000), ctl::ProtectionTripped);
    const std::string text = err();
    const std::string again = "保護が作動中のため出力を再びOFFしました\n";
    std::size_t count = 0;
    for (auto at = text.find(again); at != std::string::npos; at = text.find(again, at + 1))
        ++count;
    EXPECT_EQ(count, 2u) << text;
}
