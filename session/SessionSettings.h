#pragma once

#include "session/Protections.h"

#include <array>
#include <optional>
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

// How the sections of Quorel.ini beside [QUOREL] read their values, so that they all tell a
// missing value from a bad one alike.
// The value of a key; nothing when the key is missing or its value empty.
std::optional<std::string> presentValue(const CIni& ini, const char* section, const char* key);
// "0" or "1" as written; "true", "yes", "on" and their opposites in any case, so that a
// hand-edited file still counts; any number (non-zero is on). Nothing otherwise.
std::optional<bool> parseFlag(const std::string& text);
// A flag of `section` read into `into` when present; a value that is no flag leaves `into` as
// it was and names `key` in `badKeys`.
void readFlag(const CIni& ini, const char* section, const char* key, bool& into,
              std::vector<std::string>& badKeys);

} // namespace session
