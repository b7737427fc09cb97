#pragma once

#include <string>
#include <vector>

// The configurations that let Home Assistant find the supply without a line of its own
// configuration (its MQTT discovery): one retained JSON object per entity under
// <prefix>/<component>/<node>/<object>/config, all of one device block, reading the state
// topic. The controls (a switch, two numbers, a button) only when control is allowed.
namespace mqtt {

struct Topics {
    std::string base; // "<base>/<node>"
    std::string availability() const { return base + "/availability"; }
    std::string device() const { return base + "/device"; }
    std::string state() const { return base + "/state"; }
    std::string event() const { return base + "/event"; }
    std::string error() const { return base + "/error"; }
    std::string set(const char* what) const { return base + "/set/" + what; }
};

struct DiscoveryInput {
    std::string prefix; // "homeassistant"
    std::string node;
    Topics topics;
    bool control = false;
    std::string firmware; // the device's version text, empty before the first connect
    std::string version;  // the program's
};

struct DiscoveryConfig {
    std::string topic;
    std::string payload; // JSON
};

// Every configuration the input calls for.
std::vector<DiscoveryConfig> discoveryConfigs(const DiscoveryInput& in);
// The topic of every configuration the program may have published for the node, controls
// included: emptied to remove the entities.
std::vector<std::string> discoveryTopics(const std::string& prefix, const std::string& node);

} // namespace mqtt
