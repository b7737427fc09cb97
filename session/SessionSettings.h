#pragma once

#include "session/Protections.h"

#include <array>
#include <string>
#include <vector>

class CIni;

namespace session {

class MeasurementSession;

// The session's settings as Quorel.ini keeps them in section [SESSION]: automatic
// reconnection and the three protections. A value that cannot be used (not a number, a level
// outside the device's range) gets its default and is named, so that the caller can log it.
struct SessionSettings {
    static constexpr const char* Section = "SESSION";

    bool autoReconnect = false;
    std::array<ProtectionSetting, ProtectionKinds> protections{};

    SessionSettings();

    // Reads the section; `badKeys` gets the key of every value that was replaced.
    static SessionSettings load(const CIni& ini, std::vector<std::string>& badKeys);
    bool save(const CIni& ini) const;

    void applyTo(MeasurementSession& session) const;
    static SessionSettings of(const MeasurementSession& session);
};

} // namespace session
