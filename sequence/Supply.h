#pragma once

#include "device/SupplyDevice.h"

namespace sequence {

// What a running sequence needs of the supply, and nothing more: the measurement session
// gives it (SessionSupply), tests give a stand-in that records what is sent.
class Supply {
public:
    virtual ~Supply() = default;
    virtual bool connected() const = 0;
    virtual PowerSource source() const = 0;
    // The set-points the device holds now (a rejected entry's -1 marker may show here).
    virtual double heldVolts() const = 0;
    virtual double heldAmps() const = 0;
    // A protection is latched: switching on would be refused.
    virtual bool outputLocked() const = 0;
    // Sends the pair as given; the values are already on the grids and within the rules.
    virtual DeviceResult sendSetpoints(double volts, double amps) = 0;
    virtual DeviceResult switchOutput(bool on) = 0;
    // The output as the device last confirmed it (an answered switch, a status poll).
    virtual bool outputOn() const = 0;
    // The session's counters; a sequence counts from where they stood at its start.
    virtual double chargeAh() const = 0;
    virtual double energyWh() const = 0;
};

} // namespace sequence
