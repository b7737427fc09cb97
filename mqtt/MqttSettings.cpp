#include "mqtt/MqttSettings.h"

#include "config/CIni.h"
#include "session/SessionSettings.h"

#include <charconv>
#include <fstream>

namespace mqtt {

namespace {

struct TextKey {
    const char* key;
    std::string MqttSettings::*field;
};

constexpr TextKey TextKeys[] = {
    {"Broker", &MqttSettings::broker},
    {"Username", &MqttSettings::username},
    {"PasswordFile", &MqttSettings::passwordFile},
    {"CaFile", &MqttSettings::caFile},
    {"CertFile", &MqttSettings::certFile},
    {"KeyFile", &MqttSettings::keyFile},
    {"BaseTopic", &MqttSettings::baseTopic},
    {"NodeId", &MqttSettings::nodeId},
    {"DiscoveryPrefix", &MqttSettings::discoveryPrefix},
};

} // namespace

bool topicUsable(const std::string& t, bool oneLevel) {
    return !t.empty() && t.find_first_of(oneLevel ? "+#/" : "+#") == std::string::npos &&
           t.front() != '/' && t.back() != '/';
}

MqttSettings MqttSettings::load(const CIni& ini, std::vector<std::string>& badKeys) {
    MqttSettings s;
    session::readFlag(ini, Section, "Enabled", s.enabled, badKeys);
    session::readFlag(ini, Section, "Discovery", s.discovery, badKeys);
    session::readFlag(ini, Section, "Control", s.control, badKeys);
    for (const TextKey& k : TextKeys)
        if (auto text = session::presentValue(ini, Section, k.key))
            s.*k.field = *text;
    const MqttSettings defaults;
    if (!topicUsable(s.baseTopic, false)) {
        s.baseTopic = defaults.baseTopic;
        badKeys.push_back("BaseTopic");
    }
    if (!topicUsable(s.discoveryPrefix, false)) {
        s.discoveryPrefix = defaults.discoveryPrefix;
        badKeys.push_back("DiscoveryPrefix");
    }
    if (!s.nodeId.empty() && !topicUsable(s.nodeId, true)) {
        s.nodeId.clear();
        badKeys.push_back("NodeId");
    }
    if (auto text = session::presentValue(ini, Section, "Interval")) {
        int v = 0;
        const auto r = std::from_chars(text->data(), text->data() + text->size(), v);
        if (r.ec != std::errc() || r.ptr != text->data() + text->size() || v < 1 || v > 3600)
            badKeys.push_back("Interval");
        else
            s.intervalSeconds = v;
    }
    return s;
}

bool MqttSettings::save(const CIni& ini) const {
    bool ok = ini.WriteFlag(Section, "Enabled", enabled ? 1 : 0);
    ok = ini.WriteFlag(Section, "Discovery", discovery ? 1 : 0) && ok;
    ok = ini.WriteFlag(Section, "Control", control ? 1 : 0) && ok;
    for (const TextKey& k : TextKeys)
        ok = ini.WriteText(Section, k.key, (this->*k.field).c_str()) && ok;
    ok = ini.WriteText(Section, "Interval", std::to_string(intervalSeconds).c_str()) && ok;
    return ok;
}

std::optional<BridgeOptions> MqttSettings::bridgeOptions(const std::string& port,
                                                         std::string& problem) const {
    BridgeOptions b;
    if (!parseBrokerUrl(broker, b.broker, problem))
        return std::nullopt;
    if (!username.empty())
        b.broker.username = username;
    b.broker.password = password;
    if (!passwordFile.empty()) {
        std::ifstream in(passwordFile, std::ios::binary);
        if (!in) {
            problem = "the password file " + passwordFile + " cannot be read";
            return std::nullopt;
        }
        std::getline(in, b.broker.password);
        if (!b.broker.password.empty() && b.broker.password.back() == '\r')
            b.broker.password.pop_back();
    }
    if (!b.broker.password.empty() && b.broker.username.empty()) {
        problem = "a password needs a user name";
        return std::nullopt;
    }
    if (!b.broker.tls && !(caFile.empty() && certFile.empty() && keyFile.empty())) {
        problem = "a CA, a certificate and a key go with mqtts://";
        return std::nullopt;
    }
    if (certFile.empty() != keyFile.empty()) {
        problem = "a client certificate and its key go together";
        return std::nullopt;
    }
    b.broker.caFile = caFile;
    b.broker.certFile = certFile;
    b.broker.keyFile = keyFile;
    b.node = nodeId.empty() ? defaultNodeId(hostName(), port) : nodeId;
    b.baseTopic = baseTopic;
    b.intervalSeconds = intervalSeconds;
    b.discovery = discovery;
    b.discoveryPrefix = discoveryPrefix;
    b.control = control;
    return b;
}

} // namespace mqtt
