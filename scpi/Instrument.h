#pragma once

#include "device/SupplyDevice.h"

#include <string>
#include <vector>

// What the instrument language needs of the supply. The measurement session implements it;
// the language and the socket server only ever talk to the supply through it. Every call
// runs on the thread that executes the commands, one at a time, and returns a small code:
// nothing is thrown and nothing is shown.
namespace scpi {

enum class InstrumentResult {
    Ok,
    OutOfRange,       // a value beyond the supply's limits: -222 "Data out of range"
    SettingsConflict, // a value the present state forbids, e.g. beyond the power capacity: -221
    Refused,          // not now, e.g. output on while a protection is tripped, or a list
                      // changed while it runs: -221 with ";refused in the present state"
    DeviceFailure,    // the device did not answer or answered wrongly: -240 "Hardware error"
    NoDevice,         // no device is connected: -241 "Hardware missing"
    NotAvailable,     // this build cannot do it, e.g. run a sequence: -221 with
                      // ";not available in this version"
};

struct Identity {
    std::string model;    // e.g. the identification the device gave at connect
    std::string serial;   // empty when the device has none
    std::string firmware; // the device's version text
};

enum class ProtectionKind { Voltage, Current, Power };

// One protection of the session: the output is switched off when the measured quantity
// stays above `level` (volts, amperes or watts) while `enabled`; for the current one only
// after `delaySeconds`. `tripped` stays set until the protection is cleared.
struct Protection {
    double level = 0.0;
    bool enabled = false;
    double delaySeconds = 0.0; // current protection only; the others ignore it
    bool tripped = false;      // ignored by setProtection
};

// What the session has counted since its last reset.
struct Counters {
    double chargeAh = 0.0;
    double energyWh = 0.0;
    double outputOnSeconds = 0.0;
};

// The step list of a sequence: step i holds volts[i], amps[i] for dwellSeconds[i]; the whole
// list runs `count` times, endlessly for Endless. The lists may differ in length while they
// are being entered; initiate() decides whether they make a sequence.
struct ListSequence {
    static constexpr unsigned Endless = 0;
    std::vector<double> volts;
    std::vector<double> amps;
    std::vector<double> dwellSeconds;
    unsigned count = 1;
};

class Instrument {
public:
    virtual ~Instrument() = default;

    // Model, serial and firmware as the device gave them at connect; no exchange.
    virtual InstrumentResult identify(Identity& out) = 0;

    // The set-points in force: the values last sent to the device or read from it (never a
    // rejected entry's marker); no exchange.
    virtual InstrumentResult setpoints(double& volts, double& amps) = 0;
    // Sends both set-points through the panel's rules: 0..20 V and 0..1 A (OutOfRange), the
    // power capacity of the present source (SettingsConflict), then the device's grids.
    // Nothing is sent when a rule refuses. The language has already checked 0..20 V and
    // 0..1 A; the session checks again.
    virtual InstrumentResult applySetpoints(double volts, double amps) = 0;

    virtual InstrumentResult setOutput(bool on) = 0;
    // The output state the session holds (the last switch, or the last poll's).
    virtual InstrumentResult output(bool& on) = 0;

    // A fresh status exchange with the device, the current corrected as the panel does it
    // (OffsetAtt); the session keeps it as its last reading.
    virtual InstrumentResult measure(DeviceStatus& fresh) = 0;
    // The last poll's (or measure's) status, no exchange.
    virtual InstrumentResult lastReading(DeviceStatus& last) = 0;

    virtual InstrumentResult protection(ProtectionKind kind, Protection& out) = 0;
    // Level, enabled and delay at once; the language checks the ranges first.
    virtual InstrumentResult setProtection(ProtectionKind kind, const Protection& wanted) = 0;
    // Clears a tripped protection; the output stays off until it is switched on again.
    virtual InstrumentResult clearProtection(ProtectionKind kind) = 0;

    virtual InstrumentResult counters(Counters& out) = 0;
    virtual InstrumentResult resetCounters() = 0;

    // *RST: a running sequence aborted, output off, protections off and cleared, counters
    // reset; set-points kept.
    virtual InstrumentResult reset() = 0;

    virtual InstrumentResult sequence(ListSequence& out) = 0;
    // Stores the lists (each value already within the set-point limits) and the count.
    virtual InstrumentResult setSequence(const ListSequence& wanted) = 0;
    // Checks every step against the set-point rules and the power capacity and starts the
    // sequence; on a refusal nothing is sent and `refusedStep` names the first bad step
    // (1-based; 0 when the refusal is not about one step, e.g. lists of different lengths).
    virtual InstrumentResult initiate(int& refusedStep) = 0;
    // Stops a running sequence; the set-points and the output stay as they are.
    virtual InstrumentResult abort() = 0;
    // The running step, 1-based; 0 while no sequence runs.
    virtual InstrumentResult runningStep(int& step) = 0;
};

} // namespace scpi
