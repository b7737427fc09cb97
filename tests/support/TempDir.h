#pragma once

#include <cstddef>
#include <string>

// A fresh folder in the system's temporary folder (/tmp), removed with everything in it when the object goes.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& path() const { return path_; }
    std::string file(const std::string& name) const { return path_ + "/" + name; }
    // A name in the folder whose whole path has exactly `length` characters (at least the
    // folder's own plus 3), as a stable device name under /dev/serial/by-id/ has; the
    // folders on the way are created, the last name is left free.
    std::string pathOfLength(std::size_t length) const;

    // Whole content of a file as bytes; empty when it does not exist.
    static std::string read(const std::string& path);
    static void write(const std::string& path, const std::string& bytes);
    static bool exists(const std::string& path);

private:
    std::string path_;
};
