// Every command end to end against the simulated supply on a pseudo-terminal, in-process:
// the bytes the device receives, what is printed, the exit code, the files written.
#include "CtlTestSupport.h"

#include "ctl/ExitCode.h"
#include "device/SerialPort.h"
#include "firmware/HexImage.h"
#include "resources/Texts.h"
#include "support/CaseNames.h"
#include "support/Eventually.h"
#include "support/Fifo.h"

#include <regex>
#include <thread>

namespace {

using namespace std::string_literals;

// --- scan, info, port choice, device results ---

TEST_F(CtlTest, ScanPrintsTheFirstPortWhereTheSupplyAnswers) {
    auto r = runCtl({"scan"});
    EXPECT_EQ(r.code, ctl::Success);
    EXPECT_EQ(r.out, "com3\n");
    EXPECT_EQ(r.err, "デバイスが com3 で見つかりました\n");
    // Found and let go again: the port is free for the next command.
    EXPECT_EQ(sim.receivedText(), "XI");
    EXPECT_FALSE(SupplyDevice::isConnected());
}

TEST_F(CtlTest, ScanWithoutSupplyExitsOne) {
    sim.unplug();
    auto r = runCtl({"scan"});
    EXPECT_EQ(r.code, ctl::NotFound);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err, "デバイスが見つかりません\n");
}

TEST_F(CtlTest, InfoConnectsAsThePanelAndPrintsWhatTheWindowShows) {
    sim.setVersion("2.07");
    sim.setSourceLetter('U');
    sim.setSetpoint(5.0, 0.3);
    sim.setOutput(true);
    auto r = runCtl({"info", "--port", "com3"});
    EXPECT_EQ(r.code, ctl::Success);
    EXPECT_EQ(r.out, "port      com3\n"
                     "firmware  2.07\n"
                     "setpoint  5.00 V  0.300 A\n"
                     "source    USBホスト給電中　最大出力電力1.5W\n"
                     "output    ON\n"
                     "mode      CV\n"
                     "measured  5.00 V  0.100 A\n");
    // Connect, set-points, status, version as the connect button; then one poll.
    EXPECT_EQ(sim.receivedText(), "XILMVM");
}

TEST_F(CtlTest, PortComesFromTheOptionThenTheIniThenCom1) {
    writeIni("ComPort=com3\r\n");
    EXPECT_EQ(runCtl({"info"}).code, ctl::Success);

    auto r = runCtl({"info", "--port=com7"});
    EXPECT_EQ(r.code, ctl::DeviceOpenFailed);
    EXPECT_EQ(r.err, "デバイス com7 を接続できません (ポートを開けません)\n");

    // A device path is taken as it is.
    EXPECT_EQ(runCtl({"info", "--port", sim.portPath()}).code, ctl::Success);

    std::filesystem::remove(dir.file("Quorel.ini"));
    r = runCtl({"info"});
    EXPECT_EQ(r.code, ctl::DeviceOpenFailed);
    EXPECT_EQ(r.err, "デバイス com1 を接続できません (ポートを開けません)\n");
}

TEST_F(CtlTest, HeldPortSilentDeviceAndBootLoaderHaveTheirOwnExitCodes) {
    {
        auto holder = SerialPort::open(sim.portPath(), 9600);
        ASSERT_TRUE(holder);
        EXPECT_EQ(runCtl({"status", "--port", "com3"}).code, ctl::DeviceOpenFailed);
    }
    sim.setUnplugOn('L');
    auto r = runCtl({"status", "--port", "com3"});
    EXPECT_EQ(r.code, ctl::DeviceLinkError);
    EXPECT_EQ(r.err, "デバイス com3 を接続できません (通信エラーが発生しました)\n");

    sim.setUnplugOn(0);
    ASSERT_TRUE(sim.replug(sim::Mode::BootLoader));
    r = runCtl({"status", "--port", "com3"});
    EXPECT_EQ(r.code, ctl::DeviceBadReply);
    EXPECT_EQ(r.err, "デバイス com3 を接続できません (デバイスが正しく応答しません)\n");

    ASSERT_TRUE(sim.replug(sim::Mode::MainFirmware));
    sim.setSilent(true);
    const auto t0 = platform::monotonicMs();
    EXPECT_EQ(runCtl({"on", "--port", "com3"}).code, ctl::DeviceBadReply);
    EXPECT_LT(platform::monotonicMs() - t0, 3000);
    EXPECT_EQ(sim.receivedText().find('N'), std::string::npos);
}

