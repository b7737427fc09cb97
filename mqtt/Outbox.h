#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <string>

// The messages waiting for the broker. A slow or absent broker must not make them pile up
// without end, and must not cost what matters: a state message (droppable) replaces an
// unsent one of the same topic, and when the box is full the oldest state message goes;
// events, acknowledgements and configurations are never dropped.
namespace mqtt {

struct Message {
    std::string topic;
    std::string payload;
    int qos = 0;
    bool retain = false;
    bool droppable = false; // a state that a later one makes worthless
};

class Outbox {
public:
    explicit Outbox(std::size_t capacity) : capacity_(capacity) {}

    void push(Message m);
    bool empty() const { return queue_.empty(); }
    std::size_t size() const { return queue_.size(); }
    Message& front() { return queue_.front(); }
    void pop() { queue_.pop_front(); }
    // State messages dropped or replaced unsent so far.
    std::uint64_t dropped() const { return dropped_; }

private:
    std::size_t capacity_;
    std::deque<Message> queue_;
    std::uint64_t dropped_ = 0;
};

} // namespace mqtt
