#include "sequence/SequenceMessages.h"

#include "resources/Texts.h"
#include "session/SessionMessages.h"

#include <algorithm>
#include <cmath>

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
                       limitText(stops.elapsedSeconds.value_or(0.0)).c_str());
    case EndReason::Charge:
        return printed(texts::SequenceStopCharge,
                       decimalText(stops.chargeAboveAh.value_or(0.0), 3, 6).c_str());
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
    // The word stands inside the sentence: a language that writes it capitalised on its own
    // (the English "Abort" of the page's button shares its Japanese) gets it in lower case.
    std::string word = endWord(end.reason);
    if (!word.empty() && word[0] >= 'A' && word[0] <= 'Z')
        word[0] = static_cast<char>(word[0] - 'A' + 'a');
    return printed(texts::ChargeSummary, word.c_str(), end.totals.chargeAh * 1000.0,
                   end.totals.energyWh, session::formatDuration(end.totals.elapsedSeconds).c_str());
}

std::string clockText(std::int64_t ms) {
    const long long tenths = ms > 0 ? ms / 100 : 0;
    return clockText(tenths / 10, static_cast<int>(tenths % 10));
}

std::string decimalText(double value, int minDecimals, int maxDecimals) {
    std::string text = printed("%.*f", maxDecimals, value);
    const std::size_t point = text.find('.');
    if (point == std::string::npos)
        return text;
    const std::size_t keep = std::max(text.find_last_not_of('0') + 1, point + 1 + minDecimals);
    text.erase(std::min(keep, text.size()));
    if (text.back() == '.')
        text.pop_back();
    return text;
}

std::string limitText(double seconds) {
    // The runner keeps the limit in milliseconds.
    const long long ms = seconds > 0 ? std::llround(seconds * 1000.0) : 0;
    const long long whole = ms / 1000;
    std::string text = printed("%lld:%02lld:%02lld", whole / 3600, whole / 60 % 60, whole % 60);
    if (ms % 1000)
        text += decimalText(static_cast<double>(ms % 1000) / 1000.0, 0, 3).substr(1);
    return text;
}

std::string clockText(long long seconds, int tenths) {
    return printed("%lld:%02lld:%02lld.%d", seconds / 3600, seconds / 60 % 60, seconds % 60,
                   tenths);
}

} // namespace sequence
