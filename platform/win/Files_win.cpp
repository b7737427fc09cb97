#include "platform/Files.h"
#include "platform/win/WideText.h"

#include <algorithm>
#include <windows.h>

namespace platform {

namespace {

constexpr DWORD ShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

HANDLE handleOf(std::intptr_t h) {
    return reinterpret_cast<HANDLE>(h);
}

bool writeAll(HANDLE h, const std::string& bytes, std::size_t& done) {
    done = 0;
    while (done < bytes.size()) {
        const DWORD chunk =
            static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1u << 30));
        DWORD written = 0;
        if (!WriteFile(h, bytes.data() + done, chunk, &written, nullptr) || written == 0)
            return false;
        done += written;
    }
    return true;
}

// Whether the path names something other than a file on a disk: a device (NUL, COM1, a
// console) or a pipe. Folders are told by their attributes.
bool isDiskFile(const std::wstring& path) {
    HANDLE h = CreateFileW(path.c_str(), 0, ShareAll, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                           nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return false;
    const bool disk = GetFileType(h) == FILE_TYPE_DISK;
    CloseHandle(h);
    return disk;
}

// A free name for the temporary file beside the target, created empty.
HANDLE createTemporaryBeside(const std::wstring& target, std::wstring& temp) {
    const auto separator = target.find_last_of(L"\\/");
    const std::wstring dir = separator == std::wstring::npos ? L"." : target.substr(0, separator);
    const std::wstring base =
        separator == std::wstring::npos ? target : target.substr(separator + 1);
    const unsigned salt = static_cast<unsigned>(GetTickCount64()) ^ GetCurrentProcessId();
    for (unsigned attempt = 0; attempt < 100; ++attempt) {
        temp = dir + L"\\." + base + L"." + std::to_wstring((salt + attempt * 7919u) % 1000000u);
        HANDLE h = CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                               FILE_ATTRIBUTE_NORMAL, nullptr);
        if (h != INVALID_HANDLE_VALUE)
            return h;
        if (GetLastError() != ERROR_FILE_EXISTS && GetLastError() != ERROR_ALREADY_EXISTS)
            return INVALID_HANDLE_VALUE;
    }
    return INVALID_HANDLE_VALUE;
}

} // namespace

FileRead readRegularFile(const std::string& path, std::string& content) {
    content.clear();
    if (path.empty())
        return FileRead::Missing;
    HANDLE h = CreateFileW(win::toWide(path).c_str(), GENERIC_READ, ShareAll, nullptr,
                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? FileRead::Missing
                                                                              : FileRead::Failed;
    }
    // A pipe or a device is refused before anything is read from it.
    if (GetFileType(h) != FILE_TYPE_DISK) {
        CloseHandle(h);
        return FileRead::Failed;
    }
    char buf[8192];
    for (;;) {
        DWORD n = 0;
        if (!ReadFile(h, buf, sizeof buf, &n, nullptr)) {
            CloseHandle(h);
            return FileRead::Failed;
        }
        if (n == 0)
            break;
        content.append(buf, n);
    }
    CloseHandle(h);
    return FileRead::Ok;
}

namespace {

// The file a symbolic link (or another name-changing reparse point) leads to, as the system
// finds it when it opens the path; empty when it leads to nothing.
std::wstring finalPath(const std::wstring& path) {
    HANDLE h = CreateFileW(path.c_str(), 0, ShareAll, nullptr, OPEN_EXISTING,
                           FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return {};
    std::wstring out(MAX_PATH, L'\0');
    DWORD n = GetFinalPathNameByHandleW(h, out.data(), static_cast<DWORD>(out.size()),
                                        FILE_NAME_NORMALIZED);
    if (n >= out.size()) {
        out.resize(n);
        n = GetFinalPathNameByHandleW(h, out.data(), static_cast<DWORD>(out.size()),
                                      FILE_NAME_NORMALIZED);
    }
    CloseHandle(h);
    out.resize(n < out.size() ? n : 0);
    return out;
}

// The path a replacement writes to and whether something is there.
ReplaceTarget findTarget(const std::string& path, std::wstring& target, bool& exists) {
    exists = false;
    if (path.empty())
        return ReplaceTarget::Refused;
    target = win::toWide(path);
    DWORD attributes = GetFileAttributesW(target.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
        // The link stays a link; its target is what gets replaced.
        target = finalPath(target);
        if (target.empty())
            return ReplaceTarget::Refused;
        attributes = GetFileAttributesW(target.c_str());
        if (attributes == INVALID_FILE_ATTRIBUTES)
            return ReplaceTarget::Refused;
    }
    exists = attributes != INVALID_FILE_ATTRIBUTES;
    if (!exists)
        return ReplaceTarget::New;
    // A file marked read-only, a folder or a device stays untouched.
    if ((attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)) != 0 ||
        !isDiskFile(target))
        return ReplaceTarget::Refused;
    return ReplaceTarget::Existing;
}

} // namespace

