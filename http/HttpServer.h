#pragma once

#include "remote/Address.h"
#include "remote/LoopSource.h"
#include "remote/Server.h"

#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

// The HTTP server: the protocol is the library's (libmicrohttpd), driven from the outside loop
// without a thread of its own, so that every request is answered on the thread that drives
// the measurement session. It holds the connection limit, the time-out, the memory bound of a
// request's head, the bound of a body and the allow list; what a request gets is the
// handler's. Event streams stay open and are fed by broadcast().
namespace http {

using remote::SocketAddress;

struct Request {
    std::string method;
    std::string path;
    std::string authorization; // the Authorization header, empty when none
    std::string body;
    SocketAddress peer;
    SocketAddress local; // the address and port the request arrived at
};

struct Response {
    int status = 200;
    std::string contentType = "text/plain; charset=utf-8";
    std::string body;
    std::vector<std::pair<std::string, std::string>> headers;
};

class Handler {
public:
    virtual ~Handler() = default;
    virtual Response handle(const Request& request) = 0;
    // Whether the request opens an event stream; `first` gets what the stream starts with.
    virtual bool opensStream(const Request& request, std::string& first) = 0;
};

struct HttpOptions {
    static constexpr std::uint16_t DefaultPort = 8080;
    SocketAddress listen{remote::LoopbackAddress, DefaultPort};
    std::vector<remote::Network> allow; // empty: every client may connect
    unsigned maxConnections = 32;
    unsigned idleTimeoutSeconds = 30;
    std::size_t headMemory = 32 * 1024; // request line and headers of one connection
    std::size_t maxBody = 64 * 1024;
    // What an event stream may have waiting unsent before its client is dropped.
    std::size_t maxStreamBacklog = 256 * 1024;
};

class HttpServer : public remote::LoopSource {
public:
    using Reporter = std::function<void(const remote::ClientReport&)>;

    HttpServer(Handler& handler, Reporter reporter = {});
    ~HttpServer() override;
    HttpServer(const HttpServer&) = delete;
    HttpServer& operator=(const HttpServer&) = delete;

    remote::StartResult start(const HttpOptions& options);
    void stop();
    bool listening() const;
    SocketAddress address() const;
    std::vector<SocketAddress> clients() const;
    std::size_t streams() const;

    // Queues the text on every event stream; a stream whose backlog passes the bound is
    // dropped.
    void broadcast(const std::string& text);

    std::vector<remote::Watch> watches() const override;
    int dueInMs() const override;
    void serveTurn() override;

    struct Impl;

private:
    std::unique_ptr<Impl> impl_;
};

} // namespace http
