// monitor: the measurement session from a shell: readings, counters, protections, and a
// summary at the end.
#include "ctl/Commands.h"

#include "ctl/ExitCode.h"
#include "ctl/ReadingFormat.h"
#include "ctl/Session.h"
#include "ctl/SessionReport.h"
#include "ctl/StopSignal.h"
#include "platform/Clock.h"
#include "resources/Texts.h"
#include "session/SessionMessages.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <optional>
#include <vector>

namespace ctl {

namespace {

using session::ProtectionKind;

const char* kindName(ProtectionKind kind) {
    switch (kind) {
    case ProtectionKind::OverVoltage:
        return "ovp";
    case ProtectionKind::OverCurrent:
        return "ocp";
    case ProtectionKind::OverPower:
        break;
    }
    return "opp";
}

std::string isoTime(platform::Seconds t) {
    const platform::LocalTime l = platform::toLocalTime(t);
    char buf[40];
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02dT%02d:%02d:%02d", l.year, l.month, l.day, l.hour,
                  l.minute, l.second);
    return buf;
}

std::string number(double v, int decimals) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.*f", decimals, v);
    std::string text = buf;
    // A sum that is zero at the shown places (a charge of -1e-9 Ah with no load) has no sign.
    if (text[0] == '-' && text.find_first_of("123456789") == std::string::npos)
        text.erase(0, 1);
    return text;
}

struct Options {
    double durationS = 0; // 0: until stopped
    double intervalS = 1;
    bool json = false;
    bool reconnect = false;
    std::optional<std::string> csv;
};

std::optional<int> readOptions(Session& s, Options& o) {
    auto seconds = [&s](const char* name, double& into, double max) -> bool {
        if (auto text = s.line.value(name)) {
            auto v = parseSeconds(*text);
            if (!v || *v > max) {
                char buf[160];
                std::snprintf(buf, sizeof buf,
                              "quorelctl monitor: --%s needs a positive number of seconds up to "
                              "%.0f\n",
                              name, max);
                s.err << buf;
                return false;
            }
            into = *v;
        }
        return true;
    };
    if (!seconds("duration", o.durationS, 3.0e9) || !seconds("interval", o.intervalS, 86400))
        return Usage;
    // A reading is printed from a poll; a shorter interval would print the same one again.
    if (o.intervalS * 1000.0 < session::PollPeriodMs) {
        s.err << "quorelctl monitor: --interval is at least " << session::PollPeriodMs / 1000.0
              << " s, the poll period\n";
        return Usage;
    }
    o.json = s.line.has("json");
    o.reconnect = s.line.has("reconnect");
    o.csv = s.line.value("csv");

    session::Protections& p = s.measurement().protections();
    struct Level {
        const char* option;
        ProtectionKind kind;
    };
    for (const Level& l :
         {Level{"ovp", ProtectionKind::OverVoltage}, Level{"ocp", ProtectionKind::OverCurrent},
          Level{"opp", ProtectionKind::OverPower}}) {
        auto text = s.line.value(l.option);
        if (!text)
            continue;
        auto v = parseSeconds(*text); // a positive finite number, whatever its unit
        if (!v || p.setLevel(l.kind, *v) != session::LevelResult::Ok) {
            s.err << "quorelctl monitor: --" << l.option << ": "
                  << session::levelRefusedMessage(l.kind) << '\n';
            return Usage;
        }
        p.setEnabled(l.kind, true);
    }
    if (auto text = s.line.value("ocp-delay")) {
        if (!s.line.value("ocp")) {
            s.err << "quorelctl monitor: --ocp-delay goes with --ocp\n";
            return Usage;
        }
        if (!isPlainDecimal(*text) ||
            p.setDelay(std::strtod(text->c_str(), nullptr)) != session::LevelResult::Ok) {
            s.err << "quorelctl monitor: --ocp-delay: " << texts::LogProtectionDelayRefused << '\n';
            return Usage;
        }
    }
    return std::nullopt;
}

