#include "ctl/CommandLine.h"

#include "logs/MeasurementLog.h"
#include "resources/Language.h"
#include "session/SetpointRules.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <string>

namespace ctl {

namespace {

struct CommandForm {
    const char* name;
    std::size_t minOperands;
    std::size_t maxOperands;
    std::vector<std::string> valueOptions;
    std::vector<std::string> flagOptions;
};

const std::vector<CommandForm>& commandForms() {
    static const std::vector<CommandForm> all = {
        {"scan", 0, 0, {}, {}},
        {"info", 0, 0, {"port"}, {}},
        {"status", 0, 0, {"port", "watch", "count"}, {"csv", "json"}},
        {"set", 2, 2, {"port"}, {"derive-current", "derive-voltage"}},
        {"on", 0, 0, {"port"}, {}},
        {"off", 0, 0, {"port"}, {}},
        {"log", 1, 1, {"port", "interval", "duration"}, {"append"}},
        {"monitor",
         0,
         0,
         {"port", "duration", "interval", "ovp", "ocp", "ocp-delay", "opp", "csv"},
         {"reconnect", "json"}},
        {"serve",
         0,
         0,
         {"port", "listen", "allow", "log", "interval", "http", "vxi11-port", "mqtt",
          "mqtt-password-file", "mqtt-ca", "mqtt-cert", "mqtt-key", "mqtt-node", "mqtt-base",
          "mqtt-interval", "mqtt-discovery-prefix"},
         {"new-token", "no-vxi11", "announce", "no-mqtt-discovery", "mqtt-control",
          "mqtt-remove"}},
        {"update", 1, 1, {"port"}, {}},
        {"run",
         1,
         1,
         {"port", "repeat", "log", "interval", "stop-below", "stop-below-for", "stop-above",
          "stop-after", "stop-charge"},
         {"on", "keep-on", "dry-run"}},
        {"charge",
         0,
         0,
         {"port", "chemistry", "cells", "capacity", "rate", "max-time", "termination", "log",
          "interval"},
         {"dry-run"}},
        {"help", 0, 1, {}, {}},
    };
    return all;
}

const CommandForm* findForm(const std::string& name) {
    for (const auto& s : commandForms())
        if (name == s.name)
            return &s;
    return nullptr;
}

bool contains(const std::vector<std::string>& list, const std::string& word) {
    return std::find(list.begin(), list.end(), word) != list.end();
}

} // namespace

std::optional<std::string> CommandLine::value(const std::string& name) const {
    auto it = values.find(name);
    if (it == values.end())
        return std::nullopt;
    return it->second;
}

const std::vector<std::string>& commandNames() {
    static const std::vector<std::string> names = [] {
        std::vector<std::string> n;
        for (const auto& s : commandForms())
            n.push_back(s.name);
        return n;
    }();
    return names;
}

std::optional<std::string> parseCommandLine(const std::vector<std::string>& args,
                                            CommandLine& line) {
    // Whether an option takes a value does not depend on the command, so options may stand
    // before the command too; which ones a command accepts is checked once it is known.
    static const std::vector<std::string> commonValueOptions = {
        "port",        "watch",       "count",          "interval",   "duration",
        "ovp",         "ocp",         "ocp-delay",      "opp",        "repeat",
        "log",         "stop-below",  "stop-below-for", "stop-above", "stop-after",
        "stop-charge", "chemistry",   "cells",          "capacity",   "rate",
        "max-time",    "termination", "listen",         "allow",      "lang",
        "http"};
    // serve's options of the network front ends.
    static const std::vector<std::string> serveValueOptions = {
        "vxi11-port", "mqtt",      "mqtt-password-file", "mqtt-ca",       "mqtt-cert",
        "mqtt-key",   "mqtt-node", "mqtt-base",          "mqtt-interval", "mqtt-discovery-prefix"};
    // "--csv" is a flag of status and names the file of monitor, wherever it stands.
    std::vector<std::string> valueOptions = commonValueOptions;
    valueOptions.insert(valueOptions.end(), serveValueOptions.begin(), serveValueOptions.end());
    for (const std::string& a : args) {
        if (a == "--")
            break;
        if (a == "monitor") {
            valueOptions.push_back("csv");
            break;
        }
    }
    std::vector<std::string> given;
    bool optionsEnded = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (optionsEnded || a == "-" || a.empty() || a[0] != '-') {
            if (line.command.empty())
                line.command = a;
            else
                line.operands.push_back(a);
        } else if (a == "--") {
            optionsEnded = true;
        } else if (a == "-h" || a == "--help") {
            line.help = true;
        } else if (a.compare(0, 2, "--") != 0) {
            return "unknown option " + a;
        } else {
            const auto eq = a.find('=');
            const std::string name = a.substr(2, eq == std::string::npos ? eq : eq - 2);
            given.push_back(name);
            if (contains(valueOptions, name)) {
                // The word after an option that takes a value is its value, unless it is the
                // next option: "--watch --count 2" lacks the interval.
                std::string v;
                if (eq != std::string::npos)
                    v = a.substr(eq + 1);
                else if (i + 1 < args.size() && args[i + 1].compare(0, 2, "--") != 0)
                    v = args[++i];
                if (v.empty())
                    return "--" + name + " needs a value";
                if (line.values.count(name))
                    return "--" + name + " given twice";
                line.values[name] = v;
            } else if (eq != std::string::npos) {
                return "--" + name + " takes no value";
            } else if (!line.flags.insert(name).second) {
                return "--" + name + " given twice";
            }
        }
    }

