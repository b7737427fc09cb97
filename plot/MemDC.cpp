#include "plot/MemDC.h"

#include <QFontMetrics>
#include <QGuiApplication>
#include <QPalette>

#include <algorithm>
#include <cstdint>
#include <cstdlib>

namespace {

// On and off lengths, in pixels, of the dashed pen styles; the pattern starts "on".
struct DashPattern {
    int lengths[6];
    int count;
    int total;
};

const DashPattern* dashPattern(int style) {
    static const DashPattern dash{{18, 6}, 2, 24};
    static const DashPattern dot{{3, 3}, 2, 6};
    static const DashPattern dashDot{{9, 6, 3, 6}, 4, 24};
    static const DashPattern dashDotDot{{9, 3, 3, 3, 3, 3}, 6, 24};
    switch (style) {
    case PenDash:
        return &dash;
    case PenDot:
        return &dot;
    case PenDashDot:
        return &dashDot;
    case PenDashDotDot:
        return &dashDotDot;
    default:
        return nullptr;
    }
}

bool patternOn(const DashPattern& p, std::int64_t position) {
    int at = static_cast<int>(position % p.total);
    for (int k = 0; k < p.count; ++k) {
        if (at < p.lengths[k])
            return k % 2 == 0;
        at -= p.lengths[k];
    }
    return false;
}

QRect toQRect(const plotgeom::PlotRect& r) {
    return QRect(r.left, r.top, r.width(), r.height());
}

} // namespace

MemDC::MemDC(QPainter& target, const QRect& clipBox)
    : target_(target), area_(clipBox.normalized()),
      image_(std::max(area_.width(), 1), std::max(area_.height(), 1), QImage::Format_RGB32),
      font_(QGuiApplication::font()) {
    // A new image holds whatever the heap held before; pixels its user leaves unpainted must
    // not carry that to the screen.
    image_.fill(Qt::black);
    painter_.begin(&image_);
    // Points are given in the target's coordinates; the image starts at the clip box.
    painter_.translate(-area_.left(), -area_.top());
    painter_.setRenderHint(QPainter::Antialiasing, false);
    painter_.setFont(font_);
}

MemDC::~MemDC() {
    painter_.end();
    if (!area_.isEmpty())
        target_.drawImage(area_.topLeft(), image_);
}

void MemDC::fillRun(int x, int y, int w, int h) {
    painter_.fillRect(QRect(x, y, w, h), pen_.color);
}

void MemDC::fillSolidRect(const PlotRect& r, const QColor& color) {
    if (r.width() > 0 && r.height() > 0)
        painter_.fillRect(toQRect(r), color);
}

void MemDC::drawEdgeSunken(const PlotRect& r) {
    const QPalette palette = QGuiApplication::palette();
    // Outer ring: shadow above and left, highlight below and right; the inner ring the same
    // with the darker shadow and the softer light.
    auto ring = [this](const PlotRect& e, const QColor& topLeft, const QColor& bottomRight) {
        if (e.width() <= 0 || e.height() <= 0)
            return;
        fillSolidRect({e.left, e.top, e.right - 1, e.top + 1}, topLeft);
        fillSolidRect({e.left, e.top, e.left + 1, e.bottom - 1}, topLeft);
        fillSolidRect({e.left, e.bottom - 1, e.right, e.bottom}, bottomRight);
        fillSolidRect({e.right - 1, e.top, e.right, e.bottom}, bottomRight);
    };
    ring(r, palette.color(QPalette::Dark), palette.color(QPalette::Light));
    ring({r.left + 1, r.top + 1, r.right - 1, r.bottom - 1}, palette.color(QPalette::Shadow),
         palette.color(QPalette::Midlight));
}

void MemDC::rectangle(const PlotRect& r) {
    if (r.width() <= 0 || r.height() <= 0)
        return;
    if (brush_.isValid())
        fillSolidRect(r, brush_);
    if (pen_.style == PenNull)
        return;
    const QPoint outline[] = {{r.left, r.top},
                              {r.right - 1, r.top},
                              {r.right - 1, r.bottom - 1},
                              {r.left, r.bottom - 1},
                              {r.left, r.top}};
    polyline(outline, 5);
}

DcPen MemDC::selectPen(const DcPen& pen) {
    DcPen previous = pen_;
    pen_ = pen;
    stylePhase_ = 0;
    return previous;
}

QColor MemDC::selectBrush(const QColor& brush) {
    QColor previous = brush_;
    brush_ = brush;
    return previous;
}

QFont MemDC::selectFont(const QFont& font) {
    QFont previous = font_;
    font_ = font;
    painter_.setFont(font_);
    return previous;
}

QColor MemDC::setTextColor(const QColor& color) {
    QColor previous = textColor_;
    textColor_ = color;
    return previous;
}

QColor MemDC::setBkColor(const QColor& color) {
    QColor previous = bkColor_;
    bkColor_ = color;
    return previous;
}

void MemDC::moveTo(int x, int y) {
    position_ = QPoint(x, y);
    stylePhase_ = 0;
}

