#include "mqtt/Outbox.h"

#include <algorithm>

namespace mqtt {

void Outbox::push(Message m) {
    if (m.droppable) {
        auto same = std::find_if(queue_.begin(), queue_.end(), [&](const Message& q) {
            return q.droppable && q.topic == m.topic;
        });
        if (same != queue_.end()) {
            queue_.erase(same);
            ++dropped_;
        }
    }
    queue_.push_back(std::move(m));
    while (queue_.size() > capacity_) {
        auto oldest = std::find_if(queue_.begin(), queue_.end(),
                                   [](const Message& q) { return q.droppable; });
        if (oldest == queue_.end())
            break;
        queue_.erase(oldest);
        ++dropped_;
    }
}

} // namespace mqtt
