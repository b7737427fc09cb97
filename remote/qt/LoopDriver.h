#pragma once

#include "platform/Socket.h"
#include "remote/LoopSource.h"

#include <QObject>

#include <map>

class QSocketNotifier;
class QTimer;

// A remote::LoopSource served by the Qt event loop: its handles watched by socket notifiers,
// its time-outs by a timer, so that it takes its turns on the interface thread between the
// poll's ticks. After every turn the watched handles follow what the source wants.
class LoopDriver : public QObject {
    Q_OBJECT
public:
    LoopDriver(remote::LoopSource& source, QObject* parent);
    ~LoopDriver() override;

    // Watches what the source wants now (after a start or a stop outside a turn).
    void follow();

signals:
    // After every turn.
    void served();

private:
    struct Notifiers {
        QSocketNotifier* read = nullptr;
        QSocketNotifier* write = nullptr;
    };
    void serve();

    remote::LoopSource& source_;
    std::map<platform::SocketHandle, Notifiers> notifiers_;
    QTimer* due_ = nullptr;
    bool inside_ = false;
};
