#pragma once

#include "session/SessionObserver.h"

#include <string>
#include <vector>

// Tells the system log and standard error what the measurement session meets while a
// long-running command (monitor, serve) drives it: trips, a device lost while reconnecting
// and found again, the output switched at the device. Observes the session while it lives.
namespace ctl {

class Session;

class SessionReport : public session::SessionObserver {
public:
    explicit SessionReport(Session& s);
    ~SessionReport() override;
    SessionReport(const SessionReport&) = delete;
    SessionReport& operator=(const SessionReport&) = delete;

    // A line for the system log, shown on standard error too.
    void say(const std::string& message);

    std::vector<session::Trip> trips;

protected:
    void onTrip(const session::Trip& t) override;
    void onDeviceLost(bool reconnecting) override;
    void onConnected(bool automatic) override;
    void onOutputChanged(bool on) override;

    Session& s_;
};

} // namespace ctl
