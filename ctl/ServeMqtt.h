#pragma once

#include "remote/LoopSource.h"

#include <functional>
#include <memory>
#include <optional>
#include <ostream>
#include <string>

namespace session {
class MeasurementSession;
}
namespace sequence {
class Runner;
}

// MQTT for quorelctl serve, where the build has it (Linux with libmosquitto); elsewhere
// --mqtt is refused as not available.
namespace ctl {

struct MqttServeOptions {
    std::string url; // mqtt://[user@]host[:port] or mqtts://...
    std::string passwordFile;
    std::string caFile;
    std::string certFile;
    std::string keyFile;
    std::string node; // empty: made from the host and the port
    std::string base = "quorel";
    int intervalSeconds = 1;
    bool discovery = true;
    std::string discoveryPrefix = "homeassistant";
    bool control = false;
};

class MqttFront {
public:
    virtual ~MqttFront() = default;
    virtual remote::LoopSource& loop() = 0;
};

bool mqttAvailable();
// Why the options cannot be used (a malformed URL, a topic with wildcards); empty when they can.
std::string mqttOptionsProblem(const MqttServeOptions& options);

// Starts publishing for the session on the port (its name makes the default node id); prints
// "mqtt node ID" on `err`. Null when it cannot (said on `err`).
std::unique_ptr<MqttFront> startMqtt(session::MeasurementSession& session,
                                     const sequence::Runner& runner, const std::string& port,
                                     const MqttServeOptions& options,
                                     std::function<void(const std::string&)> say,
                                     std::ostream& err);

// Takes the node's entities, state and availability off the broker, without the supply;
// false when the broker did not acknowledge within `ms`.
bool removeFromMqtt(session::MeasurementSession& session, const std::string& port,
                    const MqttServeOptions& options, std::function<void(const std::string&)> say,
                    std::ostream& err, int ms);

} // namespace ctl
