#include "mqtt/MqttBridge.h"

#include "http/StatusJson.h"
#include "mqtt/Command.h"
#include "resources/TextFormat.h"
#include "resources/Texts.h"
#include "session/MeasurementSession.h"

#include <mosquitto.h>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>

#ifndef QUOREL_PROJECT_VERSION
#define QUOREL_PROJECT_VERSION "0"
#endif

namespace mqtt {

using nlohmann::json;

namespace {

constexpr const char* Online = "online";
constexpr const char* Offline = "offline";

Message retained(const std::string& topic, const std::string& payload) {
    return {topic, payload, 1, true, false};
}

// The broker's reason codes are 128 and up; below them the library's own errors (a lost
// socket).
std::string reasonText(int reason) {
    if (reason >= 128) {
        const char* text = mosquitto_reason_string(reason);
        return text ? text : "reason " + std::to_string(reason);
    }
    return mosquitto_strerror(reason);
}

// Unlike any other start's, here or on another host.
std::string newOrigin() {
    std::random_device random;
    char text[40];
    std::snprintf(text, sizeof text, "%08x%08x-%lld", random(), random(),
                  static_cast<long long>(platform::nowMs()));
    return text;
}

} // namespace

std::string topicWord(const std::string& text) {
    std::string out;
    bool gap = false;
    for (char c : text) {
        const char l = (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
        if ((l >= 'a' && l <= 'z') || (l >= '0' && l <= '9')) {
            if (gap && !out.empty())
                out += '_';
            out += l;
            gap = false;
        } else {
            gap = true;
        }
    }
    return out;
}

std::string hostName() {
    std::ifstream in("/proc/sys/kernel/hostname");
    std::string name;
    std::getline(in, name);
    return name.empty() ? "host" : name;
}

std::string defaultNodeId(const std::string& host, const std::string& portName,
                          const std::string& byIdDir) {
    namespace fs = std::filesystem;
    std::error_code ec;
    std::string stable = fs::path(portName).filename().string();
    // A link of /dev/serial/by-id names the device the same way at every plug.
    const fs::path device = fs::canonical(portName, ec);
    if (!ec && fs::path(portName).parent_path() != fs::path(byIdDir)) {
        for (fs::directory_iterator it(byIdDir, ec), end; !ec && it != end; it.increment(ec)) {
            std::error_code linkError;
            if (fs::canonical(it->path(), linkError) == device && !linkError) {
                stable = it->path().filename().string();
                break;
            }
        }
    }
    const std::string word = topicWord(host + "_" + stable);
    return word.empty() ? "quorel" : word;
}

MqttBridge::MqttBridge(session::MeasurementSession& session, LogFunction log)
    : session_(session), log_(std::move(log)),
      instrument_(session, log_,
                  [this] { return sender_ ? "MQTT " + *sender_ : std::string("MQTT"); }),
      changes_(session, instrument_, {}), client_(*this) {
    session_.addObserver(this);
}

MqttBridge::~MqttBridge() {
    changed_ = nullptr;
    stop();
    session_.removeObserver(this);
}

void MqttBridge::setRunGoing(std::function<bool()> running) {
    runGoing_ = running;
    changes_.setRunGoing(std::move(running));
}

std::string MqttBridge::brokerName() const {
    return options_.broker.host + ":" + std::to_string(options_.broker.port);
}

bool MqttBridge::start(const BridgeOptions& options) {
    options_ = options;
    topics_.base = options.baseTopic + "/" + options.node;
    ClientOptions c;
    c.broker = options.broker;
    c.clientId = "quorel-" + options.node;
    c.will = retained(topics_.availability(), Offline);
    origin_ = newOrigin();
    c.origin = origin_;
    connects_ = 0;
    takeOverSaid_ = false;
    std::string problem;
    if (!client_.start(c, problem)) {
        if (log_)
            log_(texts::fill(texts::LogMqttStartFailed, problem));
        return false;
    }
    if (options.control && log_ && (options.broker.username.empty() || !options.broker.tls))
        log_(texts::LogMqttControlInsecure.str());
    client_.subscribe(topics_.base + "/set/+");
    client_.subscribe(topics_.availability());
    if (options.discovery)
        client_.subscribe(options.discoveryPrefix + "/status");
    return true;
}

void MqttBridge::stop() {
    if (!client_.running())
        return;
    client_.publish(retained(topics_.availability(), Offline));
    client_.stop();
    if (log_)
        log_(texts::LogMqttStopped.str());
}

bool MqttBridge::removeAndStop(int ms) {
    removing_ = true;
    removeDiscovery();
    for (const std::string& topic : {topics_.state(), topics_.device(), topics_.availability()})
        client_.publish(retained(topic, ""));
    const std::int64_t end = platform::monotonicMs() + ms;
    // The removal needs the broker: it waits for the connection, then for the acknowledgements.
    while (!client_.connected() && platform::monotonicMs() < end) {
        platform::sleepMs(20);
        client_.serveTurn();
    }
    const std::int64_t left = end - platform::monotonicMs();
    const bool done = client_.connected() && left > 0 && client_.flush(static_cast<int>(left));
    client_.stop(0);
    if (log_)
        log_(done ? texts::LogMqttRemoved.str() : texts::LogMqttRemoveFailed.str());
    return done;
}

void MqttBridge::removeDiscovery() {
    for (const std::string& topic : discoveryTopics(options_.discoveryPrefix, options_.node))
        client_.publish(retained(topic, ""));
}

// --- the broker ---

void MqttBridge::onConnected() {
    ++connects_;
    if (log_)
        log_(texts::fill(texts::LogMqttConnected, brokerName()));
    if (!removing_)
        publishAll();
    if (changed_)
        changed_();
}

void MqttBridge::onConnectionLost(int reason) {
    if (log_) {
        if (reason == ReasonSessionTakenOver)
            sayTakenOver();
        log_(texts::fill(texts::LogMqttLost, brokerName(), reasonText(reason)));
    }
    if (changed_)
        changed_();
}

void MqttBridge::sayTakenOver() {
    if (takeOverSaid_ || !log_)
        return;
    takeOverSaid_ = true;
    log_(texts::fill(texts::LogMqttTakenOver, "quorel-" + options_.node));
}

void MqttBridge::onConnectRefused(int reason) {
    if (log_)
        log_(texts::fill(texts::LogMqttRefused, brokerName(), reasonText(reason)));
}

void MqttBridge::onMessage(const std::string& topic, const std::string& payload, bool retain,
                           const std::string& origin) {
    if (removing_)
        return;
    if (topic == topics_.availability()) {
        // Many brokers close a connection taken over without a reason. At the reconnect the
        // broker hands over the availability it kept (the other program's `online`, or its
        // will when this one took the connection back): another start's mark means a
        // program with the same client id connected meanwhile. Said once; a first connect
        // finds the mark of an earlier run, which proves nothing.
        if (!origin.empty() && origin != origin_ && connects_ > 1)
            sayTakenOver();
        return;
    }
    if (options_.discovery && topic == options_.discoveryPrefix + "/status") {
        // Home Assistant started again: it needs the configurations anew.
        if (payload == Online)
            publishAll();
        return;
    }
    const std::string prefix = topics_.base + "/set/";
    if (topic.rfind(prefix, 0) != 0)
        return;
    // A command kept by the broker is an old wish, not the owner's now: a retained ON must
    // not switch the output at the next start.
    if (retain) {
        if (log_)
            log_(texts::fill(texts::LogMqttRetainedIgnored, topic));
        return;
    }
    command(topic, topic.substr(prefix.size()), payload);
}

void MqttBridge::publishAll() {
    client_.publish(retained(topics_.availability(), Online));
    publishDevice();
    if (options_.discovery)
        publishDiscovery();
    publishState();
}

void MqttBridge::publishDevice() {
    client_.publish(retained(topics_.device(), session_.connected() ? Online : Offline));
}

void MqttBridge::publishDiscovery() {
    DiscoveryInput in;
    in.prefix = options_.discoveryPrefix;
    in.node = options_.node;
    in.topics = topics_;
    in.control = options_.control;
    in.firmware = session_.version();
    in.version = QUOREL_PROJECT_VERSION;
    discoveredFirmware_ = in.firmware;
    const std::vector<DiscoveryConfig> configs = discoveryConfigs(in);
    for (const DiscoveryConfig& c : configs)
        client_.publish(retained(c.topic, c.payload));
    // The controls go when control is not allowed (any more).
    if (!options_.control)
        for (const std::string& topic : discoveryTopics(in.prefix, in.node))
            if (std::none_of(configs.begin(), configs.end(),
                             [&](const DiscoveryConfig& c) { return c.topic == topic; }))
                client_.publish(retained(topic, ""));
}

void MqttBridge::publishState() {
    Message m{topics_.state(), http::statusJson(session_), 0, true, true};
    client_.publish(std::move(m));
    stateDue_ = false;
}

void MqttBridge::event(const std::string& text) {
    client_.publish({topics_.event(), text, 1, false, false});
}

// --- commands ---

void MqttBridge::refuse(const std::string& topic, const std::string& text) {
    if (log_)
        log_(texts::fill(texts::LogMqttCommandRefused, topic, text));
    publishError(topic, text);
}

void MqttBridge::publishError(const std::string& topic, const std::string& text) {
    client_.publish(
        {topics_.error(), json{{"topic", topic}, {"error", text}}.dump(), 1, false, false});
}

void MqttBridge::command(const std::string& topic, const std::string& what,
                         const std::string& payload) {
    if (!options_.control) {
        refuse(topic, texts::MqttRefusedControlOff.str());
        return;
    }
    const ParsedCommand parsed = parseCommand(what, payload);
    if (!parsed.command) {
        refuse(topic, parsed.problem);
        return;
    }
    const Command& c = *parsed.command;
    const std::string* outer = sender_;
    sender_ = &topic;
    http::ChangeOutcome o;
    switch (c.kind) {
    case Command::Output:
        o = changes_.output(c.on);
        break;
    case Command::Voltage:
        o = changes_.setpoints(c.value, std::nullopt);
        break;
    case Command::Current:
        o = changes_.setpoints(std::nullopt, c.value);
        break;
    case Command::ResetCounters:
        o = changes_.resetCounters();
        break;
    }
    sender_ = outer;
    if (!o.ok()) {
        // The instrument has logged the refusal as a remote action already.
        publishError(topic, o.refusal);
        return;
    }
    publishState();
}

// --- the session ---

void MqttBridge::onConnected(bool automatic) {
    publishDevice();
    if (options_.discovery && session_.version() != discoveredFirmware_)
        publishDiscovery();
    event(json{{"event", automatic ? "reconnect" : "connect"}}.dump());
    publishState();
}

void MqttBridge::onDisconnected() {
    publishDevice();
    event(json{{"event", "lost"}, {"reconnecting", false}}.dump());
    publishState();
}

void MqttBridge::onDeviceLost(bool reconnecting) {
    publishDevice();
    event(json{{"event", "lost"}, {"reconnecting", reconnecting}}.dump());
    publishState();
}

void MqttBridge::onOutputChanged(bool) {
    stateDue_ = true;
}

void MqttBridge::onSourceChanged(PowerSource) {
    stateDue_ = true;
}

void MqttBridge::onSetpointsChanged(session::SetpointOrigin) {
    stateDue_ = true;
}

void MqttBridge::onTrip(const session::Trip& trip) {
    event(json{{"event", "trip"},
               {"kind", http::protectionWord(trip.kind)},
               {"level", trip.level},
               {"value", trip.value},
               {"time", http::rfc3339(trip.time)}}
              .dump());
    stateDue_ = true;
}

void MqttBridge::onProtectionsChanged() {
    publishState();
}

void MqttBridge::onReading(const session::Reading& reading) {
    const bool running = runGoing_ && runGoing_();
    if (running != wasRunning_) {
        wasRunning_ = running;
        event(json{{"event", running ? "sequence_start" : "sequence_end"}}.dump());
        stateDue_ = true;
    }
    const bool cc = session_.status().constantCurrent != 0;
    if (cc != wasConstantCurrent_) {
        wasConstantCurrent_ = cc;
        stateDue_ = true;
    }
    // A poll a little early still counts for its interval.
    const std::int64_t intervalMs = std::int64_t{options_.intervalSeconds} * 1000;
    if (stateDue_ || reading.monotonicMs - lastStateMs_ >= intervalMs - session::PollPeriodMs / 2) {
        lastStateMs_ = reading.monotonicMs;
        publishState();
    }
}

} // namespace mqtt
