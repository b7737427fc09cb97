#include "firmware/ui/FirmwareUpdateDialog.h"

#include "FirmwareTestSupport.h"
#include "device/SupplyDevice.h"
#include "firmware/BootLoader.h"
#include "firmware/ui/TransferProgressDialog.h"
#include "platform/Clock.h"
#include "platform/qt/ControlIds.h"
#include "resources/Texts.h"
#include "support/CaseNames.h"
#include "support/Eventually.h"
#include "support/Fifo.h"
#include "support/QtTestApp.h"
#include "support/ScriptedPrompter.h"

#include <QAbstractButton>
#include <QLineEdit>
#include <QPointer>
#include <QProgressBar>
#include <QTimer>

#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <memory>

namespace {

using platform::PromptAnswer;
using platform::PromptButtons;
using platform::PromptIcon;

// A HEX file of 16-byte records over the whole image except a gap at 0x800..0x8FF, plus a
// configuration word above it; `expected` is the image the device must end up with.
std::string firmwareHex(std::vector<std::uint8_t>& expected) {
    expected.assign(4096, 0);
    for (int a = 0; a < 4096; a += 2) {
        expected[a] = 0x3F;
        expected[a + 1] = 0xFF;
    }
    std::string hex;
    unsigned x = 4711;
    char buf[16];
    for (int address = 0; address < 4096; address += 16) {
        if (address >= 0x800 && address < 0x900)
            continue;
        std::snprintf(buf, sizeof buf, ":10%04X00", address);
        hex += buf;
        unsigned sum = 0x10 + (address >> 8) + (address & 0xFF);
        for (int i = 0; i < 16; ++i) {
            x = x * 1103515245u + 12345u;
            auto b = static_cast<std::uint8_t>(x >> 16);
            expected[(address + i) ^ 1] = b;
            sum += b;
            std::snprintf(buf, sizeof buf, "%02X", b);
            hex += buf;
        }
        std::snprintf(buf, sizeof buf, "%02X\r\n", (0x100 - (sum & 0xFF)) & 0xFF);
        hex += buf;
    }
    return hex + ":02400E00E43F8D\r\n:00000001FF\r\n";
}

class FirmwareUpdate : public testing::Test {
protected:
    void SetUp() override {
        qtTestApp();
        dialog = std::make_unique<FirmwareUpdateDialog>();
        dialog->setPortName("com3");
        dialog->show();
        QObject::connect(dialog.get(), &FirmwareUpdateDialog::progressWindowCreated,
                         [this](TransferProgressDialog* w) { progress = w; });
    }
    void TearDown() override {
        dialog.reset();
        BootLoader::disconnect();
        SupplyDevice::disconnect();
        platform::setSleepForTest({});
    }

    void click(int id) { platform::controlById<QAbstractButton>(dialog.get(), id)->click(); }
    QString text(int id) { return platform::controlById<QLineEdit>(dialog.get(), id)->text(); }
    void chooseFile(const std::string& path) {
        prompter.files.push_back(path);
        click(FirmwareUpdateDialog::IdBrowse);
    }
    void expectOnlyBox(const char* text, const char* caption, PromptIcon icon) {
        ASSERT_EQ(prompter.boxes.size(), 1u);
        EXPECT_EQ(prompter.boxes[0].text, text);
        EXPECT_EQ(prompter.boxes[0].caption, caption);
        EXPECT_EQ(prompter.boxes[0].icon, icon);
        EXPECT_EQ(prompter.boxes[0].buttons, PromptButtons::Ok);
    }
    void expectDialogStillOpen() {
        EXPECT_TRUE(dialog->isVisible());
        EXPECT_NE(dialog->result(), QDialog::Accepted);
    }

