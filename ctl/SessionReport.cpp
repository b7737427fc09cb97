#include "ctl/SessionReport.h"

#include "ctl/Session.h"
#include "resources/TextFormat.h"
#include "resources/Texts.h"
#include "session/SessionMessages.h"

namespace ctl {

SessionReport::SessionReport(Session& s) : s_(s) {
    s_.measurement().addObserver(this);
}

SessionReport::~SessionReport() {
    s_.measurement().removeObserver(this);
}

void SessionReport::say(const std::string& message) {
    s_.say(message);
}

void SessionReport::onTrip(const session::Trip& t) {
    trips.push_back(t);
    say(session::tripMessage(t));
}

void SessionReport::onDeviceLost(bool reconnecting) {
    // A loss that ends the command is told by the command.
    if (reconnecting)
        say(texts::LogDeviceLost.str());
}

void SessionReport::onConnected(bool automatic) {
    if (automatic)
        say(texts::fill(texts::LogConnected, s_.port(), s_.version()));
}

void SessionReport::onOutputChanged(bool on) {
    say(on ? texts::LogOutputOnAtDevice.str() : texts::LogOutputOffAtDevice.str());
}

} // namespace ctl
