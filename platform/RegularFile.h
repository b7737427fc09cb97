#pragma once

#include <cstdio>
#include <string>

namespace platform {

// Opens a file for reading in binary mode only when it is a regular file. A FIFO, a device,
// a socket or a folder gives nothing, at once: opening a FIFO without a writer would wait
// until one comes. Nothing for a missing or unreadable file either. The caller closes the
// file with fclose.
std::FILE* openRegularFile(const std::string& path);

} // namespace platform
