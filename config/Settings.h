#pragma once

#include "config/CIni.h"
#include "platform/Paths.h"

#include <string>

// The six settings of the program, live. Building the object loads them from "Quorel.ini"
// in the settings folder (platform::settingsDirectory: beside the executable, which then
// becomes the current folder, or the user's own folder for an installed program); the main window
// holds it as a member and reads the values straight from it, so a change confirmed in the settings
// dialog applies wherever the value is next read. Nothing is written except by the setters,
// which the settings dialog calls when the operator confirms it.
//
// Texts are held as UTF-8; the file holds them in cp932.
class Settings {
public:
    static constexpr const char* Section = "QUOREL";
    static constexpr const char* FileName = platform::SettingsFileName;
    // Byte limits of the texts as read from the file and as written from the dialog. The port
    // has none: a device path may be long (/dev/serial/by-id/...), and a value cut on the way
    // in would be written back cut when the dialog is confirmed.
    static constexpr int SysLogFileNameReadCapacity = 511;
    static constexpr int SysLogFileNameWriteLimit = 510;

    static constexpr const char* DefaultComPort = "com1";
    static constexpr int DefaultPlotSpan = 180;
    static constexpr const char* DefaultSysLogFileName = "system.log";

    Settings();

    const std::string& comPort() const { return comPort_; }
    bool connectAtStart() const { return connectAtStart_; }
    int plotSpan() const { return plotSpan_; }
    bool useSysLogFile() const { return useSysLogFile_; }
    const std::string& sysLogFileName() const { return sysLogFileName_; }
    bool offsetAtt() const { return offsetAtt_; }

    // Each changes the live value and then writes its key. A write that fails leaves the
    // live value changed and the file as it was; the old value comes back at the next start.
    void setComPort(const std::string& port);
    void setConnectAtStart(bool on);
    void setPlotSpan(int seconds);
    void setUseSysLogFile(bool on);
    void setSysLogFileName(const std::string& name);
    void setOffsetAtt(bool on);

    const CIni& ini() const { return ini_; }

private:
    std::string readText(const char* key, int capacity, const char* def) const;
    std::string readComPort() const;
    std::string writeText(const char* key, const std::string& utf8, std::size_t limit);

    bool offsetAtt_ = false;
    CIni ini_;
    bool connectAtStart_ = false;
    std::string comPort_;
    bool useSysLogFile_ = false;
    std::string sysLogFileName_;
    int plotSpan_ = DefaultPlotSpan;
};
