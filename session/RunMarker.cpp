#include "session/RunMarker.h"

#include "platform/Files.h"
#include "platform/Paths.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace session {

namespace {

constexpr const char* Header = "Quorel run marker";
// No marker is longer; a bigger file there is something else and is not read on.
constexpr std::size_t MaxText = 4096;
// The readable part of a file name, cut from the end of the port's name (where device names
// differ).
constexpr std::size_t NameChars = 40;

// One line of the text holds a value whole: breaks would end it early.
std::string oneLine(const std::string& value) {
    std::string s = value;
    for (char& c : s)
        if (c == '\r' || c == '\n')
            c = ' ';
    return s;
}

// FNV-1a over the port's bytes: two ports whose readable parts agree get two files.
std::uint32_t hashOf(const std::string& text) {
    std::uint32_t h = 2166136261u;
    for (unsigned char c : text) {
        h ^= c;
        h *= 16777619u;
    }
    return h;
}

} // namespace

std::string RunMarker::text() const {
    return std::string(Header) + "\nPort=" + oneLine(port) + "\nWhat=" + oneLine(what) +
           "\nSince=" + std::to_string(since) + "\n";
}

std::optional<RunMarker> RunMarker::parse(const std::string& text) {
    if (text.size() > MaxText)
        return std::nullopt;
    RunMarker m;
    bool header = false, havePort = false, haveSince = false;
    std::size_t at = 0;
    while (at < text.size()) {
        std::size_t end = text.find('\n', at);
        if (end == std::string::npos)
            end = text.size();
        std::string line = text.substr(at, end - at);
        at = end + 1;
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (!header) {
            if (line != Header)
                return std::nullopt;
            header = true;
            continue;
        }
        const auto eq = line.find('=');
        if (eq == std::string::npos)
            continue;
        const std::string key = line.substr(0, eq);
        const std::string value = line.substr(eq + 1);
        if (key == "Port") {
            m.port = value;
            havePort = !value.empty();
        } else if (key == "What") {
            m.what = value;
        } else if (key == "Since") {
            char* stop = nullptr;
            const long long s = std::strtoll(value.c_str(), &stop, 10);
            haveSince = !value.empty() && stop && *stop == '\0';
            m.since = s;
        }
    }
    if (!header || !havePort)
        return std::nullopt;
    if (!haveSince)
        m.since = 0;
    return m;
}

std::string RunMarker::pathFor(const std::string& folder, const std::string& port) {
    std::string readable;
    for (char c : port.size() > NameChars ? port.substr(port.size() - NameChars) : port) {
        const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                           (c >= '0' && c <= '9') || c == '-' || c == '.';
        readable += plain ? c : '_';
    }
    char hash[16];
    std::snprintf(hash, sizeof hash, "%08x", static_cast<unsigned>(hashOf(port)));
    return platform::joinPath(folder, "run-" + readable + "-" + hash + ".marker");
}

bool RunMarker::write(const std::string& folder) const {
    if (!folder.empty() && !platform::makeDirectories(folder))
        return false;
    return platform::replaceFile(pathFor(folder, port), text());
}

std::optional<RunMarker> RunMarker::find(const std::string& folder, const std::string& port) {
    std::string content;
    if (platform::readRegularFile(pathFor(folder, port), content) != platform::FileRead::Ok)
        return std::nullopt;
    auto marker = parse(content);
    if (!marker || marker->port != oneLine(port))
        return std::nullopt;
    return marker;
}

bool RunMarker::remove(const std::string& folder, const std::string& port) {
    if (!find(folder, port))
        return true;
    return platform::removeRegularFile(pathFor(folder, port));
}

} // namespace session
