#include "fuzz/fuzzinput.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>

namespace kelmor::fuzz {

const std::string& ScratchFolder() {
    static const std::string folder = [] {
        const std::string root = std::filesystem::exists("/dev/shm") ? "/dev/shm" : "/tmp";
        std::string pattern = root + "/kelmorfuzzXXXXXX";
        if (!mkdtemp(pattern.data())) std::abort();
        return pattern;
    }();
    return folder;
}

void WriteFile(const std::string& path, const uint8_t* data, size_t size) {
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) std::abort();
    if (size) std::fwrite(data, 1, size, file);
    std::fclose(file);
}

namespace {
uint32_t Get32(const uint8_t* in) { return in[0] | in[1] << 8 | in[2] << 16 | uint32_t{in[3]} << 24; }
void Put32(std::vector<uint8_t>& out, uint32_t v) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}
}  // namespace

bool SplitDatabaseInput(const uint8_t* data, size_t size, TDatabaseFiles& files) {
    if (size < 8) return false;
    const uint64_t indexLength = Get32(data), dataLength = Get32(data + 4);
    if (indexLength + dataLength > size - 8) return false;
    const uint8_t* at = data + 8;
    files.index.assign(at, at + indexLength);
    at += indexLength;
    files.data.assign(at, at + dataLength);
    at += dataLength;
    files.blob.assign(at, data + size);
    return true;
}

std::vector<uint8_t> JoinDatabaseInput(const TDatabaseFiles& files) {
    std::vector<uint8_t> joined;
    Put32(joined, static_cast<uint32_t>(files.index.size()));
    Put32(joined, static_cast<uint32_t>(files.data.size()));
    joined.insert(joined.end(), files.index.begin(), files.index.end());
    joined.insert(joined.end(), files.data.begin(), files.data.end());
    joined.insert(joined.end(), files.blob.begin(), files.blob.end());
    return joined;
}

}  // namespace kelmor::fuzz
