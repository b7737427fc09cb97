// The main window against the simulated supply on a pseudo-terminal: one poll tick with the
// repaint it causes, the status exchange alone, connecting to a present and to a silent
// device, and the settings dialog's SCAN with no port present.

#include "support/BenchSupport.h"

#include "config/Settings.h"
#include "config/ui/SettingsDialog.h"
#include "device/SupplyDevice.h"
#include "panel/MainDialog.h"
#include "platform/Clock.h"
#include "platform/qt/ControlIds.h"
#include "plot/HistoryPlotSetup.h"
#include "plot/clPlot.h"

#include <QAbstractButton>
#include <QApplication>
#include <QEvent>
#include <QPaintEvent>
#include <QTimer>

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <map>

namespace {

// The 10 ms pause before and after the one command byte of a status query.
constexpr double PollFloorMs = 2 * SupplyDevice::PauseMs;
// Synchronisation settle time, then identify, set-point, status and version: one byte each.
constexpr double ConnectFloorMs = 30 + 4 * 2 * SupplyDevice::PauseMs;
// Ten synchronisation attempts, each the settle time and one idle read of 100 ms.
constexpr double SilentConnectFloorMs = 10 * (30 + 100);

// Counts what the window repaints: paint events and the pixels they cover.
class PaintCounter : public QObject {
public:
    PaintCounter() { QApplication::instance()->installEventFilter(this); }
    ~PaintCounter() override { QApplication::instance()->removeEventFilter(this); }
    void reset() {
        events = 0;
        pixels = 0;
        byClass.clear();
    }
    long events = 0;
    long pixels = 0;
    std::map<std::string, long> byClass;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint) {
            ++events;
            const QRect r = static_cast<QPaintEvent*>(event)->rect();
            pixels += static_cast<long>(r.width()) * r.height();
            ++byClass[watched->metaObject()->className()];
            if (std::getenv("QUOREL_BENCH_SHOW_PAINTS"))
                std::fprintf(stderr, "paint %s %s %dx%d+%d+%d\n",
                             watched->metaObject()->className(), qPrintable(watched->objectName()),
                             r.width(), r.height(), r.x(), r.y());
        }
        return false;
    }
};

void sendClick(QWidget* window, int id) {
    static_cast<QAbstractButton*>(bench::control(window, id))->click();
}

// One press of the connect button with everything it posts delivered: the time it took is
// the iteration's time and is kept in milliseconds.
void timeConnectClick(benchmark::State& state, QWidget* window, std::vector<double>& ms) {
    const auto t0 = bench::nowUs();
    sendClick(window, MainDialog::IdConnectButton);
    bench::settle();
    const auto t1 = bench::nowUs();
    ms.push_back((t1 - t0) / 1000.0);
    state.SetIterationTime((t1 - t0) / 1e6);
}

// A window as the operator has it after an hour: connected, output on into a load, noisy
// readings so every readout changes, both plot rings full.
struct ConnectedWindow {
    bench::Bench bench;
    bench::AnsweringPrompter prompter;
    std::unique_ptr<MainDialog> window;

    explicit ConnectedWindow(bool connectAtStart = true) {
        bench.supply.setSetpoint(5.0, 0.5);
        bench.supply.setLoadOhms(25.0);
        bench.supply.setOutput(true);
        bench.supply.setNoise(true);
        bench.writeIni({"ComPort=com3", connectAtStart ? "ConnectAtStart=1" : "ConnectAtStart=0",
                        "PlotSpan=240"});
        window = std::make_unique<MainDialog>();
        bench::showExposed(window.get());
        window->OnInitDialog();
        // The handlers are driven here; the window's own timer would only add stray ticks.
        window->findChild<QTimer*>("PollTimer")->stop();
        bench::settle();
    }
    ~ConnectedWindow() {
        window.reset();
        SupplyDevice::disconnect();
    }
    void fillPlot() {
        auto* plot = platform::controlById<clPlot>(window.get(), HistoryPlotControlId);
        const platform::Seconds now = platform::now();
        for (int k = 0; k < 7199; ++k) {
            const platform::Seconds t = now - 3600 + k / 2;
            plot->appendSample(0, t, 5.0 + 0.1 * std::sin(k / 40.0));
            plot->appendSample(1, t, 0.2 + 0.01 * std::cos(k / 25.0));
        }
    }
};

void PollTick(benchmark::State& state) {
    ConnectedWindow w;
    if (!w.window->isConnected()) {
        state.SkipWithError("the window did not connect");
        return;
    }
    w.fillPlot();
    w.window->OnTimer();
    bench::settle();
    PaintCounter paints;
    std::vector<double> ms;
    std::vector<double> cpuMs;
    for (auto _ : state) {
        const auto cpu0 = bench::threadCpuUs();
        const auto t0 = bench::nowUs();
        w.window->OnTimer();
        bench::settle();
        const auto t1 = bench::nowUs();
        cpuMs.push_back((bench::threadCpuUs() - cpu0) / 1000.0);
        ms.push_back((t1 - t0) / 1000.0);
        state.SetIterationTime((t1 - t0) / 1e6);
    }
    if (!w.window->isConnected())
        state.SkipWithError("the device was lost during the ticks");
    const double med = bench::median(ms);
    state.counters["median_ms"] = med;
    state.counters["max_ms"] = bench::maximum(ms);
    state.counters["ratio"] = med / PollFloorMs;
    state.counters["cpu_ms"] = bench::median(cpuMs);
    const double ticks = static_cast<double>(ms.size());
    state.counters["paints_per_tick"] = paints.events / ticks;
    state.counters["px_per_tick"] = paints.pixels / ticks;
    const double windowPixels = static_cast<double>(w.window->width()) * w.window->height();
    std::string repainted;
    for (const auto& [name, count] : paints.byClass)
        repainted += " " + name + "x" + std::to_string(std::lround(count / ticks));
    char note[512];
    std::snprintf(
        note, sizeof note, "UI-thread CPU %.2f ms/tick; repaint per tick %.0f%% of the window:%s",
        bench::median(cpuMs), 100.0 * paints.pixels / ticks / windowPixels, repainted.c_str());
    bench::record({"poll tick with repaint (median)", med, "ms", PollFloorMs, 1.15 * PollFloorMs,
                   "<= 1.15 x floor", med <= 1.15 * PollFloorMs, note});
}
BENCHMARK(PollTick)->Iterations(200)->UseManualTime()->Unit(benchmark::kMillisecond);