// --- status ---

struct StatusFormat {
    const char* option;
    const char* line;
};

class StatusLine : public CtlTest, public testing::WithParamInterface<StatusFormat> {};

TEST_P(StatusLine, OneReadingInTheChosenForm) {
    setSteppingClock(2031, 3, 4, 5, 6, 7, 0);
    sim.setOutput(true);
    sim.setSetpoint(6.0, 0.05); // 120 ohm draw is above the limit: constant current
    std::vector<std::string> args = {"status", "--port", "com3"};
    if (*GetParam().option)
        args.push_back(GetParam().option);
    auto r = runCtl(args);
    EXPECT_EQ(r.code, ctl::Success);
    EXPECT_EQ(r.out, GetParam().line);
    EXPECT_EQ(r.err, "");
}

INSTANTIATE_TEST_SUITE_P(
    Forms, StatusLine,
    testing::Values(
        StatusFormat{
            "", "31/03/04 05:06:07  2.50 V  0.050 A  CC  ACアダプタ給電中　最大出力電力6.0W\n"},
        StatusFormat{"--csv", "31/03/04 05:06:07,6.00,0.050,CC,2.50,0.050\r\n"},
        StatusFormat{"--json",
                     "{\"time\":\"2031-03-04T05:06:07\",\"source\":\"ac-adapter\","
                     "\"powerCapacity\":6.0,\"output\":true,\"mode\":\"CC\",\"state\":\"CC\","
                     "\"voltage\":2.50,\"current\":0.050,\"voltageSetpoint\":6.00,"
                     "\"currentSetpoint\":0.050}\n"}),
    [](const auto& info) {
        return *info.param.option ? std::string(info.param.option + 2) : "text"s;
    });

TEST_F(CtlTest, StatusWatchTakesCountReadingsAtTheInterval) {
    const auto t0 = platform::monotonicMs();
    auto r = runCtl({"status", "--port", "com3", "--watch", "0.3", "--count", "3", "--csv"});
    const auto ms = platform::monotonicMs() - t0;
    EXPECT_EQ(r.code, ctl::Success);
    std::regex line(R"(\d\d/\d\d/\d\d \d\d:\d\d:\d\d,5\.00,0\.500,OFF,0\.00,0\.000\r\n)");
    std::smatch m;
    std::string rest = r.out;
    int lines = 0;
    while (std::regex_search(rest, m, line) && m.position(0) == 0) {
        ++lines;
        rest = m.suffix();
    }
    EXPECT_EQ(lines, 3);
    EXPECT_EQ(rest, "");
    EXPECT_GE(ms, 600);
    EXPECT_LT(ms, 2000);
    EXPECT_EQ(sim.receivedText(), "XILMVMMM");
}

TEST_F(CtlTest, StatusCorrectsTheCurrentForTheDividerWhenOffsetAttIsOn) {
    writeIni("OffsetAtt=1\r\n");
    sim.setOutput(true); // 5.00 V, 0.100 A into 50 ohm
    auto r = runCtl({"status", "--port", "com3", "--csv"});
    // 0.100 - 5.00 / 7800 = 0.09936
    EXPECT_NE(r.out.find(",CV,5.00,0.099\r\n"), std::string::npos) << r.out;
}

// --- set ---

