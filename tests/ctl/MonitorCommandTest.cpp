#include "CtlTestSupport.h"
#include "ctl/ExitCode.h"

#include <chrono>
#include <regex>
#include <thread>

namespace {

// quorelctl monitor on the simulator giving 4.00 V and 0.400 A (10 ohm, 5 V / 0.4 A, on).
class Monitor : public CtlTest {
protected:
    void SetUp() override {
        CtlTest::SetUp();
        sim.setLoadOhms(10);
        sim.setSetpoint(5.0, 0.4);
        sim.setOutput(true);
        writeIni("UseSysLogFile=1\r\n");
    }
    static std::string lastLine(const std::string& text) {
        const auto end = text.find_last_not_of('\n');
        const auto begin = text.rfind('\n', end);
        return text.substr(begin == std::string::npos ? 0 : begin + 1, end + 1 - (begin + 1));
    }
};

TEST_F(Monitor, ATripEndsWithExit25AndAJsonSummaryNamingIt) {
    auto r = runCtl({"monitor", "--port", "com3", "--duration", "1.2", "--ocp", "0.3", "--json"});
    EXPECT_EQ(r.code, ctl::ProtectionTripped) << r.err;
    EXPECT_FALSE(sim.outputOn());
    const std::string summary = lastLine(r.out);
    for (const char* key : {"\"elapsed_s\":", "\"charge_Ah\":", "\"energy_Wh\":",
                            "\"voltage\":{\"min\":0.000,\"max\":4.000,",
                            "\"current\":{\"min\":", "\"power\":{\"min\":",
                            "\"trips\":[{\"kind\":\"ocp\",\"level\":0.300,"
                            "\"value\":0.400,\"time\":\""})
        EXPECT_NE(summary.find(key), std::string::npos) << key << " in " << summary;
    const std::string trip = "過電流保護が作動し出力をOFFしました(設定 0.300A　測定 0.400A)";
    EXPECT_NE(r.err.find(trip), std::string::npos);
    EXPECT_NE(systemLog().find(trip), std::string::npos);
}

TEST_F(Monitor, WithReconnectALostDeviceIsWaitedForAndTheSummaryCoversBothRuns) {
    std::thread cable([this] {
        std::this_thread::sleep_for(std::chrono::milliseconds(1200));
        sim.unplug();
        std::this_thread::sleep_for(std::chrono::milliseconds(600));
        sim.replug(sim::Mode::MainFirmware);
    });
    auto r = runCtl({"monitor", "--port", "com3", "--duration", "5", "--reconnect"});
    cable.join();
    EXPECT_EQ(r.code, ctl::Success) << r.err;
    EXPECT_NE(r.err.find("デバイスと切断されました"), std::string::npos);
    EXPECT_NE(r.err.find("デバイス com3/FW"), std::string::npos) << r.err;
    EXPECT_NE(r.out.find("charge    "), std::string::npos);
    EXPECT_EQ(sim.receivedText().find('S'), std::string::npos) << "nothing is sent again";
}

TEST_F(Monitor, WithoutReconnectALostDeviceEndsWithItsCodeAfterTheSummary) {
    std::thread cable([this] {
        std::this_thread::sleep_for(std::chrono::milliseconds(800));
        sim.unplug();
    });
    auto r = runCtl({"monitor", "--port", "com3", "--duration", "5"});
    cable.join();
    EXPECT_GE(r.code, ctl::DeviceOpenFailed);
    EXPECT_LE(r.code, ctl::DeviceNotConnected);
    EXPECT_NE(r.err.find("デバイスと切断されました"), std::string::npos);
    EXPECT_NE(r.out.find("elapsed   "), std::string::npos);
}

TEST_F(Monitor, LevelsOutsideTheRangeAndBadDelaysAreUsageErrorsBeforeAnythingIsSent) {
    for (auto args : {std::vector<std::string>{"--ovp", "25"},
                      {"--ocp", "0"},
                      {"--opp", "x"},
                      {"--ocp", "0.5", "--ocp-delay", "-1"}}) {
        args.insert(args.begin(), {"monitor", "--port", "com3"});
        auto r = runCtl(args);
        EXPECT_EQ(r.code, ctl::Usage) << args[3];
    }
    EXPECT_EQ(sim.receivedText(), "");
}

// Numbers are plain decimals as set takes them; a delay needs its protection; an interval
// below the poll period would only print the same reading again.
TEST_F(Monitor, OptionsBeyondTheOneRuleForNumbersAreUsageErrorsNamingTheirRule) {
    struct Case {
        std::vector<std::string> args;
        std::string message;
    };
    const Case cases[] = {
        {{"--duration", "0x10"}, "--duration needs a positive number of seconds"},
        {{"--ovp", "0x5"}, "--ovp: "},
        {{"--ocp", "0.5", "--ocp-delay", "0x1"}, "--ocp-delay: "},
        {{"--ocp", "0.5", "--ocp-delay", "1e1"}, "--ocp-delay: "},
        {{"--ocp-delay", "1"}, "--ocp-delay goes with --ocp"},
        {{"--interval", "0.2"}, "--interval is at least 0.5 s, the poll period"},
    };
    for (Case c : cases) {
        c.args.insert(c.args.begin(), {"monitor", "--port", "com3"});
        auto r = runCtl(c.args);
        EXPECT_EQ(r.code, ctl::Usage) << c.message;
        EXPECT_NE(r.err.find("quorelctl monitor: " + c.message), std::string::npos) << r.err;
    }
    EXPECT_EQ(sim.receivedText(), "");
}

TEST_F(Monitor, CsvNamesAFileForMonitorWhileStatusKeepsItAsAFlag) {
    auto r = runCtl({"--csv", dir.file("m.csv"), "monitor", "--port", "com3", "--duration", "1.1"});
    EXPECT_EQ(r.code, ctl::Success) << r.err;
    EXPECT_NE(TempDir::read(dir.file("m.csv")).find(",5.00,0.400,CC,4.00,0.400\r\n"),
              std::string::npos);
    r = runCtl({"status", "--csv", "--port", "com3"});
    EXPECT_EQ(r.code, ctl::Success) << r.err;
}

class MonitorCounters : public Monitor, public testing::WithParamInterface<const char*> {};

// The real program at a constant 5 V 0.2 A (25 ohm): the counters span the whole duration,
// their last reading at its end, and agree within 1 % with the elapsed time reported.
TEST_P(MonitorCounters, SpanTheWholeDurationWithinOnePercent) {
    sim.setLoadOhms(25);
    sim.setSetpoint(5.0, 0.2);
    const double duration = std::stod(GetParam());
    Child child(dir,
                {"monitor", "--port", dir.file("ports/com3"), "--duration", GetParam(), "--json"});
    EXPECT_EQ(child.wait(static_cast<int>(duration * 1000) + 10000), ctl::Success)
        << TempDir::read(dir.file("err"));
    const std::string summary = lastLine(TempDir::read(dir.file("out")));
    auto value = [&summary](const std::string& key) {
        std::smatch m;
        EXPECT_TRUE(std::regex_search(summary, m, std::regex("\"" + key + "\":([0-9.]+)")))
            << key << " in " << summary;
        return m.empty() ? -1.0 : std::stod(m[1]);
    };
    const double elapsed = value("elapsed_s");
    EXPECT_GE(elapsed, duration * 0.99);
    EXPECT_LE(elapsed, duration + 0.5);
    EXPECT_NEAR(value("charge_Ah"), 0.2 * elapsed / 3600, 0.01 * 0.2 * elapsed / 3600);
    EXPECT_NEAR(value("energy_Wh"), 1.0 * elapsed / 3600, 0.01 * 1.0 * elapsed / 3600);
    EXPECT_NEAR(value("output_on_s"), elapsed, 0.01 * elapsed);
}

// The ten seconds are the only long case.
INSTANTIATE_TEST_SUITE_P(Durations, MonitorCounters, testing::Values("1", "10"),
                         [](const auto& info) { return std::string(info.param) + "s"; });

} // namespace
