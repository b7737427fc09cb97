#pragma once

#include "platform/Socket.h"
#include "session/SessionObserver.h"

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace remote {
class RemoteControl;
}

// What the benchmarks of the servers share: the serving loop on a thread of its own, as
// quorelctl serve runs it, the times of the session's polls, and a client socket of the
// benchmark's thread that waits as a script's does.
namespace bench {

// The monotonic times (us) of the session's polls, taken as its observer: where it is added
// among the observers decides which of them have seen a poll when its time is taken.
class PollTimes : public session::SessionObserver {
public:
    std::vector<std::int64_t> all() const;
    std::vector<std::int64_t> between(std::int64_t fromUs, std::int64_t toUs) const;

private:
    void onReading(const session::Reading&) override;

    mutable std::mutex mutex_;
    std::vector<std::int64_t> times_;
};

// RemoteControl::run on a thread of its own, the only one that touches the session and the
// device, until stop() or the end of the object.
class ServingThread {
public:
    explicit ServingThread(remote::RemoteControl& control);
    ~ServingThread();
    ServingThread(const ServingThread&) = delete;
    ServingThread& operator=(const ServingThread&) = delete;
    void stop();
    // CPU time of the serving thread in microseconds.
    std::int64_t cpuUs();

private:
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

// Sends all of `bytes`, waiting while the socket takes no more.
void sendAll(platform::SocketHandle socket, std::string bytes);
// Appends what has arrived, waiting up to a second for it when nothing has; false once the
// connection has ended.
bool receiveWaiting(platform::SocketHandle socket, std::string& into);
// Waits up to `ms` for the socket to be readable (or writable).
void waitFor(platform::SocketHandle socket, bool read, int ms = 1000);

} // namespace bench
