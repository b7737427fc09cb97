#include "device/SupplyDevice.h"
#include "firmware/BootLoader.h"
#include "firmware/ui/FirmwareUpdateDialog.h"
#include "firmware/ui/TransferProgressDialog.h"
#include "platform/Clock.h"
#include "platform/qt/ControlIds.h"
#include "platform/Paths.h"
#include "resources/Texts.h"
#include "simulator/SimulatedSupply.h"
#include "support/CaseNames.h"
#include "support/QtTestApp.h"
#include "support/ScriptedPrompter.h"
#include "support/TempDir.h"

#include <QAbstractButton>
#include <QPointer>

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <memory>
#include <ostream>

// The boot-loader unplugged at each stage of an update run from the update dialog: the
// operator gets the message of that stage, the device is never told to quit, the progress
// window is gone and the dialog stays open for another run.
namespace {

struct Unplug {
    const char* name;
    std::function<void(sim::SimulatedSupply&)> before; // set up before the run
    // The block (from 0) at whose start the test acts during the transfer; -1: none.
    int atBlock;
    std::function<void(sim::SimulatedSupply&)> atBlockStart;
    const char* message;
    int blocksReceived; // "W" commands that reach the device
    bool transferShown;
};
void PrintTo(const Unplug& u, std::ostream* os) {
    *os << u.name;
}

class UpdateUnplugged : public testing::Test, public testing::WithParamInterface<Unplug> {
protected:
    void SetUp() override {
        qtTestApp();
        platform::setExecutableDirectoryForTest(dir.path());
        std::filesystem::create_directory(dir.file("ports"));
        ASSERT_TRUE(sim.start(sim::Mode::BootLoader));
        ASSERT_TRUE(sim.linkAs(dir.file("ports/com3")));
        // One program word; every other block goes out as blank words.
        TempDir::write(dir.file("fw.hex"), ":020400008A016F\r\n:00000001FF\r\n");
        dialog = std::make_unique<FirmwareUpdateDialog>();
        dialog->setPortName("com3");
        dialog->show();
        prompter.files.push_back(dir.file("fw.hex"));
        click(FirmwareUpdateDialog::IdBrowse);
    }
    void TearDown() override {
        dialog.reset();
        BootLoader::disconnect();
        SupplyDevice::disconnect();
        platform::setExecutableDirectoryForTest("");
    }
    void click(int id) { platform::controlById<QAbstractButton>(dialog.get(), id)->click(); }

    TempDir dir;
    sim::SimulatedSupply sim;
    ScriptedPrompter prompter;
    std::unique_ptr<FirmwareUpdateDialog> dialog;
};

int count(const std::string& received, char letter) {
    // The 16 hexadecimal digits of a block command may hold an 'E'; they are skipped.
    int n = 0;
    for (std::size_t i = 0; i < received.size(); ++i) {
        if (received[i] == 'W') {
            n += letter == 'W';
            i += 16;
        } else {
            n += received[i] == letter;
        }
    }
    return n;
}

TEST_P(UpdateUnplugged, ReportsItsStageAndLeavesTheDialogOpenWithoutQuitting) {
    const Unplug& u = GetParam();
    if (u.before)
        u.before(sim);
    QPointer<TransferProgressDialog> progress;
    bool shown = false;
    QObject::connect(dialog.get(), &FirmwareUpdateDialog::progressWindowCreated,
                     [&](TransferProgressDialog* w) {
                         progress = w;
                         QObject::connect(w, &TransferProgressDialog::addressShown, [&](int word) {
                             shown = true;
                             if (word == 0x200 + 4 * u.atBlock)
                                 u.atBlockStart(sim);
                         });
                     });

    const std::int64_t t0 = platform::monotonicMs();
    click(FirmwareUpdateDialog::IdUpdate);
    const std::int64_t ms = platform::monotonicMs() - t0;

    ASSERT_EQ(prompter.boxes.size(), 1u);
    EXPECT_EQ(prompter.boxes[0].text, u.message);
    EXPECT_EQ(prompter.boxes[0].caption, "ERROR");
    EXPECT_EQ(prompter.boxes[0].icon, platform::PromptIcon::Stop);
    const std::string received = sim.receivedText();
    EXPECT_EQ(count(received, 'W'), u.blocksReceived) << received;
    EXPECT_EQ(count(received, 'Q'), 0);
    EXPECT_EQ(shown, u.transferShown);
    EXPECT_TRUE(progress.isNull());
    EXPECT_FALSE(BootLoader::isConnected());
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_NE(dialog->result(), QDialog::Accepted);
    // The blocks before the fault cost about 0.1 s each; the fault itself a read at most.
    EXPECT_LT(ms, 1500 + 150 * std::max(0, u.blocksReceived));
}

constexpr int FifthBlock = 5;

INSTANTIATE_TEST_SUITE_P(
    Stages, UpdateUnplugged,
    testing::Values(Unplug{"AtConnect",
                           [](sim::SimulatedSupply& s) { s.setUnplugOn('X'); },
                           -1,
                           {},
                           texts::FirmwareConnectFailed,
                           0,
                           false},
                    Unplug{"AtErase",
                           [](sim::SimulatedSupply& s) { s.setUnplugOn('E'); },
                           -1,
                           {},
                           texts::FirmwareEraseFailed,
                           0,
                           false},
                    Unplug{"MidEraseReply",
                           [](sim::SimulatedSupply& s) { s.setUnplugOn('E', true); },
                           -1,
                           {},
                           texts::FirmwareEraseFailed,
                           0,
                           false},
                    Unplug{"AtFirstBlock",
                           [](sim::SimulatedSupply& s) { s.setUnplugOn('W'); },
                           -1,
                           {},
                           texts::FirmwareTransferFailed,
                           1,
                           true},
                    Unplug{"MidFirstBlockReply",
                           [](sim::SimulatedSupply& s) { s.setUnplugOn('W', true); },
                           -1,
                           {},
                           texts::FirmwareTransferFailed,
                           1,
                           true},
                    // Pulled between two blocks: the next block cannot even be sent.
                    Unplug{"BetweenBlocks",
                           {},
                           FifthBlock,
                           [](sim::SimulatedSupply& s) { s.unplug(); },
                           texts::FirmwareTransferFailed,
                           FifthBlock,
                           true},
                    Unplug{"MidSixthBlockReply",
                           {},
                           FifthBlock,
                           [](sim::SimulatedSupply& s) { s.setUnplugOn('W', true); },
                           texts::FirmwareTransferFailed,
                           FifthBlock + 1,
                           true}),
    casenames::ByName{});

} // namespace
