#pragma once

#include "platform/Clock.h"

#include <string>
#include <string_view>

class Settings;

// Where the window shows the log: each line as the pane shows it ("[HH:MM:SS] message\n").
// The window's text pane implements it; a program without a window has none.
class SystemLogPane {
public:
    virtual ~SystemLogPane() = default;
    virtual void appendLine(const std::string& line) = 0;
};

// The running record of operator actions and device events: every message is shown in the
// log pane with the time of day and, while UseSysLogFile is on, appended to the file named
// by SysLogFileName with date and time. Both settings are read afresh for each message.
class SystemLog {
public:
    // The pane may be given later (or never); the file is written either way.
    explicit SystemLog(const Settings& settings, SystemLogPane* pane = nullptr);

    void setPane(SystemLogPane* pane);

    // Writes one message (UTF-8, one line). Never fails towards the caller: a file that
    // cannot be opened is skipped, and the next message tries again.
    void append(std::string_view message);

    // "[HH:MM:SS] message\n" as the pane shows it.
    static std::string paneLine(const platform::LocalTime& t, std::string_view message);
    // "[YY/MM/DD HH:MM:SS] message\r\n" in cp932, as the file holds it.
    static std::string fileLine(const platform::LocalTime& t, std::string_view message);
    // The file a setting names: a relative name lies in the settings folder (beside the
    // executable, or the user's folder of an installed program).
    static std::string filePath(const std::string& sysLogFileName);

private:
    void appendToFile(const std::string& line);

    const Settings& settings_;
    SystemLogPane* pane_;
};
