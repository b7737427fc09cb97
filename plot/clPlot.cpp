#include "plot/clPlot.h"

#include "platform/qt/ControlIds.h"
#include "plot/Fonts.h"
#include "plot/MemDC.h"

#include <QFontMetrics>
#include <QGuiApplication>
#include <QPaintEvent>
#include <QPainter>

#include <cmath>
#include <cstdio>
#include <cstdlib>

using namespace plotgeom;

namespace {

// Lines drawn by one grid at most; a sane window has a few dozen. The bound only keeps a
// window set far wider than its scale from stalling a paint.
constexpr int maxTimeGridLines = 100000;
constexpr int maxValueGridLines = 1000;

int textHeightOfA(const QFont& font) {
    return QFontMetrics(font).size(Qt::TextSingleLine, QStringLiteral("A")).height();
}

} // namespace

clPlot::clPlot() : pointBuffer_(new QPoint[pointBufferSize]) {
    // The whole picture is painted on every paint, so Qt need not clear the area first.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::NoFocus);
    const platform::Seconds now = platform::now();
    setTimeWindow(now - 60, now, true);
    labelFont_ = makeLabelFont(baseFontHeight);
}

clPlot::~clPlot() = default;

QFont clPlot::makeLabelFont(int height) {
    QFont font(QString::fromUtf8(fonts::PlotLabels));
    // A negative height is the character height in pixels, a positive one the cell height;
    // both are taken as the pixel size of the face.
    font.setPixelSize(std::max(1, std::abs(height)));
    font.setWeight(QFont::Normal);
    font.setItalic(false);
    font.setUnderline(false);
    font.setStrikeOut(false);
    // Crisp glyphs, as a proof-quality bitmap face would give.
    font.setStyleStrategy(QFont::NoAntialias);
    return font;
}

bool clPlot::create(std::uint32_t style, const QRect& rect, QWidget* parent, int id) {
    controlBorder_ = (style & StyleBorder) != 0;
    if ((style & StyleChild) && parent == nullptr)
        return false;
    setParent(parent);
    setGeometry(rect);
    platform::setControlId(this, id);
    controlRect_ = {0, 0, rect.width(), rect.height()};
    layoutAreas(true);
    if (style & StyleVisible)
        show();
    return true;
}

void clPlot::layoutAreas(bool initialize) {
    // The scale follows the control's height in lines of the default font.
    fontScale_ = fontScaleFor(controlRect_.height(), textHeightOfA(QGuiApplication::font()));
    scaledFontHeight_ = scaleFontDimension(baseFontHeight, fontScale_);
    labelFont_ = makeLabelFont(scaledFontHeight_);
    fontHeight_ = textHeightOfA(labelFont_);

    clientRect_ = clientRectFor(controlRect_, controlBorder_);
    if (initialize)
        margins_ = marginsFor(clientRect_);
    plotRect_ = plotRectFor(clientRect_, margins_);

    timeAxis_.secondsPerPixel = perPixel(static_cast<double>(timeAxis_.end - timeAxis_.start),
                                         plotRect_.width(), timeAxis_.secondsPerPixel);
    leftValueAxis_.valuePerPixel = perPixel(leftValueAxis_.max - leftValueAxis_.min,
                                            plotRect_.height(), leftValueAxis_.valuePerPixel);
    rightValueAxis_.valuePerPixel = perPixel(rightValueAxis_.max - rightValueAxis_.min,
                                             plotRect_.height(), rightValueAxis_.valuePerPixel);
}

void clPlot::setTimeWindow(platform::Seconds start, platform::Seconds end, bool keepScale) {
    timeAxis_.start = start;
    timeAxis_.end = end;
    if (!keepScale)
        timeAxis_.secondsPerPixel = perPixel(static_cast<double>(end - start + 1),
                                             plotRect_.width(), timeAxis_.secondsPerPixel);
}

void clPlot::configureSeries(int index, int penStyle, const QColor& color, double min, double max,
                             const QString& title, bool rightAxis) {
    if (index < 0 || index >= seriesCount)
        return;
    PlotAxis& axis = rightAxis ? rightValueAxis_ : leftValueAxis_;
    axis.min = min;
    axis.max = max;
    axis.title = title;
    // The left labels stay dark green so that they read on the plot's frame colour.
    axis.labelColor = rightAxis ? color : QColor(0, 127, 0);
    SampleBuffer& slot = series_[index];
    slot.inUse = true;
    slot.color = color;
    slot.penStyle = penStyle;
    slot.rightAxis = rightAxis;
}

bool clPlot::appendSample(int index, platform::Seconds time, double value) {
    if (index < 0 || index >= seriesCount)
        return false;
    SampleBuffer& slot = series_[index];
    if (slot.added() >= maxSamplesPerSeries)
        return false;
    slot.add(time, value);
    if (autoScroll && time > timeAxis_.end)
        setTimeWindow(timeAxis_.start + (time - timeAxis_.end), time, true);
    return true;
}

void clPlot::clearSamples() {
    for (SampleBuffer& slot : series_)
        if (slot.inUse)
            slot.clear();
}

void clPlot::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    paintArea(painter, event->rect());
}

void clPlot::paintArea(QPainter& target, const QRect& clipBox) {
    MemDC dc(target, clipBox);
    render(dc);
}

