// Time to paint the history plot with both rings full (7199 samples each, as after an hour
// of polling) and a 240 s window: the plot of the real main window, and two sizes of the
// plot alone, into an off-screen image.

#include "support/BenchSupport.h"

#include "device/SupplyDevice.h"
#include "panel/MainDialog.h"
#include "platform/Clock.h"
#include "platform/qt/ControlIds.h"
#include "plot/HistoryPlotSetup.h"
#include "plot/clPlot.h"

#include <QImage>
#include <QPainter>
#include <QWidget>

#include <benchmark/benchmark.h>

#include <cmath>

namespace {

// Two polls a second for an hour, ending now.
void fillRings(clPlot& plot, platform::Seconds end) {
    const platform::Seconds start = end - 3600;
    for (int k = 0; k < 7199; ++k) {
        const platform::Seconds t = start + k / 2;
        plot.appendSample(0, t, 12.0 + 8.0 * std::sin(k / 40.0));
        plot.appendSample(1, t, 0.6 + 0.5 * std::cos(k / 25.0));
    }
}

void paintInto(benchmark::State& state, clPlot& plot, int width, int height,
               std::vector<double>* ms = nullptr) {
    QImage screen(width, height, QImage::Format_RGB32);
    for (auto _ : state) {
        const auto t0 = bench::nowUs();
        QPainter painter(&screen);
        plot.paintArea(painter, screen.rect());
        painter.end();
        benchmark::DoNotOptimize(screen.constBits());
        if (ms)
            ms->push_back((bench::nowUs() - t0) / 1000.0);
    }
}

void PaintFullRings(benchmark::State& state) {
    QWidget window;
    clPlot plot;
    const int width = static_cast<int>(state.range(0));
    const int height = static_cast<int>(state.range(1));
    setUpHistoryPlot(plot, &window, QRect(0, 0, width, height), 240);
    fillRings(plot, 1900000000);
    paintInto(state, plot, width, height);
}
// A mid-size plot and a large one.
BENCHMARK(PaintFullRings)->Args({600, 250})->Args({1200, 500})->Unit(benchmark::kMicrosecond);

// The plot as the main window has it, set up from a settings file with a 240 s span.
void PaintWindowPlot(benchmark::State& state) {
    bench::Bench bench(sim::Mode::MainFirmware, false);
    bench.writeIni({"ComPort=com3", "PlotSpan=240"});
    MainDialog window;
    window.OnInitDialog();
    auto* plot = platform::controlById<clPlot>(&window, HistoryPlotControlId);
    const platform::Seconds end = platform::now();
    fillRings(*plot, end);
    std::vector<double> ms;
    paintInto(state, *plot, plot->width(), plot->height(), &ms);
    const double med = bench::median(ms);
    state.counters["median_ms"] = med;
    char note[128];
    std::snprintf(note, sizeof note, "%dx%d px, 2 x %d samples; 1200x500 px: see PaintFullRings",
                  plot->width(), plot->height(), plot->series(0).added());
    bench::record(
        {"plot paint, both rings full, 240 s (median)", med, "ms", 0, 2, "< 2 ms", med < 2, note});
}
BENCHMARK(PaintWindowPlot)->Iterations(500)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv) {
    return bench::runMain(argc, argv);
}
