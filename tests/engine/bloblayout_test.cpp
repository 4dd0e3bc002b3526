// Blob files written by other programs: a blob of size 0 may lie at any position (shared
// with an older or a newer blob, inside another blob's bytes, inside the file head). It
// owns no bytes; every other blob must read, and survive edits and saves, intact.
#include <gtest/gtest.h>

#include <map>

#include "engine/kelmorcheck.h"
#include "engine/tkelmor.h"
#include "tests/testsupport/rawdatabase.h"
#include "tests/testsupport/tempdir.h"

namespace kelmor {
namespace {

struct TLayoutBlob {
    int32_t id;
    size_t size;
    int32_t position;  // 0: where the blobs before it end
};

struct TLayout {
    const char* name;
    std::vector<TLayoutBlob> blobs;  // in the order of their bytes in the blob file
};
void PrintTo(const TLayout& layout, std::ostream* out) { *out << layout.name; }

// Each is what a writer that moves every entry "at or behind" a removed stretch leaves.
const TLayout kLayouts[] = {
    // add an empty Z (1), add A of 10 bytes (2), delete A; then add B (3)
    {"empty blob inside the head", {{1, 0, 39}, {3, 10, 0}}},
    // add A of 10 bytes (1), add an empty Z (2), add B (3), delete B
    {"empty blob sharing the position of an older blob of lower ID", {{1, 10, 0}, {2, 0, 49}}},
    // add an empty Z (1), add A of 10 bytes (2): the order our own files have
    {"empty blob sharing the position of a blob of higher ID", {{1, 0, 49}, {2, 10, 49}, {3, 4, 0}}},
    // add A of 10 bytes (1), add an empty Z (2), add B of 5 bytes (3), delete B; add C (4)
    {"empty blob inside another blob", {{1, 10, 0}, {2, 0, 54}, {4, 6, 0}}},
    // add an empty Z (1), add A of 100 bytes (2), delete A; add B and C
    {"empty blob below the file's start", {{1, 0, -51}, {3, 8, 0}, {4, 3, 0}}},
};

std::vector<uint8_t> BytesOf(int32_t id, size_t size) {
    std::vector<uint8_t> bytes(size);
    for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<uint8_t>(id * 16 + i);
    return bytes;
}

class BlobLayoutTest : public ::testing::TestWithParam<TLayout> {
protected:
    void SetUp() override {
        test::TRawDatabase raw;
        int32_t node = 0;
        for (const TLayoutBlob& blob : GetParam().blobs) {
            raw.blobs.push_back({blob.id, BytesOf(blob.id, blob.size), blob.position});
            const auto reference = test::BlobReference(blob.id, static_cast<int32_t>(blob.size));
            raw.nodes.push_back({++node, 0, 5, test::MakeRecord("holder", {{"b", ktBlob, reference}}), 0, 0});
            blobOfNode[node] = blob.id;
        }
        raw.Write(base);
    }
    // Every node's blob as expected (a node whose key was deleted holds none).
    void ExpectEveryBlob(TKelmorClass& engine) {
        for (const auto& [node, blobID] : blobOfNode) {
            ASSERT_TRUE(engine.LoadNode(node)) << node;
            if (blobID == 0) {
                EXPECT_EQ(engine.KeyCount(), 0);
                continue;
            }
            ASSERT_EQ(engine.KeyCount(), 1);
            EXPECT_EQ(engine.GetBlobKey(1), BytesOf(blobID, SizeOf(blobID))) << "blob " << blobID;
        }
    }
    size_t SizeOf(int32_t blobID) const {
        for (const TLayoutBlob& blob : GetParam().blobs)
            if (blob.id == blobID) return blob.size;
        return 0;
    }
    std::string Findings() const {
        std::string text;
        for (const TCheckFinding& finding : CheckDatabase(base)) text += finding.file + ": " + finding.problem + "\n";
        return text;
    }

