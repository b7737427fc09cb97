#include "remote/SessionInstrument.h"

#include "remote/RemoteMessages.h"
#include "resources/TextFormat.h"
#include "resources/Texts.h"
#include "session/MeasurementSession.h"
#include "session/SessionMessages.h"
#include "session/SetpointRules.h"

#include <cmath>
#include <cstdint>
#include <cstdio>

namespace remote {

using scpi::InstrumentResult;
using session::ProtectionKind;

namespace {

// How far under a step a number may lie and still count as that step, in steps: far above
// the error of a decimal's binary form, far below anything a person means.
constexpr double StepTolerance = 1e-9;

InstrumentResult resultOf(DeviceResult r) {
    switch (r) {
    case DeviceResult::Ok:
        return InstrumentResult::Ok;
    case DeviceResult::NotConnected:
        return InstrumentResult::NoDevice;
    case DeviceResult::OpenFailed:
    case DeviceResult::LinkError:
    case DeviceResult::BadReply:
        break;
    }
    return InstrumentResult::DeviceFailure;
}

ProtectionKind kindOf(scpi::ProtectionKind kind) {
    switch (kind) {
    case scpi::ProtectionKind::Voltage:
        return ProtectionKind::OverVoltage;
    case scpi::ProtectionKind::Current:
        return ProtectionKind::OverCurrent;
    case scpi::ProtectionKind::Power:
        break;
    }
    return ProtectionKind::OverPower;
}

std::string seconds(double s) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%g", s);
    return buf;
}

} // namespace

unsigned stepsAtOrBelow(double value, double step) {
    const double steps = std::floor(value / step + StepTolerance);
    // NaN fails the comparison and gives 0 with the negatives.
    if (!(steps > 0.0))
        return 0;
    return steps > 1e9 ? 1000000000u : static_cast<unsigned>(steps);
}

SessionInstrument::SessionInstrument(session::MeasurementSession& session, LogFunction log,
                                     std::function<std::string()> client)
    : session_(session), log_(std::move(log)), client_(std::move(client)) {}

void SessionInstrument::logAction(const std::string& operatorLine) {
    if (log_)
        log_(remoteAction(client_ ? client_() : std::string(), operatorLine));
}

InstrumentResult SessionInstrument::refuse(InstrumentResult result,
                                           const std::string& operatorLine) {
    logAction(operatorLine);
    return result;
}

InstrumentResult SessionInstrument::identify(scpi::Identity& out) {
    if (!session_.connected())
        return InstrumentResult::NoDevice;
    out = {SupplyDevice::Identification, "", session_.version()};
    return InstrumentResult::Ok;
}

InstrumentResult SessionInstrument::setpoints(double& volts, double& amps) {
    if (!session_.connected())
        return InstrumentResult::NoDevice;
    volts = session_.voltageInForce();
    amps = session_.currentInForce();
    return InstrumentResult::Ok;
}

InstrumentResult SessionInstrument::applySetpoints(double volts, double amps) {
    if (!session_.connected())
        return InstrumentResult::NoDevice;
    // NaN fails both comparisons and is refused with the rest.
    if (!(volts >= 0.0 && volts <= SetpointRules::MaxVolts))
        return refuse(InstrumentResult::OutOfRange, texts::LogVoltageTooHigh.str());
    if (!(amps >= 0.0 && amps <= SetpointRules::MaxAmps))
        return refuse(InstrumentResult::OutOfRange, texts::LogCurrentTooHigh.str());
    const unsigned voltSteps = stepsAtOrBelow(volts, SupplyDevice::VoltsPerUnit);
    const unsigned ampSteps = stepsAtOrBelow(amps, SupplyDevice::AmpsPerUnit);
    // The power of the values that go out, counted in whole steps so that a pair exactly at
    // the capacity (7.50 V x 0.200 A on the USB host) is not refused by a rounding.
    const double stepWatts = SupplyDevice::VoltsPerUnit * SupplyDevice::AmpsPerUnit;
    const auto capacitySteps = static_cast<std::uint64_t>(
        std::llround(SetpointRules::powerCapacity(session_.status().source) / stepWatts));
    if (std::uint64_t{voltSteps} * ampSteps > capacitySteps)
        return refuse(InstrumentResult::SettingsConflict, texts::LogPowerTooHigh.str());
    const DeviceResult r =
        session_.sendSetpointSteps(voltSteps, ampSteps, session::SetpointOrigin::Remote);
    if (r != DeviceResult::Ok)
        return resultOf(r);
    char line[256];
    std::snprintf(line, sizeof line, texts::LogSetpointSent, session_.voltageSetpoint(),
                  session_.currentSetpoint());
    logAction(line);
    return InstrumentResult::Ok;
}

InstrumentResult SessionInstrument::setOutput(bool on) {
    if (!session_.connected())
        return InstrumentResult::NoDevice;
    DeviceResult sent = DeviceResult::Ok;
    switch (session_.requestOutput(on, &sent)) {
    case session::OutputRequest::Refused:
        return refuse(InstrumentResult::Refused, texts::LogOutputRefusedTripped.str());
    case session::OutputRequest::NotConnected:
        return InstrumentResult::NoDevice;
    case session::OutputRequest::Sent:
        break;
    }
    if (sent != DeviceResult::Ok)
        return resultOf(sent);
    logAction(on ? texts::LogOutputOnByOperator.str() : texts::LogOutputOffByOperator.str());
    return InstrumentResult::Ok;
}

