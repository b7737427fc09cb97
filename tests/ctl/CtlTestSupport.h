#pragma once

#include "support/LocalTime.h"

#include "ctl/Commands.h"
#include "ctl/Quorelctl.h"
#include "device/SupplyDevice.h"
#include "firmware/BootLoader.h"
#include "logs/MeasurementLog.h"
#include "platform/Clock.h"
#include "platform/Cp932.h"
#include "platform/Paths.h"
#include "simulator/SimulatedSupply.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <atomic>
#include <csignal>
#include <ctime>
#include <fcntl.h>
#include <filesystem>
#include <grp.h>
#include <sstream>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

// What one call of quorelctl gave.
struct CtlRun {
    int code = -1;
    std::string out;
    std::string err;
};

inline CtlRun runCtl(const std::vector<std::string>& args) {
    std::ostringstream out, err;
    CtlRun r;
    r.code = runQuorelctl(args, out, err);
    r.out = out.str();
    r.err = err.str();
    return r;
}

// The executable's folder is a fresh one with the simulated supply linked as ports/com3.
// run and charge look for a device lost during their run for a moment, not a minute.
class CtlTest : public testing::Test {
protected:
    void SetUp() override {
        platform::setExecutableDirectoryForTest(dir.path());
        ctl::setLookForLostDeviceForTest({300, 100});
        std::filesystem::create_directory(dir.file("ports"));
        MeasurementLog::resetLastCsvTimeForTest();
        ASSERT_TRUE(sim.start());
        ASSERT_TRUE(sim.linkAs(dir.file("ports/com3")));
    }
    void TearDown() override {
        ctl::setLookForLostDeviceForTest({});
        platform::setClockForTest({});
        platform::setSleepForTest({});
        SupplyDevice::disconnect();
        BootLoader::disconnect();
    }

    // Quorel.ini beside the "executable", as the settings dialog writes it.
    void writeIni(const std::string& keys) {
        TempDir::write(dir.file("Quorel.ini"), "[QUOREL]\r\n" + keys);
    }
    // A clock that starts at the given local time and goes on by `step` seconds at each
    // reading.
    void setSteppingClock(int year, int month, int day, int hour, int minute, int second,
                          int step) {
        const platform::Seconds base = localSeconds(year, month, day, hour, minute, second);
        auto calls = std::make_shared<std::atomic<int>>(0);
        platform::setClockForTest(
            [=] { return base + step * platform::Seconds(calls->fetch_add(1)); });
    }
    std::string systemLog() { return platform::cp932ToUtf8(TempDir::read(dir.file("system.log"))); }

    TempDir dir;
    sim::SimulatedSupply sim;
};

// The real quorelctl program as a child process.
struct Child {
    pid_t pid = -1;

    // Runs a copy of quorelctl from the folder with the arguments, so that no settings of
    // the build folder apply; its output and messages go to files in that folder.
    // With `asNobody` it runs as the "nobody" user without groups, as a user whom the
    // system's permissions stop (the tests themselves run as root). With `outFd` its
    // standard output is that descriptor instead (a pipe, /dev/full).
    Child(const TempDir& dir, const std::vector<std::string>& args, bool asNobody = false,
          int outFd = -1) {
        const std::string program = dir.file("quorelctl");
        std::filesystem::copy_file(QUORELCTL_PATH, program,
                                   std::filesystem::copy_options::overwrite_existing);
        const std::string outFile = dir.file("out");
        const std::string errFile = dir.file("err");
        std::vector<std::string> all = {program};
        all.insert(all.end(), args.begin(), args.end());
        pid = ::fork();
        if (pid == 0) {
            int out =
                outFd >= 0 ? outFd : ::open(outFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            int err = ::open(errFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            ::dup2(out, 1);
            ::dup2(err, 2);
            if (asNobody &&
                (::setgroups(0, nullptr) != 0 || ::setgid(65534) != 0 || ::setuid(65534) != 0))
                ::_exit(126);
            std::vector<char*> argv;
            for (auto& a : all)
                argv.push_back(a.data());
            argv.push_back(nullptr);
            ::execv(argv[0], argv.data());
            ::_exit(127);
        }
    }
    // The exit status, or -1 when the child had to be killed after the time allowed.
    int wait(int timeoutMs) {
        const auto end = platform::monotonicMs() + timeoutMs;
        int status = 0;
        while (platform::monotonicMs() < end) {
            if (::waitpid(pid, &status, WNOHANG) == pid) {
                pid = -1;
                return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
            }
            platform::sleepMs(20);
        }
        return -1;
    }
    ~Child() {
        if (pid > 0) {
            ::kill(pid, SIGKILL);
            ::waitpid(pid, nullptr, 0);
        }
    }
};
