#pragma once

#include <string>

// Numbers in replies: plain decimal with a full stop whatever the process's locale, since a
// comma would split a reply into two values.
namespace scpi {

// "%.Nf" without the locale; no "-0.00"; a value that is not a number answers 9.91E37, the
// instrument language's not-a-number.
std::string fixed(double value, int decimals);

// Set-points and readings as the panel shows them.
inline std::string volts(double v) {
    return fixed(v, 2);
}
inline std::string amps(double a) {
    return fixed(a, 3);
}
inline std::string watts(double w) {
    return fixed(w, 3);
}

} // namespace scpi
