#pragma once

#include "platform/Socket.h"
#include "remote/Address.h"
#include "remote/Vxi11.h"
#include "scpi/Connection.h"
#include "scpi/Instrument.h"

#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

// The instrument server: clients on raw TCP speak the instrument language, each with its own
// connection state, all against one instrument. It owns no thread and no event loop: the
// caller watches the sockets it names and calls back, either from its own poll loop
// (runOnce) or from another event loop (watches, onReadable, onWritable, executeNext).
// Commands run on the calling thread, one unit at a time.
namespace remote {

struct ServerOptions {
    SocketAddress listen{LoopbackAddress, DefaultPort};
    std::vector<Network> allow; // empty: every client may connect, on a loopback address only
    std::size_t maxClients = 16;
    std::size_t maxWaitingReply = scpi::Connection::MaxWaitingReply;
    // VXI-11 beside the raw socket, on the same address (vxi11Port 0: a free port); its
    // links count as clients.
    bool vxi11 = false;
    std::uint16_t vxi11Port = 0;
};

enum class StartResult {
    Ok,
    AlreadyListening,
    AddressInUse,
    AddressUnavailable,
    PermissionDenied,
    Failed,
    NeedsAllowList, // an address other hosts reach, without an allow list (ListenPolicy)
};

enum class ClientEvent {
    Connected,
    RefusedFull,       // closed at once: no room for another client
    RefusedNotAllowed, // closed at once: outside the allow list
    Disconnected,      // the client closed the connection, or it broke
    DroppedNotReading, // closed by the server: more replies waited than the limit
    DroppedOnStop,     // closed because the server stopped
    DroppedBadInput,   // closed by the server: what it sent cannot be followed
};

// What a socket's failure to listen means for a start.
StartResult startResultOf(platform::SocketResult r);

struct ClientReport {
    ClientEvent event;
    SocketAddress peer;
    bool link = false; // a VXI-11 link rather than a raw-socket client
};

// A socket the server wants watched, and for what.
struct Watch {
    platform::SocketHandle socket;
    bool read;
    bool write;
};

class Server {
public:
    // Called for every client that connects, is refused or leaves, stop() and the
    // destructor included; it must not call back into the server.
    using Reporter = std::function<void(const ClientReport&)>;

    explicit Server(scpi::Instrument& instrument, Reporter reporter = {});
    ~Server();
    Server(const Server&) = delete;
    Server& operator=(const Server&) = delete;

    StartResult start(const ServerOptions& options);
    // Closes every client (reported as DroppedOnStop) and the listening socket.
    void stop();
    bool listening() const { return listener_ != platform::NoSocket; }
    // Where it listens, with the real port.
    SocketAddress address() const { return bound_; }
    // The address the last failed start could not listen on.
    SocketAddress failedAt() const { return failedAt_; }
    // Whether this build offers VXI-11, and whether it listens for it now.
    bool vxi11Offered() const { return vxi11_ != nullptr; }
    bool vxi11Listening() const { return vxi11_ && vxi11_->listening(); }
    SocketAddress vxi11Address() const { return vxi11_ ? vxi11_->address() : SocketAddress{}; }
    SocketAddress vxi11AbortAddress() const {
        return vxi11_ ? vxi11_->abortAddress() : SocketAddress{};
    }
    // The clients connected now, oldest first.
    std::vector<SocketAddress> clients() const;

    // The sockets to watch now. The set changes with every call below, so an event loop
    // takes it again after each.
    std::vector<Watch> watches() const;
    void onReadable(platform::SocketHandle socket);
    void onWritable(platform::SocketHandle socket);
    // Whether a client has a unit waiting to run; executeNext runs one, taking the clients
    // in turn, and sends its reply at once.
    bool hasWork() const;
    void executeNext();
    // The client whose unit runs now, while executeNext runs it; null otherwise.
    const SocketAddress* executingFor() const;
    // When a waiting VXI-11 call's time is up (platform::monotonicMs), if one waits; an
    // event loop calls serviceDeadlines then.
    std::optional<std::int64_t> nextDeadlineMs() const;
    void serviceDeadlines();

    // One turn of a poll loop: waits up to `timeoutMs` (not at all while work waits) for
    // the sockets, serves them, and runs one unit. False when the wait itself failed.
    bool runOnce(int timeoutMs);
    // The same turn with other servers of the loop watched beside it: each whose socket is
    // ready or whose time is due gets its turn.
    bool runOnce(int timeoutMs, const std::vector<class LoopSource*>& others);

private:
    struct Client {
        platform::SocketHandle socket;
        SocketAddress peer;
        std::unique_ptr<scpi::Connection> connection;
    };

    void acceptWaiting();
    Client* find(platform::SocketHandle socket);
    // Sends what the client's connection has; drops the client when it is done or broken.
    void flush(Client& client);
    void drop(Client& client, ClientEvent why);
    void report(ClientEvent event, const SocketAddress& peer, bool link = false);
    bool allowed(const SocketAddress& peer) const;
    std::size_t clientCount() const;
    class Host;

    scpi::Instrument& instrument_;
    Reporter reporter_;
    ServerOptions options_;
    platform::SocketHandle listener_ = platform::NoSocket;
    SocketAddress bound_;
    std::vector<std::unique_ptr<Client>> clients_;
    std::size_t nextTurn_ = 0;
    const SocketAddress* executing_ = nullptr;
    SocketAddress failedAt_;
    std::unique_ptr<Host> host_;
    std::unique_ptr<Vxi11Channel> vxi11_;
    std::size_t linkSlots_ = 0; // client slots the VXI-11 links hold
    bool vxi11Turn_ = false;    // whether executeNext serves the links first
};

} // namespace remote
