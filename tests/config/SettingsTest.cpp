#include "config/Settings.h"
#include "config/PortList.h"
#include "config/ui/SettingsDialog.h"
#include "device/SupplyDevice.h"
#include "platform/qt/ControlIds.h"
#include "platform/Cp932.h"
#include "platform/Paths.h"
#include "resources/Texts.h"
#include "simulator/SimulatedSupply.h"
#include "support/CaseNames.h"
#include "support/QtTestApp.h"
#include "support/ScriptedPrompter.h"
#include "support/TempDir.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

namespace {

class SettingsTest : public ::testing::Test {
protected:
    TempDir dir;
    std::string iniPath = dir.file("Quorel.ini");
    ScriptedPrompter prompter;

    void SetUp() override {
        qtTestApp();
        platform::setExecutableDirectoryForTest(dir.path());
    }
    void TearDown() override {
        SupplyDevice::disconnect();
        platform::setExecutableDirectoryForTest("");
    }

    // Every "comN" resolves through ports/ to a path that does not exist, so that no real
    // device of the machine can answer; the simulated supplies take some of them over.
    void noPortsPresent() {
        std::filesystem::create_directory(dir.file("ports"));
        for (int n = 1; n <= PortList::ComPortCount; ++n)
            ASSERT_EQ(::symlink("/nonexistent/quorel-port", portLink(n).c_str()), 0);
    }
    std::string portLink(int n) const { return dir.file("ports/com" + std::to_string(n)); }
    void plugIn(sim::SimulatedSupply& sim, int n) {
        ASSERT_TRUE(sim.start());
        ASSERT_TRUE(sim.linkAs(portLink(n)));
    }

