#pragma once

#include "platform/Clock.h"
#include "platform/Files.h"

#include <memory>

#include <string>

// One reading as the poll hands it to the CSV log.
struct MeasurementReading {
    double voltageSetpoint = 0.0; // as the window holds it; -1 marks a rejected entry
    double currentSetpoint = 0.0;
    double voltage = 0.0;
    double current = 0.0; // after the divider correction when that is on
    int constantCurrent = 0;
    int outputOn = 0;
};

// The CSV measurement log: one open file, a line at most once per interval, each line handed
// to the system in one write so that a crash loses nothing already written. The time of the last
// line is one value for the whole program, kept across logs, so a new log honours the interval
// counted from the previous log's last line.
class MeasurementLog {
public:
    enum class WriteResult {
        NotRunning, // no log is open
        NotDue,     // the interval has not passed
        Written,
        Failed, // the line could not be written or flushed; the log has been closed
    };

    // The intervals the chooser offers, in seconds, in its order.
    static constexpr int Intervals[5] = {1, 10, 60, 600, 3600};

    MeasurementLog() = default;
    ~MeasurementLog();
    MeasurementLog(const MeasurementLog&) = delete;
    MeasurementLog& operator=(const MeasurementLog&) = delete;

    // Opens the file for appending or emptied; false when it cannot be opened (or is not
    // something a log can be written to, such as a folder or a pipe).
    bool open(const std::string& path, bool append, int intervalSeconds);
    void close();
    bool running() const { return file_ != nullptr; }
    int interval() const { return interval_; }

    WriteResult write(platform::Seconds now, const MeasurementReading& reading);

    static std::string formatLine(const platform::LocalTime& t, const MeasurementReading& r);
    static const char* stateText(int outputOn, int constantCurrent);

    // The program-wide time of the last line written (0 at start).
    static platform::Seconds lastCsvTime();
    static void resetLastCsvTimeForTest();

private:
    std::unique_ptr<platform::LineFile> file_;
    int interval_ = 1;
};