TEST_F(CtlTest, SetSendsTheGridValueAndLogsThePanelMessage) {
    writeIni("UseSysLogFile=1\r\n");
    setSteppingClock(2031, 3, 4, 5, 6, 7, 0);
    auto r = runCtl({"set", "3.33", "0.2", "--port", "com3"});
    EXPECT_EQ(r.code, ctl::Success);
    EXPECT_EQ(r.out, "出力を 3.32V/0.200A にセットしました\n");
    // 3.33 V is 166 steps of 0.02 V, truncated: 0A6; 0.2 A is 200 mA: 0C8.
    EXPECT_EQ(sim.receivedText(), "XILMVS0A60C8");
    EXPECT_NEAR(sim.voltageSetpoint(), 3.32, 1e-9);
    EXPECT_EQ(
        TempDir::read(dir.file("system.log")),
        platform::utf8ToCp932("[31/03/04 05:06:07] 出力を 3.32V/0.200A にセットしました\r\n"));
}

// "A_5V_0p1A_derive_current": the source letter, the operands and the option of a set.
std::string setCaseName(char source, const char* volts, const char* amps, const char* option) {
    std::string name =
        std::string(1, source) + "_" + casenames::word(volts) + "V_" + casenames::word(amps) + "A";
    return *option ? name + "_" + casenames::word(option) : name;
}

struct Derivation {
    char source;
    const char* volts;
    const char* amps;
    const char* option;
    const char* message;
};

class SetDerives : public CtlTest, public testing::WithParamInterface<Derivation> {};

TEST_P(SetDerives, AsThePanelsSetButtonsDo) {
    sim.setSourceLetter(GetParam().source);
    std::vector<std::string> args = {"set", GetParam().volts, GetParam().amps, "--port", "com3"};
    if (*GetParam().option)
        args.push_back(GetParam().option);
    auto r = runCtl(args);
    EXPECT_EQ(r.code, ctl::Success) << r.err;
    EXPECT_EQ(r.out, std::string(GetParam().message) + "\n");
}

INSTANTIATE_TEST_SUITE_P(
    Rules, SetDerives,
    testing::Values(
        Derivation{'U', "5", "0", "--derive-current", "出力を 5.00V/0.300A にセットしました"},
        Derivation{'A', "1", "0", "--derive-current", "出力を 1.00V/1.000A にセットしました"},
        Derivation{'A', "0", "0.25", "--derive-voltage", "出力を 20.00V/0.250A にセットしました"},
        Derivation{'U', "7", "0.000", "--derive-voltage", "出力を 20.00V/0.000A にセットしました"},
        Derivation{'U', "20.00", "0.075", "", "出力を 20.00V/0.075A にセットしました"}),
    [](const auto& info) {
        return setCaseName(info.param.source, info.param.volts, info.param.amps, info.param.option);
    });

struct Rejection {
    char source;
    const char* volts;
    const char* amps;
    const char* option;
    int code;
    const char* message;
    bool touchesDevice; // the power capacity needs the source; the limits do not
};

class SetRejects : public CtlTest, public testing::WithParamInterface<Rejection> {};

