#include "session/MeasurementSession.h"

#include "config/Settings.h"
#include "session/SetpointRules.h"

#include <algorithm>

namespace session {

MeasurementSession::MeasurementSession(const Settings& settings) : settings_(settings) {}

MeasurementSession::~MeasurementSession() {
    if (connected_)
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

DeviceResult MeasurementSession::connectSequence(const std::string& portName) {
    DeviceResult r = SupplyDevice::connect(portName);
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
    connected_ = false;
    SupplyDevice::disconnect();
    counters_.gap();
    protections_.gap();
    notify([](SessionObserver& o) { o.onDisconnected(); });
}

void MeasurementSession::lose() {
    // The flag falls before anyone is told: ticks that run while an observer shows a box
    // take the disconnected road and tell nobody twice.
    connected_ = false;
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
    return pollDevice();
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

    const Reading reading = makeReading(st, monotonicMs(), platform::now());
    counters_.add(reading);
    const std::vector<Trip> trips = protections_.check(reading);
    if (!trips.empty()) {
        // Off at once; the next poll shows whether the device followed.
        SupplyDevice::outputOff();
        counters_.outputSwitched(false, monotonicMs());
        status_.outputOn = 0;
        lastOutputOn_ = 0;
        for (const Trip& t : trips)
            notify([&t](SessionObserver& o) { o.onTrip(t); });
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
    const DeviceResult r = on ? SupplyDevice::outputOn() : SupplyDevice::outputOff();
    if (r == DeviceResult::Ok)
        counters_.outputSwitched(on, monotonicMs());
    if (sent)
        *sent = r;
    status_.outputOn = on ? 1 : 0;
    lastOutputOn_ = status_.outputOn;
    return r == DeviceResult::NotConnected ? OutputRequest::NotConnected : OutputRequest::Sent;
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
