#include "mqtt/Command.h"

#include <charconv>
#include <cmath>

namespace mqtt {

namespace {

// Blanks around a payload, as a person typing into a client may leave them.
std::string trimmed(const std::string& text) {
    const auto first = text.find_first_not_of(" \t\r\n");
    if (first == std::string::npos)
        return {};
    const auto last = text.find_last_not_of(" \t\r\n");
    return text.substr(first, last - first + 1);
}

// Digits with at most one point and an optional leading sign; no exponent, no words
// ("nan", "inf"), nothing after the number.
std::optional<double> plainNumber(const std::string& text) {
    if (text.empty() || text.size() > 32)
        return std::nullopt;
    for (char c : text)
        if (!(c == '.' || c == '-' || c == '+' || (c >= '0' && c <= '9')))
            return std::nullopt;
    const char* begin = text.data() + (text[0] == '+' ? 1 : 0);
    double v = 0.0;
    const auto r = std::from_chars(begin, text.data() + text.size(), v);
    if (r.ec != std::errc() || r.ptr != text.data() + text.size() || !std::isfinite(v))
        return std::nullopt;
    return v;
}

} // namespace

ParsedCommand parseCommand(const std::string& what, const std::string& payload) {
    if (payload.size() > MaxCommandPayload)
        return {std::nullopt, "the payload is too long"};
    for (unsigned char c : payload)
        if ((c < 0x20 && c != '\t' && c != '\r' && c != '\n') || c >= 0x80)
            return {std::nullopt, "the payload is not text"};
    const std::string text = trimmed(payload);
    if (text.empty())
        return {std::nullopt, "the payload is empty"};
    if (what == "output") {
        if (text == "ON" || text == "OFF")
            return {Command{Command::Output, text == "ON", 0.0}, {}};
        return {std::nullopt, "the output takes ON or OFF"};
    }
    if (what == "voltage" || what == "current") {
        auto v = plainNumber(text);
        if (!v)
            return {std::nullopt, "the set-point is not a plain decimal number"};
        return {Command{what == "voltage" ? Command::Voltage : Command::Current, false, *v}, {}};
    }
    if (what == "reset_counters") {
        if (text == "PRESS")
            return {Command{Command::ResetCounters, false, 0.0}, {}};
        return {std::nullopt, "the reset takes PRESS"};
    }
    return {std::nullopt, "no such command"};
}

} // namespace mqtt
