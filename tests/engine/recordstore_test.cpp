#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>

#include "engine/recordstore.h"
#include "tests/testsupport/tempdir.h"

namespace kelmor {
namespace {

// A committed file of four items (10, 20, 30, 40 bytes after a 49-byte head) and a
// store over it.
class RecordStoreTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::vector<uint8_t> bytes(49 + 100);
        std::iota(bytes.begin(), bytes.end(), uint8_t{0});
        test::WriteBytes(dir / "file", bytes);
        ASSERT_EQ(file.Open(dir / "file", TFileHandle::TMode::ReadWrite), 0);
        store.Attach(&file, bytes.size(), dir.Path());
        uint64_t offset = 49;
        for (uint32_t length : {10u, 20u, 30u, 40u}) {
            items.push_back(TStoreLocation{TRecordStore::CommittedOrder(items.size()), offset, length, false});
            offset += length;
        }
    }
    std::vector<const TStoreLocation*> View() const {
        std::vector<const TStoreLocation*> view;
        for (const auto& item : items) view.push_back(&item);
        return view;
    }

    test::TTempDir dir;
    TFileHandle file;
    TRecordStore store;
    std::vector<TStoreLocation> items;
};

TEST_F(RecordStoreTest, UnchangedItemsNeedNoCopying) {
    const TCompactionPlan plan = store.PlanCompaction(View(), 49);
    EXPECT_EQ(plan.newSize, 149u);
    EXPECT_EQ(plan.tailStart, 149u);
    EXPECT_TRUE(plan.runs.empty());
    EXPECT_EQ(plan.newOffsets, (std::vector<uint64_t>{49, 59, 79, 109}));
}

TEST_F(RecordStoreTest, RemovingAnItemMovesEveryLaterItemDownInOneCopy) {
    items.erase(items.begin() + 1);  // the 20-byte item
    const TCompactionPlan plan = store.PlanCompaction(View(), 49);
    EXPECT_EQ(plan.newOffsets, (std::vector<uint64_t>{49, 59, 89}));
    EXPECT_EQ(plan.tailStart, 59u);
    EXPECT_EQ(plan.newSize, 129u);
    ASSERT_EQ(plan.runs.size(), 1u);  // items 3 and 4 are adjacent in the file: one run
    EXPECT_EQ(plan.runs[0].source, 79u);
    EXPECT_EQ(plan.runs[0].destination, 59u);
    EXPECT_EQ(plan.runs[0].length, 70u);
}

TEST_F(RecordStoreTest, ReplacedItemKeepsItsPlaceAndAppendedItemGoesLast) {
    const std::vector<uint8_t> same(20, 0xAB), added(5, 0xCD);
    items[1] = store.Replace(items[1], same.data(), 20);
    items.push_back(store.Append(added.data(), 5));
    const TCompactionPlan plan = store.PlanCompaction(View(), 49);
    EXPECT_EQ(plan.newOffsets, (std::vector<uint64_t>{49, 59, 79, 109, 149}));
    EXPECT_EQ(plan.tailStart, 59u);
    // the committed file is untouched until the plan is carried out
    std::vector<uint8_t> check(20);
    file.ReadAtOrThrow(59, check.data(), 20);
    EXPECT_EQ(check[0], 59);
    store.Read(items[1], 0, check.data(), 20);
    EXPECT_EQ(check, same);
    std::vector<uint8_t> raw(5);
    store.Read(items[4], 0, raw.data(), 5);
    EXPECT_EQ(raw, added);
}

TEST_F(RecordStoreTest, ThePlanFollowsTheLogicalOrderWhateverOrderTheItemsComeIn) {
    // Replacing an item often between two saves leaves its order far from the others'.
    for (int replacements : {1, 2000}) {
        SCOPED_TRACE(replacements);
        if (items.empty()) SetUp();  // a fresh store and file for the second round
        const std::vector<uint8_t> ten(10, 1), five(5, 2), seven(7, 3);
        for (int i = 0; i < replacements; ++i) items[0] = store.Replace(items[0], ten.data(), 10);
        items.push_back(store.Append(five.data(), 5));
        items.push_back(store.Append(seven.data(), 7));
        std::reverse(items.begin(), items.end());
        const TCompactionPlan plan = store.PlanCompaction(View(), 49);
        EXPECT_EQ(plan.newOffsets, (std::vector<uint64_t>{154, 149, 109, 79, 59, 49}));
        EXPECT_EQ(plan.newRanks, (std::vector<uint64_t>{5, 4, 3, 2, 1, 0}));
        EXPECT_EQ(plan.newSize, 161u);
        items.clear();
    }
}

TEST_F(RecordStoreTest, ScratchDataSpillsToAFileAndReadsBackAcrossTheBoundary) {
    std::vector<uint8_t> big(3u << 20);
    std::iota(big.begin(), big.end(), uint8_t{1});
    const TStoreLocation first = store.Append(big.data(), static_cast<uint32_t>(big.size()));
    const TStoreLocation second = store.Append(big.data(), static_cast<uint32_t>(big.size()));  // spills the first
    std::vector<uint8_t> back(big.size());
    store.Read(first, 0, back.data(), static_cast<uint32_t>(back.size()));
    EXPECT_EQ(back, big);
    store.Read(second, 0, back.data(), static_cast<uint32_t>(back.size()));
    EXPECT_EQ(back, big);
    EXPECT_THROW(store.Read(second, 1, back.data(), static_cast<uint32_t>(back.size())), std::exception);
}

}  // namespace
}  // namespace kelmor
