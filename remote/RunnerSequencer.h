#pragma once

#include "remote/Sequencer.h"

#include <functional>
#include <string>

namespace sequence {
class Runner;
}

namespace remote {

// The remote client's step lists run on a sequence runner, the same one the panel's sequence
// page or quorelctl serve drives, so that two runs never meet. A refusal is told in the log
// and named by its step; ABORt leaves the set-points and the output as they are.
class RunnerSequencer : public Sequencer {
public:
    using LogFunction = std::function<void(const std::string&)>;

    RunnerSequencer(sequence::Runner& runner, LogFunction log);

    scpi::InstrumentResult start(const scpi::ListSequence& steps, int& refusedStep) override;
    void abort() override;
    int runningStep() const override;

private:
    sequence::Runner& runner_;
    LogFunction log_;
};

} // namespace remote
