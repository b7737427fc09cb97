#include "mqtt/MqttClient.h"

#include "platform/Clock.h"

#include <mosquitto.h>
#include <mqtt_protocol.h>

#include <charconv>
#include <cstdlib>
#include <cstring>
#include <mutex>

namespace mqtt {

namespace {

// The library once per process, before the first client; its clean-up is left to the exit.
void initialiseLibrary() {
    static std::once_flag once;
    std::call_once(once, [] { mosquitto_lib_init(); });
}

constexpr const char* OriginProperty = "quorel-origin";

MqttClient& self(void* obj) {
    return *static_cast<MqttClient*>(obj);
}

void onConnect(mosquitto*, void* obj, int rc, int, const mosquitto_property*) {
    using In = MqttClient::Incoming;
    self(obj).fromLibrary({rc == 0 ? In::Connected : In::ConnectRefused, rc, {}, {}, false, {}});
}

void onDisconnect(mosquitto*, void* obj, int rc, const mosquitto_property*) {
    self(obj).fromLibrary({MqttClient::Incoming::Lost, rc, {}, {}, false, {}});
}

void published(mosquitto*, void* obj, int mid) {
    self(obj).fromLibrary({MqttClient::Incoming::Published, mid, {}, {}, false, {}});
}

void received(mosquitto*, void* obj, const mosquitto_message* m,
              const mosquitto_property* properties) {
    std::string payload;
    if (m->payload && m->payloadlen > 0)
        payload.assign(static_cast<const char*>(m->payload),
                       static_cast<std::size_t>(m->payloadlen));
    std::string origin;
    // Every user property in turn (a received packet holds a bounded list of them).
    const mosquitto_property* p = properties;
    bool skip = false;
    while (p) {
        char* name = nullptr;
        char* value = nullptr;
        p = mosquitto_property_read_string_pair(p, MQTT_PROP_USER_PROPERTY, &name, &value, skip);
        if (p && name && value && std::strcmp(name, OriginProperty) == 0)
            origin = value;
        std::free(name);
        std::free(value);
        skip = true;
    }
    self(obj).fromLibrary({MqttClient::Incoming::Message, 0, m->topic ? m->topic : "",
                           std::move(payload), m->retain, std::move(origin)});
}

} // namespace

bool parseBrokerUrl(const std::string& url, Broker& out, std::string& problem) {
    Broker b;
    std::string rest;
    if (url.rfind("mqtt://", 0) == 0) {
        rest = url.substr(7);
    } else if (url.rfind("mqtts://", 0) == 0) {
        rest = url.substr(8);
        b.tls = true;
        b.port = 8883;
    } else {
        problem = "the broker is mqtt://[user@]host[:port] or mqtts://[user@]host[:port]";
        return false;
    }
    if (!rest.empty() && rest.back() == '/')
        rest.pop_back();
    if (const auto at = rest.rfind('@'); at != std::string::npos) {
        b.username = rest.substr(0, at);
        rest = rest.substr(at + 1);
        if (b.username.empty() || b.username.find(':') != std::string::npos) {
            problem = "the user name is empty or holds a password (give it in a file instead)";
            return false;
        }
    }
    if (const auto colon = rest.rfind(':'); colon != std::string::npos) {
        const std::string port = rest.substr(colon + 1);
        unsigned value = 0;
        const auto r = std::from_chars(port.data(), port.data() + port.size(), value);
        if (port.empty() || r.ec != std::errc() || r.ptr != port.data() + port.size() ||
            value == 0 || value > 65535) {
            problem = "the port is a number of 1 to 65535";
            return false;
        }
        b.port = static_cast<std::uint16_t>(value);
        rest.resize(colon);
    }
    if (rest.empty() || rest.find_first_of("/?#[] ") != std::string::npos) {
        problem = "the broker's host name is missing or malformed";
        return false;
    }
    b.host = rest;
    out = b;
    return true;
}

MqttClient::MqttClient(ClientListener& listener) : listener_(listener) {}

MqttClient::~MqttClient() {
    stop(0);
}

bool MqttClient::start(const ClientOptions& options, std::string& problem) {
    if (mosq_) {
        problem = "already started";
        return false;
    }
    if (!wakeup_.valid()) {
        problem = "no wake-up handle";
        return false;
    }
    initialiseLibrary();
    options_ = options;
    outbox_ = Outbox(options.outboxCapacity);
    mosq_ = mosquitto_new(options.clientId.c_str(), true, this);
    if (!mosq_) {
        problem = "the MQTT library could not make a client";
        return false;
    }
    auto fail = [&](const std::string& why) {
        mosquitto_destroy(mosq_);
        mosq_ = nullptr;
        mosquitto_property_free_all(&originProperty_);
        problem = why;
        return false;
    };
    mosquitto_int_option(mosq_, MOSQ_OPT_PROTOCOL_VERSION, MQTT_PROTOCOL_V5);
    mosquitto_connect_v5_callback_set(mosq_, onConnect);
    mosquitto_disconnect_v5_callback_set(mosq_, onDisconnect);
    mosquitto_publish_callback_set(mosq_, published);
    mosquitto_message_v5_callback_set(mosq_, received);
    mosquitto_reconnect_delay_set(mosq_, 1, 30, true);
    if (!options.origin.empty() && mosquitto_property_add_string_pair(
                                       &originProperty_, MQTT_PROP_USER_PROPERTY, OriginProperty,
                                       options.origin.c_str()) != MOSQ_ERR_SUCCESS)
        return fail("the origin property cannot be made");
    const Broker& b = options.broker;
    if (!b.username.empty() &&
        mosquitto_username_pw_set(mosq_, b.username.c_str(),
                                  b.password.empty() ? nullptr : b.password.c_str()) !=
            MOSQ_ERR_SUCCESS)
        return fail("the user name or password cannot be used");
    if (b.tls) {
        const char* ca = b.caFile.empty() ? nullptr : b.caFile.c_str();
        if (!ca)
            mosquitto_int_option(mosq_, MOSQ_OPT_TLS_USE_OS_CERTS, 1);
        const int rc =
            mosquitto_tls_set(mosq_, ca, nullptr, b.certFile.empty() ? nullptr : b.certFile.c_str(),
                              b.keyFile.empty() ? nullptr : b.keyFile.c_str(), nullptr);
        if (rc != MOSQ_ERR_SUCCESS)
            return fail(std::string("TLS: ") + mosquitto_strerror(rc));
        // The broker's name is checked against its certificate, always.
        mosquitto_tls_insecure_set(mosq_, false);
    }
    if (options.will) {
        const Message& w = *options.will;
        // The will bears the mark too: the broker sends it when another client takes the
        // connection over, and keeps it where the `online` was.
        mosquitto_property* willProperties = nullptr;
        if (originProperty_ &&
            mosquitto_property_copy_all(&willProperties, originProperty_) != MOSQ_ERR_SUCCESS)
            return fail("the origin property cannot be made");
        // The list is the library's once the will is set, the caller's if it is not.
        if (mosquitto_will_set_v5(mosq_, w.topic.c_str(), static_cast<int>(w.payload.size()),
                                  w.payload.data(), w.qos, w.retain,
                                  willProperties) != MOSQ_ERR_SUCCESS) {
            mosquitto_property_free_all(&willProperties);
            return fail("the last will cannot be set");
        }
    }
    // A broker not there yet is no failure: the network thread tries again with its back-off.
    mosquitto_connect_async(mosq_, b.host.c_str(), b.port, options.keepAliveSeconds);
    if (mosquitto_loop_start(mosq_) != MOSQ_ERR_SUCCESS)
        return fail("the MQTT network thread cannot start");
    return true;
}

void MqttClient::stop(int flushMs) {
    if (!mosq_)
        return;
    if (flushMs > 0 && connected_)
        flush(flushMs);
    mosquitto_disconnect(mosq_);
    mosquitto_loop_stop(mosq_, false);
    mosquitto_destroy(mosq_);
    mosq_ = nullptr;
    mosquitto_property_free_all(&originProperty_);
    connected_ = false;
    inFlight_.clear();
    subscriptions_.clear();
    std::lock_guard<std::mutex> lock(mutex_);
    incoming_.clear();
}

void MqttClient::fromLibrary(Incoming in) {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        incoming_.push_back(std::move(in));
    }
    wakeup_.raise();
}

