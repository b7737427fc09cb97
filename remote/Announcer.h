#pragma once

#include "remote/Address.h"
#include "remote/LoopSource.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

// The instrument made known on the local network by DNS-SD over mDNS, through the system's
// own responder (the Avahi daemon, spoken to by its client library): the raw socket as
// _scpi-raw._tcp, VXI-11 as _vxi-11._tcp, the HTTP server as _lxi._tcp and _http._tcp, each
// with the identification an instrument of the network carries in its TXT record. Served by
// the instrument server's loop as one of its other sources (LoopSource), never on a thread of
// its own. Offered on Linux only; where it is not offered makeAnnouncer gives nothing.
namespace remote {

struct Announcement {
    // Where the instrument server listens: a loopback address is announced on the loopback
    // interface only, a single address on the interface holding it, any address everywhere.
    std::uint32_t listenIpv4 = LoopbackAddress;
    std::uint16_t rawPort = 0;
    std::optional<std::uint16_t> vxi11Port;
    std::optional<std::uint16_t> httpPort;
    std::string model;
    std::string serial;
    std::string firmware;

    // The instance name asked for ("Quorel MODEL SERIAL"), at most one DNS label long.
    std::string instanceName() const;
    // "txtvers=1", "Manufacturer=Quorel", "Model=...", "SerialNumber=...", "FirmwareVersion=...".
    std::vector<std::string> txtRecord() const;
    bool operator==(const Announcement&) const = default;
};

class Announcer : public LoopSource {
public:
    using LogFunction = std::function<void(const std::string&)>;

    // Announces, or announces again with what changed; the name taken on the network (after a
    // collision, the one Avahi proposed instead) is logged once the announcement stands. With
    // no Avahi daemon that is said once, and nothing else happens.
    virtual void announce(const Announcement& what) = 0;
    // Takes every announcement back (logged when there was one).
    virtual void withdraw() = 0;
    virtual bool announcing() const = 0;
    // The instance name on the network now (empty until the announcement stands).
    virtual std::string announcedName() const = 0;
};

// The announcer of this platform, or nothing where announcing is not offered.
std::unique_ptr<Announcer> makeAnnouncer(Announcer::LogFunction log);

} // namespace remote
