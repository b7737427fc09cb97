#include "measurement/MeasurementWindow.h"
#include "logs/MeasurementLog.h"
#include "logs/ui/LogFileDialog.h"
#include "support/MainWindowFixture.h"

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>

#include <algorithm>
#include <filesystem>

namespace {

using Id = MainDialog::ControlId;

// The main window on the simulator (10 ohm load, 5 V / 0.4 A: 4.00 V, 0.400 A in CC), the
// measurement window opened as the operator opens it: Ctrl+M in the main window.
class MeasurementWindowTest : public MainWindowFixture {
protected:
    void openMeasurement(const std::vector<std::string>& extra = {}) {
        sim.setLoadOhms(10);
        sim.setSetpoint(5.0, 0.4);
        sim.setOutput(true);
        openConnected(extra);
        window->show();
        QApplication::setActiveWindow(window.get());
        QTest::keyClick(window.get(), Qt::Key_M, Qt::ControlModifier);
        mw = window->measurementWindow();
        ASSERT_NE(mw, nullptr) << "Ctrl+M opens the measurement window";
        ASSERT_TRUE(mw->isVisible());
    }
    template <class T> T* find(const char* name) const {
        T* w = mw->findChild<T*>(name);
        EXPECT_NE(w, nullptr) << name;
        return w;
    }
    std::string label(const char* name) const { return find<QLabel>(name)->text().toStdString(); }
    void press(const char* name) const {
        QTest::mouseClick(find<QAbstractButton>(name), Qt::LeftButton);
    }
    void type(const char* name, const char* text) const {
        QLineEdit* e = find<QLineEdit>(name);
        e->selectAll();
        QTest::keyClicks(e, text);
    }
    bool yellow(const char* name) const {
        return find<QLineEdit>(name)->palette().color(QPalette::Base) == QColor(255, 255, 0);
    }
    std::string ini() const { return TempDir::read(dir.file("Quorel.ini")); }

