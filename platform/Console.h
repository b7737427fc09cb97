#pragma once

#include <ostream>
#include <string>
#include <string_view>

// The standard output and error of a command-line program. Texts are UTF-8 inside the
// program; a console shows them in its own code page, while a file or a pipe gets the bytes
// as they are, so that scripts read the same on every platform.
namespace platform {

// Whether the standard error is a terminal or console (where progress is redrawn in place).
bool standardErrorIsTerminal();

// Streams onto the standard output and error that convert for a console and pass the bytes
// on unchanged otherwise. Flushed at each std::flush / std::endl and when the program ends.
std::ostream& consoleOut();
std::ostream& consoleErr();

// UTF-8 text in the given Windows code page (932 for Japanese, 65001 for UTF-8); characters
// without a counterpart become '?'. On POSIX every console takes UTF-8 and the text is
// returned as it is.
std::string utf8ToCodePage(std::string_view utf8, unsigned codePage);

} // namespace platform
