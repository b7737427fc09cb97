#include "measurement/MeasurementWindow.h"
#include "logs/MeasurementLog.h"
#include "logs/ui/LogFileDialog.h"
#include "support/MainWindowFixture.h"

#include <QAbstractItemView>
#include <QAbstractSpinBox>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QTabBar>
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

TEST_F(MeasurementWindowTest, ResetAndApplyStayWhereTheyAreWhenATripIsShown) {
    openMeasurement();
    mw->findChild<QTabWidget*>("measurementPages")->setCurrentIndex(1);
    QTest::mouseClick(find<QCheckBox>("ocpEnabled"), Qt::LeftButton);
    type("ocpLevel", "0.3");
    press("applyProtections");
    const auto places = [this] {
        QApplication::processEvents(); // the layout follows the texts in a posted event
        std::vector<QRect> out;
        for (const char* name : {"ovpClear", "ocpClear", "oppClear", "applyProtections"}) {
            const QWidget* w = find<QWidget>(name);
            out.push_back(QRect(w->mapTo(mw, QPoint()), w->size()));
        }
        return out;
    };
    const std::vector<QRect> before = places();
    tick();
    ASSERT_EQ(label("ocpState"), "作動中 (0.400A)");
    EXPECT_EQ(places(), before);
}

// The controls a person works, not the parts inside them (a combo box's field, a table's
// scroll bars).
bool isControl(const QWidget* w) {
    return qobject_cast<const QAbstractButton*>(w) || qobject_cast<const QLineEdit*>(w) ||
           qobject_cast<const QComboBox*>(w) || qobject_cast<const QAbstractSpinBox*>(w) ||
           qobject_cast<const QAbstractItemView*>(w);
}

std::vector<QWidget*> controlsOf(QWidget* page) {
    std::vector<QWidget*> out;
    for (QWidget* w : page->findChildren<QWidget*>()) {
        if (!isControl(w) || !w->isVisibleTo(page))
            continue;
        bool inner = false;
        for (QWidget* up = w->parentWidget(); up && up != page; up = up->parentWidget())
            inner = inner || isControl(up);
        if (!inner)
            out.push_back(w);
    }
    return out;
}

// Scrolls as little as brings [from, from + length) into a view of the length given, or its
// start when it is longer.
void intoView(QScrollBar* bar, int from, int length, int view) {
    if (from < bar->value() || length > view)
        bar->setValue(from);
    else if (from + length > bar->value() + view)
        bar->setValue(from + length - view);
}

// Run on the screen the test is given: the default one, and by CTest a 1024 x 600 screen at
// scale 1 and a 1600 x 1000 screen at scale 2 (800 x 500 logical pixels).
TEST_F(MeasurementWindowTest, FitsTheScreenAndEveryControlOfEveryPageScrollsIntoItsFreeArea) {
    openMeasurement({"[REMOTE]", "Enabled=1", "Listen=127.0.0.1:0"});
    QApplication::processEvents();
    const QRect room = mw->screen()->availableGeometry();
    EXPECT_TRUE(room.contains(mw->frameGeometry()))
        << "window " << mw->frameGeometry().width() << " x " << mw->frameGeometry().height()
        << " on " << room.width() << " x " << room.height();
    QScrollArea* scroller = mw->scroller();
    QTabWidget* tabs = mw->pages();
    ASSERT_GE(tabs->count(), 5) << "statistics, protections, history, remote, sequence";
    int controls = 0;
    for (int index = 0; index < tabs->count(); ++index) {
        // The tab is clicked where it shows.
        scroller->ensureWidgetVisible(tabs->tabBar(), 0, 0);
        QApplication::processEvents();
        QTest::mouseClick(tabs->tabBar(), Qt::LeftButton, {},
                          tabs->tabBar()->tabRect(index).center());
        ASSERT_EQ(tabs->currentIndex(), index);
        QApplication::processEvents();
        for (QWidget* w : controlsOf(tabs->widget(index))) {
            // The whole control, not only a field's cursor as a focus change would show.
            const QRect r(w->mapTo(tabs, QPoint()), w->size());
            intoView(scroller->horizontalScrollBar(), r.left(), r.width(),
                     scroller->viewport()->width());
            intoView(scroller->verticalScrollBar(), r.top(), r.height(),
                     scroller->viewport()->height());
            QApplication::processEvents();
            const QRect view(scroller->viewport()->mapToGlobal(QPoint()),
                             scroller->viewport()->size());
            const QRect control(w->mapToGlobal(QPoint()), w->size());
            // A control larger than the view (a table, a plot) shows as much as the view holds.
            const QRect shown = control & view;
            EXPECT_EQ(shown.width(), std::min(control.width(), view.width()))
                << tabs->tabText(index).toStdString() << ": " << w->objectName().toStdString();
            EXPECT_EQ(shown.height(), std::min(control.height(), view.height()))
                << tabs->tabText(index).toStdString() << ": " << w->objectName().toStdString();
            EXPECT_TRUE(room.contains(shown)) << w->objectName().toStdString();
            ++controls;
        }
    }
    EXPECT_GT(controls, 40);
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
