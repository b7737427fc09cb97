#include "history/PlotLayout.h"

#include <algorithm>
#include <cmath>

namespace history {

PlotArea plotArea(int width, int height) {
    PlotArea a;
    a.left = AxisWidth;
    a.top = LegendHeight;
    a.right = std::max(a.left + 1, width - 2 * AxisWidth);
    a.bottom = std::max(a.top + 1, height - TimeLabelHeight);
    return a;
}

int columnOf(const PlotArea& a, double start, double end, double t) {
    const double c = std::floor((t - start) / (end - start) * a.width());
    return a.left + static_cast<int>(std::clamp(c, -1e6, 1e6));
}

int rowOf(const PlotArea& a, const ValueRange& range, double v) {
    const double h = a.height() - 1;
    const double span = range.max - range.min;
    const double y = span > 0 ? (a.bottom - 1) - (v - range.min) / span * h : a.bottom - 1;
    const double limit = 4.0 * (a.height() + 1);
    return static_cast<int>(std::lround(std::clamp(y, a.top - limit, a.bottom + limit)));
}

double fractionOfX(const PlotArea& a, double x) {
    return (x - a.left) / std::max(1, a.width());
}

double fractionOfY(const PlotArea& a, double y) {
    return ((a.bottom - 1) - y) / std::max(1, a.height() - 1);
}

} // namespace history