TEST_P(SetRejects, WithThePanelsMessageAndSendsNothing) {
    writeIni("UseSysLogFile=1\r\n");
    sim.setSourceLetter(GetParam().source);
    std::vector<std::string> args = {"set", GetParam().volts, GetParam().amps, "--port", "com3"};
    if (*GetParam().option)
        args.push_back(GetParam().option);
    auto r = runCtl(args);
    EXPECT_EQ(r.code, GetParam().code);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err, std::string(GetParam().message) + "\n");
    EXPECT_EQ(sim.receivedText(), GetParam().touchesDevice ? "XILMV" : "");
    EXPECT_NEAR(sim.voltageSetpoint(), 5.0, 1e-9);
    EXPECT_NEAR(sim.currentSetpoint(), 0.5, 1e-9);
    EXPECT_NE(systemLog().find(GetParam().message), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(
    Rules, SetRejects,
    testing::Values(
        Rejection{'A', "20.02", "0.1", "", ctl::VoltageRejected, texts::LogVoltageTooHigh, false},
        Rejection{'A', "5", "1.001", "", ctl::CurrentRejected, texts::LogCurrentTooHigh, false},
        Rejection{'A', "5", "1.5", "--derive-current", ctl::CurrentRejected,
                  texts::LogCurrentTooHigh, false},
        Rejection{'U', "5", "0.4", "", ctl::PowerRejected, texts::LogPowerTooHigh, true},
        Rejection{'A', "20", "0.301", "", ctl::PowerRejected, texts::LogPowerTooHigh, true}),
    [](const auto& info) {
        return setCaseName(info.param.source, info.param.volts, info.param.amps, info.param.option);
    });

TEST_F(CtlTest, SetOperandsThatCouldNotBeTypedAreUsageErrors) {
    for (const char* bad : {"5V", "1e1", "", " 5", "0x5", "nan"}) {
        auto r = runCtl({"set", bad, "0.1", "--port", "com3"});
        EXPECT_EQ(r.code, ctl::Usage) << bad;
    }
    EXPECT_EQ(runCtl({"set", "5", "0.1", "--derive-current", "--derive-voltage"}).code, ctl::Usage);
    EXPECT_EQ(runCtl({"set", "--", "-1", "0.1"}).code, ctl::Usage);
    EXPECT_EQ(sim.receivedText(), "");
}

struct UsageCase {
    const char* name;
    std::vector<std::string> args;
    const char* message; // the first line on standard error
};

class UsageMessage : public CtlTest, public testing::WithParamInterface<UsageCase> {};

TEST_P(UsageMessage, NamesWhatIsWrongOnceAndSendsNothing) {
    auto r = runCtl(GetParam().args);
    EXPECT_EQ(r.code, ctl::Usage);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err.substr(0, r.err.find('\n')), GetParam().message);
    EXPECT_EQ(sim.receivedText(), "");
}

const char* const SetOperands =
    "quorelctl set: VOLTS and AMPS are written with digits and a point, such as 5 or 0.25";

INSTANTIATE_TEST_SUITE_P(
    Arguments, UsageMessage,
    testing::Values(
        UsageCase{"MissingOperand", {"set", "5"}, "quorelctl: set: missing operand"},
        UsageCase{
            "SurplusOperand", {"set", "5", "0.1", "0.2"}, "quorelctl: set: unexpected operand 0.2"},
        UsageCase{"OptionTheCommandLacks",
                  {"scan", "--port", "com3"},
                  "quorelctl: scan has no option --port"},
        UsageCase{"OptionFollowedByAnOption",
                  {"status", "--watch", "--count", "2", "--port", "com3"},
                  "quorelctl: --watch needs a value"},
        UsageCase{"EmptyPort", {"info", "--port", ""}, "quorelctl: --port needs a value"},
        UsageCase{"EmptyPortAfterEquals", {"info", "--port="}, "quorelctl: --port needs a value"},
        UsageCase{"WatchBeyondItsLimit",
                  {"status", "--port", "com3", "--watch", "1000000000000000000"},
                  "quorelctl status: --watch is at most 3000000000 seconds"},
        UsageCase{"DurationBeyondItsLimit",
                  {"log", "x.csv", "--duration", "1000000000000000000"},
                  "quorelctl log: --duration is at most 3000000000 seconds"},
        UsageCase{"DurationNotANumber",
                  {"log", "x.csv", "--duration", "soon"},
                  "quorelctl log: --duration needs a positive number of seconds"},
        UsageCase{"PointsWithoutDigits", {"set", ".", ".", "--port", "com3"}, SetOperands},
        UsageCase{"VoltsWithoutDigits", {"set", ".", "0.5", "--port", "com3"}, SetOperands},
        UsageCase{"TwoPoints", {"set", "1.2.3", "0.1", "--port", "com3"}, SetOperands}),
    casenames::ByName{});

