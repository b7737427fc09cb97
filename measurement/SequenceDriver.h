#pragma once

#include "sequence/Runner.h"

#include <QObject>

#include <functional>
#include <memory>
#include <string>

class QTimer;

namespace session {
class MeasurementSession;
}
namespace sequence {
class SessionRunner;
}

// The panel's one sequence runner, on the measurement session, with the precise timer that
// calls it at its next point (the 500 ms poll is far too coarse for that). The sequence page
// and a remote client start and stop runs on this same runner, so two runs never meet; the
// timer is aimed again whenever the runner changes, whoever changed it. A run still going when
// the driver goes is ended as by a closed window, with the output off.
class SequenceDriver : public QObject {
    Q_OBJECT
public:
    SequenceDriver(session::MeasurementSession& session,
                   std::function<void(const std::string&)> log, QObject* parent = nullptr);
    ~SequenceDriver() override;

    sequence::Runner& runner();

signals:
    // The run started, moved on, paused, resumed or ended.
    void changed();

private:
    void service();
    void aim();

    std::unique_ptr<sequence::SessionRunner> run_;
    QTimer* timer_ = nullptr;
};
