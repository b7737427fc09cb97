#pragma once

#include <QRect>

class QWidget;
class clPlot;

// Control id of the history plot in the main window.
inline constexpr int HistoryPlotControlId = 12000;

// Sets up the main window's history plot over frameRect (the hidden frame control 1039, in
// the main window's client coordinates), in the order its scales need: a time window of
// plotSpan seconds, voltage 0..25 V in green on the left, current 0..1.25 A in red on the
// right, black plotting area with dark green grid on the menu colour, gaps marked by -1.0,
// scrolling with the newest sample; then the window itself. Returns what clPlot::create does.
//
// Afterwards the main window feeds two samples per connected poll with appendSample(0, now,
// volts) and appendSample(1, now, amperes), and calls clearSamples() on every connect.
bool setUpHistoryPlot(clPlot& plot, QWidget* mainWindow, const QRect& frameRect, int plotSpan);
