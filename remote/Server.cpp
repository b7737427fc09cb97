#include "remote/Server.h"

#include "remote/ListenPolicy.h"

#include <algorithm>

namespace remote {

namespace {

// What one read takes from a client; the connection stops wanting input long before its
// queue grows far beyond this.
constexpr std::size_t ReadChunk = 16 * 1024;
// Connections taken per readiness of the listener, so that a flood cannot hold the loop.
constexpr int AcceptsPerTurn = 32;

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

} // namespace

Server::Server(scpi::Instrument& instrument, Reporter reporter)
    : instrument_(instrument), reporter_(std::move(reporter)) {}

Server::~Server() {
    stop();
}

StartResult Server::start(const ServerOptions& options) {
    if (listening())
        return StartResult::AlreadyListening;
    if (checkListen(options.listen, options.allow) != ListenCheck::Ok)
        return StartResult::NeedsAllowList;
    options_ = options;
    return startResultOf(platform::listenTcp(options.listen, listener_, bound_));
}

void Server::stop() {
    while (!clients_.empty())
        drop(*clients_.front(), ClientEvent::DroppedOnStop);
    platform::closeSocket(listener_);
    listener_ = platform::NoSocket;
}

std::vector<SocketAddress> Server::clients() const {
    std::vector<SocketAddress> out;
    for (const auto& c : clients_)
        out.push_back(c->peer);
    return out;
}

std::vector<Watch> Server::watches() const {
    std::vector<Watch> out;
    if (listening())
        out.push_back({listener_, true, false});
    for (const auto& c : clients_)
        out.push_back({c->socket, c->connection->wantsInput(), !c->connection->output().empty()});
    return out;
}

void Server::report(ClientEvent event, const SocketAddress& peer) {
    if (reporter_)
        reporter_({event, peer});
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
        const auto& allow = options_.allow;
        bool allowed = allow.empty() || std::any_of(allow.begin(), allow.end(),
                                                    [&](auto& n) { return n.contains(peer.ipv4); });
        if (!allowed || clients_.size() >= options_.maxClients) {
            platform::closeSocket(socket);
            report(allowed ? ClientEvent::RefusedFull : ClientEvent::RefusedNotAllowed, peer);
            continue;
        }
        clients_.push_back(std::make_unique<Client>(
            Client{socket, peer,
                   std::make_unique<scpi::Connection>(instrument_, options_.maxWaitingReply)}));
        report(ClientEvent::Connected, peer);
    }
}

void Server::onReadable(platform::SocketHandle socket) {
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
    return std::any_of(clients_.begin(), clients_.end(),
                       [](const auto& c) { return c->connection->hasWork(); });
}

void Server::executeNext() {
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
    std::vector<platform::SocketWatch> sockets;
    for (const Watch& w : watches())
        sockets.push_back({w.socket, w.read, w.write});
    if (!platform::waitForSockets(sockets, hasWork() ? 0 : timeoutMs))
        return false;
    for (const platform::SocketWatch& s : sockets) {
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
