// log: the measurement log of the window, polled every 500 ms, from a shell.
#include "ctl/Commands.h"

#include "ctl/ExitCode.h"
#include "ctl/Session.h"
#include "ctl/StopSignal.h"
#include "platform/Clock.h"
#include "resources/Texts.h"

#include <algorithm>
#include <cmath>
#include <optional>

namespace ctl {

int logCommand(Session& s) {
    const std::string& path = s.line.operands[0];
    int interval = 1;
    if (auto text = s.line.value("interval")) {
        auto seconds = parseInterval(*text);
        if (!seconds) {
            s.err << "quorelctl log: --interval is one of 1s, 10s, 1m, 10m, 1h\n";
            return Usage;
        }
        interval = *seconds;
    }
    std::optional<double> duration;
    if (auto text = s.line.value("duration")) {
        duration = parseSeconds(*text);
        if (!duration) {
            s.err << "quorelctl log: --duration " << secondsProblem(*text) << '\n';
            return Usage;
        }
    }

    StopOnSignals stopOnSignals;
    // A folder, FIFO or socket is refused at once; otherwise connected first, as in the
    // window: a file that is to be emptied is left alone when there is no device to log.
    if (int code = s.checkLogPath(path))
        return code;
    if (int code = s.connect())
        return code;
    session::MeasurementSession& m = s.measurement();
    if (int code = s.startMeasurementLog(path, s.line.has("append"), interval))
        return code;
    s.say(texts::LogCsvStarted.str());

    const std::int64_t start = platform::monotonicMs();
    const std::int64_t end = duration ? start + std::llround(*duration * 1000) : -1;
    std::int64_t next = start;
    for (;;) {
        if (stopRequested() || (end >= 0 && platform::monotonicMs() >= end))
            break;
        // The session writes the line of every poll whose interval has passed.
        if (DeviceResult r = s.poll(); r != DeviceResult::Ok) {
            // Every line written so far is complete; the log ends with the connection.
            m.stopMeasurementLog();
            s.log(texts::LogDeviceLost.str());
            return s.failed(texts::LogDeviceLost.str(), r);
        }
        if (!m.measurementLogRunning()) {
            s.say(texts::LogCsvWriteFailed.str());
            return FileWriteFailed;
        }
        // A delayed poll delays the next one; none is made up.
        next = std::max(next + session::PollPeriodMs, platform::monotonicMs());
        if (!waitUntil(end >= 0 ? std::min(next, end) : next))
            break;
    }
    m.stopMeasurementLog();
    s.say(texts::LogCsvStopped.str());
    return Success;
}

} // namespace ctl
