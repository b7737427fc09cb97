#pragma once

#include "remote/LoopSource.h"
#include "remote/qt/SocketWatchers.h"

#include <QObject>

#include <functional>

class QTimer;

// A remote::LoopSource served by the Qt event loop: its handles watched by socket notifiers,
// its time-outs by a timer, so that it takes its turns on the interface thread between the
// poll's ticks. After every turn the watched handles follow what the source wants.
// A source that shares its turns with another (the announcer beside the instrument server)
// is given `turn` instead, which takes the shared guard, serves it and calls follow().
class LoopDriver : public QObject {
    Q_OBJECT
public:
    LoopDriver(remote::LoopSource& source, QObject* parent, std::function<void()> turn = {});
    ~LoopDriver() override;

    // Watches what the source wants now (after a start or a stop outside a turn).
    void follow();

signals:
    // After every turn.
    void served();

private:
    void serve();

    remote::LoopSource& source_;
    std::function<void()> turn_;
    SocketWatchers watchers_;
    QTimer* due_ = nullptr;
    bool inside_ = false;
};
