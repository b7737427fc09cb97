#include "PlotTestSupport.h"

#include "plot/MemDC.h"
#include "support/CaseNames.h"

#include <gtest/gtest.h>

namespace {

const QRgb White = qRgb(255, 255, 255);
const QRgb Ink = qRgb(0, 0, 0);

struct LineCase {
    QPoint from;
    QPoint to;
    QPoint firstLit;
    QPoint lastLit;
    QPoint unlit;
};

class LineEnds : public ::testing::TestWithParam<LineCase> {};

TEST_P(LineEnds, LineCoversItsStartAndStopsOnePixelShort) {
    PlotTestApp app;
    QImage image(12, 12, QImage::Format_RGB32);
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        MemDC dc(painter, image.rect());
        dc.fillSolidRect({0, 0, 12, 12}, Qt::white);
        dc.moveTo(GetParam().from.x(), GetParam().from.y());
        dc.lineTo(GetParam().to.x(), GetParam().to.y());
    }
    EXPECT_EQ(image.pixel(GetParam().firstLit), Ink);
    EXPECT_EQ(image.pixel(GetParam().lastLit), Ink);
    EXPECT_EQ(image.pixel(GetParam().unlit), White);
}

INSTANTIATE_TEST_SUITE_P(
    AllDirections, LineEnds,
    ::testing::Values(LineCase{{1, 1}, {8, 1}, {1, 1}, {7, 1}, {8, 1}},
                      LineCase{{8, 1}, {1, 1}, {8, 1}, {2, 1}, {1, 1}},
                      LineCase{{3, 9}, {3, 2}, {3, 9}, {3, 3}, {3, 2}},
                      LineCase{{3, 2}, {3, 9}, {3, 2}, {3, 8}, {3, 9}},
                      LineCase{{1, 1}, {7, 7}, {1, 1}, {6, 6}, {7, 7}},
                      // From far outside the context: only the part inside is walked.
                      LineCase{{5, -16000000}, {5, 10}, {5, 0}, {5, 9}, {5, 10}}),
    [](const auto& info) {
        auto point = [](QPoint p) {
            return casenames::number(p.x()) + "_" + casenames::number(p.y());
        };
        return "From" + point(info.param.from) + "_To" + point(info.param.to);
    });

TEST(MemDCDrawing, PixelsLeftUnpaintedReachTheTargetBlackNotAsLeftoverMemory) {
    PlotTestApp app;
    // A freed picture of the same size is what a new one most likely reuses.
    { QImage(64, 64, QImage::Format_RGB32).fill(qRgb(1, 2, 3)); }
    QImage image(64, 64, QImage::Format_RGB32);
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        MemDC dc(painter, image.rect());
        dc.fillSolidRect({0, 0, 32, 64}, Qt::white);
    }
    EXPECT_EQ(image.pixel(10, 10), White);
    for (QPoint p : {QPoint(32, 0), QPoint(40, 20), QPoint(63, 63)})
        EXPECT_EQ(image.pixel(p), Ink) << p.x() << "," << p.y();
}

TEST(MemDCDrawing, RectanglesExcludeRightAndBottomAndPointsDrawNothing) {
    PlotTestApp app;
    QImage image(10, 10, QImage::Format_RGB32);
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        MemDC dc(painter, image.rect());
        dc.fillSolidRect({0, 0, 10, 10}, Qt::white);
        dc.fillSolidRect({2, 2, 6, 5}, Qt::black);
        const QPoint single(8, 8);
        dc.polyline(&single, 1);
        dc.moveTo(8, 1);
        dc.lineTo(8, 1);
    }
    EXPECT_EQ(image.pixel(5, 4), Ink);
    EXPECT_EQ(image.pixel(6, 4), White);
    EXPECT_EQ(image.pixel(5, 5), White);
    // A polyline of one point and a line of no length draw nothing.
    EXPECT_EQ(image.pixel(8, 8), White);
    EXPECT_EQ(image.pixel(8, 1), White);
}

TEST(MemDCDrawing, TextIsOpaqueAndClippedToItsBox) {
    PlotTestApp app;
    QImage image(80, 30, QImage::Format_RGB32);
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        MemDC dc(painter, image.rect());
        dc.fillSolidRect({0, 0, 80, 30}, Qt::white);
        dc.setBkColor(QColor(0, 0, 255));
        dc.setTextColor(QColor(255, 0, 0));
        dc.drawText("00", {10, 5, 70, 12}, MemDC::TextAlign::Right);
    }
    EXPECT_EQ(image.pixel(69, 5), qRgb(0, 0, 255)); // cell background at the right edge
    EXPECT_EQ(image.pixel(70, 5), White);
    EXPECT_EQ(image.pixel(69, 12), White); // below the box: clipped
    EXPECT_EQ(image.pixel(11, 5), White);  // left of the text's cell
}

} // namespace
