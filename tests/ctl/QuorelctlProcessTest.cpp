// The real quorelctl program as a child process: the exit code reaches the shell, a signal
// during `log` ends it cleanly with every line complete, a run that ends without its
// switch-off (a lost device, a killed program) leaves the output off at the next connect, every
// ending signal ends a watching command as SIGTERM does (a run or a charge with the output
// off), Ctrl-Z is refused while a run goes, and a reader that goes away ends a run with the
// output off.
#include "CtlTestSupport.h"

#include "ctl/ExitCode.h"
#include "platform/Signals.h"
#include "remote/Address.h"
#include "session/RunMarker.h"
#include "support/Handshake.h"
#include "support/TestClient.h"

#include <csignal>
#include <memory>
#include <poll.h>
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

// One of the commands that watch the device until they are stopped, and how SIGTERM ends it.
struct WatchingCommand {
    std::string name;
    std::vector<std::string> args; // "steps.csv" is the step list of the folder; the port follows
    int exitCode;                  // SIGTERM's
    bool outputOff;                // afterwards; monitor leaves the output as it was
    std::string endMark;           // what its own end writes (standard output or error)
};

const WatchingCommand RunCommand{
    "Run", {"run", "steps.csv", "--on"}, ctl::SequenceAborted, true, "ended: aborted"};
const WatchingCommand WatchingCommands[] = {
    RunCommand,
    {"Charge",
     {"charge", "--chemistry", "li-ion", "--cells", "1", "--capacity", "1000"},
     ctl::SequenceAborted,
     true,
     "ended: aborted"},
    {"Serve",
     {"serve", "--listen", "127.0.0.1:0"},
     ctl::Success,
     true,
     "リモート制御を停止しました"},
    {"Monitor", {"monitor", "--ovp", "10"}, ctl::Success, false, "\nelapsed "},
};

// The simulated supply with a cell and a step list in a fresh folder, and a watching command
// started on it as a child.
struct Bench {
    TempDir dir;
    sim::SimulatedSupply sim;
    std::unique_ptr<Child> child;
    std::unique_ptr<TestClient> client;

    Bench() {
        EXPECT_TRUE(sim.start());
        sim.setCell(sim::CellModel{});
        TempDir::write(dir.file("steps.csv"), "volts,amps,seconds\n3,0.2,30\n4,0.2,30\n");
    }
    std::string out() const { return TempDir::read(dir.file("out")); }
    std::string err() const { return TempDir::read(dir.file("err")); }

    void launch(const WatchingCommand& c, int outFd = -1) {
        std::vector<std::string> args = c.args;
        for (auto& a : args)
            if (a == "steps.csv")
                a = dir.file(a);
        args.insert(args.end(), {"--port", sim.portPath()});
        if (c.name == "Monitor")
            sim.setOutput(true);
        child = std::make_unique<Child>(dir, args, false, outFd);
    }
    // Launches the command and waits until it is at work with the output on: the first
    // progress line of a run or a charge, a client's list going under serve, the first
    // reading of monitor.
    testing::AssertionResult start(const WatchingCommand& c) {
        launch(c);
        auto within = [](const std::function<bool()>& done) {
            return pumpUntil([] { platform::sleepMs(10); }, done, 8000);
        };
        if (c.name == "Serve") {
            std::smatch at;
            const std::regex listening("listening on 127\\.0\\.0\\.1:(\\d+)\\n");
            std::string text;
            if (!within([&] { return std::regex_search(text = err(), at, listening); }))
                return testing::AssertionFailure() << "not listening: " << text;
            client = std::make_unique<TestClient>(platform::SocketAddress{
                remote::LoopbackAddress, static_cast<std::uint16_t>(std::stoi(at[1]))});
            client->send("LIST:VOLT 3,4;CURR 0.2,0.2;DWEL 30,30;:OUTP ON;:INIT;:LIST:STEP?\n");
            if (!within([&] { return !client->poll() || client->hasLine(); }) ||
                client->received != "1\n" || !sim.outputOn())
                return testing::AssertionFailure()
                       << "no list running: " << client->received << err();
            return testing::AssertionSuccess();
        }
        const std::string mark = c.name == "Monitor" ? "\n" : "step 1/";
        if (!within([&] { return out().find(mark) != std::string::npos; }) || !sim.outputOn())
            return testing::AssertionFailure() << "not at work: " << out() << err();
        return testing::AssertionSuccess();
    }
};

std::vector<int> signalsThatWouldEndTheProgram() {
    return {SIGTERM, SIGHUP,  SIGQUIT, SIGUSR1, SIGUSR2,  SIGALRM, SIGVTALRM,
            SIGPROF, SIGXCPU, SIGXFSZ, SIGPWR,  SIGRTMIN, SIGRTMAX};
}

class EndingSignal : public testing::TestWithParam<std::tuple<WatchingCommand, int>> {};

// A closed terminal, a timer, a limit, a user or real-time signal: before, each ended the
// program at once with the output on and the protections gone.
TEST_P(EndingSignal, EndsTheCommandAsSigtermDoes) {
    const auto& [command, signal] = GetParam();
    Bench bench;
    ASSERT_TRUE(bench.start(command));
    ASSERT_EQ(::kill(bench.child->pid, signal), 0);
    EXPECT_EQ(bench.child->wait(5000), command.exitCode) << bench.err();
    EXPECT_EQ(bench.sim.outputOn(), !command.outputOff);
    EXPECT_NE((bench.out() + bench.err()).find(command.endMark), std::string::npos)
        << bench.out() << bench.err();
}

