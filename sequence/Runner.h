#pragma once

#include "sequence/Plan.h"
#include "sequence/Supply.h"
#include "session/SessionObserver.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace sequence {

enum class RunState { Idle, Running, Paused };

// How a run ended. The end of the last step leaves the output as RunOptions::keepOutputAtEnd
// says; every other end switches it off when the link still allows (a trip has switched it off
// already).
enum class EndReason {
    Completed,    // the last step of the last round has run its time
    CurrentBelow, // a stop condition was met
    VoltageAbove,
    Elapsed,
    Charge,
    Aborted,      // by the operator, a signal, or a remote client
    WindowClosed, // the window that ran it went away
    DeviceLost,   // the link is gone: nothing more can be sent
    DeviceFailed, // a set command failed
    Tripped,      // a protection switched the output off
    // The power source changed and its capacity refuses a point still to come.
    SourceRefused,
};
// The run went as planned: to its end or to a stop condition.
bool endedByPlan(EndReason reason);

struct RunTotals {
    double elapsedSeconds = 0.0; // pauses included
    double chargeAh = 0.0;
    double energyWh = 0.0;
};

struct RunEnd {
    EndReason reason = EndReason::Completed;
    RunTotals totals;
    // The end's switch-off was confirmed by the device.
    bool outputSwitchedOff = false;
    // What the failed command got (DeviceFailed, or DeviceLost found by a command); Ok else.
    DeviceResult deviceResult = DeviceResult::Ok;
    // The device's answer to the end's switch-off; Ok when it was confirmed or none was sent.
    // The session keeps sending one that failed at its polls.
    DeviceResult switchOff = DeviceResult::Ok;
};

struct RunOptions {
    // The first step's set-points go out first, then the output is switched on.
    bool outputOnAtStart = false;
    // The end of the last step leaves the output on; a stop condition, an abort, a closed
    // window or a failure switches it off all the same.
    bool keepOutputAtEnd = false;
    // The line logged at the start instead of the sequence's own.
    std::string startMessage;
    // A last line for the system log, written after the end's own.
    std::function<std::string(const RunEnd&)> summary;
};

struct Progress {
    int step = 0;            // 1-based; 0 while idle
    std::uint64_t round = 0; // 1-based
    std::int64_t stepLeftMs = 0;
    std::int64_t elapsedMs = 0;            // since the start, pauses included
    std::optional<std::int64_t> runLeftMs; // nothing for an endless run
};

// Runs one sequence at a time on the supply. It keeps no timer of its own: its owner calls
// service() at nextServiceMs() (the panel aims a precise timer there, quorelctl waits for it
// in its loop) and hands it the session's events, as an observer of the session. Points are
// placed on the monotonic clock from the start, so a late call never shifts what follows;
// a call that comes after several points were due sets the latest of them only.
class Runner : public session::SessionObserver {
public:
    using Clock = std::function<std::int64_t()>;
    using Log = std::function<void(const std::string&)>;
    using ChangeHandler = std::function<void()>;

    // A set command's first byte leaves one pacing pause after the call; points are taken
    // that much early so that it reaches the device on time.
    static constexpr std::int64_t LeadMs = SupplyDevice::PauseMs;

    Runner(Supply& supply, Log log, Clock clock = {});
    ~Runner() override;
    Runner(const Runner&) = delete;
    Runner& operator=(const Runner&) = delete;

    // The checks of start() without starting: the plan, or the first refusal. Sends nothing.
    Refusal check(const Sequence& sequence, const RunOptions& options, Plan& plan) const;
    // Checks, then sets the first point (and switches the output on when asked). On a
    // refusal nothing is sent and nothing is logged: the caller tells it (refusalText).
    Refusal start(const Sequence& sequence, RunOptions options = {});
    // Sets whatever point is due now and ends the run when its time is up.
    void service();
    // When service() is next wanted, on the runner's clock; nothing while idle.
    std::optional<std::int64_t> nextServiceMs() const;

    // Pause holds the schedule: nothing is sent until resume(), which goes on where it
    // stopped. The stop conditions keep watching meanwhile.
    bool pause();
    bool resume();
    // Ends a run (nothing while idle). The output is switched off unless `switchOff` is false,
    // for a client whose own abort leaves the set-points and the output as they are.
    void abort(EndReason why = EndReason::Aborted, bool switchOff = true);

    RunState state() const { return state_; }
    bool running() const { return state_ != RunState::Idle; }
    Progress progress() const;
    // The running step, 1-based; 0 while idle.
    int runningStep() const { return running() ? progress().step : 0; }
    const Plan& plan() const { return plan_; }
    // When the run started, on the runner's clock: every point is timed from here.
    std::int64_t startedAtMs() const { return startMs_; }
    // Index of the step whose point was set last.
    std::size_t currentStep() const { return key_.step; }
    const std::optional<RunEnd>& lastEnd() const { return lastEnd_; }
    // Called whenever the state or the next service time may have changed (a start, a pause, a
    // resume, a point set, the end), whoever caused it, so that a timer can be aimed again and
    // a display brought up to date.
    void setChangeHandler(ChangeHandler handler) { changeHandler_ = std::move(handler); }

    // --- the session's events ---
    void onReading(const session::Reading& reading) override;
    void onDeviceLost(bool reconnecting) override;
    void onDisconnected() override;
    void onTrip(const session::Trip& trip) override;
    // The rest of the run is checked against the new source at once: a point still to come
    // (the running step's included) that it refuses ends the run with the output off.
    void onSourceChanged(PowerSource source) override;

private:
    struct Key {
        std::uint64_t round = 0;
        std::size_t step = 0;
        int point = 0;
        bool operator==(const Key&) const = default;
    };
    std::int64_t now() const { return clock_(); }
    std::int64_t scheduleMs(std::int64_t at) const;
    bool overElapsed(std::int64_t at);
    Key keyAt(std::int64_t offset) const;
    std::int64_t keyMs(const Key& k) const;
    std::optional<Key> nextKey(const Key& k) const;
    bool send(const Units& u);
    void failed(DeviceResult result);
    bool fitsSource(PowerSource source);
    void countCounters();
    void end(EndReason reason, DeviceResult result = DeviceResult::Ok, bool switchOff = true);
    void changed() const;

    Supply& supply_;
    Log log_;
    Clock clock_;
    ChangeHandler changeHandler_;

    RunState state_ = RunState::Idle;
    Plan plan_;
    RunOptions options_;
    std::int64_t startMs_ = 0;
    std::int64_t pausedMs_ = 0; // total of the finished pauses
    std::int64_t pauseStartMs_ = 0;
    Key key_;
    bool keySet_ = false;
    bool outputOnFailed_ = false; // the run ends because its output would not switch on
    std::optional<Units> lastSent_;
    std::optional<std::int64_t> belowSinceMs_;
    double lastCharge_ = 0.0;
    double lastEnergy_ = 0.0;
    RunTotals totals_;
    std::optional<RunEnd> lastEnd_;
};

} // namespace sequence
