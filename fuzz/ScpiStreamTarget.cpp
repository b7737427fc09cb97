// A client's byte stream through a connection of the instrument language, cut into pieces
// at arbitrary points, with small limits so that short inputs reach them: lines of at most
// 64 bytes, at most 2048 reply bytes waiting.
//
// Input layout: byte 0 holds the number of cuts (bits 0-2); then two bytes per cut, each a
// position in the stream (modulo its length); the rest is the stream.
//
// Checked on every input:
// - the stream in pieces, with units run between them, gives the same replies, errors and
//   device actions as the stream in one piece;
// - a line without its LF at the end never runs: replies and actions are those of the
//   stream cut after its last LF;
// - the replies waiting stay bounded, and once over the limit nothing more runs.
#include "fuzz/FuzzSupport.h"
#include "fuzz/FuzzTargets.h"

#include "scpi/Connection.h"
#include "simulator/MemoryInstrument.h"

#include <algorithm>
#include <string>
#include <vector>

namespace {

constexpr const char* Target = "ScpiStream";
constexpr std::size_t LineLimit = 64;
constexpr std::size_t ReplyLimit = 2048;
// The longest answer: a list of 1000 values of up to 7 characters.
constexpr std::size_t LongestAnswer = 8 * 1000;

struct Outcome {
    std::string replies;
    std::vector<std::string> actions;
    std::vector<std::string> errors;
};

// Feeds the pieces, running everything that waits after each, then ends the input.
Outcome run(const std::string& stream, const std::vector<std::size_t>& cuts) {
    sim::MemoryInstrument m;
    scpi::Connection c(m, ReplyLimit, LineLimit);
    std::size_t from = 0;
    auto feed = [&](std::size_t to) {
        c.receive(std::string_view(stream).substr(from, to - from));
        from = to;
        bool wasOverflowed = c.overflowed();
        std::size_t actions = m.actions.size();
        c.executeAll();
        FUZZ_CHECK(Target, !wasOverflowed || m.actions.size() == actions,
                   "ran after the reply limit");
        FUZZ_CHECK(Target, c.output().size() <= 2 * ReplyLimit + LongestAnswer,
                   std::to_string(c.output().size()) + " reply bytes waiting");
    };
    for (std::size_t cut : cuts)
        feed(cut);
    feed(stream.size());
    c.endOfInput();
    c.executeAll();
    Outcome o{std::string(c.output()), m.actions, {}};
    for (scpi::ErrorEntry e; (e = c.client().errors.pop()).error != scpi::Error::None;)
        o.errors.push_back(scpi::formatErrorEntry(e));
    return o;
}

} // namespace

int fuzzScpiStream(const std::uint8_t* data, std::size_t size) {
    if (size == 0)
        return 0;
    std::size_t cutCount = data[0] & 7;
    std::size_t head = 1 + 2 * cutCount;
    if (size < head)
        return 0;
    std::string stream(reinterpret_cast<const char*>(data) + head, size - head);
    std::vector<std::size_t> cuts;
    for (std::size_t i = 0; i < cutCount; ++i) {
        std::size_t at = data[1 + 2 * i] | std::size_t{data[2 + 2 * i]} << 8;
        cuts.push_back(stream.empty() ? 0 : at % (stream.size() + 1));
    }
    std::sort(cuts.begin(), cuts.end());

    Outcome whole = run(stream, {});
    Outcome pieces = run(stream, cuts);
    FUZZ_CHECK(Target, pieces.replies == whole.replies,
               "replies differ in pieces: " + fuzzsupport::escaped(pieces.replies));
    FUZZ_CHECK(Target, pieces.actions == whole.actions, "actions differ in pieces");
    FUZZ_CHECK(Target, pieces.errors == whole.errors, "errors differ in pieces");

    std::size_t lastLf = stream.rfind('\n');
    Outcome complete = run(stream.substr(0, lastLf == std::string::npos ? 0 : lastLf + 1), {});
    FUZZ_CHECK(Target, complete.replies == whole.replies && complete.actions == whole.actions,
               "the unfinished last line changed something");
    return 0;
}
