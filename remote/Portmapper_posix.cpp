// The portmapper through libtirpc: rpcb_getaddr to see whether VXI-11 is registered already,
// rpcb_set and rpcb_unset for the registration over the local transport.
#include "remote/Portmapper.h"

#include <rpc/rpc.h>

#include <arpa/inet.h>
#include <netinet/in.h>

namespace remote {

namespace {

constexpr rpcprog_t CoreProgram = 0x0607AF;
constexpr rpcvers_t CoreVersion = 1;

// The "tcp" transport of /etc/netconfig, released when done.
class TcpConfig {
public:
    TcpConfig() : config_(getnetconfigent("tcp")) {}
    ~TcpConfig() {
        if (config_)
            freenetconfigent(config_);
    }
    TcpConfig(const TcpConfig&) = delete;
    TcpConfig& operator=(const TcpConfig&) = delete;
    netconfig* get() const { return config_; }

private:
    netconfig* config_;
};

} // namespace

PortmapResult registerVxi11(std::uint16_t port) {
    TcpConfig tcp;
    if (!tcp.get())
        return PortmapResult::Failed;
    sockaddr_in found{};
    netbuf lookup{sizeof found, sizeof found, &found};
    if (rpcb_getaddr(CoreProgram, CoreVersion, tcp.get(), &lookup, "localhost"))
        return PortmapResult::TakenByOther;
    if (rpc_createerr.cf_stat != RPC_PROGNOTREGISTERED)
        return PortmapResult::NoPortmapper;
    // Registered for every address the host has; the port is what clients ask for.
    sockaddr_in at{};
    at.sin_family = AF_INET;
    at.sin_addr.s_addr = htonl(INADDR_ANY);
    at.sin_port = htons(port);
    netbuf address{sizeof at, sizeof at, &at};
    return rpcb_set(CoreProgram, CoreVersion, tcp.get(), &address) ? PortmapResult::Registered
                                                                   : PortmapResult::Failed;
}

void unregisterVxi11() {
    TcpConfig tcp;
    if (tcp.get())
        rpcb_unset(CoreProgram, CoreVersion, tcp.get());
}

} // namespace remote
