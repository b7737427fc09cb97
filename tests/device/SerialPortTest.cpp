#include "device/SerialPort.h"
#include "platform/Clock.h"
#include "support/CaseNames.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <fcntl.h>
#include <functional>
#include <pty.h>
#include <termios.h>
#include <thread>
#include <unistd.h>

namespace {

// A bare pseudo-terminal: the test writes the device's side by hand, byte for byte.
class SerialPortTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(openpty(&master_, &slave_, nullptr, nullptr, nullptr), 0);
        termios tio{};
        tcgetattr(slave_, &tio);
        cfmakeraw(&tio);
        tcsetattr(slave_, TCSANOW, &tio);
        path_ = ttyname(slave_);
        port_ = SerialPort::open(path_, 9600);
        ASSERT_TRUE(port_);
    }
    void TearDown() override {
        port_.reset();
        if (slave_ >= 0)
            ::close(slave_);
        if (master_ >= 0)
            ::close(master_);
    }
    void deviceSends(const std::string& bytes) {
        ASSERT_EQ(::write(master_, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
    }
    // Unplugging: the device side goes away.
    void unplug() {
        ::close(slave_);
        ::close(master_);
        slave_ = master_ = -1;
    }

    int master_ = -1;
    int slave_ = -1;
    std::string path_;
    std::unique_ptr<SerialPort> port_;
};

// The device answers at chosen waits of a line reception: the observer of the transport's
// waits counts them and lets the device send as each one starts, so what a reception takes
// is pinned by the number of its waits, not by the wall clock.
class LineReception : public SerialPortTest {
protected:
    void TearDown() override {
        platform::setInputWaitObserverForTest({});
        SerialPortTest::TearDown();
    }
    // `atWait` gets the number of the wait just starting (from 1) and sends what the device
    // sends meanwhile.
    void deviceDuringWaits(std::function<void(int)> atWait) {
        platform::setInputWaitObserverForTest(
            [this, atWait = std::move(atWait)](int) { atWait(++waits); });
    }
    int receive(int capacity = 255) {
        buffer.assign(static_cast<std::size_t>(capacity) + 1, 0);
        return port_->receiveLine(buffer.data(), capacity);
    }
    std::string received(int n) const { return std::string(buffer.begin(), buffer.begin() + n); }

    int waits = 0;
    std::vector<std::uint8_t> buffer;
};

struct ReplyTiming {
    const char* name;
    int arrivesAtWait; // the wait during which "OK\r\n" arrives
    int count;         // what the reception returns
};

class ReplyAtAWait : public LineReception, public testing::WithParamInterface<ReplyTiming> {};

TEST_P(ReplyAtAWait, IsTakenOnlyWithinTheFiveIdleWaits) {
    deviceDuringWaits([this](int wait) {
        if (wait == GetParam().arrivesAtWait)
            deviceSends("OK\r\n");
    });
    EXPECT_EQ(receive(), GetParam().count);
    EXPECT_EQ(waits, std::min(GetParam().arrivesAtWait, SerialPort::LineReads));
}

INSTANTIATE_TEST_SUITE_P(Waits, ReplyAtAWait,
                         testing::Values(ReplyTiming{"DuringTheFirstWait", 1, 4},
                                         ReplyTiming{"DuringTheFifthWait", 5, 4},
                                         ReplyTiming{"AfterTheFifthWait", 6, 0}),
                         casenames::ByName{});

TEST_F(LineReception, ReplyOfOneBytePerReadOverMoreThanFiveReadsIsReceived) {
    const std::string reply = "QUOREL\r\n";
    deviceDuringWaits([&](int wait) {
        if (wait <= static_cast<int>(reply.size()))
            deviceSends(reply.substr(static_cast<std::size_t>(wait - 1), 1));
    });
    ASSERT_EQ(receive(), 8);
    EXPECT_EQ(received(8), reply);
    EXPECT_EQ(waits, 8);
}

TEST_F(LineReception, IdleWaitsBetweenPiecesCountTogether) {
    // Three pieces, each after two waits in vain: the fifth idle wait ends the reception.
    deviceDuringWaits([this](int wait) {
        if (wait % 3 == 0)
            deviceSends("ab");
    });
    EXPECT_EQ(receive(), 4);
    EXPECT_EQ(waits, 7);
}

TEST_F(LineReception, StreamWithoutLineEndEndsWhenTheBufferIsFull) {
    deviceDuringWaits([this](int) { deviceSends("0123456789"); });
    EXPECT_EQ(receive(64), 63);
    EXPECT_EQ(buffer[63], 0);
    // Every wait brought bytes, so none counted toward the five.
    EXPECT_GT(waits, SerialPort::LineReads);
}

struct Timed {
    int result;
    std::int64_t ms;
};

template <class F> Timed timed(F f) {
    auto t0 = platform::monotonicMs();
    int r = f();
    return {r, platform::monotonicMs() - t0};
}

TEST_F(SerialPortTest, QuietLineReturnsNothingAfterAboutATenthOfASecond) {
    std::uint8_t buf[16];
    auto t = timed([&] { return port_->read(buf, 16); });
    EXPECT_EQ(t.result, 0);
    EXPECT_GE(t.ms, 90);
    EXPECT_LT(t.ms, 250);
}

TEST_F(SerialPortTest, QueuedBytesComeAtOnceAndNoMoreThanCapacity) {
    deviceSends("ABCDEF");
    platform::sleepMs(20);
    std::uint8_t buf[16] = {};
    auto t = timed([&] { return port_->read(buf, 4); });
    EXPECT_EQ(t.result, 4);
    EXPECT_LT(t.ms, 50);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(buf), 4), "ABCD");
    EXPECT_EQ(port_->read(buf, 16), 2);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(buf), 2), "EF");
}

