#include "sequence/SequenceMessages.h"

#include "resources/Texts.h"
#include "session/SessionMessages.h"

namespace sequence {

namespace {

const char* ruleText(SetpointRules::Outcome outcome) {
    switch (outcome) {
    case SetpointRules::Outcome::VoltageTooHigh:
        return texts::LogVoltageTooHigh;
    case SetpointRules::Outcome::CurrentTooHigh:
        return texts::LogCurrentTooHigh;
    case SetpointRules::Outcome::NotANumber:
        return texts::LogNotANumber;
    case SetpointRules::Outcome::PowerTooHigh:
    case SetpointRules::Outcome::Send:
        break;
    }
    return texts::LogPowerTooHigh;
}

const char* endWord(EndReason reason) {
    switch (reason) {
    case EndReason::CurrentBelow:
        return texts::ChargeEndTermination;
    case EndReason::Completed:
    case EndReason::Elapsed:
        return texts::ChargeEndMaxTime;
    case EndReason::Charge:
        return texts::ChargeEndCharge;
    case EndReason::VoltageAbove:
        return texts::ChargeEndVoltage;
    case EndReason::Aborted:
        return texts::ChargeEndAborted;
    case EndReason::WindowClosed:
        return texts::ChargeEndWindowClosed;
    case EndReason::DeviceLost:
        return texts::ChargeEndDeviceLost;
    case EndReason::DeviceFailed:
        return texts::ChargeEndDeviceFailed;
    case EndReason::SourceRefused:
        return texts::ChargeEndSourceRefused;
    case EndReason::Tripped:
        break;
    }
    return texts::ChargeEndTripped;
}

} // namespace

std::string refusalText(const Refusal& r) {
    switch (r.kind) {
    case RefusalKind::None:
        return {};
    case RefusalKind::NoSteps:
        return texts::SequenceRefusedNoSteps.str();
    case RefusalKind::TooManySteps:
        return texts::SequenceRefusedTooManySteps.str();
    case RefusalKind::BadDuration:
        return printed(texts::SequenceRefusedDuration, r.step);
    case RefusalKind::BadRepeat:
        return texts::SequenceRefusedRepeat.str();
    case RefusalKind::BadStop:
        return texts::SequenceRefusedStop.str();
    case RefusalKind::NotConnected:
        return texts::SequenceRefusedNotConnected.str();
    case RefusalKind::Tripped:
        return texts::LogOutputRefusedTripped.str();
    case RefusalKind::Running:
        return texts::SequenceRefusedRunning.str();
    case RefusalKind::Rule:
        break;
    }
    if (r.rampPoint)
        return printed(texts::SequenceRefusedRampPoint, r.step, r.atSeconds, voltsOf(r.point),
                       ampsOf(r.point), ruleText(r.outcome));
    return printed(texts::SequenceRefusedStep, r.step, ruleText(r.outcome));
}

std::string endText(EndReason reason, const StopConditions& stops) {
    switch (reason) {
    case EndReason::Completed:
        return texts::SequenceCompleted.str();
    case EndReason::CurrentBelow:
        return printed(texts::SequenceStopCurrent,
                       stops.currentBelow ? stops.currentBelow->amps : 0,
                       stops.currentBelow ? stops.currentBelow->seconds : 0);
    case EndReason::VoltageAbove:
        return printed(texts::SequenceStopVoltage, stops.voltageAbove.value_or(0.0));
    case EndReason::Elapsed:
        return printed(texts::SequenceStopElapsed,
                       session::formatDuration(stops.elapsedSeconds.value_or(0.0)).c_str());
    case EndReason::Charge:
        return printed(texts::SequenceStopCharge, stops.chargeAboveAh.value_or(0.0));
    case EndReason::Aborted:
        return texts::SequenceAborted.str();
    case EndReason::WindowClosed:
        return texts::SequenceWindowClosed.str();
    case EndReason::DeviceLost:
        return texts::SequenceDeviceLost.str();
    case EndReason::DeviceFailed:
        return texts::SequenceDeviceFailed.str();
    case EndReason::SourceRefused:
        return texts::SequenceSourceRefused.str();
    case EndReason::Tripped:
        break;
    }
    return texts::SequenceTripped.str();
}

std::string chargeSummary(const RunEnd& end) {
    return printed(texts::ChargeSummary, endWord(end.reason), end.totals.chargeAh * 1000.0,
                   end.totals.energyWh, session::formatDuration(end.totals.elapsedSeconds).c_str());
}

std::string clockText(std::int64_t ms) {
    const long long tenths = ms > 0 ? ms / 100 : 0;
    const long long seconds = tenths / 10;
    return printed("%lld:%02lld:%02lld.%lld", seconds / 3600, seconds / 60 % 60, seconds % 60,
                   tenths % 10);
}

} // namespace sequence
