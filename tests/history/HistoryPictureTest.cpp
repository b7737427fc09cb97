#include "HistoryTestSupport.h"

#include "measurement/HistoryPlot.h"
#include "support/QtTestApp.h"

#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

using history::Quantity;

namespace {

constexpr int W = 640;
constexpr int H = 320;
constexpr std::int64_t T0 = 1'800'000'000'000;

// A minute of readings, then a pause of a minute, then another minute; the voltage and the
// current rise so that every trace crosses many rows.
void fill(history::HistoryStore& s, bool gapMarked) {
    for (int k = 0; k < 240; ++k) {
        const std::int64_t t = T0 + k * 500 + (k >= 120 ? 60000 : 0);
        if (k == 120 && gapMarked)
            s.gap();
        s.append(entryAt(t, 2.0 + k * 0.05, 0.1 + k * 0.002));
    }
}

// Pixels of a colour in the columns [x0, x1) of the plotting area.
int pixelsOf(const QImage& image, QColor colour, int x0, int x1) {
    const history::PlotArea a = history::plotArea(W, H);
    int n = 0;
    for (int x = x0; x < x1; ++x)
        for (int y = a.top; y < a.bottom; ++y)
            n += image.pixelColor(x, y) == colour;
    return n;
}

struct PictureCase {
    const char* name;
    bool gapMarked;
    bool currentShown;
    Quantity traced;
    bool drawnInThePause; // anything of that trace in the columns of the pause
    bool drawnAtAll;
};

class HistoryPicturePixels : public ::testing::TestWithParam<PictureCase> {};

TEST_P(HistoryPicturePixels, DrawOnlyWhatThereIsToJoin) {
    qtTestApp();
    const PictureCase& c = GetParam();
    history::HistoryStore store;
    fill(store, c.gapMarked);
    history::HistoryView view;
    view.fit();
    view.follow(static_cast<double>(store.firstTime()), static_cast<double>(store.lastTime()));
    HistoryPicture picture;
    picture.visible[static_cast<int>(Quantity::Current)] = c.currentShown;
    QImage image(W, H, QImage::Format_RGB32);
    QPainter painter(&image);
    renderHistory(painter, image.rect(), store, view, picture);
    painter.end();

    const history::PlotArea a = history::plotArea(W, H);
    // The pause lies between 60 s and 120 s of the 180 s shown; a margin of a few columns
    // keeps the ends of the runs out.
    const int pauseFrom = a.left + a.width() * 61 / 180;
    const int pauseTo = a.left + a.width() * 119 / 180;
    const QColor colour = traceColor(c.traced);
    EXPECT_EQ(pixelsOf(image, colour, pauseFrom, pauseTo) > 0, c.drawnInThePause);
    EXPECT_EQ(pixelsOf(image, colour, a.left, a.right) > 0, c.drawnAtAll);
}

INSTANTIATE_TEST_SUITE_P(
    Pictures, HistoryPicturePixels,
    ::testing::Values(
        PictureCase{"GapLeavesThePauseEmpty", true, true, Quantity::Voltage, false, true},
        PictureCase{"PauseWithoutGapIsJoined", false, true, Quantity::Voltage, true, true},
        PictureCase{"HiddenCurrentIsNotDrawn", false, false, Quantity::Current, false, false},
        PictureCase{"OthersStayWhenCurrentIsHidden", false, false, Quantity::Power, true, true}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(HistoryPicture, ReadingsBeyondTheSpanJoinItsEdges) {
    qtTestApp();
    history::HistoryStore store;
    for (int k = 0; k < 40; ++k)
        store.append(entryAt(T0 + k * 500, 5.0, 0.2));
    history::HistoryView view;
    // Two seconds inside the run: the readings next to the edges lie outside.
    view.setRange(static_cast<double>(T0) + 10250, static_cast<double>(T0) + 12250);
    HistoryPicture picture;
    QImage image(W, H, QImage::Format_RGB32);
    QPainter painter(&image);
    renderHistory(painter, image.rect(), store, view, picture);
    painter.end();
    const history::PlotArea a = history::plotArea(W, H);
    const QColor v = traceColor(Quantity::Voltage);
    EXPECT_GT(pixelsOf(image, v, a.left, a.left + 10), 0);
    EXPECT_GT(pixelsOf(image, v, a.right - 10, a.right), 0);
}

} // namespace
