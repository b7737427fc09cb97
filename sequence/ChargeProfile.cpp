#include "sequence/ChargeProfile.h"

#include "resources/Texts.h"
#include "sequence/Plan.h"
#include "sequence/SequenceMessages.h"

#include <algorithm>
#include <cmath>

namespace sequence {

namespace {

bool within(const std::optional<double>& v, double min, double max) {
    return !v || (std::isfinite(*v) && *v >= min && *v <= max);
}

} // namespace

const ChemistryFacts& facts(Chemistry chemistry) {
    static const ChemistryFacts liIon{"li-ion", "Li-ion/LiPo", 4.20, 4, 0.5};
    static const ChemistryFacts liFePO4{"lifepo4", "LiFePO4", 3.60, 5, 0.5};
    static const ChemistryFacts nimh{"nimh", "NiMH", 1.60, 12, 0.1};
    switch (chemistry) {
    case Chemistry::LiIon:
        return liIon;
    case Chemistry::LiFePO4:
        return liFePO4;
    case Chemistry::NiMH:
        break;
    }
    return nimh;
}

std::optional<Chemistry> chemistryFromName(const std::string& name) {
    for (Chemistry c : {Chemistry::LiIon, Chemistry::LiFePO4, Chemistry::NiMH})
        if (name == facts(c).name)
            return c;
    return std::nullopt;
}

ChargeBuild chargeSequence(const ChargeSettings& s) {
    ChargeBuild out;
    const ChemistryFacts& f = facts(s.chemistry);
    if (s.cells < 1 || s.cells > f.maxCells) {
        out.problem = printed(texts::ChargeCellsRefused, f.maxCells);
        return out;
    }
    if (!std::isfinite(s.capacityMah) || s.capacityMah < 10.0 || s.capacityMah > 100000.0) {
        out.problem = texts::ChargeCapacityRefused;
        return out;
    }
    if (!within(s.rateC, 0.01, 10.0)) {
        out.problem = texts::ChargeRateRefused;
        return out;
    }
    const double rate = s.rateC.value_or(f.defaultRate);
    const double capacityAh = s.capacityMah / 1000.0;
    const int ampUnitsCharge = ampUnits(rate * capacityAh);
    if (!(rate * capacityAh <= 1.0)) {
        // The capacity is what the operator gave; at the default rate it is all that is wrong.
        out.problem = printed(texts::ChargeCapacityTooLarge, s.capacityMah, rate,
                              std::floor(1000.0 / rate * 1e6) / 1e6);
        return out;
    }
    if (ampUnitsCharge < 1) {
        out.problem = printed(texts::ChargeCurrentRefused, rate * capacityAh);
        return out;
    }
    ChargePlan plan;
    plan.volts = voltsOf(voltUnits(s.cells * f.cellVolts));
    plan.amps = ampsOf(ampUnitsCharge);
    const bool lithium = s.chemistry != Chemistry::NiMH;
    if (lithium && ampUnitsCharge < MinLithiumChargeAmpUnits) {
        // The termination, a tenth of the charge current by default but at least 0.001 A,
        // must lie below the charge current. The smallest rate that gives 0.002 A, rounded up to
        // what a rate can be typed as.
        const double smallest = std::max(
            0.01, std::ceil(MinLithiumChargeAmpUnits / 1000.0 / capacityAh * 1e4 - 1e-6) / 1e4);
        out.problem = printed(texts::ChargeRateTooSmallForCapacity, s.capacityMah, smallest);
        return out;
    }
    if (lithium) {
        const double termination =
            s.terminationA.value_or(std::max(0.001, ampsOf(ampUnitsCharge / 10)));
        if (!std::isfinite(termination) || termination < 0.001 || termination >= plan.amps) {
            out.problem = texts::ChargeTerminationRefused;
            return out;
        }
        plan.sequence.stops.currentBelow = CurrentBelow{termination, TerminationHoldSeconds};
    } else {
        plan.sequence.stops.chargeAboveAh = capacityAh * NimhChargeFactor;
    }
    // Lithium: the constant-current time with half as much again and an hour for the
    // constant-voltage tail; NiMH: the time its charge takes, with a quarter more.
    const double defaultMax =
        lithium ? (1.5 / rate + 1.0) * 3600.0 : NimhChargeFactor / rate * 1.25 * 3600.0;
    if (!within(s.maxTimeS, 60.0, 604800.0)) {
        out.problem = texts::ChargeMaxTimeRefused;
        return out;
    }
    plan.maxTimeS = std::round(s.maxTimeS.value_or(std::min(defaultMax, 604800.0)));
    plan.sequence.steps.push_back({plan.volts, plan.amps, plan.maxTimeS, Ramp::Step});
    plan.sequence.repeat = 1;
    // Pauses do not stretch the limit: the cell charges on while the schedule holds.
    plan.sequence.stops.elapsedSeconds = plan.maxTimeS;
    plan.options.outputOnAtStart = true;
    plan.options.keepOutputAtEnd = false;
    plan.options.startMessage =
        s.cells == 1 ? printed(texts::ChargeStartedOneCell, f.label, plan.volts, plan.amps)
                     : printed(texts::ChargeStarted, f.label, s.cells, plan.volts, plan.amps);
    plan.options.summary = chargeSummary;
    out.plan = std::move(plan);
    return out;
}

} // namespace sequence
