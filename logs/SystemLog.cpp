#include "logs/SystemLog.h"

#include "config/Settings.h"
#include "platform/Cp932.h"
#include "platform/Files.h"
#include "platform/Paths.h"

#include <cstdio>

SystemLog::SystemLog(const Settings& settings, SystemLogPane* pane)
    : settings_(settings), pane_(pane) {}

void SystemLog::setPane(SystemLogPane* pane) {
    pane_ = pane;
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
    if (sysLogFileName.empty() || platform::isAbsolutePath(sysLogFileName))
        return sysLogFileName;
    return platform::joinPath(platform::settingsDirectory(), sysLogFileName);
}

void SystemLog::append(std::string_view message) {
    // One reading of the clock for both stamps, so the pane and the file show the same second.
    platform::LocalTime t = platform::toLocalTime(platform::now());
    if (pane_)
        pane_->appendLine(paneLine(t, message));
    if (!settings_.useSysLogFile())
        return;
    appendToFile(fileLine(t, message));
}

void SystemLog::appendToFile(const std::string& line) {
    // A file that cannot be written is skipped; the next message tries again. The user's
    // settings folder of an installed program is made when the first line needs it; no
    // other folder is ever made.
    const std::string path = filePath(settings_.sysLogFileName());
    if (platform::appendToRegularFile(path, line) || platform::settingsBesideExecutable())
        return;
    const std::string dir = platform::settingsDirectory();
    if (platform::parentDirectory(path) == dir && platform::makeDirectories(dir))
        platform::appendToRegularFile(path, line);
}
