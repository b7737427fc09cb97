#include "scpi/Syntax.h"

#include <cctype>

namespace scpi {

namespace {

bool isAlpha(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

bool isMnemonicChar(char c) {
    return isAlpha(c) || (c >= '0' && c <= '9') || c == '_';
}

char upper(char c) {
    return static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
}

bool sameLetters(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (upper(a[i]) != upper(b[i]))
            return false;
    return true;
}

// Past a quoted string that starts at `pos`; npos when it does not end. A doubled quote
// stands for the quote itself.
std::size_t skipString(std::string_view text, std::size_t pos) {
    const char quote = text[pos];
    for (std::size_t i = pos + 1; i < text.size(); ++i) {
        if (text[i] != quote)
            continue;
        if (i + 1 < text.size() && text[i + 1] == quote) {
            ++i;
            continue;
        }
        return i + 1;
    }
    return std::string_view::npos;
}

// A mnemonic from `pos`; its end, or pos when there is none.
std::size_t mnemonicEnd(std::string_view text, std::size_t pos) {
    if (pos >= text.size() || !isAlpha(text[pos]))
        return pos;
    std::size_t end = pos + 1;
    while (end < text.size() && isMnemonicChar(text[end]))
        ++end;
    return end;
}

Error splitParameters(std::string_view text, std::vector<std::string_view>& out) {
    std::size_t start = 0;
    std::size_t i = 0;
    while (true) {
        if (i < text.size() && (text[i] == '"' || text[i] == '\'')) {
            i = skipString(text, i);
            if (i == std::string_view::npos)
                return Error::Syntax;
            continue;
        }
        if (i == text.size() || text[i] == ',') {
            std::string_view p = trimBlanks(text.substr(start, i - start));
            if (p.empty())
                return Error::Syntax;
            out.push_back(p);
            if (i == text.size())
                return Error::None;
            start = ++i;
            continue;
        }
        ++i;
    }
}

} // namespace

std::string_view trimBlanks(std::string_view text) {
    while (!text.empty() && isBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && isBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

bool mnemonicMatches(std::string_view typed, std::string_view mnemonic) {
    std::size_t shortLength = 0;
    while (shortLength < mnemonic.size() &&
           !std::islower(static_cast<unsigned char>(mnemonic[shortLength])))
        ++shortLength;
    return sameLetters(typed, mnemonic) || sameLetters(typed, mnemonic.substr(0, shortLength));
}

bool UnitSplitter::next(std::string_view& unit) {
    while (!done_) {
        std::size_t start = pos_;
        std::size_t i = pos_;
        while (i < line_.size() && line_[i] != ';') {
            if (line_[i] == '"' || line_[i] == '\'') {
                i = skipString(line_, i);
                if (i == std::string_view::npos) {
                    i = line_.size(); // the unit's parse reports the open string
                    break;
                }
                continue;
            }
            ++i;
        }
        if (i >= line_.size())
            done_ = true;
        pos_ = i + 1;
        unit = line_.substr(start, i - start);
        // Empty units (";;", a trailing ";") do nothing.
        if (!trimBlanks(unit).empty())
            return true;
    }
    return false;
}

Error parseUnit(std::string_view text, ProgramUnit& out) {
    out = {};
    text = trimBlanks(text);
    std::size_t pos = 0;
    if (pos < text.size() && text[pos] == '*') {
        out.common = true;
        ++pos;
    } else if (pos < text.size() && text[pos] == ':') {
        out.absolute = true;
        ++pos;
    }
    while (true) {
        std::size_t end = mnemonicEnd(text, pos);
        if (end == pos)
            return Error::Syntax;
        out.nodes.push_back(text.substr(pos, end - pos));
        pos = end;
        if (out.common || pos >= text.size() || text[pos] != ':')
            break;
        ++pos;
    }
    if (pos < text.size() && text[pos] == '?') {
        out.query = true;
        ++pos;
    }
    if (pos == text.size())
        return Error::None;
    // Header and parameters are separated by blanks.
    if (!isBlank(text[pos]))
        return Error::Syntax;
    return splitParameters(text.substr(pos), out.parameters);
}

DataKind dataKindOf(std::string_view parameter) {
    if (parameter.empty())
        return DataKind::Other;
    char c = parameter.front();
    if ((c >= '0' && c <= '9') || c == '+' || c == '-' || c == '.')
        return DataKind::Numeric;
    if (isAlpha(c))
        return DataKind::Character;
    if (c == '"' || c == '\'')
        return DataKind::String;
    return DataKind::Other;
}

} // namespace scpi
