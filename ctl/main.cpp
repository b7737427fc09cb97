// quorelctl: the supply from a terminal and from scripts.
#include "ctl/Quorelctl.h"

#include <iostream>
#include <string>
#include <unistd.h>
#include <vector>

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    ctl::setProgressOnTerminal(::isatty(STDERR_FILENO) == 1);
    return runQuorelctl(args, std::cout, std::cerr);
}