InstrumentResult SessionInstrument::output(bool& on) {
    if (!session_.connected())
        return InstrumentResult::NoDevice;
    on = session_.status().outputOn != 0;
    return InstrumentResult::Ok;
}

InstrumentResult SessionInstrument::measure(DeviceStatus& fresh) {
    return resultOf(session_.measure(fresh));
}

InstrumentResult SessionInstrument::lastReading(DeviceStatus& last) {
    if (!session_.connected())
        return InstrumentResult::NoDevice;
    last = session_.status();
    return InstrumentResult::Ok;
}

InstrumentResult SessionInstrument::protection(scpi::ProtectionKind kind, scpi::Protection& out) {
    const ProtectionKind k = kindOf(kind);
    const session::Protections& p = session_.protections();
    const session::ProtectionSetting& s = p.setting(k);
    out.level = s.level;
    out.enabled = s.enabled;
    out.delaySeconds = k == ProtectionKind::OverCurrent ? s.delaySeconds : 0.0;
    out.tripped = p.tripped(k);
    return InstrumentResult::Ok;
}

InstrumentResult SessionInstrument::setProtection(scpi::ProtectionKind kind,
                                                  const scpi::Protection& wanted) {
    const ProtectionKind k = kindOf(kind);
    session::Protections& p = session_.protections();
    // Checked on a copy first, so that a refused value changes nothing.
    session::Protections check = p;
    if (check.setLevel(k, wanted.level) != session::LevelResult::Ok)
        return refuse(InstrumentResult::OutOfRange, session::levelRefusedMessage(k));
    const bool current = k == ProtectionKind::OverCurrent;
    if (current && check.setDelay(wanted.delaySeconds) != session::LevelResult::Ok)
        return refuse(InstrumentResult::OutOfRange, texts::LogProtectionDelayRefused.str());

    const session::ProtectionSetting before = p.setting(k);
    bool changed = false;
    // The level as it is kept, on the display's grid: what is logged and answered.
    const double level = check.setting(k).level;
    if (level != before.level) {
        p.setLevel(k, level);
        logAction(texts::fill(texts::LogProtectionLevelSet, session::protectionName(k),
                              session::formatLevel(k, level)));
        changed = true;
    }
    if (current && wanted.delaySeconds != before.delaySeconds) {
        p.setDelay(wanted.delaySeconds);
        logAction(texts::fill(texts::LogProtectionDelaySet, seconds(wanted.delaySeconds)));
        changed = true;
    }
    if (wanted.enabled != before.enabled) {
        p.setEnabled(k, wanted.enabled);
        logAction(
            texts::fill(wanted.enabled ? texts::LogProtectionEnabled : texts::LogProtectionDisabled,
                        session::protectionName(k)));
        changed = true;
    }
    if (changed)
        session_.notifyProtectionsChanged();
    return InstrumentResult::Ok;
}

InstrumentResult SessionInstrument::clearProtection(scpi::ProtectionKind kind) {
    const ProtectionKind k = kindOf(kind);
    if (!session_.protections().tripped(k))
        return InstrumentResult::Ok;
    session_.protections().clear(k);
    logAction(session::clearedMessage(k));
    session_.notifyProtectionsChanged();
    return InstrumentResult::Ok;
}

InstrumentResult SessionInstrument::counters(scpi::Counters& out) {
    const session::Counters& c = session_.counters();
    out = {c.chargeAh(), c.energyWh(), c.outputOnSeconds()};
    return InstrumentResult::Ok;
}

InstrumentResult SessionInstrument::resetCounters() {
    session_.resetCounters();
    logAction(texts::LogCountersReset.str());
    return InstrumentResult::Ok;
}

InstrumentResult SessionInstrument::reset() {
    if (sequencer_)
        sequencer_->abort();
    session::Protections& p = session_.protections();
    for (int k = 0; k < session::ProtectionKinds; ++k)
        p.setEnabled(static_cast<ProtectionKind>(k), false);
    p.clearAll();
    session_.resetCounters();
    // Without a device the session's part is done all the same; the client learns that
    // the output could not be switched.
    InstrumentResult result = InstrumentResult::NoDevice;
    if (session_.connected()) {
        DeviceResult sent = DeviceResult::Ok;
        session_.requestOutput(false, &sent);
        result = resultOf(sent);
    }
    logAction(texts::LogRemoteReset.str());
    session_.notifyProtectionsChanged();
    return result;
}

InstrumentResult SessionInstrument::sequence(scpi::ListSequence& out) {
    out = lists_;
    return InstrumentResult::Ok;
}

InstrumentResult SessionInstrument::setSequence(const scpi::ListSequence& wanted) {
    if (sequencer_ && sequencer_->runningStep() != 0)
        return InstrumentResult::Refused;
    lists_ = wanted;
    return InstrumentResult::Ok;
}

InstrumentResult SessionInstrument::initiate(int& refusedStep) {
    refusedStep = 0;
    if (!sequencer_)
        return InstrumentResult::NotAvailable;
    if (!session_.connected())
        return InstrumentResult::NoDevice;
    return sequencer_->start(lists_, refusedStep);
}

InstrumentResult SessionInstrument::abort() {
    if (sequencer_)
        sequencer_->abort();
    return InstrumentResult::Ok;
}

InstrumentResult SessionInstrument::runningStep(int& step) {
    step = sequencer_ ? sequencer_->runningStep() : 0;
    return InstrumentResult::Ok;
}

} // namespace remote
