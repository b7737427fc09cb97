#include "session/SessionSettings.h"

#include "config/CIni.h"
#include "session/MeasurementSession.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <optional>

namespace session {

namespace {

struct Keys {
    const char* enabled;
    const char* level;
};
constexpr Keys protectionKeys[ProtectionKinds] = {
    {"OvpEnabled", "OvpLevel"}, {"OcpEnabled", "OcpLevel"}, {"OppEnabled", "OppLevel"}};
constexpr const char* OcpDelayKey = "OcpDelay";
constexpr const char* AutoReconnectKey = "AutoReconnect";

// A whole decimal number and nothing else (blanks around it allowed).
std::optional<double> parseNumber(const std::string& text) {
    const char* begin = text.c_str();
    char* end = nullptr;
    errno = 0;
    const double v = std::strtod(begin, &end);
    if (end == begin || errno == ERANGE || !std::isfinite(v))
        return std::nullopt;
    while (*end == ' ' || *end == '\t')
        ++end;
    if (*end != '\0')
        return std::nullopt;
    return v;
}

std::string formatNumber(double v) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.6g", v);
    return buf;
}

} // namespace

std::optional<bool> parseFlag(const std::string& text) {
    if (text == "0" || text == "1")
        return text == "1";
    std::string t;
    for (char c : text)
        if (c != ' ' && c != '\t')
            t += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (t == "true" || t == "yes" || t == "on")
        return true;
    if (t == "false" || t == "no" || t == "off")
        return false;
    if (auto n = parseNumber(text))
        return *n != 0;
    return std::nullopt;
}

std::optional<std::string> presentValue(const CIni& ini, const char* section, const char* key) {
    const std::string missing("\x01");
    std::string v = ini.ReadWholeText(section, key, missing.c_str());
    if (v == missing || v.empty())
        return std::nullopt;
    return v;
}

void readFlag(const CIni& ini, const char* section, const char* key, bool& into,
              std::vector<std::string>& badKeys) {
    if (auto text = presentValue(ini, section, key)) {
        if (auto on = parseFlag(*text))
            into = *on;
        else
            badKeys.push_back(key);
    }
}

SessionSettings::SessionSettings() {
    for (int k = 0; k < ProtectionKinds; ++k)
        protections[k].level = Protections::maxLevel(static_cast<ProtectionKind>(k));
}

SessionSettings SessionSettings::load(const CIni& ini, std::vector<std::string>& badKeys) {
    SessionSettings s;
    // Missing keys keep their defaults silently; present but unusable ones are named.
    auto text = [&ini](const char* key) { return presentValue(ini, Section, key); };
    auto flag = [&](const char* key, bool& into) {
        if (auto t = text(key)) {
            if (auto f = parseFlag(*t))
                into = *f;
            else
                badKeys.push_back(key);
        }
    };
    flag(AutoReconnectKey, s.autoReconnect);
    Protections check;
    for (int k = 0; k < ProtectionKinds; ++k) {
        const auto kind = static_cast<ProtectionKind>(k);
        flag(protectionKeys[k].enabled, s.protections[k].enabled);
        if (auto t = text(protectionKeys[k].level)) {
            auto v = parseNumber(*t);
            if (v && check.setLevel(kind, *v) == LevelResult::Ok)
                s.protections[k].level = *v;
            else
                badKeys.push_back(protectionKeys[k].level);
        }
    }
    if (auto t = text(OcpDelayKey)) {
        auto v = parseNumber(*t);
        if (v && check.setDelay(*v) == LevelResult::Ok)
            s.protections[static_cast<int>(ProtectionKind::OverCurrent)].delaySeconds = *v;
        else
            badKeys.push_back(OcpDelayKey);
    }
    return s;
}

bool SessionSettings::save(const CIni& ini) const {
    bool ok = ini.WriteFlag(Section, AutoReconnectKey, autoReconnect ? 1 : 0);
    for (int k = 0; k < ProtectionKinds; ++k) {
        ok =
            ini.WriteFlag(Section, protectionKeys[k].enabled, protections[k].enabled ? 1 : 0) && ok;
        ok = ini.WriteText(Section, protectionKeys[k].level,
                           formatNumber(protections[k].level).c_str()) &&
             ok;
    }
    const double delay = protections[static_cast<int>(ProtectionKind::OverCurrent)].delaySeconds;
    ok = ini.WriteText(Section, OcpDelayKey, formatNumber(delay).c_str()) && ok;
    return ok;
}

void SessionSettings::applyTo(MeasurementSession& session) const {
    session.setAutoReconnect(autoReconnect);
    Protections& p = session.protections();
    for (int k = 0; k < ProtectionKinds; ++k) {
        const auto kind = static_cast<ProtectionKind>(k);
        p.setLevel(kind, protections[k].level);
        p.setEnabled(kind, protections[k].enabled);
    }
    p.setDelay(protections[static_cast<int>(ProtectionKind::OverCurrent)].delaySeconds);
}

SessionSettings SessionSettings::of(const MeasurementSession& session) {
    SessionSettings s;
    s.autoReconnect = session.autoReconnect();
    for (int k = 0; k < ProtectionKinds; ++k)
        s.protections[k] = session.protections().setting(static_cast<ProtectionKind>(k));
    return s;
}

} // namespace session
