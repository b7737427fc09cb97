#include "platform/qt/EndingSignals.h"

#include "platform/Signals.h"

#include <QSocketNotifier>

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace {

// The pipe from the handler to the event loop: read end, write end.
int pipeEnds[2] = {-1, -1};

void onEndingSignal(int signal) {
    const int saved = errno;
    const unsigned char number = static_cast<unsigned char>(signal);
    // A full pipe already holds signals enough to end the program.
    const ssize_t written = ::write(pipeEnds[1], &number, 1);
    (void)written;
    errno = saved;
}

} // namespace

struct EndingSignals::Handling {
    platform::EndingSignalHandler handler{onEndingSignal};
};

EndingSignals::EndingSignals(QObject* parent) : QObject(parent) {
    if (::pipe2(pipeEnds, O_CLOEXEC | O_NONBLOCK) != 0) {
        pipeEnds[0] = pipeEnds[1] = -1;
        return;
    }
    notifier_ = new QSocketNotifier(pipeEnds[0], QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, &EndingSignals::readPipe);
    handling_ = std::make_unique<Handling>();
}

EndingSignals::~EndingSignals() {
    handling_.reset();
    delete notifier_;
    for (int& end : pipeEnds) {
        if (end >= 0)
            ::close(end);
        end = -1;
    }
}

void EndingSignals::readPipe() {
    unsigned char numbers[64];
    ssize_t n = 0;
    while ((n = ::read(pipeEnds[0], numbers, sizeof numbers)) > 0)
        for (ssize_t i = 0; i < n; ++i)
            emit received(numbers[i]);
}
