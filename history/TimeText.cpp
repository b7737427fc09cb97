#include "history/TimeText.h"

#include <cstdio>
#include <cstdlib>
#include <ctime>

namespace history {

std::int64_t daysFromCivil(int year, int month, int day) {
    // Counted from 1 March so that the leap day ends the year.
    const std::int64_t y = year - (month <= 2 ? 1 : 0);
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const std::int64_t yoe = y - era * 400;
    const std::int64_t doy = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const std::int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

platform::Seconds localSeconds(int year, int month, int day, int hour, int minute, int second,
                               int dst) {
    std::tm tm{};
    tm.tm_year = year - 1900;
    tm.tm_mon = month - 1;
    tm.tm_mday = day;
    tm.tm_hour = hour;
    tm.tm_min = minute;
    tm.tm_sec = second;
    tm.tm_isdst = dst;
    return static_cast<platform::Seconds>(std::mktime(&tm));
}

int utcOffsetSeconds(platform::Seconds t) {
    const platform::LocalTime l = platform::toLocalTime(t);
    const std::int64_t asUtc =
        daysFromCivil(l.year, l.month, l.day) * 86400 + l.hour * 3600 + l.minute * 60 + l.second;
    return static_cast<int>(asUtc - t);
}

std::string isoTime(std::int64_t ms) {
    const platform::Seconds s = floorSeconds(ms);
    const platform::LocalTime l = platform::toLocalTime(s);
    const int offset = utcOffsetSeconds(s);
    const int off = std::abs(offset);
    char buf[64];
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02dT%02d:%02d:%02d.%03d%c%02d:%02d", l.year, l.month,
                  l.day, l.hour, l.minute, l.second, static_cast<int>(ms - s * 1000),
                  offset < 0 ? '-' : '+', off / 3600, off / 60 % 60);
    return buf;
}

std::string logTime(std::int64_t ms) {
    const platform::LocalTime l = platform::toLocalTime(floorSeconds(ms));
    char buf[32];
    std::snprintf(buf, sizeof buf, "%02d/%02d/%02d %02d:%02d:%02d", l.year % 100, l.month, l.day,
                  l.hour, l.minute, l.second);
    return buf;
}

std::string readoutTime(std::int64_t ms, bool tenths) {
    const platform::Seconds s = floorSeconds(ms);
    const platform::LocalTime l = platform::toLocalTime(s);
    char buf[48];
    if (tenths)
        std::snprintf(buf, sizeof buf, "%04d/%02d/%02d %02d:%02d:%02d.%d", l.year, l.month, l.day,
                      l.hour, l.minute, l.second, static_cast<int>((ms - s * 1000) / 100));
    else
        std::snprintf(buf, sizeof buf, "%04d/%02d/%02d %02d:%02d:%02d", l.year, l.month, l.day,
                      l.hour, l.minute, l.second);
    return buf;
}

} // namespace history
