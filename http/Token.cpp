#include "http/Token.h"

#include "platform/Paths.h"
#include "platform/Secret.h"

#include <cstdint>

namespace http {

namespace {

constexpr std::size_t TokenBytes = 32;

bool wellFormed(const std::string& token) {
    if (token.size() != 2 * TokenBytes)
        return false;
    for (char c : token)
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f')))
            return false;
    return true;
}

} // namespace

std::optional<std::string> loadOrMakeToken(const std::string& folder, bool renew) {
    const std::string path = platform::joinPath(folder, TokenFileName);
    if (!renew) {
        std::string kept;
        if (platform::readPrivateFile(path, kept) == platform::PrivateRead::Ok) {
            while (!kept.empty() && (kept.back() == '\n' || kept.back() == '\r'))
                kept.pop_back();
            if (wellFormed(kept))
                return kept;
        }
    }
    unsigned char bytes[TokenBytes];
    if (!platform::secureRandom(bytes, sizeof bytes))
        return std::nullopt;
    static const char digits[] = "0123456789abcdef";
    std::string token;
    for (unsigned char b : bytes) {
        token += digits[b >> 4];
        token += digits[b & 15];
    }
    if (!platform::makeDirectories(folder) || !platform::writePrivateFile(path, token + "\n"))
        return std::nullopt;
    return token;
}

bool bearerMatches(std::string_view header, std::string_view token) {
    constexpr std::string_view scheme = "Bearer ";
    if (token.empty() || header.size() != scheme.size() + token.size())
        return false;
    unsigned difference = 0;
    for (std::size_t i = 0; i < scheme.size(); ++i)
        difference |= static_cast<unsigned char>(header[i]) ^ static_cast<unsigned char>(scheme[i]);
    const std::string_view given = header.substr(scheme.size());
    for (std::size_t i = 0; i < token.size(); ++i)
        difference |= static_cast<unsigned char>(given[i]) ^ static_cast<unsigned char>(token[i]);
    return difference == 0;
}

} // namespace http
