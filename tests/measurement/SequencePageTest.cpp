// The sequence page driven as the operator drives it: clicks and keys on its real controls,
// the simulated supply receiving the steps, the main window's fields following them, and
// every way a run ends leaving the output as it should.
#include "measurement/SequencePage.h"
#include "history/PlotLayout.h"
#include "measurement/MeasurementWindow.h"
#include "measurement/SequencePreview.h"
#include "platform/qt/EndingSignals.h"
#include "support/Eventually.h"
#include "support/Handshake.h"
#include "support/MainWindowFixture.h"
#include "support/QtTestApp.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QSpinBox>
#include <QStyle>
#include <QStyleOptionButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTableWidget>
#include <QTest>

#include <algorithm>
#include <array>
#include <filesystem>
#include <signal.h>

namespace {

using Id = MainDialog::ControlId;

class SequencePageTest : public MainWindowFixture {
protected:
    // The main window on the simulator (50 ohm load, adapter), its measurement window opened
    // with Ctrl+M and the sequence page chosen by a click on its tab.
    void openPage(const std::vector<std::string>& extra = {}) {
        openConnected(extra);
        window->show();
        QApplication::setActiveWindow(window.get());
        QTest::keyClick(window.get(), Qt::Key_M, Qt::ControlModifier);
        mw = window->measurementWindow();
        ASSERT_NE(mw, nullptr);
        // As the desktop does for a window that opens.
        QApplication::setActiveWindow(mw);
        auto* tabs = mw->findChild<QTabWidget*>("measurementPages");
        const int index = tabs->count() - 1;
        ASSERT_EQ(tabs->tabText(index).toStdString(), "シーケンス");
        QTest::mouseClick(tabs->tabBar(), Qt::LeftButton, {},
                          tabs->tabBar()->tabRect(index).center());
        page = mw->findChild<SequencePage*>("sequencePage");
        ASSERT_EQ(tabs->currentWidget(), page);
        table = find<QTableWidget>("sequenceSteps");
    }
    template <class T> T* find(const char* name) const {
        T* w = mw->findChild<T*>(name);
        EXPECT_NE(w, nullptr) << name;
        return w;
    }
    // A click on a check box's square, where the operator clicks.
    void check(const char* name) const {
        auto* box = find<QCheckBox>(name);
        QStyleOptionButton option;
        option.initFrom(box);
        const QRect square =
            box->style()->subElementRect(QStyle::SE_CheckBoxIndicator, &option, box);
        QTest::mouseClick(box, Qt::LeftButton, {}, square.center());
        EXPECT_TRUE(box->isChecked()) << name;
    }
    void press(const char* name) const {
        QTest::mouseClick(find<QAbstractButton>(name), Qt::LeftButton);
    }
    // Types into a cell as the operator does: click it, F2, the new text, Enter.
    void typeCell(int row, int column, const char* text) const {
        const QRect r = table->visualItemRect(table->item(row, column));
        QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, r.center());
        QTest::keyClick(table, Qt::Key_F2);
        QWidget* editor = QApplication::focusWidget();
        ASSERT_NE(editor, table) << "no editor opened";
        QTest::keyClick(editor, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(editor, text);
        QTest::keyClick(editor, Qt::Key_Return);
        // The view takes the editor's text in a queued call.
        QCoreApplication::processEvents();
    }
    void type(const char* name, const char* text) const {
        QLineEdit* e = find<QLineEdit>(name);
        e->selectAll();
        QTest::keyClicks(e, text);
    }
    // Rows of (volts, amps, seconds, linear) entered through the add button and the cells.
    void enterSteps(const std::vector<std::array<const char*, 4>>& rows) {
        for (const auto& row : rows) {
            press("addStep");
            const int r = table->currentRow();
            typeCell(r, 0, row[0]);
            typeCell(r, 1, row[1]);
            typeCell(r, 2, row[2]);
            const bool linear = std::string(row[3]) == "linear";
            if (linear != (table->item(r, 3)->checkState() == Qt::Checked)) {
                const QRect rect = table->visualItemRect(table->item(r, 3));
                QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, rect.center());
                QTest::keyClick(table, Qt::Key_Space);
            }
        }
    }
    std::string cell(int row, int column) const {
        return table->item(row, column)->text().toStdString();
    }
    std::string state() const { return find<QLabel>("sequenceState")->text().toStdString(); }
    bool runUntilIdle(int limitMs) {
        return QTest::qWaitFor([this] { return !page->runner().running(); }, limitMs);
    }
    std::vector<std::string> setCommands() const {
        std::vector<std::string> out;
        for (const auto& c : sim.receivedCommands('S'))
            out.push_back(c.text);
        return out;
    }

