#include "http/StatusJson.h"

#include "ctl/ReadingFormat.h"
#include "logs/MeasurementLog.h"
#include "platform/Clock.h"
#include "session/MeasurementSession.h"
#include "session/SetpointRules.h"

#include <nlohmann/json.hpp>

#include <cstdio>

namespace http {

using nlohmann::json;

const char* protectionWord(session::ProtectionKind k) {
    switch (k) {
    case session::ProtectionKind::OverVoltage:
        return "ovp";
    case session::ProtectionKind::OverCurrent:
        return "ocp";
    case session::ProtectionKind::OverPower:
        break;
    }
    return "opp";
}

std::string rfc3339(std::int64_t seconds) {
    const platform::LocalTime t = platform::toLocalTime(seconds);
    // Days from the civil date (proleptic Gregorian), to learn the local offset.
    const int y = t.year - (t.month <= 2 ? 1 : 0);
    const int era = (y >= 0 ? y : y - 399) / 400;
    const int yoe = y - era * 400;
    const int mp = (t.month + 9) % 12;
    const int doy = (153 * mp + 2) / 5 + t.day - 1;
    const int doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    const std::int64_t days = std::int64_t{era} * 146097 + doe - 719468;
    const std::int64_t local = days * 86400 + t.hour * 3600 + t.minute * 60 + t.second;
    const std::int64_t offsetMinutes = (local - seconds) / 60;
    const std::int64_t a = offsetMinutes < 0 ? -offsetMinutes : offsetMinutes;
    char buf[64];
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02dT%02d:%02d:%02d%c%02d:%02d", t.year, t.month,
                  t.day, t.hour, t.minute, t.second, offsetMinutes < 0 ? '-' : '+',
                  static_cast<int>(a / 60), static_cast<int>(a % 60));
    return buf;
}

std::string statusJson(const session::MeasurementSession& session_) {
    json j;
    const bool connected = session_.connected();
    const session::Reading& r = session_.lastReading();
    j["connected"] = connected;
    j["reconnecting"] = session_.reconnecting();
    j["firmware"] = session_.version();
    if (connected && session_.haveReading()) {
        const DeviceStatus& s = session_.status();
        j["time"] = rfc3339(r.time);
        j["timeMs"] = r.timeMs;
        j["source"] = ctl::sourceName(s.source);
        j["powerCapacity"] = SetpointRules::powerCapacity(s.source);
        j["output"] = s.outputOn != 0;
        j["mode"] = s.constantCurrent ? "CC" : "CV";
        j["state"] = MeasurementLog::stateText(s.outputOn, s.constantCurrent);
        j["voltage"] = r.volts;
        j["current"] = r.amps;
        j["power"] = r.watts;
        j["voltageSetpoint"] = session_.voltageInForce();
        j["currentSetpoint"] = session_.currentInForce();
    }
    const session::Counters& c = session_.counters();
    j["counters"] = {{"charge_Ah", c.chargeAh()},
                     {"energy_Wh", c.energyWh()},
                     {"output_on_s", c.outputOnSeconds()}};
    json p = json::object();
    const session::Protections& pr = session_.protections();
    for (int k = 0; k < session::ProtectionKinds; ++k) {
        const auto kind = static_cast<session::ProtectionKind>(k);
        const session::ProtectionSetting& s = pr.setting(kind);
        json one = {{"level", s.level}, {"enabled", s.enabled}, {"tripped", pr.tripped(kind)}};
        if (kind == session::ProtectionKind::OverCurrent)
            one["delay_s"] = s.delaySeconds;
        p[protectionWord(kind)] = one;
    }
    j["protections"] = p;
    return j.dump();
}

} // namespace http
