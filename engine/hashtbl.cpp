#include "engine/hashtbl.h"

#include <stdexcept>

namespace kelmor {

THashTable::THashTable(int32_t bucketCount)
    : buckets_(static_cast<size_t>(bucketCount > 0 ? bucketCount : 1), nullptr) {}

THashTable::~THashTable() {
    if (!notifyOnDestroy) onDelete = nullptr;
    Clear();
}

int32_t THashTable::Hash(int32_t key) {
    if (onHash) return onHash(*this, key);
    return key % BucketCount();  // C++ keeps the sign of the dividend
}

THashTable::TItemList* THashTable::ListOf(int32_t bucket) const {
    if (bucket < 0 || bucket >= BucketCount()) return nullptr;
    return buckets_[static_cast<size_t>(bucket)];
}

bool THashTable::Matches(int32_t key, void* item) {
    if (onMatch) {
        bool matches = false;
        onMatch(*this, key, item, matches);
        return matches;
    }
    return reinterpret_cast<intptr_t>(item) == static_cast<intptr_t>(key);
}

int32_t THashTable::SearchList(const TItemList& list, int32_t key, int32_t from) {
    for (size_t i = static_cast<size_t>(from < 0 ? 0 : from); i < list.size(); ++i) {
        if (Matches(key, list[i])) return static_cast<int32_t>(i);
    }
    return -1;
}

void THashTable::Add(int32_t key, void* item) {
    const int32_t bucket = Hash(key);
    if (bucket < 0 || bucket >= BucketCount()) throw std::invalid_argument("hash table key outside the buckets");
    TItemList*& list = buckets_[static_cast<size_t>(bucket)];
    if (!list) list = new TItemList;
    list->push_back(item);
    ++count_;
}

void* THashTable::FindFirst(int32_t key, TFindPosition& position) {
    position = TFindPosition{};
    const int32_t bucket = Hash(key);
    const TItemList* list = ListOf(bucket);
    if (!list) return nullptr;
    const int32_t index = SearchList(*list, key, 0);
    if (index < 0) return nullptr;
    position = TFindPosition{key, bucket, index + 1};
    return (*list)[static_cast<size_t>(index)];
}

void* THashTable::FindNext(TFindPosition& position) {
    const TItemList* list = ListOf(position.bucket);
    if (!list) return nullptr;
    const int32_t index = SearchList(*list, position.key, position.index);
    if (index < 0) return nullptr;
    position.index = index + 1;
    return (*list)[static_cast<size_t>(index)];
}

void* THashTable::Find(int32_t key) {
    TFindPosition scratch;
    return FindFirst(key, scratch);
}

void THashTable::Remove(int32_t key) {
    const int32_t bucket = Hash(key);
    TItemList* list = ListOf(bucket);
    if (!list) return;
    int32_t index = SearchList(*list, key, 0);
    while (index >= 0) {
        void* item = (*list)[static_cast<size_t>(index)];
        bool skip = false;
        if (onCanDelete) onCanDelete(*this, key, item, skip);
        if (!skip) {
            list->erase(list->begin() + index);
            --count_;
            if (list->empty()) {
                delete list;
                buckets_[static_cast<size_t>(bucket)] = nullptr;
            }
            if (onDelete) onDelete(*this, key, item);
            return;
        }
        index = SearchList(*list, key, index + 1);
    }
}

void THashTable::Clear() {
    for (TItemList*& list : buckets_) {
        if (!list) continue;
        if (onDelete) {
            for (void* item : *list) onDelete(*this, -1, item);
        }
        delete list;
        list = nullptr;
    }
    count_ = 0;
}

const THashTable::TItemList* THashTable::Bucket(int32_t index) const { return ListOf(index); }

}  // namespace kelmor
