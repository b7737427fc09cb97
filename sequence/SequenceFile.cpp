#include "sequence/SequenceFile.h"

#include "history/LogExport.h"
#include "platform/RegularFile.h"
#include "resources/Texts.h"
#include "sequence/Plan.h"
#include "session/SetpointRules.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace sequence {

namespace {

std::string trimmed(const std::string& s) {
    const auto first = s.find_first_not_of(" \t");
    if (first == std::string::npos)
        return {};
    return s.substr(first, s.find_last_not_of(" \t") - first + 1);
}

std::string lower(std::string s) {
    for (char& c : s)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

std::vector<std::string> fields(const std::string& line) {
    std::vector<std::string> out;
    std::size_t at = 0;
    for (;;) {
        const auto comma = line.find(',', at);
        out.push_back(trimmed(line.substr(at, comma == std::string::npos ? comma : comma - at)));
        if (comma == std::string::npos)
            return out;
        at = comma + 1;
    }
}

// A plain decimal number within [min, max]: digits with at most one point, nothing else.
bool number(const std::string& text, double min, double max, double& out) {
    if (SetpointRules::entryForm(text) != SetpointRules::EntryForm::Number)
        return false;
    out = std::strtod(text.c_str(), nullptr);
    return out >= min && out <= max;
}

class Reader {
public:
    StepsRead read(const std::string& text) {
        std::size_t at = 0;
        // A byte-order mark that an editor may have put first.
        if (text.compare(0, 3, "\xEF\xBB\xBF") == 0)
            at = 3;
        std::size_t lineNo = 0;
        while (at <= text.size()) {
            auto end = text.find('\n', at);
            if (end == std::string::npos)
                end = text.size();
            std::string line = text.substr(at, end - at);
            ++lineNo;
            at = end + 1;
            // Every CR before the LF: an editor that doubled them wrote no other character.
            while (!line.empty() && line.back() == '\r')
                line.pop_back();
            if (const auto hash = line.find('#'); hash != std::string::npos)
                line.erase(hash);
            line = trimmed(line);
            if (!line.empty())
                take(lineNo, line);
            if (end == text.size())
                break;
        }
        if (!headerSeen_)
            problem(0, FileProblemKind::NoHeader);
        else if (result_.problemCount == 0 && result_.steps.empty())
            problem(0, FileProblemKind::NoSteps);
        if (result_.problemCount != 0)
            result_.steps.clear();
        return std::move(result_);
    }

private:
    void problem(std::size_t line, FileProblemKind kind) {
        if (result_.problems.size() < MaxProblemsKept)
            result_.problems.push_back({line, kind});
        ++result_.problemCount;
    }

    void take(std::size_t lineNo, const std::string& line) {
        if (!headerSeen_) {
            headerSeen_ = true;
            const std::string head = lower(line);
            std::string compact;
            for (char c : head)
                if (c != ' ' && c != '\t')
                    compact += c;
            if (compact == FileHeader) {
                withRamp_ = true;
                return;
            }
            if (compact == "volts,amps,seconds")
                return;
            // Not a header: told once. A line of words is a header written wrongly, and is
            // told as that alone; a line of steps is read as a step so that its own problems
            // show too.
            problem(lineNo, FileProblemKind::NoHeader);
            withRamp_ = true;
            if (SetpointRules::entryForm(fields(line)[0]) != SetpointRules::EntryForm::Number)
                return;
        }
        const std::vector<std::string> f = fields(line);
        if (f.size() < 3 || f.size() > (withRamp_ ? 4u : 3u)) {
            problem(lineNo, FileProblemKind::FieldCount);
            return;
        }
        Step step;
        if (!number(f[0], 0.0, SetpointRules::MaxVolts, step.volts))
            return problem(lineNo, FileProblemKind::Volts);
        if (!number(f[1], 0.0, SetpointRules::MaxAmps, step.amps))
            return problem(lineNo, FileProblemKind::Amps);
        if (!number(f[2], MinStepSeconds, MaxStepSeconds, step.seconds))
            return problem(lineNo, FileProblemKind::Seconds);
        if (f.size() == 4 && !f[3].empty()) {
            const auto ramp = rampFromName(lower(f[3]));
            if (!ramp)
                return problem(lineNo, FileProblemKind::Ramp);
            step.ramp = *ramp;
        }
        if (result_.steps.size() == MaxSteps) {
            if (!tooMany_)
                problem(lineNo, FileProblemKind::TooManySteps);
            tooMany_ = true;
            return;
        }
        result_.steps.push_back(step);
    }

    StepsRead result_;
    bool headerSeen_ = false;
    bool withRamp_ = false;
    bool tooMany_ = false;
};

std::string formatted(const char* pattern, std::size_t n, const char* text) {
    char buf[512];
    std::snprintf(buf, sizeof buf, pattern, n, text);
    return buf;
}

} // namespace

std::string secondsText(double seconds) {
    const long long ms = std::llround(seconds * 1000.0);
    char buf[64];
    std::snprintf(buf, sizeof buf, "%lld.%03lld", ms / 1000, ms % 1000);
    std::string s = buf;
    s.erase(s.find_last_not_of('0') + 1);
    if (s.back() == '.')
        s.pop_back();
    return s;
}

StepsRead readSteps(const std::string& text) {
    return Reader().read(text);
}

StepsRead loadSteps(const std::string& path) {
    StepsRead failed;
    failed.problemCount = 1;
    std::FILE* f = platform::openRegularFile(path);
    if (!f) {
        failed.problems.push_back({0, FileProblemKind::CannotOpen});
        return failed;
    }
    std::string text;
    char buf[65536];
    bool tooLarge = false;
    while (std::size_t n = std::fread(buf, 1, sizeof buf, f)) {
        text.append(buf, n);
        if (text.size() > MaxFileBytes) {
            tooLarge = true;
            break;
        }
    }
    const bool readError = std::ferror(f) != 0;
    std::fclose(f);
    if (tooLarge || readError) {
        failed.problems.push_back(
            {0, tooLarge ? FileProblemKind::TooLarge : FileProblemKind::CannotOpen});
        return failed;
    }
    return readSteps(text);
}

std::string writeSteps(const std::vector<Step>& steps) {
    std::string out = std::string(FileHeader) + "\r\n";
    for (const Step& s : steps) {
        out += SetpointRules::formatVolts(voltsOf(voltUnits(s.volts))) + "," +
               SetpointRules::formatAmps(ampsOf(ampUnits(s.amps))) + "," + secondsText(s.seconds) +
               "," + rampName(s.ramp) + "\r\n";
    }
    return out;
}

bool saveSteps(const std::string& path, const std::vector<Step>& steps) {
    return history::writeFileReplacing(path, writeSteps(steps));
}

std::string problemText(const FileProblem& problem) {
    const char* what = texts::SequenceFileNoHeader;
    switch (problem.kind) {
    case FileProblemKind::NoHeader:
        break;
    case FileProblemKind::FieldCount:
        what = texts::SequenceFileFieldCount;
        break;
    case FileProblemKind::Volts:
        what = texts::SequenceFileVolts;
        break;
    case FileProblemKind::Amps:
        what = texts::SequenceFileAmps;
        break;
    case FileProblemKind::Seconds:
        what = texts::SequenceFileSeconds;
        break;
    case FileProblemKind::Ramp:
        what = texts::SequenceFileRamp;
        break;
    case FileProblemKind::NoSteps:
        what = texts::SequenceFileNoSteps;
        break;
    case FileProblemKind::TooManySteps:
        what = texts::SequenceFileTooManySteps;
        break;
    case FileProblemKind::TooLarge:
        what = texts::SequenceFileTooLarge;
        break;
    case FileProblemKind::CannotOpen:
        what = texts::SequenceFileCannotOpen;
        break;
    }
    if (problem.line == 0)
        return what;
    return formatted(texts::SequenceFileLine, problem.line, what);
}

std::string problemsText(const StepsRead& read, std::size_t shown) {
    std::string out;
    const std::size_t n = std::min(shown, read.problems.size());
    for (std::size_t i = 0; i < n; ++i)
        out += (i ? "\n" : "") + problemText(read.problems[i]);
    if (read.problemCount > n) {
        char buf[128];
        std::snprintf(buf, sizeof buf, texts::SequenceFileMore, read.problemCount - n);
        out += std::string("\n") + buf;
    }
    return out;
}

} // namespace sequence
