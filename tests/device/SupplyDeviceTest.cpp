#include "device/SupplyDevice.h"
#include "device/SerialPort.h"
#include "platform/Clock.h"
#include "simulator/SimulatedSupply.h"
#include "support/CaseNames.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <thread>
#include <vector>

namespace {

class SupplyDeviceTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(sim.start()); }
    void TearDown() override { SupplyDevice::disconnect(); }

    DeviceResult connect() { return SupplyDevice::connect(sim.portPath()); }
    void connected() {
        ASSERT_EQ(connect(), DeviceResult::Ok);
        sim.clearReceived();
    }

    sim::SimulatedSupply sim;
};

TEST_F(SupplyDeviceTest, ConnectSynchronisesAndIdentifies) {
    EXPECT_EQ(connect(), DeviceResult::Ok);
    EXPECT_TRUE(SupplyDevice::isConnected());
    EXPECT_EQ(sim.receivedText(), "XI");
}

TEST_F(SupplyDeviceTest, ConnectSucceedsWhenTheDeviceAnswersOnlyTheFourthSync) {
    sim.setSyncIgnored(3);
    EXPECT_EQ(connect(), DeviceResult::Ok);
    EXPECT_EQ(sim.receivedText(), "XXXXI");
}

TEST_F(SupplyDeviceTest, SilentDeviceGivesBadReplyAfterTenAttemptsAndClosesThePort) {
    sim.setSilent(true);
    auto t0 = platform::monotonicMs();
    EXPECT_EQ(connect(), DeviceResult::BadReply);
    auto ms = platform::monotonicMs() - t0;
    EXPECT_GE(ms, 1200);
    EXPECT_LT(ms, 1800);
    EXPECT_FALSE(SupplyDevice::isConnected());
    EXPECT_EQ(sim.receivedText(), std::string(10, 'X'));
}

TEST_F(SupplyDeviceTest, BootLoaderOnThePortIsNotAccepted) {
    sim.replug(sim::Mode::BootLoader);
    EXPECT_EQ(connect(), DeviceResult::BadReply);
    EXPECT_FALSE(SupplyDevice::isConnected());
}

TEST_F(SupplyDeviceTest, MissingOrHeldPortFailsToOpen) {
    EXPECT_EQ(SupplyDevice::connect("/dev/pts/99999"), DeviceResult::OpenFailed);
    auto holder = SerialPort::open(sim.portPath(), 9600);
    ASSERT_TRUE(holder);
    EXPECT_EQ(connect(), DeviceResult::OpenFailed);
}

TEST_F(SupplyDeviceTest, JunkAheadOfTheSyncAnswerSpoilsOnlyOneAttempt) {
    sim.setJunk("\xff\x01", "");
    // Every reply carries junk, so synchronisation never sees "NG\r\n" alone.
    EXPECT_EQ(connect(), DeviceResult::BadReply);
    sim.setJunk("", "");
    EXPECT_EQ(connect(), DeviceResult::Ok);
}

TEST_F(SupplyDeviceTest, StatusDecodesSourceOutputModeAndReadings) {
    connected();
    sim.setReplyOverride([](const std::string& c) -> std::optional<std::string> {
        if (c == "M")
            return std::string("UNC0FA064\r\n");
        return std::nullopt;
    });
    DeviceStatus s;
    ASSERT_EQ(SupplyDevice::readStatus(s), DeviceResult::Ok);
    EXPECT_EQ(s.source, PowerSource::UsbHost);
    EXPECT_EQ(s.outputOn, 1);
    EXPECT_EQ(s.constantCurrent, 1);
    EXPECT_DOUBLE_EQ(s.voltage, 250 * 0.02);
    EXPECT_DOUBLE_EQ(s.current, 100 * 0.001);
}

struct StatusCase {
    const char* reply;
    PowerSource source;
    int outputOn;
    int cc;
    double volts;
    double amps;
};

class StatusLetters : public ::testing::TestWithParam<StatusCase> {};

