#include "mqtt/Discovery.h"

#include "device/SupplyDevice.h"
#include "session/SetpointRules.h"

#include <nlohmann/json.hpp>

namespace mqtt {

using nlohmann::json;

namespace {

struct Entity {
    const char* component;
    const char* object;
    bool control;
};

constexpr Entity Entities[] = {
    {"sensor", "voltage", false},
    {"sensor", "current", false},
    {"sensor", "power", false},
    {"sensor", "energy", false},
    {"sensor", "charge", false},
    {"sensor", "mode", false},
    {"sensor", "source", false},
    {"binary_sensor", "tripped", false},
    {"binary_sensor", "connected", false},
    {"switch", "output", true},
    {"number", "voltage_setpoint", true},
    {"number", "current_setpoint", true},
    {"button", "reset_counters", true},
};

std::string configTopic(const std::string& prefix, const Entity& e, const std::string& node) {
    return prefix + "/" + e.component + "/" + node + "/" + e.object + "/config";
}

// A value of the state, or None (unknown) while the state has none: no device connected.
std::string field(const std::string& path) {
    return "{{ value_json." + path + " if value_json." + path + " is defined else None }}";
}

json measurement(const char* name, const char* unit, const char* deviceClass,
                 const char* stateClass, const std::string& value) {
    json j = {{"name", name},
              {"unit_of_measurement", unit},
              {"state_class", stateClass},
              {"value_template", field(value)}};
    if (deviceClass)
        j["device_class"] = deviceClass;
    return j;
}

// A set-point as a number entity: from 0 to the device's limit on its grid.
json setpoint(const char* name, const std::string& command, const char* deviceClass,
              const char* unit, double max, double step, const std::string& value) {
    return {{"name", name},
            {"command_topic", command},
            {"device_class", deviceClass},
            {"unit_of_measurement", unit},
            {"min", 0},
            {"max", max},
            {"step", step},
            {"mode", "box"},
            {"value_template", field(value)}};
}

json body(const Entity& e, const Topics& t) {
    const std::string object = e.object;
    if (object == "voltage")
        return measurement("Voltage", "V", "voltage", "measurement", "voltage");
    if (object == "current")
        return measurement("Current", "A", "current", "measurement", "current");
    if (object == "power")
        return measurement("Power", "W", "power", "measurement", "power");
    if (object == "energy")
        return measurement("Energy", "Wh", "energy", "total_increasing", "counters.energy_Wh");
    if (object == "charge")
        return measurement("Charge", "Ah", nullptr, "total_increasing", "counters.charge_Ah");
    if (object == "mode")
        return {{"name", "Mode"},
                {"device_class", "enum"},
                {"options", {"CV", "CC"}},
                {"value_template", field("mode")}};
    if (object == "source")
        return {{"name", "Power source"},
                {"device_class", "enum"},
                {"options", {"usb-host", "ac-adapter", "adapter-idle"}},
                {"value_template", field("source")}};
    if (object == "tripped")
        return {{"name", "Protection tripped"},
                {"device_class", "problem"},
                {"value_template", "{{ 'ON' if value_json.protections.ovp.tripped or "
                                   "value_json.protections.ocp.tripped or "
                                   "value_json.protections.opp.tripped else 'OFF' }}"}};
    if (object == "connected")
        return {{"name", "Connected"},
                {"device_class", "connectivity"},
                {"state_topic", t.device()},
                {"payload_on", "online"},
                {"payload_off", "offline"}};
    if (object == "output")
        return {{"name", "Output"},
                {"command_topic", t.set("output")},
                {"payload_on", "ON"},
                {"payload_off", "OFF"},
                {"value_template",
                 "{{ ('ON' if value_json.output else 'OFF') if value_json.output is defined "
                 "else None }}"}};
    if (object == "voltage_setpoint")
        return setpoint("Voltage set-point", t.set("voltage"), "voltage", "V",
                        SetpointRules::MaxVolts, SetpointRules::VoltsGridStep, "voltageSetpoint");
    if (object == "current_setpoint")
        return setpoint("Current limit", t.set("current"), "current", "A", SetpointRules::MaxAmps,
                        SetpointRules::AmpsGridStep, "currentSetpoint");
    return {{"name", "Reset counters"},
            {"command_topic", t.set("reset_counters")},
            {"payload_press", "PRESS"}};
}

} // namespace

std::vector<DiscoveryConfig> discoveryConfigs(const DiscoveryInput& in) {
    json device = {{"identifiers", {"quorel_" + in.node}},
                   {"name", "Quorel " + in.node},
                   {"manufacturer", "Quorel"},
                   {"model", SupplyDevice::Identification}};
    if (!in.firmware.empty())
        device["sw_version"] = in.firmware;
    std::vector<DiscoveryConfig> out;
    for (const Entity& e : Entities) {
        if (e.control && !in.control)
            continue;
        json j = body(e, in.topics);
        j["unique_id"] = "quorel_" + in.node + "_" + e.object;
        j["object_id"] = "quorel_" + in.node + "_" + e.object;
        j["device"] = device;
        j["origin"] = {{"name", "Quorel"}, {"sw_version", in.version}};
        if (!j.contains("state_topic") && std::string(e.component) != "button")
            j["state_topic"] = in.topics.state();
        // The connected sensor answers to the program alone, so that it can show a lost
        // supply; every other entity is there while both the program and the supply are.
        j["availability"] = json::array({{{"topic", in.topics.availability()}}});
        if (std::string(e.object) != "connected") {
            j["availability"].push_back({{"topic", in.topics.device()}});
            j["availability_mode"] = "all";
        }
        out.push_back({configTopic(in.prefix, e, in.node), j.dump()});
    }
    return out;
}

std::vector<std::string> discoveryTopics(const std::string& prefix, const std::string& node) {
    std::vector<std::string> out;
    for (const Entity& e : Entities)
        out.push_back(configTopic(prefix, e, node));
    return out;
}

} // namespace mqtt
