#include <gtest/gtest.h>

#include "tests/testsupport/dbfixture.h"
#include "tests/testsupport/rawdatabase.h"

namespace kelmor {
namespace {

using BlobTest = test::DatabaseTest;

std::vector<uint8_t> Bytes(size_t size, uint8_t first) {
    std::vector<uint8_t> bytes(size);
    for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<uint8_t>(first + i);
    return bytes;
}

TEST_F(BlobTest, BlobsLieWithoutGapsAndDeletingOneMovesTheLaterOnesDown) {
    engine.ClearNode();
    engine.SetDescription("holder");
    engine.AddBlobKey("ten", Bytes(10, 1).data(), 10);
    engine.AddBlobKey("twenty", Bytes(20, 2).data(), 20);
    engine.AddBlobKey("thirty", Bytes(30, 3).data(), 30);
    const int32_t id = engine.CreateNode(0);
    ASSERT_EQ(engine.Flush(), kResultOK);
    auto index = test::DecodeIndex(test::ReadBytes(base + ".idx"));
    EXPECT_EQ(index.blobs, (std::vector<std::pair<int32_t, int32_t>>{{1, 49}, {2, 59}, {3, 79}}));
    EXPECT_EQ(test::FileSize(base + ".blb"), 109u);

    ASSERT_TRUE(engine.LoadNode(id));
    engine.DeleteKey(2);
    engine.SaveNode(id);
    EXPECT_EQ(test::FileSize(base + ".blb"), 109u);  // nothing moves before the flush
    ASSERT_EQ(engine.Flush(), kResultOK);
    index = test::DecodeIndex(test::ReadBytes(base + ".idx"));
    EXPECT_EQ(index.blobs, (std::vector<std::pair<int32_t, int32_t>>{{1, 49}, {3, 59}}));
    EXPECT_EQ(test::FileSize(base + ".blb"), 89u);
    ASSERT_TRUE(engine.LoadNode(id));
    EXPECT_EQ(engine.GetBlobKey(2), Bytes(30, 3));
    EXPECT_EQ(engine.GetBlobKey(1), Bytes(10, 1));
}

TEST_F(BlobTest, ABlobOfSizeZeroHasAnEntryAndNoBytes) {
    engine.ClearNode();
    engine.SetDescription("holder");
    engine.AddBlobKey("empty", nullptr, 0);
    engine.AddBlobKey("after", Bytes(5, 0).data(), 5);
    const int32_t id = engine.CreateNode(0);
    Reopen();
    EXPECT_EQ(engine.Header().blobCount, 2);
    EXPECT_EQ(test::FileSize(base + ".blb"), 54u);
    ASSERT_TRUE(engine.LoadNode(id));
    EXPECT_EQ(engine.GetBlobKey(1, nullptr), 0);
    EXPECT_TRUE(engine.GetBlobKey(1).empty());
    EXPECT_EQ(engine.KeyValueText(1), "DATA: 0 bytes");
    EXPECT_EQ(engine.GetBlobKey(2), Bytes(5, 0));
    // deleting the blob before a zero-size one leaves that one at the deleted one's place
    engine.InsertBlobKey("first", 1, Bytes(7, 1).data(), 7);
    engine.SaveNode(id);
    Reopen();
    ASSERT_TRUE(engine.LoadNode(id));
    engine.DeleteKey(2);  // the empty blob
    engine.DeleteKey(2);  // the five bytes
    engine.SaveNode(id);
    Reopen();
    ASSERT_TRUE(engine.LoadNode(id));
    EXPECT_EQ(engine.GetBlobKey(1), Bytes(7, 1));
    EXPECT_EQ(test::FileSize(base + ".blb"), 56u);
}

TEST_F(BlobTest, GetBlobKeyWithoutBufferReadsOnlyTheSizeAndLargeBlobsRoundTrip) {
    engine.ClearNode();
    engine.SetDescription("holder");
    const std::vector<uint8_t> big = Bytes(65535, 7);
    engine.AddBlobKey("big", big.data(), big.size());
    EXPECT_THROW(engine.AddBlobKey("too big", big.data(), 65536), EKelmorBlobTooLarge);
    EXPECT_EQ(engine.KeyCount(), 1);
    const int32_t id = engine.CreateNode(0);
    Reopen();
    ASSERT_TRUE(engine.LoadNode(id));
    EXPECT_EQ(engine.GetBlobKey(1, nullptr), 65535);
    EXPECT_EQ(engine.GetBlobKey(1), big);
    EXPECT_THROW(engine.GetStringKey(1), EKelmorWrongKeyType);
}

TEST_F(BlobTest, ABlobKeyThatDoesNotFitStoresNoBlob) {
    engine.ClearNode();
    engine.SetDescription("");
    const std::vector<uint8_t> filler(255, 1);
    while (engine.RecordLength() + 259 + 18 <= 65510) engine.AddSequenceKey("", filler.data(), 255);
    engine.AddSequenceKey("", filler.data(), 65510 - engine.RecordLength() - 4 - 17);  // 17 bytes left
    EXPECT_THROW(engine.AddBlobKey("", Bytes(3, 0).data(), 3), EKelmorKeyListFullError);
    EXPECT_EQ(engine.Header().blobCount, 0);
    EXPECT_EQ(engine.Header().lastBlobID, 0);
}

TEST_F(BlobTest, DeletingTheLastBlobLeavesNoBlobFileAfterClosing) {
    engine.ClearNode();
    engine.SetDescription("holder");
    engine.AddBlobKey("b", Bytes(3, 0).data(), 3);
    const int32_t id = engine.CreateNode(0);
    Reopen();
    ASSERT_TRUE(test::Exists(base + ".blb"));
    ASSERT_TRUE(engine.LoadNode(id));
    engine.DeleteKey(1);
    engine.SaveNode(id);
    engine.Close();
    EXPECT_FALSE(test::Exists(base + ".blb"));
}

TEST_F(BlobTest, The65536thBlobIsRefusedBeforeAnythingChanges) {
    engine.Close();
    test::TRawDatabase raw;
    raw.nodes.push_back({1, 0, 5, test::MakeRecord("holder"), 0, 0});
    for (int32_t id = 1; id <= 65535; ++id) raw.blobs.push_back({id, {}, 0});
    raw.Write(base);
    ASSERT_EQ(engine.OpenDatabase(base, false, admin), kResultOK);
    ASSERT_TRUE(engine.LoadNode(1));
    const uint8_t byte = 1;
    EXPECT_THROW(engine.AddBlobKey("one too many", &byte, 1), EKelmorDatabaseFull);
    EXPECT_EQ(engine.KeyCount(), 0);
    EXPECT_EQ(engine.Header().blobCount, 65535);
    EXPECT_EQ(engine.Header().lastBlobID, 65535);
    EXPECT_FALSE(engine.Modified());
}

}  // namespace
}  // namespace kelmor
