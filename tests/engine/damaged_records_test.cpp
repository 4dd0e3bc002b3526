#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>

#include "engine/tkelmor.h"
#include "tests/testsupport/rawdatabase.h"
#include "tests/testsupport/tempdir.h"

namespace kelmor {
namespace {

// A database whose node 1 has the given record bytes (as held in the buffer).
class DamagedRecordTest : public ::testing::Test {
protected:
    void Write(std::vector<uint8_t> record, std::vector<test::TRawBlob> blobs = {}) {
        test::TRawDatabase raw;
        raw.nodes.push_back({1, 0, 5, std::move(record), 0, 0});
        raw.nodes.push_back({2, 0, 5, test::MakeRecord("fine"), 0, 0});
        raw.blobs = std::move(blobs);
        raw.Write(base);
        ASSERT_EQ(engine.OpenDatabase(base, true, TKelmorClass::MakeLogin("admin", "secret")), kResultOK)
            << engine.LastErrorText();
    }
    test::TTempDir dir;
    std::string base = dir / "bad";
    TKelmorClass engine;
};

TEST_F(DamagedRecordTest, RecordsWhoseItemsDoNotAddUpAreRefused) {
    struct TCase {
        const char* name;
        std::function<void(std::vector<uint8_t>&)> damage;
    };
    const TCase cases[] = {
        {"item runs past the end", [](auto& r) { r[4] = 200; }},
        {"more items claimed", [](auto& r) { r[2] = 5; }},
        {"fewer items claimed", [](auto& r) { r[2] = 0; }},
        {"length below 4", [](auto& r) { r[0] = 2; }},
    };
    for (const TCase& c : cases) {
        std::vector<uint8_t> record = test::MakeRecord("description", {{"k", ktByte, {1}}});
        c.damage(record);
        Write(record);
        EXPECT_THROW(engine.LoadNode(1), EKelmorDamagedError) << c.name;
        EXPECT_EQ(engine.RecordLength(), 4) << c.name;  // the buffer holds an empty record again
        EXPECT_TRUE(engine.LoadNode(2)) << c.name;
        engine.Close();
    }
}

// Whatever a failed read brought in, the buffer must hold an empty record afterwards:
// a length and item count left behind would send FindKey past the buffer's end.
TEST_F(DamagedRecordTest, AFailedReadLeavesAnEmptyRecordBehind) {
    struct TCase {
        const char* name;
        std::function<void(std::vector<uint8_t>&)> damage;
        uint64_t cutDataFileTo;  // 0: the data file stays whole
    };
    const TCase cases[] = {
        {"data file cut short under the open database", [](auto&) {}, 49 + 12},  // head + 12 bytes of node 1
        {"length beyond the record's place", [](auto& r) { r[0] = static_cast<uint8_t>(r[0] + 9); }, 0},
        {"more items claimed", [](auto& r) { r[2] = 9; }, 0},
    };
    for (const TCase& c : cases) {
        std::vector<uint8_t> record =
            test::MakeRecord("description", {{"k", ktByte, {1}}, {"s", ktString, {'s', 'o', 'm', 'e'}}});
        c.damage(record);
        Write(record);
        ASSERT_TRUE(engine.LoadNode(2)) << c.name;  // the buffer holds a record before the failure
        if (c.cutDataFileTo) std::filesystem::resize_file(base + ".dat", c.cutDataFileTo);

        EXPECT_THROW(engine.LoadNode(1), EKelmorError) << c.name;
        const uint8_t* bytes = engine.RecordBytes();
        EXPECT_EQ(engine.RecordLength(), 4) << c.name;
        EXPECT_TRUE(std::all_of(bytes + 2, bytes + TKelmorClass::kWorkBufferSize, [](uint8_t b) { return b == 0; }))
            << c.name;
        EXPECT_EQ(engine.KeyCount(), 0) << c.name;
        EXPECT_EQ(engine.FindKey("k"), 0) << c.name;
        EXPECT_EQ(engine.GetDescription(), "") << c.name;
        engine.Close();
    }
}

TEST_F(DamagedRecordTest, ALengthBeyondTheRecordsPlaceIsRefused) {
    std::vector<uint8_t> record = test::MakeRecord("description");
    record[0] = static_cast<uint8_t>(record[0] + 9);  // reaches into the next record
    record[1] = 0;
    Write(record);
    try {
        engine.LoadNode(1);
        FAIL() << "no error";
    } catch (const EKelmorDamagedError& error) {
        EXPECT_NE(std::string(error.what()).find("node 1"), std::string::npos) << error.what();
    }
}

TEST_F(DamagedRecordTest, FixedSizeKeysOfTheWrongSizeAndBadBlobReferencesAreRefused) {
    const std::vector<uint8_t> missingBlob = {9, 0, 0, 0, 3, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    const std::vector<uint8_t> oversizedBlob = {1, 0, 0, 0, 50, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    const std::vector<uint8_t> negativeSize = {1, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF, 0, 0, 0, 0, 0, 0};
    Write(test::MakeRecord("d", {{"short longint", ktLongint, {1, 2}},
                                 {"missing blob", ktBlob, missingBlob},
                                 {"blob past its place", ktBlob, oversizedBlob},
                                 {"negative size", ktBlob, negativeSize}}),
          {{1, {1, 2, 3}, 0}});
    ASSERT_TRUE(engine.LoadNode(1));
    EXPECT_THROW(engine.GetLongintKey(1), EKelmorDamagedError);
    EXPECT_THROW(engine.KeyValueText(1), EKelmorDamagedError);
    EXPECT_EQ(engine.GetBlobKey(2, nullptr), 3);
    EXPECT_THROW(engine.GetBlobKey(2), EKelmorInvalidBlobID);
    EXPECT_THROW(engine.GetBlobKey(3), EKelmorDamagedError);
    EXPECT_THROW(engine.GetBlobKey(4, nullptr), EKelmorDamagedError);
}

}  // namespace
}  // namespace kelmor
