#include "firmware/BootLoader.h"

#include "FirmwareTestSupport.h"
#include "device/SupplyDevice.h"
#include "platform/Clock.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace {

const std::uint8_t BlockA[8] = {0x3F, 0xFF, 0x01, 0x8A, 0xAB, 0xCD, 0x00, 0x10};
const std::uint8_t BlockB[8] = {1, 2, 3, 4, 5, 6, 7, 8};

class BootLoaderTest : public testing::Test {
protected:
    void TearDown() override {
        BootLoader::disconnect();
        SupplyDevice::disconnect();
    }
};

TEST_F(BootLoaderTest, BlockIsSentAsUpperCaseDigitsInImageOrder) {
    EXPECT_EQ(BootLoader::blockCommand(BlockA), "W3FFF018AABCD0010");
}

TEST_F(BootLoaderTest, BlocksLandOneAfterAnotherFromTheBootAreaEndAndQuitStartsMainFirmware) {
    SimOnCom3 s(sim::Mode::BootLoader);
    ASSERT_EQ(BootLoader::connect("com3"), DeviceResult::Ok);
    ASSERT_EQ(BootLoader::eraseFlash(), DeviceResult::Ok);
    ASSERT_EQ(BootLoader::writeBlock(BlockA), DeviceResult::Ok);
    ASSERT_EQ(BootLoader::writeBlock(BlockB), DeviceResult::Ok);
    auto flash = s.sim.flash();
    EXPECT_TRUE(std::equal(BlockA, BlockA + 8, flash.begin() + 0x400));
    EXPECT_TRUE(std::equal(BlockB, BlockB + 8, flash.begin() + 0x408));
    EXPECT_EQ(s.sim.blocksWritten(), 2);

    EXPECT_EQ(BootLoader::quit(), DeviceResult::Ok);
    for (int i = 0; i < 50 && s.sim.mode() != sim::Mode::MainFirmware; ++i)
        platform::sleepMs(10);
    EXPECT_EQ(s.sim.mode(), sim::Mode::MainFirmware);
    EXPECT_EQ(s.sim.receivedText().back(), 'Q');
}

TEST_F(BootLoaderTest, CommandBytesArePacedByFiveMilliseconds) {
    SimOnCom3 s(sim::Mode::BootLoader);
    ASSERT_EQ(BootLoader::connect("com3"), DeviceResult::Ok);
    ASSERT_EQ(BootLoader::eraseFlash(), DeviceResult::Ok);
    s.sim.clearReceived();
    ASSERT_EQ(BootLoader::writeBlock(BlockA), DeviceResult::Ok);
    auto bytes = s.sim.received();
    ASSERT_EQ(bytes.size(), 17u);
    double meanGapMs = (bytes.back().usec - bytes.front().usec) / 16.0 / 1000.0;
    EXPECT_GE(meanGapMs, 4.5);
    // Only a gross fault shows above; the update benchmark measures the pacing's overshoot.
    EXPECT_LT(meanGapMs, 20.0);
}

} // namespace
