// One writer per database: an engine that opens a database for writing (or creates it)
// keeps every other writer out until it closes it; readers are never kept out.
#include <gtest/gtest.h>

#include "tests/testsupport/dbfixture.h"
#include "tests/testsupport/rawdatabase.h"

namespace kelmor {
namespace {

class WriterLockTest : public test::DatabaseTest {
protected:
    void SetUp() override {
        test::DatabaseTest::SetUp();
        AddNode("kept");
        ASSERT_EQ(engine.Flush(), kResultOK);
        files = Files();
    }
    std::vector<std::vector<uint8_t>> Files() const {
        return {test::ReadBytes(base + ".idx"), test::ReadBytes(base + ".dat"), test::ReadBytes(base + ".blb")};
    }
    static void ExpectRefusedAsInUse(int result, const TKelmorClass& other) {
        EXPECT_EQ(result, kResultInUse);
        EXPECT_NE(other.LastErrorText().find("is open for writing in another window or program"), std::string::npos)
            << other.LastErrorText();
        EXPECT_FALSE(other.IsOpen());
    }
    std::vector<std::vector<uint8_t>> files;
};

TEST_F(WriterLockTest, DiscardingLeavesTheLastSaveAndLetsTheNextWriterIn) {
    AddNode("not saved");
    const uint8_t bytes[] = {1, 2, 3};
    engine.LoadNode(1);
    engine.AddBlobKey("picture", bytes, sizeof bytes);
    engine.SaveNode(1);
    engine.Discard();
    EXPECT_FALSE(engine.IsOpen());
    EXPECT_EQ(Files(), files);  // not a byte written
    TKelmorClass other;
    ASSERT_EQ(other.OpenDatabase(base, false, admin), kResultOK) << other.LastErrorText();
    EXPECT_EQ(test::Children(other, 0), std::vector<int32_t>{1});
    other.LoadNode(1);
    EXPECT_EQ(other.KeyCount(), 0);
}

TEST_F(WriterLockTest, ASecondWriterIsRefusedAndNothingChanges) {
    TKelmorClass other;
    ExpectRefusedAsInUse(other.OpenDatabase(base, false, admin), other);
    ExpectRefusedAsInUse(other.CreateDatabase(base, admin), other);
    EXPECT_EQ(Files(), files);  // the create touched no file
    // the first writer goes on as before
    AddNode("added");
    ASSERT_EQ(engine.Close(), kResultOK);
    ASSERT_EQ(other.OpenDatabase(base, false, admin), kResultOK) << other.LastErrorText();
    EXPECT_EQ(other.FindNodeByPath("added"), 2);
}

TEST_F(WriterLockTest, ReadersAreNotKeptOutAndKeepNobodyOut) {
    TKelmorClass reader;
    ASSERT_EQ(reader.OpenDatabase(base, true, admin), kResultOK);
    EXPECT_EQ(reader.FindNodeByPath("kept"), 1);
    engine.Close();
    TKelmorClass writer;
    EXPECT_EQ(writer.OpenDatabase(base, false, admin), kResultOK) << writer.LastErrorText();
}

TEST_F(WriterLockTest, AFailedOrRefusedOpenLetsGoOfTheLock) {
    engine.Close();
    TKelmorClass refused;
    EXPECT_EQ(refused.OpenDatabase(base, false, TKelmorClass::MakeLogin("admin", "wrong")), kResultLogonRefused);
    TKelmorClass writer;
    EXPECT_EQ(writer.OpenDatabase(base, false, admin), kResultOK) << writer.LastErrorText();
    EXPECT_EQ(writer.CreateDatabase(base, admin), kResultOK);  // its own database: replaced
    EXPECT_EQ(writer.FindNodeByPath("kept"), -1);
}

}  // namespace
}  // namespace kelmor
