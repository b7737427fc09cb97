#include "logs/SystemLog.h"

#include "config/Settings.h"
#include "platform/Cp932.h"
#include "platform/Paths.h"

#include <QPlainTextEdit>
#include <QTextCursor>

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

SystemLog::SystemLog(const Settings& settings, QPlainTextEdit* pane) : settings_(settings) {
    setPane(pane);
}

void SystemLog::setPane(QPlainTextEdit* pane) {
    pane_ = pane;
    // Log lines are never taken back, so the pane keeps no undo history of them.
    if (pane_)
        pane_->setUndoRedoEnabled(false);
}

std::string SystemLog::paneLine(const platform::LocalTime& t, std::string_view message) {
    char stamp[32];
    std::snprintf(stamp, sizeof stamp, "[%02d:%02d:%02d] ", t.hour, t.minute, t.second);
    return stamp + std::string(message) + "\n";
}

std::string SystemLog::fileLine(const platform::LocalTime& t, std::string_view message) {
    char stamp[48];
    std::snprintf(stamp, sizeof stamp, "[%02d/%02d/%02d %02d:%02d:%02d] ", t.year % 100, t.month,
                  t.day, t.hour, t.minute, t.second);
    return platform::utf8ToCp932(stamp + std::string(message)) + "\r\n";
}

std::string SystemLog::filePath(const std::string& sysLogFileName) {
    if (sysLogFileName.empty() || sysLogFileName.front() == '/')
        return sysLogFileName;
    std::string dir = platform::executableDirectory();
    if (!dir.empty() && dir.back() != '/')
        dir += '/';
    return dir + sysLogFileName;
}

void SystemLog::append(std::string_view message) {
    // One reading of the clock for both stamps, so the pane and the file show the same second.
    platform::LocalTime t = platform::toLocalTime(platform::now());
    appendToPane(paneLine(t, message));
    if (!settings_.useSysLogFile())
        return;
    appendToFile(fileLine(t, message));
}

void SystemLog::appendToPane(const std::string& line) {
    if (!pane_)
        return;
    QTextCursor cursor(pane_->document());
    cursor.movePosition(QTextCursor::End);
    cursor.insertText(QString::fromStdString(line));
    // The insertion point follows the newest line, which scrolls it into view.
    pane_->setTextCursor(cursor);
    pane_->ensureCursorVisible();
}

void SystemLog::appendToFile(const std::string& line) {
    std::string path = filePath(settings_.sysLogFileName());
    if (path.empty())
        return;
    // Opened without blocking and written only when it is a plain file: a name that points
    // at a FIFO or a device must not stop the program.
    int fd = ::open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_NONBLOCK | O_CLOEXEC, 0666);
    if (fd < 0)
        return;
    struct stat st {};
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode)) {
        // One write per line, so lines of two programs appending at once do not interleave.
        std::size_t done = 0;
        while (done < line.size()) {
            ssize_t n = ::write(fd, line.data() + done, line.size() - done);
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                break;
            done += static_cast<std::size_t>(n);
        }
    }
    ::close(fd);
}
