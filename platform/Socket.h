#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// TCP sockets for the instrument server, shaped so that a WinSock twin fits beside the POSIX
// file: handles are opaque integers, every operation returns a small code, nothing blocks
// but connectTcp and waitForSockets, and the server never reads or writes a handle itself.
namespace platform {

// The POSIX descriptor, or a WinSock SOCKET in a Windows build.
using SocketHandle = std::intptr_t;
constexpr SocketHandle NoSocket = -1;

// An IPv4 address and port, both in host byte order.
struct SocketAddress {
    std::uint32_t ipv4 = 0;
    std::uint16_t port = 0;
};

enum class SocketResult {
    Ok,
    WouldBlock,         // nothing can be done without waiting
    Closed,             // receive: the peer will send nothing more
    Failed,             // the connection or the call failed
    AddressInUse,       // listen: the port is taken
    AddressUnavailable, // listen: no interface has the address
    PermissionDenied,   // listen: a port this user may not take
};

// A non-blocking listening socket with address reuse on; `bound` is where it listens (the
// real port when port 0 asked for a free one).
SocketResult listenTcp(const SocketAddress& at, SocketHandle& out, SocketAddress& bound);
// Takes one waiting connection as a non-blocking socket that sends small replies at once.
// WouldBlock when none waits. When the process has no descriptor left the connection is
// taken and closed at once (Failed, `peer` set), so that it does not stay ready for ever.
SocketResult acceptTcp(SocketHandle listener, SocketHandle& out, SocketAddress& peer);
// Connects and then makes the socket non-blocking (for clients: tests, tools).
SocketResult connectTcp(const SocketAddress& to, SocketHandle& out);
// Sends what the socket takes now, never raising a signal on a closed connection.
SocketResult sendSome(SocketHandle s, const char* data, std::size_t size, std::size_t& sent);
// Receives what waits, at most `size` bytes; Closed at the end of the peer's stream.
SocketResult receiveSome(SocketHandle s, char* buffer, std::size_t size, std::size_t& received);
// Ends sending: the peer reads the end of the stream, while replies can still come back.
void shutdownSending(SocketHandle s);
void closeSocket(SocketHandle s);

// One socket to wait for; the wait sets the results. A hang-up or an error counts as
// readable, so that the next receive reports it.
struct SocketWatch {
    SocketHandle socket = NoSocket;
    bool read = false;
    bool write = false;
    bool readable = false;
    bool writable = false;
};

// Waits until a watched socket is ready or `timeoutMs` passes (-1: no limit); an
// interrupting signal ends the wait early with nothing ready. False when the wait failed.
bool waitForSockets(std::vector<SocketWatch>& watches, int timeoutMs);

// The IPv4 address and port of a system socket address (a `struct sockaddr` as a library
// hands it over); false for any other family.
bool decodeSocketAddress(const void* sockaddr, SocketAddress& out);
// Where a connected socket's own end is: the address the peer reached it at.
bool localAddress(SocketHandle s, SocketAddress& out);

} // namespace platform
