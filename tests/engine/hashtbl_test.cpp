#include <gtest/gtest.h>

#include <vector>

#include "engine/hashtbl.h"

namespace kelmor {
namespace {

struct TItem {
    int32_t key;
    int32_t tag;
};

// A table of TItem keyed by TItem::key, recording every delete event.
class HashTableTest : public ::testing::Test {
protected:
    HashTableTest() : table(10) {
        table.onMatch = [](THashTable&, int32_t key, void* item, bool& matches) {
            matches = static_cast<TItem*>(item)->key == key;
        };
        table.onDelete = [this](THashTable&, int32_t key, void* item) {
            deleted.emplace_back(key, static_cast<TItem*>(item)->tag);
        };
    }
    TItem* Make(int32_t key, int32_t tag) {
        items.push_back(std::make_unique<TItem>(TItem{key, tag}));
        return items.back().get();
    }
    std::vector<int32_t> TagsOf(int32_t key) {
        std::vector<int32_t> tags;
        THashTable::TFindPosition position;
        for (void* item = table.FindFirst(key, position); item; item = table.FindNext(position))
            tags.push_back(static_cast<TItem*>(item)->tag);
        return tags;
    }

    std::vector<std::unique_ptr<TItem>> items;
    std::vector<std::pair<int32_t, int32_t>> deleted;
    THashTable table;
};

TEST_F(HashTableTest, FindsAllItemsOfAKeyInInsertionOrderAmongOthersInTheSameBucket) {
    table.Add(3, Make(3, 1));
    table.Add(13, Make(13, 2));  // same bucket (3)
    table.Add(3, Make(3, 3));
    table.Add(23, Make(23, 4));
    table.Add(3, Make(3, 5));
    EXPECT_EQ(TagsOf(3), (std::vector<int32_t>{1, 3, 5}));
    EXPECT_EQ(TagsOf(13), (std::vector<int32_t>{2}));
    EXPECT_EQ(table.Count(), 5);
    ASSERT_NE(table.Bucket(3), nullptr);
    EXPECT_EQ(table.Bucket(3)->size(), 5u);
    EXPECT_EQ(table.Bucket(4), nullptr);
}

TEST_F(HashTableTest, FindPositionRecordsKeyBucketAndNextIndex) {
    table.Add(13, Make(13, 1));
    table.Add(3, Make(3, 2));
    THashTable::TFindPosition position{99, 99, 99};
    ASSERT_NE(table.FindFirst(3, position), nullptr);
    EXPECT_EQ(position.key, 3);
    EXPECT_EQ(position.bucket, 3);
    EXPECT_EQ(position.index, 2);
    EXPECT_EQ(table.FindNext(position), nullptr);
}

TEST_F(HashTableTest, NegativeKeyFindsNothingAndLeavesThePositionZeroed) {
    table.Add(7, Make(7, 1));
    THashTable::TFindPosition position{5, 6, 7};
    EXPECT_EQ(table.Hash(-7), -7);
    EXPECT_EQ(table.FindFirst(-7, position), nullptr);
    EXPECT_EQ(position.key, 0);
    EXPECT_EQ(position.bucket, 0);
    EXPECT_EQ(position.index, 0);
    EXPECT_THROW(table.Add(-7, Make(-7, 2)), std::invalid_argument);
}

TEST_F(HashTableTest, RemoveTakesOutOnlyTheFirstItemThatIsNotVetoed) {
    for (int tag = 1; tag <= 4; ++tag) table.Add(5, Make(5, tag));
    table.onCanDelete = [](THashTable&, int32_t, void* item, bool& skip) {
        skip = static_cast<TItem*>(item)->tag < 3;  // keep tags 1 and 2
    };
    table.Remove(5);
    EXPECT_EQ(TagsOf(5), (std::vector<int32_t>{1, 2, 4}));
    EXPECT_EQ(deleted, (std::vector<std::pair<int32_t, int32_t>>{{5, 3}}));
    EXPECT_EQ(table.Count(), 3);

    table.onCanDelete = nullptr;
    table.Remove(5);
    EXPECT_EQ(TagsOf(5), (std::vector<int32_t>{2, 4}));
}

TEST_F(HashTableTest, RemovingTheLastItemOfABucketFreesItsList) {
    table.Add(8, Make(8, 1));
    table.Remove(8);
    EXPECT_EQ(table.Bucket(8), nullptr);
    EXPECT_EQ(table.Find(8), nullptr);
    EXPECT_EQ(table.Count(), 0);
    table.Remove(8);  // nothing left: no effect
    EXPECT_EQ(deleted.size(), 1u);
}

TEST_F(HashTableTest, ClearCallsTheDeleteEventOncePerItemWithKeyMinusOneInBucketOrder) {
    table.Add(12, Make(12, 1));
    table.Add(1, Make(1, 2));
    table.Add(2, Make(2, 3));
    table.Clear();
    EXPECT_EQ(deleted, (std::vector<std::pair<int32_t, int32_t>>{{-1, 2}, {-1, 1}, {-1, 3}}));
    EXPECT_EQ(table.Count(), 0);
    for (int32_t b = 0; b < table.BucketCount(); ++b) EXPECT_EQ(table.Bucket(b), nullptr);
}

TEST(HashTable, WithoutMatchEventItemsMatchTheirOwnPointerValueAndHashEventChoosesTheBucket) {
    THashTable table(4);
    table.onHash = [](THashTable&, int32_t) { return 2; };
    void* item = reinterpret_cast<void*>(static_cast<intptr_t>(42));
    table.Add(42, item);
    EXPECT_EQ(table.Find(42), item);
    EXPECT_EQ(table.Find(41), nullptr);
    ASSERT_NE(table.Bucket(2), nullptr);
}

TEST(HashTable, DestroyCallsDeleteEventsOnlyWhenNotifyOnDestroyIsSet) {
    int notified = 0;
    {
        THashTable table(3);
        table.onDelete = [&](THashTable&, int32_t, void*) { ++notified; };
        table.Add(1, nullptr);
        table.Add(2, nullptr);
    }
    EXPECT_EQ(notified, 2);
    {
        THashTable table(3);
        table.notifyOnDestroy = false;
        table.onDelete = [&](THashTable&, int32_t, void*) { ++notified; };
        table.Add(1, nullptr);
    }
    EXPECT_EQ(notified, 2);
}

}  // namespace
}  // namespace kelmor
