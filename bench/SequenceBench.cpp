// The sequencer: when each step's set command reaches the device over 100 steps, against the
// time the plan gives it (the panel's precise timer, and quorelctl's loop), and the CPU the
// interface thread spends while a sequence runs.

#include "support/BenchSupport.h"

#include "ctl/Quorelctl.h"
#include "device/SupplyDevice.h"
#include "measurement/MeasurementWindow.h"
#include "measurement/SequencePage.h"
#include "panel/MainDialog.h"
#include "sequence/Runner.h"

#include <QApplication>
#include <QPushButton>
#include <QTabWidget>

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <sstream>

namespace {

constexpr int Steps = 100;
constexpr int StepMs = 300;

// 100 steps of 0.3 s between 1 V and 2 V, so that every step sends a set command.
std::string stepFile() {
    std::string text = "volts,amps,seconds,ramp\n";
    for (int i = 0; i < Steps; ++i)
        text += i % 2 ? "2,0.1,0.3,step\n" : "1,0.1,0.3,step\n";
    return text;
}

// Gives the step file to the page's load button.
struct FilePrompter : bench::AnsweringPrompter {
    std::string path;
    std::optional<std::string> openFileName(QWidget*, const std::string&,
                                            const std::string&) override {
        return path;
    }
};

struct Timing {
    double worstMs = 0; // the largest distance from a step's planned time
    double medianMs = 0;
    double driftMs = 0; // mean of the last ten less mean of the first ten
    std::size_t commands = 0;
};

// Each set command's arrival at the device against its planned time, `startMs` plus the
// step's offset (when `startMs` is unknown, the first command's arrival less the pacing pause).
Timing timing(const std::vector<sim::ReceivedCommand>& sent, std::optional<std::int64_t> startMs) {
    Timing t;
    t.commands = sent.size();
    if (sent.empty())
        return t;
    const double start =
        startMs ? double(*startMs) : sent[0].usec / 1000.0 - sequence::Runner::LeadMs;
    std::vector<double> errors;
    for (std::size_t i = 0; i < sent.size(); ++i)
        errors.push_back(sent[i].usec / 1000.0 - (start + double(i) * StepMs));
    std::vector<double> magnitudes;
    for (double e : errors)
        magnitudes.push_back(std::abs(e));
    t.worstMs = bench::maximum(magnitudes);
    t.medianMs = bench::median(errors);
    if (errors.size() >= 20) {
        double first = 0, last = 0;
        for (int k = 0; k < 10; ++k) {
            first += errors[k] / 10;
            last += errors[errors.size() - 1 - k] / 10;
        }
        t.driftMs = last - first;
    }
    return t;
}

void recordTiming(const char* who, const Timing& t, double cpuPercent, double idlePercent,
                  const char* how) {
    char note[256];
    std::snprintf(note, sizeof note,
                  "%zu set commands; median %+.1f ms from the plan, worst %.1f ms, drift over the "
                  "run %+.1f ms (%s)",
                  t.commands, t.medianMs, t.worstMs, t.driftMs, how);
    const bool met = t.commands == Steps && t.worstMs <= 60 && std::abs(t.driftMs) <= 5;
    bench::record({std::string("step timing at the device over 100 steps, ") + who, t.worstMs, "ms",
                   0, 60, "every step <= 60 ms, drift <= 5 ms", met, note});
    if (cpuPercent >= 0) {
        if (idlePercent >= 0)
            std::snprintf(note, sizeof note,
                          "interface thread over the 30 s run: polls, the page's updates and "
                          "repaints, the runner, 100 set commands; %.2f %% with the same windows "
                          "and no sequence",
                          idlePercent);
        else
            std::snprintf(note, sizeof note,
                          "the calling thread over the 30 s run: polls, progress lines, the "
                          "runner, 100 set commands");
        bench::record({std::string("CPU while a sequence runs, ") + who, cpuPercent, "%", 0, 5,
                       "< 5 % of one core", cpuPercent < 5, note});
    }
}

// The real panel: main window, measurement window shown on the sequence page, the file loaded
// and started with the page's buttons, the page's precise timer and the 500 ms poll timer.
void PanelStepTiming(benchmark::State& state) {
    bench::Bench bench;
    FilePrompter prompter;
    prompter.path = bench.folder.file("steps.csv");
    bench.folder.write("steps.csv", stepFile());
    bench.supply.setLoadOhms(50);
    bench.writeIni({"ComPort=com3", "ConnectAtStart=1"});
    Timing t;
    double cpu = -1, idle = -1;
    for (auto _ : state) {
        MainDialog window;
        window.OnInitDialog();
        window.OnSysCommand(MainDialog::SysMenuMeasurement);
        MeasurementWindow* mw = window.measurementWindow();
        auto* page = mw->findChild<SequencePage*>("sequencePage");
        mw->pages()->setCurrentWidget(page);
        bench::showExposed(mw);
        mw->findChild<QPushButton*>("loadSteps")->click();
        bench::settle();
        // The same windows polling for ten seconds without a sequence.
        const auto idle0 = bench::nowUs();
        const auto idleCpu0 = bench::threadCpuUs();
        while (bench::nowUs() - idle0 < 10000000)
            QApplication::processEvents(QEventLoop::WaitForMoreEvents);
        idle = 100.0 * double(bench::threadCpuUs() - idleCpu0) / double(bench::nowUs() - idle0);
        bench.supply.clearReceived();
        const auto wall0 = bench::nowUs();
        const auto cpu0 = bench::threadCpuUs();
        mw->findChild<QPushButton*>("startSequence")->click();
        while (page->runner().running())
            QApplication::processEvents(QEventLoop::WaitForMoreEvents);
        cpu = 100.0 * double(bench::threadCpuUs() - cpu0) / double(bench::nowUs() - wall0);
        t = timing(bench.supply.receivedCommands('S'), page->runner().startedAtMs());
    }
    SupplyDevice::disconnect();
    recordTiming("panel", t, cpu, idle, "from the runner's start");
}
BENCHMARK(PanelStepTiming)->Iterations(1)->Unit(benchmark::kSecond);

// quorelctl run in this process: its own loop waits for the next point or poll.
void QuorelctlStepTiming(benchmark::State& state) {
    bench::Bench bench;
    bench.folder.write("steps.csv", stepFile());
    bench.supply.setLoadOhms(50);
    Timing t;
    double cpu = -1;
    for (auto _ : state) {
        bench.supply.clearReceived();
        std::ostringstream out, err;
        const auto wall0 = bench::nowUs();
        const auto cpu0 = bench::threadCpuUs();
        const int code =
            runQuorelctl({"run", bench.folder.file("steps.csv"), "--port", "com3"}, out, err);
        cpu = 100.0 * double(bench::threadCpuUs() - cpu0) / double(bench::nowUs() - wall0);
        if (code != 0)
            state.SkipWithError(err.str().c_str());
        t = timing(bench.supply.receivedCommands('S'), std::nullopt);
    }
    SupplyDevice::disconnect();
    recordTiming("quorelctl", t, cpu, -1, "from the first command less its pacing pause");
}
BENCHMARK(QuorelctlStepTiming)->Iterations(1)->Unit(benchmark::kSecond);

} // namespace

int main(int argc, char** argv) {
    return bench::runMain(argc, argv);
}
