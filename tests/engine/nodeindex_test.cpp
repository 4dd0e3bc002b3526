#include <gtest/gtest.h>

#include <map>
#include <random>

#include "engine/hashtbl.h"
#include "engine/nodeindex.h"

namespace kelmor {
namespace {

// The sibling order as a 100-bucket hash table keyed by parent ID keeps it: entries
// appended to their bucket's list, removed with a veto for other children, siblings
// exchanged in place. TNodeIndex must produce exactly the same orders.
class TReferenceParentTable {
public:
    TReferenceParentTable() : table_(100) {
        table_.onMatch = [](THashTable&, int32_t key, void* item, bool& matches) {
            matches = static_cast<TKelmorNodeEntry*>(item)->parentID == key;
        };
        table_.onCanDelete = [this](THashTable&, int32_t, void* item, bool& skip) {
            skip = static_cast<TKelmorNodeEntry*>(item)->nodeID != removing_;
        };
    }
    void Add(TKelmorNodeEntry* entry) { table_.Add(entry->parentID, entry); }
    void Remove(TKelmorNodeEntry* entry) {
        removing_ = entry->nodeID;
        table_.Remove(entry->parentID);
    }
    void Exchange(TKelmorNodeEntry* a, TKelmorNodeEntry* b) {
        auto* list = const_cast<THashTable::TItemList*>(table_.Bucket(table_.Hash(a->parentID)));
        auto ia = std::find(list->begin(), list->end(), a);
        auto ib = std::find(list->begin(), list->end(), b);
        std::iter_swap(ia, ib);
    }
    std::vector<int32_t> StoredOrder() const {
        std::vector<int32_t> ids;
        for (int32_t b = 0; b < 100; ++b)
            if (const auto* list = table_.Bucket(b))
                for (void* item : *list) ids.push_back(static_cast<TKelmorNodeEntry*>(item)->nodeID);
        return ids;
    }
    std::vector<int32_t> Children(int32_t parent) {
        std::vector<int32_t> ids;
        THashTable::TFindPosition position;
        for (void* item = table_.FindFirst(parent, position); item; item = table_.FindNext(position))
            ids.push_back(static_cast<TKelmorNodeEntry*>(item)->nodeID);
        return ids;
    }

private:
    THashTable table_;
    int32_t removing_ = 0;
};

std::vector<int32_t> StoredOrder(const TNodeIndex& index) {
    std::vector<int32_t> ids;
    index.ForEachInStoredOrder([&](const TNodeSlot* slot) { ids.push_back(slot->entry.nodeID); });
    return ids;
}
std::vector<int32_t> Children(const TNodeIndex& index, int32_t parent) {
    std::vector<int32_t> ids;
    for (const TNodeSlot* slot = index.FirstChild(parent); slot; slot = TNodeIndex::NextSibling(slot))
        ids.push_back(slot->entry.nodeID);
    return ids;
}

TEST(NodeIndex, KeepsTheSameOrdersAsABucketTableThroughRandomOperations) {
    std::mt19937 random(20261210);
    TNodeIndex index;
    TReferenceParentTable reference;
    std::map<int32_t, std::unique_ptr<TKelmorNodeEntry>> entries;  // the reference's entries
    int32_t nextID = 1;
    auto randomNode = [&]() -> TKelmorNodeEntry* {
        auto it = entries.begin();
        std::advance(it, std::uniform_int_distribution<size_t>(0, entries.size() - 1)(random));
        return it->second.get();
    };
    // Parents are drawn from a few IDs whose children share buckets (5, 105, 205 ...).
    auto randomParent = [&]() {
        return std::uniform_int_distribution<int32_t>(0, 3)(random) * 100 + 5 * static_cast<int32_t>(random() % 2);
    };

    for (int step = 0; step < 4000; ++step) {
        const int action = entries.size() < 10 ? 0 : std::uniform_int_distribution<int>(0, 3)(random);
        if (action == 0) {
            auto entry = std::make_unique<TKelmorNodeEntry>(TKelmorNodeEntry{nextID++, randomParent(), 49, 5});
            index.Add(*entry);
            reference.Add(entry.get());
            entries[entry->nodeID] = std::move(entry);
        } else if (action == 1) {
            TKelmorNodeEntry* entry = randomNode();
            index.Remove(index.Find(entry->nodeID));
            reference.Remove(entry);
            entries.erase(entry->nodeID);
        } else if (action == 2) {
            TKelmorNodeEntry* entry = randomNode();
            const int32_t parent = randomParent();
            index.Reparent(index.Find(entry->nodeID), parent);
            reference.Remove(entry);
            entry->parentID = parent;
            reference.Add(entry);
        } else {
            TKelmorNodeEntry* a = randomNode();
            const std::vector<int32_t> siblings = Children(index, a->parentID);
            const int32_t other = siblings[std::uniform_int_distribution<size_t>(0, siblings.size() - 1)(random)];
            index.Exchange(index.Find(a->nodeID), index.Find(other));
            reference.Exchange(a, entries[other].get());
        }
        if (step % 97 == 0 || step == 3999) {
            ASSERT_EQ(StoredOrder(index), reference.StoredOrder()) << "after step " << step;
            for (int32_t parent : {0, 5, 100, 105, 200, 205, 300, 305})
                ASSERT_EQ(Children(index, parent), reference.Children(parent)) << "parent " << parent;
        }
    }
    EXPECT_EQ(index.Count(), entries.size());
}

TEST(NodeIndex, ExchangesNeighboursAndEndsOfTheList) {
    TNodeIndex index;
    for (int32_t id = 1; id <= 4; ++id) index.Add(TKelmorNodeEntry{id, 7, 49, 5});
    index.Exchange(index.Find(1), index.Find(2));  // neighbours at the head
    EXPECT_EQ(Children(index, 7), (std::vector<int32_t>{2, 1, 3, 4}));
    index.Exchange(index.Find(4), index.Find(2));  // both ends, reversed arguments
    EXPECT_EQ(Children(index, 7), (std::vector<int32_t>{4, 1, 3, 2}));
    index.Exchange(index.Find(2), index.Find(3));  // neighbours at the tail, reversed
    EXPECT_EQ(Children(index, 7), (std::vector<int32_t>{4, 1, 2, 3}));
    EXPECT_THROW(index.Exchange(index.Find(1), index.Add(TKelmorNodeEntry{9, 8, 49, 5})), std::invalid_argument);
}

TEST(NodeIndex, BucketStatisticsCountListsAndLongestList) {
    TNodeIndex index;
    index.Add(TKelmorNodeEntry{1, 0, 49, 5});
    index.Add(TKelmorNodeEntry{2, 0, 49, 5});
    index.Add(TKelmorNodeEntry{3, 0, 49, 5});
    index.Add(TKelmorNodeEntry{101, 1, 49, 5});
    const TBucketStats parents = index.ParentTableStats();
    EXPECT_EQ(parents.bucketsInUse, 2);
    EXPECT_EQ(parents.longestBucket, 3);
    const TBucketStats nodes = index.NodeTableStats();
    EXPECT_EQ(nodes.bucketsInUse, 3);  // 1 and 101 share bucket 1
    EXPECT_EQ(nodes.longestBucket, 2);
}

}  // namespace
}  // namespace kelmor
