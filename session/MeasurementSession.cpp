#include "session/MeasurementSession.h"

#include "config/Settings.h"
#include "platform/Paths.h"
#include "session/RunMarker.h"
#include "session/SetpointRules.h"

#include <algorithm>

namespace session {

MeasurementSession::MeasurementSession(const Settings& settings) : settings_(settings) {}

MeasurementSession::~MeasurementSession() {
    if (!connected_)
        return;
    // A run whose end was not seen to leave the output off (a trip's switch-off, a refused
    // one): one last look, so that the marker stays only while the output may be on.
    DeviceStatus last;
    if (settlePending_ && SupplyDevice::readStatus(last) == DeviceResult::Ok && !last.outputOn)
        settleRun();
    SupplyDevice::disconnect();
}

void MeasurementSession::addObserver(SessionObserver* observer) {
    if (std::find(observers_.begin(), observers_.end(), observer) == observers_.end())
        observers_.push_back(observer);
}

void MeasurementSession::removeObserver(SessionObserver* observer) {
    observers_.erase(std::remove(observers_.begin(), observers_.end(), observer), observers_.end());
}

void MeasurementSession::setMonotonicClockForTest(std::function<std::int64_t()> clock) {
    clock_ = std::move(clock);
}

std::int64_t MeasurementSession::monotonicMs() const {
    return clock_ ? clock_() : platform::monotonicMs();
}

DeviceResult MeasurementSession::readSetpointsInForce() {
    const DeviceResult r = SupplyDevice::readSetpoint(&voltageSetpoint_, &currentSetpoint_);
    if (r != DeviceResult::Ok)
        return r;
    voltageInForce_ = voltageSetpoint_;
    currentInForce_ = currentSetpoint_;
    notify([](SessionObserver& o) { o.onSetpointsChanged(SetpointOrigin::Device); });
    return r;
}

DeviceResult MeasurementSession::readCorrectedStatus(DeviceStatus& status) {
    const DeviceResult r = SupplyDevice::readStatus(status);
    if (r == DeviceResult::Ok && settings_.offsetAtt())
        status.current = status.current - status.voltage * DividerAmpsPerVolt;
    return r;
}

DeviceResult MeasurementSession::switchOffUnfinishedRun(const std::string& portName) {
    const std::string folder = platform::settingsDirectory();
    const std::optional<RunMarker> marker = RunMarker::find(folder, portName);
    UnfinishedRun run;
    if (owedPort_ && *owedPort_ == portName) {
        run.what = runWhat_;
        run.since = runSince_;
    } else if (marker) {
        run.earlierProgram = true;
        run.what = marker->what;
        run.since = marker->since;
    } else {
        return DeviceResult::Ok;
    }
    run.off = SupplyDevice::outputOff();
    if (run.off == DeviceResult::LinkError || run.off == DeviceResult::NotConnected)
        return run.off;
    // Refused by the device: said, and the marker stays for the next connect to try again.
    if (run.off == DeviceResult::Ok) {
        if (owedPort_ == portName)
            owedPort_.reset();
        RunMarker::remove(folder, portName);
    }
    notify([&run](SessionObserver& o) { o.onUnfinishedRunSwitchedOff(run); });
    return DeviceResult::Ok;
}

DeviceResult MeasurementSession::connectSequence(const std::string& portName) {
    DeviceResult r = SupplyDevice::connect(portName);
    if (r == DeviceResult::Ok)
        r = switchOffUnfinishedRun(portName);
    if (r == DeviceResult::Ok)
        r = readSetpointsInForce();
    if (r == DeviceResult::Ok)
        r = SupplyDevice::readStatus(status_);
    if (r == DeviceResult::Ok) {
        lastOutputOn_ = status_.outputOn;
        lastSource_ = status_.source;
        r = SupplyDevice::readVersion(version_);
    }
    if (r != DeviceResult::Ok)
        SupplyDevice::disconnect();
    return r;
}

DeviceResult MeasurementSession::connect(const std::string& portName) {
    reconnecting_ = false;
    port_ = portName;
    const DeviceResult r = connectSequence(portName);
    if (r != DeviceResult::Ok)
        return r;
    connected_ = true;
    counters_.reset();
    protections_.gap();
    haveReading_ = false;
    notify([](SessionObserver& o) { o.onConnected(false); });
    return r;
}

void MeasurementSession::disconnect() {
    reconnecting_ = false;
    if (!connected_)
        return;
    oweSwitchOffIfUnsettled();
    connected_ = false;
    offOwed_ = false;
    SupplyDevice::disconnect();
    counters_.gap();
    protections_.gap();
    notify([](SessionObserver& o) { o.onDisconnected(); });
}

void MeasurementSession::lose() {
    // The flag falls before anyone is told: ticks that run while an observer shows a box
    // take the disconnected road and tell nobody twice.
    oweSwitchOffIfUnsettled();
    connected_ = false;
    // Nothing more can be sent: an owed switch-off is given up with the link.
    offOwed_ = false;
    SupplyDevice::disconnect();
    counters_.gap();
    protections_.gap();
    reconnecting_ = autoReconnect_;
    lastAttemptMs_ = monotonicMs();
    const bool reconnecting = reconnecting_;
    notify([reconnecting](SessionObserver& o) { o.onDeviceLost(reconnecting); });
}

void MeasurementSession::setAutoReconnect(bool on) {
    autoReconnect_ = on;
    if (!on)
        reconnecting_ = false;
}

void MeasurementSession::tryReconnect() {
    if (reconnectSuspended_)
        return;
    // Attempts fall on the ticks nearest every two seconds; a tick a little early must not
    // put the attempt off by a whole period.
    const std::int64_t now = monotonicMs();
    if (now - lastAttemptMs_ < ReconnectPeriodMs - PollPeriodMs / 2)
        return;
    lastAttemptMs_ = now;
    // Silent while it fails; the set-points and output are read back, never sent.
    if (connectSequence(port_) != DeviceResult::Ok)
        return;
    reconnecting_ = false;
    connected_ = true;
    notify([](SessionObserver& o) { o.onConnected(true); });
}

DeviceResult MeasurementSession::poll() {
    if (!connected_) {
        if (reconnecting_)
            tryReconnect();
        return DeviceResult::NotConnected;
    }
    const DeviceResult r = pollDevice();
    if (r == DeviceResult::Ok && settlePending_ && !status_.outputOn)
        settleRun();
    return r;
}

void MeasurementSession::runBegins(const std::string& what) {
    runGoing_ = true;
    settlePending_ = false;
    runWhat_ = what;
    runSince_ = platform::now();
    // Without a marker (a folder that cannot be written) the loss of the device is still
    // covered while this program lives.
    RunMarker{port_, what, runSince_}.write(platform::settingsDirectory());
}

void MeasurementSession::runEnds(bool settled) {
    if (!runGoing_)
        return;
    runGoing_ = false;
    if (!connected_) {
        owedPort_ = port_;
        return;
    }
    settlePending_ = true;
    if (settled)
        settleRun();
}

void MeasurementSession::settleRun() {
    settlePending_ = false;
    RunMarker::remove(platform::settingsDirectory(), port_);
}

void MeasurementSession::oweSwitchOffIfUnsettled() {
    if (!settlePending_)
        return;
    settlePending_ = false;
    owedPort_ = port_;
}

DeviceResult MeasurementSession::pollDevice() {
    DeviceStatus st;
    const DeviceResult r = SupplyDevice::readStatus(st);
    if (r != DeviceResult::Ok) {
        lose();
        return r;
    }
    return absorb(st);
}

DeviceResult MeasurementSession::absorb(DeviceStatus st) {
    DeviceResult r = DeviceResult::Ok;
    if (settings_.offsetAtt())
        st.current = st.current - st.voltage * DividerAmpsPerVolt;
    status_ = st;
    notify([this](SessionObserver& o) { o.onStatus(status_); });

    if ((lastOutputOn_ != 0) != (st.outputOn != 0)) {
        const bool on = st.outputOn != 0;
        notify([on](SessionObserver& o) { o.onOutputChanged(on); });
    }
    lastOutputOn_ = st.outputOn;

    if (st.source != lastSource_) {
        notify([&st](SessionObserver& o) { o.onSourceChanged(st.source); });
        // On the USB host the device may have lowered its set-points to fit 1.5 W.
        if (st.source == PowerSource::UsbHost) {
            r = readSetpointsInForce();
            if (r != DeviceResult::Ok) {
                lose();
                return r;
            }
        }
        lastSource_ = st.source;
    }

    // One look at the calendar clock, so the whole and millisecond stamps agree.
    const std::int64_t nowMs = platform::nowMs();
    Reading reading = makeReading(st, monotonicMs(), nowMs / 1000);
    reading.timeMs = nowMs;
    counters_.add(reading);
    std::vector<Trip> trips = protections_.check(reading);
    if (!trips.empty()) {
        // Off at once; one the device does not confirm is owed and sent again at the polls.
        const DeviceResult off = switchOff();
        if (off != DeviceResult::Ok)
            againToldFailure_ = off; // the trip's line tells it
        for (Trip& t : trips) {
            t.switchOff = off;
            notify([&t](SessionObserver& o) { o.onTrip(t); });
        }
    } else if (st.outputOn && (offOwed_ || protections_.tripped())) {
        switchOffAgain(protections_.tripped());
    } else if (!st.outputOn) {
        // The poll shows it off: nothing is owed any more.
        offOwed_ = false;
        againToldFailure_.reset();
    }
    lastReading_ = reading;
    haveReading_ = true;
    notify([&reading](SessionObserver& o) { o.onReading(reading); });

    const MeasurementReading line{voltageSetpoint_, currentSetpoint_,   reading.volts,
                                  reading.amps,     st.constantCurrent, st.outputOn};
    if (measurementLog_.write(reading.time, line) == MeasurementLog::WriteResult::Failed)
        notify([](SessionObserver& o) { o.onMeasurementLogFailed(); });
    return DeviceResult::Ok;
}

void MeasurementSession::holdSetpoints(double volts, double amps, SetpointOrigin origin) {
    voltageSetpoint_ = volts;
    currentSetpoint_ = amps;
    notify([origin](SessionObserver& o) { o.onSetpointsChanged(origin); });
}

DeviceResult MeasurementSession::sendSetpoints(double volts, double amps, SetpointOrigin origin,
                                               bool voltsOnGrid, bool ampsOnGrid) {
    holdSetpoints(volts, amps, origin);
    voltageInForce_ = volts;
    currentInForce_ = amps;
    return SupplyDevice::setOutput(voltsOnGrid ? SetpointRules::wireVolts(volts) : volts,
                                   ampsOnGrid ? SetpointRules::wireAmps(amps) : amps);
}

DeviceResult MeasurementSession::sendSetpointSteps(unsigned voltSteps, unsigned ampSteps,
                                                   SetpointOrigin origin) {
    // Held as a read-back decodes them, so that a reconnection reads back the same values.
    const double volts = voltSteps * SupplyDevice::VoltsPerUnit;
    const double amps = ampSteps * SupplyDevice::AmpsPerUnit;
    holdSetpoints(volts, amps, origin);
    voltageInForce_ = volts;
    currentInForce_ = amps;
    // The middle of each step: no rounding of the device's multiplication reaches the next.
    return SupplyDevice::setOutput((voltSteps + 0.5) * SupplyDevice::VoltsPerUnit,
                                   (ampSteps + 0.5) * SupplyDevice::AmpsPerUnit);
}

DeviceResult MeasurementSession::measure(DeviceStatus& fresh) {
    if (!connected_)
        return DeviceResult::NotConnected;
    const DeviceResult r = readCorrectedStatus(fresh);
    if (r == DeviceResult::Ok)
        status_ = fresh;
    return r;
}

void MeasurementSession::notifyProtectionsChanged() {
    notify([](SessionObserver& o) { o.onProtectionsChanged(); });
}

OutputRequest MeasurementSession::requestOutput(bool on, DeviceResult* sent) {
    if (on && protections_.tripped())
        return OutputRequest::Refused;
    DeviceResult r = DeviceResult::Ok;
    if (on) {
        r = SupplyDevice::outputOn();
        if (r == DeviceResult::Ok) {
            // The switch-on is the latest wish: an off owed before it is no longer wanted.
            offOwed_ = false;
            counters_.outputSwitched(true, monotonicMs());
            status_.outputOn = 1;
            lastOutputOn_ = 1;
        }
    } else {
        r = switchOff();
        if (r != DeviceResult::Ok)
            againToldFailure_ = r; // the caller tells it
    }
    if (sent)
        *sent = r;
    if (r == DeviceResult::NotConnected)
        return OutputRequest::NotConnected;
    return r == DeviceResult::Ok ? OutputRequest::Confirmed : OutputRequest::Failed;
}

DeviceResult MeasurementSession::switchOff() {
    const DeviceResult r = SupplyDevice::outputOff();
    offResult_ = r;
    if (r == DeviceResult::Ok) {
        offOwed_ = false;
        againToldFailure_.reset();
        counters_.outputSwitched(false, monotonicMs());
        status_.outputOn = 0;
        lastOutputOn_ = 0;
    } else if (r != DeviceResult::NotConnected) {
        offOwed_ = true;
    }
    return r;
}

void MeasurementSession::switchOffAgain(bool latched) {
    const DeviceResult r = switchOff();
    if (r != DeviceResult::Ok) {
        if (againToldFailure_ == r)
            return;
        againToldFailure_ = r;
    }
    notify([latched, r](SessionObserver& o) { o.onOutputSwitchedOffAgain(latched, r); });
}

void MeasurementSession::resetCounters() {
    counters_.reset();
}

bool MeasurementSession::startMeasurementLog(const std::string& path, bool append,
                                             int intervalSeconds) {
    return measurementLog_.open(path, append, intervalSeconds);
}

void MeasurementSession::stopMeasurementLog() {
    measurementLog_.close();
}

} // namespace session
