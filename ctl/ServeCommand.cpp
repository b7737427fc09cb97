// serve: the supply as a networked instrument for scripts and lab software, polled through
// the measurement session as the panel polls it, until stopped.
#include "ctl/Commands.h"

#include "ctl/ExitCode.h"
#include "ctl/ServeHttp.h"
#include "ctl/ServeMqtt.h"
#include "ctl/Session.h"
#include "ctl/SessionReport.h"
#include "ctl/StopSignal.h"
#include "platform/Signals.h"
#include "remote/ListenPolicy.h"
#include "remote/RemoteControl.h"
#include "remote/RemoteSettings.h"
#include "resources/TextFormat.h"
#include "resources/Texts.h"
#include "sequence/SessionSupply.h"

#include <cstdlib>
#include <memory>
#include <optional>

namespace ctl {

namespace {

struct Options {
    remote::ServerOptions server;
    std::optional<std::string> csv;
    int intervalSeconds = 1;
    std::optional<HttpServeOptions> http;
    bool announce = false; // announced on the network even on a loopback address
    std::optional<MqttServeOptions> mqtt;
    bool mqttRemove = false;
};

// Every listener of serve follows one rule: an address other hosts can reach needs an allow
// list. False, with the message said, when `listen` breaks it.
bool listenAllowed(Session& s, const remote::SocketAddress& listen,
                   const std::vector<remote::Network>& allow) {
    if (remote::checkListen(listen, allow) == remote::ListenCheck::Ok)
        return true;
    s.err << "quorelctl serve: " << remote::formatEndpoint(listen)
          << " can be reached from other hosts: name the clients to let in with --allow "
             "CIDR[,CIDR...] (or Allow= in [REMOTE] of Quorel.ini), or give --allow "
          << remote::AnyHost << " to let any host in\n";
    return false;
}

// --http ADDR:PORT and --new-token: the HTTP server beside the instrument, let in by the
// same allow list.
std::optional<int> readHttpOptions(Session& s, Options& o) {
    const auto text = s.line.value("http");
    if (!text) {
        if (!s.line.has("new-token"))
            return std::nullopt;
        s.err << "quorelctl serve: --new-token needs --http\n";
        return Usage;
    }
    if (!httpAvailable()) {
        s.err << "quorelctl serve: --http is not available in this build\n";
        return Usage;
    }
    HttpServeOptions h;
    if (remote::parseEndpoint(*text, h.listen) != remote::AddressError::None ||
        text->find(':') == std::string::npos) {
        s.err << "quorelctl serve: --http needs ADDR:PORT, an IPv4 address or localhost and a "
                 "port of 0 to 65535 (0: a free one)\n";
        return Usage;
    }
    h.allow = o.server.allow;
    if (!listenAllowed(s, h.listen, h.allow))
        return Usage;
    h.newToken = s.line.has("new-token");
    o.http = h;
    return std::nullopt;
}

// --mqtt URL and its companions: telemetry, discovery and (with --mqtt-control) commands
// through a broker.
std::optional<int> readMqttOptions(Session& s, Options& o) {
    static const char* const companions[] = {
        "mqtt-password-file", "mqtt-ca",      "mqtt-cert",     "mqtt-key",
        "mqtt-node",          "mqtt-base",    "mqtt-interval", "mqtt-discovery-prefix",
        "no-mqtt-discovery",  "mqtt-control", "mqtt-remove"};
    const auto url = s.line.value("mqtt");
    if (!url) {
        for (const char* name : companions)
            if (s.line.has(name) || s.line.value(name)) {
                s.err << "quorelctl serve: --" << name << " needs --mqtt\n";
                return Usage;
            }
        return std::nullopt;
    }
    if (!mqttAvailable()) {
        s.err << "quorelctl serve: --mqtt is not available in this build\n";
        return Usage;
    }
    MqttServeOptions m;
    m.url = *url;
    m.passwordFile = s.line.value("mqtt-password-file").value_or("");
    m.caFile = s.line.value("mqtt-ca").value_or("");
    m.certFile = s.line.value("mqtt-cert").value_or("");
    m.keyFile = s.line.value("mqtt-key").value_or("");
    m.node = s.line.value("mqtt-node").value_or("");
    m.base = s.line.value("mqtt-base").value_or(m.base);
    m.discoveryPrefix = s.line.value("mqtt-discovery-prefix").value_or(m.discoveryPrefix);
    if (auto text = s.line.value("mqtt-interval")) {
        char* end = nullptr;
        const long v = std::strtol(text->c_str(), &end, 10);
        if (end == text->c_str() || *end != '\0' || v < 1 || v > 3600) {
            s.err << "quorelctl serve: --mqtt-interval is whole seconds, 1 to 3600\n";
            return Usage;
        }
        m.intervalSeconds = static_cast<int>(v);
    }
    m.discovery = !s.line.has("no-mqtt-discovery");
    m.control = s.line.has("mqtt-control");
    o.mqttRemove = s.line.has("mqtt-remove");
    if (const std::string problem = mqttOptionsProblem(m); !problem.empty()) {
        s.err << "quorelctl serve: " << problem << '\n';
        return Usage;
    }
    o.mqtt = m;
    return std::nullopt;
}

// Where to listen and whom to let in, as [REMOTE] of Quorel.ini has them for the panel; a
// value there that cannot be used is said, and its default taken, as the panel does.
void readRemoteSettings(Session& s, Options& o) {
    std::vector<std::string> bad;
    const remote::RemoteSettings ini = remote::RemoteSettings::load(s.settings().ini(), bad);
    o.server.listen = ini.listen;
    o.server.allow = ini.allow;
    o.announce = ini.announce;
    for (const std::string& key : bad)
        s.say(texts::fill(texts::LogRemoteSettingBad, key));
}

std::optional<int> readOptions(Session& s, Options& o) {
    readRemoteSettings(s, o);
    if (auto text = s.line.value("listen");
        text && remote::parseEndpoint(*text, o.server.listen) != remote::AddressError::None) {
        s.err << "quorelctl serve: --listen needs ADDR:PORT, an IPv4 address or localhost and "
                 "a port of 0 to 65535 (0: a free one)\n";
        return Usage;
    }
    if (auto text = s.line.value("allow");
        text && remote::parseAllowList(*text, o.server.allow) != remote::AddressError::None) {
        s.err << "quorelctl serve: --allow needs networks ADDR[/N] separated by commas\n";
        return Usage;
    }
    // A LAN instrument answers to VXI-11 too, unless told not to.
    o.server.vxi11 = !s.line.has("no-vxi11");
    o.announce = o.announce || s.line.has("announce");
    if (auto text = s.line.value("vxi11-port")) {
        remote::SocketAddress at;
        if (!o.server.vxi11 ||
            remote::parseEndpoint("127.0.0.1:" + *text, at) != remote::AddressError::None) {
            s.err << (o.server.vxi11 ? "quorelctl serve: --vxi11-port needs a port of 0 to 65535 "
                                       "(0: a free one)\n"
                                     : "quorelctl serve: --vxi11-port goes with VXI-11, not "
                                       "with --no-vxi11\n");
            return Usage;
        }
        o.server.vxi11Port = at.port;
    }
    if (!listenAllowed(s, o.server.listen, o.server.allow))
        return Usage;
    o.csv = s.line.value("log");
    if (auto text = s.line.value("interval")) {
        auto seconds = parseInterval(*text);
        if (!seconds || !o.csv) {
            s.err << (o.csv ? "quorelctl serve: --interval is one of 1s, 10s, 1m, 10m, 1h\n"
                            : "quorelctl serve: --interval needs --log\n");
            return Usage;
        }
        o.intervalSeconds = *seconds;
    }
    if (auto code = readHttpOptions(s, o))
        return code;
    return readMqttOptions(s, o);
}

// What the session meets, and a CSV log that fails while the clients are served on.
class ServeReport : public SessionReport {
public:
    using SessionReport::SessionReport;
    bool logFailed = false;

private:
    void onMeasurementLogFailed() override {
        logFailed = true;
        say(texts::LogCsvWriteFailed.str());
    }
};

} // namespace

int serveCommand(Session& s) {
    Options o;
    if (auto code = readOptions(s, o))
        return *code;

    StopOnSignals stopOnSignals;
    session::MeasurementSession& m = s.measurement();
    ServeReport report(s);

    // The entities taken off the broker: the broker alone is talked to, within 5 s.
    if (o.mqttRemove) {
        auto say = [&report](const std::string& line) { report.say(line); };
        return removeFromMqtt(m, s.port(), *o.mqtt, say, s.err, 5000) ? Success : MqttFailed;
    }

    if (o.csv) {
        if (int code = s.checkLogPath(*o.csv))
            return code;
    }
    if (int code = s.connect())
        return code;
    // A rack has nobody to press connect: a lost device is looked for every two seconds.
    m.setAutoReconnect(true);
    if (o.csv) {
        if (int code = s.startMeasurementLog(*o.csv, false, o.intervalSeconds))
            return code;
        s.say(texts::LogCsvStarted.str());
    }

    int code = Success;
    {
        auto say = [&report](const std::string& line) { report.say(line); };
        // The clients' step lists, served by the loop at their points; a list still running
        // at the end is aborted with the output off.
        sequence::SessionRunner runner(m, say, {}, "quorelctl serve");
        remote::RemoteControl remote(m, say);
        remote.setSequenceRunner(&runner.runner());
        std::unique_ptr<HttpFront> http;
        std::unique_ptr<MqttFront> mqtt;
        if (remote.start(o.server) != remote::StartResult::Ok) {
            code = ListenFailed;
        } else if (o.http) {
            o.http->scpiPort = remote.server().address().port;
            o.http->vxi11 = remote.server().vxi11Listening();
            http = startHttpServer(m, runner.runner(), *o.http, say, s.err);
            if (!http)
                code = ListenFailed;
            else
                remote.addLoopSource(&http->loop());
        }
        if (code == Success && o.mqtt) {
            mqtt = startMqtt(m, runner.runner(), s.port(), *o.mqtt, say, s.err);
            if (!mqtt)
                code = MqttFailed;
            else
                remote.addLoopSource(&mqtt->loop());
        }
        if (code == Success) {
            // Once every listener is up, so that the announcement names them all.
            std::optional<std::uint16_t> httpPort;
            if (o.http)
                httpPort = http->port();
            remote.announce(o.announce, httpPort);
            if (remote.server().vxi11Listening())
                s.err << "vxi11 on " << remote::formatEndpoint(remote.server().vxi11Address())
                      << '\n';
            s.err << "listening on " << remote::formatEndpoint(remote.server().address()) << '\n'
                  << std::flush;
            // A stopped process watches nothing: Ctrl-Z is refused while a list runs.
            platform::SuspendRefusal noSuspend(texts::SuspendRefused.str() + "\n", false);
            remote.run([&] {
                noSuspend.refuse(runner.runner().running());
                return stopRequested();
            });
        }
    }
    if (o.csv && m.measurementLogRunning()) {
        m.stopMeasurementLog();
        report.say(texts::LogCsvStopped.str());
    }
    if (code == Success && report.logFailed)
        code = FileWriteFailed;
    // A list aborted at the end, or a trip, whose switch-off the device has not confirmed.
    return s.finishSwitchOff(code);
}

} // namespace ctl