    template <class T> static T* control(QWidget* dialog, int id) {
        T* c = platform::controlById<T>(dialog, id);
        EXPECT_NE(c, nullptr) << "control " << id;
        return c;
    }
    static QComboBox* ports(QWidget* d) { return control<QComboBox>(d, SettingsDialog::IdComPort); }
    static QComboBox* spans(QWidget* d) {
        return control<QComboBox>(d, SettingsDialog::IdPlotSpan);
    }
    static QCheckBox* check(QWidget* d, int id) { return control<QCheckBox>(d, id); }
    // A click of the mouse on the button, as at the bench.
    static void press(QWidget* d, int id) {
        QTest::mouseClick(control<QPushButton>(d, id), Qt::LeftButton);
    }
};

TEST_F(SettingsTest, FirstStartUsesDefaultsAndCreatesNoFile) {
    Settings settings;
    EXPECT_EQ(settings.comPort(), "com1");
    EXPECT_FALSE(settings.connectAtStart());
    EXPECT_EQ(settings.plotSpan(), 180);
    EXPECT_FALSE(settings.useSysLogFile());
    EXPECT_EQ(settings.sysLogFileName(), "system.log");
    EXPECT_FALSE(settings.offsetAtt());
    EXPECT_EQ(settings.ini().FilePath(), iniPath);
    EXPECT_EQ(std::filesystem::current_path().string(),
              std::filesystem::canonical(dir.path()).string());

    SettingsDialog dialog(settings);
    dialog.show();
    EXPECT_EQ(ports(&dialog)->currentText().toStdString(), "com1");
    EXPECT_EQ(spans(&dialog)->currentText().toStdString(), texts::Span180);
    press(&dialog, SettingsDialog::IdCancel);
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
    EXPECT_FALSE(TempDir::exists(iniPath));
}

TEST_F(SettingsTest, ConfirmingFromScratchWritesTheSixKeysInOrder) {
    Settings settings;
    SettingsDialog dialog(settings);
    dialog.show();
    press(&dialog, SettingsDialog::IdOk);
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(TempDir::read(iniPath), "[QUOREL]\r\nComPort=com1\r\nConnectAtStart=0\r\n"
                                      "PlotSpan=180\r\nUseSysLogFile=0\r\n"
                                      "SysLogFileName=system.log\r\nOffsetAtt=0\r\n");
}

TEST_F(SettingsTest, WordFlagsReadAsOnAndAreWrittenBackAsOne) {
    TempDir::write(iniPath, "[QUOREL]\r\nOffsetAtt=yes\r\nConnectAtStart=TRUE\r\n");
    Settings settings;
    EXPECT_TRUE(settings.offsetAtt());
    EXPECT_TRUE(settings.connectAtStart());
    SettingsDialog dialog(settings);
    dialog.show();
    EXPECT_TRUE(check(&dialog, SettingsDialog::IdOffsetAtt)->isChecked());
    EXPECT_TRUE(check(&dialog, SettingsDialog::IdConnectAtStart)->isChecked());
    EXPECT_FALSE(check(&dialog, SettingsDialog::IdUseSysLogFile)->isChecked());
    press(&dialog, SettingsDialog::IdOk);
    std::string file = TempDir::read(iniPath);
    EXPECT_NE(file.find("OffsetAtt=1\r\n"), std::string::npos) << file;
    EXPECT_NE(file.find("ConnectAtStart=1\r\n"), std::string::npos) << file;
}

TEST_F(SettingsTest, SpanTheListDoesNotOfferShowsSixtyAndIsWrittenAsSixty) {
    TempDir::write(iniPath, "[QUOREL]\r\nPlotSpan=90\r\n");
    Settings settings;
    EXPECT_EQ(settings.plotSpan(), 90);
    SettingsDialog dialog(settings);
    dialog.show();
    EXPECT_EQ(spans(&dialog)->currentText().toStdString(), texts::Span60);
    press(&dialog, SettingsDialog::IdOk);
    EXPECT_EQ(settings.plotSpan(), 60);
    EXPECT_NE(TempDir::read(iniPath).find("PlotSpan=60\r\n"), std::string::npos);
}

TEST_F(SettingsTest, ChangedControlsBecomeLiveValuesOnOkOnly) {
    Settings settings;
    SettingsDialog dialog(settings);
    dialog.show();
    spans(&dialog)->setCurrentIndex(3);
    check(&dialog, SettingsDialog::IdUseSysLogFile)->setChecked(true);
    control<QLineEdit>(&dialog, SettingsDialog::IdSysLogFileName)->setText("other.log");
    ports(&dialog)->setCurrentIndex(4);
    press(&dialog, SettingsDialog::IdCancel);
    EXPECT_EQ(settings.plotSpan(), 180);
    EXPECT_FALSE(TempDir::exists(iniPath));

    // Shown again, it starts from the live values, not from what was left in it.
    dialog.show();
    EXPECT_EQ(spans(&dialog)->currentText().toStdString(), texts::Span180);
    EXPECT_FALSE(check(&dialog, SettingsDialog::IdUseSysLogFile)->isChecked());
    spans(&dialog)->setCurrentIndex(3);
    ports(&dialog)->setCurrentIndex(4);
    check(&dialog, SettingsDialog::IdUseSysLogFile)->setChecked(true);
    press(&dialog, SettingsDialog::IdOk);
    EXPECT_EQ(settings.plotSpan(), 240);
    EXPECT_EQ(settings.comPort(), "com5");
    EXPECT_TRUE(settings.useSysLogFile());

    Settings reloaded;
    EXPECT_EQ(reloaded.plotSpan(), 240);
    EXPECT_EQ(reloaded.comPort(), "com5");
    EXPECT_TRUE(reloaded.useSysLogFile());
}

// How Linux names a USB serial device for good: 70 characters.
constexpr const char* StableUsbName =
    "/dev/serial/by-id/usb-Bench_Supply_0123456789ABCDEF01234567-if00-port0";

struct PortCase {
    const char* saved;
    const char* shown; // "" when nothing is selected
    const char* written;
};

class PortSelection : public SettingsTest, public ::testing::WithParamInterface<PortCase> {};

TEST_P(PortSelection, SavedPortIsShownAndConfirmingKeepsIt) {
    const auto& c = GetParam();
    TempDir::write(iniPath, std::string("[QUOREL]\r\nComPort=") + c.saved + "\r\n");
    Settings settings;
    SettingsDialog dialog(settings);
    dialog.show();
    EXPECT_EQ(ports(&dialog)->currentText().toStdString(), c.shown);
    for (int i = 0; i < PortList::ComPortCount; ++i)
        EXPECT_EQ(ports(&dialog)->itemText(i).toStdString(), PortList::comName(i + 1));
    press(&dialog, SettingsDialog::IdOk);
    EXPECT_EQ(settings.comPort(), c.written);
    EXPECT_NE(TempDir::read(iniPath).find(std::string("ComPort=") + c.written + "\r\n"),
              std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(Ports, PortSelection,
                         ::testing::Values(PortCase{"com12", "com12", "com12"},
                                           PortCase{"COM7", "com7", "com7"},
                                           PortCase{"com32", "com32", "com32"},
                                           // Names outside the first 32 items stay as they are.
                                           PortCase{"com40", "com40", "com40"},
                                           PortCase{"/dev/pts/7", "/dev/pts/7", "/dev/pts/7"},
                                           PortCase{"com7x", "com7x", "com7x"},
                                           // A stable USB name is neither cut nor lost.
                                           PortCase{StableUsbName, StableUsbName, StableUsbName},
                                           // An empty value names no port: com1, as if missing.
                                           PortCase{"", "com1", "com1"}),
                         [](const auto& info) { return casenames::word(info.param.saved); });

TEST_F(SettingsTest, LongPortIsReadShownWholeKeptOnOkAndConnects) {
    sim::SimulatedSupply supply;
    ASSERT_TRUE(supply.start());
    const std::string port = dir.pathOfLength(70);
    ASSERT_TRUE(supply.linkAs(port));
    const std::string file = "[QUOREL]\r\nComPort=" + port + "\r\nPlotSpan=180\r\n";
    TempDir::write(iniPath, file);

    Settings settings;
    EXPECT_EQ(settings.comPort(), port);
    SettingsDialog dialog(settings);
    dialog.show();
    QComboBox* list = ports(&dialog);
    EXPECT_EQ(list->currentText().toStdString(), port);
    EXPECT_EQ(list->toolTip().toStdString(), port);
    // Once laid out, wide enough for the whole name: nothing of it is elided.
    const int textWidth = list->fontMetrics().horizontalAdvance(QString::fromStdString(port));
    EXPECT_TRUE(QTest::qWaitFor([&] { return list->width() >= textWidth; }, 2000))
        << list->width() << " < " << textWidth;
    press(&dialog, SettingsDialog::IdOk);
    EXPECT_EQ(settings.comPort(), port);
    EXPECT_NE(TempDir::read(iniPath).find("ComPort=" + port + "\r\n"), std::string::npos);

    EXPECT_EQ(SupplyDevice::connect(Settings().comPort()), DeviceResult::Ok);
}

TEST(PortListTest, DevicesFollowTheComNamesAndTheSavedPortComesLast) {
    TempDir dev;
    for (const char* name : {"ttyUSB0", "ttyACM10", "ttyACM2", "ttyS0", "ttyACMx", "tty"})
        TempDir::write(dev.file(name), "");
    auto devices = PortList::serialDevicesPresent(dev.path());
    ASSERT_EQ(devices.size(), 3u);
    EXPECT_EQ(devices[0], dev.file("ttyACM2"));
    EXPECT_EQ(devices[1], dev.file("ttyACM10"));
    EXPECT_EQ(devices[2], dev.file("ttyUSB0"));

    auto items = PortList::choices("com99", devices);
    ASSERT_EQ(items.size(), 36u);
    EXPECT_EQ(items[32], devices[0]);
    EXPECT_EQ(items.back(), "com99");
    EXPECT_EQ(PortList::selectionFor(devices[2], items), 34);
    EXPECT_EQ(PortList::choices(devices[1], devices).size(), 35u) << "a listed device once";
    EXPECT_EQ(PortList::selectionFor("com0", items), -1);
}

TEST_F(SettingsTest, JapaneseLogFileNameIsHeldAsUtf8AndStoredAsCp932) {
    std::string name = "ログ.log";
    TempDir::write(iniPath, "[QUOREL]\r\nSysLogFileName=" + platform::utf8ToCp932(name) + "\r\n");
    Settings settings;
    EXPECT_EQ(settings.sysLogFileName(), name);
    SettingsDialog dialog(settings);
    dialog.show();
    EXPECT_EQ(control<QLineEdit>(&dialog, SettingsDialog::IdSysLogFileName)->text().toStdString(),
              name);
    press(&dialog, SettingsDialog::IdOk);
    EXPECT_NE(TempDir::read(iniPath).find("SysLogFileName=\x83\x8D\x83\x4F.log\r\n"),
              std::string::npos);
}

TEST_F(SettingsTest, BrowseFillsTheBoxAndOnlyOkMakesItLive) {
    Settings settings;
    SettingsDialog dialog(settings);
    dialog.show();
    auto* box = control<QLineEdit>(&dialog, SettingsDialog::IdSysLogFileName);

    prompter.files.push_back(std::nullopt);
    press(&dialog, SettingsDialog::IdBrowse);
    ASSERT_EQ(prompter.choosers.size(), 1u);
    EXPECT_TRUE(prompter.choosers[0].save);
    EXPECT_EQ(prompter.choosers[0].filters, texts::FilterLogFile);
    EXPECT_EQ(prompter.choosers[0].initialPath, "");
    EXPECT_EQ(box->text().toStdString(), "system.log");

    prompter.files.push_back(std::string("/var/tmp/bench.log"));
    press(&dialog, SettingsDialog::IdBrowse);
    EXPECT_EQ(box->text().toStdString(), "/var/tmp/bench.log");
    press(&dialog, SettingsDialog::IdCancel);
    EXPECT_EQ(settings.sysLogFileName(), "system.log");

    dialog.show();
    prompter.files.push_back(std::string("/var/tmp/bench.log"));
    press(&dialog, SettingsDialog::IdBrowse);
    press(&dialog, SettingsDialog::IdOk);
    EXPECT_EQ(settings.sysLogFileName(), "/var/tmp/bench.log");
}

TEST_F(SettingsTest, UnwritableFileChangesTheLiveValuesAndReportsNothing) {
    TempDir::write(iniPath, "[QUOREL]\r\nPlotSpan=120\r\n");
    ASSERT_EQ(::chmod(iniPath.c_str(), 0444), 0);
    Settings settings;
    SettingsDialog dialog(settings);
    dialog.show();
    spans(&dialog)->setCurrentIndex(3);
    press(&dialog, SettingsDialog::IdOk);
    EXPECT_EQ(settings.plotSpan(), 240);
    EXPECT_EQ(TempDir::read(iniPath), "[QUOREL]\r\nPlotSpan=120\r\n");
    EXPECT_TRUE(prompter.boxes.empty());
}

// --- the port scan ---

TEST_F(SettingsTest, ScanFindsTheSupplyOnCom3AfterTryingCom1AndCom2) {
    noPortsPresent();
    sim::SimulatedSupply supply;
    plugIn(supply, 3);
    Settings settings;
    SettingsDialog dialog(settings);
    dialog.show();
    ASSERT_TRUE(control<QPushButton>(&dialog, SettingsDialog::IdScan)->isEnabled());
    press(&dialog, SettingsDialog::IdScan);
    ASSERT_EQ(prompter.boxes.size(), 1u);
    EXPECT_EQ(prompter.boxes[0].text, "デバイスが com3 で見つかりました");
    EXPECT_EQ(prompter.boxes[0].caption, "OK");
    EXPECT_EQ(prompter.boxes[0].icon, platform::PromptIcon::Information);
    EXPECT_EQ(ports(&dialog)->currentText().toStdString(), "com3");
    EXPECT_FALSE(SupplyDevice::isConnected()) << "the scan closes the link again";
    EXPECT_EQ(settings.comPort(), "com1") << "only OK changes the setting";
    press(&dialog, SettingsDialog::IdOk);
    EXPECT_EQ(settings.comPort(), "com3");
}

TEST_F(SettingsTest, ScanStopsAtTheFirstSupplyThatAnswers) {
    noPortsPresent();
    sim::SimulatedSupply first;
    sim::SimulatedSupply second;
    plugIn(first, 3);
    plugIn(second, 9);
    Settings settings;
    SettingsDialog dialog(settings);
    dialog.show();
    press(&dialog, SettingsDialog::IdScan);
    ASSERT_EQ(prompter.boxes.size(), 1u);
    EXPECT_EQ(prompter.boxes[0].text, "デバイスが com3 で見つかりました");
    EXPECT_EQ(second.receivedText(), "") << "com9 is never tried";
}

TEST_F(SettingsTest, ScanWithNothingPresentReportsAndKeepsTheSelection) {
    noPortsPresent();
    TempDir::write(iniPath, "[QUOREL]\r\nComPort=com5\r\n");
    Settings settings;
    SettingsDialog dialog(settings);
    dialog.show();
    press(&dialog, SettingsDialog::IdScan);
    ASSERT_EQ(prompter.boxes.size(), 1u);
    EXPECT_EQ(prompter.boxes[0].text, "デバイスが見つかりません");
    EXPECT_EQ(prompter.boxes[0].caption, "ERROR");
    EXPECT_EQ(prompter.boxes[0].icon, platform::PromptIcon::Stop);
    EXPECT_EQ(ports(&dialog)->currentText().toStdString(), "com5");
}

TEST_F(SettingsTest, ScanIsDisabledWhileTheMainWindowHoldsTheLink) {
    noPortsPresent();
    sim::SimulatedSupply supply;
    plugIn(supply, 3);
    ASSERT_EQ(SupplyDevice::connect("com3"), DeviceResult::Ok);
    Settings settings;
    SettingsDialog dialog(settings);
    dialog.show();
    EXPECT_FALSE(control<QPushButton>(&dialog, SettingsDialog::IdScan)->isEnabled());
    dialog.reject();

    // Open but silent: a scan would take the link away from under the main window, so SCAN
    // stays disabled and the link stays as it is.
    supply.setSilent(true);
    dialog.show();
    EXPECT_FALSE(control<QPushButton>(&dialog, SettingsDialog::IdScan)->isEnabled());
    press(&dialog, SettingsDialog::IdScan);
    dialog.OnScan(); // the handler itself refuses too
    EXPECT_TRUE(SupplyDevice::isConnected());
    EXPECT_TRUE(prompter.boxes.empty());
    dialog.reject();

    SupplyDevice::disconnect();
    dialog.show();
    EXPECT_TRUE(control<QPushButton>(&dialog, SettingsDialog::IdScan)->isEnabled());
}

} // namespace
