#pragma once

#include "platform/Clock.h"

// The arithmetic of the history plot: layout, scales, grid positions and the mapping of a
// sample to a pixel. Everything here is free of windows so that it can be checked alone;
// clPlot computes with these functions and only draws their results.
namespace plotgeom {

// A rectangle as the drawing context takes it: right and bottom are exclusive.
struct PlotRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    int width() const { return right - left; }
    int height() const { return bottom - top; }
    bool operator==(const PlotRect&) const = default;
};

struct PlotMargins {
    int left = 0;
    int right = 0;
    int top = 0;
    int bottom = 0;
    bool operator==(const PlotMargins&) const = default;
};

// Pixel coordinates are kept within this bound so that absurd values (a sample far outside
// the axis, a time window of zero width) still convert to an int without overflow.
inline constexpr int pixelLimit = 1 << 24;

// Truncates toward zero like a C cast, but clamps to +-pixelLimit first; NaN gives -pixelLimit.
int toPixel(double v);

// Label font scale from the control height and the height of "A" in the default font:
// 0.04 per text height of control, never below 0.7.
double fontScaleFor(int controlHeight, int defaultTextHeight);
// A font description dimension multiplied by the scale, truncated toward zero (-13 -> -9 at 0.7).
int scaleFontDimension(int base, double scale);

// The area inside the 2-pixel sunken edge, or the control itself without the edge.
PlotRect clientRectFor(const PlotRect& control, bool border);
// A tenth of the client width on the left and right, a tenth of its height above and below.
PlotMargins marginsFor(const PlotRect& client);
PlotRect plotRectFor(const PlotRect& client, const PlotMargins& margins);

// span / pixels, or the previous value when there are no pixels to divide by.
double perPixel(double span, int pixels, double previous);

// Distance of the vertical grid lines: 10 s while a pixel stands for less than a second,
// 20 s from 1 s up to 2 s, and so on. 0 when the scale gives no usable step.
platform::Seconds timeGridStep(double secondsPerPixel);
// The last multiple of step at or before start (remainder with the sign of the dividend).
platform::Seconds firstTimeGridLine(platform::Seconds start, platform::Seconds step);
int timeToX(platform::Seconds t, platform::Seconds start, double secondsPerPixel, int plotLeft);

// Unrounded position of a value on an axis and its pixel row.
double valueToYExact(double value, double min, double valuePerPixel, int plotBottom);
int valueToY(double value, double min, double valuePerPixel, int plotBottom);
// Right-axis value at the height of an unrounded left-axis position.
double rightValueAt(double y, int plotBottom, double rightValuePerPixel, double rightMin);

// One fifth of the left axis range, computed as height x 0.2 x valuePerPixel.
double valueGridStep(int plotHeight, double valuePerPixel);
// The first grid value: min less (trunc(min) mod trunc(step)). A step below one unit has no
// whole divisor; the grid then starts at min itself.
double firstValueGridLine(double min, double step);

} // namespace plotgeom
