#pragma once

#include "mqtt/Outbox.h"
#include "mqtt/Wakeup.h"
#include "remote/LoopSource.h"

#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <vector>

struct mosquitto;
struct mqtt5__property; // the library's mosquitto_property

// The link to an MQTT broker on the library's (libmosquitto's) own network thread, which
// connects, keeps the connection alive and reconnects with a growing back-off (1 s doubling
// to 30 s), so that neither a name look-up nor a dead broker holds up the session. What the
// library reports is queued and handed over through a Wakeup the session's loop watches: the
// listener is called on that loop's thread only, as a remote::LoopSource turn. Messages go
// out through a bounded Outbox, a window of them at a time handed to the library.
namespace mqtt {

struct Broker {
    std::string host;
    std::uint16_t port = 1883;
    bool tls = false;
    std::string username;
    std::string password;
    std::string caFile;   // empty with tls: the system's certificate store
    std::string certFile; // a client certificate, with its key
    std::string keyFile;
};

// "mqtt://[user@]host[:port]" or "mqtts://..." (port 1883 or 8883 unless given); false with
// the problem said.
bool parseBrokerUrl(const std::string& url, Broker& out, std::string& problem);

// Why the broker ended the connection: the broker saw another client with the same id. A
// broker that closes the socket without saying so shows it as a plain loss.
constexpr int ReasonSessionTakenOver = 142;

class ClientListener {
public:
    virtual ~ClientListener() = default;
    virtual void onConnected() = 0;
    // `reason`: the broker's reason code, or the library's error number for a lost socket.
    virtual void onConnectionLost(int reason) = 0;
    // A connection attempt the broker refused (`reason`: its reason code).
    virtual void onConnectRefused(int reason) = 0;
    // `origin`: the origin property the publisher attached (see ClientOptions), or "".
    virtual void onMessage(const std::string& topic, const std::string& payload, bool retained,
                           const std::string& origin) = 0;
};

struct ClientOptions {
    Broker broker;
    std::string clientId;
    std::optional<Message> will;
    // Attached to every message this client publishes as the user property `quorel-origin`,
    // so that a program can tell its own retained messages from another's: the broker keeps
    // the property with what it retains.
    std::string origin;
    int keepAliveSeconds = 30;
    std::size_t outboxCapacity = 512;
    std::size_t window = 64; // messages handed to the library and not yet written out
};

class MqttClient : public remote::LoopSource {
public:
    explicit MqttClient(ClientListener& listener);
    ~MqttClient() override;
    MqttClient(const MqttClient&) = delete;
    MqttClient& operator=(const MqttClient&) = delete;

    // Starts the network thread and the first connection attempt; false with the problem
    // (bad options, files the TLS set-up cannot read). A broker not there yet is no failure.
    bool start(const ClientOptions& options, std::string& problem);
    // Hands over what waits (at most `flushMs` milliseconds), disconnects and ends the
    // thread.
    void stop(int flushMs = 2000);
    bool running() const { return mosq_ != nullptr; }
    bool connected() const { return connected_; }

    void publish(Message m);
    // Subscribed now when connected, and again after every connect.
    void subscribe(const std::string& pattern);
    void unsubscribe(const std::string& pattern);
    // Serves turns until nothing waits for the broker, at most `ms` milliseconds; true when
    // everything was written out (and QoS 1 messages acknowledged).
    bool flush(int ms);
    std::uint64_t dropped() const { return outbox_.dropped(); }

    std::vector<remote::Watch> watches() const override;
    int dueInMs() const override;
    void serveTurn() override;

    // The library's calls, on its thread.
    struct Incoming {
        enum Kind { Connected, ConnectRefused, Lost, Message, Published } kind;
        int code = 0;
        std::string topic;
        std::string payload;
        bool retain = false;
        std::string origin;
    };
    void fromLibrary(Incoming in);

private:
    void send();

    ClientListener& listener_;
    Wakeup wakeup_;
    mosquitto* mosq_ = nullptr;
    mqtt5__property* originProperty_ = nullptr; // sent with every message
    ClientOptions options_;
    Outbox outbox_{512};
    std::set<int> inFlight_;
    std::set<std::string> subscriptions_;
    bool connected_ = false;

    std::mutex mutex_;
    std::vector<Incoming> incoming_; // guarded by mutex_
};

} // namespace mqtt