    MeasurementWindow* mw = nullptr;
    SequencePage* page = nullptr;
    QTableWidget* table = nullptr;
};

TEST_F(SequencePageTest, StepsAreAddedEditedCheckedMovedAndRemovedThroughTheControls) {
    openPage();
    enterSteps({{"5", "0.3", "2", "step"}, {"12", "0.25", "0.5", "linear"}});
    EXPECT_EQ(cell(0, 0), "5.00");
    EXPECT_EQ(cell(1, 1), "0.250");
    EXPECT_EQ(cell(1, 2), "0.5");
    EXPECT_EQ(table->item(1, 3)->checkState(), Qt::Checked);

    typeCell(0, 0, "25");
    EXPECT_EQ(table->item(0, 0)->background().color(), QColor(255, 255, 0));
    EXPECT_FALSE(page->steps());
    press("startSequence");
    EXPECT_EQ(lastLog(), "ステップ 1: 電圧は0～20の数値で指定してください");
    ASSERT_EQ(prompter.boxes.size(), 1u);
    typeCell(0, 0, "4");
    ASSERT_TRUE(page->steps());

    table->setCurrentCell(1, 0);
    press("moveStepUp");
    EXPECT_EQ(cell(0, 0), "12.00");
    EXPECT_EQ(table->currentRow(), 0);
    press("moveStepDown");
    press("removeStep");
    ASSERT_EQ(table->rowCount(), 1);
    EXPECT_EQ(cell(0, 0), "4.00");
    // The status poll may run meanwhile on a slow machine; editing itself sends nothing.
    for (char command : {'S', 'N', 'F'})
        EXPECT_TRUE(sim.receivedCommands(command).empty()) << "editing sent " << command;
}

TEST_F(SequencePageTest, ARunSetsEachStepOnTimeHighlightsItAndTheMainFieldsFollow) {
    openPage();
    enterSteps(
        {{"1", "0.1", "0.4", "step"}, {"2", "0.1", "0.4", "step"}, {"3", "0.2", "0.4", "step"}});
    check("outputOnAtStart");
    press("startSequence");
    EXPECT_EQ(state().rfind("ステップ 1/3　繰り返し 1/1　残り 0:00:00.", 0), 0u) << state();
    EXPECT_EQ(table->item(0, 0)->background().color(), QColor(200, 240, 200));
    EXPECT_FALSE(find<QPushButton>("startSequence")->isEnabled());
    ASSERT_TRUE(QTest::qWaitFor([this] { return page->runner().progress().step == 2; }, 2000));
    EXPECT_EQ(table->item(1, 0)->background().color(), QColor(200, 240, 200));
    EXPECT_EQ(table->item(0, 0)->background(), QBrush());
    EXPECT_EQ(text(Id::IdVoltageEdit), "2.00") << "the main window's field follows the step";
    ASSERT_TRUE(runUntilIdle(3000));
    EXPECT_EQ(setCommands(), (std::vector<std::string>{"S032064", "S064064", "S0960C8"}));
    EXPECT_FALSE(sim.outputOn());
    EXPECT_EQ(state(), "停止中");
    const auto log = logMessages();
    const std::vector<std::string> expected = {
        "シーケンスを開始しました(3 ステップ　繰り返し 1)", "シーケンスの開始で出力をONしました",
        "シーケンスが完了しました", "シーケンスの終了で出力をOFFしました"};
    EXPECT_TRUE(std::search(log.begin(), log.end(), expected.begin(), expected.end()) != log.end())
        << testing::PrintToString(log);
}