INSTANTIATE_TEST_SUITE_P(CommandsAndSignals, EndingSignal,
                         testing::Combine(testing::ValuesIn(WatchingCommands),
                                          testing::ValuesIn(signalsThatWouldEndTheProgram())),
                         [](const auto& info) {
                             std::string name = platform::signalName(std::get<1>(info.param));
                             if (auto plus = name.find('+'); plus != std::string::npos)
                                 name.replace(plus, 1, "Plus");
                             return std::get<0>(info.param).name + "_" + name;
                         });

TEST(QuorelctlProgram, CtrlZDuringARunIsRefusedAndTheRunGoesOn) {
    Bench bench;
    ASSERT_TRUE(bench.start(RunCommand));
    ASSERT_EQ(::kill(bench.child->pid, SIGTSTP), 0);
    auto progressLines = [&] {
        const std::string out = bench.out();
        return std::count(out.begin(), out.end(), '\n');
    };
    const auto before = progressLines();
    // Not stopped: the refusal is said and the progress goes on.
    EXPECT_TRUE(
        pumpUntil([] { platform::sleepMs(20); }, [&] { return progressLines() > before; }, 5000));
    EXPECT_NE(bench.err().find("実行中は一時停止(Ctrl-Z)できません。"), std::string::npos)
        << bench.err();
    ASSERT_EQ(::kill(bench.child->pid, SIGINT), 0);
    EXPECT_EQ(bench.child->wait(5000), ctl::SequenceAborted);
    EXPECT_FALSE(bench.sim.outputOn());
}

// nohup quorelctl run ...: a hangup the program was started to ignore is still ignored.
TEST(QuorelctlProgram, AHangupIgnoredAtTheStartStaysIgnored) {
    Bench bench;
    struct sigaction ignore {
    }, before{};
    ignore.sa_handler = SIG_IGN;
    ASSERT_EQ(::sigaction(SIGHUP, &ignore, &before), 0);
    const testing::AssertionResult started = bench.start(RunCommand);
    ::sigaction(SIGHUP, &before, nullptr);
    ASSERT_TRUE(started);
    ASSERT_EQ(::kill(bench.child->pid, SIGHUP), 0);
    EXPECT_EQ(bench.child->wait(700), -1) << "still running";
    EXPECT_TRUE(bench.sim.outputOn());
    ASSERT_EQ(::kill(bench.child->pid, SIGTERM), 0);
    EXPECT_EQ(bench.child->wait(5000), ctl::SequenceAborted);
    EXPECT_FALSE(bench.sim.outputOn());
}

// quorelctl run steps.csv --on | head -1: before, the next progress line ended the program
// by SIGPIPE with the output on.
TEST(QuorelctlProgram, ARunWhoseReaderGoesAwayEndsWithTheOutputOffAndExit34) {
    int ends[2];
    ASSERT_EQ(::pipe2(ends, O_CLOEXEC), 0);
    Bench bench;
    bench.launch(RunCommand, ends[1]);
    ::close(ends[1]);
    // As head -1: the first line, then the reading end closes.
    std::string first;
    char c = 0;
    pollfd readable{ends[0], POLLIN, 0};
    while (first.find('\n') == std::string::npos && ::poll(&readable, 1, 8000) == 1 &&
           ::read(ends[0], &c, 1) == 1)
        first += c;
    ::close(ends[0]);
    EXPECT_EQ(first.rfind("step 1/", 0), 0u) << first;
    EXPECT_TRUE(bench.sim.outputOn());
    EXPECT_EQ(bench.child->wait(5000), ctl::StandardOutputFailed) << bench.err();
    EXPECT_FALSE(bench.sim.outputOn());
    const std::string err = bench.err();
    EXPECT_NE(err.find("標準出力に書き込めません\nシーケンスを中止しました\n"), std::string::npos)
        << err;
}

struct OutputCase {
    std::string name;
    std::vector<std::string> args; // "steps.csv" is the step list of the folder; the port follows
};

class FullStandardOutput : public testing::TestWithParam<OutputCase> {};

// quorelctl status --json > /dev/full: before, nothing was said and the exit was 0.
TEST_P(FullStandardOutput, IsSaidOnceAndExits34WithTheOutputOff) {
    Bench bench;
    const int full = ::open("/dev/full", O_WRONLY | O_CLOEXEC);
    ASSERT_GE(full, 0);
    bench.launch({GetParam().name, GetParam().args, 0, false, ""}, full);
    ::close(full);
    EXPECT_EQ(bench.child->wait(8000), ctl::StandardOutputFailed) << bench.err();
    EXPECT_FALSE(bench.sim.outputOn());
    const std::string err = bench.err();
    const std::string said = "標準出力に書き込めません\n";
    EXPECT_NE(err.find(said), std::string::npos) << err;
    EXPECT_EQ(err.find(said), err.rfind(said)) << err;
}

INSTANTIATE_TEST_SUITE_P(Commands, FullStandardOutput,
                         testing::Values(OutputCase{"StatusJson", {"status", "--json"}},
                                         OutputCase{"StatusWatch", {"status", "--watch", "0.2"}},
                                         OutputCase{"Info", {"info"}},
                                         OutputCase{"MonitorJson", {"monitor", "--json"}},
                                         OutputCase{"RunDryRun", {"run", "steps.csv", "--dry-run"}},
                                         OutputCase{"Run", {"run", "steps.csv", "--on"}}),
                         [](const auto& info) { return info.param.name; });

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
        // The simulator's own load draws more than a tenth of the charge current: the
        // termination is named so that the charge ends by it.
        RefusedOffCase{"ChargeEnd",
                       {"charge", "--chemistry", "li-ion", "--cells", "1", "--capacity", "1000",
                        "--termination", "0.1"},
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
