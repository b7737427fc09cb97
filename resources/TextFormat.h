#pragma once

#include <string>

namespace texts {

// A pattern of Texts.h with its "%s" places filled in order by whole texts of any length;
// places without a text are left empty, never read from nowhere as printf would.
std::string fill(const char* pattern, const std::string& first, const std::string& second = {},
                 const std::string& third = {});

} // namespace texts
