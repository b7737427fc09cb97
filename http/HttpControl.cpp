#include "http/HttpControl.h"

#include "ctl/ReadingFormat.h"
#include "http/LivePage.h"
#include "http/StatusJson.h"
#include "http/Token.h"
#include "remote/RemoteMessages.h"
#include "resources/Language.h"
#include "resources/TextFormat.h"
#include "resources/Texts.h"
#include "session/MeasurementSession.h"
#include "session/SetpointRules.h"

#include <nlohmann/json.hpp>

#include <charconv>
#include <cmath>
#include <cstdio>
#include <set>

#ifndef QUOREL_PROJECT_VERSION
#define QUOREL_PROJECT_VERSION "0"
#endif

namespace http {

using nlohmann::json;
using remote::ClientEvent;
using scpi::InstrumentResult;

namespace {

constexpr const char* JsonType = "application/json";

std::optional<scpi::ProtectionKind> kindOfWord(const std::string& word) {
    if (word == "ovp")
        return scpi::ProtectionKind::Voltage;
    if (word == "ocp")
        return scpi::ProtectionKind::Current;
    if (word == "opp")
        return scpi::ProtectionKind::Power;
    return std::nullopt;
}

const char* sourceLabel(PowerSource s) {
    switch (s) {
    case PowerSource::UsbHost:
        return "usb";
    case PowerSource::AcAdapter:
        return "adapter";
    case PowerSource::AdapterIdle:
        break;
    }
    return "idle";
}

Response jsonResponse(int status, const json& body) {
    return {status, JsonType, body.dump() + "\n", {{"Cache-Control", "no-store"}}};
}

Response error(int status, const std::string& message) {
    return jsonResponse(status, json{{"error", message}});
}

// A body that must be one JSON object with only the named fields.
bool readObject(const std::string& body, const std::set<std::string>& fields, json& out,
                std::string& problem) {
    out = json::parse(body, nullptr, false);
    if (out.is_discarded()) {
        problem = "the body is not JSON";
        return false;
    }
    if (!out.is_object()) {
        problem = "the body is not a JSON object";
        return false;
    }
    for (const auto& [key, value] : out.items()) {
        if (!fields.count(key)) {
            problem = "unknown field \"" + key + "\"";
            return false;
        }
    }
    return true;
}

// A finite number of the object, when present; false on a wrong type.
bool number(const json& o, const char* key, std::optional<double>& out, std::string& problem) {
    auto it = o.find(key);
    if (it == o.end())
        return true;
    if (!it->is_number() || !std::isfinite(it->get<double>())) {
        problem = std::string("\"") + key + "\" must be a finite number";
        return false;
    }
    out = it->get<double>();
    return true;
}

bool boolean(const json& o, const char* key, std::optional<bool>& out, std::string& problem) {
    auto it = o.find(key);
    if (it == o.end())
        return true;
    if (!it->is_boolean()) {
        problem = std::string("\"") + key + "\" must be true or false";
        return false;
    }
    out = it->get<bool>();
    return true;
}

std::string xmlEscaped(const std::string& text) {
    std::string out;
    for (char c : text) {
        switch (c) {
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '&':
            out += "&amp;";
            break;
        case '"':
            out += "&quot;";
            break;
        default:
            out += c;
        }
    }
    return out;
}

// The shortest text that reads back as the same double.
std::string promNumber(double v) {
    char buf[64];
    const auto r = std::to_chars(buf, buf + sizeof buf, v);
    return std::string(buf, r.ptr);
}

struct MetricsText {
    std::string out;
    void family(const char* name, const char* type, const char* help) {
        out += std::string("# HELP ") + name + " " + help + "\n# TYPE " + name + " " + type + "\n";
    }
    void sample(const char* name, double value, const std::string& labels = {}) {
        out += name;
        if (!labels.empty())
            out += "{" + labels + "}";
        out += " " + promNumber(value) + "\n";
    }
    void one(const char* name, const char* type, const char* help, double value) {
        family(name, type, help);
        sample(name, value);
    }
};

std::string labelValue(const std::string& v) {
    std::string out;
    for (char c : v) {
        if (c == '\\' || c == '"')
            out += '\\';
        if (c == '\n') {
            out += "\\n";
            continue;
        }
        out += c;
    }
    return out;
}

} // namespace

HttpControl::HttpControl(session::MeasurementSession& session, LogFunction log, std::string token)
    : session_(session), log_(std::move(log)), token_(std::move(token)),
      instrument_(session, log_,
                  [this] {
                      return current_ ? "HTTP " + remote::formatEndpoint(current_->peer)
                                      : std::string("HTTP");
                  }),
      server_(*this, [this](const remote::ClientReport& r) { report(r); }),
      changes_(session, instrument_, {}) {
    session_.addObserver(this);
}

HttpControl::~HttpControl() {
    clientsChanged_ = nullptr;
    stop();
    session_.removeObserver(this);
}

void HttpControl::report(const remote::ClientReport& r) {
    const texts::Text* line = &texts::LogHttpClientConnected;
    switch (r.event) {
    case ClientEvent::Connected:
        break;
    case ClientEvent::RefusedFull:
        line = &texts::LogHttpClientRefusedFull;
        break;
    case ClientEvent::RefusedNotAllowed:
        line = &texts::LogHttpClientRefusedNotAllowed;
        break;
    case ClientEvent::Disconnected:
    case ClientEvent::DroppedBadInput: // the library answers bad requests itself, then closes
        line = &texts::LogHttpClientDisconnected;
        break;
    case ClientEvent::DroppedNotReading:
        line = &texts::LogHttpClientDroppedNotReading;
        break;
    case ClientEvent::DroppedOnStop:
        line = &texts::LogHttpClientDroppedOnStop;
        break;
    }
    if (log_)
        log_(texts::fill(*line, remote::formatEndpoint(r.peer)));
    if (clientsChanged_)
        clientsChanged_();
}

remote::StartResult HttpControl::start(const HttpOptions& options) {
    const remote::StartResult r = server_.start(options);
    if (!log_)
        return r;
    if (r == remote::StartResult::Ok) {
        log_(texts::fill(texts::LogHttpStarted, remote::formatEndpoint(server_.address())));
    } else if (r != remote::StartResult::AlreadyListening) {
        // The reason in the remote control's words, under the HTTP server's name.
        const std::string scpiLine = remote::startFailedMessage(r, options.listen);
        const auto open = scpiLine.rfind("(");
        const std::string why = open == std::string::npos
                                    ? scpiLine
                                    : scpiLine.substr(open + 1, scpiLine.size() - open - 2);
        log_(texts::fill(texts::LogHttpStartFailed, remote::formatEndpoint(options.listen), why));
    }
    return r;
}

void HttpControl::stop() {
    if (!server_.listening())
        return;
    server_.stop();
    if (log_)
        log_(texts::LogHttpStopped.str());
}

// --- what it serves ---

std::string HttpControl::statusJson() const {
    return http::statusJson(session_);
}

std::string HttpControl::metricsText() const {
    MetricsText m;
    const bool connected = session_.connected();
    if (connected && session_.haveReading()) {
        const session::Reading& r = session_.lastReading();
        const DeviceStatus& s = session_.status();
        m.one("quorel_output_voltage_volts", "gauge", "Output voltage measured by the last poll.",
              r.volts);
        m.one("quorel_output_current_amperes", "gauge", "Output current measured by the last poll.",
              r.amps);
        m.one("quorel_output_power_watts", "gauge", "Output power of the last poll.", r.watts);
        m.one("quorel_voltage_setpoint_volts", "gauge", "Voltage set-point in force.",
              session_.voltageInForce());
        m.one("quorel_current_limit_amperes", "gauge", "Current limit in force.",
              session_.currentInForce());
        m.one("quorel_output_enabled", "gauge", "1 while the output is on.", s.outputOn ? 1 : 0);
        m.one("quorel_constant_current", "gauge", "1 while the supply regulates the current.",
              s.constantCurrent ? 1 : 0);
        m.one("quorel_power_limit_watts", "gauge", "Power the present source allows.",
              SetpointRules::powerCapacity(s.source));
        m.family("quorel_power_source", "gauge",
                 "The present power source (1) and the others (0).");
        for (PowerSource p :
             {PowerSource::UsbHost, PowerSource::AcAdapter, PowerSource::AdapterIdle})
            m.sample("quorel_power_source", p == s.source ? 1 : 0,
                     std::string("source=\"") + sourceLabel(p) + "\"");
    }
    m.one("quorel_device_connected", "gauge", "1 while the supply is connected.",
          connected ? 1 : 0);
    const session::Counters& c = session_.counters();
    m.one("quorel_energy_joules_total", "counter", "Energy delivered since the counters started.",
          c.energyWh() * 3600.0);
    m.one("quorel_charge_coulombs_total", "counter", "Charge delivered since the counters started.",
          c.chargeAh() * 3600.0);
    m.one("quorel_output_on_seconds_total", "counter",
          "Time the output was on since the counters started.", c.outputOnSeconds());
    const session::Protections& pr = session_.protections();
    m.family("quorel_protection_tripped", "gauge", "1 while the protection is latched.");
    for (int k = 0; k < session::ProtectionKinds; ++k)
        m.sample("quorel_protection_tripped",
                 pr.tripped(static_cast<session::ProtectionKind>(k)) ? 1 : 0,
                 std::string("kind=\"") + protectionWord(static_cast<session::ProtectionKind>(k)) +
                     "\"");
    m.family("quorel_protection_trips_total", "counter", "Trips since the server started.");
    for (int k = 0; k < session::ProtectionKinds; ++k)
        m.sample("quorel_protection_trips_total", static_cast<double>(trips_[k]),
                 std::string("kind=\"") + protectionWord(static_cast<session::ProtectionKind>(k)) +
                     "\"");
    m.one("quorel_reconnects_total", "counter", "Automatic reconnections since the server started.",
          static_cast<double>(reconnects_));
    m.family("quorel_build_info", "gauge", "The program's version and the supply's firmware.");
    m.sample("quorel_build_info", 1,
             "version=\"" QUOREL_PROJECT_VERSION "\",firmware=\"" + labelValue(session_.version()) +
                 "\"");
    if (session_.haveReading())
        m.one("quorel_last_reading_timestamp_seconds", "gauge",
              "Calendar time of the last reading, in seconds since 1970.",
              static_cast<double>(session_.lastReading().time));
    return m.out;
}

std::string HttpControl::identificationXml(const SocketAddress& local) const {
    const std::string host = remote::formatAddress(local.ipv4);
    const std::string base = "http://" + remote::formatEndpoint(local);
    std::string x = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                    "<LXIDevice xmlns=\"http://www.lxistandard.org/InstrumentIdentification/1.0\"\n"
                    "           xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\">\n";
    auto element = [&](const char* name, const std::string& value) {
        x += std::string("  <") + name + ">" + xmlEscaped(value) + "</" + name + ">\n";
    };
    element("Manufacturer", "Quorel");
    element("Model", SupplyDevice::Identification);
    element("SerialNumber", "0");
    element("FirmwareRevision", session_.version().empty() ? "0" : session_.version());
    element("ManufacturerDescription", "Quorel programmable USB bench power supply");
    element("HomepageURL", base + "/");
    element("DriverURL", base + "/");
    element("UserDescription", session_.portName());
    element("IdentificationURL", base + "/lxi/identification");
    x += "  <Interface xsi:type=\"NetworkInformation\" InterfaceType=\"LXI\" IPType=\"IPv4\" "
         "InterfaceName=\"" +
         host + "\">\n";
    auto address = [&](const std::string& value) {
        x += "    <InstrumentAddressString>" + xmlEscaped(value) + "</InstrumentAddressString>\n";
    };
    const WaysIn ways = ways_ ? ways_() : WaysIn{};
    if (ways.vxi11)
        address("TCPIP::" + host + "::INSTR");
    if (ways.scpiPort)
        address("TCPIP::" + host + "::" + std::to_string(*ways.scpiPort) + "::SOCKET");
    x += "    <Hostname>" + host + "</Hostname>\n";
    x += "    <IPAddress>" + host + "</IPAddress>\n";
    x += "  </Interface>\n";
    x += "</LXIDevice>\n";
    return x;
}

// --- requests ---

bool HttpControl::opensStream(const Request& request, std::string& first) {
    if (request.method != "GET" || request.path != "/events")
        return false;
    first = "retry: 2000\n\nevent: status\ndata: " + statusJson() + "\n\n";
    return true;
}

Response HttpControl::handle(const Request& request) {
    const Request* outer = current_;
    current_ = &request;
    Response r = api(request);
    current_ = outer;
    return r;
}

Response HttpControl::api(const Request& request) {
    const std::string& path = request.path;
    const bool get = request.method == "GET" || request.method == "HEAD";
    const bool changing = request.method == "PUT" || request.method == "POST";
    auto notAllowed = [](const char* allow) {
        Response r = error(405, "method not allowed");
        r.headers.push_back({"Allow", allow});
        return r;
    };
    if (path == "/metrics") {
        if (!get)
            return notAllowed("GET");
        return {200, "text/plain; version=0.0.4; charset=utf-8", metricsText(), {}};
    }
    if (path == "/api/v1/status") {
        if (!get)
            return notAllowed("GET");
        return {200, JsonType, statusJson() + "\n", {{"Cache-Control", "no-store"}}};
    }
    if (path == "/lxi/identification") {
        if (!get)
            return notAllowed("GET");
        return {200, "text/xml; charset=utf-8", identificationXml(request.local), {}};
    }
    if (path == "/" || path == "/index.html") {
        if (!get)
            return notAllowed("GET");
        return {200, "text/html; charset=utf-8", livePage(), {{"Cache-Control", "no-store"}}};
    }
    if (path.rfind("/api/v1/", 0) == 0) {
        if (!changing)
            return notAllowed("PUT, POST");
        if (!bearerMatches(request.authorization, token_)) {
            Response r = error(401, "a bearer token is needed");
            r.headers.push_back({"WWW-Authenticate", "Bearer"});
            return r;
        }
        return change(request);
    }
    return error(404, "no such resource");
}

Response HttpControl::change(const Request& request) {
    const std::string& path = request.path;
    const std::string& method = request.method;
    json body;
    std::string problem;
    auto outcome = [&](const ChangeOutcome& o) {
        switch (o.result) {
        case InstrumentResult::Ok:
            return jsonResponse(200, json::parse(statusJson()));
        case InstrumentResult::OutOfRange:
        case InstrumentResult::SettingsConflict:
            return error(422, o.refusal);
        case InstrumentResult::Refused:
            return error(409, o.refusal);
        case InstrumentResult::NoDevice:
            return error(503, o.refusal);
        default:
            break;
        }
        return error(502, o.refusal);
    };
    if (path == "/api/v1/setpoints" && method == "PUT") {
        std::optional<double> volts, amps;
        if (!readObject(request.body, {"volts", "amps"}, body, problem) ||
            !number(body, "volts", volts, problem) || !number(body, "amps", amps, problem))
            return error(400, problem);
        if (!volts && !amps)
            return error(400, "\"volts\" or \"amps\" is needed");
        return outcome(changes_.setpoints(volts, amps));
    }
    if (path == "/api/v1/output" && method == "PUT") {
        std::optional<bool> on;
        if (!readObject(request.body, {"on"}, body, problem) || !boolean(body, "on", on, problem))
            return error(400, problem);
        if (!on)
            return error(400, "\"on\" is needed");
        return outcome(changes_.output(*on));
    }
    if (path == "/api/v1/counters/reset" && method == "POST")
        return outcome(changes_.resetCounters());
    constexpr std::string_view prefix = "/api/v1/protections/";
    if (path.rfind(prefix, 0) == 0) {
        std::string rest = path.substr(prefix.size());
        const bool clear = rest.size() > 6 && rest.compare(rest.size() - 6, 6, "/clear") == 0;
        if (clear)
            rest.resize(rest.size() - 6);
        const auto kind = kindOfWord(rest);
        if (kind && clear && method == "POST")
            return outcome(changes_.outcome(instrument_.clearProtection(*kind)));
        if (kind && !clear && method == "PUT") {
            const bool current = *kind == scpi::ProtectionKind::Current;
            std::set<std::string> fields = {"level", "enabled"};
            if (current)
                fields.insert("delay_s");
            std::optional<double> level, delay;
            std::optional<bool> enabled;
            if (!readObject(request.body, fields, body, problem) ||
                !number(body, "level", level, problem) ||
                !number(body, "delay_s", delay, problem) ||
                !boolean(body, "enabled", enabled, problem))
                return error(400, problem);
            scpi::Protection p;
            instrument_.protection(*kind, p);
            p.level = level.value_or(p.level);
            p.enabled = enabled.value_or(p.enabled);
            p.delaySeconds = delay.value_or(p.delaySeconds);
            return outcome(changes_.outcome(instrument_.setProtection(*kind, p)));
        }
    }
    return error(404, "no such resource");
}

// --- the session's events, on the stream ---

void HttpControl::event(const char* name, const std::string& data) {
    if (server_.streams() == 0)
        return;
    server_.broadcast(std::string("event: ") + name + "\ndata: " + data + "\n\n");
}

void HttpControl::onConnected(bool automatic) {
    if (automatic)
        ++reconnects_;
    event(automatic ? "reconnect" : "connect", statusJson());
}

void HttpControl::onDeviceLost(bool reconnecting) {
    event("lost", json{{"reconnecting", reconnecting}}.dump());
}

void HttpControl::onDisconnected() {
    event("lost", json{{"reconnecting", false}}.dump());
}

void HttpControl::onTrip(const session::Trip& trip) {
    ++trips_[static_cast<int>(trip.kind)];
    event("trip", json{{"kind", protectionWord(trip.kind)},
                       {"level", trip.level},
                       {"value", trip.value},
                       {"time", rfc3339(trip.time)}}
                      .dump());
}

void HttpControl::onReading(const session::Reading&) {
    event("reading", statusJson());
}

void HttpControl::onProtectionsChanged() {
    event("status", statusJson());
}

} // namespace http
