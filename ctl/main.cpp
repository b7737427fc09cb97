// quorelctl: the supply from a terminal and from scripts.
#include "ctl/Quorelctl.h"
#include "platform/Console.h"

#include <string>
#include <vector>

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    ctl::setProgressOnTerminal(platform::standardErrorIsTerminal());
    const int code = runQuorelctl(args, platform::consoleOut(), platform::consoleErr());
    platform::consoleOut().flush();
    platform::consoleErr().flush();
    return code;
}
