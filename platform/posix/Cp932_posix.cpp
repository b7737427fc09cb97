#include "platform/Cp932.h"

#include <cerrno>
#include <iconv.h>

namespace platform {

namespace {
// Converts with iconv; a byte sequence that has no counterpart becomes '?' and the
// conversion goes on after it, so that no text is ever lost whole.
std::string convert(const char* to, const char* from, std::string_view in) {
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1))
        return std::string(in);
    std::string out;
    out.resize(in.size() * 4 + 16);
    char* src = const_cast<char*>(in.data());
    size_t srcLeft = in.size();
    char* dst = out.data();
    size_t dstLeft = out.size();
    while (srcLeft > 0) {
        size_t r = iconv(cd, &src, &srcLeft, &dst, &dstLeft);
        if (r != static_cast<size_t>(-1))
            break;
        if (errno == E2BIG) {
            size_t used = static_cast<size_t>(dst - out.data());
            out.resize(out.size() * 2);
            dst = out.data() + used;
            dstLeft = out.size() - used;
            continue;
        }
        // EILSEQ or EINVAL: skip one input byte and put a marker in its place.
        if (dstLeft == 0) {
            size_t used = static_cast<size_t>(dst - out.data());
            out.resize(out.size() * 2);
            dst = out.data() + used;
            dstLeft = out.size() - used;
        }
        *dst++ = '?';
        --dstLeft;
        ++src;
        --srcLeft;
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
    }
    out.resize(static_cast<size_t>(dst - out.data()));
    iconv_close(cd);
    return out;
}
} // namespace

std::string utf8ToCp932(std::string_view utf8) {
    return convert("CP932", "UTF-8", utf8);
}

std::string cp932ToUtf8(std::string_view cp932) {
    return convert("UTF-8", "CP932", cp932);
}

} // namespace platform
