#include "platform/Paths.h"

#include "platform/System.h"

namespace platform {

namespace {
std::string& overrideDir() {
    static std::string dir;
    return dir;
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

} // namespace platform
