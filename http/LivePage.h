#pragma once

#include <string>

// The live page a person opens in a browser: one self-contained document (its style and
// script inside, nothing fetched from elsewhere) that follows the event stream, in the
// language in force.
namespace http {

std::string livePage();

} // namespace http
