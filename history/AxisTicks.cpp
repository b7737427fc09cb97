#include "history/AxisTicks.h"

#include "history/TimeText.h"

#include <cmath>
#include <cstdio>

namespace history {

double niceStep(double rough) {
    if (!(rough > 0) || !std::isfinite(rough))
        return 1.0;
    const double power = std::pow(10.0, std::floor(std::log10(rough)));
    for (double m : {1.0, 2.0, 5.0, 10.0})
        if (m * power >= rough * (1 - 1e-9))
            return m * power;
    return 10.0 * power;
}

int decimalsFor(double step) {
    if (!(step > 0))
        return 0;
    const int d = static_cast<int>(std::ceil(-std::log10(step) - 1e-9));
    return d < 0 ? 0 : d > 9 ? 9 : d;
}

std::vector<Tick> valueTicks(double min, double max, int maxTicks) {
    std::vector<Tick> out;
    if (!(max > min) || !std::isfinite(min) || !std::isfinite(max))
        return out;
    if (maxTicks < 2)
        maxTicks = 2;
    const double step = niceStep((max - min) / (maxTicks - 1));
    const int decimals = decimalsFor(step);
    for (double k = std::ceil(min / step - 1e-9); k * step <= max + step * 1e-9; k += 1) {
        Tick t;
        t.position = k * step;
        if (std::fabs(t.position) < step * 1e-9)
            t.position = 0.0; // no "-0.0"
        char buf[48];
        std::snprintf(buf, sizeof buf, "%.*f", decimals, t.position);
        t.label = buf;
        out.push_back(t);
    }
    return out;
}

ValueRange roomyRange(double min, double max) {
    if (!std::isfinite(min) || !std::isfinite(max) || min > max)
        return {0.0, 1.0};
    if (max - min < 1e-9) {
        const double room = std::fabs(min) > 1e-9 ? std::fabs(min) * 0.1 : 0.1;
        return {min - room, max + room};
    }
    const double room = (max - min) * 0.05;
    const double step = niceStep((max - min) / 8);
    ValueRange r{std::floor((min - room) / step) * step, std::ceil((max + room) / step) * step};
    // Readings that are never negative need no negative axis.
    if (min >= 0 && r.min < 0)
        r.min = 0;
    return r;
}

const std::vector<double>& timeSteps() {
    static const std::vector<double> steps = [] {
        std::vector<double> s;
        for (double sec : {0.1,      0.2,      0.5,       1.0,       2.0,       5.0,     10.0,
                           15.0,     30.0,     60.0,      120.0,     300.0,     600.0,   900.0,
                           1800.0,   3600.0,   7200.0,    10800.0,   21600.0,   43200.0, 86400.0,
                           172800.0, 604800.0, 2419200.0, 7257600.0, 29030400.0})
            s.push_back(sec * 1000.0);
        return s;
    }();
    return steps;
}

double timeStepFor(double t0Ms, double t1Ms, int maxTicks) {
    if (maxTicks < 1)
        maxTicks = 1;
    const double span = t1Ms - t0Ms;
    for (double step : timeSteps())
        if (span / step <= maxTicks)
            return step;
    return timeSteps().back();
}

namespace {

constexpr double HourMs = 3600000.0;
constexpr double DayMs = 86400000.0;

std::string tickLabel(std::int64_t ms, double step) {
    const platform::Seconds s = floorSeconds(ms);
    const platform::LocalTime l = platform::toLocalTime(s);
    char buf[32];
    if (step >= DayMs || (step >= 60000.0 && l.hour == 0 && l.minute == 0 && l.second == 0))
        std::snprintf(buf, sizeof buf, "%02d/%02d", l.month, l.day);
    else if (step < 1000.0)
        std::snprintf(buf, sizeof buf, "%02d:%02d:%02d.%d", l.hour, l.minute, l.second,
                      static_cast<int>((ms - s * 1000) / 100));
    else if (step < 60000.0)
        std::snprintf(buf, sizeof buf, "%02d:%02d:%02d", l.hour, l.minute, l.second);
    else
        std::snprintf(buf, sizeof buf, "%02d:%02d", l.hour, l.minute);
    return buf;
}

// Ticks of the step on [t0, t1], positions moved on by `shift` (a stretch after the clock
// went back).
void addTimeTicks(std::vector<Tick>& out, double t0Ms, double t1Ms, double step, double shift) {
    auto add = [&](double t) {
        // Where two stretches meet, a tick too close to the one before would cover its label.
        if (t >= t0Ms && t <= t1Ms && (out.empty() || t + shift >= out.back().position + step / 2))
            out.push_back({t + shift, tickLabel(static_cast<std::int64_t>(t), step)});
    };
    if (step < HourMs) {
        // On the local clock: the offset from UTC moves by whole hours or half hours, which
        // the steps below an hour divide, so one alignment holds across a change.
        const double offset =
            utcOffsetSeconds(floorSeconds(static_cast<std::int64_t>(t0Ms))) * 1000.0;
        for (double t = std::ceil((t0Ms + offset) / step) * step - offset; t <= t1Ms; t += step)
            add(t);
        return;
    }
    // Hours and days of the local calendar, counted from the local midnight before t0.
    const platform::LocalTime first =
        platform::toLocalTime(floorSeconds(static_cast<std::int64_t>(t0Ms)));
    const std::int64_t dayNumber = daysFromCivil(first.year, first.month, first.day);
    if (step < DayMs) {
        const int hours = static_cast<int>(step / HourMs);
        for (int h = 0;; h += hours) {
            const double t = localSeconds(first.year, first.month, first.day, h, 0, 0) * 1000.0;
            if (t > t1Ms)
                break;
            add(t);
        }
        return;
    }
    const int days = static_cast<int>(step / DayMs);
    // Multi-day steps fall on days whose number since 1970 the step divides.
    int day = static_cast<int>(((dayNumber % days) + days) % days);
    day = day == 0 ? 0 : days - day;
    for (;; day += days) {
        const double t = localSeconds(first.year, first.month, first.day + day, 0, 0, 0) * 1000.0;
        if (t > t1Ms)
            break;
        add(t);
    }
}

} // namespace

std::vector<Tick> timeTicks(double t0Ms, double t1Ms, int maxTicks) {
    return timeTicks(t0Ms, t1Ms, maxTicks, {{t0Ms, t1Ms, 0}});
}

std::vector<Tick> timeTicks(double t0Ms, double t1Ms, int maxTicks,
                            const std::vector<ClockSpan>& spans) {
    std::vector<Tick> out;
    if (!(t1Ms > t0Ms) || !std::isfinite(t0Ms) || !std::isfinite(t1Ms))
        return out;
    // One step for the whole axis; each stretch is labelled on its readings' own clock.
    const double step = timeStepFor(t0Ms, t1Ms, maxTicks);
    for (const ClockSpan& span : spans) {
        const double from = std::max(t0Ms, span.fromMs);
        const double to = std::min(t1Ms, span.toMs);
        const double offset = static_cast<double>(span.offsetMs);
        if (to >= from)
            addTimeTicks(out, from - offset, to - offset, step, offset);
    }
    return out;
}

} // namespace history
