#pragma once

#include "device/SupplyDevice.h"
#include "logs/MeasurementLog.h"
#include "session/Counters.h"
#include "session/Protections.h"
#include "session/Reading.h"
#include "session/SessionObserver.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

class Settings;

namespace session {

// Current drawn by the 7.8 kOhm voltage divider across the output, per volt; taken off the
// measured current when OffsetAtt is on.
constexpr double DividerAmpsPerVolt = 0.0001282051282051282;
// The period of the polls that drive a session, in the panel as in quorelctl.
constexpr int PollPeriodMs = 500;

// What became of a request to switch the output.
enum class OutputRequest {
    Confirmed,    // the device answered OK: the output is as asked
    Failed,       // the device did not confirm (NG, no answer): the output stays as last known
    Refused,      // a protection is latched: nothing was sent
    NotConnected, // no link: nothing was sent
};

// The measurement session: the one open link to the supply, the sequence of polls and
// everything computed from them (counters, statistics, protections, the CSV measurement log,
// reconnection). The panel's timer, quorelctl and the remote server drive it from one
// thread; it reports what happened to its observers and never shows anything itself.
class MeasurementSession {
public:
    static constexpr int ReconnectPeriodMs = 2000;

    explicit MeasurementSession(const Settings& settings);
    ~MeasurementSession();
    MeasurementSession(const MeasurementSession&) = delete;
    MeasurementSession& operator=(const MeasurementSession&) = delete;

    void addObserver(SessionObserver* observer);
    void removeObserver(SessionObserver* observer);

    // --- the link ---
    // The connect sequence: synchronise and identify, set-points, status, version. The
    // set-points are taken as soon as they are read, even when a later step fails. A
    // connect by the operator starts the counters afresh. Right after the handshake, when a
    // run left the output to nobody (this session's, aborted by the loss of the device, or
    // an earlier program's whose marker names the port), the output is switched off first
    // and the observers are told before they hear of the connection; a switch-off that
    // cannot be sent fails the connect, so the next attempt tries again.
    DeviceResult connect(const std::string& portName);
    // Closes the link on purpose; no reconnection follows.
    void disconnect();
    bool connected() const { return connected_; }
    // Lost, and attempts to connect again are due every two seconds.
    bool reconnecting() const { return reconnecting_; }
    const std::string& portName() const { return port_; }
    const std::string& version() const { return version_; }

    // One tick: while connected, a status poll and everything derived from it; while
    // waiting to reconnect, an attempt when one is due. NotConnected when there is no link.
    DeviceResult poll();
    // What a poll makes of the status the device gave: the divider correction, the change
    // reports, the counters, the protections, the observers and the CSV line. poll() calls it
    // after the exchange; it is public so that its cost can be measured apart from the line.
    DeviceResult absorb(DeviceStatus status);

    // --- what the device holds and does ---
    const DeviceStatus& status() const { return status_; }
    const Reading& lastReading() const { return lastReading_; }
    bool haveReading() const { return haveReading_; }
    double voltageSetpoint() const { return voltageSetpoint_; }
    double currentSetpoint() const { return currentSetpoint_; }
    // The set-points the device was last given or read back from: a rejected entry's marker
    // held above never shows here.
    double voltageInForce() const { return voltageInForce_; }
    double currentInForce() const { return currentInForce_; }
    // The set-points as a front end holds them (-1 marks a rejected entry); nothing is sent.
    void holdSetpoints(double volts, double amps, SetpointOrigin origin);
    // Holds the pair and sends it (the caller has applied the rules). A value flagged as
    // brought to the grid by the rules reaches the device as the grid point it is held as;
    // any other goes as given and the device truncates it.
    DeviceResult sendSetpoints(double volts, double amps, SetpointOrigin origin,
                               bool voltsOnGrid = false, bool ampsOnGrid = false);
    // Holds whole steps of the device's grids (0.02 V, 0.001 A) and sends them so that the
    // device's truncation keeps each step: 29 steps are 0.58 V at the device, where sending
    // the double nearest 0.58 would give 28.
    DeviceResult sendSetpointSteps(unsigned voltSteps, unsigned ampSteps, SetpointOrigin origin);
    // Switches the output; switching on is refused while a protection is latched. The held
    // state (status().outputOn) follows only what the device confirmed: an OK to the command,
    // or a status poll. `sent` gets the command's result. A switch-off the device did not
    // confirm is owed: every following poll that finds the output on sends it again, until
    // the device confirms it, a switch-on is confirmed, or the link is gone.
    OutputRequest requestOutput(bool on, DeviceResult* sent = nullptr);
    // A switch-off is owed (see requestOutput; a trip whose switch-off failed owes one too).
    bool switchOffOwed() const { return offOwed_; }
    // The device's answer to the last attempt of the owed switch-off.
    DeviceResult switchOffResult() const { return offResult_; }

