#include "logs/MeasurementLog.h"

#include <cstdio>

namespace {
platform::Seconds lastLineTime = 0;
}

MeasurementLog::~MeasurementLog() {
    close();
}

bool MeasurementLog::open(const std::string& path, bool append, int intervalSeconds) {
    close();
    interval_ = intervalSeconds > 0 ? intervalSeconds : 1;
    // A folder, pipe or socket is no place for a log, and a pipe without a reader must not
    // hang the window.
    file_ = platform::LineFile::open(path, append);
    return file_ != nullptr;
}

void MeasurementLog::close() {
    file_.reset();
}

const char* MeasurementLog::stateText(int outputOn, int constantCurrent) {
    if (!outputOn)
        return "OFF";
    return constantCurrent ? "CC" : "CV";
}

std::string MeasurementLog::formatLine(const platform::LocalTime& t, const MeasurementReading& r) {
    char line[1024];
    std::snprintf(line, sizeof line, "%02d/%02d/%02d %02d:%02d:%02d,%.2f,%.3f,%s,%.2f,%.3f\r\n",
                  t.year % 100, t.month, t.day, t.hour, t.minute, t.second, r.voltageSetpoint,
                  r.currentSetpoint, stateText(r.outputOn, r.constantCurrent), r.voltage,
                  r.current);
    return line;
}

MeasurementLog::WriteResult MeasurementLog::write(platform::Seconds now,
                                                  const MeasurementReading& reading) {
    if (!file_)
        return WriteResult::NotRunning;
    if (now < lastLineTime + interval_)
        return WriteResult::NotDue;
    lastLineTime = now;
    // A disk that filled up mid-line leaves no half line behind the complete ones; the log
    // ends, since it no longer records anything.
    if (!file_->writeLine(formatLine(platform::toLocalTime(now), reading))) {
        close();
        return WriteResult::Failed;
    }
    return WriteResult::Written;
}

platform::Seconds MeasurementLog::lastCsvTime() {
    return lastLineTime;
}

void MeasurementLog::resetLastCsvTimeForTest() {
    lastLineTime = 0;
}
