// The words of a call, the values of options, the help.
#include "ctl/CommandLine.h"
#include "ctl/ExitCode.h"
#include "ctl/ProgressBar.h"

#include "CtlTestSupport.h"
#include "support/CaseNames.h"

#include <gtest/gtest.h>

namespace {

using ctl::CommandLine;
using ctl::parseCommandLine;

TEST(CommandLine, OptionsMayStandAnywhereAndTakeTheirValueEitherWay) {
    CommandLine line;
    ASSERT_FALSE(
        parseCommandLine({"--port", "com3", "log", "a.csv", "--interval=10s", "--append"}, line));
    EXPECT_EQ(line.command, "log");
    EXPECT_EQ(line.operands, std::vector<std::string>{"a.csv"});
    EXPECT_EQ(line.value("port"), "com3");
    EXPECT_EQ(line.value("interval"), "10s");
    EXPECT_TRUE(line.has("append"));
}

// An option of serve that takes a value took none from the next word before: "--vxi11-port 0"
// was read as a flag and an operand.
TEST(CommandLine, ServesOptionsTakeTheNextWordAsTheirValue) {
    const char* const options[] = {
        "vxi11-port", "mqtt",      "mqtt-password-file", "mqtt-ca",       "mqtt-cert",
        "mqtt-key",   "mqtt-node", "mqtt-base",          "mqtt-interval", "mqtt-discovery-prefix"};
    for (const char* option : options) {
        CommandLine line;
        EXPECT_FALSE(parseCommandLine({"serve", std::string("--") + option, "0"}, line)) << option;
        EXPECT_EQ(line.value(option), "0") << option;
        EXPECT_TRUE(line.operands.empty()) << option;
    }
}

TEST(CommandLine, DoubleDashLetsAnOperandStartWithADash) {
    CommandLine line;
    ASSERT_FALSE(parseCommandLine({"log", "--", "-data.csv"}, line));
    EXPECT_EQ(line.operands, std::vector<std::string>{"-data.csv"});
}

class UsageError : public testing::TestWithParam<std::vector<std::string>> {};

TEST_P(UsageError, IsRefusedWithExitTwoAndTouchesNothing) {
    CommandLine line;
    EXPECT_TRUE(parseCommandLine(GetParam(), line));
    auto r = runCtl(GetParam());
    EXPECT_EQ(r.code, ctl::Usage);
    EXPECT_EQ(r.out, "");
    EXPECT_NE(r.err.find("quorelctl: "), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(
    Words, UsageError,
    testing::Values(std::vector<std::string>{"frobnicate"}, std::vector<std::string>{"set", "5"},
                    std::vector<std::string>{"set", "5", "0.1", "0.2"},
                    std::vector<std::string>{"scan", "--port", "com3"},
                    std::vector<std::string>{"info", "--watch", "1"},
                    std::vector<std::string>{"status", "--port"},
                    std::vector<std::string>{"status", "--csv=yes"},
                    std::vector<std::string>{"on", "--port", "a", "--port", "b"},
                    std::vector<std::string>{"update"}, std::vector<std::string>{"-x", "info"},
                    std::vector<std::string>{"--port", "com3"},
                    std::vector<std::string>{"status", "--json", "--json"},
                    std::vector<std::string>{"monitor", "--reconnect", "--reconnect"},
                    std::vector<std::string>{"log", "a.csv", "--duration", "1", "--duration", "2"}),
    [](const auto& info) {
        std::string name;
        for (const auto& w : info.param)
            name += (name.empty() ? "" : "_") + casenames::word(w);
        return name;
    });

TEST(CommandLine, ValuesOfOptions) {
    EXPECT_EQ(ctl::parseInterval("1s"), 1);
    EXPECT_EQ(ctl::parseInterval("10s"), 10);
    EXPECT_EQ(ctl::parseInterval("1m"), 60);
    EXPECT_EQ(ctl::parseInterval("10m"), 600);
    EXPECT_EQ(ctl::parseInterval("1h"), 3600);
    for (const char* bad : {"", "1", "60s", "1H", "2m"})
        EXPECT_FALSE(ctl::parseInterval(bad)) << bad;

    EXPECT_EQ(ctl::parseSeconds("0.5"), 0.5);
    EXPECT_EQ(ctl::parseSeconds(".5"), 0.5);
    for (const char* bad : {"", "0", "-1", "inf", "nan", "1x", "1e300", "0x10", "1e1", " 5", "+5"})
        EXPECT_FALSE(ctl::parseSeconds(bad)) << bad;
    EXPECT_EQ(ctl::parseSeconds("3000000000"), 3e9);
    EXPECT_EQ(ctl::secondsProblem("2"), "");
    for (const std::string tooLong : {std::string("3000000001"), std::string("1000000000000000000"),
                                      "1" + std::string(400, '0')})
        EXPECT_EQ(ctl::secondsProblem(tooLong), "is at most 3000000000 seconds") << tooLong;
    for (const char* bad : {"", "0", "-1e400", "inf", "1x", "1e18", "0x10"})
        EXPECT_EQ(ctl::secondsProblem(bad), "needs a positive number of seconds") << bad;

    EXPECT_EQ(ctl::parseCount("3"), 3);
    for (const char* bad :
         {"", "0", "-2", "+2", "2.5", "99999999999999999999", " 5", "0x10", "1e2"})
        EXPECT_FALSE(ctl::parseCount(bad)) << bad;
}

TEST(Help, ListsTheExitCodesAndEachCommandHasItsOwn) {
    auto r = runCtl({"help"});
    EXPECT_EQ(r.code, ctl::Success);
    for (const char* code : {"  0  ", "  1  ", "  2  ", " 11  ", " 12  ", " 13  ", " 14  ", " 21  ",
                             " 22  ", " 23  ", " 24  ", " 31  ", " 32  ", " 33  "})
        EXPECT_NE(r.out.find(code), std::string::npos) << code;
    for (const auto& name : ctl::commandNames()) {
        auto h = runCtl({name, "--help"});
        EXPECT_EQ(h.code, ctl::Success) << name;
        EXPECT_EQ(h.out.find("usage: quorelctl " + name), 0u) << name;
        EXPECT_EQ(runCtl({"help", name}).out, h.out);
    }
    EXPECT_EQ(runCtl({}).code, ctl::Usage);
    EXPECT_EQ(runCtl({"help", "nosuch"}).code, ctl::Usage);
}

TEST(ProgressBar, ShowsTheWordAddressAndTheShareDone) {
    EXPECT_EQ(ctl::ProgressBar::line(0x200, 0), "0x0200 [                                ]   0%");
    EXPECT_EQ(ctl::ProgressBar::line(0x500, 50), "0x0500 [################                ]  50%");
    EXPECT_EQ(ctl::ProgressBar::percent(0x200, 512, 2048), 0);
    EXPECT_EQ(ctl::ProgressBar::percent(0x7fc, 512, 2048), 99);
}

TEST(ProgressBar, RedrawsInPlaceOnATerminalAndWritesTenthsElsewhere) {
    std::ostringstream terminal, file;
    ctl::ProgressBar onTerminal(terminal, true), intoFile(file, false);
    for (auto* bar : {&onTerminal, &intoFile}) {
        bar->start(512, 2048);
        for (int a = 512; a < 2048; a += 4)
            bar->show(a);
        bar->finish(true);
    }
    const std::string t = terminal.str();
    EXPECT_EQ(std::count(t.begin(), t.end(), '\r'), 385);
    EXPECT_EQ(std::count(t.begin(), t.end(), '\n'), 1);
    const std::string f = file.str();
    EXPECT_EQ(f.find('\r'), std::string::npos);
    EXPECT_EQ(std::count(f.begin(), f.end(), '\n'), 11); // 0 % to 100 % by tenths
}

} // namespace
