// TBlobIndex: the in-memory blob index of an open database. Its stored order is that
// of a 100-bucket table keyed by blob ID (bucket = ID mod 100), each bucket a list in
// the order the entries were added; lookups, adding and removing cost O(1).
#pragma once

#include <array>
#include <cstdint>
#include <unordered_map>
#include <vector>

#include "engine/nodeindex.h"  // TBucketStats
#include "engine/recordstore.h"

namespace kelmor {

// A blob index entry (8 bytes in the index file) and where the blob's bytes are now.
struct TKelmorBlobEntry {
    int32_t blobID = 0;
    int32_t position = 0;  // as last written to the index file
    TStoreLocation data;
    TKelmorBlobEntry* bucketPrev = nullptr;
    TKelmorBlobEntry* bucketNext = nullptr;
};

class TBlobIndex {
public:
    static constexpr int32_t kBuckets = 100;

    TBlobIndex() = default;
    ~TBlobIndex() { Clear(); }
    TBlobIndex(const TBlobIndex&) = delete;
    TBlobIndex& operator=(const TBlobIndex&) = delete;

    void Clear();
    size_t Count() const { return byID_.size(); }
    TKelmorBlobEntry* Find(int32_t blobID) const;
    // Appends a new entry to its bucket; the caller guarantees a unique, positive ID.
    TKelmorBlobEntry* Add(int32_t blobID, int32_t position, const TStoreLocation& data);
    // Takes the entry out and frees it.
    void Remove(TKelmorBlobEntry* entry);
    // Every entry in stored order: buckets 0 to 99, each list in order.
    std::vector<TKelmorBlobEntry*> InStoredOrder() const;
    TBucketStats Stats() const;

private:
    std::unordered_map<int32_t, TKelmorBlobEntry*> byID_;
    std::array<TKelmorBlobEntry*, kBuckets> head_{};
    std::array<TKelmorBlobEntry*, kBuckets> tail_{};
    std::array<int32_t, kBuckets> size_{};
};

}  // namespace kelmor
