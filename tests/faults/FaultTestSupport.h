#pragma once

#include "logs/ui/LogFileDialog.h"
#include "logs/MeasurementLog.h"
#include "platform/Clock.h"
#include "support/MainWindowFixture.h"

#include <cstdint>
#include <cstdio>
#include <optional>
#include <regex>
#include <string>
#include <vector>

// The main window against the simulated supply with the clock held by the test and the CSV
// chooser answered with a file in the test's folder.
class WindowWithCsv : public MainWindowFixture {
protected:
    void SetUp() override {
        MainWindowFixture::SetUp();
        MeasurementLog::resetLastCsvTimeForTest();
        platform::setClockForTest([this] { return now; });
        setLogFileChooserForTest([this](QWidget*, int, bool) {
            return std::optional<LogFileChoice>(LogFileChoice{csv, 1, false});
        });
    }
    void TearDown() override {
        setLogFileChooserForTest({});
        MainWindowFixture::TearDown();
    }

    // One tick, the clock moving on a second every other tick as the 500 ms timer would.
    void poll(int ticks) {
        for (int i = 0; i < ticks; ++i) {
            tick();
            if (++halfSeconds % 2 == 0)
                ++now;
        }
    }

    template <typename F> static std::int64_t timedMs(F&& f) {
        const std::int64_t t0 = platform::monotonicMs();
        f();
        return platform::monotonicMs() - t0;
    }

    int boxCount(const std::string& text) const {
        int n = 0;
        for (const auto& b : prompter.boxes)
            n += b.text == text;
        return n;
    }
    int logCount(const std::string& text) const {
        int n = 0;
        for (const auto& m : logMessages())
            n += m == text;
        return n;
    }

    platform::Seconds now = 1800000000;
    long halfSeconds = 0;
    std::string csv = dir.file("m.csv");
};

// The lines of a CSV log, each without its CR LF; `complete` turns false when a line lacks
// the CR LF or the six fields of a measurement line.
inline std::vector<std::string> csvLines(const std::string& content, bool* complete) {
    static const std::regex shape(R"(\d\d/\d\d/\d\d \d\d:\d\d:\d\d,-?\d+\.\d\d,-?\d+\.\d\d\d,)"
                                  R"((OFF|CV|CC),-?\d+\.\d\d,-?\d+\.\d\d\d)");
    std::vector<std::string> lines;
    *complete = true;
    std::size_t at = 0;
    while (at < content.size()) {
        std::size_t end = content.find("\r\n", at);
        if (end == std::string::npos) {
            *complete = false;
            break;
        }
        lines.push_back(content.substr(at, end - at));
        if (!std::regex_match(lines.back(), shape))
            *complete = false;
        at = end + 2;
    }
    return lines;
}

// Resident memory of this process in kilobytes, from the kernel's account.
inline long residentKb() {
    std::FILE* f = std::fopen("/proc/self/status", "r");
    if (!f)
        return -1;
    char line[256];
    long kb = -1;
    while (std::fgets(line, sizeof line, f)) {
        if (std::sscanf(line, "VmRSS: %ld kB", &kb) == 1)
            break;
    }
    std::fclose(f);
    return kb;
}