    // A status exchange outside the polls, corrected for the divider as a poll is. It
    // becomes status() at once; counters, protections, the CSV log and the observers wait
    // for the next poll, which also handles a device that stopped answering.
    DeviceResult measure(DeviceStatus& fresh);

    // --- computed from the polls ---
    const Counters& counters() const { return counters_; }
    void resetCounters();
    Protections& protections() { return protections_; }
    const Protections& protections() const { return protections_; }
    // Tells the observers that a front end changed the protections' settings or trips.
    void notifyProtectionsChanged();

    // --- the CSV measurement log, written by every poll when its interval has passed ---
    bool startMeasurementLog(const std::string& path, bool append, int intervalSeconds);
    void stopMeasurementLog();
    bool measurementLogRunning() const { return measurementLog_.running(); }

    // --- runs: a sequence, a charge or a step list driving the output ---
    // A run begins on this session: its marker (session/RunMarker) names the port, `what` and
    // the time, so that a program that dies during the run is found out by the next one.
    void runBegins(const std::string& what);
    // The run has ended. `settled`: its end left the output as it meant to (switched off with
    // the device's OK, or on by its plan or a client's abort), and the marker goes. Ended with
    // the link down, the switch-off is owed to the next connect to the port; otherwise the
    // first poll that finds the output off settles it (a loss before that owes it too).
    void runEnds(bool settled);
    bool runGoing() const { return runGoing_; }
    // A run ended with the link down and the output was not switched off since: the next
    // connect to the port switches it off first.
    bool switchOffOwedAtConnect() const { return owedPort_.has_value(); }

    // --- reconnection ---
    void setAutoReconnect(bool on);
    bool autoReconnect() const { return autoReconnect_; }
    // While suspended no attempt is made (another link may be using the port).
    void suspendReconnect(bool suspended) { reconnectSuspended_ = suspended; }

    // The monotonic clock of integration and reconnection; empty restores the platform's.
    void setMonotonicClockForTest(std::function<std::int64_t()> clock);

private:
    std::int64_t monotonicMs() const;
    DeviceResult connectSequence(const std::string& portName);
    DeviceResult switchOffUnfinishedRun(const std::string& portName);
    void settleRun();
    void oweSwitchOffIfUnsettled();
    DeviceResult pollDevice();
    DeviceResult readSetpointsInForce();
    DeviceResult readCorrectedStatus(DeviceStatus& status);
    void lose();
    void tryReconnect();
    DeviceResult switchOff();
    void switchOffAgain(bool latched);
    template <typename F> void notify(F&& f) {
        // A copy, so an observer may remove itself while being told.
        for (SessionObserver* o : std::vector<SessionObserver*>(observers_))
            f(*o);
    }

    const Settings& settings_;
    std::vector<SessionObserver*> observers_;
    std::function<std::int64_t()> clock_;

    std::string port_;
    std::string version_;
    bool connected_ = false;
    bool reconnecting_ = false;
    bool autoReconnect_ = false;
    bool reconnectSuspended_ = false;
    std::int64_t lastAttemptMs_ = 0;

    bool runGoing_ = false;
    bool settlePending_ = false;
    std::string runWhat_;
    std::int64_t runSince_ = 0;
    std::optional<std::string> owedPort_;

    DeviceStatus status_;
    int lastOutputOn_ = 0;
    PowerSource lastSource_ = PowerSource::UsbHost;
    double voltageSetpoint_ = 0.0;
    double currentSetpoint_ = 0.0;
    double voltageInForce_ = 0.0;
    double currentInForce_ = 0.0;
    Reading lastReading_;
    bool haveReading_ = false;

    bool offOwed_ = false;
    DeviceResult offResult_ = DeviceResult::Ok;
    // The failure of a repeated switch-off last told, so that one failing at every poll is
    // told once.
    std::optional<DeviceResult> againToldFailure_;

    Counters counters_;
    Protections protections_;
    MeasurementLog measurementLog_;
};

} // namespace session