    ScriptedPrompter prompter;
    std::unique_ptr<FirmwareUpdateDialog> dialog;
    QPointer<TransferProgressDialog> progress;
};

TEST_F(FirmwareUpdate, OpeningShowsTheMainWindowPortReadOnlyAndNoFile) {
    auto* port = platform::controlById<QLineEdit>(dialog.get(), FirmwareUpdateDialog::IdPort);
    EXPECT_EQ(port->text(), "com3");
    EXPECT_TRUE(port->isReadOnly());
    EXPECT_EQ(text(FirmwareUpdateDialog::IdFile), "");
}

TEST_F(FirmwareUpdate, BrowseOffersHexFilesAndCancelKeepsTheChosenPath) {
    chooseFile("/data/fw/new.hex");
    click(FirmwareUpdateDialog::IdBrowse); // cancelled
    ASSERT_EQ(prompter.choosers.size(), 2u);
    EXPECT_EQ(prompter.choosers[0].filters, "hex file(*.hex)|*.hex|全て(*.*)|*.*||");
    EXPECT_FALSE(prompter.choosers[0].save);
    EXPECT_EQ(text(FirmwareUpdateDialog::IdFile), "/data/fw/new.hex");
    EXPECT_EQ(dialog->filePath(), "/data/fw/new.hex");
}

TEST_F(FirmwareUpdate, CancelClosesWithoutTouchingTheDevice) {
    SimOnCom3 s(sim::Mode::BootLoader);
    click(FirmwareUpdateDialog::IdCancel);
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(dialog->result(), QDialog::Rejected);
    EXPECT_EQ(s.sim.receivedText(), "");
}

struct FileCase {
    const char* name;
    const char* content; // nullptr: no file
    bool choose;         // chosen with 参照, else nothing chosen
    const char* message;
};
void PrintTo(const FileCase& c, std::ostream* os) {
    *os << c.name;
}

class UnusableFile : public FirmwareUpdate, public testing::WithParamInterface<FileCase> {};

TEST_P(UnusableFile, IsReportedAndTheDeviceIsNeverContacted) {
    SimOnCom3 s(sim::Mode::BootLoader);
    const std::string path = s.dir.file("fw.hex");
    if (GetParam().content)
        TempDir::write(path, GetParam().content);
    if (GetParam().choose)
        chooseFile(path);
    click(FirmwareUpdateDialog::IdUpdate);
    expectOnlyBox(GetParam().message, texts::CaptionError, PromptIcon::Stop);
    platform::sleepMs(50);
    EXPECT_EQ(s.sim.receivedText(), "");
    EXPECT_FALSE(s.sim.erased());
    EXPECT_TRUE(progress.isNull());
    expectDialogStillOpen();
}

INSTANTIATE_TEST_SUITE_P(
    Files, UnusableFile,
    testing::Values(FileCase{"NoneChosen", nullptr, false, texts::FirmwareFileOpenFailed},
                    FileCase{"Missing", nullptr, true, texts::FirmwareFileOpenFailed},
                    // The bad line is the last one: the file is read whole before contact.
                    FileCase{"MalformedLastLine", ":020400008A016F\n:00000001F\n", true,
                             texts::FirmwareFileReadFailed},
                    FileCase{"WrongChecksum", ":020400008A0170\n:00000001FF\n", true,
                             texts::FirmwareFileReadFailed},
                    FileCase{"CutShortBeforeTheEndRecord", ":020400008A016F\n", true,
                             texts::FirmwareFileReadFailed},
                    FileCase{"EmptyFile", "", true, texts::FirmwareFileReadFailed},
                    FileCase{"OnlyTheEndRecord", ":00000001FF\n", true,
                             texts::FirmwareFileNoProgram}),
    casenames::ByName{});

TEST_F(FirmwareUpdate, FifoChosenAsTheFileIsRefusedAtOnce) {
    SimOnCom3 s(sim::Mode::BootLoader);
    Fifo fifo(s.dir.file("fw.hex"));
    chooseFile(fifo.path());
    click(FirmwareUpdateDialog::IdUpdate);
    EXPECT_FALSE(fifo.released());
    expectOnlyBox(texts::FirmwareFileOpenFailed, texts::CaptionError, PromptIcon::Stop);
    EXPECT_EQ(s.sim.receivedText(), "");
    expectDialogStillOpen();
}

TEST_F(FirmwareUpdate, TypedPathIsTheFileThatIsUsed) {
    SimOnCom3 s(sim::Mode::BootLoader);
    TempDir::write(s.dir.file("bad.hex"), ":0204\n");
    chooseFile(s.dir.file("missing.hex"));
    auto* edit = platform::controlById<QLineEdit>(dialog.get(), FirmwareUpdateDialog::IdFile);
    edit->selectAll();
    typeInto(edit, s.dir.file("bad.hex"));
    click(FirmwareUpdateDialog::IdUpdate);
    expectOnlyBox(texts::FirmwareFileReadFailed, texts::CaptionError, PromptIcon::Stop);
}

class ValidFile : public FirmwareUpdate {
protected:
    void choose(SimOnCom3& s) {
        std::vector<std::uint8_t> unused;
        TempDir::write(s.dir.file("fw.hex"), firmwareHex(unused));
        chooseFile(s.dir.file("fw.hex"));
    }
};

TEST_F(ValidFile, MainFirmwareOnThePortGivesTheConnectMessage) {
    SimOnCom3 s(sim::Mode::MainFirmware);
    choose(s);
    click(FirmwareUpdateDialog::IdUpdate);
    expectOnlyBox(texts::FirmwareConnectFailed, texts::CaptionError, PromptIcon::Stop);
    EXPECT_EQ(countLetter(bootLoaderCommands(s.sim.receivedText()), 'E'), 0);
    EXPECT_FALSE(BootLoader::isConnected());
    expectDialogStillOpen();
}

TEST_F(ValidFile, PortHeldByTheMainLinkGivesTheConnectMessageAndSendsNothing) {
    SimOnCom3 s(sim::Mode::MainFirmware);
    ASSERT_EQ(SupplyDevice::connect("com3"), DeviceResult::Ok);
    s.sim.clearReceived();
    choose(s);
    click(FirmwareUpdateDialog::IdUpdate);
    expectOnlyBox(texts::FirmwareConnectFailed, texts::CaptionError, PromptIcon::Stop);
    EXPECT_EQ(s.sim.receivedText(), "");
    EXPECT_TRUE(SupplyDevice::isConnected());
}

class EraseFailure : public ValidFile, public testing::WithParamInterface<bool> {};

TEST_P(EraseFailure, GivesTheEraseMessageAndLeavesTheDeviceInItsBootLoader) {
    SimOnCom3 s(sim::Mode::BootLoader);
    if (GetParam())
        s.sim.setRefused("E");
    else
        s.sim.setEraseDelayMs(900);
    choose(s);
    bool progressShown = false;
    prompter.onBox = [&](const ScriptedPrompter::Box&) {
        progressShown = progress && progress->isVisible();
    };
    click(FirmwareUpdateDialog::IdUpdate);
    expectOnlyBox(texts::FirmwareEraseFailed, texts::CaptionError, PromptIcon::Stop);
    EXPECT_FALSE(progressShown);
    auto commands = bootLoaderCommands(s.sim.receivedText());
    EXPECT_EQ(countLetter(commands, 'W'), 0);
    EXPECT_EQ(countLetter(commands, 'Q'), 0);
    EXPECT_EQ(s.sim.mode(), sim::Mode::BootLoader);
    EXPECT_FALSE(BootLoader::isConnected());
    expectDialogStillOpen();
}

INSTANTIATE_TEST_SUITE_P(Erase, EraseFailure, testing::Values(true, false),
                         [](const auto& info) { return info.param ? "Refused" : "TooLate"; });

struct BadBlock {
    const char* name;
    std::optional<std::string> reply; // nothing: silence
};
void PrintTo(const BadBlock& c, std::ostream* os) {
    *os << c.name;
}

class BadBlockReply : public ValidFile, public testing::WithParamInterface<BadBlock> {};

TEST_P(BadBlockReply, StopsAfterThatBlockAndTheDialogStaysForAnotherRun) {
    SimOnCom3 s(sim::Mode::BootLoader);
    std::atomic<int> blocks{0};
    std::atomic<int> failAt{3};
    auto bad = GetParam().reply;
    s.sim.setReplyOverride([&](const std::string& c) -> std::optional<std::string> {
        switch (c[0]) {
        case 'X':
            return "NG\r\n";
        case 'I':
            return "UPDATER\r\n";
        case 'W':
            if (++blocks == failAt)
                return bad;
            return "OK\r\n";
        default:
            return "OK\r\n";
        }
    });
    choose(s);
    click(FirmwareUpdateDialog::IdUpdate);
    expectOnlyBox(texts::FirmwareTransferFailed, texts::CaptionError, PromptIcon::Stop);
    platform::sleepMs(50);
    auto commands = bootLoaderCommands(s.sim.receivedText());
    EXPECT_EQ(countLetter(commands, 'W'), 3);
    EXPECT_EQ(countLetter(commands, 'Q'), 0);
    EXPECT_TRUE(progress.isNull());
    expectDialogStillOpen();

    // Another run starts afresh: a new connection and a new erase before any block.
    s.sim.clearReceived();
    blocks = 0;
    failAt = 1;
    click(FirmwareUpdateDialog::IdUpdate);
    ASSERT_EQ(prompter.boxes.size(), 2u);
    EXPECT_EQ(prompter.boxes[1].text, texts::FirmwareTransferFailed);
    commands = bootLoaderCommands(s.sim.receivedText());
    ASSERT_GE(commands.size(), 3u);
    EXPECT_EQ(commands[commands.size() - 3], "I");
    EXPECT_EQ(commands[commands.size() - 2], "E");
    EXPECT_EQ(commands.back().substr(0, 1), "W");
}

INSTANTIATE_TEST_SUITE_P(Replies, BadBlockReply,
                         testing::Values(BadBlock{"Refused", "NG\r\n"},
                                         BadBlock{"LowerCase", "ok\r\n"},
                                         BadBlock{"Silent", std::nullopt}),
                         casenames::ByName{});

// The one complete transfer through the dialog. Paced for real, 384 blocks at 18 bytes of
// 5 ms take over half a minute; the pauses cost nothing here (the benchmark measures them),
// while every byte still goes over the pseudo-terminal.
TEST_F(FirmwareUpdate, FullUpdateWritesTheImageAboveTheBootAreaThenQuits) {
    platform::setSleepForTest([](int) {});
    SimOnCom3 s(sim::Mode::BootLoader);
    std::vector<std::uint8_t> expected;
    TempDir::write(s.dir.file("fw.hex"), firmwareHex(expected));
    chooseFile(s.dir.file("fw.hex"));

    struct Shown {
        QString address;
        int bar;
        bool visible;
        int ticks;
    };
    std::vector<Shown> shown;
    int ticks = 0;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] { ++ticks; });
    poll.start(10);
    QObject::connect(
        dialog.get(), &FirmwareUpdateDialog::progressWindowCreated, [&](TransferProgressDialog* w) {
            QObject::connect(w, &TransferProgressDialog::addressShown, [&, w](int) {
                shown.push_back(
                    {platform::controlById<QLineEdit>(w, TransferProgressDialog::IdAddress)->text(),
                     platform::controlById<QProgressBar>(w, TransferProgressDialog::IdProgress)
                         ->value(),
                     w->isVisible(), ticks});
            });
        });
    bool quitBeforeBoxClosed = true;
    prompter.onBox = [&](const ScriptedPrompter::Box&) {
        quitBeforeBoxClosed = s.sim.receivedText().back() == 'Q';
    };

    click(FirmwareUpdateDialog::IdUpdate);

    expectOnlyBox(texts::FirmwareDone, texts::FirmwareDoneCaption, PromptIcon::Information);
    EXPECT_FALSE(quitBeforeBoxClosed);
    EXPECT_TRUE(eventually([&s] { return s.sim.mode() == sim::Mode::MainFirmware; }));
    auto commands = bootLoaderCommands(s.sim.receivedText());
    EXPECT_EQ(countLetter(commands, 'W'), 384);
    EXPECT_EQ(commands.back(), "Q");
    EXPECT_EQ(s.sim.mode(), sim::Mode::MainFirmware);
    auto flash = s.sim.flash();
    EXPECT_TRUE(std::equal(expected.begin() + 0x400, expected.end(), flash.begin() + 0x400));
    EXPECT_EQ(flash[0x800], 0x3F); // the gap in the file goes out as blank words
    EXPECT_EQ(flash[0x801], 0xFF);

    ASSERT_EQ(shown.size(), 384u);
    EXPECT_EQ(shown.front().address, "0x0200");
    EXPECT_EQ(shown.front().bar, 512);
    EXPECT_EQ(shown.back().address, "0x07fc");
    EXPECT_EQ(shown.back().bar, 2044);
    for (const auto& s : shown)
        EXPECT_TRUE(s.visible);
    // No timer, and so no poll of the main window, runs while the blocks are sent.
    EXPECT_EQ(shown.front().ticks, shown.back().ticks);

    EXPECT_TRUE(progress.isNull());
    EXPECT_FALSE(BootLoader::isConnected());
    EXPECT_EQ(dialog->result(), QDialog::Accepted);
    EXPECT_FALSE(dialog->isVisible());
}

