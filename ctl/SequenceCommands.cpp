// run and charge: a step list from a file, or a charge profile, through the sequence engine on
// the measurement session, with progress lines, the plan alone on --dry-run, and the output
// switched off when a signal ends it.
#include "ctl/Commands.h"

#include "ctl/ExitCode.h"
#include "ctl/ReadingFormat.h"
#include "ctl/Session.h"
#include "ctl/StopSignal.h"
#include "platform/Clock.h"
#include "platform/Signals.h"
#include "resources/Texts.h"
#include "sequence/ChargeProfile.h"
#include "sequence/SequenceFile.h"
#include "sequence/SequenceMessages.h"
#include "sequence/SessionSupply.h"
#include "session/SessionMessages.h"
#include "session/SetpointRules.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <optional>

namespace ctl {

namespace {

using namespace sequence;

// A status exchange takes about 25 ms; none is started this close before a point is due, so
// that the point's set command is not held up behind it.
constexpr std::int64_t PollQuietMs = 40;

const char* endName(EndReason reason) {
    switch (reason) {
    case EndReason::Completed:
        return "completed";
    case EndReason::CurrentBelow:
        return "current-below";
    case EndReason::VoltageAbove:
        return "voltage-above";
    case EndReason::Elapsed:
        return "time-limit";
    case EndReason::Charge:
        return "charge-above";
    case EndReason::Aborted:
    case EndReason::WindowClosed:
        return "aborted";
    case EndReason::DeviceLost:
        return "device-lost";
    case EndReason::DeviceFailed:
        return "device-failed";
    case EndReason::SourceRefused:
        return "source-refused";
    case EndReason::Tripped:
        break;
    }
    return "tripped";
}

// A plain decimal number within (0, max]: digits with at most one point.
std::optional<double> level(const std::string& text, double max) {
    if (SetpointRules::entryForm(text) != SetpointRules::EntryForm::Number)
        return std::nullopt;
    const double v = std::strtod(text.c_str(), nullptr);
    if (!(v > 0.0 && v <= max))
        return std::nullopt;
    return v;
}

// Reads an option the command may take; false (with the message printed) when it is given
// but malformed.
struct Options {
    Session& s;
    const char* command;

