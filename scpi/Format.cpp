#include "scpi/Format.h"

#include <charconv>
#include <cmath>

namespace scpi {

std::string fixed(double value, int decimals) {
    if (!std::isfinite(value))
        return "9.91E37";
    char buf[400];
    auto [end, ec] =
        std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed, decimals);
    if (ec != std::errc())
        return "9.91E37";
    std::string text(buf, end);
    if (text.front() == '-' && text.find_first_not_of("-0.") == std::string::npos)
        text.erase(0, 1);
    return text;
}

} // namespace scpi