class UpdateCommand : public testing::Test {
protected:
    void SetUp() override { qtTestApp(); }
    ScriptedPrompter prompter;
};

TEST_F(UpdateCommand, CancelledInstructionsOpenNothing) {
    prompter.answers.push_back(PromptAnswer::Cancel);
    bool opened = false;
    QTimer::singleShot(0, [&] {
        if (auto* d = qobject_cast<FirmwareUpdateDialog*>(QApplication::activeModalWidget())) {
            opened = true;
            d->reject();
        }
    });
    runFirmwareUpdateCommand(nullptr, "com5");
    QApplication::processEvents();
    EXPECT_FALSE(opened);
    ASSERT_EQ(prompter.boxes.size(), 1u);
    EXPECT_EQ(prompter.boxes[0].text, texts::FirmwareInstructions);
    EXPECT_EQ(prompter.boxes[0].caption, texts::FirmwareInstructionsCaption);
    EXPECT_EQ(prompter.boxes[0].icon, PromptIcon::Information);
    EXPECT_EQ(prompter.boxes[0].buttons, PromptButtons::OkCancel);
}

TEST_F(UpdateCommand, ConfirmedInstructionsOpenTheDialogOnTheConfiguredPort) {
    prompter.answers.push_back(PromptAnswer::Ok);
    QString port;
    QTimer::singleShot(0, [&] {
        if (auto* d = qobject_cast<FirmwareUpdateDialog*>(QApplication::activeModalWidget())) {
            port = platform::controlById<QLineEdit>(d, FirmwareUpdateDialog::IdPort)->text();
            platform::controlById<QAbstractButton>(d, FirmwareUpdateDialog::IdCancel)->click();
        }
    });
    runFirmwareUpdateCommand(nullptr, "com5");
    EXPECT_EQ(port, "com5");
}

} // namespace
