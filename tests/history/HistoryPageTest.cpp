#include "HistoryTestSupport.h"

#include "history/HistoryStore.h"
#include "measurement/HistoryPage.h"
#include "measurement/HistoryPlot.h"
#include "measurement/MeasurementWindow.h"
#include "platform/Clock.h"
#include "resources/Texts.h"
#include "support/MainWindowFixture.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QImage>
#include <QLabel>
#include <QMenuBar>
#include <QMimeData>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QUrl>

#include <algorithm>
#include <filesystem>
#include <sys/stat.h>

namespace {

// The main window against the simulated supply with its output on into a load; the
// measurement window opened from its menu, as the operator opens it.
class HistoryPageTest : public MainWindowFixture {
protected:
    void SetUp() override {
        MainWindowFixture::SetUp();
        platform::setClockForTest([this] { return wallSeconds; });
        sim.setSourceLetter('A');
        sim.setLoadOhms(30.0);
        sim.setSetpoint(6.0, 0.5);
        sim.setOutput(true);
    }
    // Polls a second apart on both of the session's clocks.
    void polls(int n) {
        window->measurementSession().setMonotonicClockForTest(
            [this] { return wallSeconds * 1000; });
        for (int k = 0; k < n; ++k) {
            ++wallSeconds;
            tick();
        }
    }
    void openFromMenu() {
        for (QAction* menu : window->findChild<QMenuBar*>("menu")->actions())
            for (QAction* a : menu->menu()->actions())
                if (a->text() == QString::fromUtf8(texts::MenuMeasurement))
                    a->trigger();
        ASSERT_NE(window->historyPage(), nullptr);
        page = window->historyPage();
        window->measurementWindow()->pages()->setCurrentWidget(page);
        window->measurementWindow()->resize(900, 600);
        plot = page->plot();
        QApplication::processEvents();
    }
    template <typename T> T* child(const char* name) const {
        T* w = page->findChild<T*>(name);
        EXPECT_NE(w, nullptr) << name;
        return w;
    }
    void click(const char* name) const {
        QTest::mouseClick(child<QAbstractButton>(name), Qt::LeftButton);
    }
    QString label(const char* name) const { return child<QLabel>(name)->text(); }
    // A point of the plotting area at fractions of its width and height (from the top).
    QPoint at(double fx, double fy) const {
        const history::PlotArea a = plot->area();
        return QPoint(a.left + static_cast<int>(fx * a.width()),
                      a.top + static_cast<int>(fy * a.height()));
    }
    void wheel(QPoint pos, int notches, Qt::KeyboardModifiers mods = Qt::NoModifier) {
        QWheelEvent e(pos, plot->mapToGlobal(pos), QPoint(), QPoint(0, 120 * notches), Qt::NoButton,
                      mods, Qt::NoScrollPhase, false);
        QApplication::sendEvent(plot, &e);
    }
    void drag(QPoint from, QPoint to, Qt::MouseButton button = Qt::LeftButton,
              Qt::KeyboardModifiers mods = Qt::NoModifier) {
        QTest::mousePress(plot, button, mods, from);
        QTest::mouseMove(plot, (from + to) / 2);
        QTest::mouseMove(plot, to);
        QTest::mouseRelease(plot, button, mods, to);
    }
    std::string writeLog(const std::string& name, const std::string& text) {
        TempDir::write(dir.file(name), text);
        return dir.file(name);
    }

