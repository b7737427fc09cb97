#include "platform/Socket.h"

#include <winsock2.h>
#include <ws2tcpip.h>

#include <cstring>

namespace platform {

namespace {

// WinSock is started once for the process, before the first socket, and stays up.
bool started() {
    static const bool ok = [] {
        WSADATA data{};
        return WSAStartup(MAKEWORD(2, 2), &data) == 0;
    }();
    return ok;
}

SOCKET socketOf(SocketHandle s) {
    return static_cast<SOCKET>(s);
}

sockaddr_in toSockaddr(const SocketAddress& a) {
    sockaddr_in in{};
    in.sin_family = AF_INET;
    in.sin_port = htons(a.port);
    in.sin_addr.s_addr = htonl(a.ipv4);
    return in;
}

SocketAddress fromSockaddr(const sockaddr_in& in) {
    return {ntohl(in.sin_addr.s_addr), ntohs(in.sin_port)};
}

bool setNonBlocking(SOCKET s) {
    u_long on = 1;
    return ioctlsocket(s, FIONBIO, &on) == 0;
}

void sendAtOnce(SOCKET s) {
    BOOL on = TRUE;
    setsockopt(s, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&on), sizeof on);
}

bool wouldBlock(int error) {
    return error == WSAEWOULDBLOCK || error == WSAEINTR || error == WSAEINPROGRESS;
}

} // namespace

SocketResult listenTcp(const SocketAddress& at, SocketHandle& out, SocketAddress& bound) {
    out = NoSocket;
    if (!started())
        return SocketResult::Failed;
    SOCKET s = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    if (s == INVALID_SOCKET)
        return SocketResult::Failed;
    // Windows lets a second listener take a port with SO_REUSEADDR; exclusive use keeps a
    // port in use reported as such. A port left in TIME_WAIT can be listened on again anyway.
    BOOL on = TRUE;
    setsockopt(s, SOL_SOCKET, SO_EXCLUSIVEADDRUSE, reinterpret_cast<const char*>(&on), sizeof on);
    sockaddr_in in = toSockaddr(at);
    if (::bind(s, reinterpret_cast<sockaddr*>(&in), sizeof in) != 0 || ::listen(s, 32) != 0 ||
        !setNonBlocking(s)) {
        const int error = WSAGetLastError();
        ::closesocket(s);
        return error == WSAEADDRINUSE      ? SocketResult::AddressInUse
               : error == WSAEADDRNOTAVAIL ? SocketResult::AddressUnavailable
               : error == WSAEACCES        ? SocketResult::PermissionDenied
                                           : SocketResult::Failed;
    }
    int length = sizeof in;
    ::getsockname(s, reinterpret_cast<sockaddr*>(&in), &length);
    bound = fromSockaddr(in);
    out = static_cast<SocketHandle>(s);
    return SocketResult::Ok;
}

SocketResult acceptTcp(SocketHandle listener, SocketHandle& out, SocketAddress& peer) {
    out = NoSocket;
    sockaddr_in in{};
    int length = sizeof in;
    SOCKET s = ::accept(socketOf(listener), reinterpret_cast<sockaddr*>(&in), &length);
    if (s == INVALID_SOCKET) {
        const int error = WSAGetLastError();
        if (wouldBlock(error) || error == WSAECONNRESET)
            return SocketResult::WouldBlock;
        return SocketResult::Failed;
    }
    // An accepted socket inherits non-blocking mode from its listener; set it all the same.
    setNonBlocking(s);
    sendAtOnce(s);
    peer = fromSockaddr(in);
    out = static_cast<SocketHandle>(s);
    return SocketResult::Ok;
}

SocketResult connectTcp(const SocketAddress& to, SocketHandle& out) {
    out = NoSocket;
    if (!started())
        return SocketResult::Failed;
    SOCKET s = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    if (s == INVALID_SOCKET)
        return SocketResult::Failed;
    sockaddr_in in = toSockaddr(to);
    if (::connect(s, reinterpret_cast<sockaddr*>(&in), sizeof in) != 0) {
        ::closesocket(s);
        return SocketResult::Failed;
    }
    sendAtOnce(s);
    setNonBlocking(s);
    out = static_cast<SocketHandle>(s);
    return SocketResult::Ok;
}

SocketResult sendSome(SocketHandle s, const char* data, std::size_t size, std::size_t& sent) {
    sent = 0;
    const int chunk = static_cast<int>(size > 0x40000000 ? 0x40000000 : size);
    const int n = ::send(socketOf(s), data, chunk, 0);
    if (n == SOCKET_ERROR)
        return wouldBlock(WSAGetLastError()) ? SocketResult::WouldBlock : SocketResult::Failed;
    sent = static_cast<std::size_t>(n);
    return SocketResult::Ok;
}

SocketResult receiveSome(SocketHandle s, char* buffer, std::size_t size, std::size_t& received) {
    received = 0;
    const int chunk = static_cast<int>(size > 0x40000000 ? 0x40000000 : size);
    const int n = ::recv(socketOf(s), buffer, chunk, 0);
    if (n == SOCKET_ERROR)
        return wouldBlock(WSAGetLastError()) ? SocketResult::WouldBlock : SocketResult::Failed;
    if (n == 0)
        return SocketResult::Closed;
    received = static_cast<std::size_t>(n);
    return SocketResult::Ok;
}

void shutdownSending(SocketHandle s) {
    ::shutdown(socketOf(s), SD_SEND);
}

void closeSocket(SocketHandle s) {
    if (s != NoSocket)
        ::closesocket(socketOf(s));
}

bool waitForSockets(std::vector<SocketWatch>& watches, int timeoutMs) {
    if (watches.empty()) {
        // WSAPoll refuses an empty set; the wait is then a plain pause.
        if (timeoutMs > 0)
            Sleep(static_cast<DWORD>(timeoutMs));
        return true;
    }
    std::vector<WSAPOLLFD> fds(watches.size());
    for (std::size_t i = 0; i < watches.size(); ++i) {
        fds[i].fd = socketOf(watches[i].socket);
        fds[i].events = static_cast<short>((watches[i].read ? POLLRDNORM : 0) |
                                           (watches[i].write ? POLLWRNORM : 0));
        watches[i].readable = watches[i].writable = false;
    }
    const int n = WSAPoll(fds.data(), static_cast<ULONG>(fds.size()), timeoutMs);
    if (n == SOCKET_ERROR)
        return WSAGetLastError() == WSAEINTR;
    for (std::size_t i = 0; i < watches.size(); ++i) {
        watches[i].readable = fds[i].revents & (POLLRDNORM | POLLHUP | POLLERR | POLLNVAL);
        watches[i].writable = fds[i].revents & POLLWRNORM;
    }
    return true;
}

bool decodeSocketAddress(const void* address, SocketAddress& out) {
    if (!address)
        return false;
    sockaddr_in in{};
    std::memcpy(&in, address, sizeof in);
    if (in.sin_family != AF_INET)
        return false;
    out = fromSockaddr(in);
    return true;
}

bool localAddress(SocketHandle s, SocketAddress& out) {
    sockaddr_in in{};
    int size = sizeof in;
    if (::getsockname(socketOf(s), reinterpret_cast<sockaddr*>(&in), &size) != 0 ||
        in.sin_family != AF_INET)
        return false;
    out = fromSockaddr(in);
    return true;
}

} // namespace platform
