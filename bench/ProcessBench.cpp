// The real panel program as a process of its own, against the simulated supply served from
// this process: the time from starting the program to its first poll tick, and the CPU it
// takes while connected and polling with its own 500 ms timer. The tick is seen where it
// shows on the line: the status query "M" that follows the connect sequence X I L M V.

#include "support/BenchSupport.h"

#include <benchmark/benchmark.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <spawn.h>
#include <sstream>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace {

constexpr double TimerPeriodMs = 500;
constexpr double PauseMs = 10;

// The panel program copied into the throw-away folder, so that its executable folder (where
// it reads Quorel.ini and finds ports/com3) is that folder.
struct Panel {
    bench::Bench bench;
    std::string program;
    pid_t pid = -1;
    std::int64_t startedUs = 0;

    Panel() {
        bench.supply.setSetpoint(5.0, 0.5);
        bench.supply.setLoadOhms(25.0);
        bench.supply.setOutput(true);
        bench.supply.setNoise(true);
        bench.writeIni({"ComPort=com3", "ConnectAtStart=1", "PlotSpan=240"});
        program = bench.folder.file("quorel");
        std::filesystem::copy_file(QUOREL_PANEL_PROGRAM, program);
    }
    ~Panel() { stop(); }

    bool start() {
        bench.supply.clearReceived();
        std::vector<std::string> env;
        for (char** e = environ; *e; ++e)
            if (std::string(*e).rfind("QT_QPA_PLATFORM=", 0) != 0)
                env.emplace_back(*e);
        env.emplace_back("QT_QPA_PLATFORM=offscreen");
        std::vector<char*> envp;
        for (auto& e : env)
            envp.push_back(e.data());
        envp.push_back(nullptr);
        char* argv[] = {program.data(), nullptr};
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
        startedUs = bench::nowUs();
        const int rc = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv, envp.data());
        posix_spawn_file_actions_destroy(&actions);
        return rc == 0;
    }
    void stop() {
        if (pid > 0) {
            kill(pid, SIGTERM);
            int status = 0;
            waitpid(pid, &status, 0);
            pid = -1;
        }
    }

    // Arrival time (monotonic us) of the status query of the n-th poll tick (1 = first),
    // -1 if it does not come within the time limit.
    std::int64_t tickQueryUs(int n, int limitMs) {
        const std::int64_t end = bench::nowUs() + limitMs * 1000LL;
        while (bench::nowUs() < end) {
            const auto bytes = bench.supply.received();
            const std::string text = bench.supply.receivedText();
            const auto connected = text.find("XILMV");
            if (connected != std::string::npos) {
                int seen = 0;
                for (std::size_t i = connected + 5; i < text.size(); ++i)
                    if (text[i] == 'M' && ++seen == n)
                        return bytes[i].usec;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        return -1;
    }
};

void StartupToFirstTick(benchmark::State& state) {
    Panel panel;
    std::vector<double> firstTick, upMs;
    for (auto _ : state) {
        if (!panel.start()) {
            state.SkipWithError("cannot start the panel program");
            return;
        }
        // The synchronisation byte goes out right after the timer is started.
        const std::int64_t tick = panel.tickQueryUs(1, 5000);
        const auto bytes = panel.bench.supply.received();
        panel.stop();
        if (tick < 0 || bytes.empty()) {
            state.SkipWithError("no poll tick came");
            return;
        }
        // The tick began one pause before its query reached the device.
        const double ms = (tick - panel.startedUs) / 1000.0 - PauseMs;
        firstTick.push_back(ms);
        upMs.push_back((bytes.front().usec - panel.startedUs) / 1000.0);
        state.SetIterationTime(ms / 1000);
    }
    const double med = bench::median(firstTick);
    const double up = bench::median(upMs);
    state.counters["first_tick_ms"] = med;
    state.counters["timer_started_ms"] = up;
    char note[256];
    std::snprintf(note, sizeof note,
                  "median of %zu starts; the program is up with its timer running after %.1f ms, "
                  "the rest is the timer's first 500 ms period, which alone exceeds the target",
                  firstTick.size(), up);
    bench::record({"start-up to the first tick (median)", med, "ms", TimerPeriodMs, 400, "< 400 ms",
                   med < 400, note});
    bench::record(
        {"start-up to timer running (median)", up, "ms", 0, 400, "(breakdown)", true, ""});
}
BENCHMARK(StartupToFirstTick)->Iterations(5)->UseManualTime()->Unit(benchmark::kMillisecond);

// utime + stime of the process in clock ticks, and the run time of its main (interface)
// thread in nanoseconds.
struct CpuSample {
    double processMs = 0;
    double mainThreadMs = 0;
};

CpuSample cpuOf(pid_t pid) {
    CpuSample s;
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string line;
    std::getline(stat, line);
    // Fields after the command name in parentheses: state is field 3, utime 14, stime 15.
    std::istringstream rest(line.substr(line.rfind(')') + 2));
    std::string field;
    long utime = 0, stime = 0;
    for (int k = 3; k <= 15 && rest >> field; ++k) {
        if (k == 14)
            utime = std::stol(field);
        if (k == 15)
            stime = std::stol(field);
    }
    s.processMs = (utime + stime) * 1000.0 / sysconf(_SC_CLK_TCK);
    std::ifstream sched("/proc/" + std::to_string(pid) + "/task/" + std::to_string(pid) +
                        "/schedstat");
    double runNs = 0;
    sched >> runNs;
    s.mainThreadMs = runNs / 1e6;
    return s;
}

void CpuWhilePolling(benchmark::State& state) {
    const int seconds = static_cast<int>(state.range(0));
    Panel panel;
    double uiPercent = 0, processPercent = 0;
    int ticks = 0;
    for (auto _ : state) {
        if (!panel.start() || panel.tickQueryUs(2, 5000) < 0) {
            state.SkipWithError("the panel program did not poll");
            return;
        }
        const std::size_t before = panel.bench.supply.receivedText().size();
        const CpuSample a = cpuOf(panel.pid);
        const std::int64_t t0 = bench::nowUs();
        std::this_thread::sleep_for(std::chrono::seconds(seconds));
        const CpuSample b = cpuOf(panel.pid);
        const std::int64_t t1 = bench::nowUs();
        const std::string text = panel.bench.supply.receivedText();
        panel.stop();
        for (std::size_t i = before; i < text.size(); ++i)
            ticks += text[i] == 'M';
        const double wallMs = (t1 - t0) / 1000.0;
        uiPercent = 100.0 * (b.mainThreadMs - a.mainThreadMs) / wallMs;
        processPercent = 100.0 * (b.processMs - a.processMs) / wallMs;
        state.SetIterationTime(wallMs / 1000);
    }
    state.counters["ui_thread_pct"] = uiPercent;
    state.counters["process_pct"] = processPercent;
    state.counters["ticks"] = ticks;
    char note[256];
    std::snprintf(note, sizeof note,
                  "%d s of the real program with its own timer: %d polls; whole process %.2f %%",
                  seconds, ticks, processPercent);
    bench::record({"CPU while connected and polling (UI thread)", uiPercent, "%", 0, 2,
                   "< 2 % of one core", uiPercent < 2 && ticks >= seconds * 2 - 2, note});
}
BENCHMARK(CpuWhilePolling)->Arg(20)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);

} // namespace

int main(int argc, char** argv) {
    return bench::runMain(argc, argv);
}