    test::TTempDir dir;
    std::string base = dir / "foreign";
    TKelmorLogin admin = TKelmorClass::MakeLogin("admin", "secret");
    std::map<int32_t, int32_t> blobOfNode;  // node ID -> blob ID (0: none)
};

TEST_P(BlobLayoutTest, OpensReadsEveryBlobAndPassesTheCheck) {
    EXPECT_EQ(Findings(), "");
    for (bool readOnly : {true, false}) {
        TKelmorClass engine;
        ASSERT_EQ(engine.OpenDatabase(base, readOnly, admin), kResultOK) << engine.LastErrorText();
        ExpectEveryBlob(engine);
    }
    EXPECT_EQ(Findings(), "");  // and after a read/write close, in the layout we write
}

// Each blob in turn is deleted (the empty one, or one whose bytes it sits beside or in),
// a new blob is added, and the database saved twice: every other blob keeps its bytes.
TEST_P(BlobLayoutTest, DeletingAnyBlobAndSavingKeepsEveryOtherBlobsBytes) {
    const std::vector<uint8_t> original[3] = {test::ReadBytes(base + ".idx"), test::ReadBytes(base + ".dat"),
                                              test::ReadBytes(base + ".blb")};
    const std::map<int32_t, int32_t> originalBlobs = blobOfNode;
    for (const auto& [victim, unused] : originalBlobs) {
        SCOPED_TRACE("deleting the blob of node " + std::to_string(victim));
        test::WriteBytes(base + ".idx", original[0]);
        test::WriteBytes(base + ".dat", original[1]);
        test::WriteBytes(base + ".blb", original[2]);
        blobOfNode = originalBlobs;
        int32_t added = 0;
        const std::vector<uint8_t> fresh = BytesOf(99, 7);
        {
            TKelmorClass engine;
            ASSERT_EQ(engine.OpenDatabase(base, false, admin), kResultOK) << engine.LastErrorText();
            ASSERT_TRUE(engine.LoadNode(victim));
            engine.DeleteKey(1);
            engine.SaveNode(victim);
            blobOfNode[victim] = 0;
            ASSERT_EQ(engine.Flush(), kResultOK);
            ExpectEveryBlob(engine);
            engine.ClearNode();
            engine.SetDescription("new");
            engine.AddBlobKey("b", fresh.data(), fresh.size());
            added = engine.CreateNode(0);
            ASSERT_EQ(engine.Close(), kResultOK);
        }
        EXPECT_EQ(Findings(), "");
        TKelmorClass reader;
        ASSERT_EQ(reader.OpenDatabase(base, true, admin), kResultOK) << reader.LastErrorText();
        ExpectEveryBlob(reader);
        ASSERT_TRUE(reader.LoadNode(added));
        EXPECT_EQ(reader.GetBlobKey(1), fresh);
    }
}

INSTANTIATE_TEST_SUITE_P(Layouts, BlobLayoutTest, ::testing::ValuesIn(kLayouts), [](const auto& info) {
    std::string name = info.param.name;
    for (char& c : name)
        if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
    return name;
});

// A blob that owns bytes cannot lie inside the head: such an index is damaged.
TEST(BlobLayout, ABlobWithBytesInsideTheHeadIsRefused) {
    test::TTempDir dir;
    const std::string base = dir / "bad";
    test::TRawDatabase raw;
    raw.blobs.push_back({1, {1, 2, 3}, 40});
    raw.nodes.push_back({1, 0, 5, test::MakeRecord("holder", {{"b", ktBlob, test::BlobReference(1, 3)}}), 0, 0});
    raw.Write(base);
    TKelmorClass engine;
    EXPECT_EQ(engine.OpenDatabase(base, true, TKelmorClass::MakeLogin("admin", "secret")), kResultDamaged);
    EXPECT_NE(engine.LastErrorText().find("impossible position 40"), std::string::npos) << engine.LastErrorText();
    bool reported = false;
    for (const TCheckFinding& finding : CheckDatabase(base))
        reported = reported || finding.problem.find("inside the file head") != std::string::npos;
    EXPECT_TRUE(reported);
}

}  // namespace
}  // namespace kelmor
