// CIni reads and writes on arbitrary file content.
//
// Input layout: byte 0 picks the section (bits 0-2), the key (bits 3-5) and the write
// (bits 6-7: text twice as often as number or flag); byte 1 is the length of the value that
// follows; everything after the value is the file's content.
//
// Checked on every input:
// - reads stay within their buffers and give what the typed rules say;
// - a write of a value with a line break fails and leaves the file as it was;
// - any other write succeeds, changes only the key's own line (or adds it, with its section
//   line and a blank line when the section is new), keeps every other line byte for byte, is
//   read back as written, leaves every other name pair reading as before, and a second write
//   of the same value changes nothing.
#include "fuzz/FuzzSupport.h"
#include "fuzz/FuzzTargets.h"

#include "config/CIni.h"

#include <cstdio>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace {

constexpr const char* Target = "Ini";

// Names as the program and a hand-edited file use them: case variants, cp932 names whose
// trail bytes look like ASCII ("\x5C" and "]"), half-width katakana.
const char* const Sections[8] = {
    "QUOREL",
    "quorel",
    "Other",
    "\x90\xDD\x92\xE8" /* 設定 */,
    "\x83\x5D\x81\x5B\x83\x93" /* ゾーン */,
    "\xC3\xBD\xC4" /* ﾃｽﾄ */,
    "QUOREL2",
    "a",
};
const char* const Keys[8] = {
    "ComPort",
    "PLOTSPAN",
    "SysLogFileName",
    "\x95\x5C\x8E\xA6" /* 表示 */,
    "\x83\x5C\x83\x74\x83\x67" /* ソフト */,
    "\xB7\xB0" /* ｷｰ */,
    "UseSysLogFile",
    "x",
};

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

// What a read of a written value gives: blanks around it dropped, then one pair of quotes.
std::string readBackOf(const std::string& value) {
    std::size_t b = 0;
    std::size_t e = value.size();
    while (b < e && isBlank(value[b]))
        ++b;
    while (e > b && isBlank(value[e - 1]))
        --e;
    std::string v = value.substr(b, e - b);
    if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front())
        v = v.substr(1, v.size() - 2);
    return v;
}

// The lines of a file, each with its line end.
std::vector<std::string> linesOf(const std::string& content) {
    std::vector<std::string> lines;
    std::size_t pos = 0;
    while (pos < content.size()) {
        std::size_t lf = content.find('\n', pos);
        std::size_t end = lf == std::string::npos ? content.size() : lf + 1;
        lines.push_back(content.substr(pos, end - pos));
        pos = end;
    }
    return lines;
}

std::string lineEndOf(const std::string& line, bool lastOfFile) {
    if (line.size() >= 2 && line.compare(line.size() - 2, 2, "\r\n") == 0)
        return "\r\n";
    if (!line.empty() && line.back() == '\n')
        return "\n";
    if (lastOfFile && !line.empty() && line.back() == '\r')
        return "\r";
    return "";
}

