#pragma once

#include "platform/Socket.h"

// A wake-up another thread raises and the session's loop watches as a readable handle: the
// MQTT library's thread hands its messages over through a queue and raises it, so that the
// loop serving the session (quorelctl serve's, the panel's) takes them on its own thread.
namespace mqtt {

class Wakeup {
public:
    Wakeup();
    ~Wakeup();
    Wakeup(const Wakeup&) = delete;
    Wakeup& operator=(const Wakeup&) = delete;

    bool valid() const { return handle_ != platform::NoSocket; }
    platform::SocketHandle handle() const { return handle_; }
    // From any thread; raising it again before it is taken changes nothing.
    void raise();
    // Lowers it; true when it was raised.
    bool take();
    // Waits at most `ms` milliseconds for it to be raised (for a bounded flush at the end).
    bool wait(int ms);

private:
    platform::SocketHandle handle_ = platform::NoSocket;
};

} // namespace mqtt
