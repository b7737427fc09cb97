// Time to paint the history plot with both rings full (7199 samples each, as after an hour
// of polling) and a 240 s window, into an off-screen image the size of the main window's plot.

#include "plot/Fonts.h"
#include "plot/HistoryPlotSetup.h"
#include "plot/clPlot.h"

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <QWidget>

#include <benchmark/benchmark.h>

#include <cmath>

namespace {

void fillRings(clPlot& plot) {
    const platform::Seconds start = 1900000000;
    for (int k = 0; k < 7199; ++k) {
        const platform::Seconds t = start + k / 2; // two polls a second
        plot.appendSample(0, t, 12.0 + 8.0 * std::sin(k / 40.0));
        plot.appendSample(1, t, 0.6 + 0.5 * std::cos(k / 25.0));
    }
}

void PaintFullRings(benchmark::State& state) {
    QWidget window;
    clPlot plot;
    const int width = static_cast<int>(state.range(0));
    const int height = static_cast<int>(state.range(1));
    setUpHistoryPlot(plot, &window, QRect(0, 0, width, height), 240);
    fillRings(plot);
    QImage screen(width, height, QImage::Format_RGB32);
    for (auto _ : state) {
        QPainter painter(&screen);
        plot.paintArea(painter, screen.rect());
        painter.end();
        benchmark::DoNotOptimize(screen.constBits());
    }
}

// A mid-size plot and a large one.
BENCHMARK(PaintFullRings)->Args({600, 250})->Args({1200, 500})->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    int qtArgc = 1;
    char name[] = "PlotPaintBench";
    char* qtArgv[] = {name, nullptr};
    QApplication app(qtArgc, qtArgv);
    fonts::registerFontSubstitutions();
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
