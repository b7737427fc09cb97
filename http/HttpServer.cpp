#include "http/HttpServer.h"

#include "remote/ListenPolicy.h"

#include <microhttpd.h>

#include <algorithm>
#include <climits>
#include <cstdarg>
#include <cstring>

namespace http {

using remote::ClientEvent;

namespace {

// One request's state between the library's calls: the body as it arrives, within its bound.
struct Pending {
    std::string body;
    bool tooLarge = false;
    bool answered = false;
};

// Whether a Content-Length header announces more than `limit` bytes. A header that is no
// number is the library's to refuse.
bool announcesMore(const char* length, std::size_t limit) {
    std::size_t value = 0;
    for (const char* p = length; *p; ++p) {
        if (*p < '0' || *p > '9')
            return false;
        if (value > limit)
            return true;
        value = value * 10 + static_cast<std::size_t>(*p - '0');
    }
    return value > limit;
}

MHD_Result queue(MHD_Connection* connection, const Response& r) {
    MHD_Response* response = MHD_create_response_from_buffer(
        r.body.size(), const_cast<char*>(r.body.data()), MHD_RESPMEM_MUST_COPY);
    if (!response)
        return MHD_NO;
    MHD_add_response_header(response, MHD_HTTP_HEADER_CONTENT_TYPE, r.contentType.c_str());
    for (const auto& [name, value] : r.headers)
        MHD_add_response_header(response, name.c_str(), value.c_str());
    const MHD_Result result =
        MHD_queue_response(connection, static_cast<unsigned>(r.status), response);
    MHD_destroy_response(response);
    return result;
}

Response tooLargeResponse(std::size_t limit) {
    return {413,
            "application/json",
            "{\"error\":\"the body is larger than " + std::to_string(limit / 1024) + " KiB\"}\n",
            {{"Connection", "close"}}};
}

void quiet(void*, const char*, va_list) {}

} // namespace

// An event stream: what waits for its client, and whether the connection sleeps until there
// is more.
struct Stream {
    MHD_Connection* connection = nullptr;
    HttpServer::Impl* owner = nullptr;
    std::string backlog;
    bool suspended = false;
    bool dropped = false;
};

struct HttpServer::Impl {
    struct Client {
        MHD_Connection* connection;
        SocketAddress peer;
        bool dropped; // dropped on purpose, already reported
    };

    Handler& handler;
    Reporter reporter;
    HttpOptions options;
    MHD_Daemon* daemon = nullptr;
    SocketAddress bound;
    std::vector<Client> clients;
    std::vector<Stream*> streams;
    bool stopping = false;
    bool resumed = false;

    Impl(Handler& h, Reporter r) : handler(h), reporter(std::move(r)) {}

    void report(ClientEvent event, const SocketAddress& peer) {
        if (reporter)
            reporter({event, peer});
    }

    Client* find(MHD_Connection* c) {
        for (Client& client : clients)
            if (client.connection == c)
                return &client;
        return nullptr;
    }

    static MHD_Result acceptPolicy(void* cls, const sockaddr* address, socklen_t) {
        Impl& self = *static_cast<Impl*>(cls);
        SocketAddress peer;
        if (!platform::decodeSocketAddress(address, peer))
            return MHD_NO;
        const auto& allow = self.options.allow;
        const bool allowed =
            allow.empty() || std::any_of(allow.begin(), allow.end(),
                                         [&](const auto& n) { return n.contains(peer.ipv4); });
        if (!allowed) {
            self.report(ClientEvent::RefusedNotAllowed, peer);
            return MHD_NO;
        }
        if (self.clients.size() >= self.options.maxConnections) {
            self.report(ClientEvent::RefusedFull, peer);
            return MHD_NO;
        }
        return MHD_YES;
    }

    static void notifyConnection(void* cls, MHD_Connection* c, void**,
                                 enum MHD_ConnectionNotificationCode code) {
        Impl& self = *static_cast<Impl*>(cls);
        if (code == MHD_CONNECTION_NOTIFY_STARTED) {
            SocketAddress peer;
            const MHD_ConnectionInfo* info =
                MHD_get_connection_info(c, MHD_CONNECTION_INFO_CLIENT_ADDRESS);
            if (info)
                platform::decodeSocketAddress(info->client_addr, peer);
            self.clients.push_back({c, peer, false});
            self.report(ClientEvent::Connected, peer);
            return;
        }
        auto it = std::find_if(self.clients.begin(), self.clients.end(),
                               [&](const Client& client) { return client.connection == c; });
        if (it == self.clients.end())
            return;
        const Client gone = *it;
        self.clients.erase(it);
        if (!gone.dropped)
            self.report(self.stopping ? ClientEvent::DroppedOnStop : ClientEvent::Disconnected,
                        gone.peer);
    }

