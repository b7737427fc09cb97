#pragma once

#include <string>

namespace fuzzsupport {

// Reports a broken property of a fuzz target and ends the process.
[[noreturn]] void fail(const char* target, const std::string& what);

// A folder of this process for the files a target reads and writes, inside
// $QUOREL_FUZZ_SCRATCH when set, else on a memory file system when there is one; removed at
// exit.
const std::string& scratchDir();

void writeFile(const std::string& path, const std::string& bytes);
std::string readFile(const std::string& path);

// Bytes made printable for a report: control and non-ASCII bytes as \xNN.
std::string escaped(const std::string& bytes);

} // namespace fuzzsupport

#define FUZZ_CHECK(target, condition, what)                                                        \
    do {                                                                                           \
        if (!(condition))                                                                          \
            ::fuzzsupport::fail(target, std::string(#condition ": ") + (what));                    \
    } while (false)
