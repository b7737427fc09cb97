#include "platform/Console.h"

#include <iostream>
#include <unistd.h>

namespace platform {

bool standardErrorIsTerminal() {
    return ::isatty(STDERR_FILENO) == 1;
}

// A terminal here takes UTF-8 as the program holds it.
std::ostream& consoleOut() {
    return std::cout;
}

std::ostream& consoleErr() {
    return std::cerr;
}

std::string utf8ToCodePage(std::string_view utf8, unsigned) {
    return std::string(utf8);
}

} // namespace platform
