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
