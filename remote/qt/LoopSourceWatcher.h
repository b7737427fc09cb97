#pragma once

#include "remote/LoopSource.h"

#include <QObject>

#include <functional>
#include <map>

class QSocketNotifier;
class QTimer;

// Another server of the instrument server's loop (LoopSource) served by the Qt event loop: its
// sockets watched by notifiers, its due time by a timer, each calling `turn`, which gives it
// its turn (serveTurn) when it may. follow() takes its sockets and time again after a turn.
class LoopSourceWatcher : public QObject {
    Q_OBJECT
public:
    LoopSourceWatcher(remote::LoopSource& source, std::function<void()> turn, QObject* parent);
    ~LoopSourceWatcher() override;
    void follow();

private:
    struct Notifiers {
        QSocketNotifier* read = nullptr;
        QSocketNotifier* write = nullptr;
    };
    remote::LoopSource& source_;
    std::function<void()> turn_;
    std::map<platform::SocketHandle, Notifiers> notifiers_;
    QTimer* due_ = nullptr;
};
