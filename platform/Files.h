#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

// What the INI store and the logs need of the file system, with the guarantees they rely on:
// a FIFO or a device named as a file never stops the program, a replaced file is never seen
// half written, and a log line reaches the file whole or not at all.
namespace platform {

enum class FileRead {
    Ok,
    Missing, // no such file
    Failed,  // there, but not a regular file or not readable
};

// Reads a whole regular file into `content` (emptied first).
FileRead readRegularFile(const std::string& path, std::string& content);

// Called with the finished temporary file just before it replaces the target; returning
// false stops the replacement there (the old file stays, the replacement fails).
using BeforeReplace = std::function<bool(const std::string& temporaryPath)>;

// What replaceFile finds at a path, a symbolic link followed to its target: lets a caller
// refuse, or ask before replacing a file, before it prepares anything.
enum class ReplaceTarget {
    New,      // nothing there: the file will be created
    Existing, // a regular file that may be replaced
    Refused,  // a folder, a FIFO, a device, a link to nothing, or a file marked read-only
};
ReplaceTarget replaceTarget(const std::string& path);

// Replaces the file's content whole: the new content goes to a temporary file in the same
// folder, reaches the disk, and then takes the old file's place in one step. Whatever happens
// before that step, the old file stays complete. A link stays a link (its target is
// replaced), the file keeps its permissions and owner, and whatever replaceTarget refuses is
// left alone before anything is written (false).
bool replaceFile(const std::string& path, const std::string& content,
                 const BeforeReplace& beforeReplace = {});

// Appends the bytes with one write to a regular file, created when missing; a FIFO, a device
// or a folder is left alone at once. False when nothing was written.
bool appendToRegularFile(const std::string& path, const std::string& bytes);

// Removes a regular file; true when none is there afterwards.
bool removeRegularFile(const std::string& path);

// Whether the path names its place from the root (or a drive) rather than from a folder.
bool isAbsolutePath(const std::string& path);

// Whether lines may be written to the path: nothing there yet, a file or a device, but not a
// folder, a FIFO or a socket. Looked at without opening it, so that a file is neither emptied
// nor waited for before the program is ready to write it.
bool linesMayGoTo(const std::string& path);

// A file that lines are written to one by one, each handed to the system whole.
class LineFile {
public:
    // Opens for appending or emptied; nothing when the file cannot be opened or is no place
    // for lines (a folder, a FIFO, a socket). Never waits for a FIFO's reader.
    static std::unique_ptr<LineFile> open(const std::string& path, bool append);
    ~LineFile();
    LineFile(const LineFile&) = delete;
    LineFile& operator=(const LineFile&) = delete;

    // Writes all the bytes. When the file takes only part of them (a full disk), a regular
    // file is cut back to its length before the line, so that no half line stays; false.
    bool writeLine(const std::string& bytes);

private:
    explicit LineFile(std::intptr_t handle) : handle_(handle) {}
    std::intptr_t handle_;
};

} // namespace platform
