#include "support/Fifo.h"

#include <chrono>
#include <fcntl.h>
#include <stdexcept>
#include <sys/stat.h>
#include <unistd.h>

Fifo::Fifo(std::string path) : path_(std::move(path)) {
    if (::mkfifo(path_.c_str(), 0600) != 0)
        throw std::runtime_error("mkfifo failed: " + path_);
    releaser_ = std::thread([this] {
        std::unique_lock<std::mutex> lock(mutex_);
        if (stop_.wait_for(lock, std::chrono::seconds(5), [this] { return stopping_; }))
            return;
        // Succeeds only while a reader has the FIFO open, which is what lets it go on.
        const int fd = ::open(path_.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
        if (fd >= 0) {
            released_ = true;
            ::close(fd);
        }
    });
}

Fifo::~Fifo() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stopping_ = true;
    }
    stop_.notify_all();
    releaser_.join();
}

bool Fifo::released() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return released_;
}