bool endsWith(const std::string& s, const std::string& tail) {
    return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

// Why `after` is not `before` with only the key's line written; empty when it is.
std::string unrelatedLinesChanged(const std::string& before, const std::string& after,
                                  const std::string& section, const std::string& key,
                                  const std::string& value) {
    const auto o = linesOf(before);
    const auto n = linesOf(after);
    std::size_t a = 0;
    while (a < o.size() && a < n.size() && o[a] == n[a])
        ++a;
    std::size_t b = 0;
    while (b < o.size() - a && b < n.size() - a && o[o.size() - 1 - b] == n[n.size() - 1 - b])
        ++b;
    std::vector<std::string> removed(o.begin() + a, o.end() - b);
    std::vector<std::string> added(n.begin() + a, n.end() - b);
    const std::string keyLine = key + "=" + value + "\r\n";

    auto onlyNewLines = [&](std::size_t from) -> std::string {
        int keyLines = 0;
        for (std::size_t i = from; i < added.size(); ++i) {
            if (added[i] == keyLine)
                ++keyLines;
            else if (added[i] != "\r\n" && added[i] != "[" + section + "]\r\n")
                return "added line '" + fuzzsupport::escaped(added[i]) + "'";
        }
        return keyLines == 1 ? "" : "added " + std::to_string(keyLines) + " key lines";
    };

    if (removed.empty() && added.empty())
        return ""; // the key held this value already
    if (removed.empty())
        return onlyNewLines(0);
    if (removed.size() > 1)
        return std::to_string(removed.size()) + " lines changed, the first '" +
               fuzzsupport::escaped(removed[0]) + "'";
    const std::string& old = removed[0];
    const bool lastOfFile = a + 1 == o.size();
    // The key's own line: the same up to and after its value.
    if (added.size() == 1) {
        const std::string end = lineEndOf(old, lastOfFile);
        const std::string& now = added[0];
        if (endsWith(now, value + end)) {
            std::string head = now.substr(0, now.size() - value.size() - end.size());
            if (old.compare(0, head.size(), head) == 0 && head.find('=') != std::string::npos &&
                old.size() >= head.size() + end.size())
                return "";
        }
    }
    // The last line of the file gets the line end it lacked (the LF of a lone CR), then new
    // lines follow.
    if (lastOfFile && b == 0 && !added.empty() && !endsWith(old, "\n") &&
        added[0] == old + (endsWith(old, "\r") ? "\n" : "\r\n"))
        return onlyNewLines(1);
    // A file of nothing but a byte-order mark: the new section follows the mark.
    const std::string bom = "\xEF\xBB\xBF";
    if (old == bom && lastOfFile && !added.empty() && added[0] == bom + "[" + section + "]\r\n")
        return onlyNewLines(1);
    return "line '" + fuzzsupport::escaped(old) + "' changed";
}

struct Pick {
    const char* section;
    const char* key;
    int write; // 0, 1 text; 2 number; 3 flag
    std::string value;
    std::string content;
};

Pick pick(const std::uint8_t* data, std::size_t size) {
    Pick p{Sections[0], Keys[0], 0, "", ""};
    if (size == 0)
        return p;
    p.section = Sections[data[0] & 7];
    p.key = Keys[(data[0] >> 3) & 7];
    p.write = data[0] >> 6;
    std::size_t length = size > 1 ? std::min<std::size_t>(data[1], size - 2) : 0;
    const char* bytes = reinterpret_cast<const char*>(data);
    if (size > 1) {
        p.value.assign(bytes + 2, length);
        p.content.assign(bytes + 2 + length, size - 2 - length);
    }
    // Values pass through C texts: they end at their first NUL.
    p.value.resize(std::strlen(p.value.c_str()));
    return p;
}

void checkReads(const CIni& ini, const Pick& p, std::size_t capacity) {
    std::string whole = ini.ReadWholeText(p.section, p.key, nullptr);
    whole.resize(std::strlen(whole.c_str()));

    // A buffer of exactly the capacity, so that a byte written past it is caught.
    auto dest = std::make_unique<char[]>(capacity);
    std::memset(dest.get(), 'Z', capacity);
    int got = ini.ReadText(p.section, p.key, dest.get(), static_cast<int>(capacity), nullptr);
    const std::size_t full = std::min(whole.size(), capacity);
    FUZZ_CHECK(Target, got == static_cast<int>(full), "ReadText gave " + std::to_string(got));
    std::size_t copied = 0;
    while (copied < capacity && dest[copied] != '\0')
        ++copied;
    FUZZ_CHECK(Target, copied == full || copied + 1 == full, "copied " + std::to_string(copied));
    FUZZ_CHECK(Target, whole.compare(0, copied, dest.get(), copied) == 0, "copy is no prefix");
    for (std::size_t i = copied; i < capacity; ++i)
        FUZZ_CHECK(Target, dest[i] == '\0', "rest of the capacity not cleared");

    int flag = ini.ReadFlag(p.section, p.key, 7);
    FUZZ_CHECK(Target, flag == 0 || flag == 1 || (flag == 7 && whole.empty()),
               "flag " + std::to_string(flag));
    if (whole.empty())
        FUZZ_CHECK(Target, ini.ReadNumber(p.section, p.key, -77, 10) == -77, "empty not default");
    else
        ini.ReadNumber(p.section, p.key, -77, 16);
}

// Every name pair but the written one reads the same before and after a write.
std::vector<std::optional<std::string>> otherValues(const std::string& content, const Pick& p) {
    std::vector<std::optional<std::string>> values;
    for (const char* s : Sections)
        for (const char* k : Keys)
            if (!(ini::namesEqual(s, p.section) && ini::namesEqual(k, p.key)))
                values.push_back(ini::findValue(content, s, k));
    return values;
}

// The value text a number or flag write puts into the file, and the read that checks it.
struct NumberWrite {
    int value;
    int base;
};

NumberWrite numberOf(const Pick& p) {
    std::uint32_t u = 0;
    for (std::size_t i = 0; i < p.value.size() && i < 4; ++i)
        u |= static_cast<std::uint32_t>(static_cast<unsigned char>(p.value[i])) << (8 * i);
    static const int bases[4] = {0, 2, 8, 16};
    return {static_cast<int>(u), bases[p.value.size() % 4]};
}

std::string numberText(NumberWrite w) {
    auto u = static_cast<std::uint32_t>(w.value);
    char buffer[40];
    switch (w.base) {
    case 2: {
        std::string digits;
        do {
            digits.insert(digits.begin(), static_cast<char>('0' + (u & 1u)));
            u >>= 1;
        } while (u != 0);
        return digits;
    }
    case 8:
        std::snprintf(buffer, sizeof buffer, "%o", u);
        return buffer;
    case 16:
        std::snprintf(buffer, sizeof buffer, "%X", u);
        return buffer;
    default:
        std::snprintf(buffer, sizeof buffer, "%d", w.value);
        return buffer;
    }
}

} // namespace

