// The Win32 serial transport against the simulated supply. The script that runs the Windows
// tests (scripts/run-windows-tests.sh) starts the simulator natively, maps a COM port of
// the Wine prefix to its pseudo-terminal and names both here:
//   QUOREL_TEST_COM_PORT     the port, e.g. com5
//   QUOREL_TEST_SIM_CONTROL  a pipe into the simulator's command input (quorel-sim's words)
// Without them the tests that need the device are skipped.
#include "device/SerialPort.h"
#include "platform/Clock.h"
#include "support/CaseNames.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>
#include <windows.h>

namespace {

std::string environment(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

bool underWine() {
    HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    return ntdll && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

std::int64_t elapsedMs(std::int64_t since) {
    return platform::monotonicMs() - since;
}

class MappedComPort : public ::testing::Test {
protected:
    void SetUp() override {
        portName_ = environment("QUOREL_TEST_COM_PORT");
        control_ = environment("QUOREL_TEST_SIM_CONTROL");
        if (portName_.empty() || control_.empty())
            GTEST_SKIP() << "no simulated supply mapped to a COM port";
        // Whatever an earlier test left: a device plugged in that answers at once.
        simulator("replug main\nsilent off\nsplit off\ndelay 0\n");
        port_ = SerialPort::open(portName_, 9600);
        ASSERT_TRUE(port_) << portName_;
    }

    // Hands commands to the simulator and gives it time to take them.
    void simulator(const std::string& commands) {
        HANDLE h = CreateFileA(control_.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                               nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        ASSERT_NE(h, INVALID_HANDLE_VALUE) << control_;
        DWORD written = 0;
        WriteFile(h, commands.data(), static_cast<DWORD>(commands.size()), &written, nullptr);
        CloseHandle(h);
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
    }

    void command(const char* letters) {
        const int n = static_cast<int>(std::strlen(letters));
        ASSERT_EQ(port_->sendPaced(reinterpret_cast<const std::uint8_t*>(letters), n, 10), n);
    }

    std::string portName_;
    std::string control_;
    std::unique_ptr<SerialPort> port_;
};

TEST_F(MappedComPort, QuietLineReturnsNothingAfterAboutATenthOfASecond) {
    simulator("silent on\n");
    command("M");
    std::uint8_t buffer[16];
    const auto start = platform::monotonicMs();
    EXPECT_EQ(port_->read(buffer, sizeof buffer), 0);
    EXPECT_GE(elapsedMs(start), 80);
    EXPECT_LE(elapsedMs(start), 600);
}

TEST_F(MappedComPort, QueuedBytesComeAtOnceAndNoMoreThanCapacity) {
    command("M");
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    std::uint8_t buffer[64] = {};
    const auto start = platform::monotonicMs();
    ASSERT_EQ(port_->read(buffer, 4), 4);
    EXPECT_LT(elapsedMs(start), 60) << "queued bytes are taken without waiting";
    ASSERT_EQ(port_->read(buffer + 4, 60), 7) << "the rest stayed queued";
    EXPECT_EQ(std::string(reinterpret_cast<char*>(buffer) + 9, 2), "\r\n");
}

TEST_F(MappedComPort, ReplyArrivingAfterATimeoutIsReturnedByTheNextReads) {
    simulator("delay 250\n");
    command("V");
    std::uint8_t buffer[64] = {};
    EXPECT_EQ(port_->read(buffer, sizeof buffer), 0) << "the first wait ends before the reply";
    int received = 0;
    const auto start = platform::monotonicMs();
    while (received < 2 || buffer[received - 1] != '\n') {
        ASSERT_LT(elapsedMs(start), 2000);
        const int n = port_->read(buffer + received, static_cast<int>(sizeof buffer) - received);
        ASSERT_GE(n, 0);
        received += n;
    }
    EXPECT_EQ(std::string(reinterpret_cast<char*>(buffer), received), "1.02\r\n");
}

TEST_F(MappedComPort, UnpluggedDeviceMakesReadFail) {
    simulator("unplug\n");
    std::uint8_t buffer[16];
    int result = 0;
    const auto start = platform::monotonicMs();
    while (result == 0 && elapsedMs(start) < 3000)
        result = port_->read(buffer, sizeof buffer);
    EXPECT_EQ(result, -1) << "a vanished device is an error, not a quiet line";
}

TEST_F(MappedComPort, SecondOpenerOfTheSamePortIsRefused) {
    if (underWine())
        GTEST_SKIP() << "Wine opens a COM port a second time; Windows refuses it";
    EXPECT_FALSE(SerialPort::open(portName_, 9600));
}

// A line reception against the device's ways of answering: whole, in pieces, late, never.
struct Reception {
    std::string name;
    std::string simulatorSetup;
    int expectedBytes;
    int minMs;
    int maxMs;
};

class LineReception : public MappedComPort, public ::testing::WithParamInterface<Reception> {};

TEST_P(LineReception, EndsAtTheLineEndOrAfterFiveIdleWaits) {
    const Reception& c = GetParam();
    if (!c.simulatorSetup.empty())
        simulator(c.simulatorSetup);
    int idleWaits = 0;
    platform::setInputWaitObserverForTest([&](int) { ++idleWaits; });
    command("M");
    std::vector<std::uint8_t> buffer(256, 0);
    const auto start = platform::monotonicMs();
    const int n = port_->receiveLine(buffer.data(), 255);
    const auto took = elapsedMs(start);
    platform::setInputWaitObserverForTest({});
    ASSERT_EQ(n, c.expectedBytes);
    if (n > 0)
        EXPECT_EQ(std::string(reinterpret_cast<char*>(buffer.data()) + n - 2, 2), "\r\n");
    EXPECT_GE(took, c.minMs);
    EXPECT_LE(took, c.maxMs);
    EXPECT_GE(idleWaits, n > 0 ? 0 : SerialPort::LineReads);
}

INSTANTIATE_TEST_SUITE_P(
    DeviceAnswers, LineReception,
    ::testing::Values(Reception{"Whole", "", 11, 0, 600},
                      Reception{"OneByteAtATime", "split on 15\n", 11, 100, 1500},
                      Reception{"AfterThreeIdleWaits", "delay 250\n", 11, 200, 1000},
                      Reception{"Never", "silent on\n", 0, 400, 1500}),
    casenames::ByName{});

// Port names: "comN" is the numbered port, any other name a device path.
struct PortName {
    std::string name;
    std::string given;
    std::string path;
};

class PortNames : public ::testing::TestWithParam<PortName> {};

TEST_P(PortNames, ResolveToWin32DevicePaths) {
    EXPECT_EQ(SerialPort::devicePath(GetParam().given), GetParam().path);
}

INSTANTIATE_TEST_SUITE_P(Names, PortNames,
                         ::testing::Values(PortName{"LowerCaseCom", "com5", "\\\\.\\COM5"},
                                           PortName{"UpperCaseCom", "COM12", "\\\\.\\COM12"},
                                           PortName{"LeadingZero", "com07", "\\\\.\\COM7"},
                                           PortName{"DevicePath", "\\\\.\\CNCA0", "\\\\.\\CNCA0"},
                                           PortName{"BareDeviceName", "CNCA0", "\\\\.\\CNCA0"},
                                           PortName{"ComZeroIsNoNumberedPort", "com0",
                                                    "\\\\.\\com0"}),
                         casenames::ByName{});

TEST(PortNameLimits, ComNamesKeepTheirLimitAndPathsTheSystemsLimit) {
    EXPECT_EQ(SerialPort::maxNameLength("com5"), SerialPort::MaxNameLength);
    EXPECT_GT(SerialPort::maxNameLength("\\\\.\\COM5"), 255u);
    EXPECT_FALSE(SerialPort::open(std::string(SerialPort::MaxNameLength + 1, 'c'), 9600));
    EXPECT_FALSE(SerialPort::open("com250", 9600)) << "a port that does not exist";
}

} // namespace