    static void completed(void*, MHD_Connection*, void** context, enum MHD_RequestTerminationCode) {
        delete static_cast<Pending*>(*context);
        *context = nullptr;
    }

    static ssize_t readStream(void* cls, std::uint64_t, char* buffer, std::size_t max) {
        Stream& s = *static_cast<Stream*>(cls);
        if (s.dropped)
            return MHD_CONTENT_READER_END_WITH_ERROR;
        if (s.backlog.empty()) {
            // Asleep until the next broadcast, so that the loop does not spin on it.
            MHD_suspend_connection(s.connection);
            s.suspended = true;
            return 0;
        }
        const std::size_t n = std::min(max, s.backlog.size());
        std::memcpy(buffer, s.backlog.data(), n);
        s.backlog.erase(0, n);
        return static_cast<ssize_t>(n);
    }

    static void freeStream(void* cls) {
        auto* s = static_cast<Stream*>(cls);
        auto& all = s->owner->streams;
        all.erase(std::remove(all.begin(), all.end(), s), all.end());
        delete s;
    }

    MHD_Result openStream(MHD_Connection* c, const std::string& first) {
        auto* s = new Stream{c, this, first, false, false};
        MHD_Response* response =
            MHD_create_response_from_callback(MHD_SIZE_UNKNOWN, 4096, &readStream, s, &freeStream);
        if (!response) {
            delete s;
            return MHD_NO;
        }
        streams.push_back(s);
        MHD_add_response_header(response, MHD_HTTP_HEADER_CONTENT_TYPE, "text/event-stream");
        MHD_add_response_header(response, MHD_HTTP_HEADER_CACHE_CONTROL, "no-store");
        const MHD_Result result = MHD_queue_response(c, MHD_HTTP_OK, response);
        MHD_destroy_response(response);
        return result;
    }

    Request requestOf(MHD_Connection* c, const char* url, const char* method, std::string body) {
        Request r;
        r.method = method;
        r.path = url;
        if (const char* auth =
                MHD_lookup_connection_value(c, MHD_HEADER_KIND, MHD_HTTP_HEADER_AUTHORIZATION))
            r.authorization = auth;
        r.body = std::move(body);
        if (const Client* client = find(c))
            r.peer = client->peer;
        r.local = bound;
        if (const MHD_ConnectionInfo* info =
                MHD_get_connection_info(c, MHD_CONNECTION_INFO_CONNECTION_FD))
            platform::localAddress(info->connect_fd, r.local);
        return r;
    }