    MeasurementWindow* mw = nullptr;
};

TEST_F(MeasurementWindowTest, StatisticsFollowThePollsAndResetStartsAfresh) {
    openMeasurement();
    EXPECT_EQ(label("voltageMax"), "-");
    for (int k = 0; k < 3; ++k)
        tick();
    EXPECT_EQ(label("voltageMax"), "4.00 V");
    EXPECT_EQ(label("currentMean"), "0.400 A");
    EXPECT_EQ(label("powerMin"), "1.600 W");
    press("resetCounters");
    EXPECT_EQ(label("charge"), "0.000 mAh");
    EXPECT_EQ(label("voltageMax"), "-");
    EXPECT_EQ(lastLog(), "積算値をリセットしました");
}

TEST_F(MeasurementWindowTest,
       ATripSwitchesOffLogsLevelAndValueAndRefusesTheOutputButtonUntilCleared) {
    openMeasurement();
    mw->findChild<QTabWidget*>("measurementPages")->setCurrentIndex(1);
    QTest::mouseClick(find<QCheckBox>("ocpEnabled"), Qt::LeftButton);
    type("ocpLevel", "0.3");
    press("applyProtections");
    EXPECT_NE(ini().find("[SESSION]\r\n"), std::string::npos);
    EXPECT_NE(ini().find("OcpEnabled=1\r\n"), std::string::npos);
    EXPECT_NE(ini().find("OcpLevel=0.3\r\n"), std::string::npos);

    tick();
    EXPECT_FALSE(sim.outputOn());
    EXPECT_EQ(lastLog(), "過電流保護が作動し出力をOFFしました(設定 0.300A　測定 0.400A)");
    EXPECT_EQ(label("ocpState"), "作動中 (0.400A)");
    sim.clearReceived();
    click(Id::IdOutputButton);
    EXPECT_EQ(lastLog(), "保護が作動中のため出力をONできません");
    EXPECT_EQ(sim.receivedText(), "") << "nothing is sent while latched";
    EXPECT_FALSE(window->outputLampLit());
    // Switched on at the device while latched: off again at the next poll, said each time.
    for (int round = 0; round < 2; ++round) {
        sim.setOutput(true);
        tick();
        EXPECT_FALSE(sim.outputOn()) << round;
        EXPECT_EQ(lastLog(), "保護が作動中のため出力を再びOFFしました");
        EXPECT_FALSE(window->outputLampLit());
    }
    EXPECT_EQ(label("ocpState"), "作動中 (0.400A)");

    press("ocpClear");
    EXPECT_EQ(lastLog(), "過電流保護の作動を解除しました");
    EXPECT_EQ(label("ocpState"), "正常");
    click(Id::IdOutputButton);
    EXPECT_TRUE(sim.outputOn());
}

TEST_F(MeasurementWindowTest, ALevelOutsideTheRangeIsRefusedWholeWithABoxAndALogLine) {
    openMeasurement();
    QTest::mouseClick(find<QCheckBox>("ovpEnabled"), Qt::LeftButton);
    type("ovpLevel", "25");
    type("ocpLevel", "0.5");
    const std::string before = ini();
    press("applyProtections");
    const std::string message = "過電圧保護のレベルは0より大きく20.00V以下で設定してください";
    EXPECT_EQ(lastLog(), message);
    ASSERT_EQ(prompter.boxes.size(), 1u);
    EXPECT_EQ(prompter.boxes[0].text, message);
    EXPECT_TRUE(yellow("ovpLevel"));
    EXPECT_FALSE(yellow("ocpLevel"));
    EXPECT_EQ(ini(), before);
    EXPECT_FALSE(window->measurementSession()
                     .protections()
                     .setting(session::ProtectionKind::OverVoltage)
                     .enabled);
}

TEST_F(MeasurementWindowTest, HandEditedBadSettingsGetDefaultsAndALogLineAtStart) {
    TempDir::write(dir.file("Quorel.ini"),
                   "[QUOREL]\r\nComPort=com3\r\n[SESSION]\r\nOvpLevel=abc\r\n"
                   "AutoReconnect=1\r\n");
    window = std::make_unique<MainDialog>();
    window->OnInitDialog();
    EXPECT_EQ(logMessages(), (std::vector<std::string>{
                                 "制御ソフト起動しました",
                                 "設定 [SESSION] OvpLevel の値が正しくないため既定値を使います"}));
    EXPECT_TRUE(window->measurementSession().autoReconnect());
}

// Twenty cables bumped while a CSV log runs: no box, no set-point sent, every line whole.
TEST_F(MeasurementWindowTest, ReconnectionCyclesKeepTheLogWithoutBoxesOrSetpointChanges) {
    std::atomic<std::int64_t> clockMs{0};
    std::atomic<platform::Seconds> wall{2000000000};
    // Every reading of the calendar clock is a second later: a line at every poll.
    platform::setClockForTest([&] { return wall++; });
    MeasurementLog::resetLastCsvTimeForTest();
    openConnected({"[SESSION]", "AutoReconnect=1"});
    window->measurementSession().setMonotonicClockForTest([&] { return clockMs.load(); });
    setLogFileChooserForTest([this](QWidget*, int, bool) {
        return std::optional<LogFileChoice>(LogFileChoice{dir.file("run.csv"), 1, false});
    });
    click(Id::IdLogButton);
    setLogFileChooserForTest({});
    ASSERT_TRUE(window->measurementLogRunning());
    const double volts = window->voltageSetpointValue();
    sim.clearReceived();
    for (int cycle = 0; cycle < 20; ++cycle) {
        tick();
        sim.unplug();
        tick();
        ASSERT_FALSE(window->isConnected());
        ASSERT_TRUE(sim.replug(sim::Mode::MainFirmware));
        clockMs += 2000;
        tick();
        ASSERT_TRUE(window->isConnected()) << "cycle " << cycle;
        EXPECT_TRUE(enabled(Id::IdLogButton) || !window->measurementLogRunning());
    }
    EXPECT_TRUE(prompter.boxes.empty());
    EXPECT_TRUE(window->measurementLogRunning());
    EXPECT_EQ(sim.receivedText().find('S'), std::string::npos);
    EXPECT_DOUBLE_EQ(window->voltageSetpointValue(), volts);
    const auto messages = logMessages();
    EXPECT_EQ(std::count(messages.begin(), messages.end(), "デバイスと切断されました"), 20);
    const std::string csv = TempDir::read(dir.file("run.csv"));
    ASSERT_FALSE(csv.empty());
    EXPECT_EQ(csv.substr(csv.size() - 2), "\r\n");
    std::size_t lines = 0;
    for (std::size_t at = 0; (at = csv.find("\r\n", at)) != std::string::npos; at += 2)
        ++lines;
    EXPECT_EQ(std::count(csv.begin(), csv.end(), '\n'), static_cast<long>(lines));
    EXPECT_EQ(std::count(csv.begin(), csv.end(), ','), static_cast<long>(lines * 5));
    EXPECT_EQ(lines, 20u) << "a line for each poll the device answered";
}

} // namespace
