#pragma once

#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>

// A FIFO for a test that a reader refuses it at once. Should the reader wait for a writer
// instead, a writer comes after five seconds and lets it go on, so that the test ends (and
// fails on released()) rather than hanging.
class Fifo {
public:
    explicit Fifo(std::string path);
    ~Fifo();
    Fifo(const Fifo&) = delete;
    Fifo& operator=(const Fifo&) = delete;

    const std::string& path() const { return path_; }
    // Whether a reader waited long enough to need the writer.
    bool released() const;

private:
    std::string path_;
    mutable std::mutex mutex_;
    std::condition_variable stop_;
    bool stopping_ = false;
    bool released_ = false;
    std::thread releaser_;
};