    static MHD_Result answer(void* cls, MHD_Connection* c, const char* url, const char* method,
                             const char*, const char* upload, std::size_t* uploadSize,
                             void** context) {
        Impl& self = *static_cast<Impl*>(cls);
        auto* pending = static_cast<Pending*>(*context);
        const std::size_t limit = self.options.maxBody;
        if (!pending) {
            pending = new Pending;
            *context = pending;
            const char* length =
                MHD_lookup_connection_value(c, MHD_HEADER_KIND, MHD_HTTP_HEADER_CONTENT_LENGTH);
            if (length && announcesMore(length, limit)) {
                // Refused before the body is read: the connection closes after the answer.
                pending->tooLarge = pending->answered = true;
                return queue(c, tooLargeResponse(limit));
            }
            return MHD_YES;
        }
        if (*uploadSize != 0) {
            if (!pending->tooLarge && pending->body.size() + *uploadSize > limit) {
                pending->tooLarge = true;
                std::string().swap(pending->body);
            }
            if (!pending->tooLarge)
                pending->body.append(upload, *uploadSize);
            *uploadSize = 0;
            return MHD_YES;
        }
        if (pending->answered)
            return MHD_YES;
        pending->answered = true;
        if (pending->tooLarge)
            return queue(c, tooLargeResponse(limit));
        const Request request = self.requestOf(c, url, method, std::move(pending->body));
        std::string first;
        if (self.handler.opensStream(request, first))
            return self.openStream(c, first);
        return queue(c, self.handler.handle(request));
    }
};

HttpServer::HttpServer(Handler& handler, Reporter reporter)
    : impl_(std::make_unique<Impl>(handler, std::move(reporter))) {}

HttpServer::~HttpServer() {
    stop();
}

remote::StartResult HttpServer::start(const HttpOptions& options) {
    if (listening())
        return remote::StartResult::AlreadyListening;
    // The same rule as every listener: other hosts reach it only through an allow list.
    if (remote::checkListen(options.listen, options.allow) != remote::ListenCheck::Ok)
        return remote::StartResult::NeedsAllowList;
    impl_->options = options;
    platform::SocketHandle listener = platform::NoSocket;
    switch (platform::listenTcp(options.listen, listener, impl_->bound)) {
    case platform::SocketResult::Ok:
        break;
    case platform::SocketResult::AddressInUse:
        return remote::StartResult::AddressInUse;
    case platform::SocketResult::AddressUnavailable:
        return remote::StartResult::AddressUnavailable;
    case platform::SocketResult::PermissionDenied:
        return remote::StartResult::PermissionDenied;
    default:
        return remote::StartResult::Failed;
    }
    Impl* i = impl_.get();
    // One connection more than the limit reaches the accept policy, which refuses it by
    // name in the log; the library's own limit stands behind it.
    i->daemon = MHD_start_daemon(
        MHD_ALLOW_SUSPEND_RESUME, 0, &Impl::acceptPolicy, i, &Impl::answer, i,
        MHD_OPTION_EXTERNAL_LOGGER, &quiet, nullptr, MHD_OPTION_LISTEN_SOCKET,
        static_cast<MHD_socket>(listener), MHD_OPTION_CONNECTION_LIMIT,
        static_cast<unsigned>(options.maxConnections + 1), MHD_OPTION_CONNECTION_TIMEOUT,
        static_cast<unsigned>(options.idleTimeoutSeconds), MHD_OPTION_CONNECTION_MEMORY_LIMIT,
        options.headMemory, MHD_OPTION_NOTIFY_CONNECTION, &Impl::notifyConnection, i,
        MHD_OPTION_NOTIFY_COMPLETED, &Impl::completed, i, MHD_OPTION_END);
    if (!i->daemon) {
        platform::closeSocket(listener);
        return remote::StartResult::Failed;
    }
    return remote::StartResult::Ok;
}

void HttpServer::stop() {
    Impl& i = *impl_;
    if (!i.daemon)
        return;
    i.stopping = true;
    // The library must not be stopped with a connection asleep.
    for (Stream* s : i.streams) {
        s->dropped = true;
        if (s->suspended) {
            s->suspended = false;
            MHD_resume_connection(s->connection);
        }
    }
    MHD_run(i.daemon);
    MHD_stop_daemon(i.daemon);
    i.daemon = nullptr;
    i.stopping = false;
    i.clients.clear();
}

bool HttpServer::listening() const {
    return impl_->daemon != nullptr;
}

SocketAddress HttpServer::address() const {
    return impl_->bound;
}

std::vector<SocketAddress> HttpServer::clients() const {
    std::vector<SocketAddress> out;
    for (const auto& c : impl_->clients)
        out.push_back(c.peer);
    return out;
}

std::size_t HttpServer::streams() const {
    return impl_->streams.size();
}

void HttpServer::broadcast(const std::string& text) {
    Impl& i = *impl_;
    for (Stream* s : i.streams) {
        if (s->dropped)
            continue;
        if (s->backlog.size() + text.size() > i.options.maxStreamBacklog) {
            // A client that does not read: dropped, and its connection closed by the time-out
            // where the library cannot write to it any more.
            s->dropped = true;
            std::string().swap(s->backlog);
            if (Impl::Client* c = i.find(s->connection)) {
                c->dropped = true;
                i.report(ClientEvent::DroppedNotReading, c->peer);
            }
            MHD_set_connection_option(s->connection, MHD_CONNECTION_OPTION_TIMEOUT, 1u);
        } else {
            s->backlog += text;
        }
        if (s->suspended) {
            s->suspended = false;
            MHD_resume_connection(s->connection);
            i.resumed = true;
        }
    }
}

std::vector<remote::Watch> HttpServer::watches() const {
    std::vector<remote::Watch> out;
    if (!impl_->daemon)
        return out;
    fd_set readSet, writeSet, errorSet;
    FD_ZERO(&readSet);
    FD_ZERO(&writeSet);
    FD_ZERO(&errorSet);
    MHD_socket max = 0;
    if (MHD_get_fdset(impl_->daemon, &readSet, &writeSet, &errorSet, &max) != MHD_YES)
        return out;
    for (MHD_socket fd = 0; fd <= max; ++fd) {
        const bool read = FD_ISSET(fd, &readSet);
        const bool write = FD_ISSET(fd, &writeSet);
        if (read || write || FD_ISSET(fd, &errorSet))
            out.push_back({fd, read || FD_ISSET(fd, &errorSet), write});
    }
    return out;
}

int HttpServer::dueInMs() const {
    if (!impl_->daemon)
        return -1;
    if (impl_->resumed)
        return 0;
    MHD_UNSIGNED_LONG_LONG timeout = 0;
    if (MHD_get_timeout(impl_->daemon, &timeout) != MHD_YES)
        return -1;
    return timeout > INT_MAX ? INT_MAX : static_cast<int>(timeout);
}

void HttpServer::serveTurn() {
    if (!impl_->daemon)
        return;
    impl_->resumed = false;
    MHD_run(impl_->daemon);
}

} // namespace http
