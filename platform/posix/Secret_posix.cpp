#include "platform/Secret.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

bool secureRandom(void* out, std::size_t size) {
    auto* p = static_cast<unsigned char*>(out);
    while (size > 0) {
        const ssize_t n = ::getrandom(p, size, 0);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        p += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

bool writePrivateFile(const std::string& path, const std::string& content) {
    // A fresh file made for the owner alone and then moved over the old one, so that the
    // secret is never readable by others, not even for a moment.
    const std::string temporary = path + ".new";
    ::unlink(temporary.c_str());
    const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0)
        return false;
    bool ok = ::fchmod(fd, 0600) == 0;
    std::size_t done = 0;
    while (ok && done < content.size()) {
        const ssize_t n = ::write(fd, content.data() + done, content.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        ok = n > 0;
        if (ok)
            done += static_cast<std::size_t>(n);
    }
    ok = ::fsync(fd) == 0 && ok;
    ok = ::close(fd) == 0 && ok;
    if (ok)
        ok = ::rename(temporary.c_str(), path.c_str()) == 0;
    if (!ok)
        ::unlink(temporary.c_str());
    return ok;
}

PrivateRead readPrivateFile(const std::string& path, std::string& content) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0)
        return errno == ENOENT ? PrivateRead::Missing : PrivateRead::Failed;
    if (!S_ISREG(st.st_mode))
        return PrivateRead::Failed;
    if ((st.st_mode & 077) != 0 || st.st_uid != ::geteuid())
        return PrivateRead::NotPrivate;
    switch (readRegularFile(path, content)) {
    case FileRead::Ok:
        return PrivateRead::Ok;
    case FileRead::Missing:
        return PrivateRead::Missing;
    case FileRead::Failed:
        break;
    }
    return PrivateRead::Failed;
}

} // namespace platform
