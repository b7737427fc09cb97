#pragma once

#include <string>

namespace platform {

// The language the user's session asks for, as the system names it: "ja_JP.UTF-8" or "en_GB"
// from LC_ALL, LC_MESSAGES or LANG (the first one set) on Linux, "ja-JP" on Windows; empty
// when none is set.
std::string systemLanguageCode();

} // namespace platform
