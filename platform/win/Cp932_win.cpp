#include "platform/Console.h"
#include "platform/Cp932.h"
#include "platform/win/WideText.h"

#include <windows.h>

namespace platform {

namespace {

constexpr UINT Cp932 = 932;

// One character of `text` from `at` in the code page: its length in bytes, or 0 when the
// bytes there form no character of it.
std::size_t characterLength(UINT codePage, std::string_view text, std::size_t at) {
    const auto lead = static_cast<unsigned char>(text[at]);
    std::size_t length = 1;
    if (codePage == CP_UTF8) {
        length = lead < 0x80 ? 1 : lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
    } else if (isCp932LeadByte(lead)) {
        length = 2;
    }
    if (at + length > text.size())
        length = 1;
    wchar_t wide[2];
    const int n = MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, text.data() + at,
                                      static_cast<int>(length), wide, 2);
    return n > 0 ? length : 0;
}

// The text in UTF-16. A byte sequence that has no counterpart becomes '?' and the conversion
// goes on after it, so that no text is ever lost whole.
std::wstring decode(UINT codePage, std::string_view text) {
    if (text.empty())
        return {};
    const int size = static_cast<int>(text.size());
    const int n =
        MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, text.data(), size, nullptr, 0);
    if (n > 0) {
        std::wstring out(static_cast<std::size_t>(n), L'\0');
        MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, text.data(), size, out.data(), n);
        return out;
    }
    std::wstring out;
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t length = characterLength(codePage, text, at);
        if (length == 0) {
            out.push_back(L'?');
            ++at;
            continue;
        }
        wchar_t wide[2];
        const int w =
            MultiByteToWideChar(codePage, 0, text.data() + at, static_cast<int>(length), wide, 2);
        out.append(wide, static_cast<std::size_t>(w));
        at += length;
    }
    return out;
}

std::string encode(UINT codePage, std::wstring_view wide) {
    if (wide.empty())
        return {};
    // Without best fit a character the code page lacks becomes '?', not a look-alike.
    const DWORD flags = codePage == CP_UTF8 ? 0 : WC_NO_BEST_FIT_CHARS;
    const char* fallback = codePage == CP_UTF8 ? nullptr : "?";
    const int size = static_cast<int>(wide.size());
    const int n =
        WideCharToMultiByte(codePage, flags, wide.data(), size, nullptr, 0, fallback, nullptr);
    std::string out(static_cast<std::size_t>(n > 0 ? n : 0), '\0');
    if (n > 0)
        WideCharToMultiByte(codePage, flags, wide.data(), size, out.data(), n, fallback, nullptr);
    return out;
}

} // namespace

std::wstring win::toWide(std::string_view utf8) {
    return decode(CP_UTF8, utf8);
}

std::string win::fromWide(std::wstring_view wide) {
    return encode(CP_UTF8, wide);
}

std::string utf8ToCp932(std::string_view utf8) {
    return encode(Cp932, decode(CP_UTF8, utf8));
}

std::string cp932ToUtf8(std::string_view cp932) {
    return encode(CP_UTF8, decode(Cp932, cp932));
}

std::string utf8ToCodePage(std::string_view utf8, unsigned codePage) {
    if (codePage == CP_UTF8)
        return std::string(utf8);
    return encode(codePage, decode(CP_UTF8, utf8));
}

} // namespace platform
