#include "support/TempDir.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <stdexcept>

TempDir::TempDir() {
    // A name nobody holds yet, created here: create_directory fails on one that exists.
    std::random_device seed;
    std::mt19937_64 random(seed());
    const std::filesystem::path base = std::filesystem::temp_directory_path();
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::string name = "quorel-test-" + std::to_string(random() % 1000000000000ULL);
        std::error_code ec;
        if (std::filesystem::create_directory(base / name, ec)) {
            path_ = (base / name).generic_string();
            return;
        }
    }
    throw std::runtime_error("no temporary folder could be created");
}

TempDir::~TempDir() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
}

std::string TempDir::read(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

void TempDir::write(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
}

std::string TempDir::pathOfLength(std::size_t length) const {
    // Folders of at most 60 characters, then the last name with the rest.
    std::string path = path_;
    while (length > path.size() + 62) {
        path += "/" + std::string(60, 'd');
        std::filesystem::create_directory(path);
    }
    const std::size_t rest = length > path.size() + 1 ? length - path.size() - 1 : 1;
    return path + "/" + std::string(rest, 'p');
}

bool TempDir::exists(const std::string& path) {
    return std::filesystem::exists(path);
}