TEST_F(SequencePageTest, ASourceDropEndsTheRunBeforeAStepBeyondTheUsbHostsPower) {
    openPage();
    enterSteps({{"5", "0.2", "2", "step"}, {"10", "0.5", "2", "step"}});
    check("outputOnAtStart");
    press("startSequence");
    ASSERT_TRUE(page->runner().running());
    sim.setSourceLetter('U');
    // The next poll finds the USB host, well before the second step is due.
    ASSERT_TRUE(runUntilIdle(1500));
    EXPECT_EQ(setCommands(), std::vector<std::string>{"S0FA0C8"});
    EXPECT_FALSE(sim.outputOn());
    EXPECT_EQ(state(), "停止中");
    const auto log = logMessages();
    const std::vector<std::string> expected = {
        "ステップ 2 は設定できません: 許容電力容量を超えるため設定できません",
        "給電元が変わり、残りの設定が許容電力容量を超えるためシーケンスを中止しました",
        "シーケンスの終了で出力をOFFしました"};
    EXPECT_TRUE(std::search(log.begin(), log.end(), expected.begin(), expected.end()) != log.end())
        << testing::PrintToString(log);
}

TEST_F(SequencePageTest, PauseHoldsTheStepsResumeGoesOnAndAbortSwitchesOff) {
    openPage();
    enterSteps(
        {{"1", "0.1", "0.8", "step"}, {"2", "0.1", "0.8", "step"}, {"3", "0.1", "5", "step"}});
    check("outputOnAtStart");
    press("startSequence");
    press("pauseSequence");
    EXPECT_EQ(state().rfind("一時停止中　ステップ 1/3", 0), 0u) << state();
    EXPECT_EQ(find<QPushButton>("pauseSequence")->text().toStdString(), "再開");
    QTest::qWait(1000);
    EXPECT_EQ(setCommands().size(), 1u) << "nothing is sent while paused";
    press("pauseSequence");
    ASSERT_TRUE(QTest::qWaitFor([this] { return setCommands().size() == 2; }, 2000));
    press("abortSequence");
    EXPECT_FALSE(page->runner().running());
    EXPECT_FALSE(sim.outputOn());
    const auto log = logMessages();
    EXPECT_EQ(std::vector<std::string>(log.end() - 2, log.end()),
              (std::vector<std::string>{"シーケンスを中止しました",
                                        "シーケンスの終了で出力をOFFしました"}));
}

TEST_F(SequencePageTest, ASwitchOffTheDeviceRefusesIsSaidAndSentAgainUntilItIsTaken) {
    openPage();
    enterSteps({{"1", "0.1", "0.4", "step"}});
    check("outputOnAtStart");
    sim.setRefused("F");
    press("startSequence");
    ASSERT_TRUE(runUntilIdle(3000));
    tick();
    EXPECT_TRUE(sim.outputOn());
    EXPECT_TRUE(window->outputLampLit()) << "the lamp shows what the device confirmed";
    const auto log = logMessages();
    EXPECT_NE(std::find(log.begin(), log.end(),
                        "シーケンスの終了で出力をOFFできません(デバイスが正しく応答しません)"),
              log.end())
        << testing::PrintToString(log);
    EXPECT_EQ(std::find(log.begin(), log.end(), "シーケンスの終了で出力をOFFしました"), log.end());
    sim.setRefused("");
    tick();
    EXPECT_FALSE(sim.outputOn());
    EXPECT_FALSE(window->outputLampLit());
    EXPECT_EQ(lastLog(), "OFFできなかった出力をOFFしました");
}

