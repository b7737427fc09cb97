#include "support/CaseNames.h"

#include <cctype>

namespace casenames {

std::string word(const std::string& text) {
    std::string out;
    bool separate = false;
    auto put = [&](const std::string& part) {
        if (separate && !out.empty())
            out += '_';
        separate = false;
        out += part;
    };
    for (std::size_t i = 0; i < text.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if (std::isalnum(c))
            put(std::string(1, static_cast<char>(c)));
        else if (c == '-' && i + 1 < text.size() &&
                 std::isdigit(static_cast<unsigned char>(text[i + 1])))
            put("Minus");
        else if (c == '.')
            put("p");
        else if (c == '"')
            put("Quote");
        else
            separate = true;
    }
    return out.empty() ? "Empty" : out;
}

std::string number(long long value) {
    return value < 0 ? "Minus" + std::to_string(-value) : std::to_string(value);
}

} // namespace casenames
