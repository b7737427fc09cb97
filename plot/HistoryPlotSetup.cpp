#include "plot/HistoryPlotSetup.h"

#include "plot/MemDC.h"
#include "plot/clPlot.h"

#include <QApplication>
#include <QPalette>

bool setUpHistoryPlot(clPlot& plot, QWidget* mainWindow, const QRect& frameRect, int plotSpan) {
    plot.setTimeWindow(0, plotSpan, true);
    plot.configureSeries(0, PenSolid, QColor(0, 255, 0), 0.0, 25.0, QStringLiteral("Voltage"),
                         false);
    plot.configureSeries(1, PenSolid, QColor(255, 0, 0), 0.0, 1.25, QStringLiteral("Current"),
                         true);
    plot.plotBackColor = QColor(0, 0, 0);
    plot.gridColor = QColor(0, 127, 0);
    plot.controlBackColor = QApplication::palette("QMenu").color(QPalette::Window);
    // -1.0 never comes from the device, so 0 V and 0 A are drawn as values.
    plot.gapValue = -1.0;
    plot.autoScroll = true;
    return plot.create(clPlot::StyleChild | clPlot::StyleVisible, frameRect, mainWindow,
                       HistoryPlotControlId);
}