TEST_F(CtlTest, OperandsWithADigitOnOneSideOfThePointAreNumbers) {
    auto r = runCtl({"set", ".5", "0.", "--port", "com3"});
    EXPECT_EQ(r.code, ctl::Success) << r.err;
    EXPECT_EQ(r.out, "出力を 0.50V/0.000A にセットしました\n");
}

TEST_F(CtlTest, SetRefusedByTheDeviceExitsWithItsResultAndLogsNoSuccess) {
    writeIni("UseSysLogFile=1\r\n");
    sim.setRefused("S");
    auto r = runCtl({"set", "5", "0.1", "--port", "com3"});
    EXPECT_EQ(r.code, ctl::DeviceBadReply);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err, "デバイスが正しく応答しません\n");
    EXPECT_EQ(systemLog().find("セットしました"), std::string::npos);
}

// --- on, off ---

TEST_F(CtlTest, OnAndOffSwitchTheOutputAndReadItBack) {
    writeIni("UseSysLogFile=1\r\n");
    auto r = runCtl({"on", "--port", "com3"});
    EXPECT_EQ(r.code, ctl::Success);
    EXPECT_EQ(r.out, "出力を ON しました\n");
    EXPECT_TRUE(sim.outputOn());
    EXPECT_EQ(sim.receivedText(), "XILMVNM");

    sim.clearReceived();
    r = runCtl({"off", "--port", "com3"});
    EXPECT_EQ(r.code, ctl::Success);
    EXPECT_EQ(r.out, "出力を OFF しました\n");
    EXPECT_FALSE(sim.outputOn());
    EXPECT_EQ(sim.receivedText(), "XILMVFM");
    const std::string log = systemLog();
    EXPECT_NE(log.find("] 出力を ON しました\r\n"), std::string::npos);
    EXPECT_NE(log.find("] 出力を OFF しました\r\n"), std::string::npos);
}

TEST_F(CtlTest, OnAgainstARefusingDeviceReportsThatItDidNotFollow) {
    writeIni("UseSysLogFile=1\r\n");
    sim.setRefused("N");
    auto r = runCtl({"on", "--port", "com3"});
    EXPECT_EQ(r.code, ctl::OutputNotFollowed);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err, "デバイスの出力が切り替わりませんでした (デバイスが正しく応答しません)\n");
    EXPECT_FALSE(sim.outputOn());
    // The button's line, then what the poll would have seen.
    const std::string log = systemLog();
    const auto pressed = log.find("出力を ON しました");
    const auto seen = log.find("出力をOFFしました");
    ASSERT_NE(pressed, std::string::npos);
    ASSERT_NE(seen, std::string::npos);
    EXPECT_LT(pressed, seen);
}

TEST_F(CtlTest, OffThatTheDeviceAcknowledgesButIgnoresIsCaughtByTheReadBack) {
    sim.setOutput(true);
    // The device answers "OK" to "F", yet its status keeps showing the output on.
    sim.setReplyFilter(
        [](const std::string& command, const std::string& reply) -> std::optional<std::string> {
            std::string r = reply;
            if (command == "M" && r.size() > 1)
                r[1] = 'N';
            return r;
        });
    auto r = runCtl({"off", "--port", "com3"});
    EXPECT_EQ(r.code, ctl::OutputNotFollowed);
    EXPECT_EQ(r.err, "デバイスの出力が切り替わりませんでした\n");
}

// --- log ---

std::vector<std::string> lines(const std::string& text) {
    std::vector<std::string> out;
    std::size_t at = 0;
    while (at < text.size()) {
        auto end = text.find("\r\n", at);
        if (end == std::string::npos) {
            out.push_back(text.substr(at)); // an incomplete last line
            break;
        }
        out.push_back(text.substr(at, end + 2 - at));
        at = end + 2;
    }
    return out;
}

