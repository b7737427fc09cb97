#include "remote/Server.h"

#include "platform/Clock.h"
#include "remote/ListenPolicy.h"
#include "remote/LoopSource.h"

#include <algorithm>

namespace remote {

namespace {

// What one read takes from a client; the connection stops wanting input long before its
// queue grows far beyond this.
constexpr std::size_t ReadChunk = 16 * 1024;
// Connections taken per readiness of the listener, so that a flood cannot hold the loop.
constexpr int AcceptsPerTurn = 32;

} // namespace

StartResult startResultOf(platform::SocketResult r) {
    switch (r) {
    case platform::SocketResult::Ok:
        return StartResult::Ok;
    case platform::SocketResult::AddressInUse:
        return StartResult::AddressInUse;
    case platform::SocketResult::AddressUnavailable:
        return StartResult::AddressUnavailable;
    case platform::SocketResult::PermissionDenied:
        return StartResult::PermissionDenied;
    default:
        return StartResult::Failed;
    }
}

// The server as the VXI-11 channel sees it: one allow list and one client limit for both.
class Server::Host : public Vxi11Host {
public:
    explicit Host(Server& server) : server_(server) {}
    bool allowed(const SocketAddress& peer) const override { return server_.allowed(peer); }
    bool takeClientSlot() override {
        if (server_.clientCount() >= server_.options_.maxClients)
            return false;
        ++server_.linkSlots_;
        return true;
    }
    void releaseClientSlot() override {
        if (server_.linkSlots_ > 0)
            --server_.linkSlots_;
    }
    std::size_t maxClients() const override { return server_.options_.maxClients; }
    std::size_t maxWaitingReply() const override { return server_.options_.maxWaitingReply; }
    void report(ClientEvent event, const SocketAddress& peer, bool link) override {
        server_.report(event, peer, link);
    }
    scpi::Instrument& instrument() override { return server_.instrument_; }

private:
    Server& server_;
};

Server::Server(scpi::Instrument& instrument, Reporter reporter)
    : instrument_(instrument), reporter_(std::move(reporter)), host_(std::make_unique<Host>(*this)),
      vxi11_(makeVxi11Channel(*host_)) {}

Server::~Server() {
    stop();
}

StartResult Server::start(const ServerOptions& options) {
    if (listening())
        return StartResult::AlreadyListening;
    if (checkListen(options.listen, options.allow) != ListenCheck::Ok)
        return StartResult::NeedsAllowList;
    options_ = options;
    StartResult r = startResultOf(platform::listenTcp(options.listen, listener_, bound_));
    failedAt_ = options.listen;
    if (r != StartResult::Ok || !options.vxi11 || !vxi11_)
        return r;
    failedAt_ = {options.listen.ipv4, options.vxi11Port};
    r = vxi11_->start(failedAt_);
    if (r != StartResult::Ok)
        stop();
    return r;
}

void Server::stop() {
    if (vxi11_)
        vxi11_->stop();
    linkSlots_ = 0;
    while (!clients_.empty())
        drop(*clients_.front(), ClientEvent::DroppedOnStop);
    platform::closeSocket(listener_);
    listener_ = platform::NoSocket;
}

std::vector<SocketAddress> Server::clients() const {
    std::vector<SocketAddress> out;
    for (const auto& c : clients_)
        out.push_back(c->peer);
    if (vxi11_)
        vxi11_->addClients(out);
    return out;
}

std::size_t Server::clientCount() const {
    return clients_.size() + linkSlots_;
}

bool Server::allowed(const SocketAddress& peer) const {
    const auto& allow = options_.allow;
    return allow.empty() ||
           std::any_of(allow.begin(), allow.end(), [&](auto& n) { return n.contains(peer.ipv4); });
}

std::vector<Watch> Server::watches() const {
    std::vector<Watch> out;
    if (listening())
        out.push_back({listener_, true, false});
    for (const auto& c : clients_)
        out.push_back({c->socket, c->connection->wantsInput(), !c->connection->output().empty()});
    if (vxi11_)
        vxi11_->addWatches(out);
    return out;
}

void Server::report(ClientEvent event, const SocketAddress& peer, bool link) {
    if (reporter_)
        reporter_({event, peer, link});
}

Server::Client* Server::find(platform::SocketHandle socket) {
    for (auto& c : clients_)
        if (c->socket == socket)
            return c.get();
    return nullptr;
}

void Server::acceptWaiting() {
    for (int i = 0; i < AcceptsPerTurn; ++i) {
        platform::SocketHandle socket = platform::NoSocket;
        SocketAddress peer;
        platform::SocketResult r = platform::acceptTcp(listener_, socket, peer);
        if (r == platform::SocketResult::WouldBlock)
            return;
        if (r != platform::SocketResult::Ok) {
            if (peer.ipv4 != 0)
                report(ClientEvent::RefusedFull, peer);
            return;
        }
        const bool admitted = allowed(peer);
        if (!admitted || clientCount() >= options_.maxClients) {
            platform::closeSocket(socket);
            report(admitted ? ClientEvent::RefusedFull : ClientEvent::RefusedNotAllowed, peer);
            continue;
        }
        clients_.push_back(std::make_unique<Client>(
            Client{socket, peer,
                   std::make_unique<scpi::Connection>(instrument_, options_.maxWaitingReply)}));
        report(ClientEvent::Connected, peer);
    }
}

void Server::onReadable(platform::SocketHandle socket) {
    if (vxi11_ && vxi11_->onReadable(socket))
        return;
    if (listening() && socket == listener_) {
        acceptWaiting();
        return;
    }
    Client* client = find(socket);
    if (!client)
        return;
    // A hang-up or an error is reported even where no reading was asked for: a send finds
    // out whether the client is still there.
    if (!client->connection->wantsInput()) {
        flush(*client);
        return;
    }
    char buffer[ReadChunk];
    std::size_t received = 0;
    switch (platform::receiveSome(socket, buffer, sizeof buffer, received)) {
    case platform::SocketResult::Ok:
        client->connection->receive(std::string_view(buffer, received));
        break;
    case platform::SocketResult::Closed:
        // Lines it sent in full still run and are answered if it still reads.
        client->connection->endOfInput();
        flush(*client);
        break;
    case platform::SocketResult::WouldBlock:
        break;
    default:
        drop(*client, ClientEvent::Disconnected);
        break;
    }
}

void Server::onWritable(platform::SocketHandle socket) {
    if (vxi11_ && vxi11_->onWritable(socket))
        return;
    if (Client* client = find(socket))
        flush(*client);
}

void Server::flush(Client& client) {
    scpi::Connection& c = *client.connection;
    while (!c.output().empty()) {
        std::size_t sent = 0;
        platform::SocketResult r =
            platform::sendSome(client.socket, c.output().data(), c.output().size(), sent);
        if (r == platform::SocketResult::WouldBlock)
            break;
        if (r != platform::SocketResult::Ok) {
            drop(client, ClientEvent::Disconnected);
            return;
        }
        c.consumeOutput(sent);
    }
    if (c.overflowed())
        drop(client, ClientEvent::DroppedNotReading);
    else if (c.finished())
        drop(client, ClientEvent::Disconnected);
}

void Server::drop(Client& client, ClientEvent why) {
    auto it = std::find_if(clients_.begin(), clients_.end(),
                           [&](const auto& c) { return c.get() == &client; });
    if (it == clients_.end())
        return;
    std::unique_ptr<Client> gone = std::move(*it);
    clients_.erase(it);
    platform::closeSocket(gone->socket);
    report(why, gone->peer);
}

bool Server::hasWork() const {
    return (vxi11_ && vxi11_->hasWork()) ||
           std::any_of(clients_.begin(), clients_.end(),
                       [](const auto& c) { return c->connection->hasWork(); });
}

const SocketAddress* Server::executingFor() const {
    if (executing_)
        return executing_;
    return vxi11_ ? vxi11_->executingFor() : nullptr;
}

std::optional<std::int64_t> Server::nextDeadlineMs() const {
    return vxi11_ ? vxi11_->nextDeadlineMs() : std::nullopt;
}

void Server::serviceDeadlines() {
    if (vxi11_)
        vxi11_->serviceDeadlines();
}

void Server::executeNext() {
    // The links and the raw clients take turns, so that neither side waits for the other.
    const bool linksWork = vxi11_ && vxi11_->hasWork();
    vxi11Turn_ = !vxi11Turn_;
    if (linksWork &&
        (vxi11Turn_ || !std::any_of(clients_.begin(), clients_.end(),
                                    [](const auto& c) { return c->connection->hasWork(); }))) {
        vxi11_->executeNext();
        return;
    }
    for (std::size_t i = 0; i < clients_.size(); ++i) {
        Client& c = *clients_[(nextTurn_ + i) % clients_.size()];
        if (!c.connection->hasWork())
            continue;
        nextTurn_ = (nextTurn_ + i + 1) % clients_.size();
        executing_ = &c.peer;
        c.connection->executeNext();
        executing_ = nullptr;
        flush(c);
        return;
    }
}

bool Server::runOnce(int timeoutMs) {
    return runOnce(timeoutMs, {});
}

bool Server::runOnce(int timeoutMs, const std::vector<LoopSource*>& others) {
    std::vector<platform::SocketWatch> sockets;
    for (const Watch& w : watches())
        sockets.push_back({w.socket, w.read, w.write});
    if (const auto deadline = nextDeadlineMs()) {
        const std::int64_t left = std::max<std::int64_t>(0, *deadline - platform::monotonicMs());
        if (timeoutMs < 0 || left < timeoutMs)
            timeoutMs = static_cast<int>(left);
    }
    const std::size_t own = sockets.size();
    // Where each other source's sockets begin in the list, and the end.
    std::vector<std::size_t> starts;
    std::vector<int> dues;
    int wait = hasWork() ? 0 : timeoutMs;
    for (const LoopSource* o : others) {
        starts.push_back(sockets.size());
        for (const Watch& w : o->watches())
            sockets.push_back({w.socket, w.read, w.write});
        dues.push_back(o->dueInMs());
        if (dues.back() >= 0 && (wait < 0 || dues.back() < wait))
            wait = dues.back();
    }
    starts.push_back(sockets.size());
    const std::int64_t before = platform::monotonicMs();
    if (!platform::waitForSockets(sockets, wait))
        return false;
    serviceDeadlines();
    const auto waited = static_cast<int>(platform::monotonicMs() - before);
    for (std::size_t i = 0; i < others.size(); ++i) {
        bool ready = false;
        for (std::size_t k = starts[i]; k < starts[i + 1]; ++k)
            ready = ready || sockets[k].readable || sockets[k].writable;
        if (ready || (dues[i] >= 0 && dues[i] <= waited))
            others[i]->serveTurn();
    }
    for (std::size_t k = 0; k < own; ++k) {
        const platform::SocketWatch& s = sockets[k];
        if (s.readable)
            onReadable(s.socket);
        if (s.writable)
            onWritable(s.socket);
    }
    if (hasWork())
        executeNext();
    return true;
}

} // namespace remote
