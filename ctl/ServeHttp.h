#pragma once

#include "remote/Address.h"
#include "remote/LoopSource.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace session {
class MeasurementSession;
}
namespace sequence {
class Runner;
}

// The HTTP server of quorelctl serve, where the build has one (Linux with libmicrohttpd);
// elsewhere --http is refused as not available.
namespace ctl {

struct HttpServeOptions {
    remote::SocketAddress listen;
    std::vector<remote::Network> allow;
    bool newToken = false;
    std::optional<std::uint16_t> scpiPort;
    bool vxi11 = false; // VXI-11 runs beside the raw socket
};

class HttpFront {
public:
    virtual ~HttpFront() = default;
    virtual remote::LoopSource& loop() = 0;
    // The port it listens on, for the announcement on the network.
    virtual std::uint16_t port() const = 0;
};

bool httpAvailable();

// Makes or reads the token, starts listening, and prints "http on ADDR:PORT" and the token
// on `err` (never in the system log); null when it cannot (logged, and said on `err`).
std::unique_ptr<HttpFront> startHttpServer(session::MeasurementSession& session,
                                           const sequence::Runner& runner,
                                           const HttpServeOptions& options,
                                           std::function<void(const std::string&)> say,
                                           std::ostream& err);

} // namespace ctl
