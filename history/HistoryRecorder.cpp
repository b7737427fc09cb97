#include "history/HistoryRecorder.h"

#include "session/MeasurementSession.h"

namespace history {

HistoryRecorder::HistoryRecorder(session::MeasurementSession& session, std::size_t capacity)
    : session_(session), store_(capacity) {
    session_.addObserver(this);
}

HistoryRecorder::~HistoryRecorder() {
    session_.removeObserver(this);
}

void HistoryRecorder::onConnected(bool automatic) {
    if (!automatic)
        store_.clear();
    store_.gap();
    anchored_ = false;
}

void HistoryRecorder::onDisconnected() {
    store_.gap();
    anchored_ = false;
}

void HistoryRecorder::onDeviceLost(bool) {
    store_.gap();
    anchored_ = false;
}

void HistoryRecorder::onReading(const session::Reading& r) {
    if (!anchored_) {
        anchorTimeMs_ = r.time * 1000;
        // A run that starts before the last one ended (the clock was set back) goes on
        // from the end of the last, so the time axis keeps its order.
        if (!store_.empty() && anchorTimeMs_ < store_.lastTime())
            anchorTimeMs_ = store_.lastTime();
        anchorMonotonicMs_ = r.monotonicMs;
        anchored_ = true;
    }
    Entry e;
    e.timeMs = anchorTimeMs_ + (r.monotonicMs - anchorMonotonicMs_);
    e.monotonicMs = r.monotonicMs;
    e.volts = r.volts;
    e.amps = r.amps;
    e.outputOn = r.outputOn;
    e.constantCurrent = r.constantCurrent;
    e.voltageSetpoint = session_.voltageSetpoint();
    e.currentSetpoint = session_.currentSetpoint();
    store_.append(e);
}

} // namespace history