TEST_P(StatusLetters, DecodeAsTheDeviceMeansThem) {
    const auto& c = GetParam();
    DeviceStatus s = SupplyDevice::decodeStatus(c.reply);
    EXPECT_EQ(s.source, c.source);
    EXPECT_EQ(s.outputOn, c.outputOn);
    EXPECT_EQ(s.constantCurrent, c.cc);
    EXPECT_NEAR(s.voltage, c.volts, 1e-9);
    EXPECT_NEAR(s.current, c.amps, 1e-9);
}

INSTANTIATE_TEST_SUITE_P(
    Replies, StatusLetters,
    ::testing::Values(StatusCase{"AFV000000\r\n", PowerSource::AcAdapter, 0, 0, 0, 0},
                      StatusCase{"XNCFFFFFF\r\n", PowerSource::AdapterIdle, 1, 1, 81.90, 4.095},
                      StatusCase{"UNVfffFFF\r\n", PowerSource::UsbHost, 1, 0, 0, 4.095},
                      StatusCase{"uxc0FA064\r\n", PowerSource::AdapterIdle, 0, 0, 5.0, 0.1}),
    [](const auto& info) { return casenames::word(info.param.reply); });

TEST_F(SupplyDeviceTest, StatusOfWrongLengthIsBadReplyAndKeepsTheRecord) {
    connected();
    for (std::string reply : {"UNC0FA06\r\n", "UNC0FA0640\r\n", "NG\r\n"}) {
        sim.setReplyOverride(
            [reply](const std::string&) -> std::optional<std::string> { return reply; });
        DeviceStatus s;
        s.voltage = 12.34;
        s.source = PowerSource::AcAdapter;
        EXPECT_EQ(SupplyDevice::readStatus(s), DeviceResult::BadReply) << reply;
        EXPECT_DOUBLE_EQ(s.voltage, 12.34);
        EXPECT_EQ(s.source, PowerSource::AcAdapter);
    }
}

TEST_F(SupplyDeviceTest, SetSendsCountsTruncatedTowardZero) {
    connected();
    EXPECT_EQ(SupplyDevice::setOutput(4.1, 0.1), DeviceResult::Ok);
    EXPECT_EQ(sim.receivedText(), "S0CC064");
    sim.clearReceived();
    EXPECT_EQ(SupplyDevice::setOutput(0.0, 0.0), DeviceResult::Ok);
    EXPECT_EQ(sim.receivedText(), "S000000");
    EXPECT_EQ(SupplyDevice::setCommand(5.0, 0.5), "S0FA1F4");
    EXPECT_EQ(SupplyDevice::setCommand(-1.0, -0.5), "S000000");
}

TEST_F(SupplyDeviceTest, SetpointAndVersionAreReadBack) {
    sim.setSetpoint(12.0, 0.25);
    sim.setVersion("2.10b");
    connected();
    double v = 0, a = 0;
    ASSERT_EQ(SupplyDevice::readSetpoint(&v, &a), DeviceResult::Ok);
    EXPECT_NEAR(v, 12.0, 1e-9);
    EXPECT_NEAR(a, 0.25, 1e-9);
    ASSERT_EQ(SupplyDevice::readSetpoint(nullptr, &a), DeviceResult::Ok);
    std::string version;
    ASSERT_EQ(SupplyDevice::readVersion(version), DeviceResult::Ok);
    EXPECT_EQ(version, "2.10b");
}

TEST_F(SupplyDeviceTest, VersionWithTerminalControlsIsReadEscapedNeverRaw) {
    sim.setVersion("1.0\x1B]2;x\x07\\\x9B");
    connected();
    std::string version;
    ASSERT_EQ(SupplyDevice::readVersion(version), DeviceResult::Ok);
    EXPECT_EQ(version, "1.0\\x1B]2;x\\x07\\\\\\x9B");
}

TEST_F(SupplyDeviceTest, ShortVersionReplyIsBadReply) {
    connected();
    sim.setReplyOverride([](const std::string&) -> std::optional<std::string> { return "\r\n"; });
    std::string version = "keep";
    EXPECT_EQ(SupplyDevice::readVersion(version), DeviceResult::BadReply);
    EXPECT_EQ(version, "keep");
}

