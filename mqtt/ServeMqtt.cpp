// quorelctl serve's MQTT: the broker's address and secrets from the command line, the
// password file or the environment, and the bridge in the serving loop.
#include "ctl/ServeMqtt.h"

#include "mqtt/MqttBridge.h"
#include "mqtt/MqttSettings.h"
#include "sequence/Runner.h"

#include <cstdlib>

namespace ctl {

namespace {

class Front : public MqttFront {
public:
    Front(session::MeasurementSession& session, std::function<void(const std::string&)> say)
        : bridge(session, std::move(say)) {}
    remote::LoopSource& loop() override { return bridge.client(); }
    mqtt::MqttBridge bridge;
};

mqtt::MqttSettings settingsOf(const MqttServeOptions& o) {
    mqtt::MqttSettings m;
    m.enabled = true;
    m.broker = o.url;
    m.passwordFile = o.passwordFile;
    if (const char* env = std::getenv("QUOREL_MQTT_PASSWORD"); env && o.passwordFile.empty())
        m.password = env;
    m.caFile = o.caFile;
    m.certFile = o.certFile;
    m.keyFile = o.keyFile;
    m.nodeId = o.node;
    m.baseTopic = o.base;
    m.intervalSeconds = o.intervalSeconds;
    m.discovery = o.discovery;
    m.discoveryPrefix = o.discoveryPrefix;
    m.control = o.control;
    return m;
}

std::optional<mqtt::BridgeOptions> bridgeOptions(const std::string& port, const MqttServeOptions& o,
                                                 std::ostream& err) {
    std::string problem;
    auto b = settingsOf(o).bridgeOptions(port, problem);
    if (!b)
        err << "quorelctl serve: --mqtt: " << problem << '\n';
    return b;
}

} // namespace

bool mqttAvailable() {
    return true;
}

std::string mqttOptionsProblem(const MqttServeOptions& o) {
    mqtt::Broker broker;
    std::string problem;
    if (!mqtt::parseBrokerUrl(o.url, broker, problem))
        return "--mqtt: " + problem;
    if (!o.node.empty() && !mqtt::topicUsable(o.node, true))
        return "--mqtt-node is one topic level, without / + #";
    if (!mqtt::topicUsable(o.base, false) || !mqtt::topicUsable(o.discoveryPrefix, false))
        return "--mqtt-base and --mqtt-discovery-prefix are topics without + # and without a / "
               "at either end";
    return {};
}

std::unique_ptr<MqttFront> startMqtt(session::MeasurementSession& session,
                                     const sequence::Runner& runner, const std::string& port,
                                     const MqttServeOptions& options,
                                     std::function<void(const std::string&)> say,
                                     std::ostream& err) {
    const auto b = bridgeOptions(port, options, err);
    if (!b)
        return nullptr;
    auto front = std::make_unique<Front>(session, std::move(say));
    front->bridge.setRunGoing([&runner] { return runner.running(); });
    if (!front->bridge.start(*b))
        return nullptr;
    err << "mqtt node " << b->node << '\n' << std::flush;
    return front;
}

bool removeFromMqtt(session::MeasurementSession& session, const std::string& port,
                    const MqttServeOptions& options, std::function<void(const std::string&)> say,
                    std::ostream& err, int ms) {
    const auto b = bridgeOptions(port, options, err);
    if (!b)
        return false;
    mqtt::MqttBridge bridge(session, std::move(say));
    if (!bridge.start(*b))
        return false;
    err << "mqtt node " << b->node << '\n' << std::flush;
    return bridge.removeAndStop(ms);
}

} // namespace ctl
