#include "logs/MeasurementLog.h"
#include "support/LocalTime.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <csignal>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

class MeasurementLogTest : public ::testing::Test {
protected:
    void SetUp() override { MeasurementLog::resetLastCsvTimeForTest(); }

    std::vector<std::string> lines() const {
        std::vector<std::string> out;
        std::string all = TempDir::read(path);
        size_t at = 0;
        while (at < all.size()) {
            size_t end = all.find("\r\n", at);
            if (end == std::string::npos) {
                out.push_back(all.substr(at) + "<unterminated>");
                break;
            }
            out.push_back(all.substr(at, end - at));
            at = end + 2;
        }
        return out;
    }

    TempDir dir;
    std::string path = dir.file("log.csv");
    MeasurementLog log;
    MeasurementReading reading{5.0, 0.5, 4.99, 0.123, 0, 1};
    const platform::Seconds t0 = localSeconds(2026, 3, 4, 5, 6, 7);
};

TEST_F(MeasurementLogTest, LineHasSixFieldsWithTwoDigitYearAndCrLf) {
    ASSERT_TRUE(log.open(path, false, 1));
    EXPECT_EQ(log.write(t0, reading), MeasurementLog::WriteResult::Written);
    EXPECT_EQ(TempDir::read(path), "26/03/04 05:06:07,5.00,0.500,CV,4.99,0.123\r\n");
}

TEST_F(MeasurementLogTest, StateTextIsOffWhateverTheRegulationFlag) {
    EXPECT_STREQ(MeasurementLog::stateText(0, 1), "OFF");
    EXPECT_STREQ(MeasurementLog::stateText(0, 0), "OFF");
    EXPECT_STREQ(MeasurementLog::stateText(1, 1), "CC");
    EXPECT_STREQ(MeasurementLog::stateText(1, 0), "CV");
}

TEST_F(MeasurementLogTest, RejectedSetpointsAreWrittenAsHeld) {
    reading.voltageSetpoint = -1.0;
    reading.currentSetpoint = -1.0;
    auto line = MeasurementLog::formatLine(platform::toLocalTime(t0), reading);
    EXPECT_NE(line.find(",-1.00,-1.000,"), std::string::npos) << line;
}

TEST_F(MeasurementLogTest, TenSecondLinesAreNeverCloserThanTheInterval) {
    ASSERT_TRUE(log.open(path, false, 10));
    int written = 0;
    for (int half = 0; half < 120; ++half) // a minute of polls every half second
        written += log.write(t0 + half / 2, reading) == MeasurementLog::WriteResult::Written;
    EXPECT_EQ(written, 6);
    auto l = lines();
    ASSERT_EQ(l.size(), 6u);
    EXPECT_EQ(l[0].substr(0, 17), "26/03/04 05:06:07");
    EXPECT_EQ(l[1].substr(0, 17), "26/03/04 05:06:17");
    EXPECT_EQ(l[5].substr(0, 17), "26/03/04 05:06:57");
}

TEST_F(MeasurementLogTest, HourIntervalCarriesOverAStopAndRestart) {
    ASSERT_TRUE(log.open(path, false, 3600));
    EXPECT_EQ(log.write(t0, reading), MeasurementLog::WriteResult::Written);
    log.close();
    const std::string second = dir.file("second.csv");
    ASSERT_TRUE(log.open(second, false, 3600));
    EXPECT_EQ(log.write(t0 + 600, reading), MeasurementLog::WriteResult::NotDue);
    EXPECT_EQ(log.write(t0 + 3599, reading), MeasurementLog::WriteResult::NotDue);
    EXPECT_EQ(log.write(t0 + 3600, reading), MeasurementLog::WriteResult::Written);
    EXPECT_EQ(MeasurementLog::lastCsvTime(), t0 + 3600);
}

TEST_F(MeasurementLogTest, ClockSetBackWritesNothingUntilItCatchesUp) {
    ASSERT_TRUE(log.open(path, false, 1));
    EXPECT_EQ(log.write(t0, reading), MeasurementLog::WriteResult::Written);
    EXPECT_EQ(log.write(t0 - 3600, reading), MeasurementLog::WriteResult::NotDue);
    EXPECT_EQ(log.write(t0, reading), MeasurementLog::WriteResult::NotDue);
    EXPECT_EQ(log.write(t0 + 1, reading), MeasurementLog::WriteResult::Written);
    EXPECT_EQ(lines().size(), 2u);
}

TEST_F(MeasurementLogTest, AppendContinuesAndOverwriteEmpties) {
    TempDir::write(path, "old line\r\n");
    ASSERT_TRUE(log.open(path, true, 1));
    log.write(t0, reading);
    log.close();
    EXPECT_EQ(lines().size(), 2u);
    EXPECT_EQ(lines()[0], "old line");
    ASSERT_TRUE(log.open(path, false, 1));
    log.close();
    EXPECT_EQ(TempDir::read(path), "");
}

TEST_F(MeasurementLogTest, FoldersPipesAndMissingFoldersAreRefusedAtOnce) {
    EXPECT_FALSE(log.open(dir.path(), false, 1));
    EXPECT_FALSE(log.open(dir.file("missing/log.csv"), false, 1));
    EXPECT_FALSE(log.open("", false, 1));
    const std::string fifo = dir.file("pipe");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_FALSE(log.open(fifo, true, 1)); // would block forever waiting for a reader
    EXPECT_FALSE(log.running());
}

TEST_F(MeasurementLogTest, FullDiskEndsTheLogAndReportsIt) {
    ASSERT_TRUE(log.open("/dev/full", true, 1));
    EXPECT_EQ(log.write(t0, reading), MeasurementLog::WriteResult::Failed);
    EXPECT_FALSE(log.running());
    EXPECT_EQ(log.write(t0 + 5, reading), MeasurementLog::WriteResult::NotRunning);
}

TEST_F(MeasurementLogTest, KilledProgramLeavesEveryWrittenLineComplete) {
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        MeasurementLog childLog;
        if (!childLog.open(path, false, 1))
            _exit(2);
        for (int i = 0; i < 50; ++i)
            childLog.write(t0 + i, reading);
        raise(SIGKILL);
        _exit(3);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFSIGNALED(status));
    auto l = lines();
    ASSERT_EQ(l.size(), 50u);
    for (const auto& line : l)
        EXPECT_EQ(line.size(), std::string("26/03/04 05:06:07,5.00,0.500,CV,4.99,0.123").size());
}

} // namespace
