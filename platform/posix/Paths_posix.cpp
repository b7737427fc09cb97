#include "platform/Paths.h"
#include "platform/System.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

const char system::PathSeparator = '/';
const char* const system::PathSeparators = "/";

std::string system::executableDirectory() {
    char buf[PATH_MAX];
    ssize_t n = ::readlink("/proc/self/exe", buf, sizeof buf - 1);
    if (n <= 0)
        return ".";
    std::string path(buf, static_cast<size_t>(n));
    auto slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    if (slash == 0)
        return "/";
    return path.substr(0, slash);
}

bool isDirectory(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool system::isWritableDirectory(const std::string& dir) {
    return ::access(dir.c_str(), W_OK | X_OK) == 0;
}

std::string userSettingsDirectory() {
    // The XDG base directories: a relative XDG_CONFIG_HOME is to be ignored.
    const char* config = std::getenv("XDG_CONFIG_HOME");
    if (config && config[0] == '/')
        return joinPath(config, "quorel");
    const char* home = std::getenv("HOME");
    if (!home || home[0] != '/') {
        const passwd* user = ::getpwuid(::getuid());
        home = user ? user->pw_dir : nullptr;
    }
    if (!home || home[0] != '/')
        return {};
    return joinPath(joinPath(home, ".config"), "quorel");
}

bool makeDirectories(const std::string& dir) {
    if (dir.empty())
        return false;
    struct stat st {};
    if (::stat(dir.c_str(), &st) == 0)
        return S_ISDIR(st.st_mode);
    const std::string parent = parentDirectory(dir);
    if (!parent.empty() && parent != dir && !makeDirectories(parent))
        return false;
    // Settings and logs are the user's own.
    return ::mkdir(dir.c_str(), 0700) == 0 || errno == EEXIST;
}

bool changeCurrentDirectory(const std::string& dir) {
    return ::chdir(dir.c_str()) == 0;
}

} // namespace platform
