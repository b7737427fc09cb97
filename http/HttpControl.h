#pragma once

#include "http/Changes.h"
#include "http/HttpServer.h"
#include "http/StatusJson.h"
#include "remote/SessionInstrument.h"
#include "session/SessionObserver.h"

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace session {
class MeasurementSession;
}

// The HTTP front end of one measurement session: metrics for Prometheus, the JSON API, the
// identification page, the live page and its event stream. Every answer is made from what
// the session holds (the last poll's reading, never an exchange per request); changes go
// through the remote instrument, so that they follow the panel's rules and are logged as
// remote actions with the client's address. The panel drives it from its event loop,
// quorelctl serve from its serving loop.
namespace http {

// The other ways into the instrument, named on the identification page.
struct WaysIn {
    std::optional<std::uint16_t> scpiPort; // the raw socket, while it listens
    bool vxi11 = false;
};

class HttpControl : public Handler, public session::SessionObserver {
public:
    using LogFunction = std::function<void(const std::string&)>;

    HttpControl(session::MeasurementSession& session, LogFunction log, std::string token);
    ~HttpControl() override;
    HttpControl(const HttpControl&) = delete;
    HttpControl& operator=(const HttpControl&) = delete;

    // Starts listening and logs where, or why not.
    remote::StartResult start(const HttpOptions& options);
    void stop();
    HttpServer& server() { return server_; }
    const HttpServer& server() const { return server_; }
    const std::string& token() const { return token_; }

    void setWaysIn(const WaysIn& ways) {
        ways_ = [ways] { return ways; };
    }
    // Where the other ways in start and stop while it serves (the panel's remote page), they
    // are asked for at each request.
    void setWaysInFrom(std::function<WaysIn()> ways) { ways_ = std::move(ways); }
    // Whether a sequence runs now: set-points and the output are refused meanwhile.
    void setRunGoing(std::function<bool()> running) { changes_.setRunGoing(std::move(running)); }
    // Called after every change of the connected clients.
    void setClientsChanged(std::function<void()> changed) { clientsChanged_ = std::move(changed); }

    Response handle(const Request& request) override;
    bool opensStream(const Request& request, std::string& first) override;

    std::string metricsText() const;
    std::string statusJson() const;
    std::string identificationXml(const SocketAddress& local) const;

    void onConnected(bool automatic) override;
    void onDeviceLost(bool reconnecting) override;
    void onDisconnected() override;
    void onTrip(const session::Trip& trip) override;
    void onReading(const session::Reading& reading) override;
    void onProtectionsChanged() override;

private:
    Response api(const Request& request);
    Response change(const Request& request);
    void report(const remote::ClientReport& report);
    void event(const char* name, const std::string& data);

    session::MeasurementSession& session_;
    LogFunction log_;
    std::string token_;
    const Request* current_ = nullptr;
    remote::SessionInstrument instrument_;
    HttpServer server_;
    std::function<WaysIn()> ways_;
    Changes changes_;
    std::function<void()> clientsChanged_;
    std::array<std::uint64_t, 3> trips_{};
    std::uint64_t reconnects_ = 0;
    std::int64_t lastKeepAliveMs_ = 0;
};

} // namespace http
