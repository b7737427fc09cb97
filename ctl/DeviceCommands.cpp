// scan, info, status, set, on, off.
#include "ctl/Commands.h"

#include "config/PortScan.h"
#include "ctl/ExitCode.h"
#include "ctl/ReadingFormat.h"
#include "ctl/Session.h"
#include "ctl/StopSignal.h"
#include "platform/Clock.h"
#include "resources/Texts.h"
#include "session/SetpointRules.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <optional>

namespace ctl {

namespace {

// A set-point operand is a number written with digits and at most one point, as long as
// the window's field holds. A sign, a blank, a letter, or no digit at all (".") is a usage
// error rather than a silent 0.
bool isSetpointText(const std::string& text) {
    return text.size() <= 259 && SetpointRules::entryForm(text) == SetpointRules::EntryForm::Number;
}

int rejected(Session& s, SetpointRules::Outcome outcome) {
    using SetpointRules::Outcome;
    const char* message = texts::LogPowerTooHigh;
    int code = PowerRejected;
    if (outcome == Outcome::VoltageTooHigh) {
        message = texts::LogVoltageTooHigh;
        code = VoltageRejected;
    } else if (outcome == Outcome::CurrentTooHigh) {
        message = texts::LogCurrentTooHigh;
        code = CurrentRejected;
    }
    s.say(message);
    return code;
}

} // namespace

bool waitUntil(std::int64_t untilMs) {
    for (;;) {
        if (stopRequested())
            return false;
        const std::int64_t left = untilMs - platform::monotonicMs();
        if (left <= 0)
            return true;
        platform::sleepMs(static_cast<int>(std::min<std::int64_t>(left, 100)));
    }
}

int scanCommand(Session& s) {
    const std::optional<std::string> found = PortScan::scanForSupply();
    if (!found) {
        s.err << texts::ScanNotFound << '\n' << std::flush;
        return NotFound;
    }
    s.out << *found << '\n' << std::flush;
    s.err << format(texts::ScanFound, *found) << '\n' << std::flush;
    return Success;
}

int infoCommand(Session& s) {
    if (int code = s.connect())
        return code;
    if (DeviceResult r = s.poll(); r != DeviceResult::Ok)
        return s.failed(texts::LogDeviceLost.str(), r);
    const DeviceStatus& st = s.status();
    s.out << "port      " << s.port() << '\n'
          << "firmware  " << s.version() << '\n'
          << "setpoint  " << SetpointRules::formatVolts(s.voltageSetpoint()) << " V  "
          << SetpointRules::formatAmps(s.currentSetpoint()) << " A\n"
          << "source    " << sourceText(st.source) << '\n'
          << "output    " << (st.outputOn ? "ON" : "OFF") << '\n'
          << "mode      " << (st.constantCurrent ? "CC" : "CV") << '\n'
          << "measured  " << SetpointRules::formatVolts(st.voltage) << " V  "
          << SetpointRules::formatAmps(st.current) << " A\n"
          << std::flush;
    return Success;
}

int statusCommand(Session& s) {
    std::optional<double> watch;
    if (auto w = s.line.value("watch")) {
        watch = parseSeconds(*w);
        if (!watch) {
            s.err << "quorelctl status: --watch " << secondsProblem(*w) << '\n';
            return Usage;
        }
    }
    long count = watch ? 0 : 1; // 0: until stopped
    if (auto c = s.line.value("count")) {
        auto n = parseCount(*c);
        if (!n) {
            s.err << "quorelctl status: --count needs a whole number from 1\n";
            return Usage;
        }
        count = *n;
    }
    if (s.line.has("csv") && s.line.has("json")) {
        s.err << "quorelctl status: --csv and --json exclude each other\n";
        return Usage;
    }
    const std::int64_t periodMs = std::llround(watch.value_or(1.0) * 1000);

    StopOnSignals stopOnSignals;
    if (int code = s.connect())
        return code;
    std::int64_t next = platform::monotonicMs();
    for (long taken = 0; count == 0 || taken < count; ++taken) {
        if (taken > 0 && !waitUntil(next))
            break;
        if (DeviceResult r = s.poll(); r != DeviceResult::Ok)
            return s.failed(texts::LogDeviceLost.str(), r);
        Reading reading{s.measurement().lastReading().time, s.status(), s.voltageSetpoint(),
                        s.currentSetpoint()};
        if (s.line.has("csv"))
            s.out << csvLine(reading);
        else if (s.line.has("json"))
            s.out << jsonLine(reading);
        else
            s.out << textLine(reading);
        // Readings nobody can read end the watch (a full disk, a closed pipe).
        if (!(s.out << std::flush))
            break;
        // A slow device delays the next reading; missed ones are not made up in a burst.
        next = std::max(next + periodMs, platform::monotonicMs());
    }
    return Success;
}

int setCommand(Session& s) {
    using SetpointRules::Leading;
    using SetpointRules::Outcome;
    const std::string& volts = s.line.operands[0];
    const std::string& amps = s.line.operands[1];
    if (!isSetpointText(volts) || !isSetpointText(amps)) {
        s.err << "quorelctl set: VOLTS and AMPS are written with digits and a point, "
                 "such as 5 or 0.25\n";
        return Usage;
    }
    const bool deriveCurrent = s.line.has("derive-current");
    const bool deriveVoltage = s.line.has("derive-voltage");
    if (deriveCurrent && deriveVoltage) {
        s.err << "quorelctl set: --derive-current and --derive-voltage exclude each other\n";
        return Usage;
    }
    // The voltage leads, as with the voltage's set button, unless the voltage is to be
    // derived from the current.
    const Leading leading = deriveVoltage ? Leading::Current : Leading::Voltage;
    const bool derive = deriveCurrent || deriveVoltage;

    // The limits do not depend on the device, so a value above one is refused before the
    // port is touched; the power capacity needs the present source.
    const auto offline =
        SetpointRules::decide(leading, volts, amps, PowerSource::UsbHost, derive, 0.0, 0.0);
    if (offline.outcome == Outcome::VoltageTooHigh || offline.outcome == Outcome::CurrentTooHigh)
        return rejected(s, offline.outcome);

    if (int code = s.connect())
        return code;
    const auto d = SetpointRules::decide(leading, volts, amps, s.status().source, derive,
                                         s.voltageSetpoint(), s.currentSetpoint());
    if (d.outcome != Outcome::Send)
        return rejected(s, d.outcome);
    if (DeviceResult r = s.measurement().sendSetpoints(d.voltageSetpoint, d.currentSetpoint,
                                                       session::SetpointOrigin::Operator,
                                                       d.rewriteVoltage, d.rewriteCurrent);
        r != DeviceResult::Ok)
        return s.failed("", r);
    char message[256];
    std::snprintf(message, sizeof message, texts::LogSetpointSent, d.voltageSetpoint,
                  d.currentSetpoint);
    s.log(message);
    s.out << message << '\n' << std::flush;
    return Success;
}

int outputCommand(Session& s, bool on) {
    if (int code = s.connect())
        return code;
    DeviceResult sent = DeviceResult::Ok;
    s.measurement().requestOutput(on, &sent);
    // The operator's switching is logged as the window's button logs it, and what the
    // device then shows as the window's next poll would.
    const char* operatorMessage = on ? texts::LogOutputOnByOperator : texts::LogOutputOffByOperator;
    s.log(operatorMessage);
    DeviceStatus after;
    if (DeviceResult r = SupplyDevice::readStatus(after); r != DeviceResult::Ok)
        return s.failed(texts::LogDeviceLost.str(), sent != DeviceResult::Ok ? sent : r);
    if ((after.outputOn != 0) != on) {
        s.log(after.outputOn ? texts::LogOutputOnAtDevice.str()
                             : texts::LogOutputOffAtDevice.str());
        s.err << texts::OutputNotFollowed;
        if (sent != DeviceResult::Ok)
            s.err << " (" << resultText(sent) << ")";
        s.err << '\n' << std::flush;
        return OutputNotFollowed;
    }
    s.out << operatorMessage << '\n' << std::flush;
    return Success;
}

} // namespace ctl
