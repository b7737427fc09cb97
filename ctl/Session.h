#pragma once

#include "config/Settings.h"
#include "ctl/CommandLine.h"
#include "device/SupplyDevice.h"
#include "logs/SystemLog.h"
#include "session/MeasurementSession.h"

#include <memory>
#include <ostream>
#include <string>

// What every quorelctl command works with: the settings beside the executable, the system
// log they name, the port to use, and the measurement session over the one device link,
// connected as the panel's connect button does it. The link is closed when it ends.
namespace ctl {

class Session {
public:
    Session(const CommandLine& line, std::ostream& out, std::ostream& err);
    ~Session();
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    std::ostream& out;
    std::ostream& err;
    const CommandLine& line;

    const Settings& settings() const { return *settings_; }
    // --port, else ComPort of the settings (which falls back to "com1").
    const std::string& port() const { return port_; }

    // A line for the system log: into its file while UseSysLogFile is on.
    void log(const std::string& message);
    // A line for the system log that the operator at the console sees too, on standard error.
    void say(const std::string& message);
    // Starts the session's CSV log; when the file cannot be opened it says so and gives the
    // exit code, else 0.
    int startMeasurementLog(const std::string& path, bool append, int intervalSeconds);
    // A log file that lines cannot go to (a folder, a FIFO, a socket) is refused before the
    // device is contacted: says so and gives the exit code, else 0.
    int checkLogPath(const std::string& path);
    // The standard output could not be written: says so and gives the exit code.
    int outputFailed();

    // Connect, set-points, status, version: the panel's connect sequence. On failure prints
    // "デバイス <port> を接続できません" with the reason and gives the exit code.
    int connect();
    // One poll as the window's timer makes it: the status with the divider correction when
    // OffsetAtt is on, the set-points read again when the source changes to the USB host.
    DeviceResult poll() { return measurement_->poll(); }
    // Prints the message (if any) with the reason and gives the exit code.
    int failed(const std::string& message, DeviceResult result);
    // The end of a command that drove the output: a switch-off the session still owes (a
    // run's end, a trip's) is tried at a poll every half second for at most OffRetryMs, which
    // no signal cuts short. Still owed then, or the device gone meanwhile, it says that the
    // output may be ON and gives OutputNotFollowed; else `code`.
    static constexpr int OffRetryMs = 5000;
    int finishSwitchOff(int code);

    session::MeasurementSession& measurement() { return *measurement_; }
    const std::string& version() const { return measurement_->version(); }
    const DeviceStatus& status() const { return measurement_->status(); }
    double voltageSetpoint() const { return measurement_->voltageSetpoint(); }
    double currentSetpoint() const { return measurement_->currentSetpoint(); }

private:
    // Says what every connect of the session meets before the connection, whichever command
    // connects: the switch-off of a run left unfinished.
    class ConnectReport : public session::SessionObserver {
    public:
        explicit ConnectReport(Session& s) : s_(s) {}
        void onUnfinishedRunSwitchedOff(const session::UnfinishedRun& run) override;

    private:
        Session& s_;
    };

    std::unique_ptr<Settings> settings_;
    std::unique_ptr<SystemLog> systemLog_;
    std::unique_ptr<session::MeasurementSession> measurement_;
    // Tells the switch-offs the session sends again at its polls, for every command.
    std::unique_ptr<session::SessionObserver> offAgainReport_;
    ConnectReport connectReport_{*this};
    std::string port_;
};

// printf with one text or number, for the system's message formats.
std::string format(const char* pattern, const std::string& text);

} // namespace ctl
