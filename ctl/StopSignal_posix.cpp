#include "ctl/StopSignal.h"

#include "platform/Signals.h"

namespace ctl {

namespace {
void onStopSignal(int) {
    requestStop();
}
} // namespace

struct StopOnSignals::Previous {
    platform::EndingSignalHandler handler{onStopSignal};
};

StopOnSignals::StopOnSignals() : previous_(std::make_unique<Previous>()) {}

StopOnSignals::~StopOnSignals() = default;

} // namespace ctl
