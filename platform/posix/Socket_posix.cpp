#include "platform/Socket.h"

#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace platform {

namespace {

int fdOf(SocketHandle s) {
    return static_cast<int>(s);
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

bool wouldBlock(int error) {
    return error == EAGAIN || error == EWOULDBLOCK || error == EINTR;
}

// A descriptor held back for the moment the process runs out of them: closing it lets one
// waiting connection be taken and closed, instead of leaving the listener ready for ever.
int& reserveDescriptor() {
    static int fd = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
    return fd;
}

} // namespace

SocketResult listenTcp(const SocketAddress& at, SocketHandle& out, SocketAddress& bound) {
    out = NoSocket;
    reserveDescriptor();
    int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return SocketResult::Failed;
    int on = 1;
    ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    sockaddr_in in = toSockaddr(at);
    if (::bind(fd, reinterpret_cast<sockaddr*>(&in), sizeof in) != 0 || ::listen(fd, 32) != 0) {
        int error = errno;
        ::close(fd);
        return error == EADDRINUSE      ? SocketResult::AddressInUse
               : error == EADDRNOTAVAIL ? SocketResult::AddressUnavailable
               : error == EACCES        ? SocketResult::PermissionDenied
                                        : SocketResult::Failed;
    }
    socklen_t length = sizeof in;
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&in), &length);
    bound = fromSockaddr(in);
    out = fd;
    return SocketResult::Ok;
}

SocketResult acceptTcp(SocketHandle listener, SocketHandle& out, SocketAddress& peer) {
    out = NoSocket;
    sockaddr_in in{};
    socklen_t length = sizeof in;
    int fd = ::accept4(fdOf(listener), reinterpret_cast<sockaddr*>(&in), &length,
                       SOCK_NONBLOCK | SOCK_CLOEXEC);
    if (fd < 0) {
        int error = errno;
        if (wouldBlock(error) || error == ECONNABORTED)
            return SocketResult::WouldBlock;
        if ((error == EMFILE || error == ENFILE) && reserveDescriptor() >= 0) {
            ::close(reserveDescriptor());
            length = sizeof in;
            int taken = ::accept(fdOf(listener), reinterpret_cast<sockaddr*>(&in), &length);
            if (taken >= 0) {
                peer = fromSockaddr(in);
                ::close(taken);
            }
            reserveDescriptor() = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
        }
        return SocketResult::Failed;
    }
    int on = 1;
    ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    peer = fromSockaddr(in);
    out = fd;
    return SocketResult::Ok;
}

SocketResult connectTcp(const SocketAddress& to, SocketHandle& out) {
    out = NoSocket;
    int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return SocketResult::Failed;
    sockaddr_in in = toSockaddr(to);
    if (::connect(fd, reinterpret_cast<sockaddr*>(&in), sizeof in) != 0) {
        ::close(fd);
        return SocketResult::Failed;
    }
    int on = 1;
    ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);
    out = fd;
    return SocketResult::Ok;
}

SocketResult sendSome(SocketHandle s, const char* data, std::size_t size, std::size_t& sent) {
    sent = 0;
    ssize_t n = ::send(fdOf(s), data, size, MSG_NOSIGNAL);
    if (n < 0)
        return wouldBlock(errno) ? SocketResult::WouldBlock : SocketResult::Failed;
    sent = static_cast<std::size_t>(n);
    return SocketResult::Ok;
}

SocketResult receiveSome(SocketHandle s, char* buffer, std::size_t size, std::size_t& received) {
    received = 0;
    ssize_t n = ::recv(fdOf(s), buffer, size, 0);
    if (n < 0)
        return wouldBlock(errno) ? SocketResult::WouldBlock : SocketResult::Failed;
    if (n == 0)
        return SocketResult::Closed;
    received = static_cast<std::size_t>(n);
    return SocketResult::Ok;
}

void shutdownSending(SocketHandle s) {
    ::shutdown(fdOf(s), SHUT_WR);
}

void closeSocket(SocketHandle s) {
    if (s != NoSocket)
        ::close(fdOf(s));
}

bool waitForSockets(std::vector<SocketWatch>& watches, int timeoutMs) {
    std::vector<pollfd> fds(watches.size());
    for (std::size_t i = 0; i < watches.size(); ++i) {
        fds[i].fd = fdOf(watches[i].socket);
        fds[i].events =
            static_cast<short>((watches[i].read ? POLLIN : 0) | (watches[i].write ? POLLOUT : 0));
        watches[i].readable = watches[i].writable = false;
    }
    int n = ::poll(fds.data(), fds.size(), timeoutMs);
    if (n < 0)
        return errno == EINTR;
    for (std::size_t i = 0; i < watches.size(); ++i) {
        watches[i].readable = fds[i].revents & (POLLIN | POLLHUP | POLLERR | POLLNVAL);
        watches[i].writable = fds[i].revents & POLLOUT;
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
    socklen_t size = sizeof in;
    if (::getsockname(fdOf(s), reinterpret_cast<sockaddr*>(&in), &size) != 0 ||
        in.sin_family != AF_INET)
        return false;
    out = fromSockaddr(in);
    return true;
}

} // namespace platform
