#pragma once

#include "sequence/Runner.h"
#include "sequence/Supply.h"

namespace session {
class MeasurementSession;
}

namespace sequence {

// The supply as the measurement session holds it: set-points go out marked as a sequence's
// (the panel's fields follow them), the output through the session's request (so a latched
// protection still refuses it), the charge from its counters.
class SessionSupply : public Supply {
public:
    explicit SessionSupply(session::MeasurementSession& session) : session_(session) {}

    bool connected() const override;
    PowerSource source() const override;
    double heldVolts() const override;
    double heldAmps() const override;
    bool outputLocked() const override;
    DeviceResult sendSetpoints(double volts, double amps) override;
    DeviceResult switchOutput(bool on) override;
    bool outputOn() const override;
    double chargeAh() const override;
    double energyWh() const override;

private:
    session::MeasurementSession& session_;
};

// A runner on the measurement session, told the session's events while it lives. A run still
// going when it goes is aborted, with the output switched off.
class SessionRunner {
public:
    SessionRunner(session::MeasurementSession& session, Runner::Log log, Runner::Clock clock = {});
    ~SessionRunner();
    SessionRunner(const SessionRunner&) = delete;
    SessionRunner& operator=(const SessionRunner&) = delete;

    Runner& runner() { return runner_; }
    const Runner& runner() const { return runner_; }

private:
    session::MeasurementSession& session_;
    SessionSupply supply_;
    Runner runner_;
};

} // namespace sequence
