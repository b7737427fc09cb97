#pragma once

#include "scpi/Instrument.h"

#include <string>
#include <vector>

namespace sim {

// An instrument held in memory for the instrument language, its server and their fuzzing:
// the panel's set-point rules, a sequence check, protections that refuse the output while
// tripped, and a fault on demand. Its state is public: tests arrange and inspect it, and
// `actions` lists what would have reached the device, one line each.
class MemoryInstrument : public scpi::Instrument {
public:
    scpi::Identity identity{"SIM", "", "1.02"};
    double heldVolts = 0.0;
    double heldAmps = 0.0;
    bool outputIsOn = false;
    DeviceStatus status; // what measure and lastReading give; its source selects the capacity
    scpi::Protection protections[3];
    scpi::Counters counted;
    scpi::ListSequence lists;
    int step = 0; // the running step, 0 when idle
    // Every call gives this instead of working while it is not Ok.
    scpi::InstrumentResult failure = scpi::InstrumentResult::Ok;
    std::vector<std::string> actions; // "set 5.00 0.100", "output on", "reset", "start", ...
    int exchanges = 0;                // fresh readings taken

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
    scpi::InstrumentResult runningStep(int& out) override;

private:
    bool failing() const { return failure != scpi::InstrumentResult::Ok; }
    scpi::Protection& protectionOf(scpi::ProtectionKind kind);
};

} // namespace sim