TEST_F(SerialPortTest, ByteArrivingAfterATimeoutIsReturnedByTheNextRead) {
    std::uint8_t buf[4];
    EXPECT_EQ(port_->read(buf, 4), 0);
    deviceSends("Z");
    EXPECT_EQ(port_->read(buf, 4), 1);
    EXPECT_EQ(buf[0], 'Z');
}

TEST_F(SerialPortTest, ZeroCapacityStoresNothingAndDoesNotWait) {
    deviceSends("Q");
    std::uint8_t buf[1] = {0};
    auto t = timed([&] { return port_->read(buf, 0); });
    EXPECT_EQ(t.result, 0);
    EXPECT_LT(t.ms, 20);
    EXPECT_EQ(port_->read(buf, 1), 1); // the byte is still queued
}

TEST_F(SerialPortTest, ReplyInPiecesIsAssembledIntoOneLine) {
    std::thread device([this] {
        deviceSends("O");
        platform::sleepMs(30);
        deviceSends("K\r");
        platform::sleepMs(30);
        deviceSends("\n");
    });
    std::uint8_t buf[256];
    int n = port_->receiveLine(buf, 255);
    device.join();
    EXPECT_EQ(n, 4);
    EXPECT_STREQ(reinterpret_cast<char*>(buf), "OK\r\n");
}

TEST_F(SerialPortTest, SilentLineGivesNothingAfterFiveReads) {
    std::uint8_t buf[256];
    auto t = timed([&] { return port_->receiveLine(buf, 255); });
    EXPECT_EQ(t.result, 0);
    EXPECT_GE(t.ms, 450);
    EXPECT_LT(t.ms, 900);
}

TEST_F(SerialPortTest, LineWithoutEndGivesItsPartialLength) {
    deviceSends("PART");
    std::uint8_t buf[256];
    EXPECT_EQ(port_->receiveLine(buf, 255), 4);
}

TEST_F(SerialPortTest, BytesBehindTheLineInTheSameReadAreCounted) {
    deviceSends("OK\r\nXY");
    platform::sleepMs(20);
    std::uint8_t buf[256];
    EXPECT_EQ(port_->receiveLine(buf, 255), 6);
}

