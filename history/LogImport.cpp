#include "history/LogImport.h"

#include "history/TimeText.h"
#include "platform/Clock.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <optional>

namespace history {

namespace {

constexpr std::string_view IsoHeaderStart = "time,";
// No reading of this supply comes near it; a larger number is a damaged field.
constexpr double LargestValue = 1e6;
constexpr std::size_t BlockBytes = 1 << 20;
constexpr std::int64_t LeastGapMs = 3000;

struct Parsed {
    std::int64_t timeMs = 0;
    std::int64_t alternativeMs = 0; // the other meaning of a stamp in a repeated hour
    bool ambiguous = false;
    Entry entry;
    bool runStart = false;
};

bool digits(std::string_view s, std::size_t at, std::size_t n, int& out) {
    if (at + n > s.size())
        return false;
    int v = 0;
    for (std::size_t k = at; k < at + n; ++k) {
        const char c = s[k];
        if (c < '0' || c > '9')
            return false;
        v = v * 10 + (c - '0');
    }
    out = v;
    return true;
}

bool number(std::string_view field, double& out) {
    if (field.empty())
        return false;
    const char* b = field.data();
    const char* e = b + field.size();
    if (*b == '+')
        ++b;
    auto [p, ec] = std::from_chars(b, e, out, std::chars_format::general);
    return ec == std::errc() && p == e && std::isfinite(out) && std::fabs(out) <= LargestValue;
}

bool state(std::string_view field, Entry& e) {
    if (field == "OFF") {
        e.outputOn = false;
        e.constantCurrent = false;
    } else if (field == "CV" || field == "CC") {
        e.outputOn = true;
        e.constantCurrent = field == "CC";
    } else {
        return false;
    }
    return true;
}

// Splits at commas into exactly n fields.
bool split(std::string_view line, std::string_view* fields, std::size_t n) {
    std::size_t k = 0;
    std::size_t from = 0;
    for (;;) {
        const std::size_t comma = line.find(',', from);
        if (k == n)
            return false; // more fields than a line has
        if (comma == std::string_view::npos) {
            fields[k++] = line.substr(from);
            return k == n;
        }
        fields[k++] = line.substr(from, comma - from);
        from = comma + 1;
    }
}

int daysInMonth(int year, int month) {
    static const int days[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return month == 2 && leap ? 29 : days[month - 1];
}

bool validDate(int year, int month, int day, int hour, int minute, int second) {
    return month >= 1 && month <= 12 && day >= 1 && day <= daysInMonth(year, month) && hour <= 23 &&
           minute <= 59 && second <= 59;
}

// The calendar seconds a local hour starts at: one meaning, two in the hour that repeats
// when daylight saving time ends, and for an hour the clock skipped the one after the skip.
// The last hour asked for is remembered, so a log costs one conversion per hour.
class LocalHours {
public:
    int starts(int year, int month, int day, int hour, platform::Seconds out[2]) {
        const int key = ((year * 13 + month) * 32 + day) * 24 + hour;
        if (key != key_) {
            key_ = key;
            count_ = 0;
            for (int dst : {0, 1}) {
                const platform::Seconds t = localSeconds(year, month, day, hour, 0, 0, dst);
                const platform::LocalTime back = platform::toLocalTime(t);
                if (back.year == year && back.month == month && back.day == day &&
                    back.hour == hour && (count_ == 0 || t != starts_[0]))
                    starts_[count_++] = t;
            }
            if (count_ == 0)
                starts_[count_++] = localSeconds(year, month, day, hour, 0, 0);
            if (count_ == 2 && starts_[1] < starts_[0])
                std::swap(starts_[0], starts_[1]);
        }
        out[0] = starts_[0];
        out[1] = starts_[count_ - 1];
        return count_;
    }

private:
    int key_ = -1;
    int count_ = 0;
    platform::Seconds starts_[2] = {0, 0};
};

// "YY/MM/DD HH:MM:SS,Vset,Iset,STATE,V,I"
bool parseLogLine(std::string_view line, LocalHours& hours, Parsed& p) {
    std::string_view f[6];
    if (!split(line, f, 6) || f[0].size() != 17 || f[0][2] != '/' || f[0][5] != '/' ||
        f[0][8] != ' ' || f[0][11] != ':' || f[0][14] != ':')
        return false;
    int yy, mo, d, h, mi, s;
    if (!digits(f[0], 0, 2, yy) || !digits(f[0], 3, 2, mo) || !digits(f[0], 6, 2, d) ||
        !digits(f[0], 9, 2, h) || !digits(f[0], 12, 2, mi) || !digits(f[0], 15, 2, s))
        return false;
    const int year = 2000 + yy;
    if (!validDate(year, mo, d, h, mi, s))
        return false;
    Entry& e = p.entry;
    if (!number(f[1], e.voltageSetpoint) || !number(f[2], e.currentSetpoint) || !state(f[3], e) ||
        !number(f[4], e.volts) || !number(f[5], e.amps))
        return false;
    platform::Seconds starts[2];
    const int meanings = hours.starts(year, mo, d, h, starts);
    const std::int64_t within = (mi * 60 + s) * 1000;
    p.timeMs = starts[0] * 1000 + within;
    p.alternativeMs = starts[1] * 1000 + within;
    p.ambiguous = meanings == 2;
    p.runStart = false;
    return true;
}

// "2026-12-07T21:09:25.500+01:00"
bool parseIsoTime(std::string_view t, std::int64_t& ms) {
    if (t.size() != 29 || t[4] != '-' || t[7] != '-' || t[10] != 'T' || t[13] != ':' ||
        t[16] != ':' || t[19] != '.' || (t[23] != '+' && t[23] != '-') || t[26] != ':')
        return false;
    int y, mo, d, h, mi, s, frac, oh, om;
    if (!digits(t, 0, 4, y) || !digits(t, 5, 2, mo) || !digits(t, 8, 2, d) ||
        !digits(t, 11, 2, h) || !digits(t, 14, 2, mi) || !digits(t, 17, 2, s) ||
        !digits(t, 20, 3, frac) || !digits(t, 24, 2, oh) || !digits(t, 27, 2, om))
        return false;
    if (!validDate(y, mo, d, h, mi, s) || oh > 23 || om > 59)
        return false;
    const std::int64_t offset = (oh * 3600 + om * 60) * (t[23] == '-' ? -1 : 1);
    ms = (daysFromCivil(y, mo, d) * 86400 + h * 3600 + mi * 60 + s - offset) * 1000 + frac;
    return true;
}

// time,voltage_V,current_A,power_W,state,voltage_setpoint_V,current_setpoint_A,gap_before
bool parseIsoLine(std::string_view line, Parsed& p) {
    std::string_view f[8];
    double watts = 0.0;
    Entry& e = p.entry;
    if (!split(line, f, 8) || !parseIsoTime(f[0], p.timeMs) || !number(f[1], e.volts) ||
        !number(f[2], e.amps) || !number(f[3], watts) || !state(f[4], e) ||
        !number(f[5], e.voltageSetpoint) || !number(f[6], e.currentSetpoint) ||
        (f[7] != "0" && f[7] != "1"))
        return false;
    p.alternativeMs = p.timeMs;
    p.ambiguous = false;
    p.runStart = f[7] == "1";
    return true;
}

bool looksBinary(std::string_view head) {
    std::size_t control = 0;
    for (unsigned char c : head) {
        if (c == 0)
            return true;
        if (c < 0x20 && c != '\r' && c != '\n' && c != '\t')
            ++control;
    }
    return control * 20 > head.size();
}

// Feeds the lines of a file or a text to the reader, one block of bytes at a time.
class Reader {
public:
    explicit Reader(HistoryStore& store) : store_(store) { store_.clear(); }

    // Takes bytes; false when the first bytes show that this is no text.
    bool feed(std::string_view bytes) {
        if (!sawBytes_ && !bytes.empty()) {
            sawBytes_ = true;
            if (looksBinary(bytes.substr(0, 4096))) {
                report_.status = ImportStatus::Binary;
                return false;
            }
        }
        std::size_t from = 0;
        for (;;) {
            const std::size_t nl = bytes.find('\n', from);
            if (nl == std::string_view::npos)
                break;
            if (partial_.empty()) {
                line(bytes.substr(from, nl - from));
            } else {
                partial_.append(bytes.substr(from, nl - from));
                line(partial_);
                partial_.clear();
            }
            from = nl + 1;
        }
        // A line longer than any reading is damaged whatever follows; it is not kept whole.
        const std::string_view rest = bytes.substr(from);
        if (partial_.size() < 4096)
            partial_.append(rest.substr(0, 4096));
        return true;
    }

    ImportReport finish() {
        if (report_.status == ImportStatus::Binary)
            return report_;
        if (!partial_.empty())
            line(partial_);
        if (report_.lines == 0)
            report_.status = ImportStatus::Empty;
        else if (report_.readings == 0)
            report_.status = ImportStatus::NothingReadable;
        else
            markGaps();
        report_.dropped = store_.dropped();
        return report_;
    }

private:
    void line(std::string_view text) {
        ++lineNumber_;
        while (!text.empty() && (text.back() == '\r' || text.back() == ' '))
            text.remove_suffix(1);
        if (text.empty())
            return;
        ++report_.lines;
        if (report_.lines == 1 && text.substr(0, IsoHeaderStart.size()) == IsoHeaderStart) {
            iso_ = true;
            return;
        }
        Parsed p;
        if (!(iso_ ? parseIsoLine(text, p) : parseLogLine(text, hours_, p))) {
            ++report_.damaged;
            if (report_.damagedLines.size() < ImportReport::ListedLines)
                report_.damagedLines.push_back(lineNumber_);
            return;
        }
        take(p);
    }

    void take(Parsed& p) {
        // The time the line holds, and its place on the axis, moved on by every step back.
        std::int64_t own = p.timeMs;
        std::int64_t t = own + shiftMs_;
        if (havePrevious_) {
            const std::int64_t alt = p.alternativeMs + shiftMs_;
            // The repeated hour: the meaning that keeps the order.
            if (t < previousMs_ && p.ambiguous && alt >= previousMs_) {
                t = alt;
                own = p.alternativeMs;
            }
            if (t < previousMs_) {
                ++report_.clockBack;
                if (report_.firstClockBackLine == 0)
                    report_.firstClockBackLine = lineNumber_;
                shiftMs_ += previousMs_ - t;
                t = previousMs_;
                p.runStart = true;
            }
        }
        if (p.runStart)
            store_.gap();
        p.entry.timeMs = t;
        p.entry.monotonicMs = t;
        p.entry.stampMs = own;
        store_.append(p.entry);
        previousMs_ = t;
        havePrevious_ = true;
        ++report_.readings;
    }

    // Appended logs and gaps in the polls show as steps far above the usual one.
    void markGaps() {
        const std::size_t n = store_.size();
        if (iso_ || n < 3)
            return;
        std::vector<std::int64_t> steps;
        steps.reserve(n - 1);
        for (std::size_t i = 1; i < n; ++i)
            steps.push_back(store_.timeAt(i) - store_.timeAt(i - 1));
        std::vector<std::int64_t> sorted(steps);
        std::nth_element(sorted.begin(), sorted.begin() + sorted.size() / 2, sorted.end());
        const std::int64_t threshold = std::max(3 * sorted[sorted.size() / 2], LeastGapMs);
        for (std::size_t i = 0; i < steps.size(); ++i)
            if (steps[i] > threshold) {
                store_.setRunStart(i + 1);
                ++report_.gaps;
            }
    }

    HistoryStore& store_;
    ImportReport report_;
    LocalHours hours_;
    std::string partial_;
    std::size_t lineNumber_ = 0;
    bool sawBytes_ = false;
    bool iso_ = false;
    bool havePrevious_ = false;
    std::int64_t previousMs_ = 0;
    std::int64_t shiftMs_ = 0;
};

} // namespace

ImportReport importText(std::string_view text, HistoryStore& store) {
    Reader reader(store);
    reader.feed(text);
    return reader.finish();
}

ImportReport importLog(const std::string& path, HistoryStore& store) {
    // A pipe or a device would keep the reader waiting: only plain files are read.
    std::error_code ec;
    if (std::filesystem::status(path, ec).type() != std::filesystem::file_type::regular) {
        store.clear();
        ImportReport r;
        r.status = ImportStatus::OpenFailed;
        return r;
    }
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> f(std::fopen(path.c_str(), "rb"), &std::fclose);
    if (!f) {
        store.clear();
        ImportReport r;
        r.status = ImportStatus::OpenFailed;
        return r;
    }
    Reader reader(store);
    std::unique_ptr<char[]> block(new char[BlockBytes]);
    for (;;) {
        const std::size_t n = std::fread(block.get(), 1, BlockBytes, f.get());
        if (n == 0)
            break;
        if (!reader.feed(std::string_view(block.get(), n)))
            break;
    }
    if (std::ferror(f.get())) {
        store.clear();
        ImportReport r;
        r.status = ImportStatus::OpenFailed;
        return r;
    }
    return reader.finish();
}

} // namespace history
