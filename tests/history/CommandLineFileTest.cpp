// The real panel program started as "quorel FILE.csv": it opens the measurement window on
// the file's history, which its system log tells.
#include "platform/Clock.h"
#include "platform/Cp932.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <spawn.h>
#include <sys/wait.h>

extern char** environ;

namespace {

TEST(PanelCommandLine, LogFileNamedAtStartIsOpenedInTheMeasurementWindow) {
    TempDir dir;
    const std::string program = dir.file("quorel");
    std::filesystem::copy_file(QUOREL_PANEL_PATH, program);
    TempDir::write(dir.file("Quorel.ini"), "[QUOREL]\r\nUseSysLogFile=1\r\n");
    const std::string log = dir.file("run.csv");
    TempDir::write(log, "26/12/07 07:14:54,12.00,0.500,CV,12.00,0.240\r\n"
                        "26/12/07 07:14:55,12.00,0.500,CV,12.00,0.241\r\n");

    std::vector<std::string> args = {program, log};
    std::vector<char*> argv;
    for (auto& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    pid_t pid = -1;
    ASSERT_EQ(posix_spawn(&pid, program.c_str(), nullptr, nullptr, argv.data(), environ), 0);

    const std::string expected = "履歴ファイル " + log + " を開きました";
    std::string systemLog;
    const auto end = platform::monotonicMs() + 30000;
    while (platform::monotonicMs() < end && systemLog.find(expected) == std::string::npos) {
        platform::sleepMs(50);
        systemLog = platform::cp932ToUtf8(TempDir::read(dir.file("system.log")));
    }
    ::kill(pid, SIGKILL);
    ::waitpid(pid, nullptr, 0);
    EXPECT_NE(systemLog.find("制御ソフト起動しました"), std::string::npos);
    EXPECT_NE(systemLog.find(expected), std::string::npos) << systemLog;
}

} // namespace