void printSummary(Session& s, const Options& o, double elapsedS,
                  const std::vector<session::Trip>& trips) {
    const session::Counters& c = s.measurement().counters();
    const session::Extremes q[3] = {c.voltage(), c.current(), c.power()};
    const char* names[3] = {"voltage", "current", "power"};
    const char* units[3] = {"V", "A", "W"};
    const int decimals[3] = {3, 4, 4};
    if (o.json) {
        // To the millisecond and to 1e-9, so that a tenth of a percent can be checked.
        std::string j = "{\"elapsed_s\":" + number(elapsedS, 3) +
                        ",\"charge_Ah\":" + number(c.chargeAh(), 9) +
                        ",\"energy_Wh\":" + number(c.energyWh(), 9) +
                        ",\"output_on_s\":" + number(c.outputOnSeconds(), 3) +
                        ",\"readings\":" + std::to_string(c.readings());
        for (int k = 0; k < 3; ++k)
            j += ",\"" + std::string(names[k]) + "\":{\"min\":" + number(q[k].min, decimals[k]) +
                 ",\"max\":" + number(q[k].max, decimals[k]) +
                 ",\"avg\":" + number(q[k].mean, decimals[k]) + "}";
        j += ",\"trips\":[";
        for (std::size_t i = 0; i < trips.size(); ++i) {
            const auto& t = trips[i];
            j += std::string(i ? "," : "") + "{\"kind\":\"" + kindName(t.kind) +
                 "\",\"level\":" + number(t.level, 3) + ",\"value\":" + number(t.value, 3) +
                 ",\"time\":\"" + isoTime(t.time) + "\"}";
        }
        s.out << j << "]}\n" << std::flush;
        return;
    }
    s.out << "elapsed   " << number(elapsedS, 1) << " s\n"
          << "charge    " << number(c.chargeAh(), 6) << " Ah\n"
          << "energy    " << number(c.energyWh(), 6) << " Wh\n"
          << "on time   " << session::formatDuration(c.outputOnSeconds()) << '\n';
    for (int k = 0; k < 3; ++k)
        s.out << names[k] << std::string(10 - std::char_traits<char>::length(names[k]), ' ')
              << "min " << number(q[k].min, decimals[k]) << ' ' << units[k] << "  max "
              << number(q[k].max, decimals[k]) << ' ' << units[k] << "  avg "
              << number(q[k].mean, decimals[k]) << ' ' << units[k] << '\n';
    for (const auto& t : trips)
        s.out << "trip      " << isoTime(t.time) << "  " << session::tripMessage(t) << '\n';
    s.out << std::flush;
}

} // namespace

int monitorCommand(Session& s) {
    Options o;
    if (auto code = readOptions(s, o))
        return *code;

    StopOnSignals stopOnSignals;
    session::MeasurementSession& m = s.measurement();
    SessionReport report(s);

    if (o.csv) {
        if (int code = s.checkLogPath(*o.csv))
            return code;
    }
    if (int code = s.connect())
        return code;
    m.setAutoReconnect(o.reconnect);
    if (o.csv) {
        if (int code =
                s.startMeasurementLog(*o.csv, false, std::max(1, int(std::lround(o.intervalS)))))
            return code;
    }

    const std::int64_t start = platform::monotonicMs();
    const std::int64_t end = o.durationS > 0 ? start + std::llround(o.durationS * 1000) : -1;
    const std::int64_t intervalMs = std::max<std::int64_t>(1, std::llround(o.intervalS * 1000));
    std::int64_t next = start;
    std::int64_t nextPrint = start;
    // The time the summary covers runs from the first reading to the last, as the counters do.
    std::optional<std::int64_t> firstReadingMs;
    std::optional<std::int64_t> lastReadingMs;
    int code = Success;
    for (;;) {
        if (stopRequested())
            break;
        // The last reading is taken at the end of the duration, so that the counters span it.
        const bool finalPoll = end >= 0 && platform::monotonicMs() >= end;
        const DeviceResult r = m.poll();
        lastReadingMs.reset();
        if (r == DeviceResult::Ok) {
            lastReadingMs = m.lastReading().monotonicMs;
            if (!firstReadingMs)
                firstReadingMs = lastReadingMs;
            if (platform::monotonicMs() >= nextPrint) {
                // The reading as measured, before a trip switched the output off.
                const session::Reading& last = m.lastReading();
                DeviceStatus measured = m.status();
                measured.outputOn = last.outputOn;
                measured.constantCurrent = last.constantCurrent;
                measured.voltage = last.volts;
                measured.current = last.amps;
                const Reading reading{last.time, measured, m.voltageSetpoint(),
                                      m.currentSetpoint()};
                s.out << (o.json ? jsonLine(reading) : textLine(reading)) << std::flush;
                nextPrint += intervalMs * ((platform::monotonicMs() - nextPrint) / intervalMs + 1);
                if (!s.out) {
                    code = s.outputFailed();
                    break;
                }
            }
            if (o.csv && !m.measurementLogRunning()) {
                s.say(texts::LogCsvWriteFailed.str());
                code = FileWriteFailed;
                break;
            }
        } else if (!m.connected() && !m.reconnecting()) {
            // Lost for good: what was gathered is still summed up.
            s.log(texts::LogDeviceLost.str());
            code = s.failed(texts::LogDeviceLost.str(), r);
            break;
        }
        if (finalPoll)
            break;
        next = std::max(next + session::PollPeriodMs, platform::monotonicMs());
        if (!waitUntil(end >= 0 ? std::min(next, end) : next))
            break;
    }
    m.stopMeasurementLog();
    const std::int64_t elapsedMs =
        lastReadingMs.value_or(platform::monotonicMs()) - firstReadingMs.value_or(start);
    printSummary(s, o, elapsedMs / 1000.0, report.trips);
    if (code == Success && !report.trips.empty())
        code = ProtectionTripped;
    // A trip's switch-off the device has not confirmed yet outweighs the rest.
    return s.finishSwitchOff(code);
}

} // namespace ctl
