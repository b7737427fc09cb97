#include "sequence/Preview.h"

#include "sequence/Plan.h"

#include <algorithm>

namespace sequence {

std::vector<PreviewPoint> previewLine(const std::vector<Step>& steps, double heldVolts,
                                      double heldAmps) {
    std::vector<PreviewPoint> line;
    PreviewPoint at{0.0, voltsOf(voltUnits(heldVolts)), ampsOf(ampUnits(heldAmps))};
    line.push_back(at);
    for (const Step& s : steps) {
        const PreviewPoint target{at.seconds, voltsOf(voltUnits(s.volts)),
                                  ampsOf(ampUnits(s.amps))};
        if (s.ramp == Ramp::Step)
            line.push_back(target);
        at = target;
        at.seconds += s.seconds;
        line.push_back(at);
    }
    return line;
}

std::vector<PowerPoint> powerLine(const std::vector<PreviewPoint>& line, int samplesPerRamp) {
    std::vector<PowerPoint> power;
    for (std::size_t i = 0; i < line.size(); ++i) {
        const PreviewPoint& b = line[i];
        if (i > 0) {
            const PreviewPoint& a = line[i - 1];
            const bool bothMove = a.volts != b.volts && a.amps != b.amps;
            for (int k = 1; bothMove && k < samplesPerRamp; ++k) {
                const double f = double(k) / samplesPerRamp;
                power.push_back(
                    {a.seconds + (b.seconds - a.seconds) * f,
                     (a.volts + (b.volts - a.volts) * f) * (a.amps + (b.amps - a.amps) * f)});
            }
        }
        power.push_back({b.seconds, b.volts * b.amps});
    }
    return power;
}

std::vector<Span> overPower(const std::vector<PowerPoint>& power, double capacityWatts) {
    std::vector<Span> spans;
    // A hair of tolerance: a pair exactly at the capacity is allowed.
    const double limit = capacityWatts + 1e-9;
    for (std::size_t i = 0; i + 1 < power.size(); ++i) {
        const PowerPoint& a = power[i];
        const PowerPoint& b = power[i + 1];
        if (b.seconds <= a.seconds || (a.watts <= limit && b.watts <= limit))
            continue;
        // Where the straight piece crosses the limit.
        auto cross = [&](double wa, double wb) {
            return a.seconds + (b.seconds - a.seconds) * (limit - wa) / (wb - wa);
        };
        const double from = a.watts > limit ? a.seconds : cross(a.watts, b.watts);
        const double to = b.watts > limit ? b.seconds : cross(a.watts, b.watts);
        if (!spans.empty() && spans.back().to >= from)
            spans.back().to = to;
        else
            spans.push_back({from, to});
    }
    return spans;
}

PreviewTops previewTops(const std::vector<PreviewPoint>& line, const std::vector<PowerPoint>& power,
                        double capacityWatts) {
    PreviewTops t;
    double seconds = 0.0, volts = 0.0, amps = 0.0, watts = capacityWatts;
    for (const PreviewPoint& p : line) {
        seconds = std::max(seconds, p.seconds);
        volts = std::max(volts, p.volts);
        amps = std::max(amps, p.amps);
    }
    for (const PowerPoint& p : power)
        watts = std::max(watts, p.watts);
    t.seconds = seconds > 0.0 ? seconds : t.seconds;
    t.volts = volts > 0.0 ? volts * 1.1 : t.volts;
    t.amps = amps > 0.0 ? amps * 1.1 : t.amps;
    t.watts = watts > 0.0 ? watts * 1.1 : t.watts;
    return t;
}

} // namespace sequence
