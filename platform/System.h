#pragma once

#include "platform/Clock.h"

#include <cstdint>
#include <string>

// What each platform's files give the shared part of the platform layer, which adds the
// seams that tests use (a clock, pauses and an executable folder of their own, the observer
// of input waits).
namespace platform::system {

Seconds now();
// A pause of the given milliseconds (> 0) that never ends early and overshoots as little as
// the system allows.
void sleepMs(int milliseconds);

// The folder of the running executable, without a trailing separator; "." when unknown.
std::string executableDirectory();
// Whether files may be created in the folder, by the system's own check.
bool isWritableDirectory(const std::string& dir);

// The separator the system writes between folders ('/' is taken everywhere), and every
// character it accepts as one.
extern const char PathSeparator;
extern const char* const PathSeparators;

} // namespace platform::system