void MqttClient::publish(Message m) {
    outbox_.push(std::move(m));
    send();
}

void MqttClient::subscribe(const std::string& pattern) {
    subscriptions_.insert(pattern);
    if (connected_)
        mosquitto_subscribe(mosq_, nullptr, pattern.c_str(), 1);
}

void MqttClient::unsubscribe(const std::string& pattern) {
    if (subscriptions_.erase(pattern) && connected_)
        mosquitto_unsubscribe(mosq_, nullptr, pattern.c_str());
}

void MqttClient::send() {
    while (mosq_ && connected_ && !outbox_.empty() && inFlight_.size() < options_.window) {
        const Message& m = outbox_.front();
        int mid = 0;
        const int rc =
            mosquitto_publish_v5(mosq_, &mid, m.topic.c_str(), static_cast<int>(m.payload.size()),
                                 m.payload.data(), m.qos, m.retain, originProperty_);
        if (rc == MOSQ_ERR_NO_CONN || rc == MOSQ_ERR_CONN_LOST)
            return; // kept for the next connection
        if (rc == MOSQ_ERR_SUCCESS)
            inFlight_.insert(mid);
        outbox_.pop();
    }
}

bool MqttClient::flush(int ms) {
    const std::int64_t end = platform::monotonicMs() + ms;
    while (mosq_ && connected_ && (!outbox_.empty() || !inFlight_.empty())) {
        const std::int64_t left = end - platform::monotonicMs();
        if (left <= 0)
            return false;
        if (wakeup_.wait(static_cast<int>(left)))
            serveTurn();
    }
    return outbox_.empty() && inFlight_.empty();
}

std::vector<remote::Watch> MqttClient::watches() const {
    if (!mosq_)
        return {};
    return {{wakeup_.handle(), true, false}};
}

int MqttClient::dueInMs() const {
    return -1;
}

void MqttClient::serveTurn() {
    wakeup_.take();
    std::vector<Incoming> batch;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        batch.swap(incoming_);
    }
    for (Incoming& in : batch) {
        switch (in.kind) {
        case Incoming::Connected:
            connected_ = true;
            inFlight_.clear();
            for (const std::string& pattern : subscriptions_)
                mosquitto_subscribe(mosq_, nullptr, pattern.c_str(), 1);
            listener_.onConnected();
            break;
        case Incoming::ConnectRefused:
            listener_.onConnectRefused(in.code);
            break;
        case Incoming::Lost:
            // A refused connect is followed by a lost one: said once.
            if (connected_) {
                connected_ = false;
                inFlight_.clear();
                listener_.onConnectionLost(in.code);
            }
            break;
        case Incoming::Message:
            listener_.onMessage(in.topic, in.payload, in.retain, in.origin);
            break;
        case Incoming::Published:
            inFlight_.erase(in.code);
            break;
        }
        if (!mosq_)
            return;
    }
    send();
}

} // namespace mqtt
