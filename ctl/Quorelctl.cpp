#include "ctl/Quorelctl.h"

#include "ctl/CommandLine.h"
#include "ctl/Commands.h"
#include "ctl/ExitCode.h"
#include "ctl/Help.h"
#include "ctl/Session.h"
#include "ctl/StopSignal.h"
#include "resources/Texts.h"

#include <algorithm>

namespace ctl {
namespace {
bool progressOnTerminal = false;
}
void setProgressOnTerminal(bool terminal) {
    progressOnTerminal = terminal;
}

namespace {
int commandLine(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    CommandLine line;
    if (auto problem = parseCommandLine(args, line)) {
        err << "quorelctl: " << *problem << "\n"
            << "Try 'quorelctl help'.\n";
        return Usage;
    }
    if (line.help && !line.command.empty()) {
        out << commandHelp(line.command);
        return Success;
    }
    if (line.command.empty() || line.command == "help") {
        if (line.command.empty() && !line.help) {
            err << overviewHelp();
            return Usage;
        }
        if (line.operands.empty()) {
            out << overviewHelp();
            return Success;
        }
        const auto& names = commandNames();
        if (std::find(names.begin(), names.end(), line.operands[0]) == names.end()) {
            err << "quorelctl: unknown command " << line.operands[0] << "\n";
            return Usage;
        }
        out << commandHelp(line.operands[0]);
        return Success;
    }

    clearStop();
    Session session(line, out, err);
    const std::string& c = line.command;
    if (c == "scan")
        return scanCommand(session);
    if (c == "info")
        return infoCommand(session);
    if (c == "status")
        return statusCommand(session);
    if (c == "set")
        return setCommand(session);
    if (c == "on" || c == "off")
        return outputCommand(session, c == "on");
    if (c == "log")
        return logCommand(session);
    if (c == "monitor")
        return monitorCommand(session);
    if (c == "serve")
        return serveCommand(session);
    if (c == "run")
        return runCommand(session);
    if (c == "charge")
        return chargeCommand(session);
    return updateCommand(session, progressOnTerminal);
}
} // namespace
} // namespace ctl

int runQuorelctl(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    using namespace ctl;
    int code = commandLine(args, out, err);
    // Results that never reached standard output (a full disk, a closed pipe) are no success.
    // A command that ended for it has said so already.
    out.flush();
    if (!out && code != StandardOutputFailed) {
        err << texts::StandardOutputFailed << '\n' << std::flush;
        if (code == Success)
            code = StandardOutputFailed;
    }
    return code;
}
