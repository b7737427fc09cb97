#include "remote/RunnerSequencer.h"

#include "sequence/Runner.h"
#include "sequence/Sequence.h"
#include "sequence/SequenceMessages.h"

namespace remote {

using scpi::InstrumentResult;
using sequence::RefusalKind;

RunnerSequencer::RunnerSequencer(sequence::Runner& runner, LogFunction log)
    : runner_(runner), log_(std::move(log)) {}

InstrumentResult RunnerSequencer::start(const scpi::ListSequence& steps, int& refusedStep) {
    refusedStep = 0;
    if (runner_.running())
        return InstrumentResult::Refused;
    const auto lists =
        sequence::fromLists(steps.volts, steps.amps, steps.dwellSeconds, steps.count);
    if (!lists)
        return InstrumentResult::SettingsConflict;
    const sequence::Refusal r = runner_.start(*lists);
    if (!r)
        return InstrumentResult::Ok;
    log_(sequence::refusalText(r));
    switch (r.kind) {
    case RefusalKind::Rule:
        refusedStep = r.step;
        return r.outcome == SetpointRules::Outcome::PowerTooHigh
                   ? InstrumentResult::SettingsConflict
                   : InstrumentResult::OutOfRange;
    case RefusalKind::BadDuration:
        refusedStep = r.step;
        return InstrumentResult::OutOfRange;
    case RefusalKind::NotConnected:
        return InstrumentResult::NoDevice;
    case RefusalKind::Running:
    case RefusalKind::Tripped:
        return InstrumentResult::Refused;
    default:
        return InstrumentResult::SettingsConflict;
    }
}

void RunnerSequencer::abort() {
    runner_.abort(sequence::EndReason::Aborted, false);
}

int RunnerSequencer::runningStep() const {
    return runner_.runningStep();
}

} // namespace remote
