// The update procedure apart from its dialog: the order of its steps as the callbacks see
// them, and the link's state when the outcome is reported.
#include "firmware/UpdateProcedure.h"

#include "FirmwareTestSupport.h"
#include "firmware/BootLoader.h"
#include "resources/Texts.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using UpdateProcedure::Outcome;

class UpdateProcedureTest : public testing::Test {
protected:
    UpdateProcedureTest() : device(sim::Mode::BootLoader) {}
    void TearDown() override { BootLoader::disconnect(); }

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

TEST_F(UpdateProcedureTest, FailedBlockEndsTheTransferThenReportsWhileLinkedThenCloses) {
    int blocks = 0;
    device.sim.setReplyFilter([&blocks](const std::string& command,
                                        const std::string& reply) -> std::optional<std::string> {
        if (command[0] == 'W' && ++blocks == 3)
            return std::string("NG\r\n");
        return reply;
    });
    const auto result = run(":00000001FF\r\n");
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
    const auto result = run(":00000001FF\r\n");
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

} // namespace
