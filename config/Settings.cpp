#include "config/Settings.h"

#include "platform/Cp932.h"
#include "platform/Paths.h"

#include <vector>

Settings::Settings() {
    std::string dir = platform::executableDirectory();
    // Relative names used later, such as the default system-log file, lie beside the
    // executable.
    platform::changeCurrentDirectory(dir);
    std::string path = dir;
    if (path.empty() || path.back() != '/')
        path += '/';
    path += FileName;
    ini_.SetFilePath(path.c_str());

    comPort_ = readText("ComPort", ComPortReadCapacity, DefaultComPort);
    connectAtStart_ = ini_.ReadFlag(Section, "ConnectAtStart", 0) != 0;
    plotSpan_ = ini_.ReadNumber(Section, "PlotSpan", DefaultPlotSpan, 0);
    useSysLogFile_ = ini_.ReadFlag(Section, "UseSysLogFile", 0) != 0;
    sysLogFileName_ = readText("SysLogFileName", SysLogFileNameReadCapacity, DefaultSysLogFileName);
    offsetAtt_ = ini_.ReadFlag(Section, "OffsetAtt", 0) != 0;
}

std::string Settings::readText(const char* key, int capacity, const char* def) const {
    std::vector<char> buffer(static_cast<std::size_t>(capacity) + 1, '\0');
    ini_.ReadText(Section, key, buffer.data(), capacity, def);
    return platform::cp932ToUtf8(buffer.data());
}

// Writes the text cut to the limit, without splitting a character, and gives back what was
// written, which becomes the live value.
std::string Settings::writeText(const char* key, const std::string& utf8, int limit) {
    std::string bytes = ini::cutCp932(platform::utf8ToCp932(utf8), static_cast<std::size_t>(limit));
    ini_.WriteText(Section, key, bytes.c_str());
    return platform::cp932ToUtf8(bytes);
}

void Settings::setComPort(const std::string& port) {
    comPort_ = writeText("ComPort", port, ComPortWriteLimit);
}

void Settings::setConnectAtStart(bool on) {
    connectAtStart_ = on;
    ini_.WriteFlag(Section, "ConnectAtStart", on ? 1 : 0);
}

void Settings::setPlotSpan(int seconds) {
    plotSpan_ = seconds;
    ini_.WriteNumber(Section, "PlotSpan", seconds, 0);
}

void Settings::setUseSysLogFile(bool on) {
    useSysLogFile_ = on;
    ini_.WriteFlag(Section, "UseSysLogFile", on ? 1 : 0);
}

void Settings::setSysLogFileName(const std::string& name) {
    sysLogFileName_ = writeText("SysLogFileName", name, SysLogFileNameWriteLimit);
}

void Settings::setOffsetAtt(bool on) {
    offsetAtt_ = on;
    ini_.WriteFlag(Section, "OffsetAtt", on ? 1 : 0);
}