TEST_F(SupplyDeviceTest, RefusedCommandIsBadReplyAndTheLinkStays) {
    connected();
    sim.setRefused("NF");
    EXPECT_EQ(SupplyDevice::outputOn(), DeviceResult::BadReply);
    EXPECT_EQ(SupplyDevice::outputOff(), DeviceResult::BadReply);
    EXPECT_TRUE(SupplyDevice::isConnected());
    sim.setRefused("");
    EXPECT_EQ(SupplyDevice::outputOn(), DeviceResult::Ok);
    EXPECT_TRUE(sim.outputOn());
}

TEST_F(SupplyDeviceTest, EveryCommandWhileDisconnectedSendsNothing) {
    DeviceStatus s;
    std::string text;
    double v = 0;
    EXPECT_EQ(SupplyDevice::readStatus(s), DeviceResult::NotConnected);
    EXPECT_EQ(SupplyDevice::readVersion(text), DeviceResult::NotConnected);
    EXPECT_EQ(SupplyDevice::readSetpoint(&v, &v), DeviceResult::NotConnected);
    EXPECT_EQ(SupplyDevice::setOutput(1, 0.1), DeviceResult::NotConnected);
    EXPECT_EQ(SupplyDevice::outputOn(), DeviceResult::NotConnected);
    EXPECT_EQ(SupplyDevice::outputOff(), DeviceResult::NotConnected);
    platform::sleepMs(20);
    EXPECT_EQ(sim.receivedText(), "");
}

TEST_F(SupplyDeviceTest, CommandBytesAreAtLeastTenMillisecondsApart) {
    connected();
    // The pauses asked of the clock: one before the first byte and one after every byte.
    std::vector<int> pauses;
    platform::setSleepForTest([&pauses](int ms) {
        pauses.push_back(ms);
        std::this_thread::sleep_for(std::chrono::milliseconds(ms));
    });
    ASSERT_EQ(SupplyDevice::setOutput(12.5, 0.333), DeviceResult::Ok);
    platform::setSleepForTest({});
    ASSERT_GE(pauses.size(), 8u);
    EXPECT_EQ(std::vector<int>(pauses.begin(), pauses.begin() + 8), std::vector<int>(8, 10));
    // And at the device, where a busy machine may take a byte late: the whole command spans
    // at least its six gaps.
    auto bytes = sim.received();
    ASSERT_EQ(bytes.size(), 7u);
    EXPECT_GE(bytes.back().usec - bytes.front().usec, 6 * 9500);
}

TEST_F(SupplyDeviceTest, UnplugBetweenCommandsIsALinkErrorAtOnce) {
    connected();
    sim.unplug();
    DeviceStatus s;
    auto t0 = platform::monotonicMs();
    EXPECT_EQ(SupplyDevice::readStatus(s), DeviceResult::LinkError);
    EXPECT_LT(platform::monotonicMs() - t0, 200);
}

TEST_F(SupplyDeviceTest, LateReplySpoilsTheNextCommand) {
    connected();
    sim.setReplyDelayMs(700);
    DeviceStatus s;
    EXPECT_EQ(SupplyDevice::readStatus(s), DeviceResult::BadReply);
    sim.setReplyDelayMs(0);
    platform::sleepMs(300);
    // The late status line is still queued and is taken as the reply to "N".
    EXPECT_EQ(SupplyDevice::outputOn(), DeviceResult::BadReply);
}

TEST_F(SupplyDeviceTest, ReplySplitIntoSingleBytesIsTakenWhateverItsLength) {
    connected();
    sim.setSplitReplies(true, 15);
    // Only reads that wait in vain count toward a reply's five: eleven bytes one by one, in
    // eleven reads, are a status reply like any other.
    EXPECT_EQ(SupplyDevice::outputOn(), DeviceResult::Ok);
    DeviceStatus s;
    EXPECT_EQ(SupplyDevice::readStatus(s), DeviceResult::Ok);
    EXPECT_EQ(s.outputOn, 1);
}

} // namespace
