#include "platform/Signals.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <iterator>
#include <unistd.h>
#include <utility>

namespace platform {

namespace {

struct Named {
    int signal;
    const char* name;
};

// The named ones in the order of their numbers on Linux.
constexpr Named NamedEndingSignals[] = {
    {SIGHUP, "SIGHUP"},   {SIGINT, "SIGINT"},       {SIGQUIT, "SIGQUIT"}, {SIGUSR1, "SIGUSR1"},
    {SIGUSR2, "SIGUSR2"}, {SIGALRM, "SIGALRM"},     {SIGTERM, "SIGTERM"}, {SIGXCPU, "SIGXCPU"},
    {SIGXFSZ, "SIGXFSZ"}, {SIGVTALRM, "SIGVTALRM"}, {SIGPROF, "SIGPROF"}, {SIGPWR, "SIGPWR"},
};

// The line of a refused suspension, kept where the handler can write it without allocating.
char refusalLine[1024];
std::atomic<std::size_t> refusalLength{0};
static_assert(std::atomic<std::size_t>::is_always_lock_free);

void onSuspend(int) {
    const int saved = errno;
    const std::size_t n = refusalLength.load();
    std::size_t done = 0;
    while (done < n) {
        const ssize_t w = ::write(STDERR_FILENO, refusalLine + done, n - done);
        if (w <= 0)
            break;
        done += static_cast<std::size_t>(w);
    }
    errno = saved;
}

// The stops that a refusal turns away.
constexpr int SuspendingSignals[] = {SIGTSTP, SIGTTIN, SIGTTOU};

} // namespace

std::vector<int> endingSignals() {
    std::vector<int> all;
    for (const Named& n : NamedEndingSignals)
        all.push_back(n.signal);
    for (int s = SIGRTMIN; s <= SIGRTMAX; ++s)
        all.push_back(s);
    return all;
}

std::string signalName(int signal) {
    for (const Named& n : NamedEndingSignals)
        if (n.signal == signal)
            return n.name;
    if (signal >= SIGRTMIN && signal <= SIGRTMAX)
        return signal == SIGRTMIN ? "SIGRTMIN" : "SIGRTMIN+" + std::to_string(signal - SIGRTMIN);
    return "signal " + std::to_string(signal);
}

void ignoreBrokenPipe() {
    struct sigaction sa {};
    sa.sa_handler = SIG_IGN;
    sigemptyset(&sa.sa_mask);
    sigaction(SIGPIPE, &sa, nullptr);
}

struct EndingSignalHandler::Previous {
    std::vector<std::pair<int, struct sigaction>> saved;
};

EndingSignalHandler::EndingSignalHandler(Handler handler)
    : previous_(std::make_unique<Previous>()) {
    const std::vector<int> signals = endingSignals();
    struct sigaction sa {};
    sa.sa_handler = handler;
    sigemptyset(&sa.sa_mask);
    for (int s : signals)
        sigaddset(&sa.sa_mask, s);
    // Interrupted reads, writes and waits are resumed where the caller does not do so itself.
    sa.sa_flags = SA_RESTART;
    for (int s : signals) {
        struct sigaction before {};
        if (sigaction(s, nullptr, &before) != 0)
            continue;
        if (before.sa_handler == SIG_IGN && s != SIGINT && s != SIGTERM)
            continue;
        if (sigaction(s, &sa, nullptr) == 0)
            previous_->saved.emplace_back(s, before);
    }
}

EndingSignalHandler::~EndingSignalHandler() {
    for (const auto& [s, before] : previous_->saved)
        sigaction(s, &before, nullptr);
}

struct SuspendRefusal::Previous {
    struct sigaction saved[std::size(SuspendingSignals)]{};
};

SuspendRefusal::SuspendRefusal(const std::string& line, bool refusing)
    : previous_(std::make_unique<Previous>()) {
    const std::size_t n = std::min(line.size(), sizeof refusalLine);
    std::memcpy(refusalLine, line.data(), n);
    refusalLength.store(n);
    refuse(refusing);
}

SuspendRefusal::~SuspendRefusal() {
    refuse(false);
}

void SuspendRefusal::refuse(bool refusing) {
    if (refusing == refusing_)
        return;
    refusing_ = refusing;
    for (std::size_t i = 0; i < std::size(SuspendingSignals); ++i) {
        if (!refusing) {
            sigaction(SuspendingSignals[i], &previous_->saved[i], nullptr);
            continue;
        }
        struct sigaction sa {};
        // Ctrl-Z is answered; the terminal's reads and writes from the background go on
        // (a read then fails instead of stopping the process, which reads none).
        sa.sa_handler = SuspendingSignals[i] == SIGTSTP ? onSuspend : SIG_IGN;
        sigemptyset(&sa.sa_mask);
        sa.sa_flags = SA_RESTART;
        sigaction(SuspendingSignals[i], &sa, &previous_->saved[i]);
    }
}

} // namespace platform
