#pragma once

#include <string>

// A fresh folder under /tmp, removed with everything in it when the object goes.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& path() const { return path_; }
    std::string file(const std::string& name) const { return path_ + "/" + name; }

    // Whole content of a file as bytes; empty when it does not exist.
    static std::string read(const std::string& path);
    static void write(const std::string& path, const std::string& bytes);
    static bool exists(const std::string& path);

private:
    std::string path_;
};
