#include "fuzz/FuzzSupport.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <unistd.h>

namespace fuzzsupport {

namespace {

class ScratchDir {
public:
    ScratchDir() {
        // Every execution writes a file; on a memory file system that costs next to nothing.
        // A fuzzing run names a folder of its own, which it removes whole at its end: the
        // processes of a forked run are stopped without their exit handlers.
        const char* given = std::getenv("QUOREL_FUZZ_SCRATCH");
        std::string base = given && *given                   ? given
                           : ::access("/dev/shm", W_OK) == 0 ? "/dev/shm"
                                                             : "/tmp";
        std::string pattern = base + "/quorel-fuzz-XXXXXX";
        if (!::mkdtemp(pattern.data()))
            fail("scratch", "cannot create a folder under " + base);
        path_ = pattern;
    }
    ~ScratchDir() {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    const std::string& path() const { return path_; }

private:
    std::string path_;
};

} // namespace

void fail(const char* target, const std::string& what) {
    std::fprintf(stderr, "\n*** fuzz target %s: property broken: %s\n", target, what.c_str());
    std::fflush(stderr);
    std::abort();
}

const std::string& scratchDir() {
    static ScratchDir dir;
    return dir.path();
}

void writeFile(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out)
        fail("scratch", "cannot write " + path);
}

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

std::string escaped(const std::string& bytes) {
    std::string out;
    for (unsigned char c : bytes) {
        if (c >= 0x20 && c < 0x7F && c != '\\') {
            out.push_back(static_cast<char>(c));
        } else {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02X", c);
            out += hex;
        }
    }
    return out;
}

} // namespace fuzzsupport
