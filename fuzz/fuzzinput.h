// Helpers for fuzz targets: a private folder on a memory file system, and the framing of
// one fuzz input into the three files of a database.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace kelmor::fuzz {

// A folder (no "." in its name) that lives as long as the process.
const std::string& ScratchFolder();

void WriteFile(const std::string& path, const uint8_t* data, size_t size);

// A database input is: 4 bytes index length, 4 bytes data length (little-endian), the
// index file, the data file, and the blob file as the rest.
struct TDatabaseFiles {
    std::vector<uint8_t> index, data, blob;
};
bool SplitDatabaseInput(const uint8_t* data, size_t size, TDatabaseFiles& files);
std::vector<uint8_t> JoinDatabaseInput(const TDatabaseFiles& files);

}  // namespace kelmor::fuzz