TEST_F(SequencePageTest, AStepBeyondTheUsbHostsPowerIsNamedInABoxAndNothingIsSent) {
    sim.setSourceLetter('U');
    openPage();
    EXPECT_EQ(find<SequencePreview>("sequencePreview")->picture().capacityWatts, 1.5);
    enterSteps({{"5", "0.3", "1", "step"}, {"5", "0.4", "1", "step"}});
    press("startSequence");
    const std::string message =
        "ステップ 2 は設定できません: 許容電力容量を超えるため設定できません";
    EXPECT_EQ(lastLog(), message);
    ASSERT_EQ(prompter.boxes.size(), 1u);
    EXPECT_EQ(prompter.boxes[0].text, message);
    EXPECT_EQ(table->currentRow(), 1);
    EXPECT_TRUE(setCommands().empty());
    EXPECT_FALSE(page->runner().running());
}

TEST_F(SequencePageTest, StepsAreSavedAndLoadedThroughTheChoosersAndABadFileChangesNothing) {
    openPage();
    enterSteps({{"5", "0.3", "1.5", "step"}, {"12", "0.25", "30", "linear"}});
    prompter.files.push_back(dir.file("saved.csv"));
    press("saveSteps");
    EXPECT_EQ(TempDir::read(dir.file("saved.csv")),
              "volts,amps,seconds,ramp\r\n5.00,0.300,1.5,step\r\n12.00,0.250,30,linear\r\n");
    EXPECT_EQ(lastLog(), "シーケンスファイル " + dir.file("saved.csv") + " に保存しました");

    TempDir::write(dir.file("bad.csv"), "volts,amps,seconds,ramp\n1,0.1,1\n1,2,1\n1,0.1,0\n");
    prompter.files.push_back(dir.file("bad.csv"));
    press("loadSteps");
    ASSERT_EQ(prompter.boxes.size(), 1u);
    EXPECT_EQ(prompter.boxes[0].text, "シーケンスファイル " + dir.file("bad.csv") +
                                          " を読み込めません\n"
                                          "3 行目: 電流は0～1の数値で指定してください\n"
                                          "4 行目: 時間は0.1～1000000の数値(秒)で指定してください");
    EXPECT_EQ(table->rowCount(), 2);

    TempDir::write(dir.file("good.csv"), "volts,amps,seconds\n1,0.1,1\n2,0.2,2\n3,0.3,3\n");
    prompter.files.push_back(dir.file("good.csv"));
    press("loadSteps");
    ASSERT_EQ(table->rowCount(), 3);
    EXPECT_EQ(cell(2, 1), "0.300");
}

TEST_F(SequencePageTest, SaveAsksBeforeReplacingAFileAndBeforeSavingAnEmptyTable) {
    const std::string saved = dir.file("three.csv");
    const std::string three =
        "volts,amps,seconds,ramp\r\n1.00,0.100,1,step\r\n2.00,0.100,1,step\r\n"
        "3.00,0.100,1,step\r\n";
    TempDir::write(saved, three);
    openPage();
    ASSERT_EQ(table->rowCount(), 0);
    // An empty table: asked first; No chooses no file at all.
    prompter.answers = {platform::PromptAnswer::No};
    press("saveSteps");
    ASSERT_EQ(prompter.boxes.size(), 1u);
    EXPECT_EQ(prompter.boxes[0].text, "ステップがありません。見出しだけのファイルを保存しますか?");
    EXPECT_TRUE(prompter.choosers.empty());
    // Yes to the empty table, then No to replacing the file that is there.
    prompter.answers = {platform::PromptAnswer::Yes, platform::PromptAnswer::No};
    prompter.files.push_back(saved);
    press("saveSteps");
    ASSERT_EQ(prompter.boxes.size(), 3u);
    EXPECT_EQ(prompter.boxes[2].text, saved + " は既にあります。置き換えますか?");
    EXPECT_EQ(TempDir::read(saved), three);
    // Steps over the file, agreed to.
    enterSteps({{"5", "0.3", "1.5", "step"}});
    prompter.answers = {platform::PromptAnswer::Yes};
    prompter.files.push_back(saved);
    press("saveSteps");
    EXPECT_EQ(TempDir::read(saved), "volts,amps,seconds,ramp\r\n5.00,0.300,1.5,step\r\n");
    // A folder by the name is refused with a message; nothing is asked.
    std::filesystem::create_directory(dir.file("folder.csv"));
    prompter.files.push_back(dir.file("folder.csv"));
    const std::size_t boxes = prompter.boxes.size();
    press("saveSteps");
    ASSERT_EQ(prompter.boxes.size(), boxes + 1);
    EXPECT_EQ(prompter.boxes.back().icon, platform::PromptIcon::Stop);
    EXPECT_EQ(lastLog(), dir.file("folder.csv") +
                             " には書き込めません(通常のファイルではないか、読み取り専用です)");
}

