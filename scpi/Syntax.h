#pragma once

#include "scpi/Errors.h"

#include <string_view>
#include <vector>

// The syntax of one program message line: units separated by ";", each a header with its
// parameters (IEEE 488.2 section 7). Nothing here knows the commands.
namespace scpi {

// Blanks are every byte up to the space (the line end never reaches here).
inline bool isBlank(char c) {
    return static_cast<unsigned char>(c) <= 0x20;
}

std::string_view trimBlanks(std::string_view text);

// Whether a typed mnemonic names `mnemonic`, written as the command table writes it
// ("VOLTage"): its upper-case letters (the short form, VOLT) or the whole word (the long
// form, VOLTAGE), in any case; nothing in between.
bool mnemonicMatches(std::string_view typed, std::string_view mnemonic);

// One program message unit as typed. The views point into the line.
struct ProgramUnit {
    bool common = false;   // "*IDN?": nodes holds the one mnemonic without "*"
    bool absolute = false; // a leading ":" starts at the root instead of the current path
    bool query = false;
    std::vector<std::string_view> nodes;
    std::vector<std::string_view> parameters; // each without blanks around it
};

// The units of a line, one after the other: ";" outside quoted strings separates them.
class UnitSplitter {
public:
    explicit UnitSplitter(std::string_view line) : line_(line) {}
    // The next unit's text; false at the end of the line.
    bool next(std::string_view& unit);

private:
    std::string_view line_;
    std::size_t pos_ = 0;
    bool done_ = false;
};

// Reads one unit's text (not blank). Syntax errors give -102.
Error parseUnit(std::string_view text, ProgramUnit& out);

// What kind of data a parameter is, from its first character.
enum class DataKind {
    Numeric,   // a decimal number, maybe with a suffix: 5, -1.5e-3, 500 mV
    Character, // a keyword: ON, MAX, INFinity
    String,    // '...' or "..."
    Other,     // a block, a non-decimal number: never accepted
};
DataKind dataKindOf(std::string_view parameter);

} // namespace scpi
