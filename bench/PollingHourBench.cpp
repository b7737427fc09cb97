// An hour of polling in the real main window against the simulated supply: 7200 ticks, as
// many as an hour at 500 ms gives, run back to back while the clock seam advances half a
// second per tick, each tick followed by the repaint it causes. Resident memory is read at
// intervals; the plot rings are full after the hour, and the ticks that follow show whether
// anything still grows.

#include "support/BenchSupport.h"

#include "device/SupplyDevice.h"
#include "panel/MainDialog.h"
#include "platform/Clock.h"

#include <QTimer>

#include <benchmark/benchmark.h>

#include <cstdio>

namespace {

constexpr int HourTicks = 3600 * 1000 / MainDialog::PollPeriodMs;

void HourOfPolling(benchmark::State& state) {
    const int afterTicks = static_cast<int>(state.range(0));
    const int every = 600;
    bench::Bench bench;
    bench::AnsweringPrompter prompter;
    bench.supply.setSetpoint(5.0, 0.5);
    bench.supply.setLoadOhms(25.0);
    bench.supply.setOutput(true);
    bench.supply.setNoise(true);
    bench.writeIni({"ComPort=com3", "ConnectAtStart=1", "PlotSpan=240"});

    const platform::Seconds start = platform::now();
    int tick = 0;
    platform::setClockForTest([&] { return start + tick / 2; });

    long rssStart = 0, rssHour = 0, rssEnd = 0, rssPeak = 0;
    std::vector<double> tickMs;
    std::string series;
    for (auto _ : state) {
        MainDialog window;
        bench::showExposed(&window);
        window.OnInitDialog();
        window.findChild<QTimer*>("PollTimer")->stop();
        bench::settle();
        if (!window.isConnected()) {
            state.SkipWithError("the window did not connect");
            break;
        }
        rssStart = bench::rssKb();
        const auto began = bench::nowUs();
        for (tick = 1; tick <= HourTicks + afterTicks; ++tick) {
            const auto t0 = bench::nowUs();
            window.OnTimer();
            bench::settle();
            tickMs.push_back((bench::nowUs() - t0) / 1000.0);
            if (tick % every == 0) {
                // What the simulated device keeps of the traffic is not the program's.
                bench.supply.clearReceived();
                const long rss = bench::rssKb();
                rssPeak = std::max(rssPeak, rss);
                series += " " + std::to_string(rss / 1024) + "." +
                          std::to_string((rss % 1024) * 10 / 1024);
                if (tick == HourTicks)
                    rssHour = rss;
            }
        }
        rssEnd = bench::rssKb();
        state.SetIterationTime((bench::nowUs() - began) / 1e6);
        if (!window.isConnected())
            state.SkipWithError("the device was lost during the hour");
    }
    platform::setClockForTest({});
    SupplyDevice::disconnect();

    const double hourMiB = rssHour / 1024.0;
    const long grownKb = rssEnd - rssHour;
    state.counters["rss_start_MiB"] = rssStart / 1024.0;
    state.counters["rss_hour_MiB"] = hourMiB;
    state.counters["rss_end_MiB"] = rssEnd / 1024.0;
    state.counters["grown_after_hour_KiB"] = static_cast<double>(grownKb);
    state.counters["tick_median_ms"] = bench::median(tickMs);
    char note[1024];
    std::snprintf(note, sizeof note,
                  "%d ticks (%d after the hour, rings full): %+ld KiB after the hour; start %.1f "
                  "MiB, peak %.1f MiB; MiB every %d ticks:%s",
                  HourTicks + afterTicks, afterTicks, grownKb, rssStart / 1024.0, rssPeak / 1024.0,
                  every, series.c_str());
    // Growth of less than one page a minute of polling counts as none.
    const bool flat = grownKb * 1.0 <= 4.0 * afterTicks / 120.0 + 4;
    bench::record({"resident memory after an hour of polling", hourMiB, "MiB", 0, 60,
                   "< 60 MiB, not growing", hourMiB < 60 && flat, note});
}
BENCHMARK(HourOfPolling)->Arg(600)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);

} // namespace

int main(int argc, char** argv) {
    return bench::runMain(argc, argv);
}
