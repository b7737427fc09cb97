#include "geometry/PlotGeometry.h"

#include <cmath>

namespace plotgeom {

int toPixel(double v) {
    if (std::isnan(v) || v <= -pixelLimit)
        return -pixelLimit;
    if (v >= pixelLimit)
        return pixelLimit;
    return static_cast<int>(v);
}

double fontScaleFor(int controlHeight, int defaultTextHeight) {
    if (defaultTextHeight <= 0)
        return 1.0;
    double scale = static_cast<double>(controlHeight) / defaultTextHeight * 0.04;
    return scale < 0.7 ? 0.7 : scale;
}

int scaleFontDimension(int base, double scale) {
    return static_cast<int>(base * scale);
}

PlotRect clientRectFor(const PlotRect& control, bool border) {
    if (!border)
        return control;
    return {control.left + 2, control.top + 2, control.right - 2, control.bottom - 2};
}

PlotMargins marginsFor(const PlotRect& client) {
    int horizontal = client.width() / 10;
    int vertical = client.height() / 10;
    return {horizontal, horizontal, vertical, vertical};
}

PlotRect plotRectFor(const PlotRect& client, const PlotMargins& m) {
    return {client.left + m.left, client.top + m.top, client.right - m.right,
            client.bottom - m.bottom};
}

double perPixel(double span, int pixels, double previous) {
    return pixels == 0 ? previous : span / pixels;
}

platform::Seconds timeGridStep(double secondsPerPixel) {
    if (!std::isfinite(secondsPerPixel) || secondsPerPixel >= 1e12)
        return 0;
    auto step = static_cast<platform::Seconds>(secondsPerPixel) * 10 + 10;
    return step > 0 ? step : 0;
}

platform::Seconds firstTimeGridLine(platform::Seconds start, platform::Seconds step) {
    return start - start % step;
}

int timeToX(platform::Seconds t, platform::Seconds start, double secondsPerPixel, int plotLeft) {
    return toPixel(static_cast<double>(t - start) / secondsPerPixel + plotLeft);
}

double valueToYExact(double value, double min, double valuePerPixel, int plotBottom) {
    return plotBottom - (value - min) / valuePerPixel;
}

int valueToY(double value, double min, double valuePerPixel, int plotBottom) {
    return toPixel(valueToYExact(value, min, valuePerPixel, plotBottom));
}

double rightValueAt(double y, int plotBottom, double rightValuePerPixel, double rightMin) {
    return (plotBottom - y) * rightValuePerPixel + rightMin;
}

double valueGridStep(int plotHeight, double valuePerPixel) {
    return plotHeight * 0.2 * valuePerPixel;
}

double firstValueGridLine(double min, double step) {
    double divisor = std::trunc(step);
    if (divisor == 0.0 || !std::isfinite(divisor) || !std::isfinite(min))
        return min;
    // fmod keeps the sign of the dividend, as the integer remainder does, and stays defined
    // for values beyond the range of int.
    return min - std::fmod(std::trunc(min), divisor);
}

} // namespace plotgeom
