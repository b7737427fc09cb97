#include "platform/RegularFile.h"
#include "platform/win/WideText.h"

#include <fcntl.h>
#include <io.h>
#include <windows.h>

namespace platform {

std::FILE* openRegularFile(const std::string& path) {
    if (path.empty())
        return nullptr;
    // A folder cannot be opened this way; a named pipe or a device opens and is refused by
    // its type before anything is read from it.
    HANDLE h = CreateFileW(win::toWide(path).c_str(), GENERIC_READ,
                           FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return nullptr;
    if (GetFileType(h) != FILE_TYPE_DISK) {
        CloseHandle(h);
        return nullptr;
    }
    const int fd = _open_osfhandle(reinterpret_cast<intptr_t>(h), _O_RDONLY | _O_BINARY);
    if (fd < 0) {
        CloseHandle(h);
        return nullptr;
    }
    std::FILE* file = _fdopen(fd, "rb");
    if (!file)
        _close(fd);
    return file;
}

} // namespace platform
