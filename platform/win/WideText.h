#pragma once

#include <string>
#include <string_view>

// Texts inside the program are UTF-8; Windows takes UTF-16 at its wide calls.
namespace platform::win {

std::wstring toWide(std::string_view utf8);
std::string fromWide(std::wstring_view wide);

} // namespace platform::win
