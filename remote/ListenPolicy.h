#pragma once

#include "remote/Address.h"

#include <vector>

// The rule every listener of the remote control follows before it opens its socket (the
// instrument server, and each one added beside it): an address that other hosts can reach
// is opened only with an allow list naming whom to let in, so that no supply becomes
// switchable from the network by an oversight. "0.0.0.0/0" lets every host in, on purpose.
namespace remote {

enum class ListenCheck {
    Ok,
    NeedsAllowList, // not a loopback address, and no allow list
};

ListenCheck checkListen(const SocketAddress& listen, const std::vector<Network>& allow);

// The allow list that says "any host" knowingly, as the messages show it.
constexpr const char* AnyHost = "0.0.0.0/0";

} // namespace remote
