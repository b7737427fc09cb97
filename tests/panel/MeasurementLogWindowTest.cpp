#include "logs/ui/LogFileDialog.h"
#include "logs/MeasurementLog.h"
#include "platform/Clock.h"
#include "platform/qt/ControlIds.h"
#include "support/MainWindowFixture.h"
#include "support/QtTestApp.h"

#include <QCheckBox>
#include <QComboBox>

namespace {

using Id = MainDialog::ControlId;

// The CSV log driven through button 7, with the chooser answered by the test and the clock
// set by it.
class CsvLogWindow : public MainWindowFixture {
protected:
    void SetUp() override {
        MainWindowFixture::SetUp();
        MeasurementLog::resetLastCsvTimeForTest();
        platform::setClockForTest([this] { return now; });
        setLogFileChooserForTest([this](QWidget*, int interval, bool append) {
            offered.push_back({"", interval, append});
            return answer;
        });
    }
    void TearDown() override {
        setLogFileChooserForTest({});
        MainWindowFixture::TearDown();
    }
    void start(const std::string& file, int interval = 1, bool append = false) {
        answer = LogFileChoice{file, interval, append};
        click(Id::IdLogButton);
    }
    // One poll every half second of the test's clock.
    void poll(int ticks) {
        for (int i = 0; i < ticks; ++i) {
            tick();
            if (i % 2 == 1)
                ++now;
        }
    }
    size_t lineCount(const std::string& file) const {
        std::string all = TempDir::read(file);
        size_t n = 0;
        for (size_t at = all.find("\r\n"); at != std::string::npos; at = all.find("\r\n", at + 2))
            ++n;
        return n;
    }

