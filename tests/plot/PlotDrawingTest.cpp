#include "PlotTestSupport.h"

#include "plot/MemDC.h"

#include <QFontMetrics>
#include <QGuiApplication>
#include <QPalette>

#include <vector>

#include <gtest/gtest.h>

namespace {

// 600 x 250 gives the plotting area 60..540 x 25..225: 0.5 s and 0.125 V per pixel.
constexpr int W = 600;
constexpr int H = 250;
constexpr platform::Seconds Start = 1000000;
constexpr platform::Seconds End = Start + 240;
const QRgb Black = qRgb(0, 0, 0);
const QRgb Grid = qRgb(0, 127, 0);
const QRgb Green = qRgb(0, 255, 0);
const QRgb Red = qRgb(255, 0, 0);

int countPixels(const QImage& image, QRgb colour, const QRect& area) {
    int n = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            n += image.pixel(x, y) == colour;
    return n;
}

struct DrawnPlot : MainWindowPlot {
    DrawnPlot(int width = W, int height = H) : MainWindowPlot(width, height) {
        plot.setTimeWindow(Start, End, true);
    }
    QRgb menu() const { return plot.controlBackColor.rgb(); }
};

TEST(PlotGrid, TimeLinesEveryTenSecondsButNotAtTheWindowEdges) {
    DrawnPlot d;
    const QImage image = paintPlot(d.plot);
    for (int x = 80; x <= 520; x += 20)
        EXPECT_EQ(image.pixel(x, 100), Grid) << x;
    EXPECT_EQ(image.pixel(90, 100), Black);
    EXPECT_EQ(image.pixel(60, 100), Black); // at the window's start
    EXPECT_NE(image.pixel(540, 100), Grid); // at its end
    // From one pixel above the bottom up to two below the top.
    EXPECT_EQ(image.pixel(80, 224), Grid);
    EXPECT_EQ(image.pixel(80, 27), Grid);
    EXPECT_EQ(image.pixel(80, 26), Black);
}

TEST(PlotGrid, TimeLinesEveryTwentySecondsAtOneToTwoSecondsPerPixel) {
    DrawnPlot d(250, H); // 200 pixels for 240 s
    const QImage image = paintPlot(d.plot);
    EXPECT_EQ(image.pixel(41, 100), Grid);  // 20 s after the start
    EXPECT_EQ(image.pixel(33, 100), Black); // 10 s after it
}

TEST(PlotGrid, ValueLinesAtFiveVoltStepsButNotAtMinOrMax) {
    DrawnPlot d;
    const QImage image = paintPlot(d.plot);
    for (int row : {185, 145, 105, 65}) {
        EXPECT_EQ(image.pixel(61, row), Grid) << row;
        EXPECT_EQ(image.pixel(538, row), Grid) << row;
        EXPECT_EQ(image.pixel(60, row), Black) << row;
        EXPECT_EQ(image.pixel(539, row), Black) << row;
    }
    EXPECT_EQ(image.pixel(301, 25), Black);     // 25 V, the plot's top row
    EXPECT_EQ(image.pixel(301, 225), d.menu()); // 0 V, just below the plot
    EXPECT_EQ(image.pixel(301, 186), Black);
}

// The label box in the picture against the text drawn alone, with the plot's font, in an
// image of the box's size: same glyphs, same place, same colours.
void expectLabel(const QImage& image, const clPlot& plot, const char* text, int iy, bool left,
                 QRgb colour) {
    const int h = plot.fontHeight() / 2;
    const QRect box = left ? QRect(QPoint(plot.clientRect().left, iy - h),
                                   QPoint(plot.plotRect().left - 6, iy + h - 1))
                           : QRect(QPoint(plot.plotRect().right + 5, iy - h),
                                   QPoint(plot.clientRect().right - 1, iy + h - 1));
    QImage expected(box.size(), QImage::Format_RGB32);
    expected.fill(plot.controlBackColor);
    QPainter painter(&expected);
    painter.setFont(plot.labelFont());
    painter.setPen(QColor(colour));
    QFontMetrics metrics(plot.labelFont(), &expected);
    const int x = left ? box.width() - metrics.horizontalAdvance(text) : 0;
    painter.drawText(x, metrics.ascent(), QString::fromLatin1(text));
    painter.end();
    EXPECT_GT(countPixels(expected, colour, expected.rect()), 0) << text;
    EXPECT_EQ(image.copy(box), expected) << text;
}

TEST(PlotLabels, BothColumnsInTheirColoursAndBoxes) {
    DrawnPlot d;
    const QImage image = paintPlot(d.plot);
    const char* volts[] = {"0", "5", "10", "15", "20", "25"};
    const char* amps[] = {"0.00", "0.25", "0.50", "0.75", "1.00", "1.25"};
    for (int k = 0; k < 6; ++k) {
        expectLabel(image, d.plot, volts[k], 225 - 40 * k, true, Grid);
        expectLabel(image, d.plot, amps[k], 225 - 40 * k, false, Red);
    }
}

class TopLabel : public ::testing::TestWithParam<int> {};

TEST_P(TopLabel, MissingOnlyForASeventySixPixelPlot) {
    // Control heights 93, 94 and 95 give plots of 75, 76 and 77 pixels.
    const int plotHeight = GetParam();
    DrawnPlot d(W, plotHeight + 18);
    ASSERT_EQ(d.plot.plotRect().height(), plotHeight);
    const QImage image = paintPlot(d.plot);
    const int top = d.plot.plotRect().top;
    const int labelPixels = countPixels(image, Grid, QRect(0, 0, 55, top + 3));
    if (plotHeight == 76)
        EXPECT_EQ(labelPixels, 0);
    else
        EXPECT_GT(labelPixels, 0);
}

INSTANTIATE_TEST_SUITE_P(PlotHeights, TopLabel, ::testing::Values(75, 76, 77),
                         [](const auto& info) { return "Height" + std::to_string(info.param); });

TEST(PlotSeriesDrawing, EmptySeriesAndASinglePointDrawNothing) {
    DrawnPlot d;
    const QRect area(60, 25, 480, 200);
    QImage image = paintPlot(d.plot);
    EXPECT_EQ(countPixels(image, Green, image.rect()), 0);
    EXPECT_EQ(countPixels(image, Red, area), 0);
    d.plot.appendSample(0, End - 10, 12.0);
    d.plot.appendSample(1, End - 10, 0.5);
    image = paintPlot(d.plot);
    EXPECT_EQ(countPixels(image, Green, image.rect()), 0);
    EXPECT_EQ(countPixels(image, Red, area), 0);
}

TEST(PlotSeriesDrawing, GapSampleSplitsTheLine) {
    DrawnPlot d;
    // 12 V lies on row 129; seconds End-10 .. End-6 on columns 520 .. 528.
    for (auto [t, v] : {std::pair{End - 10, 12.0},
                        {End - 9, 12.0},
                        {End - 8, -1.0},
                        {End - 7, 12.0},
                        {End - 6, 12.0}})
        d.plot.appendSample(0, t, v);
    const QImage image = paintPlot(d.plot);
    EXPECT_EQ(image.pixel(520, 129), Green);
    EXPECT_EQ(image.pixel(521, 129), Green);
    for (int x = 522; x < 526; ++x)
        EXPECT_NE(image.pixel(x, 129), Green) << x;
    EXPECT_EQ(image.pixel(526, 129), Green);
    EXPECT_EQ(image.pixel(527, 129), Green);
    EXPECT_NE(image.pixel(528, 129), Green); // a line stops short of its last point
}

TEST(PlotSeriesDrawing, ValuesBeyondTheAxisAreDrawnOverTheMargins) {
    DrawnPlot d;
    d.plot.appendSample(0, End - 1, 26.0); // row 17, above the plot
    d.plot.appendSample(0, End, 26.0);
    d.plot.appendSample(1, End - 1, -0.05); // about row 233, below it
    d.plot.appendSample(1, End, -0.05);
    const QImage image = paintPlot(d.plot);
    EXPECT_EQ(image.pixel(538, 17), Green);
    EXPECT_EQ(image.pixel(539, 17), Green);
    EXPECT_EQ(countPixels(image, Red, QRect(538, 230, 2, 6)), 2);
    EXPECT_EQ(countPixels(image, Red, QRect(60, 25, 480, 200)), 0);
}

TEST(PlotSeriesDrawing, SamplesBesideTheWindowDoNotBreakTheRun) {
    DrawnPlot d;
    d.plot.appendSample(0, End - 4, 12.0);
    d.plot.appendSample(0, Start - 100, 12.0); // far left: skipped
    d.plot.appendSample(0, End - 2, 12.0);
    const QImage image = paintPlot(d.plot);
    EXPECT_EQ(image.pixel(533, 129), Green);
    EXPECT_EQ(image.pixel(535, 129), Green);
}

TEST(PlotSeriesDrawing, RunLongerThanThePointBufferIsDrawnWhole) {
    DrawnPlot d;
    // 1200 distinct points in one run: six per second, alternating between 5 and 20 V.
    std::vector<QPoint> points;
    for (int k = 0; k < 1200; ++k) {
        const platform::Seconds t = Start + 1 + k / 6;
        const double v = k % 2 ? 20.0 : 5.0;
        d.plot.appendSample(0, t, v);
        points.emplace_back(60 + 2 * (1 + k / 6), k % 2 ? 65 : 185);
    }
    const QImage drawn = paintPlot(d.plot);
    d.plot.clearSamples();
    // The empty plot and the whole run as one line, in one off-screen picture: a MemDC
    // copies all of its area, so the plot under the line must be drawn into it too.
    QImage expected(drawn.size(), QImage::Format_RGB32);
    {
        QPainter painter(&expected);
        MemDC dc(painter, expected.rect());
        d.plot.render(dc);
        dc.selectPen({PenSolid, QColor(Green)});
        dc.polyline(points.data(), static_cast<int>(points.size()));
    }
    EXPECT_EQ(drawn, expected);
}

TEST(PlotGrid, LeftRangeBelowFiveUnitsStillDrawsItsGrid) {
    PlotTestApp app;
    QWidget window;
    clPlot plot;
    plot.configureSeries(0, 0, QColor(0, 255, 0), 0.5, 3.5, "V", false);
    plot.create(clPlot::StyleChild, QRect(0, 0, W, H), &window, 1);
    const QImage image = paintPlot(plot);
    // 0.6 units a step, 0.015 a pixel: lines every 40 rows from the bottom, give or take
    // the rounding of the stepped value.
    for (int row : {185, 145, 105, 65})
        EXPECT_EQ(countPixels(image, qRgb(127, 127, 127), QRect(301, row - 1, 1, 2)), 1) << row;
}

TEST(PlotFrame, SunkenEdgeOnlyWhenTheStyleAsksForIt) {
    PlotTestApp app;
    QWidget window;
    clPlot bordered, plain;
    bordered.create(clPlot::StyleChild | clPlot::StyleBorder, QRect(0, 0, 200, 100), &window, 1);
    plain.create(clPlot::StyleChild, QRect(0, 0, 200, 100), &window, 2);
    const QPalette p = QGuiApplication::palette();
    const QImage image = paintPlot(bordered);
    EXPECT_EQ(image.pixel(0, 0), p.color(QPalette::Dark).rgb());
    EXPECT_EQ(image.pixel(1, 1), p.color(QPalette::Shadow).rgb());
    EXPECT_EQ(image.pixel(199, 99), p.color(QPalette::Light).rgb());
    EXPECT_EQ(image.pixel(198, 98), p.color(QPalette::Midlight).rgb());
    EXPECT_EQ(image.pixel(2, 2), qRgb(255, 255, 255));
    EXPECT_EQ(paintPlot(plain).pixel(0, 0), qRgb(255, 255, 255));
}

TEST(PlotPaint, PartialRepaintChangesOnlyItsClipBox) {
    DrawnPlot d;
    const QImage before = paintPlot(d.plot);
    d.plot.plotBackColor = QColor(0, 0, 255);
    const QImage full = paintPlot(d.plot);
    QImage partial = before;
    const QRect clip(100, 50, 80, 60);
    paintPlot(d.plot, partial, clip);
    for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x)
            ASSERT_EQ(partial.pixel(x, y), (clip.contains(x, y) ? full : before).pixel(x, y))
                << x << "," << y;
}

TEST(PlotPaint, PaintHandlerDrawsTheSamePicture) {
    DrawnPlot d;
    d.plot.appendSample(0, End - 3, 10.0);
    d.plot.appendSample(0, End, 11.0);
    QImage viaWidget(W, H, QImage::Format_RGB32);
    viaWidget.fill(Qt::magenta);
    d.plot.render(&viaWidget);
    EXPECT_EQ(viaWidget, paintPlot(d.plot));
}

} // namespace
