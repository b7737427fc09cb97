#pragma once

#include "plot/Fonts.h"
#include "plot/HistoryPlotSetup.h"
#include "plot/clPlot.h"

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <QWidget>

// The Qt application the plot tests draw with; made once, on the offscreen platform, with
// the face substitutes the program registers at start.
inline void ensurePlotTestApp() {
    if (QApplication::instance() != nullptr)
        return;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "test_plot";
    static char* argv[] = {name, nullptr};
    new QApplication(argc, argv); // lives until the process ends
    fonts::registerFontSubstitutions();
}

struct PlotTestApp {
    PlotTestApp() { ensurePlotTestApp(); }
};

// A plot set up as the main window sets it up, over a frame at (0, 0) of the given size.
struct MainWindowPlot {
    PlotTestApp app;
    QWidget window;
    clPlot plot;

    MainWindowPlot(int width, int height, int span = 240) {
        window.resize(width + 20, height + 20);
        setUpHistoryPlot(plot, &window, QRect(0, 0, width, height), span);
    }
};

// Paints the clip box of the plot over a picture that starts out as `under`.
inline void paintPlot(clPlot& plot, QImage& under, const QRect& clip) {
    QPainter painter(&under);
    plot.paintArea(painter, clip);
}

inline QImage paintPlot(clPlot& plot) {
    QImage image(plot.width(), plot.height(), QImage::Format_RGB32);
    image.fill(QColor(255, 0, 255));
    paintPlot(plot, image, image.rect());
    return image;
}

inline QRgb rgb(int r, int g, int b) {
    return qRgb(r, g, b);
}
