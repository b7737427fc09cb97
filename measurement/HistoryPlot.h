#pragma once

#include "history/HistoryStore.h"
#include "history/HistoryView.h"
#include "history/PlotLayout.h"

#include <QColor>
#include <QPoint>
#include <QRect>
#include <QWidget>

#include <array>
#include <optional>
#include <vector>

class QPainter;

// What a picture of the history shows besides the readings.
struct HistoryPicture {
    std::array<bool, history::Quantities> visible{true, true, true};
    bool cursors = false;
    double cursorMs[2] = {0.0, 0.0};
    std::optional<QRect> box; // the box being drawn, in the picture's pixels
};

// The trace colours, also those of their axes and legend.
QColor traceColor(history::Quantity q);

// Draws the history into `target` of the painter: the readings of the view's span reduced
// to one envelope column per pixel, the three value axes, the local time axis, the legend,
// the cursors and a box being drawn. Fitting axes take their ranges from what is drawn.
// Used for the window, and for the PNG and SVG pictures alike.
void renderHistory(QPainter& painter, const QRect& target, const history::HistoryStore& store,
                   history::HistoryView& view, const HistoryPicture& picture);

// The plot of the history page: paints through renderHistory and turns the mouse and keys
// into changes of the view. Wheel: time around the pointer (Ctrl: the value axes); drag: pan;
// Shift+drag or right drag: a box to zoom to; a drag on a cursor moves it. Keys: + and -
// zoom, arrows pan, Home shows all, End goes live.
class HistoryPlot : public QWidget {
    Q_OBJECT
public:
    explicit HistoryPlot(QWidget* parent = nullptr);

    void setStore(const history::HistoryStore* store);
    const history::HistoryStore* store() const { return store_; }
    history::HistoryView& view() { return view_; }
    HistoryPicture& picture() { return picture_; }
    // Puts the cursors at a third and two thirds of the shown span, or hides them.
    void showCursors(bool on);
    // Brings a following view up to the readings and repaints.
    void refresh();
    history::PlotArea area() const;

signals:
    // The span, the axes or a cursor moved.
    void viewChanged();
    // The pointer is over this time (nothing: it left the plotting area).
    void hovered(std::optional<double> timeMs);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    enum class Drag { None, Pan, Box, CursorA, CursorB };
    void followReadings();
    void changed();

    const history::HistoryStore* store_ = nullptr;
    history::HistoryView view_;
    HistoryPicture picture_;
    Drag drag_ = Drag::None;
    QPoint pressed_;
    QPoint last_;
};
