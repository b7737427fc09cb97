#include "config/CIni.h"

#include "platform/Cp932.h"
#include "platform/Files.h"
#include "platform/Paths.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <vector>

namespace ini {

namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

std::string trim(const std::string& s) {
    std::size_t b = 0;
    std::size_t e = s.size();
    while (b < e && isBlank(s[b]))
        ++b;
    while (e > b && isBlank(s[e - 1]))
        --e;
    return s.substr(b, e - b);
}

// Position of the first `c` that is a character of its own, not the trail byte of a
// double-byte character; npos when there is none.
std::size_t findChar(const std::string& s, char c, std::size_t from = 0) {
    for (std::size_t i = from; i < s.size(); ++i) {
        if (s[i] == c)
            return i;
        if (platform::isCp932LeadByte(static_cast<unsigned char>(s[i])))
            ++i;
    }
    return std::string::npos;
}

std::string dropQuotes(const std::string& v) {
    if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front())
        return v.substr(1, v.size() - 2);
    return v;
}

// One line of the file: its text without the line end, and where it lies.
struct Line {
    std::size_t begin;   // first byte
    std::size_t textEnd; // first byte of the line end (or of the next line)
    std::size_t end;     // first byte of the next line
    std::string text;
};

std::vector<Line> splitLines(const std::string& content) {
    std::vector<Line> lines;
    std::size_t pos = 0;
    // A byte-order mark left by an editor is not part of the first line's text.
    if (content.compare(0, 3, "\xEF\xBB\xBF") == 0)
        pos = 3;
    while (pos < content.size()) {
        std::size_t lf = content.find('\n', pos);
        std::size_t end = lf == std::string::npos ? content.size() : lf + 1;
        std::size_t textEnd = lf == std::string::npos ? content.size() : lf;
        if (textEnd > pos && content[textEnd - 1] == '\r')
            --textEnd;
        lines.push_back({pos, textEnd, end, content.substr(pos, textEnd - pos)});
        pos = end;
    }
    return lines;
}

// The section name of a section line.
std::optional<std::string> sectionName(const std::string& text) {
    std::string t = trim(text);
    if (t.empty() || t[0] != '[')
        return std::nullopt;
    std::size_t close = findChar(t, ']', 1);
    return trim(t.substr(1, close == std::string::npos ? std::string::npos : close - 1));
}

// Where the first matching section's lines lie: the index of its section line and of the
// line after its last one.
struct SectionSpan {
    std::size_t header;
    std::size_t end;
};

std::optional<SectionSpan> findSection(const std::vector<Line>& lines, const std::string& section) {
    for (std::size_t i = 0; i < lines.size(); ++i) {
        auto name = sectionName(lines[i].text);
        if (!name || !namesEqual(*name, section))
            continue;
        std::size_t j = i + 1;
        while (j < lines.size() && !sectionName(lines[j].text))
            ++j;
        return SectionSpan{i, j};
    }
    return std::nullopt;
}

// Index of the first line of the span that sets the key.
std::optional<std::size_t> findKey(const std::vector<Line>& lines, SectionSpan span,
                                   const std::string& key) {
    for (std::size_t i = span.header + 1; i < span.end; ++i) {
        std::size_t eq = findChar(lines[i].text, '=');
        if (eq != std::string::npos && namesEqual(trim(lines[i].text.substr(0, eq)), key))
            return i;
    }
    return std::nullopt;
}

// What the last line of a file needs before a line can follow it: nothing after its LF, the
// LF after a lone CR (read as its line end, so CR LF would leave a CR in its text), CR LF
// when it has no line end at all.
std::string missingLineEnd(const std::string& content, const Line& line) {
    if (line.end == line.textEnd)
        return "\r\n";
    return content[line.end - 1] == '\n' ? "" : "\n";
}

} // namespace

bool namesEqual(const std::string& a, const std::string& b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        unsigned char x = static_cast<unsigned char>(a[i]);
        unsigned char y = static_cast<unsigned char>(b[i]);
        if (platform::isCp932LeadByte(x)) {
            if (x != y || i + 1 >= a.size() || a[i + 1] != b[i + 1])
                return false;
            ++i;
            continue;
        }
        if (x >= 'A' && x <= 'Z')
            x = static_cast<unsigned char>(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z')
            y = static_cast<unsigned char>(y - 'A' + 'a');
        if (x != y)
            return false;
    }
    return true;
}

