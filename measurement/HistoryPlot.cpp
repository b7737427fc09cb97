#include "measurement/HistoryPlot.h"

#include "history/TimeText.h"
#include "platform/Clock.h"
#include "resources/Texts.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>

#include <cmath>

using history::Column;
using history::PlotArea;
using history::Quantities;
using history::Quantity;

namespace {

// The range an axis shows before there is anything to fit it to: the supply's own.
const history::ValueRange EmptyRanges[Quantities] = {{0.0, 20.0}, {0.0, 1.0}, {0.0, 6.0}};
const char* const Units[Quantities] = {"V", "A", "W"};
const texts::Text Names[Quantities] = {texts::HistoryVoltage, texts::HistoryCurrent,
                                       texts::HistoryPower};
const QColor GridColor(222, 222, 222);
const QColor FrameColor(120, 120, 120);
const QColor CursorColors[2] = {QColor(0, 120, 200), QColor(200, 0, 160)};
// A pointer this close to a cursor takes it.
constexpr int CursorGrip = 4;

void fitAxes(history::HistoryView& view, const std::vector<Column>& cols) {
    for (int q = 0; q < Quantities; ++q) {
        history::ValueAxis& axis = view.axes[q];
        if (!axis.automatic)
            continue;
        bool any = false;
        double lo = 0.0;
        double hi = 0.0;
        for (const Column& c : cols) {
            if (c.empty)
                continue;
            lo = any ? std::min(lo, c.min[q]) : c.min[q];
            hi = any ? std::max(hi, c.max[q]) : c.max[q];
            any = true;
        }
        axis.range = any ? history::roomyRange(lo, hi) : EmptyRanges[q];
    }
}

void drawTimeAxis(QPainter& p, const PlotArea& a, const history::HistoryStore& store,
                  const history::HistoryView& view) {
    const auto ticks = history::timeTicks(view.start(), view.end(), std::max(2, a.width() / 110),
                                          store.clockSpans(view.start(), view.end()));
    for (const history::Tick& t : ticks) {
        const int x = history::columnOf(a, view.start(), view.end(), t.position);
        p.setPen(GridColor);
        p.drawLine(x, a.top, x, a.bottom - 1);
        p.setPen(Qt::black);
        p.drawText(QRect(x - 60, a.bottom + 3, 120, history::TimeLabelHeight - 4),
                   Qt::AlignHCenter | Qt::AlignTop, QString::fromStdString(t.label));
    }
}

void drawValueAxes(QPainter& p, const PlotArea& a, const history::HistoryView& view,
                   const HistoryPicture& pic) {
    const int maxTicks = std::max(2, a.height() / 40);
    bool gridDrawn = false;
    for (int q = 0; q < Quantities; ++q) {
        if (!pic.visible[q])
            continue;
        const history::ValueRange& r = view.axes[q].range;
        const auto ticks = history::valueTicks(r.min, r.max, maxTicks);
        // The first axis shown draws the horizontal grid.
        if (!gridDrawn) {
            p.setPen(GridColor);
            for (const history::Tick& t : ticks) {
                const int y = history::rowOf(a, r, t.position);
                p.drawLine(a.left, y, a.right - 1, y);
            }
            gridDrawn = true;
        }
        const int x = q == 0 ? 0 : a.right + (q - 1) * history::AxisWidth + 4;
        const int align = (q == 0 ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter;
        p.setPen(traceColor(static_cast<Quantity>(q)));
        for (const history::Tick& t : ticks) {
            const int y = history::rowOf(a, r, t.position);
            p.drawText(QRect(x, y - 8, history::AxisWidth - 6, 16), align,
                       QString::fromStdString(t.label));
        }
        p.drawText(QRect(x, 2, history::AxisWidth - 6, history::LegendHeight - 4), align,
                   QString::fromLatin1(Units[q]));
    }
}

void drawLegend(QPainter& p, const PlotArea& a, const history::HistoryStore& store,
                const history::HistoryView& view, const HistoryPicture& pic) {
    int x = a.left + 4;
    const int y = history::LegendHeight / 2;
    for (int q = 0; q < Quantities; ++q) {
        if (!pic.visible[q])
            continue;
        p.setPen(QPen(traceColor(static_cast<Quantity>(q)), 2));
        p.drawLine(x, y, x + 16, y);
        const QString name = QString::fromUtf8(Names[q].c_str()) + QStringLiteral(" [") +
                             QLatin1String(Units[q]) + ']';
        p.setPen(Qt::black);
        const int w = p.fontMetrics().horizontalAdvance(name);
        p.drawText(QRect(x + 20, 0, w + 2, history::LegendHeight), Qt::AlignVCenter, name);
        x += 20 + w + 14;
    }
    const std::string span = history::readoutTime(store.stampAt(view.start()), false) + " - " +
                             history::readoutTime(store.stampAt(view.end()), false);
    p.drawText(QRect(x, 0, a.right - x, history::LegendHeight), Qt::AlignRight | Qt::AlignVCenter,
               QString::fromStdString(span));
}

void drawTrace(QPainter& p, const PlotArea& a, const history::HistoryStore& store,
               const history::HistoryView& view, const std::vector<Column>& cols, int q) {
    const QColor colour = traceColor(static_cast<Quantity>(q));
    const history::ValueRange& r = view.axes[q].range;
    std::vector<QLine> joins;
    joins.reserve(cols.size());
    // The reading before the span joins the first column, unless a gap lies between.
    bool havePrevious = false;
    QPoint previous;
    const std::size_t firstIndex = store.lowerBound(view.start());
    if (firstIndex > 0) {
        const history::Sample s = store.at(firstIndex - 1, false);
        previous = QPoint(history::columnOf(a, view.start(), view.end(), s.timeMs),
                          history::rowOf(a, r, s.value(static_cast<Quantity>(q))));
        havePrevious = true;
    }
    for (std::size_t c = 0; c < cols.size(); ++c) {
        const Column& col = cols[c];
        if (col.empty)
            continue;
        const int x = a.left + static_cast<int>(c);
        const int top = history::rowOf(a, r, col.max[q]);
        const int bottom = history::rowOf(a, r, col.min[q]);
        if (havePrevious && !col.runStart)
            joins.emplace_back(previous, QPoint(x, history::rowOf(a, r, col.first[q])));
        p.fillRect(QRect(x, top, 1, bottom - top + 1), colour);
        previous = QPoint(x, history::rowOf(a, r, col.last[q]));
        havePrevious = true;
    }
    // And the reading after it joins the last.
    const std::size_t after = store.lowerBound(view.end());
    if (havePrevious && after < store.size()) {
        const history::Sample s = store.at(after, false);
        if (!s.runStart)
            joins.emplace_back(previous,
                               QPoint(history::columnOf(a, view.start(), view.end(), s.timeMs),
                                      history::rowOf(a, r, s.value(static_cast<Quantity>(q)))));
    }
    p.setPen(QPen(colour, 0));
    p.drawLines(joins.data(), static_cast<int>(joins.size()));
}

} // namespace

QColor traceColor(Quantity q) {
    switch (q) {
    case Quantity::Voltage:
        return QColor(0, 150, 0);
    case Quantity::Current:
        return QColor(210, 0, 0);
    case Quantity::Power:
        return QColor(0, 0, 210);
    }
    return Qt::black;
}

void renderHistory(QPainter& p, const QRect& target, const history::HistoryStore& store,
                   history::HistoryView& view, const HistoryPicture& pic) {
    p.save();
    p.translate(target.topLeft());
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setClipRect(QRect(QPoint(0, 0), target.size()));
    p.fillRect(QRect(QPoint(0, 0), target.size()), Qt::white);
    QFont font = p.font();
    font.setPixelSize(11);
    p.setFont(font);
    const PlotArea a = history::plotArea(target.width(), target.height());

    // One envelope column per pixel; kept between paints so that a paint allocates nothing.
    static thread_local std::vector<Column> cols;
    store.envelope(view.start(), view.end(), a.width(), cols);
    fitAxes(view, cols);

    drawTimeAxis(p, a, store, view);
    drawValueAxes(p, a, view, pic);
    drawLegend(p, a, store, view, pic);
    p.setPen(FrameColor);
    p.drawRect(a.left - 1, a.top - 1, a.width() + 1, a.height() + 1);

    p.setClipRect(QRect(a.left, a.top, a.width(), a.height()));
    for (int q = Quantities - 1; q >= 0; --q)
        if (pic.visible[q])
            drawTrace(p, a, store, view, cols, q);

    if (pic.cursors) {
        for (int k = 0; k < 2; ++k) {
            const int x = history::columnOf(a, view.start(), view.end(), pic.cursorMs[k]);
            p.setPen(QPen(CursorColors[k], 0, Qt::DashLine));
            p.drawLine(x, a.top, x, a.bottom - 1);
            p.drawText(QRect(x + 3, a.top + 1, 14, 14), Qt::AlignLeft | Qt::AlignTop,
                       k == 0 ? QStringLiteral("A") : QStringLiteral("B"));
        }
    }
    if (pic.box) {
        p.setPen(QPen(Qt::black, 0, Qt::DotLine));
        p.setBrush(Qt::NoBrush);
        p.drawRect(*pic.box);
    }
    p.restore();
}

HistoryPlot::HistoryPlot(QWidget* parent) : QWidget(parent) {
    setObjectName("historyPlot");
    setFocusPolicy(Qt::StrongFocus);
    setMouseTracking(true);
    setMinimumSize(2 * history::AxisWidth + 200,
                   history::LegendHeight + history::TimeLabelHeight + 120);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void HistoryPlot::setStore(const history::HistoryStore* store) {
    store_ = store;
    refresh();
}

history::PlotArea HistoryPlot::area() const {
    return history::plotArea(width(), height());
}

void HistoryPlot::followReadings() {
    if (store_ && !store_->empty()) {
        view_.follow(static_cast<double>(store_->firstTime()),
                     static_cast<double>(store_->lastTime()));
    } else {
        // Nothing recorded yet: the span ends now.
        const double now = static_cast<double>(platform::now()) * 1000.0;
        view_.follow(now, now);
    }
}

void HistoryPlot::refresh() {
    followReadings();
    update();
}

void HistoryPlot::changed() {
    followReadings();
    update();
    emit viewChanged();
}

void HistoryPlot::showCursors(bool on) {
    picture_.cursors = on;
    if (on) {
        picture_.cursorMs[0] = view_.timeAt(1.0 / 3);
        picture_.cursorMs[1] = view_.timeAt(2.0 / 3);
    }
    changed();
}

void HistoryPlot::paintEvent(QPaintEvent*) {
    followReadings();
    QPainter p(this);
    static const history::HistoryStore nothing(1);
    renderHistory(p, rect(), store_ ? *store_ : nothing, view_, picture_);
}

void HistoryPlot::mousePressEvent(QMouseEvent* event) {
    const QPoint pos = event->position().toPoint();
    pressed_ = last_ = pos;
    const PlotArea a = area();
    drag_ = Drag::None;
    if (event->button() == Qt::RightButton) {
        drag_ = Drag::Box;
    } else if (event->button() == Qt::LeftButton) {
        drag_ = event->modifiers() & Qt::ShiftModifier ? Drag::Box : Drag::Pan;
        if (picture_.cursors && drag_ == Drag::Pan) {
            for (int k = 0; k < 2; ++k) {
                const int x =
                    history::columnOf(a, view_.start(), view_.end(), picture_.cursorMs[k]);
                if (std::abs(pos.x() - x) <= CursorGrip)
                    drag_ = k == 0 ? Drag::CursorA : Drag::CursorB;
            }
        }
    }
    event->accept();
}

void HistoryPlot::mouseMoveEvent(QMouseEvent* event) {
    const QPoint pos = event->position().toPoint();
    const PlotArea a = area();
    switch (drag_) {
    case Drag::None:
        if (history::contains(a, pos.x(), pos.y()))
            emit hovered(view_.timeAt(history::fractionOfX(a, pos.x() + 0.5)));
        else
            emit hovered(std::nullopt);
        break;
    case Drag::Pan:
        view_.pan(-static_cast<double>(pos.x() - last_.x()) / a.width());
        changed();
        break;
    case Drag::Box:
        picture_.box = QRect(pressed_, pos).normalized();
        update();
        break;
    case Drag::CursorA:
    case Drag::CursorB:
        picture_.cursorMs[drag_ == Drag::CursorA ? 0 : 1] =
            view_.timeAt(history::fractionOfX(a, pos.x() + 0.5));
        changed();
        break;
    }
    last_ = pos;
}

void HistoryPlot::mouseReleaseEvent(QMouseEvent* event) {
    if (drag_ == Drag::Box) {
        const QPoint pos = event->position().toPoint();
        const PlotArea a = area();
        picture_.box.reset();
        if (std::abs(pos.x() - pressed_.x()) >= 3) {
            const double x0 = history::fractionOfX(a, pressed_.x());
            const double x1 = history::fractionOfX(a, pos.x());
            // A flat box zooms time alone.
            if (std::abs(pos.y() - pressed_.y()) >= 3)
                view_.zoomBox(x0, history::fractionOfY(a, pressed_.y()), x1,
                              history::fractionOfY(a, pos.y()));
            else
                view_.setRange(view_.timeAt(x0), view_.timeAt(x1));
        }
        changed();
    }
    drag_ = Drag::None;
}

void HistoryPlot::wheelEvent(QWheelEvent* event) {
    const double notches = event->angleDelta().y() / 120.0;
    if (notches == 0)
        return;
    const double factor = std::pow(history::HistoryView::ZoomInFactor, notches);
    const PlotArea a = area();
    const QPointF pos = event->position();
    if (event->modifiers() & Qt::ControlModifier)
        view_.zoomValues(factor, std::clamp(history::fractionOfY(a, pos.y()), 0.0, 1.0));
    else
        view_.zoomTime(factor, std::clamp(history::fractionOfX(a, pos.x()), 0.0, 1.0));
    changed();
    event->accept();
}

void HistoryPlot::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
    case Qt::Key_Plus:
    case Qt::Key_Equal:
        view_.zoomTime(history::HistoryView::ZoomInFactor, 0.5);
        break;
    case Qt::Key_Minus:
        view_.zoomTime(1 / history::HistoryView::ZoomInFactor, 0.5);
        break;
    case Qt::Key_Left:
        view_.pan(-0.1);
        break;
    case Qt::Key_Right:
        view_.pan(0.1);
        break;
    case Qt::Key_Home:
        view_.fit();
        break;
    case Qt::Key_End:
        view_.goLive();
        break;
    default:
        QWidget::keyPressEvent(event);
        return;
    }
    changed();
}

void HistoryPlot::leaveEvent(QEvent*) {
    emit hovered(std::nullopt);
}
