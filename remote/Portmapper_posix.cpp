// The portmapper through libtirpc: pmap_getport to see whether VXI-11 is registered already
// (its answer is a port number; the string answer of rpcb_getaddr is never released by the
// library when the program is unknown), rpcb_set and rpcb_unset for the registration over the
// local transport.
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
    sockaddr_in local{};
    local.sin_family = AF_INET;
    local.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (pmap_getport(&local, CoreProgram, CoreVersion, IPPROTO_TCP) != 0)
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
