#pragma once

#include "history/HistoryStore.h"
#include "session/SessionObserver.h"

#include <cstdint>

namespace session {
class MeasurementSession;
}

namespace history {

// Keeps the session's history: every reading from the operator's connect on, with the
// set-points in force. A connect by the operator starts a fresh history; a loss, a
// disconnect and the reconnection after a loss leave a gap and the history goes on.
// Times within a run come from the monotonic clock anchored at the run's first reading,
// so readings a poll apart stay a poll apart on the time axis whatever the wall clock does.
class HistoryRecorder : public session::SessionObserver {
public:
    HistoryRecorder(session::MeasurementSession& session,
                    std::size_t capacity = HistoryStore::DefaultCapacity);
    ~HistoryRecorder() override;
    HistoryRecorder(const HistoryRecorder&) = delete;
    HistoryRecorder& operator=(const HistoryRecorder&) = delete;

    const HistoryStore& store() const { return store_; }

private:
    void onConnected(bool automatic) override;
    void onDisconnected() override;
    void onDeviceLost(bool reconnecting) override;
    void onReading(const session::Reading& reading) override;

    session::MeasurementSession& session_;
    HistoryStore store_;
    bool anchored_ = false;
    std::int64_t anchorTimeMs_ = 0;
    std::int64_t anchorMonotonicMs_ = 0;
};

} // namespace history
