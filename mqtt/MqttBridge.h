#pragma once

#include "http/Changes.h"
#include "mqtt/Discovery.h"
#include "mqtt/MqttClient.h"
#include "remote/SessionInstrument.h"
#include "session/SessionObserver.h"

#include <cstdint>
#include <functional>
#include <string>

namespace session {
class MeasurementSession;
}

// The measurement session as a citizen of an MQTT broker: its availability (with the last
// will), the supply's connection, the state each interval and on every change, the events,
// Home Assistant's discovery, and, when allowed, commands through the panel's set-point
// rules with refusals on the error topic. Everything runs on the thread that drives the
// session; the broker's absence never holds up a poll.
namespace mqtt {

struct BridgeOptions {
    Broker broker;
    std::string baseTopic = "quorel";
    std::string node;
    int intervalSeconds = 1;
    bool discovery = true;
    std::string discoveryPrefix = "homeassistant";
    bool control = false;
};

class MqttBridge : public session::SessionObserver, public ClientListener {
public:
    using LogFunction = std::function<void(const std::string&)>;

    MqttBridge(session::MeasurementSession& session, LogFunction log);
    ~MqttBridge() override;
    MqttBridge(const MqttBridge&) = delete;
    MqttBridge& operator=(const MqttBridge&) = delete;

    // Starts the client; false (logged) when it cannot.
    bool start(const BridgeOptions& options);
    // Says `offline` on the availability topic, hands over what waits and disconnects.
    void stop();
    // Empties the retained configurations, state and availability so that the entities go
    // away, and waits (at most `ms`) for the broker to take them; false when it did not.
    bool removeAndStop(int ms);
    // Empties the retained discovery configurations of the node (the entities go).
    void removeDiscovery();
    bool running() const { return client_.running(); }
    bool connected() const { return client_.connected(); }
    const BridgeOptions& options() const { return options_; }

    MqttClient& client() { return client_; }
    // Whether a sequence runs now: commands are refused meanwhile, and its start and end
    // are events.
    void setRunGoing(std::function<bool()> running);
    // Called after the broker connected or went away.
    void setConnectionChanged(std::function<void()> changed) { changed_ = std::move(changed); }

    // ClientListener
    void onConnected() override;
    void onConnectionLost(int reason) override;
    void onConnectRefused(int reason) override;
    void onMessage(const std::string& topic, const std::string& payload, bool retained,
                   const std::string& origin) override;

    // SessionObserver
    void onConnected(bool automatic) override;
    void onDisconnected() override;
    void onDeviceLost(bool reconnecting) override;
    void onOutputChanged(bool on) override;
    void onSourceChanged(PowerSource source) override;
    void onSetpointsChanged(session::SetpointOrigin origin) override;
    void onTrip(const session::Trip& trip) override;
    void onReading(const session::Reading& reading) override;
    void onProtectionsChanged() override;

private:
    void publishAll();
    void publishState();
    void publishDevice();
    void publishDiscovery();
    void event(const std::string& json);
    void command(const std::string& topic, const std::string& what, const std::string& payload);
    void refuse(const std::string& topic, const std::string& text);
    void publishError(const std::string& topic, const std::string& text);
    // Once per start: another program with the same client id took the connection.
    void sayTakenOver();
    std::string brokerName() const;

    session::MeasurementSession& session_;
    LogFunction log_;
    const std::string* sender_ = nullptr; // the topic of the command that runs
    remote::SessionInstrument instrument_;
    http::Changes changes_;
    MqttClient client_;
    BridgeOptions options_;
    Topics topics_;
    std::function<bool()> runGoing_;
    std::function<void()> changed_;
    bool wasRunning_ = false;
    bool removing_ = false;
    bool stateDue_ = false;
    bool wasConstantCurrent_ = false;
    std::int64_t lastStateMs_ = -1000000;
    std::string discoveredFirmware_;
    // This start's mark on what it publishes; another mark on the availability `online`
    // found at a reconnect is a program that took the node's connection over meanwhile.
    std::string origin_;
    int connects_ = 0;
    bool takeOverSaid_ = false;
};

// The node id the broker knows the supply by when none is given: the host name and the
// port's stable name (its link in /dev/serial/by-id when there is one), lower case,
// [a-z0-9_] only.
std::string defaultNodeId(const std::string& hostName, const std::string& portName,
                          const std::string& byIdDir = "/dev/serial/by-id");
// The host's name, "host" when it cannot be read.
std::string hostName();
// Lower case, every run of other characters one '_', none at the ends.
std::string topicWord(const std::string& text);

} // namespace mqtt