std::string cutCp932(const std::string& text, std::size_t n) {
    std::size_t i = 0;
    while (i < text.size() && i < n) {
        if (platform::isCp932LeadByte(static_cast<unsigned char>(text[i]))) {
            if (i + 1 >= n)
                break;
            i += 2;
        } else {
            ++i;
        }
    }
    return text.substr(0, std::min(i, text.size()));
}

std::optional<std::string> findValue(const std::string& content, const std::string& section,
                                     const std::string& key) {
    auto lines = splitLines(content);
    auto span = findSection(lines, section);
    if (!span)
        return std::nullopt;
    auto at = findKey(lines, *span, key);
    if (!at)
        return std::nullopt;
    const std::string& text = lines[*at].text;
    return dropQuotes(trim(text.substr(findChar(text, '=') + 1)));
}

std::string setValue(const std::string& content, const std::string& section, const std::string& key,
                     const std::string& value) {
    auto lines = splitLines(content);
    auto span = findSection(lines, section);
    if (span) {
        if (auto at = findKey(lines, *span, key)) {
            // Only the value changes: the key as the file spells it, the blanks around the
            // equals sign and the line end stay.
            const Line& line = lines[*at];
            std::size_t valueAt = findChar(line.text, '=') + 1;
            while (valueAt < line.text.size() && isBlank(line.text[valueAt]))
                ++valueAt;
            std::string out = content;
            out.replace(line.begin + valueAt, line.textEnd - line.begin - valueAt, value);
            return out;
        }
        // A new key goes below the last line of the section that has any text, so the blank
        // lines that part it from the next section stay below it.
        std::size_t last = span->header;
        for (std::size_t i = span->header + 1; i < span->end; ++i)
            if (!trim(lines[i].text).empty())
                last = i;
        const Line& after = lines[last];
        std::string out = content.substr(0, after.end);
        out += missingLineEnd(content, after);
        out += key + "=" + value + "\r\n";
        out += content.substr(after.end);
        return out;
    }
    std::string out = content;
    if (!lines.empty()) {
        out += missingLineEnd(content, lines.back());
        // A blank line parts the new section from the text above it.
        if (!trim(lines.back().text).empty())
            out += "\r\n";
    }
    out += "[" + section + "]\r\n" + key + "=" + value + "\r\n";
    return out;
}

} // namespace ini

