#include "http/HttpSettings.h"

#include "config/CIni.h"
#include "session/SessionSettings.h"

namespace http {

namespace {
constexpr const char* EnabledKey = "Enabled";
constexpr const char* ListenKey = "Listen";
} // namespace

HttpSettings HttpSettings::load(const CIni& ini, std::vector<std::string>& badKeys) {
    HttpSettings s;
    session::readFlag(ini, Section, EnabledKey, s.enabled, badKeys);
    if (auto text = session::presentValue(ini, Section, ListenKey)) {
        if (text->find(':') == std::string::npos ||
            remote::parseEndpoint(*text, s.listen) != remote::AddressError::None) {
            s.listen = {remote::LoopbackAddress, HttpOptions::DefaultPort};
            badKeys.push_back(ListenKey);
        }
    }
    return s;
}

bool HttpSettings::save(const CIni& ini) const {
    bool ok = ini.WriteFlag(Section, EnabledKey, enabled ? 1 : 0);
    ok = ini.WriteText(Section, ListenKey, remote::formatEndpoint(listen).c_str()) && ok;
    return ok;
}

} // namespace http
