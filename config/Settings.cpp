#include "config/Settings.h"

#include "platform/Cp932.h"
#include "platform/Paths.h"

#include <cstring>
#include <vector>

Settings::Settings() {
    // A portable copy keeps its settings beside the executable and makes that folder the
    // current one, as always; an installed program keeps them in the user's folder and
    // leaves the current folder alone, so that names given on its command line still count
    // from where it was started.
    const bool portable = platform::settingsBesideExecutable();
    const std::string dir =
        portable ? platform::executableDirectory() : platform::userSettingsDirectory();
    if (portable)
        platform::changeCurrentDirectory(dir);
    else
        ini_.SetFolderToMake(dir); // made by the first setting written
    ini_.SetFilePath(platform::joinPath(dir, FileName).c_str());

    comPort_ = readComPort();
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

std::string Settings::readComPort() const {
    std::string bytes = ini_.ReadWholeText(Section, "ComPort", DefaultComPort);
    // The value ends at its first NUL, as any text of the file does.
    bytes.resize(std::strlen(bytes.c_str()));
    // An empty value names no port; it stands for the default as a missing key does.
    if (bytes.empty())
        return DefaultComPort;
    return platform::cp932ToUtf8(bytes);
}

// Writes the text cut to the limit, without splitting a character, and gives back what was
// written, which becomes the live value.
std::string Settings::writeText(const char* key, const std::string& utf8, std::size_t limit) {
    std::string bytes = ini::cutCp932(platform::utf8ToCp932(utf8), limit);
    ini_.WriteText(Section, key, bytes.c_str());
    return platform::cp932ToUtf8(bytes);
}

void Settings::setComPort(const std::string& port) {
    comPort_ = writeText("ComPort", port, std::string::npos);
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
