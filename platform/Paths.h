#pragma once

#include <string>

namespace platform {

// The folder that holds the running executable, without a trailing slash. Settings, the
// system log and the ports/ links are found relative to it.
std::string executableDirectory();

// Lets a test put the "executable" into a folder of its own.
void setExecutableDirectoryForTest(const std::string& dir);

// Makes the folder the process's current directory; false when it cannot.
bool changeCurrentDirectory(const std::string& dir);

} // namespace platform
