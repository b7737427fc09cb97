#pragma once

#include "geometry/PlotGeometry.h"

#include <QColor>
#include <QFont>
#include <QImage>
#include <QPainter>
#include <QPoint>
#include <QRect>
#include <QString>

// Pen styles of the drawing context; pens are always one pixel wide.
enum DcPenStyle {
    PenSolid = 0,
    PenDash = 1,
    PenDot = 2,
    PenDashDot = 3,
    PenDashDotDot = 4,
    PenNull = 5
};

struct DcPen {
    int style = PenSolid;
    QColor color = QColor(0, 0, 0);
};

// Off-screen drawing context for one paint. Everything is drawn, in the target's coordinates,
// into an image as large as the target's clip box; the destructor copies the finished picture
// to the target in one piece, so the screen never shows a half-drawn plot.
//
// Drawing follows the rules the plot's pixel positions are computed for: a rectangle's right
// and bottom are exclusive, a line covers its start and stops one pixel short of its end, a
// polyline of one point draws nothing, and text is drawn opaque (its cells are first filled
// with the text background colour) and clipped to its box. A fresh context has a black pen,
// a white brush, the application's default font, black text on white.
class MemDC {
public:
    using PlotRect = plotgeom::PlotRect;
    enum class TextAlign { Left, Right };

    MemDC(QPainter& target, const QRect& clipBox);
    ~MemDC();
    MemDC(const MemDC&) = delete;
    MemDC& operator=(const MemDC&) = delete;

    // The part of the target this context paints (the target's clip box).
    const QRect& area() const { return area_; }

    void fillSolidRect(const PlotRect& r, const QColor& color);
    // A two-pixel sunken edge along the inside of r, in the system's 3-D colours.
    void drawEdgeSunken(const PlotRect& r);
    // Outline in the current pen, inside filled with the current brush.
    void rectangle(const PlotRect& r);

    // Each select returns what was selected before, so that the caller can put it back.
    DcPen selectPen(const DcPen& pen);
    QColor selectBrush(const QColor& brush);
    QFont selectFont(const QFont& font);
    QColor setTextColor(const QColor& color);
    QColor setBkColor(const QColor& color);
    const QColor& textColor() const { return textColor_; }
    const QColor& bkColor() const { return bkColor_; }

    void moveTo(int x, int y);
    void lineTo(int x, int y);
    void polyline(const QPoint* points, int count);

    QSize textExtent(const QString& text) const;
    // Single line, its top at the box's top, left- or right-aligned, clipped to the box.
    void drawText(const QString& text, const PlotRect& box, TextAlign align);

private:
    void line(int x0, int y0, int x1, int y1);
    void fillRun(int x, int y, int w, int h);

    QPainter& target_;
    QRect area_;
    QImage image_;
    QPainter painter_;
    DcPen pen_;
    QColor brush_ = QColor(255, 255, 255);
    QFont font_;
    QColor textColor_ = QColor(0, 0, 0);
    QColor bkColor_ = QColor(255, 255, 255);
    QPoint position_;
    int stylePhase_ = 0;
};
