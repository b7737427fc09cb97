#include "measurement/SequencePreview.h"

#include "history/PlotLayout.h"
#include "measurement/HistoryPlot.h"
#include "resources/Texts.h"

#include <QPaintEvent>
#include <QPainter>

#include <algorithm>
#include <cstdio>

namespace {

using history::Quantity;

const QColor GridColor(222, 222, 222);
const QColor FrameColor(120, 120, 120);
const QColor LimitColor(170, 0, 0);
const QColor OverColor(255, 0, 0, 50);
const QColor NowColor(0, 120, 200);

// A polyline of (seconds, value) pairs on its axis.
template <class Points, class Value>
void drawLine(QPainter& p, const history::PlotArea& a, double seconds,
              const history::ValueRange& range, const Points& points, Value value, QColor colour) {
    QPolygon poly;
    for (const auto& pt : points)
        poly << QPoint(history::columnOf(a, 0.0, seconds, pt.seconds),
                       history::rowOf(a, range, value(pt)));
    p.setPen(QPen(colour, 2));
    p.drawPolyline(poly);
}

} // namespace

void renderPreview(QPainter& p, const QRect& target, const PreviewPicture& pic) {
    p.save();
    p.translate(target.topLeft());
    p.setClipRect(QRect(QPoint(0, 0), target.size()));
    p.fillRect(QRect(QPoint(0, 0), target.size()), Qt::white);
    QFont font = p.font();
    font.setPixelSize(11);
    p.setFont(font);
    const history::PlotArea a = history::plotArea(target.width(), target.height());
    const auto power = sequence::powerLine(pic.line);
    const sequence::PreviewTops tops = sequence::previewTops(pic.line, power, pic.capacityWatts);
    const history::ValueRange ranges[3] = {{0.0, tops.volts}, {0.0, tops.amps}, {0.0, tops.watts}};
    const char* units[3] = {"V", "A", "W"};

    // Axes: time along the bottom, volts on the left, amperes and watts on the right.
    const int maxTicks = std::max(2, a.height() / 40);
    p.setPen(GridColor);
    for (const history::Tick& t : history::valueTicks(0.0, tops.volts, maxTicks))
        p.drawLine(a.left, history::rowOf(a, ranges[0], t.position), a.right - 1,
                   history::rowOf(a, ranges[0], t.position));
    for (const history::Tick& t :
         history::valueTicks(0.0, tops.seconds, std::max(2, a.width() / 80))) {
        const int x = history::columnOf(a, 0.0, tops.seconds, t.position);
        p.setPen(GridColor);
        p.drawLine(x, a.top, x, a.bottom - 1);
        p.setPen(Qt::black);
        p.drawText(QRect(x - 40, a.bottom + 3, 80, history::TimeLabelHeight - 4),
                   Qt::AlignHCenter | Qt::AlignTop, QString::fromStdString(t.label) + "s");
    }
    for (int q = 0; q < 3; ++q) {
        const int x = q == 0 ? 0 : a.right + (q - 1) * history::AxisWidth + 4;
        const int align = (q == 0 ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter;
        p.setPen(traceColor(static_cast<Quantity>(q)));
        for (const history::Tick& t : history::valueTicks(0.0, ranges[q].max, maxTicks)) {
            const int y = history::rowOf(a, ranges[q], t.position);
            p.drawText(QRect(x, y - 8, history::AxisWidth - 6, 16), align,
                       QString::fromStdString(t.label));
        }
        p.drawText(QRect(x, 2, history::AxisWidth - 6, history::LegendHeight - 4), align,
                   QString::fromLatin1(units[q]));
    }
    p.setPen(FrameColor);
    p.drawRect(a.left - 1, a.top - 1, a.width() + 1, a.height() + 1);

    p.setClipRect(QRect(a.left, a.top, a.width(), a.height()));
    for (const sequence::Span& s : sequence::overPower(power, pic.capacityWatts)) {
        const int x0 = history::columnOf(a, 0.0, tops.seconds, s.from);
        const int x1 = history::columnOf(a, 0.0, tops.seconds, s.to);
        p.fillRect(QRect(x0, a.top, std::max(1, x1 - x0), a.height()), OverColor);
    }
    drawLine(
        p, a, tops.seconds, ranges[2], power, [](const auto& pt) { return pt.watts; },
        traceColor(Quantity::Power));
    drawLine(
        p, a, tops.seconds, ranges[1], pic.line, [](const auto& pt) { return pt.amps; },
        traceColor(Quantity::Current));
    drawLine(
        p, a, tops.seconds, ranges[0], pic.line, [](const auto& pt) { return pt.volts; },
        traceColor(Quantity::Voltage));
    const int limitY = history::rowOf(a, ranges[2], pic.capacityWatts);
    p.setPen(QPen(LimitColor, 1, Qt::DashLine));
    p.drawLine(a.left, limitY, a.right - 1, limitY);
    char limit[64];
    std::snprintf(limit, sizeof limit, texts::SequencePreviewLimit, pic.capacityWatts);
    p.drawText(QRect(a.left + 4, limitY - 16, 200, 14), Qt::AlignLeft | Qt::AlignBottom,
               QString::fromUtf8(limit));
    p.restore();
    if (const auto x = nowColumn(target, pic)) {
        p.setPen(QPen(NowColor, 2));
        p.drawLine(target.left() + *x, target.top() + a.top, target.left() + *x,
                   target.top() + a.bottom - 1);
    }
}

std::optional<int> nowColumn(const QRect& target, const PreviewPicture& pic) {
    if (!pic.nowSeconds)
        return std::nullopt;
    const history::PlotArea a = history::plotArea(target.width(), target.height());
    const auto tops =
        sequence::previewTops(pic.line, sequence::powerLine(pic.line), pic.capacityWatts);
    return std::clamp(history::columnOf(a, 0.0, tops.seconds, *pic.nowSeconds), a.left,
                      a.right - 1);
}

SequencePreview::SequencePreview(QWidget* parent) : QWidget(parent) {
    setObjectName("sequencePreview");
    setMinimumSize(360, 200);
}

void SequencePreview::show(PreviewPicture picture) {
    const bool sameLine =
        picture.line == picture_.line && picture.capacityWatts == picture_.capacityWatts;
    const auto before = nowColumn(rect(), picture_);
    const auto after = nowColumn(rect(), picture);
    picture_ = std::move(picture);
    if (!sameLine) {
        drawnValid_ = false;
        update();
        return;
    }
    // Only the marker moved: the columns it leaves and takes are drawn again.
    for (const auto& x : {before, after})
        if (x && before != after)
            update(QRect(*x - 2, 0, 5, height()));
}

void SequencePreview::paintEvent(QPaintEvent* event) {
    if (!drawnValid_ || drawn_.size() != size()) {
        drawn_ = QImage(size(), QImage::Format_RGB32);
        QPainter p(&drawn_);
        PreviewPicture still = picture_;
        still.nowSeconds.reset();
        renderPreview(p, drawn_.rect(), still);
        drawnValid_ = true;
    }
    QPainter p(this);
    p.drawImage(event->rect(), drawn_, event->rect());
    if (const auto x = nowColumn(rect(), picture_)) {
        const history::PlotArea a = history::plotArea(width(), height());
        p.setPen(QPen(NowColor, 2));
        p.drawLine(*x, a.top, *x, a.bottom - 1);
    }
}
