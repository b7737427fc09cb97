// rand_s is declared only when asked for before the C library's first header.
#define _CRT_RAND_S
#include <stdlib.h>

#include "platform/Secret.h"

#include <cstdlib>
#include <cstring>

// Windows leaves the HTTP server out; these keep the seam whole there. The user's profile
// folder is the user's own, so the file rests on its access list.
namespace platform {

bool secureRandom(void* out, std::size_t size) {
    auto* p = static_cast<unsigned char*>(out);
    while (size > 0) {
        unsigned int r = 0;
        if (rand_s(&r) != 0)
            return false;
        const std::size_t n = size < sizeof r ? size : sizeof r;
        std::memcpy(p, &r, n);
        p += n;
        size -= n;
    }
    return true;
}

bool writePrivateFile(const std::string& path, const std::string& content) {
    return replaceFile(path, content);
}

PrivateRead readPrivateFile(const std::string& path, std::string& content) {
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