namespace {

std::function<bool(const std::string&)>& beforeReplaceHook() {
    static std::function<bool(const std::string&)> hook;
    return hook;
}

// A line break in a name or value would split its line and change the meaning of the
// file; an equals sign in a key or a bracket in a section name would never be found again.
bool writable(const std::string& section, const std::string& key, const std::string& value) {
    auto hasBreak = [](const std::string& s) { return s.find_first_of("\r\n") != s.npos; };
    return !hasBreak(section) && !hasBreak(key) && !hasBreak(value) &&
           ini::findChar(section, ']') == std::string::npos &&
           ini::findChar(key, '=') == std::string::npos;
}

// strtoul of a 32-bit run-time: blanks skipped, an optional sign, "0x" allowed in base 16,
// digits up to the first other character; out of range gives the largest value, and a
// minus negates in unsigned arithmetic.
std::uint32_t toUnsigned(const char* s, int base) {
    while (*s == ' ' || (*s >= '\t' && *s <= '\r'))
        ++s;
    bool negative = false;
    if (*s == '+' || *s == '-') {
        negative = *s == '-';
        ++s;
    }
    auto digit = [base](char c) -> int {
        int d = c >= '0' && c <= '9'   ? c - '0'
                : c >= 'a' && c <= 'z' ? c - 'a' + 10
                : c >= 'A' && c <= 'Z' ? c - 'A' + 10
                                       : 99;
        return d < base ? d : -1;
    };
    if (base == 16 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X') && digit(s[2]) >= 0)
        s += 2;
    std::uint64_t v = 0;
    bool overflow = false;
    for (; digit(*s) >= 0; ++s) {
        v = v * static_cast<unsigned>(base) + static_cast<unsigned>(digit(*s));
        if (v > UINT32_MAX) {
            overflow = true;
            v = UINT32_MAX;
        }
    }
    if (overflow)
        return UINT32_MAX;
    std::uint32_t u = static_cast<std::uint32_t>(v);
    return negative ? static_cast<std::uint32_t>(0u - u) : u;
}

// strtol(..., 10) != 0: any leading number with a non-zero digit is non-zero, also when it is
// out of range.
bool leadingNumberIsNonZero(const char* s) {
    while (*s == ' ' || (*s >= '\t' && *s <= '\r'))
        ++s;
    if (*s == '+' || *s == '-')
        ++s;
    for (; *s >= '0' && *s <= '9'; ++s)
        if (*s != '0')
            return true;
    return false;
}

} // namespace

CIni::CIni(const char* path) {
    SetFilePath(path);
}

CIni::~CIni() = default;

void CIni::SetFilePath(const char* path) {
    path_ = path ? path : "";
}

void CIni::setBeforeReplaceHookForTest(std::function<bool(const std::string&)> h) {
    beforeReplaceHook() = std::move(h);
}

std::string CIni::ReadWholeText(const char* section, const char* key, const char* def) const {
    std::string fallback = def ? def : "";
    if (!section || !key)
        return fallback;
    std::string content;
    if (platform::readRegularFile(path_, content) != platform::FileRead::Ok)
        return fallback;
    auto v = ini::findValue(content, section, key);
    return v ? *v : fallback;
}

int CIni::ReadText(const char* section, const char* key, char* dest, int capacity,
                   const char* def) const {
    if (dest && capacity > 0)
        dest[0] = '\0';
    std::string whole = ReadWholeText(section, key, def);
    // The value ends at its first NUL, as a C text would.
    whole.resize(std::strlen(whole.c_str()));
    if (capacity <= 0)
        return 0;
    std::size_t cap = static_cast<std::size_t>(capacity);
    if (dest) {
        std::string copied = ini::cutCp932(whole, cap);
        std::memcpy(dest, copied.data(), copied.size());
        std::memset(dest + copied.size(), 0, cap - copied.size());
    }
    return whole.size() >= cap ? capacity : static_cast<int>(whole.size());
}

bool CIni::WriteText(const char* section, const char* key, const char* value) const {
    if (!section || !key)
        return false;
    std::string v = value ? value : "";
    if (!writable(section, key, v))
        return false;
    std::string content;
    const platform::FileRead read = platform::readRegularFile(path_, content);
    if (read == platform::FileRead::Failed)
        return false; // never rewrite a file whose content could not be read
    if (path_.empty())
        return false;
    if (read == platform::FileRead::Missing && !folderToMake_.empty())
        platform::makeDirectories(folderToMake_);
    return platform::replaceFile(path_, ini::setValue(content, section, key, v),
                                 beforeReplaceHook());
}

int CIni::ReadNumber(const char* section, const char* key, int def, int base) const {
    char buffer[NumberCapacity + 1] = {};
    ReadText(section, key, buffer, NumberCapacity, nullptr);
    if (buffer[0] == '\0')
        return def;
    if (base != 2 && base != 8 && base != 16)
        base = 10;
    return static_cast<int>(toUnsigned(buffer, base));
}

bool CIni::WriteNumber(const char* section, const char* key, int value, int base) const {
    char buffer[NumberCapacity + 1] = {};
    std::uint32_t u = static_cast<std::uint32_t>(value);
    switch (base) {
    case 2: {
        // Least significant digit first, then turned round.
        int n = 0;
        do {
            buffer[n++] = static_cast<char>('0' + (u & 1u));
            u >>= 1;
        } while (u != 0 && n < NumberCapacity);
        for (int i = 0, j = n - 1; i < j; ++i, --j)
            std::swap(buffer[i], buffer[j]);
        break;
    }
    case 8:
        std::snprintf(buffer, sizeof buffer, "%o", u);
        break;
    case 16:
        std::snprintf(buffer, sizeof buffer, "%X", u);
        break;
    default:
        std::snprintf(buffer, sizeof buffer, "%d", value);
        break;
    }
    return WriteText(section, key, buffer);
}

int CIni::ReadFlag(const char* section, const char* key, int def) const {
    char buffer[NumberCapacity + 1] = {};
    ReadText(section, key, buffer, NumberCapacity, nullptr);
    if (buffer[0] == '\0')
        return def;
    if (ini::namesEqual(buffer, "true") || ini::namesEqual(buffer, "yes"))
        return 1;
    return leadingNumberIsNonZero(buffer) ? 1 : 0;
}

bool CIni::WriteFlag(const char* section, const char* key, int flag) const {
    return WriteNumber(section, key, flag ? 1 : 0, 10);
}
