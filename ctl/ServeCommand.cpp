// serve: the supply as a networked instrument for scripts and lab software, polled through
// the measurement session as the panel polls it, until stopped.
#include "ctl/Commands.h"

#include "ctl/ExitCode.h"
#include "ctl/Session.h"
#include "ctl/SessionReport.h"
#include "ctl/StopSignal.h"
#include "remote/ListenPolicy.h"
#include "remote/RemoteControl.h"
#include "remote/RemoteSettings.h"
#include "resources/TextFormat.h"
#include "resources/Texts.h"
#include "sequence/SessionSupply.h"

#include <optional>

namespace ctl {

namespace {

struct Options {
    remote::ServerOptions server;
    std::optional<std::string> csv;
    int intervalSeconds = 1;
};

// Where to listen and whom to let in, as [REMOTE] of Quorel.ini has them for the panel; a
// value there that cannot be used is said, and its default taken, as the panel does.
void readRemoteSettings(Session& s, Options& o) {
    std::vector<std::string> bad;
    const remote::RemoteSettings ini = remote::RemoteSettings::load(s.settings().ini(), bad);
    o.server.listen = ini.listen;
    o.server.allow = ini.allow;
    for (const std::string& key : bad)
        s.say(texts::fill(texts::LogRemoteSettingBad, key));
}

std::optional<int> readOptions(Session& s, Options& o) {
    readRemoteSettings(s, o);
    if (auto text = s.line.value("listen");
        text && remote::parseEndpoint(*text, o.server.listen) != remote::AddressError::None) {
        s.err << "quorelctl serve: --listen needs ADDR:PORT, an IPv4 address or localhost and "
                 "a port of 0 to 65535 (0: a free one)\n";
        return Usage;
    }
    if (auto text = s.line.value("allow");
        text && remote::parseAllowList(*text, o.server.allow) != remote::AddressError::None) {
        s.err << "quorelctl serve: --allow needs networks ADDR[/N] separated by commas\n";
        return Usage;
    }
    if (remote::checkListen(o.server.listen, o.server.allow) != remote::ListenCheck::Ok) {
        s.err << "quorelctl serve: " << remote::formatEndpoint(o.server.listen)
              << " can be reached from other hosts: name the clients to let in with --allow "
                 "CIDR[,CIDR...] (or Allow= in [REMOTE] of Quorel.ini), or give --allow "
              << remote::AnyHost << " to let any host in\n";
        return Usage;
    }
    o.csv = s.line.value("log");
    if (auto text = s.line.value("interval")) {
        auto seconds = parseInterval(*text);
        if (!seconds || !o.csv) {
            s.err << (o.csv ? "quorelctl serve: --interval is one of 1s, 10s, 1m, 10m, 1h\n"
                            : "quorelctl serve: --interval needs --log\n");
            return Usage;
        }
        o.intervalSeconds = *seconds;
    }
    return std::nullopt;
}

// What the session meets, and a CSV log that fails while the clients are served on.
class ServeReport : public SessionReport {
public:
    using SessionReport::SessionReport;
    bool logFailed = false;

private:
    void onMeasurementLogFailed() override {
        logFailed = true;
        say(texts::LogCsvWriteFailed.str());
    }
};

} // namespace

int serveCommand(Session& s) {
    Options o;
    if (auto code = readOptions(s, o))
        return *code;

    StopOnSignals stopOnSignals;
    session::MeasurementSession& m = s.measurement();
    ServeReport report(s);

    if (int code = s.connect())
        return code;
    // A rack has nobody to press connect: a lost device is looked for every two seconds.
    m.setAutoReconnect(true);
    if (o.csv) {
        if (int code = s.startMeasurementLog(*o.csv, false, o.intervalSeconds))
            return code;
        s.say(texts::LogCsvStarted.str());
    }

    int code = Success;
    {
        auto say = [&report](const std::string& line) { report.say(line); };
        // The clients' step lists, served by the loop at their points; a list still running
        // at the end is aborted with the output off.
        sequence::SessionRunner runner(m, say);
        remote::RemoteControl remote(m, say);
        remote.setSequenceRunner(&runner.runner());
        if (remote.start(o.server) != remote::StartResult::Ok) {
            code = ListenFailed;
        } else {
            s.err << "listening on " << remote::formatEndpoint(remote.server().address()) << '\n'
                  << std::flush;
            remote.run([] { return stopRequested(); });
        }
    }
    if (o.csv && m.measurementLogRunning()) {
        m.stopMeasurementLog();
        report.say(texts::LogCsvStopped.str());
    }
    if (code == Success && report.logFailed)
        code = FileWriteFailed;
    return code;
}

} // namespace ctl
