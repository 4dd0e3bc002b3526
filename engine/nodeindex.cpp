#include "engine/nodeindex.h"
#include "engine/littleendian.h"

#include <stdexcept>

namespace kelmor {

namespace {

// Appends to / removes from / exchanges within a doubly linked list threaded through
// the given pair of members.
template <TNodeSlot* TNodeSlot::*Prev, TNodeSlot* TNodeSlot::*Next>
struct TList {
    static void Append(TNodeSlot*& head, TNodeSlot*& tail, TNodeSlot* slot) {
        slot->*Prev = tail;
        slot->*Next = nullptr;
        if (tail) tail->*Next = slot;
        else head = slot;
        tail = slot;
    }
    static void Remove(TNodeSlot*& head, TNodeSlot*& tail, TNodeSlot* slot) {
        if (slot->*Prev) (slot->*Prev)->*Next = slot->*Next;
        else head = slot->*Next;
        if (slot->*Next) (slot->*Next)->*Prev = slot->*Prev;
        else tail = slot->*Prev;
        slot->*Prev = slot->*Next = nullptr;
    }
    static void Exchange(TNodeSlot*& head, TNodeSlot*& tail, TNodeSlot* a, TNodeSlot* b) {
        if (a == b) return;
        if (b->*Next == a) std::swap(a, b);
        if (a->*Next == b) {  // neighbours: ... P a b N ... becomes ... P b a N ...
            TNodeSlot* p = a->*Prev;
            TNodeSlot* n = b->*Next;
            b->*Prev = p;
            b->*Next = a;
            a->*Prev = b;
            a->*Next = n;
            if (p) p->*Next = b;
            else head = b;
            if (n) n->*Prev = a;
            else tail = a;
            return;
        }
        TNodeSlot* pa = a->*Prev;
        TNodeSlot* na = a->*Next;
        TNodeSlot* pb = b->*Prev;
        TNodeSlot* nb = b->*Next;
        a->*Prev = pb;
        a->*Next = nb;
        b->*Prev = pa;
        b->*Next = na;
        if (pa) pa->*Next = b;
        else head = b;
        if (na) na->*Prev = b;
        else tail = b;
        if (pb) pb->*Next = a;
        else head = a;
        if (nb) nb->*Prev = a;
        else tail = a;
    }
};
using TBucketList = TList<&TNodeSlot::bucketPrev, &TNodeSlot::bucketNext>;
using TSiblingList = TList<&TNodeSlot::siblingPrev, &TNodeSlot::siblingNext>;
}  // namespace

void TKelmorNodeEntry::Pack(uint8_t* out) const {
    PutLE32(out, nodeID);
    PutLE32(out + 4, parentID);
    PutLE32(out + 8, dataPosition);
    out[12] = security;
}

TKelmorNodeEntry TKelmorNodeEntry::Unpack(const uint8_t* in) {
    return TKelmorNodeEntry{GetLE32(in), GetLE32(in + 4), GetLE32(in + 8), in[12]};
}

void TNodeIndex::Clear() {
    byID_.clear();
    chunks_.clear();
    usedInLastChunk_ = 0;
    freeSlots_.clear();
    children_.clear();
    bucketHead_.fill(nullptr);
    bucketTail_.fill(nullptr);
    bucketSize_.fill(0);
}

namespace {
constexpr size_t kChunkSize = 4096;
}

TNodeSlot* TNodeIndex::NewSlot() {
    if (!freeSlots_.empty()) {
        TNodeSlot* slot = freeSlots_.back();
        freeSlots_.pop_back();
        return slot;
    }
    if (chunks_.empty() || usedInLastChunk_ == kChunkSize) {
        chunks_.push_back(std::make_unique<TNodeSlot[]>(kChunkSize));
        usedInLastChunk_ = 0;
    }
    return &chunks_.back()[usedInLastChunk_++];
}

void TNodeIndex::Reserve(size_t count) { byID_.reserve(count); }

TNodeSlot* TNodeIndex::Find(int32_t nodeID) const {
    const auto found = byID_.find(nodeID);
    return found == byID_.end() ? nullptr : found->second;
}

void TNodeIndex::Link(TNodeSlot* slot) {
    const int32_t bucket = BucketOf(slot->entry.parentID);
    if (bucket < 0) throw std::invalid_argument("negative parent ID");
    TBucketList::Append(bucketHead_[bucket], bucketTail_[bucket], slot);
    ++bucketSize_[bucket];
    TChildList& siblings = children_[slot->entry.parentID];
    TSiblingList::Append(siblings.head, siblings.tail, slot);
}

void TNodeIndex::Unlink(TNodeSlot* slot) {
    const int32_t bucket = BucketOf(slot->entry.parentID);
    TBucketList::Remove(bucketHead_[bucket], bucketTail_[bucket], slot);
    --bucketSize_[bucket];
    const auto siblings = children_.find(slot->entry.parentID);
    TSiblingList::Remove(siblings->second.head, siblings->second.tail, slot);
    if (!siblings->second.head) children_.erase(siblings);
}

TNodeSlot* TNodeIndex::Add(const TKelmorNodeEntry& entry) {
    TNodeSlot* slot = NewSlot();
    slot->entry = entry;
    Link(slot);
    byID_.emplace(entry.nodeID, slot);
    return slot;
}

void TNodeIndex::Remove(TNodeSlot* slot) {
    Unlink(slot);
    byID_.erase(slot->entry.nodeID);
    *slot = TNodeSlot{};
    freeSlots_.push_back(slot);
}

void TNodeIndex::Reparent(TNodeSlot* slot, int32_t newParentID) {
    Unlink(slot);
    slot->entry.parentID = newParentID;
    Link(slot);
}

void TNodeIndex::Exchange(TNodeSlot* a, TNodeSlot* b) {
    if (a == b) return;
    if (a->entry.parentID != b->entry.parentID) throw std::invalid_argument("entries of different parents");
    const int32_t bucket = BucketOf(a->entry.parentID);
    TBucketList::Exchange(bucketHead_[bucket], bucketTail_[bucket], a, b);
    TChildList& siblings = children_[a->entry.parentID];
    TSiblingList::Exchange(siblings.head, siblings.tail, a, b);
}

TNodeSlot* TNodeIndex::FirstChild(int32_t parentID) const {
    const auto found = children_.find(parentID);
    return found == children_.end() ? nullptr : found->second.head;
}

TBucketStats TNodeIndex::NodeTableStats() const {
    std::array<int32_t, kBuckets> sizes{};
    for (const auto& [id, slot] : byID_) ++sizes[static_cast<size_t>(id % kBuckets)];
    return StatsOfBuckets(sizes);
}

TBucketStats TNodeIndex::ParentTableStats() const { return StatsOfBuckets(bucketSize_); }

}  // namespace kelmor
