#pragma once

#include "support/LocalTime.h"

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
#include <ctime>
#include <filesystem>
#include <sstream>
#include <string>
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
class CtlTest : public testing::Test {
protected:
    void SetUp() override {
        platform::setExecutableDirectoryForTest(dir.path());
        std::filesystem::create_directory(dir.file("ports"));
        MeasurementLog::resetLastCsvTimeForTest();
        ASSERT_TRUE(sim.start());
        ASSERT_TRUE(sim.linkAs(dir.file("ports/com3")));
    }
    void TearDown() override {
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
