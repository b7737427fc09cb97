// quorelctl serve's HTTP server: the token from the settings folder and the control in the
// serving loop.
#include "ctl/ServeHttp.h"

#include "http/HttpControl.h"
#include "http/Token.h"
#include "platform/Paths.h"
#include "resources/Texts.h"
#include "sequence/Runner.h"

#include <ostream>

namespace ctl {

namespace {

class Front : public HttpFront {
public:
    Front(session::MeasurementSession& session, std::function<void(const std::string&)> say,
          std::string token)
        : control(session, std::move(say), std::move(token)) {}
    remote::LoopSource& loop() override { return control.server(); }
    std::uint16_t port() const override { return control.server().address().port; }
    http::HttpControl control;
};

} // namespace

bool httpAvailable() {
    return true;
}

std::unique_ptr<HttpFront> startHttpServer(session::MeasurementSession& session,
                                           const sequence::Runner& runner,
                                           const HttpServeOptions& options,
                                           std::function<void(const std::string&)> say,
                                           std::ostream& err) {
    const auto token = http::loadOrMakeToken(platform::settingsDirectory(), options.newToken);
    if (!token) {
        say(texts::LogHttpTokenFailed.str());
        return nullptr;
    }
    auto front = std::make_unique<Front>(session, std::move(say), *token);
    front->control.setWaysIn({options.scpiPort, options.vxi11});
    front->control.setRunGoing([&runner] { return runner.running(); });
    http::HttpOptions o;
    o.listen = options.listen;
    o.allow = options.allow;
    if (front->control.start(o) != remote::StartResult::Ok)
        return nullptr;
    err << "http on " << remote::formatEndpoint(front->control.server().address()) << '\n'
        << "http token " << *token << '\n'
        << std::flush;
    return front;
}

} // namespace ctl
