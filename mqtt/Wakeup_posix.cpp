#include "mqtt/Wakeup.h"

#include <cstdint>
#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

namespace mqtt {

Wakeup::Wakeup() {
    const int fd = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (fd >= 0)
        handle_ = fd;
}

Wakeup::~Wakeup() {
    if (valid())
        ::close(static_cast<int>(handle_));
}

void Wakeup::raise() {
    const std::uint64_t one = 1;
    // A counter already raised, or full, wakes the loop all the same.
    const ssize_t n = ::write(static_cast<int>(handle_), &one, sizeof one);
    (void)n;
}

bool Wakeup::take() {
    std::uint64_t count = 0;
    return ::read(static_cast<int>(handle_), &count, sizeof count) == sizeof count;
}

bool Wakeup::wait(int ms) {
    pollfd p{static_cast<int>(handle_), POLLIN, 0};
    return ::poll(&p, 1, ms) > 0;
}

} // namespace mqtt
