#pragma once

#include "platform/Files.h"

#include <cstddef>
#include <string>

// Secrets kept on disk: random bytes from the operating system and files only their owner
// may read (the HTTP server's bearer token).
namespace platform {

// Fills `out` with `size` bytes from the system's random source; false when it fails.
bool secureRandom(void* out, std::size_t size);

// Writes the file whole, replacing it, readable and writable by its owner alone.
bool writePrivateFile(const std::string& path, const std::string& content);

enum class PrivateRead {
    Ok,
    Missing,
    Failed,    // there, but not a regular file or not readable
    NotPrivate // others than the owner may read or write it: not to be trusted
};
PrivateRead readPrivateFile(const std::string& path, std::string& content);

} // namespace platform
