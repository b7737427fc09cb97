#include "http/Changes.h"

#include "remote/SessionInstrument.h"
#include "resources/Texts.h"
#include "session/MeasurementSession.h"

namespace http {

using scpi::InstrumentResult;

ChangeOutcome Changes::outcome(InstrumentResult r) const {
    switch (r) {
    case InstrumentResult::Ok:
        return {};
    case InstrumentResult::OutOfRange:
    case InstrumentResult::SettingsConflict:
    case InstrumentResult::Refused:
        return {r, instrument_.lastRefusal()};
    case InstrumentResult::NoDevice:
        return {r, texts::ResultNotConnected.str()};
    default:
        break;
    }
    return {r, texts::ResultBadReply.str()};
}

std::optional<ChangeOutcome> Changes::refusedBeforeDevice() const {
    if (!session_.connected())
        return ChangeOutcome{InstrumentResult::NoDevice, texts::ResultNotConnected.str()};
    if (runGoing_ && runGoing_())
        return ChangeOutcome{InstrumentResult::Refused, texts::HttpRefusedRunning.str()};
    return std::nullopt;
}

ChangeOutcome Changes::setpoints(std::optional<double> volts, std::optional<double> amps) {
    if (auto refused = refusedBeforeDevice())
        return *refused;
    return outcome(instrument_.applySetpoints(volts.value_or(session_.voltageInForce()),
                                              amps.value_or(session_.currentInForce())));
}

ChangeOutcome Changes::output(bool on) {
    if (auto refused = refusedBeforeDevice())
        return *refused;
    return outcome(instrument_.setOutput(on));
}

ChangeOutcome Changes::resetCounters() {
    return outcome(instrument_.resetCounters());
}

} // namespace http
