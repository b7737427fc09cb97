// quorelctl run and charge in-process against the simulated supply: the set commands the
// device receives in order, the output around them, the plan of a dry run, what is refused
// before anything is sent, and the exit codes.
#include "CtlTestSupport.h"

#include "ctl/ExitCode.h"
#include "session/RunMarker.h"
#include "support/CaseNames.h"
#include "support/Handshake.h"

#include <chrono>
#include <thread>

namespace {

// Three short steps, the last one a ramp from 2 V 0.1 A to 3 V 0.2 A in two quarter-second
// intervals and a bit.
const char* const ThreeSteps = "# three steps\n"
                               "volts,amps,seconds,ramp\n"
                               "1,0.1,0.3\n"
                               "2,0.1,0.3,step\n"
                               "3,0.2,0.6,linear\n";

class SequenceCommand : public CtlTest {
protected:
    // The files are named as a user in their folder names them.
    void SetUp() override {
        CtlTest::SetUp();
        writeIni("UseSysLogFile=1\r\n");
        TempDir::write(dir.file("steps.csv"), ThreeSteps);
        calledFrom = std::filesystem::current_path();
        std::filesystem::current_path(dir.path());
    }
    void TearDown() override {
        std::filesystem::current_path(calledFrom);
        CtlTest::TearDown();
    }
    std::filesystem::path calledFrom;
    // The set commands the device got, in order, without the other commands.
    std::vector<std::string> setCommands() const {
        std::vector<std::string> out;
        for (const auto& c : sim.receivedCommands('S'))
            out.push_back(c.text);
        return out;
    }
    // The first set command, and every switch of the output, in the order they came.
    std::string outputOrder() const {
        std::string order;
        for (char c : sim.receivedText())
            if ((c == 'S' && order.find('S') == std::string::npos) || c == 'N' || c == 'F')
                order += c;
        return order;
    }
};

TEST_F(SequenceCommand, RunSetsEveryPointThenSwitchesOffAndSaysHowItEnded) {
    auto r = runCtl({"run", "steps.csv", "--port", "com3", "--on"});
    EXPECT_EQ(r.code, ctl::Success) << r.err;
    // 1 V 0.1 A; 2 V 0.1 A; the ramp's middle point 2.5 V 0.15 A; its target 3 V 0.2 A.
    EXPECT_EQ(setCommands(),
              (std::vector<std::string>{"S032064", "S064064", "S07D096", "S0960C8"}));
    EXPECT_EQ(outputOrder(), "SNF");
    EXPECT_FALSE(sim.outputOn());
    EXPECT_NE(r.out.find("step 1/3  round 1/1  left 0:00:00."), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("\nended: completed  elapsed 0:00:01."), std::string::npos) << r.out;
    const std::string lines = "シーケンスを開始しました(3 ステップ　繰り返し 1)\n"
                              "シーケンスの開始で出力をONしました\n"
                              "シーケンスが完了しました\n"
                              "シーケンスの終了で出力をOFFしました\n";
    EXPECT_EQ(r.err, lines);
    EXPECT_NE(systemLog().find("シーケンスの終了で出力をOFFしました"), std::string::npos);
}

TEST_F(SequenceCommand, RepeatAndKeepOnLeaveTheLastSetpointsWithTheOutputOn) {
    auto r = runCtl({"run", "steps.csv", "--port", "com3", "--on", "--keep-on", "--repeat", "2"});
    EXPECT_EQ(r.code, ctl::Success) << r.err;
    // The first round's ramp gives way to the second round's first step before its target;
    // the second round's ramp reaches it at the end.
    EXPECT_EQ(setCommands(), (std::vector<std::string>{"S032064", "S064064", "S07D096", "S032064",
                                                       "S064064", "S07D096", "S0960C8"}));
    EXPECT_EQ(outputOrder(), "SN");
    EXPECT_TRUE(sim.outputOn());
    EXPECT_DOUBLE_EQ(sim.voltageSetpoint(), 3.0);
}

TEST_F(SequenceCommand, TheMeasurementLogRunsAlongAndEndsWithTheRun) {
    setSteppingClock(2026, 12, 7, 9, 0, 0, 1); // a second later at every reading of the clock
    auto r = runCtl({"run", "steps.csv", "--port", "com3", "--log", "run.csv", "--interval", "1s"});
    EXPECT_EQ(r.code, ctl::Success) << r.err;
    const std::string csv = TempDir::read(dir.file("run.csv"));
    EXPECT_GE(std::count(csv.begin(), csv.end(), '\n'), 2) << csv;
    EXPECT_NE(csv.find(",2.00,0.100,"), std::string::npos) << "the step's set-points are logged";
    EXPECT_EQ(
        runCtl({"run", "steps.csv", "--log", dir.file("no/such/dir.csv"), "--port", "com3"}).code,
        ctl::FileCannotOpen);
}

TEST_F(SequenceCommand, DryRunPrintsThePlanAndSendsNothingButTheConnect) {
    auto r = runCtl({"run", "steps.csv", "--port", "com3", "--dry-run", "--stop-below", "0.05",
                     "--stop-after", "90"});
    EXPECT_EQ(r.code, ctl::Success) << r.err;
    EXPECT_EQ(r.out, "plan: 3 steps, repeat 1, round 0:00:01.2, total 0:00:01.2, source "
                     "ac-adapter (6.0 W)\n"
                     "step       start   volts    amps      seconds  ramp    watts\n"
                     "   1   0:00:00.0    1.00   0.100        0.300  step    0.100\n"
                     "   2   0:00:00.3    2.00   0.100        0.300  step    0.200\n"
                     "   3   0:00:00.6    3.00   0.200        0.600  linear  0.600\n"
                     "stop: current below 0.050 A for 10 s\n"
                     "stop: after 0:01:30\n");
    EXPECT_EQ(sim.receivedText(), "XILMV");
}

struct Refused {
    std::string name;
    std::vector<std::string> args;
    char source;
    int code;
    std::string message; // the first line on standard error
    std::string received;
};

class SequenceRefused : public SequenceCommand, public testing::WithParamInterface<Refused> {};

TEST_P(SequenceRefused, BeforeAnythingIsSent) {
    TempDir::write(dir.file("bad.csv"), "volts,amps,seconds,ramp\n1,0.1,1\n25,0.1,1\nx\n");
    TempDir::write(dir.file("usb.csv"), "volts,amps,seconds,ramp\n5,0.3,1\n5,0.4,1\n");
    sim.setSourceLetter(GetParam().source);
    auto r = runCtl(GetParam().args);
    EXPECT_EQ(r.code, GetParam().code) << r.err;
    EXPECT_EQ(r.err.substr(0, r.err.find('\n')), GetParam().message);
    EXPECT_EQ(sim.receivedText(), GetParam().received);
    EXPECT_FALSE(sim.outputOn());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SequenceRefused,
    testing::Values(Refused{"StepBeyondTheUsbHostsPower",
                            {"run", "usb.csv", "--port", "com3", "--on"},
                            'U',
                            ctl::SequenceRefused,
                            "ステップ 2 は設定できません: 許容電力容量を超えるため設定できません",
                            "XILMV"},
                    Refused{"TwoLithiumCellsAtOneAmpereOnTheUsbHost",
                            {"charge", "--chemistry", "li-ion", "--cells", "2", "--capacity",
                             "1000", "--rate", "1", "--port", "com3"},
                            'U',
                            ctl::SequenceRefused,
                            "ステップ 1 は設定できません: 許容電力容量を超えるため設定できません",
                            "XILMV"},
                    Refused{"FiveLithiumCellsWithoutTouchingTheDevice",
                            {"charge", "--chemistry", "li-ion", "--cells", "5", "--capacity",
                             "1000", "--port", "com3"},
                            'A',
                            ctl::SequenceRefused,
                            "セル数は1～4で指定してください",
                            ""},
                    Refused{"BadLinesOfTheFileWithoutTouchingTheDevice",
                            {"run", "bad.csv", "--port", "com3"},
                            'A',
                            ctl::FileMalformed,
                            "シーケンスファイル bad.csv を読み込めません",
                            ""},
                    Refused{"MissingFile",
                            {"run", "none.csv", "--port", "com3"},
                            'A',
                            ctl::FileCannotOpen,
                            "シーケンスファイル none.csv を読み込めません",
                            ""}),
    casenames::ByName());

struct SourceDrop {
    std::string name;
    std::string steps; // the step file
    int code;
    std::vector<std::string> sets; // the set commands the device got
    std::string said;              // lines on standard error; empty: nothing of the source
};

class SourceDropDuringARun : public SequenceCommand,
                             public testing::WithParamInterface<SourceDrop> {};

// The real program, the adapter pulled during the first step: the rest is checked against
// the USB host's 1.5 W at once.
TEST_P(SourceDropDuringARun, EndsBeforeARefusedStepWithTheOutputOffOrGoesOnSilently) {
    TempDir::write(dir.file("drop.csv"), GetParam().steps);
    Child child(dir, {"run", dir.file("drop.csv"), "--on", "--port", dir.file("ports/com3")});
    const auto end = platform::monotonicMs() + 8000;
    while (platform::monotonicMs() < end &&
           TempDir::read(dir.file("out")).find("step 1/") == std::string::npos)
        platform::sleepMs(20);
    ASSERT_TRUE(sim.outputOn()) << TempDir::read(dir.file("err"));
    sim.setSourceLetter('U');
    EXPECT_EQ(child.wait(10000), GetParam().code);
    EXPECT_FALSE(sim.outputOn());
    EXPECT_EQ(setCommands(), GetParam().sets);
    const std::string err = TempDir::read(dir.file("err"));
    if (GetParam().said.empty()) {
        EXPECT_EQ(err.find("給電元"), std::string::npos) << err;
        EXPECT_NE(TempDir::read(dir.file("out")).find("ended: completed"), std::string::npos);
    } else {
        EXPECT_NE(err.find(GetParam().said), std::string::npos) << err;
        EXPECT_NE(TempDir::read(dir.file("out")).find("ended: source-refused"), std::string::npos);
    }
}

INSTANTIATE_TEST_SUITE_P(
    ToTheUsbHost, SourceDropDuringARun,
    testing::Values(
        SourceDrop{"AStepBeyondItsPowerIsNeverSent",
                   "volts,amps,seconds\n5,0.2,2\n10,0.5,2\n",
                   ctl::SequenceRefused,
                   {"S0FA0C8"},
                   "ステップ 2 は設定できません: 許容電力容量を超えるため設定できません\n"
                   "給電元が変わり、残りの設定が許容電力容量を超えるためシーケンスを中止しました\n"
                   "シーケンスの終了で出力をOFFしました\n"},
        SourceDrop{"EverythingLeftFits",
                   "volts,amps,seconds\n5,0.2,2\n5,0.25,1\n",
                   ctl::Success,
                   {"S0FA0C8", "S0FA0FA"},
                   ""}),
    casenames::ByName());

TEST_F(SequenceCommand, BadLinesAreListedWithTheirNumbers) {
    TempDir::write(dir.file("bad.csv"), "volts,amps,seconds,ramp\n1,0.1,1\n25,0.1,1\nx\n");
    auto r = runCtl({"run", "bad.csv", "--port", "com3"});
    EXPECT_EQ(r.err, "シーケンスファイル bad.csv を読み込めません\n"
                     "3 行目: 電圧は0～20の数値で指定してください\n"
                     "4 行目: 値の数が正しくありません\n");
}

struct BadOption {
    std::string name;
    std::vector<std::string> args;
    std::string message;
};

class SequenceOption : public SequenceCommand, public testing::WithParamInterface<BadOption> {};

TEST_P(SequenceOption, IsAUsageErrorNamingIt) {
    std::vector<std::string> args = GetParam().args;
    args.insert(args.end(), {"--port", "com3"});
    auto r = runCtl(args);
    EXPECT_EQ(r.code, ctl::Usage);
    EXPECT_EQ(r.err.substr(0, r.err.find('\n')), GetParam().message);
    EXPECT_EQ(sim.receivedText(), "");
}

INSTANTIATE_TEST_SUITE_P(
    Options, SequenceOption,
    testing::Values(
        BadOption{"RepeatZero",
                  {"run", "steps.csv", "--repeat", "0"},
                  "quorelctl run: --repeat is a whole number from 1 to 1000000, or inf"},
        BadOption{"StopBelowAboveOneAmpere",
                  {"run", "steps.csv", "--stop-below", "1.5"},
                  "quorelctl run: --stop-below needs a current above 0 and at most 1 A"},
        BadOption{"HoldTimeWithoutItsCurrent",
                  {"run", "steps.csv", "--stop-below-for", "5"},
                  "quorelctl run: --stop-below-for goes with --stop-below"},
        BadOption{"IntervalWithoutALog",
                  {"run", "steps.csv", "--interval", "1s"},
                  "quorelctl run: --interval goes with --log"},
        BadOption{"UnknownChemistry",
                  {"charge", "--chemistry", "lead", "--cells", "1", "--capacity", "100"},
                  "quorelctl charge: --chemistry is one of li-ion, lifepo4, nimh"},
        BadOption{"ChargeWithoutCapacity",
                  {"charge", "--chemistry", "nimh", "--cells", "1"},
                  "quorelctl charge: --chemistry, --cells and --capacity are needed"},
        BadOption{"RunWithoutItsFile", {"run"}, "quorelctl: run: missing operand"},
        BadOption{"HexadecimalRepeat",
                  {"run", "steps.csv", "--repeat", "0x10"},
                  "quorelctl run: --repeat is a whole number from 1 to 1000000, or inf"},
        BadOption{"ExponentOfAStopTime",
                  {"run", "steps.csv", "--stop-after", "1e1"},
                  "quorelctl run: --stop-after needs a positive number of seconds"},
        BadOption{
            "AFlagGivenTwice", {"run", "steps.csv", "--on", "--on"}, "quorelctl: --on given twice"},
        BadOption{"TerminationOfANickelCharge",
                  {"charge", "--chemistry", "nimh", "--cells", "4", "--capacity", "2000",
                   "--termination", "0.1"},
                  "quorelctl charge: --termination goes with li-ion and lifepo4 only"}),
    casenames::ByName());

TEST_F(SequenceCommand, ALostDeviceEndsTheRunWithTheDevicesCode) {
    TempDir::write(dir.file("long.csv"), "volts,amps,seconds\n1,0.1,5\n2,0.1,5\n");
    std::thread cable([this] {
        std::this_thread::sleep_for(std::chrono::milliseconds(700));
        sim.unplug();
    });
    auto r = runCtl({"run", "long.csv", "--port", "com3", "--on"});
    cable.join();
    EXPECT_TRUE(r.code == ctl::DeviceLinkError || r.code == ctl::DeviceBadReply) << r.code;
    EXPECT_NE(r.err.find("デバイスと切断されたためシーケンスを中止しました"), std::string::npos);
    EXPECT_NE(r.out.find("ended: device-lost"), std::string::npos) << r.out;
    // Looked for in vain: said, and the marker stays for the next program on the port.
    EXPECT_NE(r.err.find("デバイスが見つからないため出力をOFFできません。"), std::string::npos)
        << r.err;
    EXPECT_TRUE(session::RunMarker::find(dir.path(), "com3"));
}

struct MarkerCase {
    const char* name;
    const char* markerPort; // the port the marker names
    const char* fileOf;     // the port whose file it lies in
    bool switchedOff;
};

class LeftMarker : public CtlTest, public testing::WithParamInterface<MarkerCase> {};

// A marker of a run that did not end, found by the next command that connects: only the
// port the marker names has its output switched off (first, said, the marker removed); a
// marker of another port, even one lying under this port's file name, is left alone.
TEST_P(LeftMarker, SwitchesOffOnlyThePortItNames) {
    const MarkerCase& c = GetParam();
    writeIni("UseSysLogFile=1\r\n");
    const std::string path = session::RunMarker::pathFor(dir.path(), c.fileOf);
    TempDir::write(path, session::RunMarker{c.markerPort, "quorel", 1700000000}.text());
    sim.setOutput(true);
    const CtlRun r = runCtl({"status", "--port", "com3"});
    EXPECT_EQ(r.code, ctl::Success) << r.err;
    EXPECT_EQ(sim.outputOn(), !c.switchedOff);
    EXPECT_EQ(afterHandshake(sim.receivedText()).substr(0, 1), c.switchedOff ? "F" : "L");
    EXPECT_EQ(std::filesystem::exists(path), !c.switchedOff);
    EXPECT_EQ(r.err.find("前回の実行(quorel　") == 0, c.switchedOff) << r.err;
    EXPECT_EQ(systemLog().find("が終了していなかったため出力をOFFしました") != std::string::npos,
              c.switchedOff);
}

INSTANTIATE_TEST_SUITE_P(Ports, LeftMarker,
                         testing::Values(MarkerCase{"ThisPort", "com3", "com3", true},
                                         MarkerCase{"AnotherPort", "com4", "com4", false},
                                         MarkerCase{"AnotherUnderThisPortsName", "com4", "com3",
                                                    false}),
                         casenames::ByName());

TEST_F(SequenceCommand, ChargeDryRunShowsTheProfilesSetpointsAndEnds) {
    auto r = runCtl({"charge", "--chemistry", "li-ion", "--cells", "1", "--capacity", "2000",
                     "--port", "com3", "--dry-run"});
    EXPECT_EQ(r.code, ctl::Success) << r.err;
    EXPECT_NE(r.out.find("   1   0:00:00.0    4.20   1.000    14400.000  step    4.200"),
              std::string::npos)
        << r.out;
    EXPECT_NE(r.out.find("stop: current below 0.100 A for 10 s\nstop: after 4:00:00\n"),
              std::string::npos)
        << "a tenth of the charge current";
    EXPECT_EQ(sim.receivedText(), "XILMV");
}

// What a dry run shows is what the run would use: the whole total however long, the stop
// time to the millisecond, the charge to the microampere-hour.
TEST_F(SequenceCommand, DryRunShowsTheTotalAndTheStopsAsTheyWillBeUsed) {
    std::string longest = "volts,amps,seconds\n";
    for (int i = 0; i < 10000; ++i)
        longest += "1,0.1,1000000\n";
    TempDir::write(dir.file("longest.csv"), longest);
    auto r = runCtl({"run", "longest.csv", "--port", "com3", "--dry-run", "--repeat", "922338",
                     "--stop-after", "1.5", "--stop-charge", "0.0001"});
    EXPECT_EQ(r.code, ctl::Success) << r.err;
    EXPECT_EQ(r.out.rfind("plan: 10000 steps, repeat 922338, round 2777777:46:40.0, "
                          "total 2562050000000:00:00.0, source ",
                          0),
              0u)
        << r.out.substr(0, 200);
    EXPECT_NE(r.out.find("stop: after 0:00:01.5\nstop: charge above 0.000100 Ah\n"),
              std::string::npos);
}

TEST_F(SequenceCommand, ALithiumChargeBelowTwoMilliamperesNamesTheSmallestRate) {
    auto r = runCtl({"charge", "--chemistry", "li-ion", "--cells", "1", "--capacity", "150",
                     "--rate", "0.01", "--port", "com3", "--dry-run"});
    EXPECT_EQ(r.code, ctl::SequenceRefused);
    EXPECT_EQ(
        r.err.substr(0, r.err.find('\n')),
        "容量 150mAh では充電電流が0.002A未満です。充電レートは 0.0134C 以上で指定してください");
    EXPECT_EQ(sim.receivedText(), "") << "refused before the connect";
    r = runCtl({"charge", "--chemistry", "li-ion", "--cells", "1", "--capacity", "2000", "--rate",
                "0.05", "--port", "com3", "--dry-run"});
    EXPECT_EQ(r.code, ctl::Success) << r.err << "0.1 A ends below 0.01 A";
    EXPECT_NE(r.out.find("stop: current below 0.010 A for 10 s\n"), std::string::npos) << r.out;
}

} // namespace
