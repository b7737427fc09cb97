// The measurement session: its own work per poll beside the status exchange, resident memory
// over a simulated day with the measurement window open, and the time from plugging a lost
// device back in to the reconnect line in the log.

#include "support/BenchSupport.h"

#include "config/Settings.h"
#include "device/SupplyDevice.h"
#include "history/HistoryStore.h"
#include "panel/MainDialog.h"
#include "platform/Clock.h"
#include "session/MeasurementSession.h"

#include <QApplication>
#include <QTimer>

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <random>

namespace {

using session::ProtectionKind;

// Everything a poll makes of a status beyond the exchange, with every protection watching
// (none trips) and a CSV log running at its one-second interval.
void SessionWorkPerPoll(benchmark::State& state) {
    bench::Bench bench;
    bench.writeIni({"ComPort=com3", "OffsetAtt=1"});
    Settings settings;
    session::MeasurementSession s(settings);
    auto& p = s.protections();
    for (ProtectionKind k :
         {ProtectionKind::OverVoltage, ProtectionKind::OverCurrent, ProtectionKind::OverPower})
        p.setEnabled(k, true);
    s.startMeasurementLog(bench.folder.file("bench.csv"), false, 1);
    DeviceStatus st;
    st.outputOn = 1;
    st.source = PowerSource::AcAdapter;
    // Batches of 100 polls, so that the clock's resolution does not hide the figure.
    std::vector<double> us;
    int k = 0;
    for (auto _ : state) {
        const auto t0 = std::chrono::steady_clock::now();
        for (int i = 0; i < 100; ++i, ++k) {
            st.voltage = 5.0 + 0.02 * (k % 3);
            st.current = 0.25 + 0.001 * (k % 5);
            s.absorb(st);
        }
        const std::chrono::duration<double, std::micro> took =
            std::chrono::steady_clock::now() - t0;
        us.push_back(took.count() / 100);
    }
    s.stopMeasurementLog();
    const double median = bench::median(us);
    state.counters["median_us"] = median;
    char note[160];
    std::snprintf(note, sizeof note,
                  "%.2f us: median of %zu batches of 100 polls; slowest batch %.2f us a poll",
                  median, us.size(), bench::maximum(us));
    bench::record({"session's own work per poll", median / 1000.0, "ms", 0, 0.05, "< 0.05 ms",
                   median < 50, note});
}
BENCHMARK(SessionWorkPerPoll)->Iterations(2000)->Unit(benchmark::kMicrosecond);

// A day of half-second polls (172800) with the measurement window open, the pacing pauses
// made free by the sleep seam and the clock advanced half a second per tick. The session's
// history grows by design; what matters is that nothing else does.
void DayWithMeasurementWindow(benchmark::State& state) {
    constexpr int DayTicks = 24 * 3600 * 2;
    constexpr int Hour = 7200;
    bench::Bench bench;
    bench::AnsweringPrompter prompter;
    bench.supply.setSetpoint(5.0, 0.5);
    bench.supply.setLoadOhms(25.0);
    bench.supply.setOutput(true);
    bench.supply.setNoise(true);
    bench.writeIni({"ComPort=com3", "ConnectAtStart=1"});
    const platform::Seconds start = platform::now();
    int tick = 0;
    platform::setClockForTest([&] { return start + tick / 2; });
    platform::setSleepForTest([](int) {});
    long rssHour = 0, rssEnd = 0;
    std::size_t historyHour = 0, historyEnd = 0;
    for (auto _ : state) {
        MainDialog window;
        bench::showExposed(&window);
        window.OnInitDialog();
        window.findChild<QTimer*>("PollTimer")->stop();
        window.OnSysCommand(MainDialog::SysMenuMeasurement);
        bench::settle();
        const auto began = bench::nowUs();
        for (tick = 1; tick <= DayTicks; ++tick) {
            window.OnTimer();
            if (tick % 20 == 0)
                bench::settle(); // the windows repaint as often as a busy event loop lets them
            if (tick % Hour == 0) {
                bench.supply.clearReceived();
                if (tick == Hour) {
                    rssHour = bench::rssKb();
                    historyHour = window.sessionHistory().memoryBytes();
                }
            }
        }
        bench::settle();
        rssEnd = bench::rssKb();
        historyEnd = window.sessionHistory().memoryBytes();
        state.SetIterationTime((bench::nowUs() - began) / 1e6);
        if (!window.isConnected())
            state.SkipWithError("the device was lost during the day");
    }
    platform::setSleepForTest({});
    platform::setClockForTest({});
    SupplyDevice::disconnect();
    const double grownMiB = (rssEnd - rssHour) / 1024.0;
    const double historyMiB = double(historyEnd - historyHour) / (1024.0 * 1024.0);
    const double otherMiB = grownMiB - historyMiB;
    char note[256];
    std::snprintf(note, sizeof note,
                  "after the first hour %.1f MiB, after the day %.1f MiB: the history grew by %.1f "
                  "MiB (by design, capped at 7 days), everything else by %.2f MiB",
                  rssHour / 1024.0, rssEnd / 1024.0, historyMiB, otherMiB);
    bench::record({"memory over a simulated day, measurement window open (besides the history)",
                   otherMiB, "MiB", 0, 1, "< 1 MiB", otherMiB < 1, note});
}
BENCHMARK(DayWithMeasurementWindow)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);

