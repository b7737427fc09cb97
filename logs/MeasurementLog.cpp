#include "logs/MeasurementLog.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
platform::Seconds lastLineTime = 0;
}

MeasurementLog::~MeasurementLog() {
    close();
}

bool MeasurementLog::open(const std::string& path, bool append, int intervalSeconds) {
    close();
    interval_ = intervalSeconds > 0 ? intervalSeconds : 1;
    if (path.empty())
        return false;
    // Opened without blocking so that a pipe without a reader fails at once instead of
    // hanging the window; a folder, pipe or socket is no place for a log.
    int flags = O_WRONLY | O_CREAT | O_NONBLOCK | O_CLOEXEC | (append ? O_APPEND : O_TRUNC);
    int fd = ::open(path.c_str(), flags, 0644);
    if (fd < 0)
        return false;
    struct stat st {};
    if (fstat(fd, &st) != 0 || S_ISDIR(st.st_mode) || S_ISFIFO(st.st_mode) ||
        S_ISSOCK(st.st_mode)) {
        ::close(fd);
        return false;
    }
    fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    fd_ = fd;
    return true;
}

void MeasurementLog::close() {
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
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
    if (fd_ < 0)
        return WriteResult::NotRunning;
    if (now < lastLineTime + interval_)
        return WriteResult::NotDue;
    lastLineTime = now;
    const std::string line = formatLine(platform::toLocalTime(now), reading);
    struct stat before {};
    const bool regular = fstat(fd_, &before) == 0 && S_ISREG(before.st_mode);
    size_t done = 0;
    while (done < line.size()) {
        ssize_t n = ::write(fd_, line.data() + done, line.size() - done);
        if (n > 0) {
            done += static_cast<size_t>(n);
        } else if (n < 0 && errno == EINTR) {
            continue;
        } else {
            // A disk that filled up mid-line leaves no half line behind the complete ones;
            // the log ends, since it no longer records anything.
            if (regular && done > 0) {
                int cut = ftruncate(fd_, before.st_size);
                (void)cut; // nothing more can be done about a file that cannot shrink
            }
            close();
            return WriteResult::Failed;
        }
    }
    return WriteResult::Written;
}

platform::Seconds MeasurementLog::lastCsvTime() {
    return lastLineTime;
}

void MeasurementLog::resetLastCsvTimeForTest() {
    lastLineTime = 0;
}
