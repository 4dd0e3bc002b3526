// Builds database files byte by byte from a plain description, independently of the
// engine's own writing code, so that tests can read what the format says and craft
// old, odd or damaged files.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace kelmor::test {

struct TRawKey {
    std::string name;
    uint8_t type = 0;
    std::vector<uint8_t> value;
};

// The 14-byte value of a blob key: blob ID, size, six reserved bytes.
std::vector<uint8_t> BlobReference(int32_t id, int32_t size);

// The bytes of a node record (length, item count, items), as held in the work buffer.
std::vector<uint8_t> MakeRecord(const std::string& description, const std::vector<TRawKey>& keys = {});

struct TRawNode {
    int32_t id = 0;
    int32_t parent = 0;
    uint8_t security = 5;
    std::vector<uint8_t> record;   // empty for a link
    int32_t linkSource = 0;        // for a link: the source's ID
    int32_t positionOverride = 0;  // non-zero: store this data position instead
};

struct TRawBlob {
    int32_t id = 0;
    std::vector<uint8_t> bytes;
    int32_t positionOverride = 0;
};

struct TRawDatabase {
    uint16_t majorVersion = 1;
    uint8_t minorVersion = 25;
    uint8_t securityType = 1;
    uint16_t stamp = 4711;
    std::optional<int32_t> lastNodeID;  // unset: the highest node ID
    std::optional<int32_t> lastBlobID;  // unset: the highest blob ID
    int32_t nodeCountOverride = -1;
    int32_t blobCountOverride = -1;
    std::vector<std::pair<std::string, std::string>> users = {{"ADMIN", "SECRET"}};
    std::vector<TRawNode> nodes;  // in stored order
    std::vector<TRawBlob> blobs;  // in stored order; the blob file holds them in this order

    std::vector<uint8_t> IndexBytes() const;
    std::vector<uint8_t> DataBytes() const;
    std::vector<uint8_t> BlobBytes() const;
    void Write(const std::string& baseName) const;
};

// A decoded view of an index file, for checking what the engine wrote.
struct TDecodedIndex {
    uint8_t securityType = 0;
    uint16_t stamp = 0;
    uint16_t majorVersion = 0;
    uint8_t minorVersion = 0;
    int32_t lastNodeID = 0;
    uint16_t nodeCount = 0;
    int32_t lastBlobID = 0;
    uint16_t blobCount = 0;
    uint8_t lastWriter = 0;
    std::vector<uint8_t> header;     // the 41 header bytes, descrambled
    std::vector<uint8_t> userBlock;  // the 210 bytes, descrambled
    struct TEntry {
        int32_t id, parent, position;
        uint8_t security;
    };
    std::vector<TEntry> nodes;
    std::vector<std::pair<int32_t, int32_t>> blobs;  // ID, position
};
// Decodes an index file written in blocks of up to 4096 entries.
TDecodedIndex DecodeIndex(const std::vector<uint8_t>& file);

// The record stored at `position` of a data file, descrambled (as held in the buffer).
std::vector<uint8_t> RecordAt(const std::vector<uint8_t>& dataFile, uint32_t position, uint8_t securityType = 1);

}  // namespace kelmor::test
