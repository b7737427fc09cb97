#include "remote/RecordMarking.h"

#include <algorithm>

namespace remote {

namespace {

constexpr std::uint32_t LastFragment = 0x80000000u;
// Unparsed bytes kept at most: what one read of the socket brings.
constexpr std::size_t MaxUnparsed = 64 * 1024;

} // namespace

void RecordReader::receive(std::string_view bytes) {
    if (refused_)
        return;
    if (rawStart_ == raw_.size()) {
        raw_.clear();
        rawStart_ = 0;
    } else if (rawStart_ > 0) {
        raw_.erase(0, rawStart_);
        rawStart_ = 0;
    }
    raw_.append(bytes);
}

bool RecordReader::wantsInput() const {
    return !refused_ && !complete_ && raw_.size() - rawStart_ < MaxUnparsed;
}

bool RecordReader::parse() {
    while (!refused_ && rawStart_ < raw_.size()) {
        if (!inFragment_) {
            if (raw_.size() - rawStart_ < 4)
                return false;
            const auto* p = reinterpret_cast<const unsigned char*>(raw_.data() + rawStart_);
            const std::uint32_t header = (std::uint32_t(p[0]) << 24) | (std::uint32_t(p[1]) << 16) |
                                         (std::uint32_t(p[2]) << 8) | std::uint32_t(p[3]);
            rawStart_ += 4;
            fragmentLeft_ = header & ~LastFragment;
            lastFragment_ = (header & LastFragment) != 0;
            if (fragmentLeft_ > maxRecord_ - record_.size()) {
                refused_ = true;
                record_.clear();
                raw_.clear();
                rawStart_ = 0;
                return false;
            }
            inFragment_ = true;
        }
        const std::size_t take = std::min<std::size_t>(fragmentLeft_, raw_.size() - rawStart_);
        record_.append(raw_, rawStart_, take);
        rawStart_ += take;
        fragmentLeft_ -= static_cast<std::uint32_t>(take);
        if (fragmentLeft_ > 0)
            return false;
        inFragment_ = false;
        if (lastFragment_)
            return true;
    }
    return false;
}

std::optional<std::string> RecordReader::next() {
    if (!complete_)
        complete_ = parse();
    if (!complete_)
        return std::nullopt;
    complete_ = false;
    std::string out;
    out.swap(record_);
    return out;
}

std::string frameRecord(std::string_view record) {
    const auto n = static_cast<std::uint32_t>(record.size()) | LastFragment;
    std::string out;
    out.reserve(record.size() + 4);
    out += static_cast<char>(n >> 24);
    out += static_cast<char>((n >> 16) & 0xFF);
    out += static_cast<char>((n >> 8) & 0xFF);
    out += static_cast<char>(n & 0xFF);
    out.append(record);
    return out;
}

} // namespace remote
