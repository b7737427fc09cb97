#include "support/BenchSupport.h"

#include "platform/Paths.h"
#include "platform/qt/ControlIds.h"
#include "plot/Fonts.h"

#include <QApplication>
#include <QCoreApplication>
#include <QWidget>
#include <QWindow>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <pthread.h>
#include <stdexcept>

namespace bench {

std::int64_t nowUs() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<std::int64_t>(ts.tv_sec) * 1000000 + ts.tv_nsec / 1000;
}

std::int64_t threadCpuUs() {
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return static_cast<std::int64_t>(ts.tv_sec) * 1000000 + ts.tv_nsec / 1000;
}

std::int64_t threadCpuUs(std::thread& thread) {
    clockid_t clock;
    pthread_getcpuclockid(thread.native_handle(), &clock);
    timespec ts{};
    clock_gettime(clock, &ts);
    return static_cast<std::int64_t>(ts.tv_sec) * 1000000 + ts.tv_nsec / 1000;
}

long rssKb() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmRSS:", 0) == 0)
            return std::strtol(line.c_str() + 6, nullptr, 10);
    return -1;
}

double median(std::vector<double> values) {
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

double maximum(const std::vector<double>& values) {
    return values.empty() ? 0 : *std::max_element(values.begin(), values.end());
}

Folder::Folder() {
    char pattern[] = "/tmp/quorel-bench-XXXXXX";
    if (!mkdtemp(pattern))
        throw std::runtime_error("mkdtemp failed");
    path_ = pattern;
}

Folder::~Folder() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
}

void Folder::write(const std::string& name, const std::string& bytes) const {
    std::ofstream out(file(name), std::ios::binary | std::ios::trunc);
    out << bytes;
}

Bench::Bench(sim::Mode mode, bool plugged) {
    platform::setExecutableDirectoryForTest(folder.path());
    std::filesystem::create_directory(folder.file("ports"));
    if (plugged) {
        if (!supply.start(mode) || !supply.linkAs(folder.file("ports/com3")))
            throw std::runtime_error("the simulated supply did not start");
    }
}

Bench::~Bench() {
    platform::setExecutableDirectoryForTest("");
}

void Bench::writeIni(const std::vector<std::string>& lines) const {
    std::string ini = "[QUOREL]\r\n";
    for (const auto& line : lines)
        ini += line + "\r\n";
    folder.write("Quorel.ini", ini);
}

AnsweringPrompter::AnsweringPrompter() {
    platform::setPrompter(this);
}

AnsweringPrompter::~AnsweringPrompter() {
    platform::setPrompter(nullptr);
}

platform::PromptAnswer AnsweringPrompter::messageBox(QWidget*, const std::string& text,
                                                     const std::string& caption,
                                                     platform::PromptIcon,
                                                     platform::PromptButtons buttons) {
    ++boxes;
    lastText = text;
    lastCaption = caption;
    return buttons == platform::PromptButtons::YesNo ? platform::PromptAnswer::Yes
                                                     : platform::PromptAnswer::Ok;
}

std::optional<std::string> AnsweringPrompter::openFileName(QWidget*, const std::string&,
                                                           const std::string&) {
    return std::nullopt;
}

std::optional<std::string> AnsweringPrompter::saveFileName(QWidget*, const std::string&,
                                                           const std::string&) {
    return std::nullopt;
}

void settle() {
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents();
}

bool showExposed(QWidget* window) {
    window->show();
    const std::int64_t end = nowUs() + 2000000;
    while (nowUs() < end) {
        QCoreApplication::processEvents();
        if (window->windowHandle() && window->windowHandle()->isExposed())
            break;
    }
    settle();
    return window->windowHandle() && window->windowHandle()->isExposed();
}

QWidget* control(QWidget* window, int id) {
    return platform::controlById(window, id);
}

namespace {

std::vector<Figure>& figures() {
    static std::vector<Figure> all;
    return all;
}

std::string number(double v) {
    char buf[32];
    std::snprintf(buf, sizeof buf, v >= 100 ? "%.1f" : v >= 10 ? "%.2f" : "%.3f", v);
    return buf;
}

void printFigures() {
    if (figures().empty())
        return;
    std::printf("\n%-44s %12s %12s %7s  %-22s %s\n", "figure", "measured", "floor", "ratio",
                "target", "met");
    const char* path = std::getenv("QUOREL_BENCH_FIGURES");
    std::FILE* out = path && *path ? std::fopen(path, "a") : nullptr;
    for (const Figure& f : figures()) {
        const std::string value = number(f.value) + " " + f.unit;
        const std::string floor = f.floor > 0 ? number(f.floor) + " " + f.unit : "-";
        const std::string ratio = f.floor > 0 ? number(f.value / f.floor) : "-";
        std::printf("%-44s %12s %12s %7s  %-22s %s\n", f.name.c_str(), value.c_str(), floor.c_str(),
                    ratio.c_str(), f.limit.c_str(), f.met ? "yes" : "NO");
        if (!f.note.empty())
            std::printf("    %s\n", f.note.c_str());
        if (out)
            std::fprintf(out, "%s\t%s\t%s\t%s\t%s\t%s\t%s\n", f.name.c_str(), value.c_str(),
                         floor.c_str(), ratio.c_str(), f.limit.c_str(), f.met ? "yes" : "NO",
                         f.note.c_str());
    }
    if (out)
        std::fclose(out);
}

} // namespace

void record(const Figure& figure) {
    figures().push_back(figure);
}

int runMain(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // The offscreen platform warns on stderr each time a window is raised (the progress
    // window is raised before every block); a desktop does not, so that cost is not measured.
    static const QtMessageHandler previous = qInstallMessageHandler(nullptr);
    qInstallMessageHandler(
        [](QtMsgType type, const QMessageLogContext& context, const QString& message) {
            if (message.startsWith(QStringLiteral("This plugin does not support")))
                return;
            previous(type, context, message);
        });
    int qtArgc = 1;
    char* qtArgv[] = {argv[0], nullptr};
    QApplication app(qtArgc, qtArgv);
    fonts::registerFontSubstitutions();
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::fflush(stdout);
    printFigures();
    return 0;
}

} // namespace bench