TEST_F(CtlTest, LogWritesTheMeasurementLineOncePerIntervalOfTheClock) {
    writeIni("UseSysLogFile=1\r\n");
    sim.setOutput(true);
    // Each reading of the clock is 5 s after the last: one at the start message, then one
    // per poll, so a 10 s interval takes every second poll.
    setSteppingClock(2031, 3, 4, 5, 6, 0, 5);
    auto r = runCtl(
        {"log", dir.file("m.csv"), "--port", "com3", "--interval", "10s", "--duration", "2.2"});
    EXPECT_EQ(r.code, ctl::Success) << r.err;
    EXPECT_EQ(r.err, "ログを開始しました\nログを停止しました\n");
    const auto got = lines(TempDir::read(dir.file("m.csv")));
    ASSERT_GE(got.size(), 2u);
    ASSERT_LE(got.size(), 3u);
    const char* expected[] = {"31/03/04 05:06:05,5.00,0.500,CV,5.00,0.100\r\n",
                              "31/03/04 05:06:15,5.00,0.500,CV,5.00,0.100\r\n",
                              "31/03/04 05:06:25,5.00,0.500,CV,5.00,0.100\r\n"};
    for (std::size_t i = 0; i < got.size(); ++i)
        EXPECT_EQ(got[i], expected[i]);
    // Polled every 500 ms: about five polls in 2.2 s.
    const std::string sent = sim.receivedText();
    const auto polls = std::count(sent.begin(), sent.end(), 'M') - 1;
    EXPECT_GE(polls, 4);
    EXPECT_LE(polls, 6);
    const std::string log = systemLog();
    EXPECT_NE(log.find("ログを開始しました"), std::string::npos);
    EXPECT_NE(log.find("ログを停止しました"), std::string::npos);
}

TEST_F(CtlTest, LogAppendsOrEmptiesAnExistingFile) {
    setSteppingClock(2031, 3, 4, 5, 6, 0, 1);
    const std::string csv = dir.file("m.csv");
    TempDir::write(csv, "old\r\n");
    ASSERT_EQ(runCtl({"log", csv, "--port", "com3", "--append", "--duration", "0.2"}).code, 0);
    auto got = lines(TempDir::read(csv));
    ASSERT_EQ(got.size(), 2u);
    EXPECT_EQ(got[0], "old\r\n");

    ASSERT_EQ(runCtl({"log", csv, "--port", "com3", "--duration", "0.2"}).code, 0);
    got = lines(TempDir::read(csv));
    ASSERT_EQ(got.size(), 1u);
    EXPECT_NE(got[0], "old\r\n");
}

TEST_F(CtlTest, LogWithoutDeviceLeavesTheFileAsItWas) {
    const std::string csv = dir.file("m.csv");
    TempDir::write(csv, "kept\r\n");
    auto r = runCtl({"log", csv, "--port", "com9", "--duration", "1"});
    EXPECT_EQ(r.code, ctl::DeviceOpenFailed);
    EXPECT_EQ(TempDir::read(csv), "kept\r\n");
}

TEST_F(CtlTest, LogFileThatCannotBeOpenedIsReported) {
    writeIni("UseSysLogFile=1\r\n");
    auto r = runCtl({"log", dir.path(), "--port", "com3", "--duration", "1"});
    EXPECT_EQ(r.code, ctl::FileCannotOpen);
    EXPECT_EQ(r.err, "ログファイルをオープンできません\n");
    EXPECT_NE(systemLog().find("ログファイルをオープンできません"), std::string::npos);
}

