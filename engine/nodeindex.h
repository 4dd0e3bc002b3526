// TNodeIndex: the in-memory node index of an open database.
//
// The stored order of node entries is that of a 100-bucket table keyed by parent ID
// (bucket = parent ID mod 100), each bucket an ordered list: a new or moved entry goes
// to the end of its bucket's list, two siblings can exchange places, and the index file
// is written bucket by bucket. The children of a node, in order, are the entries of its
// bucket with its ID as parent. This class keeps exactly that order, with each entry
// also in a list of its own parent's children, so that lookups, enumeration, removal,
// appending and exchanges cost O(1) however many nodes share a bucket or a parent.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <unordered_map>
#include <vector>

#include "engine/recordstore.h"

namespace kelmor {

// The 13 bytes of a node entry as stored in the index file.
struct TKelmorNodeEntry {
    int32_t nodeID = 0;
    int32_t parentID = 0;
    int32_t dataPosition = 0;  // a record's position, or the negated source ID of a link
    uint8_t security = 0;      // bits 0..6 level, bit 7 read-only

    static constexpr size_t kStoredSize = 13;
    void Pack(uint8_t* out) const;
    static TKelmorNodeEntry Unpack(const uint8_t* in);
    bool IsLink() const { return dataPosition < 0; }
};

struct TNodeSlot {
    TKelmorNodeEntry entry;
    TStoreLocation record;  // where the record lives (ordinary nodes only)
    TNodeSlot* bucketPrev = nullptr;
    TNodeSlot* bucketNext = nullptr;
    TNodeSlot* siblingPrev = nullptr;
    TNodeSlot* siblingNext = nullptr;
    uint8_t mark = 0;  // scratch for walks over all entries
};

struct TBucketStats {
    int32_t bucketsInUse = 0;
    int32_t longestBucket = 0;
};

// The statistics of a table from the sizes of its buckets.
template <size_t N>
TBucketStats StatsOfBuckets(const std::array<int32_t, N>& sizes) {
    TBucketStats stats;
    for (int32_t size : sizes) {
        if (size > 0) ++stats.bucketsInUse;
        if (size > stats.longestBucket) stats.longestBucket = size;
    }
    return stats;
}

class TNodeIndex {
public:
    static constexpr int32_t kBuckets = 100;

    TNodeIndex() = default;
    ~TNodeIndex() { Clear(); }
    TNodeIndex(const TNodeIndex&) = delete;
    TNodeIndex& operator=(const TNodeIndex&) = delete;

    void Clear();
    // Makes room for `count` entries at once (opening a database).
    void Reserve(size_t count);
    size_t Count() const { return byID_.size(); }

    TNodeSlot* Find(int32_t nodeID) const;
    // Appends a new entry as the last child of its parent. The caller guarantees a
    // unique, positive ID and a parent ID of 0 or more.
    TNodeSlot* Add(const TKelmorNodeEntry& entry);
    // Takes the entry out and frees it.
    void Remove(TNodeSlot* slot);
    // Gives the entry a new parent; it becomes that parent's last child.
    void Reparent(TNodeSlot* slot, int32_t newParentID);
    // Exchanges the places of two entries with the same parent.
    void Exchange(TNodeSlot* a, TNodeSlot* b);

    TNodeSlot* FirstChild(int32_t parentID) const;
    static TNodeSlot* NextSibling(const TNodeSlot* slot) { return slot->siblingNext; }
    bool HasChildren(int32_t parentID) const { return FirstChild(parentID) != nullptr; }

    // Every entry in stored order: buckets 0 to 99, each list in order.
    template <typename Visit>
    void ForEachInStoredOrder(Visit visit) const {
        for (TNodeSlot* head : bucketHead_)
            for (TNodeSlot* slot = head; slot; slot = slot->bucketNext) visit(slot);
    }
    // Every entry, in no particular order.
    template <typename Visit>
    void ForEach(Visit visit) const {
        for (const auto& [id, slot] : byID_) visit(slot);
    }

    TBucketStats NodeTableStats() const;    // buckets by node ID mod 100
    TBucketStats ParentTableStats() const;  // buckets by parent ID mod 100

private:
    struct TChildList {
        TNodeSlot* head = nullptr;
        TNodeSlot* tail = nullptr;
    };
    static int32_t BucketOf(int32_t parentID) { return parentID % kBuckets; }
    void Link(TNodeSlot* slot);
    void Unlink(TNodeSlot* slot);

    TNodeSlot* NewSlot();

    std::unordered_map<int32_t, TNodeSlot*> byID_;
    // Entries are allocated in chunks; freed ones are reused.
    std::vector<std::unique_ptr<TNodeSlot[]>> chunks_;
    size_t usedInLastChunk_ = 0;
    std::vector<TNodeSlot*> freeSlots_;
    std::unordered_map<int32_t, TChildList> children_;
    std::array<TNodeSlot*, kBuckets> bucketHead_{};
    std::array<TNodeSlot*, kBuckets> bucketTail_{};
    std::array<int32_t, kBuckets> bucketSize_{};
};

}  // namespace kelmor
