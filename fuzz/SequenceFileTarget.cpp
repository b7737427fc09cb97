// The step file and the plan made from it, on arbitrary file content.
//
// Input layout: byte 0 picks the source (bit 0: the USB host's 1.5 W, else the adapter's 6 W),
// the repeat (bit 1: two rounds, else one) and the held set-points (bits 2-7, as units of
// 0.4 V and 20 mA); the rest is the file's content.
//
// Checked on every input:
// - a file with problems gives no steps, and its problems are told in line order, each with a
//   line number within the file (or 0 for the file as a whole);
// - a file without problems gives 1 to 10000 steps within 0..20 V, 0..1 A, 0.1..1000000 s,
//   and writing them and reading them back gives the same steps on the device's grids;
// - a plan that is accepted keeps every point it sets, in every round, within 20 V, 1 A and the
//   power of the source (checked point by point for ramps of up to 4000 points); a refused
//   one names a step that exists, or none.
#include "fuzz/FuzzSupport.h"
#include "fuzz/FuzzTargets.h"

#include "sequence/Plan.h"
#include "sequence/SequenceFile.h"

#include <algorithm>
#include <cmath>
#include <string>

namespace {

constexpr const char* Target = "SequenceFile";

using namespace sequence;

void checkRead(const std::string& text, const StepsRead& read) {
    const auto lines = static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n')) + 1;
    if (!read.ok()) {
        FUZZ_CHECK(Target, read.steps.empty(), "steps from a file with problems");
        FUZZ_CHECK(Target, !read.problems.empty(), "problems counted but none kept");
        std::size_t last = 0;
        for (const FileProblem& p : read.problems) {
            FUZZ_CHECK(Target, p.line <= lines, "line " + std::to_string(p.line));
            FUZZ_CHECK(Target, p.line == 0 || p.line >= last, "problems out of line order");
            last = std::max(last, p.line);
        }
        return;
    }
    FUZZ_CHECK(Target, !read.steps.empty() && read.steps.size() <= MaxSteps,
               std::to_string(read.steps.size()) + " steps");
    for (const Step& s : read.steps)
        FUZZ_CHECK(Target,
                   s.volts >= 0 && s.volts <= 20 && s.amps >= 0 && s.amps <= 1 &&
                       s.seconds >= MinStepSeconds && s.seconds <= MaxStepSeconds,
                   "a step beyond the limits");
    const StepsRead again = readSteps(writeSteps(read.steps));
    FUZZ_CHECK(Target, again.ok() && again.steps.size() == read.steps.size(),
               "written steps do not read back");
    for (std::size_t i = 0; i < read.steps.size(); ++i) {
        const Step& a = read.steps[i];
        const Step& b = again.steps[i];
        FUZZ_CHECK(Target,
                   unitsOf(a.volts, a.amps) == unitsOf(b.volts, b.amps) && a.ramp == b.ramp &&
                       std::llround(a.seconds * 1000) == std::llround(b.seconds * 1000),
                   "step " + std::to_string(i + 1) + " changed on the way");
    }
}

void checkPlan(const std::vector<Step>& steps, PowerSource source, unsigned repeat, Units held) {
    Sequence s;
    s.steps = steps;
    s.repeat = repeat;
    Plan plan;
    const Refusal r = Plan::make(s, source, held, plan);
    if (r) {
        FUZZ_CHECK(Target, r.step >= 0 && r.step <= static_cast<int>(steps.size()),
                   "refused step " + std::to_string(r.step));
        return;
    }
    const long long capacity = source == PowerSource::UsbHost ? 75000 : 300000;
    for (bool later : {false, true}) {
        if (later && repeat == 1)
            break;
        for (std::size_t i = 0; i < plan.steps().size(); ++i) {
            const int n = plan.points(i);
            if (n > 4000)
                continue;
            for (int k = 0; k <= n; ++k) {
                const Units u = plan.point(i, later, k);
                FUZZ_CHECK(Target,
                           u.volts >= 0 && u.volts <= MaxVoltUnits && u.amps >= 0 &&
                               u.amps <= MaxAmpUnits &&
                               static_cast<long long>(u.volts) * u.amps <= capacity,
                           "step " + std::to_string(i + 1) + " point " + std::to_string(k) +
                               " beyond the rules");
            }
        }
    }
}

} // namespace

int fuzzSequenceFile(const std::uint8_t* data, std::size_t size) {
    const std::uint8_t pick = size > 0 ? data[0] : 0;
    const std::string text =
        size > 1 ? std::string(reinterpret_cast<const char*>(data) + 1, size - 1) : std::string();
    const StepsRead read = readSteps(text);
    checkRead(text, read);
    if (read.ok())
        checkPlan(read.steps, pick & 1 ? PowerSource::UsbHost : PowerSource::AcAdapter,
                  pick & 2 ? 2 : 1, {(pick >> 2) * 20, (pick >> 2) * 20});
    return 0;
}
