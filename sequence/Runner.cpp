#include "sequence/Runner.h"

#include "platform/Clock.h"
#include "resources/Texts.h"
#include "sequence/SequenceMessages.h"
#include "session/SessionMessages.h"

#include <algorithm>
#include <cmath>

namespace sequence {

bool endedByPlan(EndReason reason) {
    switch (reason) {
    case EndReason::Completed:
    case EndReason::CurrentBelow:
    case EndReason::VoltageAbove:
    case EndReason::Elapsed:
    case EndReason::Charge:
        return true;
    default:
        return false;
    }
}

Runner::Runner(Supply& supply, Log log, Clock clock)
    : supply_(supply), log_(std::move(log)),
      clock_(clock ? std::move(clock) : Clock([] { return platform::monotonicMs(); })) {}

Runner::~Runner() {
    if (running())
        end(EndReason::Aborted);
}

Refusal Runner::check(const Sequence& sequence, const RunOptions& options, Plan& plan) const {
    Refusal r;
    if (running()) {
        r.kind = RefusalKind::Running;
        return r;
    }
    if (!supply_.connected()) {
        r.kind = RefusalKind::NotConnected;
        return r;
    }
    if (options.outputOnAtStart && supply_.outputLocked()) {
        r.kind = RefusalKind::Tripped;
        return r;
    }
    return Plan::make(sequence, supply_.source(), unitsOf(supply_.heldVolts(), supply_.heldAmps()),
                      plan);
}

Refusal Runner::start(const Sequence& sequence, RunOptions options) {
    Plan plan;
    if (Refusal r = check(sequence, options, plan))
        return r;
    plan_ = std::move(plan);
    options_ = std::move(options);
    state_ = RunState::Running;
    startMs_ = now();
    pausedMs_ = 0;
    keySet_ = false;
    lastSent_.reset();
    belowSinceMs_.reset();
    lastCharge_ = supply_.chargeAh();
    lastEnergy_ = supply_.energyWh();
    totals_ = {};
    if (!options_.startMessage.empty()) {
        log_(options_.startMessage);
    } else {
        const std::string repeat = plan_.repeat() == Endless ? std::string(texts::SequenceEndless)
                                                             : std::to_string(plan_.repeat());
        log_(plan_.steps().size() == 1
                 ? printed(texts::SequenceStartedOneStep, repeat.c_str())
                 : printed(texts::SequenceStarted, plan_.steps().size(), repeat.c_str()));
    }
    service();
    if (state_ == RunState::Running && options_.outputOnAtStart) {
        const DeviceResult r = supply_.switchOutput(true);
        if (r != DeviceResult::Ok) {
            outputOnFailed_ = true;
            failed(r);
            return {};
        }
        log_(texts::SequenceOutputOn.str());
    }
    changed();
    return {};
}

std::int64_t Runner::scheduleMs(std::int64_t at) const {
    const std::int64_t frozenAt = state_ == RunState::Paused ? pauseStartMs_ : at;
    return frozenAt - startMs_ - pausedMs_;
}

Runner::Key Runner::keyAt(std::int64_t offset) const {
    Key k;
    const std::int64_t roundMs = plan_.roundMs();
    k.round = static_cast<std::uint64_t>(offset / roundMs);
    const std::int64_t inRound = offset % roundMs;
    k.step = plan_.stepAt(inRound);
    const PlannedStep& s = plan_.steps()[k.step];
    const int n = plan_.points(k.step);
    if (n > 1) {
        // The last point whose time has come; pointMs rounds down, so look either side.
        int p = static_cast<int>(
            std::clamp<std::int64_t>((inRound - s.startMs) * n / s.durationMs, 0, n - 1));
        while (p + 1 < n && plan_.pointMs(k.step, p + 1) <= inRound)
            ++p;
        while (p > 0 && plan_.pointMs(k.step, p) > inRound)
            --p;
        k.point = p;
    }
    return k;
}

std::int64_t Runner::keyMs(const Key& k) const {
    return static_cast<std::int64_t>(k.round) * plan_.roundMs() + plan_.pointMs(k.step, k.point);
}

std::optional<Runner::Key> Runner::nextKey(const Key& k) const {
    Key n = k;
    if (k.point + 1 < plan_.points(k.step)) {
        ++n.point;
        return n;
    }
    n.point = 0;
    if (k.step + 1 < plan_.steps().size()) {
        ++n.step;
        return n;
    }
    n.step = 0;
    ++n.round;
    if (plan_.repeat() != Endless && n.round >= plan_.repeat())
        return std::nullopt;
    return n;
}

bool Runner::send(const Units& u) {
    if (lastSent_ && *lastSent_ == u)
        return true;
    const DeviceResult r = supply_.sendSetpoints(voltsOf(u), ampsOf(u));
    if (r != DeviceResult::Ok) {
        failed(r);
        return false;
    }
    lastSent_ = u;
    return true;
}

void Runner::failed(DeviceResult result) {
    end(result == DeviceResult::NotConnected ? EndReason::DeviceLost : EndReason::DeviceFailed,
        result);
}

bool Runner::overElapsed(std::int64_t at) {
    const auto& limit = plan_.stops().elapsedSeconds;
    if (!limit || static_cast<double>(at - startMs_) < *limit * 1000.0)
        return false;
    end(EndReason::Elapsed);
    return true;
}

void Runner::service() {
    if (!running())
        return;
    const std::int64_t at = now();
    if (overElapsed(at) || state_ != RunState::Running)
        return;
    const std::int64_t offset = scheduleMs(at) + LeadMs;
    if (const auto total = plan_.totalMs(); total && offset >= *total) {
        // A ramp that ends the run reaches its target; the set-points then stay.
        const std::size_t last = plan_.steps().size() - 1;
        if (plan_.steps()[last].ramp == Ramp::Linear && !send(plan_.steps()[last].to))
            return;
        end(EndReason::Completed);
        return;
    }
    const Key k = keyAt(std::max<std::int64_t>(offset, 0));
    if (keySet_ && k == key_)
        return;
    // A source the session saw change without telling the observers yet (a measurement
    // between polls) is checked before its point goes out.
    if (!fitsSource(supply_.source()))
        return;
    key_ = k;
    keySet_ = true;
    if (send(plan_.point(k.step, k.round > 0, k.point)))
        changed();
}

void Runner::changed() const {
    if (changeHandler_)
        changeHandler_();
}

std::optional<std::int64_t> Runner::nextServiceMs() const {
    if (!running())
        return std::nullopt;
    std::optional<std::int64_t> next;
    if (const auto& limit = plan_.stops().elapsedSeconds)
        next = startMs_ + static_cast<std::int64_t>(std::ceil(*limit * 1000.0));
    if (state_ == RunState::Running) {
        std::int64_t due;
        if (!keySet_) {
            due = 0;
        } else if (const auto n = nextKey(key_)) {
            due = keyMs(*n);
        } else {
            due = *plan_.totalMs();
        }
        const std::int64_t when = startMs_ + pausedMs_ + due - LeadMs;
        next = next ? std::min(*next, when) : when;
    }
    return next;
}

bool Runner::pause() {
    if (state_ != RunState::Running)
        return false;
    pauseStartMs_ = now();
    state_ = RunState::Paused;
    log_(texts::SequencePaused.str());
    changed();
    return true;
}

bool Runner::resume() {
    if (state_ != RunState::Paused)
        return false;
    pausedMs_ += now() - pauseStartMs_;
    state_ = RunState::Running;
    log_(texts::SequenceResumed.str());
    service();
    changed();
    return true;
}

void Runner::abort(EndReason why, bool switchOff) {
    if (running())
        end(why, DeviceResult::Ok, switchOff);
}

Progress Runner::progress() const {
    Progress p;
    if (!running() || !keySet_)
        return p;
    const std::int64_t at = now();
    const std::int64_t offset = std::max<std::int64_t>(scheduleMs(at), 0);
    const PlannedStep& s = plan_.steps()[key_.step];
    p.step = static_cast<int>(key_.step) + 1;
    p.round = key_.round + 1;
    const std::int64_t stepEnd =
        static_cast<std::int64_t>(key_.round) * plan_.roundMs() + s.startMs + s.durationMs;
    p.stepLeftMs = std::max<std::int64_t>(0, stepEnd - offset);
    p.elapsedMs = at - startMs_;
    if (const auto total = plan_.totalMs())
        p.runLeftMs = std::max<std::int64_t>(0, *total - offset);
    return p;
}

void Runner::countCounters() {
    // The operator may reset the counters meanwhile: what was counted before stays counted.
    const double charge = supply_.chargeAh();
    const double energy = supply_.energyWh();
    if (charge >= lastCharge_)
        totals_.chargeAh += charge - lastCharge_;
    if (energy >= lastEnergy_)
        totals_.energyWh += energy - lastEnergy_;
    lastCharge_ = charge;
    lastEnergy_ = energy;
}

void Runner::onReading(const session::Reading& reading) {
    if (!running())
        return;
    countCounters();
    const std::int64_t at = now();
    if (overElapsed(at))
        return;
    const StopConditions& stops = plan_.stops();
    if (stops.voltageAbove && reading.volts > *stops.voltageAbove) {
        end(EndReason::VoltageAbove);
        return;
    }
    if (stops.chargeAboveAh && totals_.chargeAh >= *stops.chargeAboveAh) {
        end(EndReason::Charge);
        return;
    }
    if (stops.currentBelow) {
        if (reading.outputOn && reading.amps < stops.currentBelow->amps) {
            if (!belowSinceMs_)
                belowSinceMs_ = at;
            if (static_cast<double>(at - *belowSinceMs_) >= stops.currentBelow->seconds * 1000.0) {
                end(EndReason::CurrentBelow);
                return;
            }
        } else {
            belowSinceMs_.reset();
        }
    }
}

void Runner::onDeviceLost(bool) {
    abort(EndReason::DeviceLost);
}

void Runner::onDisconnected() {
    abort(EndReason::DeviceLost);
}

void Runner::onTrip(const session::Trip&) {
    abort(EndReason::Tripped);
}

void Runner::onSourceChanged(PowerSource source) {
    if (running())
        fitsSource(source);
}

bool Runner::fitsSource(PowerSource source) {
    if (source == plan_.source())
        return true;
    const Key from = keySet_ ? key_ : Key{};
    const Refusal refused = plan_.changeSource(source, from.round, from.step, from.point);
    if (!refused)
        return true;
    log_(refusalText(refused));
    end(EndReason::SourceRefused);
    return false;
}

void Runner::end(EndReason reason, DeviceResult result, bool switchOff) {
    if (!running())
        return;
    countCounters();
    state_ = RunState::Idle;
    RunEnd e;
    e.reason = reason;
    e.deviceResult = result;
    totals_.elapsedSeconds = (now() - startMs_) / 1000.0;
    e.totals = totals_;
    // An output that would not switch on is told as that, not as set-points unsent.
    log_(outputOnFailed_ ? texts::SequenceOutputOnFailed.str() : endText(reason, plan_.stops()));
    outputOnFailed_ = false;
    const bool keep = reason == EndReason::Completed && options_.keepOutputAtEnd;
    const bool linkGone = reason == EndReason::DeviceLost || !supply_.connected();
    if (switchOff && !keep && !linkGone && reason != EndReason::Tripped) {
        // Said as done only when the device confirmed it, and only when there was an output
        // on to switch off (as last confirmed): a run that never had it on claims nothing.
        const bool wasOn = supply_.outputOn();
        e.switchOff = supply_.switchOutput(false);
        e.outputSwitchedOff = e.switchOff == DeviceResult::Ok;
        if (!e.outputSwitchedOff)
            log_(printed(texts::SequenceOutputOffFailed, session::resultText(e.switchOff)));
        else if (wasOn)
            log_(texts::SequenceOutputOff.str());
    }
    if (options_.summary)
        log_(options_.summary(e));
    lastEnd_ = e;
    changed();
}

} // namespace sequence
