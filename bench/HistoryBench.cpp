// The history page with a week of readings: the time to paint it at 1920 x 1080 (whole
// history, 1 % of it, the newest minute), to open a log of a million lines, and the memory
// that 1.2 million readings take.

#include "support/BenchSupport.h"

#include "config/Settings.h"
#include "history/HistoryStore.h"
#include "history/LogExport.h"
#include "history/LogImport.h"
#include "measurement/HistoryPage.h"
#include "measurement/HistoryPlot.h"
#include "session/MeasurementSession.h"

#include <QImage>
#include <QPainter>

#include <benchmark/benchmark.h>

#include <cmath>
#include <memory>
#include <random>

namespace {

constexpr std::int64_t Start = 1'800'000'000'000;

// Two readings a second for the store's whole capacity: charge cycles with noise on every
// reading, so that every pixel column holds a tall envelope, and a gap every few hours.
void fillWeek(history::HistoryStore& store) {
    std::mt19937 rng(7);
    std::normal_distribution<double> noise(0.0, 0.004);
    for (std::size_t k = 0; k < store.capacity(); ++k) {
        const double phase = std::fmod(k / 7200.0, 1.0);
        history::Entry e;
        e.timeMs = Start + static_cast<std::int64_t>(k) * 500;
        e.monotonicMs = e.timeMs;
        e.volts = 4.2 - 0.8 * phase + noise(rng);
        e.amps = (phase < 0.7 ? 0.8 : 0.8 * (1 - phase) / 0.3) + noise(rng);
        e.outputOn = true;
        e.constantCurrent = phase < 0.7;
        e.voltageSetpoint = 4.2;
        e.currentSetpoint = 0.8;
        if (k % 40000 == 39999)
            store.gap();
        store.append(e);
    }
}

struct PageUnderTest {
    bench::Bench bench{sim::Mode::MainFirmware, false};
    std::unique_ptr<Settings> settings;
    std::unique_ptr<session::MeasurementSession> session;
    history::HistoryStore store;
    std::unique_ptr<HistoryPage> page;

    PageUnderTest() {
        bench.writeIni({"ComPort=com3"});
        settings = std::make_unique<Settings>();
        session = std::make_unique<session::MeasurementSession>(*settings);
        fillWeek(store);
        page = std::make_unique<HistoryPage>(*session, store, [](const std::string&) {});
        page->resize(1920, 1080);
        page->plot()->setStore(&store);
        bench::showExposed(page.get());
    }
};

// Made once and kept to the end: its widgets may not outlive the application object, which
// goes before static objects do.
PageUnderTest& pageUnderTest() {
    static PageUnderTest* p = new PageUnderTest;
    return *p;
}

// Measured first, before anything else of this size has been freed for it to reuse.
void MemoryOfAWeek(benchmark::State& state) {
    for (auto _ : state) {
        const long before = bench::rssKb();
        auto store = std::make_unique<history::HistoryStore>();
        fillWeek(*store);
        const long after = bench::rssKb();
        const double mib = (after - before) / 1024.0;
        const double held = store->memoryBytes() / 1048576.0;
        state.counters["rss_MiB"] = mib;
        state.counters["held_MiB"] = held;
        char note[128];
        std::snprintf(note, sizeof note, "%zu readings; the store counts %.1f MiB of its own",
                      store->size(), held);
        bench::record({"memory of 1,209,600 readings (resident growth)", mib, "MiB", 0, 64,
                       "< 64 MiB", mib < 64, note});
    }
}
BENCHMARK(MemoryOfAWeek)->Iterations(1)->Unit(benchmark::kMillisecond);

// 0: all, 1: 1 % in the middle, 2: the newest minute.
void PaintHistoryPage(benchmark::State& state) {
    PageUnderTest& p = pageUnderTest();
    history::HistoryView& view = p.page->plot()->view();
    const double first = static_cast<double>(p.store.firstTime());
    const double last = static_cast<double>(p.store.lastTime());
    const char* names[3] = {"whole week", "1 % zoom", "newest minute"};
    const int zoom = static_cast<int>(state.range(0));
    if (zoom == 0) {
        view.fit();
    } else if (zoom == 1) {
        const double middle = (first + last) / 2;
        view.setRange(middle - (last - first) * 0.005, middle + (last - first) * 0.005);
    } else {
        view.goLive();
        view.setRange(last - 60000, last);
        view.setFollow(history::Follow::Live);
    }
    QImage screen(p.page->size(), QImage::Format_RGB32);
    std::vector<double> ms;
    for (auto _ : state) {
        const auto t0 = bench::nowUs();
        p.page->render(&screen);
        benchmark::DoNotOptimize(screen.constBits());
        ms.push_back((bench::nowUs() - t0) / 1000.0);
    }
    const double med = bench::median(ms);
    const double worst = bench::maximum(ms);
    state.counters["median_ms"] = med;
    state.counters["max_ms"] = worst;
    char name[96];
    std::snprintf(name, sizeof name, "history page paint 1920x1080, %s (max)", names[zoom]);
    char note[128];
    std::snprintf(note, sizeof note, "%zu readings, plot %dx%d px, median %.2f ms",
                  p.store.size(), p.page->plot()->width(), p.page->plot()->height(), med);
    bench::record({name, worst, "ms", 0, 16, "< 16 ms", worst < 16, note});
}
BENCHMARK(PaintHistoryPage)->Arg(0)->Arg(1)->Arg(2)->Iterations(60)->Unit(benchmark::kMillisecond);

// A log of a million lines at one a second, opened through the page as the chooser opens it.
void OpenMillionLineLog(benchmark::State& state) {
    PageUnderTest& p = pageUnderTest();
    bench::Folder folder;
    const std::string path = folder.file("million.csv");
    {
        history::HistoryStore million(1'000'000);
        for (std::size_t k = 0; k < 1'000'000; ++k)
            million.append({Start + static_cast<std::int64_t>(k) * 1000,
                            Start + static_cast<std::int64_t>(k) * 1000, 5.0 + (k % 100) * 0.02,
                            0.1 + (k % 37) * 0.001, true, k % 5 == 0, 5.0, 0.5});
        history::exportCsv(million, -1e18, 1e18, history::CsvForm::MeasurementLog, path);
    }
    bench::AnsweringPrompter prompter;
    std::vector<double> seconds;
    for (auto _ : state) {
        const auto t0 = bench::nowUs();
        const bool opened = p.page->openFile(path);
        bench::settle();
        seconds.push_back((bench::nowUs() - t0) / 1e6);
        if (!opened || p.page->plot()->store()->size() != 1'000'000)
            state.SkipWithError("the log was not read whole");
    }
    const double worst = bench::maximum(seconds);
    bench::record({"open a 1,000,000-line CSV log (max)", worst, "s", 0, 2, "< 2 s", worst < 2,
                   "import, fit and first paint of the page"});
}
BENCHMARK(OpenMillionLineLog)->Iterations(3)->Unit(benchmark::kMillisecond);


} // namespace

int main(int argc, char** argv) {
    return bench::runMain(argc, argv);
}
