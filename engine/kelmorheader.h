// The 41-byte header block of the index file.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace kelmor {

// The largest node or blob ID handed out. The counters of the header stop one below the
// 32-bit maximum, so that "last ID + 1" never overflows; a file whose counter is
// negative or beyond this is damaged.
constexpr int32_t kLargestID = INT32_MAX - 1;

struct TKelmorHeader {
    static constexpr size_t kStoredSize = 41;

    uint16_t majorVersion = 0;
    uint8_t minorVersion = 0;
    int32_t lastNodeID = 0;
    uint16_t nodeCount = 0;
    int32_t lastBlobID = 0;
    uint16_t blobCount = 0;
    std::array<uint8_t, 2> reserved1{};
    uint8_t lastWriter = 0;
    uint16_t year = 0;
    uint8_t month = 0;
    uint8_t day = 0;
    uint8_t hour = 0;
    uint8_t minute = 0;
    uint8_t second = 0;
    std::array<uint8_t, 16> reserved2{};

    void Pack(uint8_t* out) const;
    static TKelmorHeader Unpack(const uint8_t* in);

    // Files before 1.10 carry no stamps; before 1.15 every index entry is its own block.
    bool HasStamps() const { return majorVersion > 1 || minorVersion >= 10; }
    bool HasEntryBlocks() const { return majorVersion > 1 || minorVersion >= 15; }
};

}  // namespace kelmor
