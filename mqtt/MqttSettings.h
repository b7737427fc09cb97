#pragma once

#include "mqtt/MqttBridge.h"

#include <optional>
#include <string>
#include <vector>

class CIni;

// MQTT as Quorel.ini keeps it for the panel, in section [MQTT]: Enabled, Broker (the URL),
// Username, PasswordFile, CaFile, CertFile, KeyFile, BaseTopic (quorel), NodeId (empty: made
// from the host and the port), Interval (1 s), Discovery (1), DiscoveryPrefix
// (homeassistant), Control (0). Off unless Enabled=1.
namespace mqtt {

struct MqttSettings {
    static constexpr const char* Section = "MQTT";

    bool enabled = false;
    std::string broker;
    std::string username;
    std::string passwordFile;
    std::string caFile;
    std::string certFile;
    std::string keyFile;
    std::string baseTopic = "quorel";
    std::string nodeId;
    int intervalSeconds = 1;
    bool discovery = true;
    std::string discoveryPrefix = "homeassistant";
    bool control = false;
    // A password given otherwise than by a file (quorelctl: the environment); never saved.
    std::string password;

    // Reads the section; `badKeys` gets the key of every value that was replaced.
    static MqttSettings load(const CIni& ini, std::vector<std::string>& badKeys);
    bool save(const CIni& ini) const;

    // What the bridge needs for the session on `port`; nothing, with the problem, when the
    // broker's URL or the password file cannot be used.
    std::optional<BridgeOptions> bridgeOptions(const std::string& port, std::string& problem) const;
};

// Levels of our own topics: no wildcards, no empty level at either end (a node id is one
// level, without '/').
bool topicUsable(const std::string& topic, bool oneLevel);

} // namespace mqtt
