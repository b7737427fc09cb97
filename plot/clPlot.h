#pragma once

#include "platform/Clock.h"
#include "geometry/PlotGeometry.h"
#include "plot/SampleBuffer.h"

#include <QColor>
#include <QFont>
#include <QPoint>
#include <QRect>
#include <QString>
#include <QWidget>

#include <array>
#include <cstdint>
#include <memory>

class MemDC;
class QPainter;

// One value axis of the plot. Its title is kept for the owner; it is never painted.
struct PlotAxis {
    QString title = QStringLiteral("Title");
    double min = 0.0;
    double max = 2000.0;
    double valuePerPixel = 1.0;
    QColor labelColor = QColor(0, 0, 0);
};

// The time window of the plot, in calendar seconds.
struct TimeAxis {
    QString title = QStringLiteral("Time");
    platform::Seconds start = 0;
    platform::Seconds end = 0;
    double secondsPerPixel = 1.0;
};

// The history plot: a child window that shows the recent course of up to 50 series as lines
// over a time window scrolling with the newest sample, with a value axis on each side.
// It takes no input and never repaints on its own: the owner feeds samples, then updates it.
//
// Call order: set the time window and configure the series, then create(); only
// layoutAreas(), which create() calls, computes the scales.
class clPlot : public QWidget {
public:
    // Window style bits understood by create().
    static constexpr std::uint32_t StyleChild = 0x40000000;
    static constexpr std::uint32_t StyleVisible = 0x10000000;
    static constexpr std::uint32_t StyleBorder = 0x00800000;

    static constexpr int seriesCount = 50;
    static constexpr int maxSamplesPerSeries = 100000;
    static constexpr int pointBufferSize = 1000;

    clPlot();
    ~clPlot() override;
    clPlot(const clPlot&) = delete;
    clPlot& operator=(const clPlot&) = delete;

    // Makes the control a child of parent over rect (parent's client coordinates), carrying
    // the control id. False when the window cannot be made.
    bool create(std::uint32_t style, const QRect& rect, QWidget* parent, int id);
    virtual void layoutAreas(bool initialize);
    virtual void setTimeWindow(platform::Seconds start, platform::Seconds end, bool keepScale);
    // A left-axis series gets dark green labels whatever its own colour. Slots outside
    // 0..49 are ignored.
    virtual void configureSeries(int index, int penStyle, const QColor& color, double min,
                                 double max, const QString& title, bool rightAxis);
    // False when the sample is refused: the series has taken maxSamplesPerSeries since the
    // last clear, or the slot does not exist.
    virtual bool appendSample(int index, platform::Seconds time, double value);
    // Empties every configured series; the time window stays where it is.
    virtual void clearSamples();

    // Paints the part clipBox of the picture onto target through an off-screen context;
    // the paint handler does the same with the area to repaint.
    void paintArea(QPainter& target, const QRect& clipBox);

    using QWidget::render;
    virtual void render(MemDC& dc);
    virtual void renderFrame(MemDC& dc);
    virtual void renderAllSeries(MemDC& dc);
    virtual void renderSeries(MemDC& dc, int index);
    virtual void renderGrid(MemDC& dc);
    virtual void renderValueGrid(MemDC& dc);
    virtual void renderTimeGrid(MemDC& dc);

    // Set by the owner; they take effect at the next paint.
    QColor controlBackColor = QColor(255, 255, 255);
    QColor plotBackColor = QColor(255, 255, 255);
    QColor gridColor = QColor(127, 127, 127);
    double gapValue = 0.0;
    bool autoScroll = false;

    const SampleBuffer& series(int index) const { return series_[index]; }
    const PlotAxis& leftValueAxis() const { return leftValueAxis_; }
    const PlotAxis& rightValueAxis() const { return rightValueAxis_; }
    const TimeAxis& timeAxis() const { return timeAxis_; }
    bool controlBorder() const { return controlBorder_; }
    const plotgeom::PlotRect& controlRect() const { return controlRect_; }
    const plotgeom::PlotRect& clientRect() const { return clientRect_; }
    const plotgeom::PlotRect& plotRect() const { return plotRect_; }
    const plotgeom::PlotMargins& margins() const { return margins_; }
    double fontScale() const { return fontScale_; }
    // Height of the label font as a font description gives it: negative, the character
    // height in pixels (-13 unscaled).
    int labelFontHeight() const { return scaledFontHeight_; }
    // Height in pixels of "A" in the label font.
    int fontHeight() const { return fontHeight_; }
    const QFont& labelFont() const { return labelFont_; }

    // The label font description before scaling.
    static constexpr int baseFontHeight = -13;
    static QFont makeLabelFont(int height);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void drawRun(MemDC& dc, int count);

    plotgeom::PlotRect controlRect_;
    plotgeom::PlotRect clientRect_;
    plotgeom::PlotRect plotRect_;
    plotgeom::PlotMargins margins_;
    bool controlBorder_ = true;
    std::array<SampleBuffer, seriesCount> series_;
    PlotAxis leftValueAxis_;
    PlotAxis rightValueAxis_;
    TimeAxis timeAxis_;
    std::unique_ptr<QPoint[]> pointBuffer_;
    QFont labelFont_;
    double fontScale_ = 1.0;
    int scaledFontHeight_ = baseFontHeight;
    int fontHeight_ = 0;
};
