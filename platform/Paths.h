#pragma once

#include <functional>
#include <string>

namespace platform {

// The settings file of the panel and of quorelctl.
inline constexpr const char* SettingsFileName = "Quorel.ini";

// The folder that holds the running executable, without a trailing slash.
std::string executableDirectory();

// Lets a test put the "executable" into a folder of its own.
void setExecutableDirectoryForTest(const std::string& dir);

// The folder of the settings file, of relatively named log files and of the ports/ links.
// A program that runs from a folder it may write, or whose folder already holds the
// settings file, keeps everything there (a portable copy, a build folder: as always).
// Otherwise (installed where a user cannot write, such as /usr/bin, or installed with its
// data in ../share/quorel, whoever runs it) it is the user's own folder,
// userSettingsDirectory(), which is made when something is first written to it.
std::string settingsDirectory();
// Whether settingsDirectory() is the executable's folder.
bool settingsBesideExecutable();

// The user's folder for Quorel's settings: $XDG_CONFIG_HOME/quorel, else
// $HOME/.config/quorel (Windows: %APPDATA%\quorel); empty when the system names no home.
std::string userSettingsDirectory();

// Whether the path names a folder.
bool isDirectory(const std::string& path);
// Whether the program may create files in the folder.
bool isWritableDirectory(const std::string& dir);
// Replaces that question for a test (tests run as root, whom no folder's mode stops); an
// empty function asks the system again.
void setWritableDirectoryCheckForTest(std::function<bool(const std::string&)> check);

// Makes the folder and those above it that are missing, for the user alone where the
// system has modes; true when it exists afterwards.
bool makeDirectories(const std::string& dir);
// The folder part of a path ("" when it has none).
std::string parentDirectory(const std::string& path);
// dir + separator + name.
std::string joinPath(const std::string& dir, const std::string& name);

// Makes the folder the process's current directory; false when it cannot.
bool changeCurrentDirectory(const std::string& dir);

} // namespace platform
