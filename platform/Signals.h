#pragma once

#include <memory>
#include <string>
#include <vector>

// The operating system's signals as the programs meet them. A signal that would end a
// program at once (a closed terminal, kill, a timer or a limit) must instead end it as when
// it is asked to, so that a run switches the output off first; a reader that went away must
// be an error the program handles, not its death; and a process that watches the output must
// not be stopped. Faults (SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT) keep their own action.
// Windows has no such signals (its console's events are handled where they are used): the
// functions there do nothing.
namespace platform {

// The signals that end a program by default and are no fault: SIGINT, SIGTERM, SIGHUP,
// SIGQUIT, SIGUSR1, SIGUSR2, SIGALRM, SIGVTALRM, SIGPROF, SIGXCPU, SIGXFSZ, SIGPWR and every
// real-time signal.
std::vector<int> endingSignals();

// The signal's name as the shell writes it: "SIGHUP", "SIGRTMIN+3".
std::string signalName(int signal);

// A write to a pipe or socket without a reader fails (EPIPE) instead of ending the program.
void ignoreBrokenPipe();

// While it lives, every ending signal calls the handler, with the other ending signals held
// back meanwhile; when it goes, what was in force before comes back. A signal other than
// SIGINT and SIGTERM that was ignored when the program started stays ignored, so that a
// program started with nohup outlives its terminal as it is asked to. The handler may only
// do what a signal handler may: set a lock-free flag, write(2).
class EndingSignalHandler {
public:
    using Handler = void (*)(int signal);
    explicit EndingSignalHandler(Handler handler);
    ~EndingSignalHandler();
    EndingSignalHandler(const EndingSignalHandler&) = delete;
    EndingSignalHandler& operator=(const EndingSignalHandler&) = delete;

private:
    struct Previous;
    std::unique_ptr<Previous> previous_;
};

// While it lives and refuses, a request to suspend the process (SIGTSTP: Ctrl-Z) is answered
// by the line on standard error and the process goes on, and reading or writing the terminal
// from the background (SIGTTIN, SIGTTOU) does not stop it either. Otherwise, and when it
// goes, they stop the process as before.
class SuspendRefusal {
public:
    explicit SuspendRefusal(const std::string& line, bool refusing = true);
    ~SuspendRefusal();
    SuspendRefusal(const SuspendRefusal&) = delete;
    SuspendRefusal& operator=(const SuspendRefusal&) = delete;

    // Refuses from now on, or no longer.
    void refuse(bool refusing);

private:
    struct Previous;
    std::unique_ptr<Previous> previous_;
    bool refusing_ = false;
};

} // namespace platform
