#pragma once

#include "scpi/Errors.h"

#include <string_view>

// Parameter values of the instrument language: decimal numbers with units and their SI
// prefixes, MINimum/MAXimum/DEFault, booleans.
namespace scpi {

// What a number measures, so which suffixes it takes. Prefixes are M (milli), U (micro) and
// K (kilo) for every unit: "MA" is milliamperes as common supplies read it, not the mega of
// the SCPI prefix table, which only ohms and hertz would need.
enum class Quantity { Plain, Volts, Amps, Watts, Seconds };

// The range a numeric setting accepts and the values its keywords stand for.
struct Limits {
    double min;
    double max;
    double def;
};

// A decimal number (mantissa, optional exponent, optional suffix) in base units.
// -104 for a keyword, string or block, -131 for a suffix that is not one of the quantity's,
// -102 when the text is not a number at all, -222 when the number is too large for a double.
Error readNumber(std::string_view text, Quantity quantity, double& out);

// MINimum, MAXimum or DEFault as the value it stands for; false for any other text.
bool readLimitKeyword(std::string_view text, const Limits& limits, double& out);

// A number or MINimum, MAXimum, DEFault; -222 outside [min, max] (NaN never passes).
Error readSetting(std::string_view text, Quantity quantity, const Limits& limits, double& out);

// ON, OFF, or a number: 0 is off, any other value rounded to a whole number is on.
Error readBoolean(std::string_view text, bool& out);

// Whether a character parameter is the keyword written as "MAXimum" (short or long form).
bool isKeyword(std::string_view text, std::string_view keyword);

} // namespace scpi
