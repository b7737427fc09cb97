#pragma once

#include "sequence/Runner.h"
#include "sequence/Sequence.h"

#include <optional>
#include <string>

// Charge profiles: a battery charged through the sequence engine. Lithium cells take
// constant current and then constant voltage (the supply's own CC/CV does the change) until
// the current stays below the termination level for 10 s, or the maximum time; NiMH cells
// take constant current until the charge given has gone in, or the maximum time. The output
// is switched on at the start and off at the end, and the end leaves a summary in the log.
namespace sequence {

enum class Chemistry { LiIon, LiFePO4, NiMH };

struct ChargeSettings {
    Chemistry chemistry = Chemistry::LiIon;
    int cells = 1;
    double capacityMah = 1000.0;
    std::optional<double> rateC;        // charge current in C; default 0.5 (NiMH 0.1)
    std::optional<double> terminationA; // lithium only; default a tenth of the charge current
                                        // (at least 0.001 A)
    std::optional<double> maxTimeS;     // default from the rate, see chargeSequence
};

constexpr double TerminationHoldSeconds = 10.0;
// A lithium charge at the default termination needs 0.002 A: its termination, 0.001 A at
// the least, must lie below it.
constexpr int MinLithiumChargeAmpUnits = 2;
// NiMH takes this much of its capacity back, the usual return of a timed charge.
constexpr double NimhChargeFactor = 1.4;

struct ChemistryFacts {
    const char* name;  // "li-ion", "lifepo4", "nimh": the command line's words
    const char* label; // what the panel and the log show
    double cellVolts;  // charge voltage per cell (NiMH: the ceiling under constant current)
    int maxCells;      // as many as stay within 20 V
    double defaultRate;
};
const ChemistryFacts& facts(Chemistry chemistry);
std::optional<Chemistry> chemistryFromName(const std::string& name);

struct ChargePlan {
    Sequence sequence;
    RunOptions options;
    double volts = 0.0; // the set-points of the charge
    double amps = 0.0;
    double maxTimeS = 0.0;
};

// The sequence of a charge, or the message saying which parameter is refused. Whether the
// present source can supply it is the runner's check, as for any sequence.
struct ChargeBuild {
    std::optional<ChargePlan> plan;
    std::string problem;
};
ChargeBuild chargeSequence(const ChargeSettings& settings);

} // namespace sequence
