#include "tests/testsupport/tempdir.h"

#include <stdlib.h>
#include <filesystem>
#include <fstream>
#include <stdexcept>

namespace kelmor::test {

TTempDir::TTempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "kelmortestXXXXXX").string();
    if (!mkdtemp(pattern.data())) throw std::runtime_error("cannot create a temporary folder");
    path_ = pattern;
}

TTempDir::~TTempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

std::vector<uint8_t> ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw std::runtime_error("cannot read " + path);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

void WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!out) throw std::runtime_error("cannot write " + path);
}

bool Exists(const std::string& path) { return std::filesystem::exists(path); }

uint64_t FileSize(const std::string& path) { return std::filesystem::file_size(path); }

}  // namespace kelmor::test
