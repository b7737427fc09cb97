#pragma once

#include "scpi/Instrument.h"

#include <functional>
#include <optional>
#include <string>

namespace session {
class MeasurementSession;
}
namespace remote {
class SessionInstrument;
}

// The changes a network front end asks of the session (set-points, the output), checked as
// the HTTP API checks them: a device must be connected and no sequence running, then the
// remote instrument applies the panel's set-point rules. A refusal carries the operator's
// text; nothing reaches the device then.
namespace http {

struct ChangeOutcome {
    scpi::InstrumentResult result = scpi::InstrumentResult::Ok;
    std::string refusal; // empty when result is Ok
    bool ok() const { return result == scpi::InstrumentResult::Ok; }
};

class Changes {
public:
    Changes(session::MeasurementSession& session, remote::SessionInstrument& instrument,
            std::function<bool()> runGoing)
        : session_(session), instrument_(instrument), runGoing_(std::move(runGoing)) {}

    // A missing set-point keeps the one in force.
    ChangeOutcome setpoints(std::optional<double> volts, std::optional<double> amps);
    ChangeOutcome output(bool on);
    ChangeOutcome resetCounters();

    void setRunGoing(std::function<bool()> running) { runGoing_ = std::move(running); }

    // What the instrument's answer means, with the refusal's text.
    ChangeOutcome outcome(scpi::InstrumentResult r) const;

private:
    std::optional<ChangeOutcome> refusedBeforeDevice() const;

    session::MeasurementSession& session_;
    remote::SessionInstrument& instrument_;
    std::function<bool()> runGoing_;
};

} // namespace http