TEST_F(SequencePageTest, StopConditionsComeFromTheirFields) {
    sim.setLoadOhms(50);
    openPage();
    enterSteps({{"5", "0.3", "30", "step"}});
    check("outputOnAtStart");
    check("stopAboveOn");
    type("stopAboveVolts", "4.5");
    press("startSequence");
    tick(); // 5.00 V measured
    EXPECT_FALSE(page->runner().running());
    EXPECT_EQ(page->runner().lastEnd()->reason, sequence::EndReason::VoltageAbove);
    EXPECT_FALSE(sim.outputOn());

    type("stopAboveVolts", "x");
    press("startSequence");
    EXPECT_EQ(lastLog(), "停止条件の値が正しくありません");
    EXPECT_EQ(find<QLineEdit>("stopAboveVolts")->palette().color(QPalette::Base),
              QColor(255, 255, 0));
}

TEST_F(SequencePageTest, ClosingTheWindowAsksAndOnYesAbortsWithTheOutputOff) {
    openPage();
    enterSteps({{"5", "0.1", "30", "step"}});
    check("outputOnAtStart");
    press("startSequence");
    prompter.answers = {platform::PromptAnswer::No, platform::PromptAnswer::Yes};
    mw->close();
    EXPECT_TRUE(mw->isVisible());
    EXPECT_TRUE(page->runner().running());
    mw->close();
    EXPECT_FALSE(mw->isVisible());
    EXPECT_FALSE(page->runner().running());
    EXPECT_FALSE(sim.outputOn());
    ASSERT_EQ(prompter.boxes.size(), 2u);
    EXPECT_EQ(prompter.boxes[1].text, "シーケンスを実行中です。中止してウィンドウを閉じますか?");
    const auto log = logMessages();
    EXPECT_EQ(log.end()[-2], "ウィンドウを閉じたためシーケンスを中止しました");
}

TEST_F(SequencePageTest, TheMainWindowClosingAbortsWithTheOutputOff) {
    openPage();
    enterSteps({{"5", "0.1", "30", "step"}});
    check("outputOnAtStart");
    press("startSequence");
    ASSERT_TRUE(sim.outputOn());
    window.reset();
    EXPECT_FALSE(sim.outputOn());
}

// A closed terminal or kill: before, the panel died at once with the output on.
TEST_F(SequencePageTest, AHangupEndsTheRunWithTheOutputOffAndClosesTheWindow) {
    openPage();
    enterSteps({{"5", "0.1", "30", "step"}});
    check("outputOnAtStart");
    // As the application wires it: the signal reaches the window through the event loop.
    EndingSignals endingSignals;
    QObject::connect(&endingSignals, &EndingSignals::received, window.get(),
                     [this](int signal) { window->EndOnSignal(signal); });
    press("startSequence");
    ASSERT_TRUE(sim.outputOn());
    ASSERT_EQ(::raise(SIGHUP), 0);
    EXPECT_TRUE(eventually([&] {
        QCoreApplication::processEvents();
        return !window->isVisible();
    }));
    EXPECT_FALSE(page->runner().running());
    EXPECT_FALSE(sim.outputOn());
    const auto log = logMessages();
    for (const char* line :
         {"SIGHUP を受けたため終了します", "シーケンスを中止しました", "制御ソフト終了します"})
        EXPECT_NE(std::find(log.begin(), log.end(), line), log.end()) << line;
}

