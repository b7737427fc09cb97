// The update procedure apart from its dialog: the order of its steps as the callbacks see
// them, and the link's state when the outcome is reported.
#include "firmware/UpdateProcedure.h"

#include "FirmwareTestSupport.h"
#include "firmware/BootLoader.h"
#include "platform/Clock.h"
#include "resources/Texts.h"
#include "support/CaseNames.h"
#include "support/Eventually.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using UpdateProcedure::Outcome;

class UpdateProcedureTest : public testing::Test {
protected:
    UpdateProcedureTest() : device(sim::Mode::BootLoader) {}
    void TearDown() override {
        BootLoader::disconnect();
        platform::setSleepForTest({});
    }

    UpdateProcedure::Result run(const std::string& hex) {
        const std::string path = device.dir.file("fw.hex");
        TempDir::write(path, hex);
        UpdateProcedure::Callbacks c;
        c.transferStarting = [this](int low, int high) {
            events.push_back("start " + std::to_string(low) + ".." + std::to_string(high));
        };
        c.blockStarting = [this](int a) { events.push_back("block " + std::to_string(a)); };
        c.blockDone = [this](int a, bool ok) {
            events.push_back("done " + std::to_string(a) + (ok ? " ok" : " failed"));
        };
        c.transferEnded = [this] { events.push_back("end"); };
        c.finished = [this](Outcome o) {
            events.push_back(std::string("finished ") + UpdateProcedure::message(o) +
                             (BootLoader::isConnected() ? " linked" : " unlinked"));
        };
        return UpdateProcedure::run("com3", path, c);
    }

    SimOnCom3 device;
    std::vector<std::string> events;
};

// One program word at the start of the range the boot-loader writes.
constexpr const char* OneWordHex = ":020400008A016F\r\n:00000001FF\r\n";

TEST_F(UpdateProcedureTest, FailedBlockEndsTheTransferThenReportsWhileLinkedThenCloses) {
    int blocks = 0;
    device.sim.setReplyFilter([&blocks](const std::string& command,
                                        const std::string& reply) -> std::optional<std::string> {
        if (command[0] == 'W' && ++blocks == 3)
            return std::string("NG\r\n");
        return reply;
    });
    const auto result = run(OneWordHex);
    EXPECT_EQ(result.outcome, Outcome::TransferFailed);
    EXPECT_EQ(result.device, DeviceResult::BadReply);
    const std::vector<std::string> expected = {"start 512..2048",
                                               "block 512",
                                               "done 512 ok",
                                               "block 516",
                                               "done 516 ok",
                                               "block 520",
                                               "done 520 failed",
                                               "end",
                                               std::string("finished ") +
                                                   texts::FirmwareTransferFailed + " linked"};
    EXPECT_EQ(events, expected);
    EXPECT_FALSE(BootLoader::isConnected());
    // No quit: the device stays in its boot-loader for another run.
    EXPECT_EQ(device.sim.receivedText().find('Q'), std::string::npos);
}

TEST_F(UpdateProcedureTest, RefusedEraseReportsBeforeAnyTransfer) {
    device.sim.setRefused("E");
    const auto result = run(OneWordHex);
    EXPECT_EQ(result.outcome, Outcome::EraseFailed);
    EXPECT_EQ(result.device, DeviceResult::BadReply);
    EXPECT_EQ(events, std::vector<std::string>{std::string("finished ") +
                                               texts::FirmwareEraseFailed + " linked"});
}

TEST_F(UpdateProcedureTest, MalformedFileIsReportedWithoutContactingTheDevice) {
    const auto result = run(":0100000041\r\n:zz\r\n");
    EXPECT_EQ(result.outcome, Outcome::ReadError);
    EXPECT_EQ(result.device, DeviceResult::Ok);
    EXPECT_EQ(events, std::vector<std::string>{std::string("finished ") +
                                               texts::FirmwareFileReadFailed + " unlinked"});
    EXPECT_EQ(device.sim.receivedText(), "");
}

// Files that would erase the device and then write nothing useful, or something damaged.
struct UnusableFile {
    const char* name;
    const char* content;
    Outcome outcome;
};

class FileNeverReachesTheDevice : public UpdateProcedureTest,
                                  public testing::WithParamInterface<UnusableFile> {};

TEST_P(FileNeverReachesTheDevice, IsReportedBeforeTheBootLoaderIsContacted) {
    const auto result = run(GetParam().content);
    EXPECT_EQ(result.outcome, GetParam().outcome);
    EXPECT_EQ(result.device, DeviceResult::Ok);
    EXPECT_EQ(events,
              std::vector<std::string>{std::string("finished ") +
                                       UpdateProcedure::message(GetParam().outcome) + " unlinked"});
    EXPECT_EQ(device.sim.receivedText(), "");
    EXPECT_FALSE(device.sim.erased());
}

INSTANTIATE_TEST_SUITE_P(
    Files, FileNeverReachesTheDevice,
    testing::Values(
        UnusableFile{"EmptyFile", "", Outcome::ReadError},
        UnusableFile{"WrongChecksum", ":020400008A0170\r\n:00000001FF\r\n", Outcome::ReadError},
        UnusableFile{"CutShortBeforeTheEndRecord", ":020400008A016F\r\n", Outcome::ReadError},
        UnusableFile{"OnlyTheEndRecord", ":00000001FF\r\n", Outcome::NothingToWrite},
        UnusableFile{"ProgramOnlyBelowTheSentRange", ":0203FE008A0172\r\n:00000001FF\r\n",
                     Outcome::NothingToWrite},
        UnusableFile{"OnlyBlankWords", ":04040000FF3FFF3F7C\r\n:00000001FF\r\n",
                     Outcome::NothingToWrite}),
    casenames::ByName{});

TEST_F(UpdateProcedureTest, OneProgramWordGoesOutWithBlankWordsAroundIt) {
    platform::setSleepForTest([](int) {}); // the pacing is the benchmark's to measure
    const auto result = run(OneWordHex);
    EXPECT_EQ(result.outcome, Outcome::Completed);
    EXPECT_TRUE(eventually([this] { return device.sim.mode() == sim::Mode::MainFirmware; }));
    const auto commands = bootLoaderCommands(device.sim.receivedText());
    ASSERT_EQ(commands.size(), 2u + 384u + 2u); // X I, E, the blocks, Q
    EXPECT_EQ(commands[2], "E");
    EXPECT_EQ(commands[3], "W018A3FFF3FFF3FFF");
    EXPECT_EQ(commands[4], "W3FFF3FFF3FFF3FFF");
    EXPECT_EQ(commands.back(), "Q");
}

} // namespace
