#include "history/HistoryView.h"

#include <algorithm>
#include <cmath>

namespace history {

void HistoryView::follow(double firstMs, double lastMs) {
    if (follow_ == Follow::Live) {
        const double s = span();
        end_ = lastMs;
        start_ = lastMs - s;
    } else if (follow_ == Follow::All) {
        start_ = firstMs;
        end_ = std::max(lastMs, firstMs + MinSpanMs);
    }
}

void HistoryView::setRange(double start, double end) {
    if (!std::isfinite(start) || !std::isfinite(end))
        return;
    if (end < start)
        std::swap(start, end);
    double s = std::clamp(end - start, MinSpanMs, MaxSpanMs);
    const double middle = start / 2 + end / 2;
    start_ = middle - s / 2;
    end_ = middle + s / 2;
    follow_ = Follow::None;
}

void HistoryView::zoomTime(double factor, double anchor) {
    if (!(factor > 0))
        return;
    const double at = timeAt(anchor);
    double s = std::clamp(span() * factor, MinSpanMs, MaxSpanMs);
    start_ = at - anchor * s;
    end_ = start_ + s;
    follow_ = Follow::None;
}

void HistoryView::pan(double fraction) {
    if (!std::isfinite(fraction))
        return;
    const double d = fraction * span();
    start_ += d;
    end_ += d;
    follow_ = Follow::None;
}

void HistoryView::panValues(double fraction) {
    if (!std::isfinite(fraction))
        return;
    for (ValueAxis& a : axes) {
        const double d = fraction * (a.range.max - a.range.min);
        a.range.min += d;
        a.range.max += d;
        a.automatic = false;
    }
}

void HistoryView::zoomValues(double factor, double anchor) {
    if (!(factor > 0))
        return;
    for (ValueAxis& a : axes) {
        const double height = a.range.max - a.range.min;
        const double at = a.range.min + anchor * height;
        const double h = std::max(height * factor, 1e-6);
        a.range.min = at - anchor * h;
        a.range.max = a.range.min + h;
        a.automatic = false;
    }
}

void HistoryView::zoomBox(double x0, double y0, double x1, double y1) {
    if (x1 < x0)
        std::swap(x0, x1);
    if (y1 < y0)
        std::swap(y0, y1);
    setRange(timeAt(x0), timeAt(x1));
    for (ValueAxis& a : axes) {
        const double height = a.range.max - a.range.min;
        const double lo = a.range.min + y0 * height;
        const double hi = a.range.min + y1 * height;
        a.range = {lo, std::max(hi, lo + 1e-6)};
        a.automatic = false;
    }
}

void HistoryView::fit() {
    follow_ = Follow::All;
    for (ValueAxis& a : axes)
        a.automatic = true;
}

void HistoryView::goLive() {
    if (follow_ == Follow::All && span() > DefaultLiveSpanMs) {
        start_ = end_ - DefaultLiveSpanMs;
    }
    follow_ = Follow::Live;
    for (ValueAxis& a : axes)
        a.automatic = true;
}

} // namespace history
