#pragma once

#include "scpi/ClientState.h"
#include "scpi/Errors.h"
#include "scpi/Instrument.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

// The command table of the instrument language: every header with its set and query
// handlers, bound to an Instrument.
namespace scpi {

// The most values one LIST command takes.
constexpr std::size_t MaxListPoints = 1000;

// One command as a handler sees it.
struct Call {
    Instrument& instrument;
    ClientState& client;
    const std::vector<std::string_view>& parameters;
    std::string answer; // a query's response
    std::string detail; // what an error adds after its standard text
};

using Handler = Error (*)(Call&);

// How many parameters a handler takes; fewer gives -109, more -108 before it runs.
struct Arity {
    std::size_t min;
    std::size_t max;
};

// A header of the table, as "[SOURce:]VOLTage[:LEVel]": bracketed nodes may be left out.
struct HeaderNode {
    std::string_view mnemonic;
    bool optional;
};

struct Command {
    bool common;
    std::vector<HeaderNode> nodes;
    Handler set;   // null: the header is a query only
    Handler query; // null: the header takes no "?"
    Arity setArity;
    Arity queryArity;
};

// Whether typed nodes (already joined to the current path) name the header.
bool headerMatches(const std::vector<HeaderNode>& header,
                   const std::vector<std::string_view>& typed);

// The command the typed header names; null when none does.
const Command* findCommand(bool common, const std::vector<std::string_view>& nodes);

// Every header of the table as written, for the reference and its tests.
std::vector<std::string> commandHeaders();

} // namespace scpi