TEST_F(SequencePageTest, ALostDeviceEndsTheRunAndSaysWhy) {
    openPage();
    enterSteps({{"5", "0.1", "30", "step"}});
    press("startSequence");
    sim.unplug();
    tick();
    EXPECT_FALSE(page->runner().running());
    EXPECT_EQ(page->runner().lastEnd()->reason, sequence::EndReason::DeviceLost);
    const auto log = logMessages();
    EXPECT_NE(std::find(log.begin(), log.end(), "デバイスと切断されたためシーケンスを中止しました"),
              log.end());
    EXPECT_EQ(state(), "停止中");
}

// Unplugged during a run with the output on, plugged in again with the output still on at the
// device: the first command after the handshake switches it off, and the log says why before
// it says the connection, whether the session reconnects by itself or the operator connects.
class ALostRunComesBack : public SequencePageTest, public testing::WithParamInterface<bool> {};

TEST_P(ALostRunComesBack, WithItsOutputSwitchedOffFirst) {
    const bool automatic = GetParam();
    openPage(automatic ? std::vector<std::string>{"[SESSION]", "AutoReconnect=1"}
                       : std::vector<std::string>{});
    enterSteps({{"5", "0.1", "30", "step"}});
    check("outputOnAtStart");
    press("startSequence");
    ASSERT_TRUE(sim.outputOn());
    sim.unplug();
    tick();
    ASSERT_FALSE(page->runner().running());
    ASSERT_FALSE(window->isConnected());
    sim.clearReceived();
    ASSERT_TRUE(sim.replug(sim::Mode::MainFirmware));
    ASSERT_TRUE(sim.outputOn()) << "the device kept its output on";
    if (automatic)
        ASSERT_TRUE(QTest::qWaitFor(
            [this] {
                tick();
                return window->isConnected();
            },
            6000));
    else
        click(Id::IdConnectButton);
    ASSERT_TRUE(window->isConnected());
    EXPECT_EQ(afterHandshake(sim.receivedText()).substr(0, 1), "F") << sim.receivedText();
    EXPECT_FALSE(sim.outputOn());
    const auto log = logMessages();
    // The connection since the loss, and the line before it.
    const auto connected =
        std::find(log.rbegin(), log.rend(), "デバイス com3/FW1.02 を接続しました");
    ASSERT_NE(connected, log.rend());
    ASSERT_NE(connected + 1, log.rend());
    const std::string why = *(connected + 1);
    EXPECT_EQ(why.rfind("デバイスと切断されて中止した実行(quorel　", 0), 0u) << why;
    EXPECT_NE(why.find(" 開始)の出力をOFFしました"), std::string::npos) << why;
    // Once switched off it is done: the next connect sends nothing before its own commands.
    click(Id::IdConnectButton);
    sim.clearReceived();
    click(Id::IdConnectButton);
    EXPECT_EQ(afterHandshake(sim.receivedText()).substr(0, 1), "L");
}

INSTANTIATE_TEST_SUITE_P(Reconnection, ALostRunComesBack, testing::Bool(), [](const auto& info) {
    return info.param ? "Automatic" : "ByTheOperator";
});