void clPlot::render(MemDC& dc) {
    QFont previous = dc.selectFont(labelFont_);
    renderFrame(dc);
    renderGrid(dc);
    renderAllSeries(dc);
    dc.selectFont(previous);
}

void clPlot::renderFrame(MemDC& dc) {
    dc.fillSolidRect(controlRect_, controlBackColor);
    if (controlBorder_)
        dc.drawEdgeSunken(controlRect_);
    dc.rectangle(plotRect_);
    dc.fillSolidRect(plotRect_, plotBackColor);
}

void clPlot::renderGrid(MemDC& dc) {
    renderTimeGrid(dc);
    renderValueGrid(dc);
}

void clPlot::renderTimeGrid(MemDC& dc) {
    const TimeAxis& axis = timeAxis_;
    const platform::Seconds step = timeGridStep(axis.secondsPerPixel);
    if (step <= 0)
        return;
    const DcPen previous = dc.selectPen({PenSolid, gridColor});
    platform::Seconds t = firstTimeGridLine(axis.start, step);
    for (int lines = 0; t <= axis.end && lines < maxTimeGridLines; t += step, ++lines) {
        const int x = timeToX(t, axis.start, axis.secondsPerPixel, plotRect_.left);
        // Lines at the window's own edges would sit on the plot's border.
        if (axis.start < t && t < axis.end) {
            dc.moveTo(x, plotRect_.bottom - 1);
            dc.lineTo(x, plotRect_.top + 1);
        }
    }
    dc.selectPen(previous);
}

void clPlot::renderValueGrid(MemDC& dc) {
    const PlotAxis& left = leftValueAxis_;
    const PlotAxis& right = rightValueAxis_;
    const double step = valueGridStep(plotRect_.height(), left.valuePerPixel);
    // An empty or reversed range has no grid to step through.
    if (!(step > 0.0) || !std::isfinite(step))
        return;
    const DcPen previousPen = dc.selectPen({PenSolid, gridColor});
    const QColor previousBack = dc.setBkColor(controlBackColor);
    const QColor previousText = dc.textColor();
    const int h = fontHeight_ / 2;
    char text[64];
    int lines = 0;
    for (double y = firstValueGridLine(left.min, step); y <= left.max && lines < maxValueGridLines;
         y += step, ++lines) {
        const double py = valueToYExact(y, left.min, left.valuePerPixel, plotRect_.bottom);
        const int iy = toPixel(py);
        if (left.min < y && y < left.max) {
            dc.moveTo(plotRect_.left + 1, iy);
            dc.lineTo(plotRect_.right - 1, iy);
        }
        std::snprintf(text, sizeof text, "%.0f", y);
        dc.setTextColor(left.labelColor);
        dc.drawText(QString::fromLatin1(text),
                    {clientRect_.left, iy - h, plotRect_.left - 5, iy + h},
                    MemDC::TextAlign::Right);

        // The right labels give the right axis' value at the same height.
        const double rv = rightValueAt(py, plotRect_.bottom, right.valuePerPixel, right.min);
        std::snprintf(text, sizeof text, "%.2f", rv);
        dc.setTextColor(right.labelColor);
        dc.drawText(QString::fromLatin1(text),
                    {plotRect_.right + 5, iy - h, clientRect_.right, iy + h},
                    MemDC::TextAlign::Left);
    }
    dc.setTextColor(previousText);
    dc.setBkColor(previousBack);
    dc.selectPen(previousPen);
}

void clPlot::renderAllSeries(MemDC& dc) {
    for (int index = 0; index < seriesCount; ++index)
        if (series_[index].inUse)
            renderSeries(dc, index);
}

void clPlot::drawRun(MemDC& dc, int count) {
    if (count > 0)
        dc.polyline(pointBuffer_.get(), count);
}

void clPlot::renderSeries(MemDC& dc, int index) {
    if (index < 0 || index >= seriesCount)
        return;
    const SampleBuffer& slot = series_[index];
    const PlotAxis& axis = slot.rightAxis ? rightValueAxis_ : leftValueAxis_;
    const DcPen previous = dc.selectPen({slot.penStyle, slot.color});
    QPoint* points = pointBuffer_.get();
    int count = 0;
    for (int i = slot.first(); i != slot.next(); i = SampleBuffer::stepIndex(i)) {
        const PlotSample& sample = slot.entry(i);
        if (sample.value == gapValue) {
            drawRun(dc, count);
            count = 0;
            continue;
        }
        const QPoint point(
            timeToX(sample.time, timeAxis_.start, timeAxis_.secondsPerPixel, plotRect_.left),
            valueToY(sample.value, axis.min, axis.valuePerPixel, plotRect_.bottom));
        if (count > 0 && point == points[count - 1])
            continue;
        // Points beside the window are left out without breaking the line.
        if (point.x() < plotRect_.left || point.x() > plotRect_.right)
            continue;
        if (count == pointBufferSize) {
            // A full buffer is drawn and the run goes on from its last point, so the pieces
            // join exactly as one line would.
            drawRun(dc, count);
            points[0] = points[count - 1];
            count = 1;
        }
        points[count++] = point;
    }
    drawRun(dc, count);
    dc.selectPen(previous);
}
