#include "PlotTestSupport.h"

#include "platform/qt/ControlIds.h"
#include "geometry/PlotGeometry.h"
#include "support/CaseNames.h"

#include <QFontInfo>
#include <QFontMetrics>
#include <QGuiApplication>

#include <gtest/gtest.h>

namespace {

int defaultTextHeight() {
    return QFontMetrics(QGuiApplication::font()).size(Qt::TextSingleLine, "A").height();
}

struct FontCase {
    int textHeights; // control height in heights of "A" in the default font
    double scale;
    int labelHeight;
};

class LabelFontScale : public ::testing::TestWithParam<FontCase> {};

TEST_P(LabelFontScale, FollowsTheControlHeightWithAFloorOfSevenTenths) {
    PlotTestApp app;
    QWidget window;
    clPlot plot;
    const int height = GetParam().textHeights * defaultTextHeight();
    ASSERT_TRUE(plot.create(clPlot::StyleChild, QRect(0, 0, 300, height), &window, 1));
    EXPECT_DOUBLE_EQ(plot.fontScale(), GetParam().scale);
    EXPECT_EQ(plot.labelFontHeight(), GetParam().labelHeight);
    EXPECT_EQ(plot.labelFont().pixelSize(), -GetParam().labelHeight);
    EXPECT_GT(plot.fontHeight(), 0);
}

INSTANTIATE_TEST_SUITE_P(SmallAndFullSize, LabelFontScale,
                         ::testing::Values(FontCase{17, 0.7, -9}, FontCase{25, 1.0, -13},
                                           FontCase{50, 2.0, -26}),
                         [](const auto& info) {
                             return "TextHeights" + std::to_string(info.param.textHeights);
                         });

TEST(PlotLayout, MarginsAreATenthAndTheBorderInsetsEverything) {
    PlotTestApp app;
    QWidget window;
    clPlot plot;
    plot.create(clPlot::StyleChild | clPlot::StyleBorder, QRect(10, 20, 604, 254), &window, 7);
    EXPECT_TRUE(plot.controlBorder());
    EXPECT_EQ(plot.controlRect(), (plotgeom::PlotRect{0, 0, 604, 254}));
    EXPECT_EQ(plot.clientRect(), (plotgeom::PlotRect{2, 2, 602, 252}));
    EXPECT_EQ(plot.plotRect(), (plotgeom::PlotRect{62, 27, 542, 227}));
    EXPECT_EQ(plot.geometry(), QRect(10, 20, 604, 254));
    EXPECT_EQ(platform::controlId(&plot), 7);
}

TEST(PlotLayout, ConfigureAfterCreateKeepsTheDefaultScales) {
    PlotTestApp app;
    QWidget window;
    clPlot plot;
    plot.create(clPlot::StyleChild, QRect(0, 0, 600, 250), &window, 1);
    plot.configureSeries(0, 0, QColor(0, 255, 0), 0.0, 25.0, "Voltage", false);
    plot.configureSeries(1, 0, QColor(255, 0, 0), 0.0, 1.25, "Current", true);
    EXPECT_DOUBLE_EQ(plot.leftValueAxis().valuePerPixel, 2000.0 / 200);
    EXPECT_DOUBLE_EQ(plot.rightValueAxis().valuePerPixel, 2000.0 / 200);
    plot.layoutAreas(false);
    EXPECT_DOUBLE_EQ(plot.leftValueAxis().valuePerPixel, 25.0 / 200);
}

TEST(PlotLayout, MainWindowSetUpGivesItsAxesAndWindow) {
    MainWindowPlot m(600, 250, 180);
    EXPECT_EQ(m.plot.parentWidget(), &m.window);
    EXPECT_EQ(platform::controlById(&m.window, HistoryPlotControlId), &m.plot);
    EXPECT_FALSE(m.plot.controlBorder());
    EXPECT_FALSE(m.plot.isHidden());
    EXPECT_EQ(m.plot.timeAxis().start, 0);
    EXPECT_EQ(m.plot.timeAxis().end, 180);
    EXPECT_DOUBLE_EQ(m.plot.timeAxis().secondsPerPixel, 180.0 / 480);
    EXPECT_DOUBLE_EQ(m.plot.leftValueAxis().max, 25.0);
    EXPECT_DOUBLE_EQ(m.plot.rightValueAxis().max, 1.25);
    EXPECT_EQ(m.plot.gapValue, -1.0);
    EXPECT_TRUE(m.plot.autoScroll);
    EXPECT_EQ(QFontInfo(m.plot.labelFont()).family(), "DejaVu Sans");
}

TEST(PlotSeries, LeftLabelsAreDarkGreenWhateverTheSeriesColour) {
    PlotTestApp app;
    clPlot plot;
    plot.configureSeries(3, 0, QColor(0, 255, 0), 0.0, 25.0, "V", false);
    plot.configureSeries(4, 0, QColor(10, 20, 30), 0.0, 1.0, "A", true);
    EXPECT_EQ(plot.leftValueAxis().labelColor, QColor(0, 127, 0));
    EXPECT_EQ(plot.rightValueAxis().labelColor, QColor(10, 20, 30));
    EXPECT_EQ(plot.series(3).color, QColor(0, 255, 0));
    EXPECT_TRUE(plot.series(4).rightAxis);
}

struct ScrollCase {
    int offset; // sample time relative to the window's end
    int moved;  // how far the window moves
};

class AutoScroll : public ::testing::TestWithParam<ScrollCase> {};

TEST_P(AutoScroll, WindowMovesOnlyForSamplesPastItsEnd) {
    MainWindowPlot m(600, 250, 240);
    m.plot.setTimeWindow(1000, 1240, true);
    EXPECT_TRUE(m.plot.appendSample(0, 1240 + GetParam().offset, 3.0));
    EXPECT_EQ(m.plot.timeAxis().start, 1000 + GetParam().moved);
    EXPECT_EQ(m.plot.timeAxis().end, 1240 + GetParam().moved);
    EXPECT_DOUBLE_EQ(m.plot.timeAxis().secondsPerPixel, 0.5);
    EXPECT_EQ(m.plot.series(0).added(), 1);
}

INSTANTIATE_TEST_SUITE_P(AtBeforeAndAfterTheEnd, AutoScroll,
                         ::testing::Values(ScrollCase{0, 0}, ScrollCase{-30, 0}, ScrollCase{5, 5}),
                         [](const auto& info) {
                             return "Offset" + casenames::number(info.param.offset);
                         });

TEST(PlotSeries, HundredThousandthSampleIsTakenAndTheNextRefused) {
    MainWindowPlot m(600, 250);
    for (int k = 1; k < clPlot::maxSamplesPerSeries; ++k)
        ASSERT_TRUE(m.plot.appendSample(1, 5000 + k / 2, 0.5));
    const platform::Seconds end = m.plot.timeAxis().end;
    EXPECT_TRUE(m.plot.appendSample(1, end + 1, 0.5));
    EXPECT_FALSE(m.plot.appendSample(1, end + 100, 0.5));
    EXPECT_EQ(m.plot.series(1).added(), clPlot::maxSamplesPerSeries);
    EXPECT_EQ(m.plot.timeAxis().end, end + 1);
    // Slot 0 is counted on its own.
    EXPECT_TRUE(m.plot.appendSample(0, end + 1, 1.0));
}

TEST(PlotSeries, SlotsOutsideTheTableAreRefused) {
    PlotTestApp app;
    clPlot plot;
    EXPECT_FALSE(plot.appendSample(-1, 100, 1.0));
    EXPECT_FALSE(plot.appendSample(50, 100, 1.0));
    plot.configureSeries(50, 0, QColor(1, 1, 1), 0, 1, "x", true);
    EXPECT_EQ(plot.rightValueAxis().max, 2000.0);
}

TEST(PlotSeries, ClearEmptiesConfiguredSlotsOnlyAndKeepsTheWindow) {
    MainWindowPlot m(600, 250);
    m.plot.appendSample(0, 7000, 5.0);
    m.plot.appendSample(1, 7001, 0.5);
    m.plot.appendSample(5, 7002, 9.0); // slot 5 is not configured
    m.plot.clearSamples();
    EXPECT_EQ(m.plot.series(0).added(), 0);
    EXPECT_EQ(m.plot.series(1).next(), 0);
    EXPECT_EQ(m.plot.series(5).added(), 1);
    EXPECT_EQ(m.plot.timeAxis().start, 7002 - 240);
    EXPECT_EQ(m.plot.timeAxis().end, 7002);
}

TEST(PlotGeometry, GridStepsAndTheirFirstLines) {
    using namespace plotgeom;
    EXPECT_EQ(timeGridStep(0.5), 10);
    EXPECT_EQ(timeGridStep(1.0), 20);
    EXPECT_EQ(timeGridStep(1.99), 20);
    EXPECT_EQ(timeGridStep(2.0), 30);
    EXPECT_EQ(timeGridStep(-3.0), 0); // a reversed window has no grid, not a loop
    EXPECT_EQ(firstTimeGridLine(1000005, 10), 1000000);
    EXPECT_EQ(firstTimeGridLine(1000000, 20), 1000000);
    EXPECT_EQ(firstValueGridLine(0.0, 5.0), 0.0);
    EXPECT_EQ(firstValueGridLine(-7.0, 5.0), -5.0);
    EXPECT_EQ(firstValueGridLine(3.0, 5.0), 0.0);
    // A range below five units has no whole step to align to: the grid starts at min.
    EXPECT_EQ(firstValueGridLine(0.5, 0.6), 0.5);
    EXPECT_EQ(toPixel(1e300), pixelLimit);
    EXPECT_EQ(toPixel(-2.7), -2);
}

} // namespace
