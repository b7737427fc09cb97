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
    return session_.sendSetpoints(volts, amps, session::SetpointOrigin::Sequence);
}

DeviceResult SessionSupply::switchOutput(bool on) {
    DeviceResult sent = DeviceResult::NotConnected;
    switch (session_.requestOutput(on, &sent)) {
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
                             Runner::Clock clock)
    : session_(session), supply_(session), runner_(supply_, std::move(log), std::move(clock)) {
    session_.addObserver(&runner_);
}

SessionRunner::~SessionRunner() {
    runner_.abort();
    session_.removeObserver(&runner_);
}

} // namespace sequence