// Records when the session says it is back.
struct Watch : session::SessionObserver {
    std::int64_t lostUs = 0, backUs = 0;
    void onDeviceLost(bool) override { lostUs = bench::nowUs(); }
    void onConnected(bool automatic) override {
        if (automatic)
            backUs = bench::nowUs();
    }
};

// The real poll timer, the cable pulled and put back at a random moment of the two-second
// cycle of attempts.
void ReplugToReconnectLine(benchmark::State& state) {
    bench::Bench bench;
    bench::AnsweringPrompter prompter;
    bench.writeIni({"ComPort=com3", "ConnectAtStart=1", "[SESSION]", "AutoReconnect=1"});
    std::mt19937 random(7);
    std::vector<double> ms;
    for (auto _ : state) {
        MainDialog window;
        window.OnInitDialog();
        Watch watch;
        window.measurementSession().addObserver(&watch);
        auto waitUntil = [](auto done, int limitMs) {
            const auto end = bench::nowUs() + limitMs * 1000LL;
            while (!done() && bench::nowUs() < end)
                QApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
        };
        for (int k = 0; k < 8; ++k) {
            watch.lostUs = watch.backUs = 0;
            bench.supply.unplug();
            waitUntil([&] { return watch.lostUs != 0; }, 2000);
            const int phaseMs = std::uniform_int_distribution<int>(0, 1999)(random);
            const auto wakeAt = bench::nowUs() + phaseMs * 1000LL;
            waitUntil([&] { return bench::nowUs() >= wakeAt; }, 3000);
            bench.supply.replug(sim::Mode::MainFirmware);
            const auto plugged = bench::nowUs();
            waitUntil([&] { return watch.backUs != 0; }, 5000);
            if (!watch.backUs) {
                state.SkipWithError("no reconnection within 5 s");
                break;
            }
            ms.push_back((watch.backUs - plugged) / 1000.0);
        }
        window.measurementSession().removeObserver(&watch);
    }
    SupplyDevice::disconnect();
    if (ms.empty())
        return;
    const double worst = bench::maximum(ms);
    char note[160];
    std::snprintf(note, sizeof note,
                  "%zu re-plugs at random moments: median %.0f ms, slowest %.0f ms", ms.size(),
                  bench::median(ms), worst);
    bench::record({"re-plug to the reconnect line (slowest)", worst, "ms", 0, 2500, "< 2500 ms",
                   worst < 2500, note});
}
BENCHMARK(ReplugToReconnectLine)->Iterations(1)->Unit(benchmark::kSecond);

} // namespace

int main(int argc, char** argv) {
    return bench::runMain(argc, argv);
}