TEST_F(SequencePageTest, AChargeStartsFromItsFieldsAndAnAbortWritesItsSummary) {
    sim.setSourceLetter('U');
    openPage();
    auto* chemistry = find<QComboBox>("chargeChemistry");
    chemistry->setFocus();
    QTest::keyClick(chemistry, Qt::Key_Down); // LiFePO4
    QTest::keyClick(chemistry, Qt::Key_Up);   // back to Li-ion
    auto* cells = find<QSpinBox>("chargeCells");
    cells->setFocus();
    QTest::keyClick(cells, Qt::Key_Up);
    type("chargeCapacity", "1000");
    type("chargeRate", "1");
    press("startCharge");
    EXPECT_EQ(lastLog(), "ステップ 1 は設定できません: 許容電力容量を超えるため設定できません");
    EXPECT_TRUE(setCommands().empty());

    sim.setSourceLetter('A');
    tick();
    QTest::keyClick(cells, Qt::Key_Down);
    type("chargeCapacity", "100");
    press("startCharge");
    ASSERT_TRUE(page->runner().running());
    EXPECT_TRUE(sim.outputOn());
    EXPECT_EQ(setCommands(), (std::vector<std::string>{"S0D2064"})) << "4.20 V 0.100 A";
    press("abortSequence");
    EXPECT_FALSE(sim.outputOn());
    EXPECT_EQ(lastLog().rfind("充電を終了しました(中止　電荷 ", 0), 0u) << lastLog();
}

// As a remote client starts one: on the window's runner, without the page, whose timer then
// runs it and whose page shows it.
TEST_F(SequencePageTest, ARunStartedElsewhereRunsOnTheWindowsTimerAndShowsOnThePage) {
    openPage();
    enterSteps({{"9", "0.1", "1", "step"}});
    auto lists = sequence::fromLists({1, 2, 3}, {0.1, 0.1, 0.1}, {0.3, 0.3, 0.3}, 1);
    ASSERT_TRUE(lists);
    ASSERT_FALSE(window->sequenceRunner().start(*lists));
    EXPECT_EQ(state().rfind("ステップ 1/3", 0), 0u) << state();
    // The table shows the steps that run, read-only, the running one marked.
    ASSERT_EQ(table->rowCount(), 3);
    EXPECT_EQ(cell(2, 0), "3.00");
    EXPECT_EQ(cell(2, 2), "0.3");
    EXPECT_FALSE(table->isEnabled());
    EXPECT_EQ(table->item(0, 0)->background().color(), QColor(200, 240, 200));
    EXPECT_EQ(find<SequencePreview>("sequencePreview")->picture().line.size(), 7u);
    EXPECT_EQ(page->runner().start(*lists).kind, sequence::RefusalKind::Running);
    mw->close();
    EXPECT_TRUE(prompter.boxes.empty()) << "a remote client's run is not the window's to end";
    EXPECT_TRUE(page->runner().running());
    ASSERT_TRUE(runUntilIdle(3000));
    EXPECT_EQ(setCommands(), (std::vector<std::string>{"S032064", "S064064", "S096064"}));
    EXPECT_EQ(state(), "停止中");
    // The local table comes back as it was.
    ASSERT_EQ(table->rowCount(), 1);
    EXPECT_EQ(cell(0, 0), "9.00");
    EXPECT_EQ(table->item(0, 0)->background(), QBrush());
    EXPECT_TRUE(table->isEnabled());
}

TEST(SequencePreviewPicture, ShadesWhereThePowerGoesAboveTheSourcesLimit) {
    qtTestApp();
    PreviewPicture pic;
    // 1.5 W at both ends of the ramp, 2.7 W half way.
    pic.line = sequence::previewLine(
        {{2, 0.75, 1, sequence::Ramp::Step}, {10, 0.15, 10, sequence::Ramp::Linear}}, 0, 0);
    pic.capacityWatts = 1.5;
    QImage image(600, 300, QImage::Format_RGB32);
    QPainter painter(&image);
    renderPreview(painter, image.rect(), pic);
    painter.end();
    const history::PlotArea a = history::plotArea(600, 300);
    auto at = [&](double seconds) {
        return image.pixelColor(history::columnOf(a, 0, 11, seconds), a.top + 3);
    };
    EXPECT_EQ(at(0.5), QColor(Qt::white));
    const QColor shaded = at(6);
    EXPECT_GT(shaded.red(), shaded.green() + 20);
}

} // namespace
