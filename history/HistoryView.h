#pragma once

#include "history/AxisTicks.h"
#include "history/HistoryStore.h"

#include <array>

namespace history {

// What the time axis does as readings come in.
enum class Follow {
    Live, // the newest reading at the right edge, the span kept
    All,  // every reading from the oldest to the newest
    None, // where the operator put it
};

// One value axis: fitted to what is shown until the operator zooms it.
struct ValueAxis {
    bool automatic = true;
    ValueRange range;
};

// The zoom and pan state of the history's plot as plain arithmetic: the shown time span,
// whether it follows the readings, and the three value axes. Positions come as fractions of
// the plotting area (0 at the left or bottom edge, 1 at the right or top), so nothing here
// knows pixels or windows.
class HistoryView {
public:
    static constexpr double MinSpanMs = 1000.0;
    static constexpr double MaxSpanMs = 400.0 * 86400000.0;
    static constexpr double DefaultLiveSpanMs = 10 * 60000.0;
    // One notch of the mouse wheel.
    static constexpr double ZoomInFactor = 0.8;

    double start() const { return start_; }
    double end() const { return end_; }
    double span() const { return end_ - start_; }
    Follow follow() const { return follow_; }

    // Moves a following span to the readings [firstMs, lastMs]; nothing when there are none.
    void follow(double firstMs, double lastMs);
    void setFollow(Follow f) { follow_ = f; }
    // Shows [start, end] as the operator chose it (at least MinSpanMs).
    void setRange(double start, double end);

    // factor < 1 zooms in; the time under `anchor` stays where it is.
    void zoomTime(double factor, double anchor);
    // Moves the span by a fraction of its width (positive: later readings come into view).
    void pan(double fraction);
    // Moves every value axis by a fraction of its height (positive: higher values).
    void panValues(double fraction);
    // Zooms every value axis around the value at `anchor`, and takes it out of fitting.
    void zoomValues(double factor, double anchor);
    // Shows the box between two corners given as fractions.
    void zoomBox(double x0, double y0, double x1, double y1);
    // Every reading, each axis fitted.
    void fit();
    // Back to following the newest reading with the span as it is (the live span when the
    // span is all of a long history).
    void goLive();

    double timeAt(double fraction) const { return start_ + fraction * span(); }
    double fractionOfTime(double t) const { return (t - start_) / span(); }

    std::array<ValueAxis, Quantities> axes;

private:
    double start_ = 0.0;
    double end_ = DefaultLiveSpanMs;
    Follow follow_ = Follow::Live;
};

} // namespace history
