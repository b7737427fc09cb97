#pragma once

#include "platform/Clock.h"

#include <optional>
#include <string>

namespace session {

// The trace a run (a sequence, a charge, a step list) leaves in the settings folder while it
// drives the output: a program killed, crashed or left without its display in the middle of
// one never switches the output off, so the next program that connects to the port finds the
// marker, switches the output off first and removes it. One file per port, named after the
// port; the file names the port whole, and one that names another port is left alone.
struct RunMarker {
    std::string port;
    // What ran, as its program names it ("quorelctl run steps.csv").
    std::string what;
    // When it started, in calendar seconds.
    platform::Seconds since = 0;

    // The marker's text, and back: nothing for a text that is no marker.
    std::string text() const;
    static std::optional<RunMarker> parse(const std::string& text);

    // The file of the port's marker in the folder.
    static std::string pathFor(const std::string& folder, const std::string& port);
    // Writes the marker whole (a crash leaves the old file or the new one), making the folder
    // when it is missing; false when it could not be written.
    bool write(const std::string& folder) const;
    // The port's marker in the folder, when there is one that names this port.
    static std::optional<RunMarker> find(const std::string& folder, const std::string& port);
    // Removes the port's marker (one that names another port stays); false when it stays.
    static bool remove(const std::string& folder, const std::string& port);
};

} // namespace session
