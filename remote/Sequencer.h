#pragma once

#include "scpi/Instrument.h"

// What runs a step list for the remote instrument: INITiate starts it, ABORt stops it and
// LIST:STEP? asks where it is. The remote instrument keeps the lists itself and works without
// one; INITiate then answers that sequences are not available.
namespace remote {

class Sequencer {
public:
    virtual ~Sequencer() = default;
    // Checks every step against the set-point rules and the power capacity and starts; on a
    // refusal nothing is sent and `refusedStep` names the first bad step (1-based, 0 when the
    // refusal is about the lists as a whole).
    virtual scpi::InstrumentResult start(const scpi::ListSequence& steps, int& refusedStep) = 0;
    // Stops a running sequence; set-points and output stay as they are.
    virtual void abort() = 0;
    // The running step, 1-based; 0 while none runs.
    virtual int runningStep() const = 0;
};

} // namespace remote
