#include "logs/SystemLog.h"
#include "logs/ui/LogPane.h"

#include "config/Settings.h"
#include "platform/Clock.h"
#include "platform/Cp932.h"
#include "platform/Paths.h"
#include "resources/Texts.h"
#include "support/TempDir.h"

#include <QApplication>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTextBlock>

#include "support/LocalTime.h"
#include "support/QtTestApp.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <ctime>
#include <filesystem>
#include <sys/stat.h>

namespace {

class SystemLogTest : public ::testing::Test {
protected:
    TempDir dir;
    LogPane pane;

    SystemLogTest() : pane((qtTestApp(), nullptr)) {}

    void SetUp() override {
        platform::setExecutableDirectoryForTest(dir.path());
        pane.setReadOnly(true);
    }
    void TearDown() override {
        platform::setClockForTest({});
        platform::setExecutableDirectoryForTest("");
    }
    void at(platform::Seconds t) {
        platform::setClockForTest([t] { return t; });
    }
    void settingsFile(const std::string& lines) {
        TempDir::write(dir.file("Quorel.ini"), "[QUOREL]\r\n" + lines);
    }
    std::string paneText() const { return pane.toPlainText().toStdString(); }
};

TEST_F(SystemLogTest, PaneAndFileStampsComeFromOneClockReading) {
    settingsFile("UseSysLogFile=1\r\n");
    Settings settings;
    SystemLog log(settings, &pane);
    int readings = 0;
    platform::Seconds t = localSeconds(2007, 8, 5, 23, 59, 59);
    // A second reading would fall on the next day.
    platform::setClockForTest([&] { return t + readings++; });
    log.append(texts::LogStarted);
    EXPECT_EQ(readings, 1);
    EXPECT_EQ(paneText(), "[23:59:59] 制御ソフト起動しました\n");
    EXPECT_EQ(TempDir::read(dir.file("system.log")),
              platform::utf8ToCp932("[07/08/05 23:59:59] 制御ソフト起動しました") + "\r\n");
}

TEST_F(SystemLogTest, FileLinesAreCp932WithCrLfAndTwoDigitYears) {
    settingsFile("UseSysLogFile=1\r\nSysLogFileName=bench.log\r\n");
    Settings settings;
    SystemLog log(settings, &pane);
    at(localSeconds(2010, 1, 2, 9, 5, 7));
    log.append(texts::LogSourceAdapterIdle);
    char setpoint[128];
    std::snprintf(setpoint, sizeof setpoint, texts::LogSetpointSent, 5.0, 0.5);
    log.append(setpoint);
    // アダプタ接続　未給電中: the ideographic space is 0x81 0x40.
    EXPECT_EQ(TempDir::read(dir.file("bench.log")),
              "[10/01/02 09:05:07] "
              "\x83\x41\x83\x5F\x83\x76\x83\x5E\x90\xDA\x91\xB1\x81\x40\x96\xA2\x8B\x8B\x93\x64"
              "\x92\x86\r\n"
              "[10/01/02 09:05:07] \x8F\x6F\x97\xCD\x82\xF0 5.00V/0.500A "
              "\x82\xC9\x83\x5A\x83\x62\x83\x67\x82\xB5\x82\xDC\x82\xB5\x82\xBD\r\n");
    EXPECT_EQ(paneText(), "[09:05:07] アダプタ接続　未給電中\n"
                          "[09:05:07] 出力を 5.00V/0.500A にセットしました\n");
}

TEST_F(SystemLogTest, NothingIsWrittenWhileTheFileIsSwitchedOff) {
    Settings settings;
    SystemLog log(settings, &pane);
    at(localSeconds(2026, 3, 4, 10, 0, 0));
    log.append(texts::LogStarted);
    EXPECT_FALSE(TempDir::exists(dir.file("system.log")));
    EXPECT_EQ(paneText(), "[10:00:00] 制御ソフト起動しました\n");

    // Switched on in the settings: the next message, and only that, goes to the file too.
    settings.setUseSysLogFile(true);
    log.append(texts::LogDisconnected);
    EXPECT_EQ(TempDir::read(dir.file("system.log")),
              platform::utf8ToCp932("[26/03/04 10:00:00] デバイスを切断しました") + "\r\n");
}

TEST_F(SystemLogTest, FileIsAppendedToAndFollowsTheLiveFileName) {
    TempDir::write(dir.file("system.log"), "earlier line\r\n");
    settingsFile("UseSysLogFile=1\r\n");
    Settings settings;
    SystemLog log(settings, &pane);
    at(localSeconds(2026, 3, 4, 10, 0, 0));
    log.append("a");
    settings.setSysLogFileName("second.log");
    log.append("b");
    EXPECT_EQ(TempDir::read(dir.file("system.log")), "earlier line\r\n[26/03/04 10:00:00] a\r\n");
    EXPECT_EQ(TempDir::read(dir.file("second.log")), "[26/03/04 10:00:00] b\r\n");
}

TEST_F(SystemLogTest, RelativeNameLiesBesideTheExecutableWhateverTheCurrentFolder) {
    settingsFile("UseSysLogFile=1\r\n");
    Settings settings;
    SystemLog log(settings, &pane);
    TempDir elsewhere;
    platform::changeCurrentDirectory(elsewhere.path());
    log.append("x");
    EXPECT_TRUE(TempDir::exists(dir.file("system.log")));
    EXPECT_FALSE(TempDir::exists(elsewhere.file("system.log")));
    platform::changeCurrentDirectory(dir.path());
}

TEST_F(SystemLogTest, UnopenableFileLeavesThePaneWorkingAndReportsNothing) {
    std::filesystem::create_directory(dir.file("adir"));
    for (const char* name : {"missing/folder/x.log", "adir", ""}) {
        settingsFile(std::string("UseSysLogFile=1\r\nSysLogFileName=") + name + "\r\n");
        Settings settings;
        SystemLog log(settings, &pane);
        pane.clear();
        at(localSeconds(2026, 3, 4, 10, 0, 0));
        log.append("one");
        log.append("two");
        EXPECT_EQ(paneText(), "[10:00:00] one\n[10:00:00] two\n") << name;
    }
    EXPECT_FALSE(TempDir::exists(dir.file("missing")));
    EXPECT_TRUE(std::filesystem::is_empty(dir.file("adir")));
}

TEST_F(SystemLogTest, FifoAsLogFileDoesNotBlock) {
    ASSERT_EQ(::mkfifo(dir.file("fifo.log").c_str(), 0644), 0);
    settingsFile("UseSysLogFile=1\r\nSysLogFileName=fifo.log\r\n");
    Settings settings;
    SystemLog log(settings, &pane);
    log.append("still here");
    EXPECT_NE(paneText().find("still here"), std::string::npos);
}

TEST_F(SystemLogTest, NewestLineIsAtTheEndAndInView) {
    Settings settings;
    SystemLog log(settings, &pane);
    at(localSeconds(2026, 3, 4, 0, 0, 0));
    pane.resize(200, 60);
    pane.show();
    for (int i = 0; i < 50; ++i)
        log.append("line " + std::to_string(i));
    EXPECT_TRUE(pane.textCursor().atEnd());
    ASSERT_GT(pane.verticalScrollBar()->maximum(), 0) << "the lines must not all fit";
    QTextCursor newest(pane.document()->findBlockByNumber(49));
    EXPECT_EQ(newest.block().text().toStdString(), "[00:00:00] line 49");
    EXPECT_TRUE(pane.viewport()->rect().contains(pane.cursorRect(newest)));
    EXPECT_EQ(pane.document()->blockCount(), 51); // 50 lines and the empty one after the last
    EXPECT_FALSE(pane.document()->isUndoAvailable());
}

} // namespace
