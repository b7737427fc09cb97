#include "device/SerialPort.h"

#include "platform/Clock.h"
#include "platform/Paths.h"

#include <cerrno>
#include <climits>
#include <fcntl.h>
#include <grp.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>
#include <vector>

namespace {

speed_t baudConstant(int baud) {
    switch (baud) {
    case 1200:
        return B1200;
    case 2400:
        return B2400;
    case 4800:
        return B4800;
    case 19200:
        return B19200;
    case 38400:
        return B38400;
    case 57600:
        return B57600;
    case 115200:
        return B115200;
    default:
        return B9600;
    }
}

// Applies raw 8N1 without XON/XOFF; the rest of the line settings stay as the driver has
// them. Failures are not reported: the callers expect an open port even then.
void configureLine(int fd, int baud) {
    termios tio{};
    if (tcgetattr(fd, &tio) != 0)
        return;
    cfmakeraw(&tio);
    tio.c_cflag &= ~(PARENB | CSTOPB | CSIZE);
    tio.c_cflag |= CS8 | CREAD | CLOCAL;
    tio.c_iflag &= ~(IXON | IXOFF | IXANY | INPCK);
    tio.c_cc[VMIN] = 0;
    tio.c_cc[VTIME] = 0;
    cfsetispeed(&tio, baudConstant(baud));
    cfsetospeed(&tio, baudConstant(baud));
    tcsetattr(fd, TCSANOW, &tio);
}

void setDtr(int fd, bool on) {
    int bits = TIOCM_DTR;
    // A line without modem control (a pseudo-terminal) refuses this; the open goes on.
    ioctl(fd, on ? TIOCMBIS : TIOCMBIC, &bits);
}

int remainingMs(std::int64_t deadline) {
    auto left = deadline - platform::monotonicMs();
    return left > 0 ? static_cast<int>(left) : 0;
}

// A device this user may not open: the group that owns it, and whether its members may
// read and write it (then joining the group is the remedy).
SerialPort::OpenFailure deviceOwner(const std::string& path) {
    auto f = SerialPort::OpenFailure::of(SerialPort::OpenFailure::Kind::NoPermission, path);
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0)
        return f;
    f.groupMayUse = (st.st_mode & (S_IRGRP | S_IWGRP)) == (S_IRGRP | S_IWGRP);
    std::vector<char> buffer(16384);
    group entry{};
    group* found = nullptr;
    if (::getgrgid_r(st.st_gid, &entry, buffer.data(), buffer.size(), &found) == 0 && found)
        f.group = found->gr_name;
    else
        f.group = std::to_string(st.st_gid);
    return f;
}

} // namespace

struct SerialPort::Native {
    int fd = -1;
};

std::string SerialPort::devicePath(const std::string& name) {
    if (name.find('/') != std::string::npos)
        return name;
    if (int n = comNumber(name); n >= 1) {
        std::string link =
            platform::joinPath(platform::settingsDirectory(), "ports/com" + std::to_string(n));
        struct stat st {};
        if (::lstat(link.c_str(), &st) == 0)
            return link;
        return "/dev/ttyACM" + std::to_string(n - 1);
    }
    return "/dev/" + name;
}

std::size_t SerialPort::maxNameLength(const std::string& name) {
    // Stable names of USB serial devices (/dev/serial/by-id/...) run to 50 to 80 characters.
    if (name.find('/') != std::string::npos)
        return PATH_MAX - 1;
    return MaxNameLength;
}

std::unique_ptr<SerialPort> SerialPort::open(const std::string& name, int baud) {
    using Kind = OpenFailure::Kind;
    if (name.empty() || name.size() > maxNameLength(name)) {
        noteOpenFailure(OpenFailure::of(Kind::Missing, name));
        return nullptr;
    }
    std::string path = devicePath(name);
    int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        const int error = errno;
        noteOpenFailure(error == EACCES || error == EPERM ? deviceOwner(path)
                        : error == EBUSY                  ? OpenFailure::of(Kind::InUse, path)
                        : error == ENOENT || error == ENXIO || error == ENODEV
                            ? OpenFailure::of(Kind::Missing, path)
                            : OpenFailure::of(Kind::Other, path));
        return nullptr;
    }
    // Exclusive access: a second opener, in this process or another, is refused. TIOCEXCL
    // alone would not stop root.
    if (!isatty(fd)) {
        ::close(fd);
        noteOpenFailure(OpenFailure::of(Kind::Other, path));
        return nullptr;
    }
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        noteOpenFailure(OpenFailure::of(Kind::InUse, path));
        return nullptr;
    }
    noteOpenFailure({});
    setDtr(fd, false);
    configureLine(fd, baud);
    setDtr(fd, true);
    std::unique_ptr<SerialPort> port(new SerialPort());
    port->native_ = std::make_unique<Native>(Native{fd});
    return port;
}

SerialPort::~SerialPort() {
    if (native_ && native_->fd >= 0)
        ::close(native_->fd);
}

int SerialPort::write(const std::uint8_t* bytes, int count) {
    if (count <= 0)
        return 0;
    const std::int64_t deadline = platform::monotonicMs() + WriteWaitMs;
    int written = 0;
    while (written < count) {
        ssize_t n = ::write(native_->fd, bytes + written, static_cast<size_t>(count - written));
        if (n > 0) {
            written += static_cast<int>(n);
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK)
            return -1;
        pollfd p{native_->fd, POLLOUT, 0};
        int r = ::poll(&p, 1, remainingMs(deadline));
        if (r < 0 && errno == EINTR)
            continue;
        if (r <= 0 || (p.revents & (POLLERR | POLLHUP | POLLNVAL)))
            return -1;
    }
    return written;
}

int SerialPort::read(std::uint8_t* buffer, int capacity) {
    // Offered no room, nothing can be stored; waiting would only delay the caller.
    if (capacity <= 0)
        return 0;
    const std::int64_t deadline = platform::monotonicMs() + ReadWaitMs;
    // What is queued is taken without waiting; only then does the read wait for input.
    bool waiting = false;
    for (;;) {
        const int left = remainingMs(deadline);
        pollfd p{native_->fd, POLLIN, 0};
        int r = ::poll(&p, 1, waiting ? left : 0);
        if (r < 0) {
            if (errno == EINTR)
                continue;
            return -1;
        }
        if (r == 0) {
            if (!waiting && left > 0) {
                waiting = true;
                platform::inputWaitStarting(left);
                continue;
            }
            return 0; // quiet line; bytes that come later wait in the kernel's queue
        }
        if (p.revents & POLLIN) {
            ssize_t n = ::read(native_->fd, buffer, static_cast<size_t>(capacity));
            if (n > 0)
                return static_cast<int>(n);
            if (n == 0)
                return -1; // readable but empty: the other end hung up
            if (errno == EINTR || errno == EAGAIN || errno == EWOULDBLOCK) {
                if (remainingMs(deadline) == 0)
                    return 0;
                continue;
            }
            return -1;
        }
        if (p.revents & (POLLHUP | POLLERR | POLLNVAL))
            return -1;
    }
}
