#include "simulator/MemoryInstrument.h"

#include "session/SetpointRules.h"

namespace sim {

using scpi::InstrumentResult;

namespace {

bool withinLimits(double volts, double amps) {
    return volts >= 0.0 && volts <= SetpointRules::MaxVolts && amps >= 0.0 &&
           amps <= SetpointRules::MaxAmps;
}

} // namespace

scpi::Protection& MemoryInstrument::protectionOf(scpi::ProtectionKind kind) {
    return protections[static_cast<int>(kind)];
}

InstrumentResult MemoryInstrument::identify(scpi::Identity& out) {
    if (failing())
        return failure;
    out = identity;
    return InstrumentResult::Ok;
}

InstrumentResult MemoryInstrument::setpoints(double& volts, double& amps) {
    if (failing())
        return failure;
    volts = heldVolts;
    amps = heldAmps;
    return InstrumentResult::Ok;
}

InstrumentResult MemoryInstrument::applySetpoints(double volts, double amps) {
    if (failing())
        return failure;
    if (!withinLimits(volts, amps))
        return InstrumentResult::OutOfRange;
    if (volts * amps > SetpointRules::powerCapacity(status.source))
        return InstrumentResult::SettingsConflict;
    heldVolts = SetpointRules::voltsOnGrid(volts);
    heldAmps = SetpointRules::ampsOnGrid(amps);
    actions.push_back("set " + SetpointRules::formatVolts(heldVolts) + " " +
                      SetpointRules::formatAmps(heldAmps));
    return InstrumentResult::Ok;
}

InstrumentResult MemoryInstrument::setOutput(bool on) {
    if (failing())
        return failure;
    if (on)
        for (const scpi::Protection& p : protections)
            if (p.tripped)
                return InstrumentResult::Refused;
    outputIsOn = on;
    actions.push_back(on ? "output on" : "output off");
    return InstrumentResult::Ok;
}

InstrumentResult MemoryInstrument::output(bool& on) {
    if (failing())
        return failure;
    on = outputIsOn;
    return InstrumentResult::Ok;
}

InstrumentResult MemoryInstrument::measure(DeviceStatus& fresh) {
    if (failing())
        return failure;
    ++exchanges;
    return lastReading(fresh);
}

InstrumentResult MemoryInstrument::lastReading(DeviceStatus& last) {
    if (failing())
        return failure;
    last = status;
    last.outputOn = outputIsOn;
    return InstrumentResult::Ok;
}

InstrumentResult MemoryInstrument::protection(scpi::ProtectionKind kind, scpi::Protection& out) {
    if (failing())
        return failure;
    out = protectionOf(kind);
    return InstrumentResult::Ok;
}

InstrumentResult MemoryInstrument::setProtection(scpi::ProtectionKind kind,
                                                 const scpi::Protection& wanted) {
    if (failing())
        return failure;
    scpi::Protection& p = protectionOf(kind);
    bool tripped = p.tripped;
    p = wanted;
    p.tripped = tripped;
    return InstrumentResult::Ok;
}

InstrumentResult MemoryInstrument::clearProtection(scpi::ProtectionKind kind) {
    if (failing())
        return failure;
    protectionOf(kind).tripped = false;
    return InstrumentResult::Ok;
}

InstrumentResult MemoryInstrument::counters(scpi::Counters& out) {
    if (failing())
        return failure;
    out = counted;
    return InstrumentResult::Ok;
}

InstrumentResult MemoryInstrument::resetCounters() {
    if (failing())
        return failure;
    counted = {};
    return InstrumentResult::Ok;
}

InstrumentResult MemoryInstrument::reset() {
    if (failing())
        return failure;
    step = 0;
    outputIsOn = false;
    for (scpi::Protection& p : protections) {
        p.enabled = false;
        p.tripped = false;
    }
    counted = {};
    actions.push_back("reset");
    return InstrumentResult::Ok;
}

InstrumentResult MemoryInstrument::sequence(scpi::ListSequence& out) {
    if (failing())
        return failure;
    out = lists;
    return InstrumentResult::Ok;
}

InstrumentResult MemoryInstrument::setSequence(const scpi::ListSequence& wanted) {
    if (failing())
        return failure;
    if (step != 0)
        return InstrumentResult::Refused;
    lists = wanted;
    return InstrumentResult::Ok;
}

InstrumentResult MemoryInstrument::initiate(int& refusedStep) {
    refusedStep = 0;
    if (failing())
        return failure;
    if (step != 0)
        return InstrumentResult::Refused;
    const std::size_t n = lists.volts.size();
    if (n == 0 || lists.amps.size() != n || lists.dwellSeconds.size() != n)
        return InstrumentResult::SettingsConflict;
    for (std::size_t i = 0; i < n; ++i) {
        if (!withinLimits(lists.volts[i], lists.amps[i])) {
            refusedStep = static_cast<int>(i) + 1;
            return InstrumentResult::OutOfRange;
        }
        if (lists.volts[i] * lists.amps[i] > SetpointRules::powerCapacity(status.source)) {
            refusedStep = static_cast<int>(i) + 1;
            return InstrumentResult::SettingsConflict;
        }
    }
    step = 1;
    actions.push_back("start");
    return InstrumentResult::Ok;
}

InstrumentResult MemoryInstrument::abort() {
    if (failing())
        return failure;
    if (step != 0)
        actions.push_back("abort");
    step = 0;
    return InstrumentResult::Ok;
}

InstrumentResult MemoryInstrument::runningStep(int& out) {
    if (failing())
        return failure;
    out = step;
    return InstrumentResult::Ok;
}

} // namespace sim
