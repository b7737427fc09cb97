#include "platform/Signals.h"

#include <string>

// Windows sends no signals of these kinds: a console's events are handled where they are
// used, and a process is never suspended from its console.
namespace platform {

std::vector<int> endingSignals() {
    return {};
}

std::string signalName(int signal) {
    return "signal " + std::to_string(signal);
}

void ignoreBrokenPipe() {}

struct EndingSignalHandler::Previous {};

EndingSignalHandler::EndingSignalHandler(Handler) : previous_(std::make_unique<Previous>()) {}

EndingSignalHandler::~EndingSignalHandler() = default;

struct SuspendRefusal::Previous {};

SuspendRefusal::SuspendRefusal(const std::string&, bool refusing)
    : previous_(std::make_unique<Previous>()), refusing_(refusing) {}

SuspendRefusal::~SuspendRefusal() = default;

void SuspendRefusal::refuse(bool refusing) {
    refusing_ = refusing;
}

} // namespace platform
