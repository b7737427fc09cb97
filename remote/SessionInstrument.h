#pragma once

#include "remote/Sequencer.h"
#include "scpi/Instrument.h"
#include "session/Protections.h"

#include <functional>
#include <string>

namespace session {
class MeasurementSession;
}

// The measurement session as the instrument the remote clients drive. Set-points pass the
// panel's rules on numbers, switching and protections go through the session as the
// operator's do, and every action is written to the system log marked as remote with the
// client's address. Queries of the device fail with NoDevice while no device is connected;
// the counters, protections and lists are the session's own and answer at any time.
namespace remote {

// A remote number as whole steps of a grid: the step at or below it, where a number a hair
// under a step by its binary form counts as that step (0.58 V is 29 steps of 0.02 V, though
// the double 0.58 is 0.57999...). Negative numbers give 0.
unsigned stepsAtOrBelow(double value, double step);

class SessionInstrument : public scpi::Instrument {
public:
    using LogFunction = std::function<void(const std::string&)>;
    // `client` names the client whose command runs ("127.0.0.1:40312").
    SessionInstrument(session::MeasurementSession& session, LogFunction log,
                      std::function<std::string()> client);

    // The sequencer INITiate starts; none by default.
    void setSequencer(Sequencer* sequencer) { sequencer_ = sequencer; }

    scpi::InstrumentResult identify(scpi::Identity& out) override;
    scpi::InstrumentResult setpoints(double& volts, double& amps) override;
    scpi::InstrumentResult applySetpoints(double volts, double amps) override;
    scpi::InstrumentResult setOutput(bool on) override;
    scpi::InstrumentResult output(bool& on) override;
    scpi::InstrumentResult measure(DeviceStatus& fresh) override;
    scpi::InstrumentResult lastReading(DeviceStatus& last) override;
    scpi::InstrumentResult protection(scpi::ProtectionKind kind, scpi::Protection& out) override;
    scpi::InstrumentResult setProtection(scpi::ProtectionKind kind,
                                         const scpi::Protection& wanted) override;
    scpi::InstrumentResult clearProtection(scpi::ProtectionKind kind) override;
    scpi::InstrumentResult counters(scpi::Counters& out) override;
    scpi::InstrumentResult resetCounters() override;
    scpi::InstrumentResult reset() override;
    scpi::InstrumentResult sequence(scpi::ListSequence& out) override;
    scpi::InstrumentResult setSequence(const scpi::ListSequence& wanted) override;
    scpi::InstrumentResult initiate(int& refusedStep) override;
    scpi::InstrumentResult abort() override;
    scpi::InstrumentResult runningStep(int& step) override;

    // The operator's line of the last refusal, as the panel words it (the HTTP API answers
    // with it).
    const std::string& lastRefusal() const { return lastRefusal_; }

private:
    void logAction(const std::string& operatorLine);
    // Refuses with the operator's line for it; gives `result`.
    scpi::InstrumentResult refuse(scpi::InstrumentResult result, const std::string& operatorLine);

    session::MeasurementSession& session_;
    LogFunction log_;
    std::function<std::string()> client_;
    Sequencer* sequencer_ = nullptr;
    scpi::ListSequence lists_;
    std::string lastRefusal_;
};

} // namespace remote
