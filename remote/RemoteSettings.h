#pragma once

#include "remote/Server.h"

#include <string>
#include <vector>

class CIni;

// The remote control as Quorel.ini keeps it for the panel, in section [REMOTE]: Enabled=1
// starts the server with the panel, Listen=ADDR:PORT is where (loopback unless another
// address is written), Allow= the networks let in (empty: every client), Vxi11=1 VXI-11 too,
// Announce=1 DNS-SD on loopback too. A value that cannot be used gets its default and is named, so
// that the caller can log it.
namespace remote {

struct RemoteSettings {
    static constexpr const char* Section = "REMOTE";

    bool enabled = false;
    SocketAddress listen{LoopbackAddress, DefaultPort};
    bool vxi11 = false; // Vxi11=1: VXI-11 beside the raw socket, on a port the system picks
    // Announce=1: announced on the network even on a loopback address (an address other
    // hosts reach is announced anyway).
    bool announce = false;
    std::vector<Network> allow;

    // Reads the section; `badKeys` gets the key of every value that was replaced.
    static RemoteSettings load(const CIni& ini, std::vector<std::string>& badKeys);
    bool save(const CIni& ini) const;

    ServerOptions options() const;
    std::string listenText() const { return formatEndpoint(listen); }
    // "192.168.1.0/24,10.0.0.7": a single address without its "/32".
    std::string allowText() const;
};

} // namespace remote