TEST_F(CtlTest, LogEndsWithTheLinkErrorWhenTheDeviceGoesAndKeepsCompleteLines) {
    const std::string csv = dir.file("m.csv");
    std::thread puller([this] {
        platform::sleepMs(1200);
        sim.unplug();
    });
    auto r = runCtl({"log", csv, "--port", "com3", "--duration", "10"});
    puller.join();
    EXPECT_EQ(r.code, ctl::DeviceLinkError);
    EXPECT_NE(r.err.find("デバイスと切断されました (通信エラーが発生しました)\n"),
              std::string::npos);
    const auto got = lines(TempDir::read(csv));
    ASSERT_GE(got.size(), 1u);
    for (const auto& l : got)
        EXPECT_TRUE(
            std::regex_match(l, std::regex(R"([0-9/ :]{17},5\.00,0\.500,OFF,0\.00,0\.000\r\n)")))
            << l;
}

TEST_F(CtlTest, LogOptionsAreChecked) {
    EXPECT_EQ(runCtl({"log", "x.csv", "--interval", "5s"}).code, ctl::Usage);
    EXPECT_EQ(runCtl({"log", "x.csv", "--duration", "-3"}).code, ctl::Usage);
    EXPECT_EQ(runCtl({"log"}).code, ctl::Usage);
    EXPECT_FALSE(TempDir::exists("x.csv"));
    EXPECT_EQ(sim.receivedText(), "");
}

// --- update ---

class CtlUpdate : public CtlTest {
protected:
    void SetUp() override {
        CtlTest::SetUp();
        ASSERT_TRUE(sim.replug(sim::Mode::BootLoader));
    }
};

TEST_F(CtlUpdate, MalformedOrMissingFileNeverTouchesTheDevice) {
    const std::string hex = dir.file("bad.hex");
    TempDir::write(hex, ":10000000FFFF\r\n:00000001FF\r\n");
    auto r = runCtl({"update", hex, "--port", "com3"});
    EXPECT_EQ(r.code, ctl::FileMalformed);
    EXPECT_EQ(r.err, std::string(texts::FirmwareFileReadFailed) + "\n");

    r = runCtl({"update", dir.file("none.hex"), "--port", "com3"});
    EXPECT_EQ(r.code, ctl::FileCannotOpen);
    EXPECT_EQ(r.err, std::string(texts::FirmwareFileOpenFailed) + "\n");

    EXPECT_EQ(sim.receivedText(), "");
    EXPECT_FALSE(sim.erased());
}

struct RefusedHex {
    const char* name;
    const char* content;
    int code;
    const char* message;
};

class CtlUpdateRefuses : public CtlUpdate, public testing::WithParamInterface<RefusedHex> {};

TEST_P(CtlUpdateRefuses, FileThatWouldHarmTheDeviceBeforeAnythingIsSent) {
    const std::string hex = dir.file("fw.hex");
    TempDir::write(hex, GetParam().content);
    auto r = runCtl({"update", hex, "--port", "com3"});
    EXPECT_EQ(r.code, GetParam().code);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err, std::string(GetParam().message) + "\n");
    EXPECT_EQ(sim.receivedText(), "");
    EXPECT_FALSE(sim.erased());
}

INSTANTIATE_TEST_SUITE_P(
    Files, CtlUpdateRefuses,
    testing::Values(RefusedHex{"EmptyFile", "", ctl::FileMalformed, texts::FirmwareFileReadFailed},
                    RefusedHex{"WrongChecksum", ":020400008A0170\r\n:00000001FF\r\n",
                               ctl::FileMalformed, texts::FirmwareFileReadFailed},
                    RefusedHex{"CutShortBeforeTheEndRecord", ":020400008A016F\r\n",
                               ctl::FileMalformed, texts::FirmwareFileReadFailed},
                    RefusedHex{"OnlyTheEndRecord", ":00000001FF\r\n", ctl::FileMalformed,
                               texts::FirmwareFileNoProgram}),
    casenames::ByName{});

