// Test helpers: a temporary folder removed afterwards, and whole-file reads and writes.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace kelmor::test {

class TTempDir {
public:
    TTempDir();
    ~TTempDir();
    TTempDir(const TTempDir&) = delete;
    TTempDir& operator=(const TTempDir&) = delete;
    // The folder (its name holds no "."), or a path inside it.
    const std::string& Path() const { return path_; }
    std::string operator/(const std::string& name) const { return path_ + "/" + name; }

private:
    std::string path_;
};

std::vector<uint8_t> ReadBytes(const std::string& path);
void WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes);
bool Exists(const std::string& path);
uint64_t FileSize(const std::string& path);

}  // namespace kelmor::test
