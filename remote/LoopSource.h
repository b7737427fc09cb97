#pragma once

#include "remote/Server.h"

#include <vector>

// Another server served by the same loop as the instrument server (quorelctl serve's loop,
// the panel's event loop): the sockets it wants watched and when it wants a turn without one
// being ready. Its turn serves whatever is ready; it never waits.
namespace remote {

class LoopSource {
public:
    virtual ~LoopSource() = default;
    virtual std::vector<Watch> watches() const = 0;
    // Milliseconds until it wants a turn although no socket of it is ready; -1: none due.
    virtual int dueInMs() const = 0;
    virtual void serveTurn() = 0;
};

} // namespace remote
