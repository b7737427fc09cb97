#pragma once

#include <optional>
#include <string>
#include <string_view>

// The bearer token every changing request of the HTTP server needs: 256 random bits from the
// operating system as 64 hexadecimal digits, kept in the settings folder as `http-token`,
// readable by its owner alone.
namespace http {

inline constexpr const char* TokenFileName = "http-token";

// The token of the folder: the one kept there, or a new one made and kept when there is none,
// when `renew` asks for it, or when the file kept is readable by others or unusable. Empty
// when no token can be made or kept.
std::optional<std::string> loadOrMakeToken(const std::string& folder, bool renew);

// Whether `header` is "Bearer <token>", compared in a time that does not depend on where
// the two differ.
bool bearerMatches(std::string_view header, std::string_view token);

} // namespace http
