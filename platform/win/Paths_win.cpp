#include "platform/Paths.h"
#include "platform/System.h"
#include "platform/win/WideText.h"

#include <cstdlib>
#include <windows.h>

namespace platform {

const char system::PathSeparator = '\\';
const char* const system::PathSeparators = "\\/";

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

bool isDirectory(const std::string& path) {
    const DWORD attributes = GetFileAttributesW(win::toWide(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool system::isWritableDirectory(const std::string& dir) {
    // The folder's access rules are what a try tells: a file made and removed at once.
    const std::wstring probe = win::toWide(joinPath(dir, ".quorel-write-test"));
    HANDLE h = CreateFileW(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                           FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return GetLastError() == ERROR_FILE_EXISTS;
    CloseHandle(h);
    return true;
}

std::string userSettingsDirectory() {
    const wchar_t* appData = _wgetenv(L"APPDATA");
    if (!appData || !*appData)
        return {};
    return joinPath(win::fromWide(appData), "quorel");
}

bool makeDirectories(const std::string& dir) {
    if (dir.empty())
        return false;
    const std::wstring wide = win::toWide(dir);
    const DWORD attributes = GetFileAttributesW(wide.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES)
        return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    const std::string parent = parentDirectory(dir);
    // A drive ("C:") needs no making.
    if (!parent.empty() && parent != dir && !(parent.size() == 2 && parent[1] == ':') &&
        !makeDirectories(parent))
        return false;
    return CreateDirectoryW(wide.c_str(), nullptr) != 0 || GetLastError() == ERROR_ALREADY_EXISTS;
}

bool changeCurrentDirectory(const std::string& dir) {
    return SetCurrentDirectoryW(win::toWide(dir).c_str()) != 0;
}

} // namespace platform
