// THashTable: a small hash table of untyped item pointers keyed by a signed 32-bit
// integer. Each bucket holds an ordered list (created on the first add, freed when it
// empties); the list order matters to callers, which use it as an ordering of items.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

namespace kelmor {

class THashTable {
public:
    using TItemList = std::vector<void*>;
    using THashEvent = std::function<int32_t(THashTable& table, int32_t key)>;
    using TMatchEvent = std::function<void(THashTable& table, int32_t key, void* item, bool& matches)>;
    using TCanDeleteEvent = std::function<void(THashTable& table, int32_t key, void* item, bool& skip)>;
    using TDeleteEvent = std::function<void(THashTable& table, int32_t key, void* item)>;

    // Where a search for all items of one key continues: the key, the bucket and the
    // list index from which the next search starts.
    struct TFindPosition {
        int32_t key = 0;
        int32_t bucket = 0;
        int32_t index = 0;
    };

    explicit THashTable(int32_t bucketCount);
    ~THashTable();
    THashTable(const THashTable&) = delete;
    THashTable& operator=(const THashTable&) = delete;

    // The hash event's answer, else key mod bucket count with the key's sign (a negative
    // key gives a negative bucket, which holds nothing).
    int32_t Hash(int32_t key);

    // Appends the item to its bucket's list. Throws std::invalid_argument when the key
    // hashes outside the buckets.
    void Add(int32_t key, void* item);
    void* FindFirst(int32_t key, TFindPosition& position);
    void* FindNext(TFindPosition& position);
    void* Find(int32_t key);
    // Takes out the first matching item that the can-delete event does not veto.
    void Remove(int32_t key);
    void Clear();

    // One bucket's list, or nullptr when it holds none (also for an index out of range).
    const TItemList* Bucket(int32_t index) const;
    int32_t BucketCount() const { return static_cast<int32_t>(buckets_.size()); }
    int32_t Count() const { return count_; }

    bool notifyOnDestroy = true;
    THashEvent onHash;
    TMatchEvent onMatch;
    TCanDeleteEvent onCanDelete;
    TDeleteEvent onDelete;

private:
    bool Matches(int32_t key, void* item);
    // Index of the first matching item at or after `from`, or -1.
    int32_t SearchList(const TItemList& list, int32_t key, int32_t from);
    TItemList* ListOf(int32_t bucket) const;

    std::vector<TItemList*> buckets_;
    int32_t count_ = 0;
};

}  // namespace kelmor
