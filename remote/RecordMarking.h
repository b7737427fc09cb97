#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// The record marking of ONC RPC over TCP: every record is sent as fragments, each behind a
// four-byte header holding its length (31 bits) and, in the top bit, whether it is the last
// of its record. The reader bounds everything it keeps: a record whose fragments claim more
// than its limit is refused as soon as the header that passes the limit arrives, before a
// byte of it is kept, and unparsed bytes are taken only while no record waits.
namespace remote {

class RecordReader {
public:
    explicit RecordReader(std::size_t maxRecord) : maxRecord_(maxRecord) {}

    // Bytes from the stream, any split.
    void receive(std::string_view bytes);
    // Whether to read more now: false while a complete record waits or once refused.
    bool wantsInput() const;
    // The next complete record, if one has arrived.
    std::optional<std::string> next();
    // A record claimed more than the limit: the stream cannot be followed any further.
    bool refused() const { return refused_; }
    // Bytes received and not yet given out as a record (a record cut by the end of the
    // stream leaves some).
    std::size_t held() const { return raw_.size() - rawStart_ + record_.size(); }

private:
    // Moves what raw_ holds into record_ up to the end of a record; true at a record's end.
    bool parse();

    std::size_t maxRecord_;
    std::string raw_;          // received, not yet parsed
    std::size_t rawStart_ = 0; // how much of raw_ has been parsed
    std::string record_;       // fragments of the record being assembled
    std::uint32_t fragmentLeft_ = 0;
    bool inFragment_ = false;
    bool lastFragment_ = false;
    bool complete_ = false; // record_ holds a whole record not yet taken
    bool refused_ = false;
};

// One record as a single last fragment.
std::string frameRecord(std::string_view record);

} // namespace remote
