#include "platform/Files.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace platform {

namespace {

bool writeAll(int fd, const std::string& bytes, std::size_t& done) {
    done = 0;
    while (done < bytes.size()) {
        ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

mode_t creationMode() {
    mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

int fdOf(std::intptr_t handle) {
    return static_cast<int>(handle);
}

} // namespace

FileRead readRegularFile(const std::string& path, std::string& content) {
    content.clear();
    if (path.empty())
        return FileRead::Missing;
    // Opened without blocking, so that a FIFO without a writer is refused at once.
    int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return errno == ENOENT ? FileRead::Missing : FileRead::Failed;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return FileRead::Failed;
    }
    char buf[8192];
    for (;;) {
        ssize_t n = ::read(fd, buf, sizeof buf);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            ::close(fd);
            return FileRead::Failed;
        }
        if (n == 0)
            break;
        content.append(buf, static_cast<std::size_t>(n));
    }
    ::close(fd);
    return FileRead::Ok;
}

namespace {

// What a replacement writes to: the path itself, or the file a symbolic link points at.
struct Target {
    std::string path;
    bool exists = false;
    struct stat st {};
};

ReplaceTarget findTarget(const std::string& path, Target& found) {
    found.path = path;
    if (path.empty())
        return ReplaceTarget::Refused;
    found.exists = ::lstat(path.c_str(), &found.st) == 0;
    if (found.exists && S_ISLNK(found.st.st_mode)) {
        // The link stays a link; its target is what gets replaced. A link to nothing names
        // no file to replace.
        char* real = ::realpath(path.c_str(), nullptr);
        if (!real)
            return ReplaceTarget::Refused;
        found.path = real;
        std::free(real);
        if (::stat(found.path.c_str(), &found.st) != 0)
            return ReplaceTarget::Refused;
    }
    if (!found.exists)
        return ReplaceTarget::New;
    // A file marked read-only stays untouched, even for a user whom the system would let
    // write anyway.
    if (!S_ISREG(found.st.st_mode) || (found.st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0 ||
        ::access(found.path.c_str(), W_OK) != 0)
        return ReplaceTarget::Refused;
    return ReplaceTarget::Existing;
}

} // namespace

ReplaceTarget replaceTarget(const std::string& path) {
    Target found;
    return findTarget(path, found);
}

bool replaceFile(const std::string& path, const std::string& content,
                 const BeforeReplace& beforeReplace) {
    Target found;
    if (findTarget(path, found) == ReplaceTarget::Refused)
        return false;
    const std::string& target = found.path;
    const bool exists = found.exists;
    const struct stat& st = found.st;

    std::size_t slash = target.rfind('/');
    std::string dir = slash == std::string::npos ? "." : slash == 0 ? "/" : target.substr(0, slash);
    std::string base = slash == std::string::npos ? target : target.substr(slash + 1);
    std::string temp = dir + "/." + base + ".XXXXXX";
    std::vector<char> name(temp.begin(), temp.end());
    name.push_back('\0');
    int fd = ::mkostemp(name.data(), O_CLOEXEC);
    if (fd < 0)
        return false;
    temp.assign(name.data());

    bool ok = true;
    if (exists) {
        ok = ::fchmod(fd, st.st_mode & 07777) == 0;
        // Keeping the owner is a courtesy (only root may give a file away); the content is
        // what matters.
        [[maybe_unused]] int owned = ::fchown(fd, st.st_uid, st.st_gid);
    } else {
        ok = ::fchmod(fd, creationMode()) == 0;
    }
    std::size_t written = 0;
    ok = ok && writeAll(fd, content, written) && ::fsync(fd) == 0;
    ok = (::close(fd) == 0) && ok;
    if (ok && beforeReplace)
        ok = beforeReplace(temp);
    if (ok)
        ok = ::rename(temp.c_str(), target.c_str()) == 0;
    if (!ok) {
        ::unlink(temp.c_str());
        return false;
    }
    // The rename itself reaches the disk with the folder.
    int dfd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dfd >= 0) {
        ::fsync(dfd);
        ::close(dfd);
    }
    return true;
}

bool appendToRegularFile(const std::string& path, const std::string& bytes) {
    if (path.empty())
        return false;
    // Opened without blocking and written only when it is a plain file: a name that points
    // at a FIFO or a device must not stop the program.
    int fd = ::open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_NONBLOCK | O_CLOEXEC, 0666);
    if (fd < 0)
        return false;
    bool ok = false;
    struct stat st {};
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode)) {
        // One write per line, so lines of two programs appending at once do not interleave.
        std::size_t done = 0;
        ok = writeAll(fd, bytes, done);
    }
    ::close(fd);
    return ok;
}

bool removeRegularFile(const std::string& path) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0)
        return errno == ENOENT;
    return S_ISREG(st.st_mode) && ::unlink(path.c_str()) == 0;
}

bool isAbsolutePath(const std::string& path) {
    return !path.empty() && path.front() == '/';
}

bool linesMayGoTo(const std::string& path) {
    struct stat st {};
    // What cannot be looked at is left to the opening, which says why.
    if (path.empty() || ::stat(path.c_str(), &st) != 0)
        return true;
    return !S_ISDIR(st.st_mode) && !S_ISFIFO(st.st_mode) && !S_ISSOCK(st.st_mode);
}

std::unique_ptr<LineFile> LineFile::open(const std::string& path, bool append) {
    if (path.empty())
        return nullptr;
    // Opened without blocking so that a pipe without a reader fails at once instead of
    // hanging the window; a folder, pipe or socket is no place for lines.
    int flags = O_WRONLY | O_CREAT | O_NONBLOCK | O_CLOEXEC | (append ? O_APPEND : O_TRUNC);
    int fd = ::open(path.c_str(), flags, 0644);
    if (fd < 0)
        return nullptr;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || S_ISDIR(st.st_mode) || S_ISFIFO(st.st_mode) ||
        S_ISSOCK(st.st_mode)) {
        ::close(fd);
        return nullptr;
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    return std::unique_ptr<LineFile>(new LineFile(fd));
}

LineFile::~LineFile() {
    ::close(fdOf(handle_));
}

bool LineFile::writeLine(const std::string& bytes) {
    const int fd = fdOf(handle_);
    struct stat before {};
    const bool regular = ::fstat(fd, &before) == 0 && S_ISREG(before.st_mode);
    std::size_t done = 0;
    if (writeAll(fd, bytes, done))
        return true;
    // A disk that filled up mid-line leaves no half line behind the complete ones.
    if (regular && done > 0) {
        int cut = ::ftruncate(fd, before.st_size);
        (void)cut; // nothing more can be done about a file that cannot shrink
    }
    return false;
}

} // namespace platform