ReplaceTarget replaceTarget(const std::string& path) {
    std::wstring target;
    bool exists = false;
    return findTarget(path, target, exists);
}

bool replaceFile(const std::string& path, const std::string& content,
                 const BeforeReplace& beforeReplace) {
    std::wstring target;
    bool exists = false;
    if (findTarget(path, target, exists) == ReplaceTarget::Refused)
        return false;

    std::wstring temp;
    HANDLE h = createTemporaryBeside(target, temp);
    if (h == INVALID_HANDLE_VALUE)
        return false;
    std::size_t written = 0;
    bool ok = writeAll(h, content, written) && FlushFileBuffers(h);
    ok = CloseHandle(h) && ok;
    if (ok && beforeReplace)
        ok = beforeReplace(win::fromWide(temp));
    if (ok) {
        // ReplaceFileW keeps the old file's attributes and access rights; where it cannot be
        // used (another volume's rules, a file system without it) the move replaces the file
        // in one step as well, and reaches the disk before it returns.
        ok = exists && ReplaceFileW(target.c_str(), temp.c_str(), nullptr,
                                    REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr);
        if (!ok)
            ok = MoveFileExW(temp.c_str(), target.c_str(),
                             MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
    }
    if (!ok) {
        DeleteFileW(temp.c_str());
        return false;
    }
    return true;
}

bool appendToRegularFile(const std::string& path, const std::string& bytes) {
    if (path.empty())
        return false;
    // Opened for appending only: each write goes to the end as one piece, so lines of two
    // programs appending at once do not interleave.
    HANDLE h = CreateFileW(win::toWide(path).c_str(), FILE_APPEND_DATA, ShareAll, nullptr,
                           OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return false;
    bool ok = false;
    if (GetFileType(h) == FILE_TYPE_DISK) {
        std::size_t done = 0;
        ok = writeAll(h, bytes, done);
    }
    CloseHandle(h);
    return ok;
}

bool removeRegularFile(const std::string& path) {
    const std::wstring wide = win::toWide(path);
    const DWORD attributes = GetFileAttributesW(wide.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        const DWORD error = GetLastError();
        return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
    }
    if (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT))
        return false;
    return DeleteFileW(wide.c_str()) != 0;
}

bool isAbsolutePath(const std::string& path) {
    if (path.empty())
        return false;
    if (path[0] == '\\' || path[0] == '/')
        return true;
    const char drive = path[0];
    return path.size() >= 2 && path[1] == ':' &&
           ((drive >= 'A' && drive <= 'Z') || (drive >= 'a' && drive <= 'z'));
}

bool linesMayGoTo(const std::string& path) {
    // A pipe is told only once opened (LineFile::open refuses it then).
    const DWORD attributes = GetFileAttributesW(win::toWide(path).c_str());
    return attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::unique_ptr<LineFile> LineFile::open(const std::string& path, bool append) {
    if (path.empty())
        return nullptr;
    // A folder cannot be opened this way; a pipe is no place for lines and could make a
    // write wait for its reader.
    HANDLE h = CreateFileW(win::toWide(path).c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                           append ? OPEN_ALWAYS : CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return nullptr;
    if (GetFileType(h) == FILE_TYPE_PIPE) {
        CloseHandle(h);
        return nullptr;
    }
    return std::unique_ptr<LineFile>(new LineFile(reinterpret_cast<std::intptr_t>(h)));
}

LineFile::~LineFile() {
    CloseHandle(handleOf(handle_));
}

bool LineFile::writeLine(const std::string& bytes) {
    HANDLE h = handleOf(handle_);
    const bool disk = GetFileType(h) == FILE_TYPE_DISK;
    LARGE_INTEGER end{};
    // Lines go to the end, also when another program appended meanwhile.
    if (disk && !SetFilePointerEx(h, LARGE_INTEGER{}, &end, FILE_END))
        return false;
    std::size_t done = 0;
    if (writeAll(h, bytes, done))
        return true;
    // A disk that filled up mid-line leaves no half line behind the complete ones.
    if (disk && done > 0 && SetFilePointerEx(h, end, nullptr, FILE_BEGIN))
        SetEndOfFile(h);
    return false;
}

} // namespace platform
