#include "remote/RemoteSettings.h"

#include "config/CIni.h"
#include "session/SessionSettings.h"

namespace remote {

namespace {
constexpr const char* EnabledKey = "Enabled";
constexpr const char* ListenKey = "Listen";
constexpr const char* AllowKey = "Allow";
constexpr const char* Vxi11Key = "Vxi11";
constexpr const char* AnnounceKey = "Announce";
} // namespace

RemoteSettings RemoteSettings::load(const CIni& ini, std::vector<std::string>& badKeys) {
    RemoteSettings s;
    session::readFlag(ini, Section, EnabledKey, s.enabled, badKeys);
    if (auto text = session::presentValue(ini, Section, ListenKey)) {
        if (parseEndpoint(*text, s.listen) != AddressError::None)
            badKeys.push_back(ListenKey);
    }
    // Blanks alone are as good as empty: every client is let in.
    if (auto text = session::presentValue(ini, Section, AllowKey)) {
        const AddressError e = parseAllowList(*text, s.allow);
        if (e != AddressError::None && e != AddressError::Empty)
            badKeys.push_back(AllowKey);
    }
    session::readFlag(ini, Section, Vxi11Key, s.vxi11, badKeys);
    session::readFlag(ini, Section, AnnounceKey, s.announce, badKeys);
    return s;
}

bool RemoteSettings::save(const CIni& ini) const {
    bool ok = ini.WriteFlag(Section, EnabledKey, enabled ? 1 : 0);
    ok = ini.WriteText(Section, ListenKey, listenText().c_str()) && ok;
    ok = ini.WriteText(Section, AllowKey, allowText().c_str()) && ok;
    ok = ini.WriteFlag(Section, Vxi11Key, vxi11 ? 1 : 0) && ok;
    ok = ini.WriteFlag(Section, AnnounceKey, announce ? 1 : 0) && ok;
    return ok;
}

ServerOptions RemoteSettings::options() const {
    ServerOptions o;
    o.listen = listen;
    o.allow = allow;
    o.vxi11 = vxi11;
    return o;
}

std::string RemoteSettings::allowText() const {
    std::string text;
    for (const Network& n : allow) {
        if (!text.empty())
            text += ",";
        text += formatAddress(n.address);
        if (n.prefixLength != 32)
            text += "/" + std::to_string(n.prefixLength);
    }
    return text;
}

} // namespace remote
