#include "remote/ListenPolicy.h"

namespace remote {

ListenCheck checkListen(const SocketAddress& listen, const std::vector<Network>& allow) {
    if (isLoopback(listen.ipv4) || !allow.empty())
        return ListenCheck::Ok;
    return ListenCheck::NeedsAllowList;
}

} // namespace remote