    platform::Seconds now = 1800000000;
    std::optional<LogFileChoice> answer;
    std::vector<LogFileChoice> offered;
    std::string csv = dir.file("m.csv");
};

TEST_F(CsvLogWindow, StartWritesAtTheFirstPollAndStopLogsIt) {
    openConnected();
    start(csv);
    EXPECT_EQ(lastLog(), "ログを開始しました");
    EXPECT_EQ(text(Id::IdLogButton), "停止");
    tick();
    EXPECT_EQ(lineCount(csv), 1u);
    poll(10);
    EXPECT_EQ(lineCount(csv), 5u);
    click(Id::IdLogButton);
    EXPECT_EQ(lastLog(), "ログを停止しました");
    EXPECT_EQ(text(Id::IdLogButton), "開始");
    poll(4);
    EXPECT_EQ(lineCount(csv), 5u);
}

TEST_F(CsvLogWindow, AppendOffEmptiesAnExistingFileAndAppendOnContinuesIt) {
    TempDir::write(csv, "keep\r\n");
    openConnected();
    start(csv, 1, true);
    tick();
    EXPECT_EQ(TempDir::read(csv).substr(0, 6), "keep\r\n");
    click(Id::IdLogButton);
    start(csv, 1, false);
    EXPECT_EQ(TempDir::read(csv), "");
}

TEST_F(CsvLogWindow, DisconnectingClosesTheLogSilently) {
    openConnected();
    start(csv);
    tick();
    click(Id::IdConnectButton);
    const auto logged = logMessages().size();
    tick();
    EXPECT_FALSE(window->measurementLogRunning());
    EXPECT_EQ(text(Id::IdLogButton), "開始");
    EXPECT_FALSE(enabled(Id::IdLogButton));
    EXPECT_EQ(logMessages().size(), logged);
}

TEST_F(CsvLogWindow, LostDeviceKeepsEveryLineWrittenBefore) {
    openConnected();
    start(csv);
    poll(8);
    const std::string before = TempDir::read(csv);
    sim.unplug();
    tick();
    tick();
    EXPECT_FALSE(window->measurementLogRunning());
    EXPECT_EQ(TempDir::read(csv), before);
    EXPECT_EQ(lineCount(csv), 4u);
}

TEST_F(CsvLogWindow, ChooserShowsTheLastConfirmedChoicesAndCancelKeepsThem) {
    openConnected();
    start(csv, 600, true);
    click(Id::IdLogButton); // stop
    answer.reset();
    click(Id::IdLogButton); // cancelled
    EXPECT_EQ(offered.back().interval, 600);
    EXPECT_TRUE(offered.back().append);
    EXPECT_EQ(text(Id::IdLogButton), "開始");
    click(Id::IdLogButton);
    EXPECT_EQ(offered.back().interval, 600);
}

TEST_F(CsvLogWindow, UnopenableFileIsLoggedAndNoLogRuns) {
    openConnected();
    start(dir.file("no/such/folder.csv"));
    EXPECT_EQ(lastLog(), "ログファイルをオープンできません");
    EXPECT_EQ(text(Id::IdLogButton), "開始");
}

TEST_F(CsvLogWindow, FullDiskEndsTheLogWithItsMessage) {
    openConnected();
    start("/dev/full");
    tick();
    EXPECT_EQ(lastLog(), "ログファイルに書き込めません");
    EXPECT_EQ(text(Id::IdLogButton), "開始");
    EXPECT_FALSE(window->measurementLogRunning());
}

TEST_F(CsvLogWindow, LinesCarryTheCorrectedCurrentAndTheOutputState) {
    sim.setReplyFilter([](const std::string& c, const std::string& normal) {
        return std::optional<std::string>(c == "M" ? "ANC186064\r\n" : normal);
    });
    openConnected({"OffsetAtt=1"});
    start(csv);
    tick();
    const std::string line = TempDir::read(csv);
    EXPECT_NE(line.find(",CC,7.80,0.099\r\n"), std::string::npos) << line;
}

TEST_F(CsvLogWindow, DeviceLostWhileTheChooserIsOpenTouchesNoFileAndStartsNoLog) {
    TempDir::write(csv, "kept\r\n");
    openConnected();
    tick();
    setLogFileChooserForTest([this](QWidget*, int, bool) {
        // Unplugged while the chooser is open: the poll under it finds the device gone.
        sim.unplug();
        tick();
        tick();
        return std::optional<LogFileChoice>(LogFileChoice{csv, 1, false});
    });
    click(Id::IdLogButton);
    EXPECT_EQ(TempDir::read(csv), "kept\r\n");
    EXPECT_EQ(lastLog(), "デバイスが接続されていないためログを開始できません");
    for (const auto& line : logMessages())
        EXPECT_NE(line, "ログを開始しました");
    EXPECT_FALSE(window->measurementLogRunning());
    EXPECT_EQ(text(Id::IdLogButton), "開始");
    EXPECT_FALSE(enabled(Id::IdLogButton));
    ASSERT_EQ(prompter.boxes.size(), 1u);
    EXPECT_EQ(prompter.boxes[0].text, "デバイスと切断されました");
}

TEST(LogFileDialogControls, IntervalAndAppendComeBackWhenTheDialogEnds) {
    qtTestApp();
    LogFileDialog dialog;
    dialog.interval = 600;
    dialog.append = 1;
    dialog.show();
    auto* list = platform::controlById<QComboBox>(&dialog, LogFileDialog::IdInterval);
    auto* box = platform::controlById<QCheckBox>(&dialog, LogFileDialog::IdAppend);
    ASSERT_TRUE(list && box);
    ASSERT_EQ(list->count(), 5);
    EXPECT_EQ(list->itemText(4).toStdString(), "1時間");
    EXPECT_EQ(list->currentIndex(), 3);
    EXPECT_TRUE(box->isChecked());
    list->setCurrentIndex(4);
    box->setChecked(false);
    dialog.reject();
    EXPECT_EQ(dialog.interval, 3600);
    EXPECT_EQ(dialog.append, 0);
    EXPECT_EQ(LogFileDialog::itemForSeconds(7), 0);
    EXPECT_TRUE(dialog.testOption(QFileDialog::DontConfirmOverwrite));
}

} // namespace
