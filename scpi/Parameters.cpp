#include "scpi/Parameters.h"

#include "scpi/Syntax.h"

#include <charconv>
#include <cmath>
#include <string>

namespace scpi {

namespace {

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

bool isAlpha(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

char upper(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

const char* unitLetterOf(Quantity q) {
    switch (q) {
    case Quantity::Volts:
        return "V";
    case Quantity::Amps:
        return "A";
    case Quantity::Watts:
        return "W";
    case Quantity::Seconds:
        return "S";
    case Quantity::Plain:
        break;
    }
    return nullptr;
}

// The power of ten a suffix stands for; false when the quantity does not take it.
bool suffixExponent(std::string_view suffix, Quantity q, int& exponent) {
    const char* unit = unitLetterOf(q);
    if (!unit || suffix.empty() || upper(suffix.back()) != unit[0])
        return false;
    std::string_view prefix = suffix.substr(0, suffix.size() - 1);
    if (prefix.empty()) {
        exponent = 0;
        return true;
    }
    if (prefix.size() != 1)
        return false;
    switch (upper(prefix[0])) {
    case 'M':
        exponent = -3;
        return true;
    case 'U':
        exponent = -6;
        return true;
    case 'K':
        exponent = 3;
        return true;
    default:
        return false;
    }
}

} // namespace

Error readNumber(std::string_view text, Quantity quantity, double& out) {
    if (dataKindOf(text) != DataKind::Numeric)
        return Error::DataType;
    // <mantissa> = [+|-] digits [. digits], at least one digit; <exponent> = E [+|-] digits.
    std::size_t i = 0;
    std::string number;
    if (text[i] == '+' || text[i] == '-')
        number += text[i++];
    int digits = 0;
    while (i < text.size() && isDigit(text[i])) {
        number += text[i++];
        ++digits;
    }
    if (i < text.size() && text[i] == '.') {
        number += text[i++];
        while (i < text.size() && isDigit(text[i])) {
            number += text[i++];
            ++digits;
        }
    }
    if (digits == 0)
        return Error::Syntax;
    long exponent = 0;
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        std::size_t e = i + 1;
        bool negative = false;
        if (e < text.size() && (text[e] == '+' || text[e] == '-'))
            negative = text[e++] == '-';
        std::size_t first = e;
        while (e < text.size() && isDigit(text[e])) {
            // Anything beyond this is far outside a double anyway.
            if (exponent < 100000)
                exponent = exponent * 10 + (text[e] - '0');
            ++e;
        }
        // An "E" without digits is no exponent: it may be a suffix letter.
        if (e > first) {
            if (negative)
                exponent = -exponent;
            i = e;
        }
    }
    std::string_view suffix = trimBlanks(text.substr(i));
    for (char c : suffix)
        if (!isAlpha(c))
            return Error::Syntax;
    if (!suffix.empty()) {
        int scale = 0;
        if (!suffixExponent(suffix, quantity, scale))
            return Error::InvalidSuffix;
        exponent += scale;
    }
    // The prefix joins the decimal exponent, so 580 mV reads exactly as 0.58 does.
    number += "e" + std::to_string(exponent);
    const char* first = number.data();
    if (*first == '+')
        ++first;
    double value = 0.0;
    auto [end, ec] = std::from_chars(first, number.data() + number.size(), value);
    if (ec == std::errc::result_out_of_range) {
        // Too small to tell from zero is zero; too large is out of every range.
        if (exponent < 0) {
            value = 0.0;
        } else {
            return Error::DataOutOfRange;
        }
    } else if (ec != std::errc() || end != number.data() + number.size()) {
        return Error::Syntax;
    }
    if (!std::isfinite(value))
        return Error::DataOutOfRange;
    out = value;
    return Error::None;
}

bool readLimitKeyword(std::string_view text, const Limits& limits, double& out) {
    if (isKeyword(text, "MINimum"))
        out = limits.min;
    else if (isKeyword(text, "MAXimum"))
        out = limits.max;
    else if (isKeyword(text, "DEFault"))
        out = limits.def;
    else
        return false;
    return true;
}

Error readSetting(std::string_view text, Quantity quantity, const Limits& limits, double& out) {
    double value = 0.0;
    if (dataKindOf(text) == DataKind::Character) {
        if (!readLimitKeyword(text, limits, value))
            return Error::DataType;
    } else if (Error e = readNumber(text, quantity, value); e != Error::None) {
        return e;
    }
    if (!(value >= limits.min && value <= limits.max))
        return Error::DataOutOfRange;
    out = value;
    return Error::None;
}

Error readBoolean(std::string_view text, bool& out) {
    if (dataKindOf(text) == DataKind::Character) {
        if (isKeyword(text, "ON")) {
            out = true;
            return Error::None;
        }
        if (isKeyword(text, "OFF")) {
            out = false;
            return Error::None;
        }
        return Error::DataType;
    }
    double value = 0.0;
    if (Error e = readNumber(text, Quantity::Plain, value); e != Error::None)
        return e;
    out = std::round(value) != 0.0;
    return Error::None;
}

bool isKeyword(std::string_view text, std::string_view keyword) {
    return mnemonicMatches(text, keyword);
}

} // namespace scpi
