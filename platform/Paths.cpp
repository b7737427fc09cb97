#include "platform/Paths.h"

#include "platform/Files.h"
#include "platform/System.h"

#include <utility>

namespace platform {

namespace {
std::string& overrideDir() {
    static std::string dir;
    return dir;
}
std::function<bool(const std::string&)>& writableCheck() {
    static std::function<bool(const std::string&)> check;
    return check;
}
} // namespace

std::string executableDirectory() {
    if (!overrideDir().empty())
        return overrideDir();
    return system::executableDirectory();
}

void setExecutableDirectoryForTest(const std::string& dir) {
    overrideDir() = dir;
}

bool isWritableDirectory(const std::string& dir) {
    if (writableCheck())
        return writableCheck()(dir);
    return system::isWritableDirectory(dir);
}

void setWritableDirectoryCheckForTest(std::function<bool(const std::string&)> check) {
    writableCheck() = std::move(check);
}

bool settingsBesideExecutable() {
    const std::string dir = executableDirectory();
    std::string content;
    // A settings file that is there (even one that cannot be read now) keeps its place.
    if (readRegularFile(joinPath(dir, SettingsFileName), content) != FileRead::Missing)
        return true;
    if (userSettingsDirectory().empty())
        return true;
    // A program installed with its data beside (bin/../share/quorel) is never portable, even
    // for a user who may write its folder (root and /usr/bin): settings do not go there.
    if (isDirectory(joinPath(joinPath(parentDirectory(dir), "share"), "quorel")))
        return false;
    return isWritableDirectory(dir);
}

std::string settingsDirectory() {
    return settingsBesideExecutable() ? executableDirectory() : userSettingsDirectory();
}

std::string joinPath(const std::string& dir, const std::string& name) {
    if (dir.empty())
        return name;
    const char last = dir.back();
    if (last == '/' || last == system::PathSeparator)
        return dir + name;
    return dir + system::PathSeparator + name;
}

std::string parentDirectory(const std::string& path) {
    const auto at = path.find_last_of(system::PathSeparators);
    if (at == std::string::npos)
        return {};
    if (at == 0)
        return path.substr(0, 1);
    return path.substr(0, at);
}

} // namespace platform
