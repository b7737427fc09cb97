#pragma once

#include "scpi/ClientState.h"
#include "scpi/Instrument.h"
#include "scpi/Syntax.h"

#include <string>
#include <string_view>
#include <vector>

// Runs program message lines of one client against the instrument, one unit at a time, so
// that a caller can let other work (the device poll, other clients) in between the units of
// a long line.
namespace scpi {

class Interpreter {
public:
    explicit Interpreter(Instrument& instrument) : instrument_(instrument) {}
    // The splitter and the path point into the line held here.
    Interpreter(const Interpreter&) = delete;
    Interpreter& operator=(const Interpreter&) = delete;

    ClientState& client() { return client_; }
    const ClientState& client() const { return client_; }

    // Starts a line (without its line end); the header path starts at the root.
    void begin(std::string line);
    // Whether units of the started line remain.
    bool running() const { return running_; }
    // Runs the next unit. An error queues its number and skips the rest of the line.
    void step();
    // The started line's response, once it has run: the answers of its queries joined by
    // ";" with the line end, or nothing when it had no answered query.
    std::string takeReply();
    // Bytes of the answers collected so far in the running line.
    std::size_t answerBytes() const { return answerBytes_; }

    // begin, every step and takeReply at once.
    std::string execute(std::string line);
    // A device clear: the rest of the running line never runs and its answers are dropped;
    // the registers and the error queue stay.
    void abandon();

private:
    void finish();

    Instrument& instrument_;
    ClientState client_;
    std::string line_;
    UnitSplitter splitter_{std::string_view()};
    bool running_ = false;
    // The header path of the compound header rule: where a unit without a leading ":"
    // continues, i.e. the previous command's nodes without the last one. Views into line_.
    std::vector<std::string_view> path_;
    std::vector<std::string> answers_;
    std::size_t answerBytes_ = 0;
};

} // namespace scpi
