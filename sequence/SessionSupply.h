#pragma once

#include "sequence/Runner.h"
#include "sequence/Supply.h"

#include <functional>
#include <string>

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

    // Called before each command goes out, so that a run is registered before its first one.
    void setBeforeCommand(std::function<void()> hook) { beforeCommand_ = std::move(hook); }
    // What the last switch-off got; NotConnected before any.
    DeviceResult lastSwitchOff() const { return lastSwitchOff_; }
    void forgetSwitchOff() { lastSwitchOff_ = DeviceResult::NotConnected; }

private:
    session::MeasurementSession& session_;
    std::function<void()> beforeCommand_;
    DeviceResult lastSwitchOff_ = DeviceResult::NotConnected;
};

// A runner on the measurement session, told the session's events while it lives. A run still
// going when it goes is aborted, with the output switched off. Each run is registered with the
// session from before its first command to its end (MeasurementSession::runBegins, runEnds),
// `what` naming it there, so that a run the device's loss or the program's death ends leaves
// the output off at the next connect.
class SessionRunner {
public:
    SessionRunner(session::MeasurementSession& session, Runner::Log log, Runner::Clock clock = {},
                  std::string what = {});
    ~SessionRunner();
    SessionRunner(const SessionRunner&) = delete;
    SessionRunner& operator=(const SessionRunner&) = delete;

    Runner& runner() { return runner_; }
    const Runner& runner() const { return runner_; }
    // The owner's handler of the runner's changes (Runner::setChangeHandler), called after
    // the session has been told of a start or an end. The runner's own slot is this one's.
    void setChangeHandler(Runner::ChangeHandler handler) { ownerHandler_ = std::move(handler); }
    void setWhat(std::string what) { what_ = std::move(what); }

private:
    void begins();
    void ends();

    session::MeasurementSession& session_;
    SessionSupply supply_;
    Runner runner_;
    Runner::ChangeHandler ownerHandler_;
    std::string what_;
    bool registered_ = false;
};

} // namespace sequence
