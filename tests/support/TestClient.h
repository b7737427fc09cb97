#pragma once

#include "platform/Clock.h"
#include "platform/Socket.h"

#include <gtest/gtest.h>

#include <string>

// A client of the instrument server for the tests: a non-blocking socket of the test's
// thread that queues what it sends and collects what it receives, never waiting itself.
class TestClient {
public:
    explicit TestClient(const platform::SocketAddress& server) {
        EXPECT_EQ(platform::connectTcp(server, socket_), platform::SocketResult::Ok);
    }
    ~TestClient() { close(); }

    void close() {
        platform::closeSocket(socket_);
        socket_ = platform::NoSocket;
    }
    // Queues bytes; sends what the socket takes at each poll().
    void send(const std::string& bytes) { pending_ += bytes; }
    // Sends what the socket takes now, and reads nothing.
    void push() {
        while (!pending_.empty()) {
            std::size_t sent = 0;
            if (platform::sendSome(socket_, pending_.data(), pending_.size(), sent) !=
                platform::SocketResult::Ok)
                break;
            pending_.erase(0, sent);
        }
    }
    // Moves bytes both ways without waiting; false once the server has closed.
    bool poll() {
        push();
        char buffer[4096];
        std::size_t n = 0;
        platform::SocketResult r;
        while ((r = platform::receiveSome(socket_, buffer, sizeof buffer, n)) ==
               platform::SocketResult::Ok)
            received.append(buffer, n);
        if (r == platform::SocketResult::Closed || r == platform::SocketResult::Failed)
            closed = true;
        return !closed;
    }
    bool hasLine() const { return received.find('\n') != std::string::npos; }
    std::string takeLine() {
        std::size_t lf = received.find('\n');
        std::string line = received.substr(0, lf);
        received.erase(0, lf + 1);
        return line;
    }
    platform::SocketHandle socket() const { return socket_; }

    std::string received;
    bool closed = false;

private:
    platform::SocketHandle socket_ = platform::NoSocket;
    std::string pending_;
};

// Runs `step` (a turn of whatever serves the client) until `done` holds; false when the
// patience ran out first. Generous patience: a loaded machine must not fail a test, a hang
// still ends.
template <typename Step, typename Done>
bool pumpUntil(Step step, Done done, int patienceMs = 10000) {
    const std::int64_t end = platform::monotonicMs() + patienceMs;
    while (!done()) {
        if (platform::monotonicMs() > end)
            return false;
        step();
    }
    return true;
}
