#pragma once

#include <cstdint>

// The system's portmapper (rpcbind), where clients ask on port 111 which TCP port VXI-11
// listens on. Only a registration made here is ever removed: one another program made
// stays, and the look-ups keep reaching that program.
namespace remote {

enum class PortmapResult {
    Registered,
    NoPortmapper, // none answers: clients cannot find the port by asking
    TakenByOther, // another program has registered VXI-11 already
    Failed,       // the portmapper refused the registration
};

// Registers the VXI-11 core program, version 1, on TCP `port`.
PortmapResult registerVxi11(std::uint16_t port);
// Removes the registration registerVxi11 made.
void unregisterVxi11();

} // namespace remote