TEST_F(SerialPortTest, LongLineNeverExceedsTheBuffer) {
    deviceSends(std::string(300, 'a'));
    platform::sleepMs(30);
    std::uint8_t buf[17];
    std::memset(buf, 0x55, sizeof buf);
    auto t = timed([&] { return port_->receiveLine(buf, 16); });
    EXPECT_EQ(t.result, 15);
    EXPECT_EQ(buf[15], 0);
    EXPECT_EQ(buf[16], 0x55);
    EXPECT_LT(t.ms, 100); // a full buffer does not wait for more
}

TEST_F(SerialPortTest, PacedSendPausesAroundEveryByte) {
    const std::uint8_t cmd[] = {'S', '1', '2'};
    auto t = timed([&] { return port_->sendPaced(cmd, 3, 10); });
    EXPECT_EQ(t.result, 3);
    EXPECT_GE(t.ms, 40);
    char got[3];
    EXPECT_EQ(::read(master_, got, 3), 3);
    EXPECT_EQ(std::string(got, 3), "S12");
    auto empty = timed([&] { return port_->sendPaced(cmd, 0, 10); });
    EXPECT_EQ(empty.result, 0);
    EXPECT_GE(empty.ms, 10);
}

TEST_F(SerialPortTest, SecondOpenerOfTheSamePortIsRefused) {
    EXPECT_FALSE(SerialPort::open(path_, 9600));
    port_.reset();
    EXPECT_TRUE(SerialPort::open(path_, 9600));
}

TEST_F(SerialPortTest, UnpluggedDeviceMakesReadFailAtOnce) {
    unplug();
    std::uint8_t buf[8];
    auto t = timed([&] { return port_->read(buf, 8); });
    EXPECT_EQ(t.result, -1);
    EXPECT_LT(t.ms, 50);
    EXPECT_EQ(port_->receiveLine(buf, 8), -1);
}

TEST_F(SerialPortTest, LongDevicePathOpensTheDevice) {
    port_.reset();
    TempDir dir;
    for (std::size_t length : {70u, 255u}) {
        const std::string link = dir.pathOfLength(length);
        ASSERT_EQ(::symlink(path_.c_str(), link.c_str()), 0) << link;
        ASSERT_EQ(link.size(), length);
        auto port = SerialPort::open(link, 9600);
        ASSERT_TRUE(port) << link;
        deviceSends("OK\r\n");
        std::uint8_t buf[16];
        EXPECT_EQ(port->receiveLine(buf, 16), 4);
    }
}

TEST(SerialPortNames, ComNamesKeepTheirLimitAndPathsTheSystemsLimit) {
    EXPECT_EQ(SerialPort::maxNameLength("com1"), SerialPort::MaxNameLength);
    EXPECT_EQ(SerialPort::maxNameLength("ttyUSB0"), SerialPort::MaxNameLength);
    EXPECT_EQ(SerialPort::maxNameLength("/dev/ttyUSB0"), static_cast<std::size_t>(PATH_MAX - 1));
    EXPECT_FALSE(SerialPort::open("com" + std::string(25, '1'), 9600));
    EXPECT_FALSE(SerialPort::open("/dev/" + std::string(PATH_MAX, 'x'), 9600));
}

TEST(SerialPortNames, MissingPortAndOverlongNamesAreRefused) {
    EXPECT_FALSE(SerialPort::open("/dev/does-not-exist-q", 9600));
    EXPECT_FALSE(SerialPort::open("com999", 9600));
    EXPECT_FALSE(SerialPort::open("", 9600));
    EXPECT_FALSE(SerialPort::open(std::string("/dev/") + std::string(23, 'x'), 9600));
    EXPECT_FALSE(SerialPort::open("/dev/null", 9600)); // not a serial line
}

TEST(SerialPortNames, ComNamesResolveToLinksBesideTheProgramOrToUsbDevices) {
    EXPECT_EQ(SerialPort::devicePath("/dev/pts/3"), "/dev/pts/3");
    EXPECT_EQ(SerialPort::devicePath("COM1"), "/dev/ttyACM0");
    EXPECT_EQ(SerialPort::devicePath("com12"), "/dev/ttyACM11");
}

} // namespace
