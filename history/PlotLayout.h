#pragma once

#include "history/AxisTicks.h"
#include "geometry/PlotGeometry.h"

// The arithmetic of the history's plot: where the plotting area lies in a picture and where
// a time or a value falls in it. Pixels count from the picture's top left; right and bottom
// are exclusive.
namespace history {

using PlotArea = plotgeom::PlotRect;

inline bool contains(const PlotArea& a, int x, int y) {
    return x >= a.left && x < a.right && y >= a.top && y < a.bottom;
}

// Room for the voltage axis on the left, the current and power axes on the right, the
// legend above and the time labels below.
constexpr int AxisWidth = 52;
constexpr int LegendHeight = 22;
constexpr int TimeLabelHeight = 22;

PlotArea plotArea(int width, int height);

// The column of the plotting area that holds time t of [start, end) (may lie outside).
int columnOf(const PlotArea& a, double start, double end, double t);
// The height of a value in pixels: the area's bottom row for range.min, its top for max;
// kept within a few areas' height of it so that far values still draw as steep lines.
int rowOf(const PlotArea& a, const ValueRange& range, double v);
// The fraction of the area's width or height (from the bottom) a pixel lies at.
double fractionOfX(const PlotArea& a, double x);
double fractionOfY(const PlotArea& a, double y);

} // namespace history
