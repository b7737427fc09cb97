#include "support/Serving.h"

#include "remote/RemoteControl.h"
#include "support/BenchSupport.h"

namespace bench {

std::vector<std::int64_t> PollTimes::all() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return times_;
}

std::vector<std::int64_t> PollTimes::between(std::int64_t fromUs, std::int64_t toUs) const {
    std::lock_guard<std::mutex> lock(mutex_);
    std::vector<std::int64_t> out;
    for (std::int64_t t : times_)
        if (t >= fromUs && t <= toUs)
            out.push_back(t);
    return out;
}

void PollTimes::onReading(const session::Reading&) {
    std::lock_guard<std::mutex> lock(mutex_);
    times_.push_back(nowUs());
}

ServingThread::ServingThread(remote::RemoteControl& control)
    : thread_([this, &control] { control.run([this] { return stop_.load(); }); }) {}

ServingThread::~ServingThread() {
    stop();
}

void ServingThread::stop() {
    stop_ = true;
    if (thread_.joinable())
        thread_.join();
}

std::int64_t ServingThread::cpuUs() {
    return threadCpuUs(thread_);
}

void waitFor(platform::SocketHandle socket, bool read, int ms) {
    std::vector<platform::SocketWatch> w{{socket, read, !read}};
    platform::waitForSockets(w, ms);
}

void sendAll(platform::SocketHandle socket, std::string bytes) {
    while (!bytes.empty()) {
        std::size_t sent = 0;
        if (platform::sendSome(socket, bytes.data(), bytes.size(), sent) ==
            platform::SocketResult::Ok)
            bytes.erase(0, sent);
        else
            waitFor(socket, false);
    }
}

bool receiveWaiting(platform::SocketHandle socket, std::string& into) {
    char buffer[4096];
    std::size_t n = 0;
    const platform::SocketResult r = platform::receiveSome(socket, buffer, sizeof buffer, n);
    if (r == platform::SocketResult::Ok)
        into.append(buffer, n);
    else if (r == platform::SocketResult::WouldBlock)
        waitFor(socket, true);
    else
        return false;
    return true;
}

} // namespace bench
