#pragma once

#include "platform/Socket.h"
#include "remote/Address.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

namespace scpi {
class Instrument;
}

// The VXI-11 ways into the instrument server: the core channel (ONC RPC program 0x0607AF
// over TCP, with the record marking of RecordMarking.h) and its abort channel, served in the
// server's own loop like the raw socket. Every link is a client of its own, with its own
// state and error queue, counted against the server's client limit. Calls that must wait
// (a read with nothing to read, a lock another link holds) are answered later, while the
// loop goes on serving everyone else. Offered on Linux only (libtirpc's XDR routines); where
// it is not offered makeVxi11Channel gives nothing.
namespace remote {

enum class ClientEvent;
enum class StartResult;
struct Watch;

// What the channel needs of the server that holds it.
class Vxi11Host {
public:
    virtual ~Vxi11Host() = default;
    virtual bool allowed(const SocketAddress& peer) const = 0;
    // A client slot for a new link; false when the server has as many clients as it takes.
    virtual bool takeClientSlot() = 0;
    virtual void releaseClientSlot() = 0;
    virtual std::size_t maxClients() const = 0;
    virtual std::size_t maxWaitingReply() const = 0;
    virtual void report(ClientEvent event, const SocketAddress& peer, bool link) = 0;
    virtual scpi::Instrument& instrument() = 0;
};

class Vxi11Channel {
public:
    // The largest device_write the server takes in one call, given to every new link.
    static constexpr std::uint32_t MaxRecvSize = 65536;
    // The VXI-11 error codes the channel answers with.
    enum Error : std::int32_t {
        NoError = 0,
        DeviceNotAccessible = 3,
        InvalidLink = 4,
        ParameterError = 5,
        ChannelNotEstablished = 6,
        NotSupported = 8,
        OutOfResources = 9,
        Locked = 11,
        NoLockHeld = 12,
        IoTimeout = 15,
        Aborted = 23,
    };

    // Flags of the calls and reasons of device_read, as the VXI-11 standard numbers them.
    static constexpr long FlagWaitLock = 0x01;
    static constexpr long FlagEnd = 0x08;
    static constexpr long FlagTermChar = 0x80;
    static constexpr long ReasonRequestCount = 0x01;
    static constexpr long ReasonTermChar = 0x02;
    static constexpr long ReasonEnd = 0x04;

    virtual ~Vxi11Channel() = default;

    // Listens for the core channel at `at` (port 0: a free one) and for the abort channel on
    // a free port of the same address.
    virtual StartResult start(const SocketAddress& at) = 0;
    // Closes every link (reported), every connection and both listeners.
    virtual void stop() = 0;
    virtual bool listening() const = 0;
    virtual SocketAddress address() const = 0;
    virtual SocketAddress abortAddress() const = 0;
    // The address of every link, oldest first.
    virtual void addClients(std::vector<SocketAddress>& out) const = 0;
    virtual std::size_t links() const = 0;

    virtual void addWatches(std::vector<Watch>& out) const = 0;
    // False when the socket is none of the channel's.
    virtual bool onReadable(platform::SocketHandle socket) = 0;
    virtual bool onWritable(platform::SocketHandle socket) = 0;
    virtual bool hasWork() const = 0;
    virtual void executeNext() = 0;
    // When the first waiting call's time is up (platform::monotonicMs), if any waits.
    virtual std::optional<std::int64_t> nextDeadlineMs() const = 0;
    // Answers the waiting calls whose time is up.
    virtual void serviceDeadlines() = 0;
    virtual const SocketAddress* executingFor() const = 0;
};

// The channel of this platform, or nothing where VXI-11 is not offered.
std::unique_ptr<Vxi11Channel> makeVxi11Channel(Vxi11Host& host);

} // namespace remote
