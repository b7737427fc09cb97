// quorelctl: the supply from a terminal and from scripts.
#include "ctl/Quorelctl.h"
#include "platform/Console.h"
#include "platform/Signals.h"

#include <string>
#include <vector>

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    // A reader that went away (quorelctl run ... | head -1) is a failed write the commands
    // handle, switching the output off, not the end of the program.
    platform::ignoreBrokenPipe();
    ctl::setProgressOnTerminal(platform::standardErrorIsTerminal());
    const int code = runQuorelctl(args, platform::consoleOut(), platform::consoleErr());
    platform::consoleOut().flush();
    platform::consoleErr().flush();
    return code;
}