    const CommandForm* form = nullptr;
    if (!line.command.empty()) {
        form = findForm(line.command);
        if (!form)
            return "unknown command " + line.command;
    }
    for (const auto& name : given) {
        // The language of the messages goes with any command, and with none.
        if (name == "lang") {
            if (!texts::parseLanguageChoice(line.values["lang"]))
                return "--lang takes ja, en or auto";
            continue;
        }
        if (!form)
            return "unknown option --" + name + " (no command given)";
        if (!contains(form->valueOptions, name) && !contains(form->flagOptions, name))
            return line.command + " has no option --" + name;
    }
    if (line.help || !form)
        return std::nullopt;
    if (line.operands.size() < form->minOperands)
        return line.command + ": missing operand";
    if (line.operands.size() > form->maxOperands)
        return line.command + ": unexpected operand " + line.operands[form->maxOperands];
    return std::nullopt;
}

namespace {

// The number a text of seconds holds, without the upper bound; nothing for anything but a
// positive, finite number.
std::optional<double> positiveSeconds(const std::string& text) {
    if (!isPlainDecimal(text))
        return std::nullopt;
    errno = 0;
    char* end = nullptr;
    const double v = std::strtod(text.c_str(), &end);
    // A value too large for a double is still a number that is too large.
    if (errno == ERANGE && std::isinf(v) && v > 0 && *end == '\0')
        return v;
    if (errno != 0 || *end != '\0' || !std::isfinite(v) || v <= 0.0)
        return std::nullopt;
    return v;
}

} // namespace

std::optional<double> parseSeconds(const std::string& text) {
    const auto v = positiveSeconds(text);
    // No real run lasts a century; a bound keeps the arithmetic in milliseconds exact.
    if (!v || *v > MaxSeconds)
        return std::nullopt;
    return v;
}

std::string secondsProblem(const std::string& text) {
    if (parseSeconds(text))
        return "";
    if (positiveSeconds(text))
        return "is at most " + std::to_string(static_cast<long long>(MaxSeconds)) + " seconds";
    return "needs a positive number of seconds";
}

bool isPlainDecimal(const std::string& text) {
    return SetpointRules::entryForm(text) == SetpointRules::EntryForm::Number;
}

std::optional<long> parseCount(const std::string& text) {
    if (text.empty() || text.find_first_not_of("0123456789") != std::string::npos)
        return std::nullopt;
    errno = 0;
    char* end = nullptr;
    const long v = std::strtol(text.c_str(), &end, 10);
    if (errno != 0 || *end != '\0' || v < 1)
        return std::nullopt;
    return v;
}

std::optional<int> parseInterval(const std::string& text) {
    static const char* const names[] = {"1s", "10s", "1m", "10m", "1h"};
    static_assert(std::size(names) == std::size(MeasurementLog::Intervals));
    for (std::size_t i = 0; i < std::size(names); ++i)
        if (text == names[i])
            return MeasurementLog::Intervals[i];
    return std::nullopt;
}

} // namespace ctl