    template <class T, class Parse>
    bool read(const char* name, std::optional<T>& into, Parse parse, const char* needs) {
        if (auto text = s.line.value(name)) {
            into = parse(*text);
            if (!into) {
                s.err << "quorelctl " << command << ": --" << name << ' ' << needs << '\n';
                return false;
            }
        }
        return true;
    }
};

struct LogOption {
    std::optional<std::string> path;
    int interval = 1;
};

bool readLogOption(Options& o, LogOption& log) {
    log.path = o.s.line.value("log");
    std::optional<int> interval;
    if (!o.read("interval", interval, parseInterval, "is one of 1s, 10s, 1m, 10m, 1h"))
        return false;
    if (interval && !log.path) {
        o.s.err << "quorelctl " << o.command << ": --interval goes with --log\n";
        return false;
    }
    log.interval = interval.value_or(1);
    return true;
}

void printPlan(Session& s, const Plan& plan) {
    const PowerSource source = plan.source();
    char line[256];
    const std::string repeat =
        plan.repeat() == Endless ? std::string("inf") : std::to_string(plan.repeat());
    std::snprintf(
        line, sizeof line, "plan: %zu steps, repeat %s, round %s, total %s, source %s (%.1f W)\n",
        plan.steps().size(), repeat.c_str(), clockText(plan.roundMs()).c_str(),
        plan.totalText().c_str(), sourceName(source), SetpointRules::powerCapacity(source));
    s.out << line << "step       start   volts    amps      seconds  ramp    watts\n";
    for (std::size_t i = 0; i < plan.steps().size(); ++i) {
        const PlannedStep& p = plan.steps()[i];
        std::snprintf(line, sizeof line, "%4zu %11s %7s %7s %12.3f  %-6s %6.3f\n", i + 1,
                      clockText(p.startMs).c_str(),
                      SetpointRules::formatVolts(voltsOf(p.to)).c_str(),
                      SetpointRules::formatAmps(ampsOf(p.to)).c_str(), p.durationMs / 1000.0,
                      rampName(p.ramp), voltsOf(p.to) * ampsOf(p.to));
        s.out << line;
    }
    const StopConditions& stop = plan.stops();
    if (stop.currentBelow) {
        std::snprintf(line, sizeof line, "stop: current below %.3f A for %g s\n",
                      stop.currentBelow->amps, stop.currentBelow->seconds);
        s.out << line;
    }
    if (stop.voltageAbove) {
        std::snprintf(line, sizeof line, "stop: voltage above %.2f V\n", *stop.voltageAbove);
        s.out << line;
    }
    if (stop.elapsedSeconds)
        s.out << "stop: after " << limitText(*stop.elapsedSeconds) << '\n';
    if (stop.chargeAboveAh) {
        std::snprintf(line, sizeof line, "stop: charge above %.6f Ah\n", *stop.chargeAboveAh);
        s.out << line;
    }
    s.out << std::flush;
}

void printProgress(Session& s, const Runner& runner) {
    const Progress p = runner.progress();
    const session::Reading& r = s.measurement().lastReading();
    const std::string rounds = runner.plan().repeat() == Endless
                                   ? std::string("inf")
                                   : std::to_string(runner.plan().repeat());
    char line[256];
    std::snprintf(line, sizeof line, "step %d/%zu  round %llu/%s  left %s  %s V  %s A  %s\n",
                  p.step, runner.plan().steps().size(), static_cast<unsigned long long>(p.round),
                  rounds.c_str(), clockText(p.stepLeftMs).c_str(),
                  SetpointRules::formatVolts(r.volts).c_str(),
                  SetpointRules::formatAmps(r.amps).c_str(),
                  MeasurementLog::stateText(r.outputOn, r.constantCurrent));
    s.out << line << std::flush;
}

// The exit code of how a run ended.
int endCode(const RunEnd& end, bool aborted, DeviceResult lastPoll) {
    if (endedByPlan(end.reason) && !aborted)
        return Success;
    if (aborted || end.reason == EndReason::Aborted)
        return SequenceAborted;
    if (end.reason == EndReason::Tripped)
        return ProtectionTripped;
    if (end.reason == EndReason::SourceRefused)
        return SequenceRefused;
    if (end.reason == EndReason::DeviceLost || end.reason == EndReason::DeviceFailed) {
        const DeviceResult r = end.deviceResult != DeviceResult::Ok ? end.deviceResult
                               : lastPoll != DeviceResult::Ok       ? lastPoll
                                                                    : DeviceResult::NotConnected;
        return exitCodeFor(r);
    }
    return SequenceAborted; // closed from elsewhere
}

LookForLostDevice& lookFor() {
    static LookForLostDevice look;
    return look;
}

// The run ended with the device gone and its output maybe on: the device is looked for, and
// the connect that finds it switches the output off (MeasurementSession::connect). A stop
// request ends the search.
void lookForLostDevice(Session& s) {
    session::MeasurementSession& m = s.measurement();
    // A command that failed may have met a cable being pulled: a poll tells.
    if (m.connected())
        m.poll();
    if (!m.switchOffOwedAtConnect())
        return;
    const LookForLostDevice look = lookFor();
    s.say(printed(texts::LookingForLostDevice, static_cast<int>((look.windowMs + 999) / 1000)));
    const std::int64_t end = platform::monotonicMs() + look.windowMs;
    for (;;) {
        const std::int64_t attempt = platform::monotonicMs();
        // Found: the connect has switched the output off, or said that the device refused.
        if (m.connect(s.port()) == DeviceResult::Ok)
            return;
        if (attempt + look.periodMs > end || !waitUntil(attempt + look.periodMs))
            break;
    }
    s.say(texts::LostDeviceNotFound.str());
}

// Checks, starts and drives one run until it ends, then says how it ended.
int drive(Session& s, const Sequence& sequence, const RunOptions& options, const LogOption& log,
          bool dryRun, const std::string& what) {
    StopOnSignals stopOnSignals;
    if (log.path) {
        if (int code = s.checkLogPath(*log.path))
            return code;
    }
    if (int code = s.connect())
        return code;
    session::MeasurementSession& m = s.measurement();
    auto say = [&s](const std::string& message) { s.say(message); };
    SessionRunner session(m, say, {}, what);
    Runner& runner = session.runner();

    Plan plan;
    if (const Refusal r = runner.check(sequence, options, plan)) {
        say(refusalText(r));
        return SequenceRefused;
    }
    if (dryRun) {
        printPlan(s, plan);
        return Success;
    }
    if (log.path) {
        if (int code = s.startMeasurementLog(*log.path, false, log.interval))
            return code;
    }
    if (const Refusal r = runner.start(sequence, options)) {
        m.stopMeasurementLog();
        say(refusalText(r));
        return SequenceRefused;
    }

    // A stopped process watches nothing: Ctrl-Z is refused while the run goes.
    platform::SuspendRefusal noSuspend(texts::SuspendRefused.str() + "\n");
    DeviceResult lastPoll = DeviceResult::Ok;
    std::int64_t nextPoll = platform::monotonicMs();
    std::int64_t nextPrint = nextPoll;
    bool aborted = false;
    int failed = Success; // the log or the standard output that failed, which ends the run
    while (runner.running()) {
        if (stopRequested() || failed != Success) {
            runner.abort();
            aborted = true;
            break;
        }
        std::int64_t now = platform::monotonicMs();
        const auto due = runner.nextServiceMs();
        if (due && *due <= now) {
            runner.service();
            continue;
        }
        if (now >= nextPoll && (!due || *due - now > PollQuietMs)) {
            lastPoll = m.poll();
            now = platform::monotonicMs();
            nextPoll = std::max(nextPoll + session::PollPeriodMs, now);
            if (lastPoll == DeviceResult::Ok && runner.running() && now >= nextPrint) {
                printProgress(s, runner);
                nextPrint = now + 1000;
            }
            if (log.path && !m.measurementLogRunning()) {
                s.say(texts::LogCsvWriteFailed.str());
                failed = FileWriteFailed;
            } else if (!s.out) {
                failed = s.outputFailed();
            }
            continue;
        }
        // The next poll, unless a point falls so soon after it that the poll must wait for
        // the point.
        const std::int64_t pollAt = std::max(nextPoll, now);
        waitUntil(due && *due <= pollAt + PollQuietMs ? *due : pollAt);
    }
    m.stopMeasurementLog();

    const RunEnd end = runner.lastEnd().value_or(RunEnd{EndReason::Aborted, {}, false, {}});
    char line[256];
    std::snprintf(line, sizeof line, "ended: %s  elapsed %s  charge %.6f Ah  energy %.6f Wh\n",
                  endName(end.reason),
                  clockText(std::llround(end.totals.elapsedSeconds * 1000)).c_str(),
                  end.totals.chargeAh, end.totals.energyWh);
    s.out << line << std::flush;
    // A device lost with the run is looked for, so that its output is switched off.
    if (end.reason == EndReason::DeviceLost || end.reason == EndReason::DeviceFailed)
        lookForLostDevice(s);
    // A switch-off the device did not confirm outweighs how the run ended; a log or standard
    // output that failed outweighs the rest.
    return s.finishSwitchOff(failed != Success ? failed : endCode(end, aborted, lastPoll));
}

} // namespace

void setLookForLostDeviceForTest(LookForLostDevice look) {
    lookFor() = look;
}

int runCommand(Session& s) {
    Options o{s, "run"};
    Sequence sequence;
    std::optional<unsigned> repeat;
    auto repeatOf = [](const std::string& text) -> std::optional<unsigned> {
        if (text == "inf")
            return Endless;
        const auto n = parseCount(text);
        if (!n || *n > static_cast<long>(MaxRepeat))
            return std::nullopt;
        return static_cast<unsigned>(*n);
    };
    std::optional<double> below, belowFor, above, after, charge;
    LogOption log;
    if (!o.read("repeat", repeat, repeatOf, "is a whole number from 1 to 1000000, or inf") ||
        !o.read(
            "stop-below", below, [](auto& t) { return level(t, SetpointRules::MaxAmps); },
            "needs a current above 0 and at most 1 A") ||
        !o.read("stop-below-for", belowFor, parseSeconds, "needs a positive number of seconds") ||
        !o.read(
            "stop-above", above, [](auto& t) { return level(t, SetpointRules::MaxVolts); },
            "needs a voltage above 0 and at most 20 V") ||
        !o.read("stop-after", after, parseSeconds, "needs a positive number of seconds") ||
        !o.read(
            "stop-charge", charge, [](auto& t) { return level(t, 1.0e6); },
            "needs a positive charge in Ah") ||
        !readLogOption(o, log))
        return Usage;
    if (belowFor && !below) {
        s.err << "quorelctl run: --stop-below-for goes with --stop-below\n";
        return Usage;
    }

    const std::string& path = s.line.operands[0];
    const StepsRead read = loadSteps(path);
    if (!read.ok()) {
        const std::string message = format(texts::SequenceFileRefused, path);
        s.log(message);
        s.err << message << '\n' << problemsText(read, 20) << '\n' << std::flush;
        const bool unreadable = read.problems.size() == 1 && read.problems[0].line == 0 &&
                                read.problems[0].kind == FileProblemKind::CannotOpen;
        return unreadable ? FileCannotOpen : FileMalformed;
    }
    sequence.steps = read.steps;
    sequence.repeat = repeat.value_or(1);
    if (below)
        sequence.stops.currentBelow = CurrentBelow{*below, belowFor.value_or(10.0)};
    sequence.stops.voltageAbove = above;
    sequence.stops.elapsedSeconds = after;
    sequence.stops.chargeAboveAh = charge;
    RunOptions options;
    options.outputOnAtStart = s.line.has("on");
    options.keepOutputAtEnd = s.line.has("keep-on");
    return drive(s, sequence, options, log, s.line.has("dry-run"), "quorelctl run " + path);
}

int chargeCommand(Session& s) {
    Options o{s, "charge"};
    ChargeSettings settings;
    std::optional<Chemistry> chemistry;
    std::optional<long> cells;
    std::optional<double> capacity;
    LogOption log;
    if (!o.read("chemistry", chemistry, chemistryFromName, "is one of li-ion, lifepo4, nimh") ||
        !o.read("cells", cells, parseCount, "is a whole number from 1") ||
        !o.read(
            "capacity", capacity, [](auto& t) { return level(t, 1.0e9); },
            "needs a positive number of mAh") ||
        !o.read(
            "rate", settings.rateC, [](auto& t) { return level(t, 1.0e9); },
            "needs a positive number (times the capacity per hour)") ||
        !o.read("max-time", settings.maxTimeS, parseSeconds,
                "needs a positive number of seconds") ||
        !o.read(
            "termination", settings.terminationA, [](auto& t) { return level(t, 1.0e9); },
            "needs a positive current in A") ||
        !readLogOption(o, log))
        return Usage;
    if (!chemistry || !cells || !capacity) {
        s.err << "quorelctl charge: --chemistry, --cells and --capacity are needed\n";
        return Usage;
    }
    if (*chemistry == Chemistry::NiMH && settings.terminationA) {
        // NiMH ends on its charge; a termination current would be ignored.
        s.err << "quorelctl charge: --termination goes with li-ion and lifepo4 only\n";
        return Usage;
    }
    settings.chemistry = *chemistry;
    settings.cells = static_cast<int>(std::min<long>(*cells, 1000));
    settings.capacityMah = *capacity;
    const ChargeBuild build = chargeSequence(settings);
    if (!build.plan) {
        s.log(build.problem);
        s.err << build.problem << '\n' << std::flush;
        return SequenceRefused;
    }
    return drive(s, build.plan->sequence, build.plan->options, log, s.line.has("dry-run"),
                 "quorelctl charge " + s.line.value("chemistry").value_or(""));
}

} // namespace ctl