int fuzzIni(const std::uint8_t* data, std::size_t size) {
    const Pick p = pick(data, size);
    static const std::string path = fuzzsupport::scratchDir() + "/Quorel.ini";
    fuzzsupport::writeFile(path, p.content);
    CIni ini(path.c_str());

    checkReads(ini, p, 1 + (size * 7 + p.value.size()) % 40);
    const auto othersBefore = otherValues(p.content, p);

    std::string written;
    bool ok = false;
    if (p.write < 2) {
        written = p.value;
        ok = ini.WriteText(p.section, p.key, p.value.c_str());
        if (p.value.find_first_of("\r\n") != std::string::npos) {
            FUZZ_CHECK(Target, !ok, "a value with a line break was written");
            FUZZ_CHECK(Target, fuzzsupport::readFile(path) == p.content, "refused write changed");
            return 0;
        }
    } else if (p.write == 2) {
        NumberWrite w = numberOf(p);
        ok = ini.WriteNumber(p.section, p.key, w.value, w.base);
        FUZZ_CHECK(Target, ini.ReadNumber(p.section, p.key, 0, w.base) == w.value,
                   "number " + std::to_string(w.value) + " in base " + std::to_string(w.base));
        written = numberText(w);
    } else {
        int flag = p.value.empty() ? 0 : p.value[0] & 1;
        ok = ini.WriteFlag(p.section, p.key, flag);
        FUZZ_CHECK(Target, ini.ReadFlag(p.section, p.key, 7) == flag, "flag read back");
        written = flag ? "1" : "0";
    }
    FUZZ_CHECK(Target, ok, "write failed");

    const std::string after = fuzzsupport::readFile(path);
    std::string why = unrelatedLinesChanged(p.content, after, p.section, p.key, written);
    FUZZ_CHECK(Target, why.empty(), why);
    FUZZ_CHECK(Target, ini.ReadWholeText(p.section, p.key, "-") == readBackOf(written),
               "read back '" + fuzzsupport::escaped(ini.ReadWholeText(p.section, p.key, "-")) +
                   "'");
    FUZZ_CHECK(Target, otherValues(after, p) == othersBefore, "another name pair changed");

    // Writing the same again changes nothing (a value starting with a blank is the exception:
    // the blanks after the equals sign belong to the line, not to the value).
    if (written.empty() || !isBlank(written[0])) {
        FUZZ_CHECK(Target, ini.WriteText(p.section, p.key, written.c_str()), "second write");
        FUZZ_CHECK(Target, fuzzsupport::readFile(path) == after, "second write changed the file");
    }
    return 0;
}