// The status exchange alone, without the displays: what the device link costs in a tick.
void StatusExchange(benchmark::State& state) {
    ConnectedWindow w;
    DeviceStatus status;
    std::vector<double> ms;
    for (auto _ : state) {
        const auto t0 = bench::nowUs();
        if (SupplyDevice::readStatus(status) != DeviceResult::Ok)
            state.SkipWithError("no status");
        const auto t1 = bench::nowUs();
        ms.push_back((t1 - t0) / 1000.0);
        state.SetIterationTime((t1 - t0) / 1e6);
    }
    const double med = bench::median(ms);
    state.counters["median_ms"] = med;
    state.counters["ratio"] = med / PollFloorMs;
    bench::record(
        {"status exchange alone (median)", med, "ms", PollFloorMs, 0, "(breakdown)", true, ""});
}
BENCHMARK(StatusExchange)->Iterations(100)->UseManualTime()->Unit(benchmark::kMillisecond);

void ConnectPresent(benchmark::State& state) {
    ConnectedWindow w(false);
    std::vector<double> ms;
    for (auto _ : state) {
        timeConnectClick(state, w.window.get(), ms);
        state.PauseTiming();
        if (!w.window->isConnected())
            state.SkipWithError("did not connect");
        sendClick(w.window.get(), MainDialog::IdConnectButton);
        bench::settle();
        state.ResumeTiming();
    }
    const double med = bench::median(ms);
    const double worst = bench::maximum(ms);
    state.counters["median_ms"] = med;
    state.counters["max_ms"] = worst;
    state.counters["ratio"] = med / ConnectFloorMs;
    char note[128];
    std::snprintf(note, sizeof note, "slowest of %zu: %.1f ms", ms.size(), worst);
    bench::record({"connect to a present device (median)", med, "ms", ConnectFloorMs, 150,
                   "< 150 ms", worst < 150, note});
}
BENCHMARK(ConnectPresent)->Iterations(20)->UseManualTime()->Unit(benchmark::kMillisecond);

void ConnectSilent(benchmark::State& state) {
    ConnectedWindow w(false);
    w.bench.supply.setSilent(true);
    std::vector<double> ms;
    for (auto _ : state) {
        const int boxes = w.prompter.boxes;
        timeConnectClick(state, w.window.get(), ms);
        if (w.window->isConnected() || w.prompter.boxes != boxes + 1)
            state.SkipWithError("a silent device must fail with one box");
    }
    const double med = bench::median(ms);
    const double worst = bench::maximum(ms);
    state.counters["median_ms"] = med;
    state.counters["max_ms"] = worst;
    state.counters["ratio"] = worst / SilentConnectFloorMs;
    char note[128];
    std::snprintf(note, sizeof note, "median of %zu: %.1f ms (%.3f x floor)", ms.size(), med,
                  med / SilentConnectFloorMs);
    bench::record({"connect to a silent device (slowest)", worst, "ms", SilentConnectFloorMs, 1450,
                   "<= 1450 ms", worst <= 1450, note});
}
BENCHMARK(ConnectSilent)->Iterations(5)->UseManualTime()->Unit(benchmark::kMillisecond);

void ScanNoPort(benchmark::State& state) {
    bench::Bench noDevice(sim::Mode::MainFirmware, false);
    bench::AnsweringPrompter prompter;
    noDevice.writeIni({"ComPort=com3"});
    Settings settings;
    SettingsDialog dialog(settings);
    bench::showExposed(&dialog);
    std::vector<double> ms;
    for (auto _ : state) {
        const auto t0 = bench::nowUs();
        sendClick(&dialog, SettingsDialog::IdScan);
        bench::settle();
        const auto t1 = bench::nowUs();
        ms.push_back((t1 - t0) / 1000.0);
        state.SetIterationTime((t1 - t0) / 1e6);
    }
    if (prompter.boxes != static_cast<int>(ms.size()))
        state.SkipWithError("each scan must end in one box");
    const double med = bench::median(ms);
    const double worst = bench::maximum(ms);
    state.counters["median_ms"] = med;
    state.counters["max_ms"] = worst;
    char note[128];
    std::snprintf(note, sizeof note, "slowest of %zu: %.2f ms", ms.size(), worst);
    bench::record({"SCAN of com1..com32, none present (median)", med, "ms", 0, 50, "< 50 ms",
                   worst < 50, note});
}
BENCHMARK(ScanNoPort)->Iterations(20)->UseManualTime()->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    return bench::runMain(argc, argv);
}
