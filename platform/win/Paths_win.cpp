#include "platform/Paths.h"
#include "platform/System.h"
#include "platform/win/WideText.h"

#include <windows.h>

namespace platform {

std::string system::executableDirectory() {
    // Long paths need more than MAX_PATH; the buffer grows until the name fits.
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (n == 0)
            return ".";
        if (n < path.size()) {
            path.resize(n);
            break;
        }
        if (path.size() >= 32768)
            return ".";
        path.resize(path.size() * 2);
    }
    const auto separator = path.find_last_of(L"\\/");
    if (separator == std::wstring::npos)
        return ".";
    // A drive's root keeps its separator: "C:\".
    if (separator == 2 && path[1] == L':')
        return win::fromWide(path.substr(0, 3));
    return win::fromWide(path.substr(0, separator));
}

bool changeCurrentDirectory(const std::string& dir) {
    return SetCurrentDirectoryW(win::toWide(dir).c_str()) != 0;
}

} // namespace platform
