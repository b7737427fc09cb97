#pragma once

#include "platform/qt/Prompter.h"
#include "simulator/SimulatedSupply.h"

#include <cstdint>
#include <optional>
#include <string>
#include <thread>
#include <vector>

class MainDialog;
class QWidget;

// What the benchmark programs share: a Qt application on the offscreen platform, a throw-away
// executable folder with the simulated supply plugged in as com3, a prompter that answers
// every box, precise clocks, and the table of figures each program prints at its end.
namespace bench {

// Monotonic time in microseconds.
std::int64_t nowUs();
// CPU time of the calling thread in microseconds.
std::int64_t threadCpuUs();
// CPU time of another thread of this process in microseconds.
std::int64_t threadCpuUs(std::thread& thread);
// Resident set size of this process in KiB (VmRSS), -1 when unknown.
long rssKb();

double median(std::vector<double> values);
double maximum(const std::vector<double>& values);

// A folder removed with everything in it when the object goes.
class Folder {
public:
    Folder();
    ~Folder();
    Folder(const Folder&) = delete;
    Folder& operator=(const Folder&) = delete;
    const std::string& path() const { return path_; }
    std::string file(const std::string& name) const { return path_ + "/" + name; }
    void write(const std::string& name, const std::string& bytes) const;

private:
    std::string path_;
};

// The executable folder of the program under measurement: settings file, system log and the
// ports/ folder live here; the simulated supply answers as com3 (when plugged in).
class Bench {
public:
    explicit Bench(sim::Mode mode = sim::Mode::MainFirmware, bool plugged = true);
    ~Bench();
    // Writes Quorel.ini with the [QUOREL] section made of the given lines.
    void writeIni(const std::vector<std::string>& lines) const;

    Folder folder;
    sim::SimulatedSupply supply;
};

// Answers every message box with Ok (or Yes) and every file chooser with nothing; counts them.
class AnsweringPrompter : public platform::Prompter {
public:
    AnsweringPrompter();
    ~AnsweringPrompter() override;
    platform::PromptAnswer messageBox(QWidget*, const std::string& text, const std::string& caption,
                                      platform::PromptIcon,
                                      platform::PromptButtons buttons) override;
    std::optional<std::string> openFileName(QWidget*, const std::string&,
                                            const std::string&) override;
    std::optional<std::string> saveFileName(QWidget*, const std::string&,
                                            const std::string&) override;
    int boxes = 0;
    std::string lastCaption;
    std::string lastText;
};

// Delivers what the last handler posted (repaints, layout requests) the way the event loop
// would before it sleeps again.
void settle();
// Shows the window and waits until the platform lets it paint.
bool showExposed(QWidget* window);

// A control of a window by its id.
QWidget* control(QWidget* window, int id);

// One line of the table of figures.
struct Figure {
    std::string name;
    double value = 0;  // in `unit`
    std::string unit;  // "ms", "s", "MiB", "%"
    double floor = 0;  // the least the protocol or the timer allows; 0 when there is none
    double target = 0; // the limit the figure must stay within (same unit)
    std::string limit; // how the target reads, e.g. "<= 1.15 x floor"
    bool met = false;
    std::string note;
};
void record(const Figure& figure);

// The common main of the benchmark programs: application, Google Benchmark, then the table
// of the figures recorded (also appended to the file named by QUOREL_BENCH_FIGURES).
int runMain(int argc, char** argv);

} // namespace bench