TEST_F(CtlUpdate, FifoAsTheFileCannotBeOpenedAndIsNotWaitedOn) {
    Fifo fifo(dir.file("fw.hex"));
    auto r = runCtl({"update", fifo.path(), "--port", "com3"});
    EXPECT_FALSE(fifo.released());
    EXPECT_EQ(r.code, ctl::FileCannotOpen);
    EXPECT_EQ(r.err, std::string(texts::FirmwareFileOpenFailed) + "\n");
    EXPECT_EQ(sim.receivedText(), "");
}

TEST_F(CtlUpdate, MainFirmwareOnThePortGivesTheConnectMessage) {
    ASSERT_TRUE(sim.replug(sim::Mode::MainFirmware));
    const std::string hex = dir.file("one-word.hex");
    TempDir::write(hex, ":020400008A016F\r\n:00000001FF\r\n");
    auto r = runCtl({"update", hex, "--port", "com3"});
    EXPECT_EQ(r.code, ctl::DeviceBadReply);
    EXPECT_EQ(r.err,
              std::string(texts::FirmwareConnectFailed) + "\n(" + texts::ResultBadReply + ")\n");
    EXPECT_EQ(sim.receivedText(), "XI");
}

TEST_F(CtlUpdate, RefusedEraseStopsBeforeAnyBlock) {
    sim.setRefused("E");
    const std::string hex = dir.file("one-word.hex");
    TempDir::write(hex, ":020400008A016F\r\n:00000001FF\r\n");
    auto r = runCtl({"update", hex, "--port", "com3"});
    EXPECT_EQ(r.code, ctl::DeviceBadReply);
    EXPECT_EQ(r.err.find(texts::FirmwareEraseFailed), 0u);
    EXPECT_EQ(sim.receivedText(), "XIE");
}

// The one full transfer of this program, its pauses free (about 35 s paced for real; the
// benchmark measures that).
TEST_F(CtlUpdate, FullUpdateLeavesTheImageInTheDeviceAndQuits) {
    platform::setSleepForTest([](int) {});
    std::string hex;
    char buf[64];
    for (int address = 0; address < 4096; address += 16) {
        std::snprintf(buf, sizeof buf, ":10%04X00", address);
        hex += buf;
        unsigned sum = 0x10 + (address >> 8) + (address & 0xFF);
        for (int i = 0; i < 16; ++i) {
            unsigned b = (address * 7 + i * 13) & 0xFF;
            if (i % 2 == 0)
                b &= 0x3F; // program words are 14 bits
            sum += b;
            std::snprintf(buf, sizeof buf, "%02X", b);
            hex += buf;
        }
        std::snprintf(buf, sizeof buf, "%02X\r\n", (0x100 - (sum & 0xFF)) & 0xFF);
        hex += buf;
    }
    hex += ":00000001FF\r\n";
    const std::string path = dir.file("fw.hex");
    TempDir::write(path, hex);
    HexImage::Bytes image{};
    ASSERT_EQ(HexImage::load(path, image), HexImageResult::Loaded);

    auto r = runCtl({"update", path, "--port", "com3"});
    EXPECT_EQ(r.code, ctl::Success) << r.err;
    EXPECT_EQ(r.out, std::string(texts::FirmwareDoneNoDialog) + "\n");
    // Into a file, the progress comes at every tenth: first block, ..., the end.
    EXPECT_EQ(r.err.find("0x0200 ["), 0u) << r.err;
    EXPECT_NE(r.err.find("0x07fc [################################] 100%\n"), std::string::npos)
        << r.err;

    EXPECT_TRUE(eventually([this] { return sim.mode() == sim::Mode::MainFirmware; }));
    EXPECT_EQ(sim.blocksWritten(), 384);
    const auto flash = sim.flash();
    EXPECT_TRUE(std::equal(image.begin() + 0x400, image.end(), flash.begin() + 0x400));
    const std::string sent = sim.receivedText();
    ASSERT_FALSE(sent.empty());
    EXPECT_EQ(sent.back(), 'Q');
    EXPECT_EQ(sent.substr(0, 3), "XIE");
}

} // namespace