    ZoneForTest zone{"Europe/Berlin"};
    platform::Seconds wallSeconds = 1'800'000'000;
    HistoryPage* page = nullptr;
    HistoryPlot* plot = nullptr;
};

TEST_F(HistoryPageTest, RecordedBeforeTheWindowOpensWheelZoomLeavesLiveAndLiveComesBack) {
    openConnected();
    polls(20);
    EXPECT_EQ(window->measurementWindow(), nullptr);
    openFromMenu();
    EXPECT_EQ(plot->store(), &window->sessionHistory());
    EXPECT_GE(plot->store()->size(), 20u); // and any tick of the window's own timer
    plot->refresh();
    const double span = plot->view().span();
    wheel(at(0.5, 0.5), 2);
    EXPECT_EQ(plot->view().follow(), history::Follow::None);
    EXPECT_NEAR(plot->view().span(), span * 0.64, span * 0.01);
    const double end = plot->view().end();
    polls(3);
    EXPECT_DOUBLE_EQ(plot->view().end(), end);
    click("live");
    polls(1);
    EXPECT_EQ(plot->view().follow(), history::Follow::Live);
    EXPECT_DOUBLE_EQ(plot->view().end(), static_cast<double>(plot->store()->lastTime()));
}

TEST_F(HistoryPageTest, CtrlWheelZoomsTheValueAxesAndFitFitsThemAgain) {
    openConnected();
    polls(10);
    openFromMenu();
    plot->repaint();
    const auto before = plot->view().axes[0].range;
    wheel(at(0.5, 0.5), 1, Qt::ControlModifier);
    EXPECT_FALSE(plot->view().axes[0].automatic);
    EXPECT_LT(plot->view().axes[0].range.max - plot->view().axes[0].range.min,
              before.max - before.min);
    click("fit");
    EXPECT_TRUE(plot->view().axes[0].automatic);
    EXPECT_EQ(plot->view().follow(), history::Follow::All);
    EXPECT_DOUBLE_EQ(plot->view().start(), static_cast<double>(plot->store()->firstTime()));
}

TEST_F(HistoryPageTest, DragPansAndAShiftDragBoxZoomsToItsSpan) {
    openConnected();
    polls(30);
    openFromMenu();
    click("fit");
    const double span = plot->view().span();
    const double start = plot->view().start();
    drag(at(0.6, 0.5), at(0.4, 0.5));
    EXPECT_NEAR(plot->view().start(), start + 0.2 * span, span * 0.01);
    EXPECT_EQ(plot->view().follow(), history::Follow::None);

    const double from = plot->view().timeAt(0.25);
    const double to = plot->view().timeAt(0.5);
    drag(at(0.25, 0.2), at(0.5, 0.8), Qt::LeftButton, Qt::ShiftModifier);
    EXPECT_NEAR(plot->view().start(), from, span * 0.01);
    EXPECT_NEAR(plot->view().end(), to, span * 0.01);
    EXPECT_FALSE(plot->picture().box.has_value());
}

TEST_F(HistoryPageTest, CursorsShowTheirReadingsAndFiguresHoverShowsAReadingTracesHide) {
    openConnected();
    polls(20);
    openFromMenu();
    click("fit");
    EXPECT_TRUE(label("cursorA").isEmpty());
    QTest::mouseClick(child<QCheckBox>("showCursors"), Qt::LeftButton);
    EXPECT_TRUE(label("cursorA").startsWith("A: 2027/"));
    EXPECT_TRUE(label("cursorB").contains(" V"));
    EXPECT_TRUE(label("betweenCursors").contains("mAh"));
    // Cursor B dragged to the right edge: the span grows.
    const QString before = label("betweenCursors");
    const history::PlotArea a = plot->area();
    const int xB =
        history::columnOf(a, plot->view().start(), plot->view().end(), plot->picture().cursorMs[1]);
    drag(QPoint(xB, a.top + 20), at(0.99, 0.5));
    EXPECT_NEAR(plot->picture().cursorMs[1], plot->view().timeAt(0.99), plot->view().span() * 0.01);
    EXPECT_NE(label("betweenCursors"), before);
    // Hovering over a reading shows it.
    QTest::mouseMove(plot, at(0.5, 0.5));
    EXPECT_TRUE(label("hoverReadout").contains(" A"));
    QTest::mouseClick(child<QCheckBox>("showPower"), Qt::LeftButton);
    EXPECT_FALSE(plot->picture().visible[2]);
}

TEST_F(HistoryPageTest, OpenedLogIsShownWithItsDamagedLinesToldAndTheSessionComesBack) {
    open();
    openFromMenu();
    const std::string path =
        writeLog("run.csv", "26/12/07 07:14:54,12.00,0.500,CV,12.00,0.240\r\n"
                            "garbage\r\n"
                            "26/12/07 07:14:55,12.00,0.500,CV,12.00,0.241\r\n"
                            "26/12/07 07:14:50,12.00,0.500,CV,12.00,0.242\r\n");
    prompter.files.push_back(path);
    click("openLog");
    ASSERT_TRUE(page->showingFile());
    EXPECT_EQ(plot->store()->size(), 3u);
    ASSERT_EQ(prompter.boxes.size(), 1u);
    // A single damaged line and a single backward step are told in their singular forms.
    EXPECT_NE(prompter.boxes[0].text.find("読み込めない行が 1 行ありました(2 行目)"),
              std::string::npos);
    EXPECT_NE(prompter.boxes[0].text.find("時刻が戻った行が 1 行ありました(4 行目)"),
              std::string::npos);
    EXPECT_TRUE(label("historySource").contains(QString::fromStdString(path)));
    EXPECT_EQ(lastLog(), "履歴ファイル " + path + " を開きました");
    click("showSession");
    EXPECT_FALSE(page->showingFile());
    EXPECT_EQ(plot->store(), &window->sessionHistory());
}

struct RefusedCase {
    const char* name;
    std::string bytes; // none: the file does not exist
    const char* message;
};

class RefusedLog : public HistoryPageTest, public ::testing::WithParamInterface<RefusedCase> {};

TEST_P(RefusedLog, GetsAClearMessageAndTheShownHistoryStays) {
    open();
    openFromMenu();
    const std::string path = dir.file("bad.csv");
    if (!GetParam().bytes.empty() || std::string(GetParam().name) == "Empty")
        TempDir::write(path, GetParam().bytes);
    prompter.files.push_back(path);
    click("openLog");
    EXPECT_FALSE(page->showingFile());
    ASSERT_EQ(prompter.boxes.size(), 1u);
    char expected[512];
    std::snprintf(expected, sizeof expected, GetParam().message, path.c_str());
    EXPECT_EQ(prompter.boxes[0].text, expected);
    EXPECT_EQ(prompter.boxes[0].caption, "ERROR");
}

INSTANTIATE_TEST_SUITE_P(
    Files, RefusedLog,
    ::testing::Values(RefusedCase{"Missing", "", texts::HistoryFileOpenFailed},
                      RefusedCase{"Empty", "", texts::HistoryFileEmpty},
                      RefusedCase{"Binary", std::string("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16),
                                  texts::HistoryFileBinary},
                      RefusedCase{"NoReadings", "a,b,c\r\n", texts::HistoryFileNothingReadable}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(HistoryPageTest, FileDroppedOnTheWindowIsOpened) {
    open();
    openFromMenu();
    const std::string path =
        writeLog("drop.csv", "26/12/07 07:14:54,12.00,0.500,OFF,0.00,0.000\r\n");
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(QString::fromStdString(path))});
    MeasurementWindow* w = window->measurementWindow();
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(w, &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(w, &drop);
    EXPECT_TRUE(page->showingFile());
    EXPECT_EQ(plot->store()->size(), 1u);
}

struct ExportCase {
    const char* name;
    int downs; // presses of the down arrow on the form list
    const char* fileName;
    const char* begins;
};

class ExportShown : public HistoryPageTest, public ::testing::WithParamInterface<ExportCase> {};

TEST_P(ExportShown, WritesTheVisibleRangeInTheChosenForm) {
    openConnected();
    polls(8);
    openFromMenu();
    click("fit");
    QComboBox* form = child<QComboBox>("exportForm");
    form->setFocus();
    for (int k = 0; k < GetParam().downs; ++k)
        QTest::keyClick(form, Qt::Key_Down);
    const std::string path = dir.file(GetParam().fileName);
    prompter.files.push_back(path);
    click("export");
    const std::string bytes = TempDir::read(path);
    ASSERT_FALSE(bytes.empty());
    EXPECT_EQ(bytes.find(GetParam().begins), 0u) << bytes.substr(0, 80);
    EXPECT_TRUE(prompter.boxes.empty());
    EXPECT_EQ(lastLog(), "履歴を " + path + " に書き出しました");
}

INSTANTIATE_TEST_SUITE_P(Forms, ExportShown,
                         ::testing::Values(ExportCase{"MeasurementLogCsv", 0, "h.csv", "27/01/15 "},
                                           ExportCase{"IsoCsv", 1, "h.csv", "time,voltage_V"},
                                           ExportCase{"Png", 2, "h.png", "\x89PNG"},
                                           ExportCase{"Svg", 3, "h.svg", "<?xml"}),
                         [](const auto& info) { return std::string(info.param.name); });

// What the export meets at the chosen name, and what the operator answers if asked.
enum class Target { Missing, File, LinkToFile, Fifo, Folder, InMissingFolder };
struct ExportTargetCase {
    const char* name;
    Target target;
    platform::PromptAnswer answer;
    bool asked;    // the operator was asked whether to replace the file
    bool replaced; // the file (a link's target) holds the export afterwards
};

class ExportTarget : public HistoryPageTest,
                     public ::testing::WithParamInterface<ExportTargetCase> {};

TEST_P(ExportTarget, NeverDestroysWhatTheNameHoldsAndNeverReportsAFailureAsDone) {
    const ExportTargetCase& c = GetParam();
    namespace fs = std::filesystem;
    const std::string path =
        c.target == Target::InMissingFolder ? dir.file("no/h.csv") : dir.file("h.csv");
    const std::string real = dir.file("real.csv");
    const std::string old = "26/01/01 00:00:00,1.00,0.100,OFF,0.00,0.000\r\n";
    if (c.target == Target::File)
        TempDir::write(path, old);
    if (c.target == Target::LinkToFile) {
        TempDir::write(real, old);
        fs::permissions(real,
                        fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
        fs::create_symlink(real, path);
    }
    if (c.target == Target::Fifo)
        ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0);
    if (c.target == Target::Folder)
        fs::create_directory(path);

    openConnected();
    polls(8);
    openFromMenu();
    QComboBox* form = child<QComboBox>("exportForm");
    form->setFocus();
    QTest::keyClick(form, Qt::Key_Down); // the ISO form
    prompter.files.push_back(path);
    prompter.answers.push_back(c.answer);
    const auto entries = [this] {
        std::vector<std::string> names;
        for (const auto& e : std::filesystem::directory_iterator(dir.path()))
            names.push_back(e.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    };
    const std::vector<std::string> before = entries();
    click("export");

    const bool question =
        !prompter.boxes.empty() && prompter.boxes[0].buttons == platform::PromptButtons::YesNo;
    EXPECT_EQ(question, c.asked);
    const std::string file = c.target == Target::LinkToFile ? real : path;
    if (c.replaced) {
        EXPECT_EQ(TempDir::read(file).substr(0, 5), "time,");
        EXPECT_EQ(lastLog(), "履歴を " + path + " に書き出しました");
    } else {
        EXPECT_NE(lastLog(), "履歴を " + path + " に書き出しました");
    }
    switch (c.target) {
    case Target::File:
        if (!c.replaced)
            EXPECT_EQ(TempDir::read(path), old);
        break;
    case Target::LinkToFile:
        EXPECT_TRUE(fs::is_symlink(path));
        EXPECT_EQ(fs::status(real).permissions() & fs::perms::all,
                  fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
        break;
    case Target::Fifo:
    case Target::Folder:
        EXPECT_EQ(fs::status(path).type(),
                  c.target == Target::Fifo ? fs::file_type::fifo : fs::file_type::directory);
        EXPECT_EQ(lastLog(),
                  path + " には書き込めません(通常のファイルではないか、読み取り専用です)");
        EXPECT_EQ(entries(), before) << "nothing was left beside it";
        break;
    case Target::InMissingFolder:
        EXPECT_EQ(lastLog(), "履歴を " + path + " に書き出せません");
        ASSERT_EQ(prompter.boxes.size(), 1u);
        EXPECT_EQ(prompter.boxes[0].icon, platform::PromptIcon::Stop);
        break;
    case Target::Missing:
        break;
    }
}

using platform::PromptAnswer;
INSTANTIATE_TEST_SUITE_P(
    Targets, ExportTarget,
    ::testing::Values(ExportTargetCase{"NewFileIsWrittenWithoutAQuestion", Target::Missing,
                                       PromptAnswer::Ok, false, true},
                      ExportTargetCase{"ExistingFileStaysWhenTheOperatorSaysNo", Target::File,
                                       PromptAnswer::No, true, false},
                      ExportTargetCase{"ExistingFileIsReplacedWhenTheOperatorSaysYes", Target::File,
                                       PromptAnswer::Yes, true, true},
                      ExportTargetCase{"LinkStaysALinkAndItsTargetIsReplacedKeepingItsMode",
                                       Target::LinkToFile, PromptAnswer::Yes, true, true},
                      ExportTargetCase{"FifoIsRefusedBeforeAnythingIsWritten", Target::Fifo,
                                       PromptAnswer::Yes, false, false},
                      ExportTargetCase{"FolderIsRefusedBeforeAnythingIsWritten", Target::Folder,
                                       PromptAnswer::Yes, false, false},
                      ExportTargetCase{"FailedWriteIsLoggedAndToldNotReportedAsDone",
                                       Target::InMissingFolder, PromptAnswer::Yes, false, false}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
