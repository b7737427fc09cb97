#pragma once

#include <string>
#include <string_view>

namespace platform {

// The program holds its texts as UTF-8; the INI file and the system-log file are in the
// Japanese ANSI code page. Characters without a counterpart become '?'.
std::string utf8ToCp932(std::string_view utf8);
std::string cp932ToUtf8(std::string_view cp932);

// True for a byte that starts a two-byte cp932 character.
bool isCp932LeadByte(unsigned char c);

} // namespace platform
