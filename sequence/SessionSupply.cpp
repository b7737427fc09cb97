#include "sequence/SessionSupply.h"

#include "session/MeasurementSession.h"

namespace sequence {

bool SessionSupply::connected() const {
    return session_.connected();
}

PowerSource SessionSupply::source() const {
    return session_.status().source;
}

double SessionSupply::heldVolts() const {
    return session_.voltageSetpoint();
}

double SessionSupply::heldAmps() const {
    return session_.currentSetpoint();
}

bool SessionSupply::outputLocked() const {
    return session_.protections().tripped();
}

DeviceResult SessionSupply::sendSetpoints(double volts, double amps) {
    if (beforeCommand_)
        beforeCommand_();
    return session_.sendSetpoints(volts, amps, session::SetpointOrigin::Sequence);
}

DeviceResult SessionSupply::switchOutput(bool on) {
    if (beforeCommand_)
        beforeCommand_();
    DeviceResult sent = DeviceResult::NotConnected;
    const session::OutputRequest request = session_.requestOutput(on, &sent);
    if (!on)
        lastSwitchOff_ = request == session::OutputRequest::Confirmed ||
                                 request == session::OutputRequest::Failed
                             ? sent
                             : DeviceResult::NotConnected;
    switch (request) {
    case session::OutputRequest::Confirmed:
    case session::OutputRequest::Failed:
        return sent;
    case session::OutputRequest::Refused:
        return DeviceResult::BadReply;
    case session::OutputRequest::NotConnected:
        break;
    }
    return DeviceResult::NotConnected;
}

bool SessionSupply::outputOn() const {
    return session_.status().outputOn != 0;
}

double SessionSupply::chargeAh() const {
    return session_.counters().chargeAh();
}

double SessionSupply::energyWh() const {
    return session_.counters().energyWh();
}

SessionRunner::SessionRunner(session::MeasurementSession& session, Runner::Log log,
                             Runner::Clock clock, std::string what)
    : session_(session), supply_(session), runner_(supply_, std::move(log), std::move(clock)),
      what_(std::move(what)) {
    session_.addObserver(&runner_);
    supply_.setBeforeCommand([this] { begins(); });
    runner_.setChangeHandler([this] {
        begins();
        ends();
        if (ownerHandler_)
            ownerHandler_();
    });
}

SessionRunner::~SessionRunner() {
    runner_.abort();
    ends();
    runner_.setChangeHandler({});
    session_.removeObserver(&runner_);
}

void SessionRunner::begins() {
    if (registered_ || !runner_.running())
        return;
    registered_ = true;
    supply_.forgetSwitchOff();
    session_.runBegins(what_);
}

void SessionRunner::ends() {
    if (!registered_ || runner_.running())
        return;
    registered_ = false;
    const RunEnd e = runner_.lastEnd().value_or(RunEnd{});
    // Off with the device's OK, or left on as the plan (keep the output at the end) or a
    // client's abort meant; a trip's or a refused switch-off waits for a poll that shows it.
    const bool offConfirmed = e.outputSwitchedOff && supply_.lastSwitchOff() == DeviceResult::Ok;
    const bool leftOnAsMeant = !e.outputSwitchedOff && e.reason != EndReason::Tripped &&
                               e.reason != EndReason::DeviceLost &&
                               e.reason != EndReason::DeviceFailed;
    session_.runEnds(offConfirmed || leftOnAsMeant);
}

} // namespace sequence
