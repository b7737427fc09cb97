#pragma once

#include "scpi/Interpreter.h"

#include <cstddef>
#include <string>
#include <string_view>

// One client's side of the instrument language: bytes in, complete lines (LF, CR LF
// accepted) executed unit by unit, reply bytes out. Memory stays bounded whatever comes in:
// a line longer than MaxLineBytes gives -223 and is dropped up to its LF, and a client that
// lets more than the reply limit wait is marked overflowed and runs nothing more.
namespace scpi {

class Connection {
public:
    static constexpr std::size_t MaxLineBytes = 64 * 1024;
    static constexpr std::size_t MaxWaitingReply = 1024 * 1024;

    // The limits are the defaults but for fuzzing, which reaches them with small inputs.
    explicit Connection(Instrument& instrument, std::size_t maxWaitingReply = MaxWaitingReply,
                        std::size_t maxLineBytes = MaxLineBytes);

    // Bytes from the client, any split; complete lines wait for executeNext.
    void receive(std::string_view bytes);
    // The client sends no more: an unfinished line is dropped without running, since its
    // end may be missing (a cut "VOLT 12" must not set 1 V). Complete lines still run.
    void endOfInput();
    bool inputEnded() const { return ended_; }
    // A device clear: input not yet run (complete lines, the unfinished one, the rest of the
    // running line) and replies not yet taken are dropped; registers and errors stay.
    void clear();
    // Whether to read more from the client now: false while a line's worth of complete
    // input waits, so a fast sender waits in its socket instead of in memory.
    bool wantsInput() const;

    // Whether a unit (or a too-long line's error) waits to run.
    bool hasWork() const;
    // Runs the next unit; a finished line's reply joins the output.
    void executeNext();
    // Runs until no work is left (tests and fuzzing).
    void executeAll();

    // Reply bytes not yet taken by the transport.
    std::string_view output() const;
    void consumeOutput(std::size_t bytes);
    // More than the reply limit waits: the client has stopped reading and must be dropped.
    bool overflowed() const { return overflowed_; }
    // The client sent its last line, everything ran and every reply was taken.
    bool finished() const;

    ClientState& client() { return interpreter_.client(); }

private:
    void queueLine(std::string_view line);
    void checkOverflow();

    Interpreter interpreter_;
    std::size_t maxWaitingReply_;
    std::size_t maxLineBytes_;
    std::string partial_;         // the line being received, without its end
    bool discarding_ = false;     // inside a too-long line, up to its LF
    std::string queued_;          // complete lines, each ending in LF; "\n" alone marks a
                                  // too-long line (empty lines are never queued)
    std::size_t queuedStart_ = 0; // how much of queued_ has been taken
    std::string output_;
    std::size_t outputStart_ = 0;
    bool ended_ = false;
    bool overflowed_ = false;
};

} // namespace scpi
