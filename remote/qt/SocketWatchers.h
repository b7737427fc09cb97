#pragma once

#include "platform/Socket.h"
#include "remote/LoopSource.h"

#include <functional>
#include <map>
#include <vector>

class QObject;
class QSocketNotifier;

// The Qt event loop's watch over a set of handles, following what a server wants: a read and
// a write notifier per handle, enabled as its watch asks, and gone once the handle is no
// longer watched. `ready` is called on the interface thread when a handle can be read
// (true) or written (false).
class SocketWatchers {
public:
    using Ready = std::function<void(platform::SocketHandle socket, bool readable)>;

    SocketWatchers(QObject* owner, Ready ready);
    ~SocketWatchers();
    SocketWatchers(const SocketWatchers&) = delete;
    SocketWatchers& operator=(const SocketWatchers&) = delete;

    void follow(const std::vector<remote::Watch>& watches);

private:
    struct Notifiers {
        QSocketNotifier* read = nullptr;
        QSocketNotifier* write = nullptr;
    };
    static void forget(Notifiers& n);

    QObject* owner_;
    Ready ready_;
    std::map<platform::SocketHandle, Notifiers> notifiers_;
};