void MemDC::lineTo(int x, int y) {
    line(position_.x(), position_.y(), x, y);
    position_ = QPoint(x, y);
}

void MemDC::polyline(const QPoint* points, int count) {
    if (count < 2)
        return;
    stylePhase_ = 0;
    for (int k = 1; k < count; ++k)
        line(points[k - 1].x(), points[k - 1].y(), points[k].x(), points[k].y());
}

// Lights the pixels of a line from (x0, y0) toward (x1, y1), the end point excluded, along
// the major axis with the minor coordinate rounded half up. Only the part inside the image is
// walked, so a line reaching far outside costs no more than one across the image.
void MemDC::line(int x0, int y0, int x1, int y1) {
    if (pen_.style == PenNull)
        return;
    const std::int64_t dx = std::llabs(static_cast<std::int64_t>(x1) - x0);
    const std::int64_t dy = std::llabs(static_cast<std::int64_t>(y1) - y0);
    const bool xMajor = dx >= dy;
    const std::int64_t major = xMajor ? dx : dy;
    const std::int64_t minor = xMajor ? dy : dx;
    if (major == 0)
        return;
    const int majorStart = xMajor ? x0 : y0;
    const int minorStart = xMajor ? y0 : x0;
    const int majorSign = (xMajor ? x1 - x0 : y1 - y0) > 0 ? 1 : -1;
    const int minorSign = (xMajor ? y1 - y0 : x1 - x0) >= 0 ? 1 : -1;
    const int majorLow = xMajor ? area_.left() : area_.top();
    const int majorHigh = xMajor ? area_.right() + 1 : area_.bottom() + 1; // exclusive
    const int minorLow = xMajor ? area_.top() : area_.left();
    const int minorHigh = xMajor ? area_.bottom() + 1 : area_.right() + 1;

    // Steps i in [first, last) whose major coordinate lies inside the image.
    std::int64_t first = 0;
    std::int64_t last = major;
    if (majorSign > 0) {
        first = std::max<std::int64_t>(first, majorLow - static_cast<std::int64_t>(majorStart));
        last = std::min<std::int64_t>(last, majorHigh - static_cast<std::int64_t>(majorStart));
    } else {
        first =
            std::max<std::int64_t>(first, majorStart - static_cast<std::int64_t>(majorHigh) + 1);
        last = std::min<std::int64_t>(last, majorStart - static_cast<std::int64_t>(majorLow) + 1);
    }
    const DashPattern* pattern = dashPattern(pen_.style);
    const std::int64_t phase = stylePhase_;
    stylePhase_ = static_cast<int>((stylePhase_ + major) % 24);
    if (first >= last)
        return;

    // Minor offset of step i: floor((2*i*minor + major) / (2*major)), kept incrementally.
    const std::int64_t twoMajor = 2 * major;
    std::int64_t numerator = 2 * first * minor + major;
    std::int64_t offset = numerator / twoMajor;
    std::int64_t remainder = numerator - offset * twoMajor;

    std::int64_t runStart = -1; // step where the current run began
    std::int64_t runMinor = 0;
    auto flush = [&](std::int64_t end) {
        if (runStart < 0)
            return;
        const std::int64_t a = majorStart + majorSign * runStart;
        const std::int64_t b = majorStart + majorSign * (end - 1);
        const int low = static_cast<int>(std::min(a, b));
        const int length = static_cast<int>(end - runStart);
        const int m = static_cast<int>(minorStart + minorSign * runMinor);
        if (xMajor)
            fillRun(low, m, length, 1);
        else
            fillRun(m, low, 1, length);
        runStart = -1;
    };
    for (std::int64_t i = first; i < last; ++i) {
        const std::int64_t m = minorStart + minorSign * offset;
        const bool visible = m >= minorLow && m < minorHigh &&
                             (pattern == nullptr || patternOn(*pattern, phase + i));
        if (runStart >= 0 && (!visible || offset != runMinor))
            flush(i);
        if (visible && runStart < 0) {
            runStart = i;
            runMinor = offset;
        }
        remainder += 2 * minor;
        if (remainder >= twoMajor) {
            remainder -= twoMajor;
            ++offset;
        }
    }
    flush(last);
}

QSize MemDC::textExtent(const QString& text) const {
    QFontMetrics metrics(font_, &image_);
    return QSize(metrics.horizontalAdvance(text), metrics.height());
}

void MemDC::drawText(const QString& text, const PlotRect& box, TextAlign align) {
    if (box.width() <= 0 || box.height() <= 0)
        return;
    QFontMetrics metrics(font_, &image_);
    const int width = metrics.horizontalAdvance(text);
    const int x = align == TextAlign::Right ? box.right - width : box.left;
    const QRect boxRect = toQRect(box);
    const QRect cell = QRect(x, box.top, width, metrics.height()).intersected(boxRect);
    if (!cell.isEmpty())
        painter_.fillRect(cell, bkColor_);
    painter_.save();
    painter_.setClipRect(boxRect);
    painter_.setPen(textColor_);
    painter_.drawText(x, box.top + metrics.ascent(), text);
    painter_.restore();
}
