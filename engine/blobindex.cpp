#include "engine/blobindex.h"

namespace kelmor {

void TBlobIndex::Clear() {
    for (auto& [id, entry] : byID_) delete entry;
    byID_.clear();
    head_.fill(nullptr);
    tail_.fill(nullptr);
    size_.fill(0);
}

TKelmorBlobEntry* TBlobIndex::Find(int32_t blobID) const {
    const auto found = byID_.find(blobID);
    return found == byID_.end() ? nullptr : found->second;
}

TKelmorBlobEntry* TBlobIndex::Add(int32_t blobID, int32_t position, const TStoreLocation& data) {
    auto* entry = new TKelmorBlobEntry{blobID, position, data, nullptr, nullptr};
    const size_t bucket = static_cast<size_t>(blobID % kBuckets);
    entry->bucketPrev = tail_[bucket];
    if (tail_[bucket]) tail_[bucket]->bucketNext = entry;
    else head_[bucket] = entry;
    tail_[bucket] = entry;
    ++size_[bucket];
    byID_.emplace(blobID, entry);
    return entry;
}

void TBlobIndex::Remove(TKelmorBlobEntry* entry) {
    const size_t bucket = static_cast<size_t>(entry->blobID % kBuckets);
    if (entry->bucketPrev) entry->bucketPrev->bucketNext = entry->bucketNext;
    else head_[bucket] = entry->bucketNext;
    if (entry->bucketNext) entry->bucketNext->bucketPrev = entry->bucketPrev;
    else tail_[bucket] = entry->bucketPrev;
    --size_[bucket];
    byID_.erase(entry->blobID);
    delete entry;
}

std::vector<TKelmorBlobEntry*> TBlobIndex::InStoredOrder() const {
    std::vector<TKelmorBlobEntry*> entries;
    entries.reserve(byID_.size());
    for (TKelmorBlobEntry* head : head_)
        for (TKelmorBlobEntry* entry = head; entry; entry = entry->bucketNext) entries.push_back(entry);
    return entries;
}

TBucketStats TBlobIndex::Stats() const { return StatsOfBuckets(size_); }

}  // namespace kelmor
