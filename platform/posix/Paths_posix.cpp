#include "platform/Paths.h"
#include "platform/System.h"

#include <climits>
#include <unistd.h>

namespace platform {

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

bool changeCurrentDirectory(const std::string& dir) {
    return ::chdir(dir.c_str()) == 0;
}

} // namespace platform
