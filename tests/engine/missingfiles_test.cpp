// Files that are missing or are not a database's: the database opens where it can, and
// every refusal says what is wrong.
#include <gtest/gtest.h>

#include "engine/kelmorcheck.h"
#include "tests/testsupport/dbfixture.h"
#include "tests/testsupport/rawdatabase.h"

namespace kelmor {
namespace {

class MissingBlobFileTest : public test::DatabaseTest {
protected:
    void SetUp() override {
        test::DatabaseTest::SetUp();
        engine.ClearNode();
        engine.SetDescription("holder");
        const uint8_t bytes[3] = {7, 8, 9};
        engine.AddBlobKey("blob", bytes, 3);
        engine.AddStringKey("text", "before");
        holder = engine.CreateNode(0);
        ASSERT_EQ(engine.Close(), kResultOK);
        ASSERT_EQ(std::remove((base + ".blb").c_str()), 0);
    }
    int32_t holder = 0;
};

TEST_F(MissingBlobFileTest, TheDatabaseOpensEitherWayAndReadingABlobNamesTheFile) {
    for (bool readOnly : {true, false}) {
        SCOPED_TRACE(readOnly ? "read-only" : "read/write");
        ASSERT_EQ(engine.OpenDatabase(base, readOnly, admin), kResultOK) << engine.LastErrorText();
        ASSERT_TRUE(engine.LoadNode(holder));
        EXPECT_EQ(engine.GetBlobKey(1, nullptr), 3);  // the size is in the record
        try {
            engine.GetBlobKey(1);
            ADD_FAILURE() << "the blob was read";
        } catch (const EKelmorFileError& error) {
            EXPECT_NE(std::string(error.what()).find(base + ".blb is missing"), std::string::npos) << error.what();
        }
        EXPECT_EQ(engine.Close(), kResultOK);
        EXPECT_FALSE(test::Exists(base + ".blb"));
    }
    bool reported = false;
    for (const TCheckFinding& finding : CheckDatabase(base))
        reported = reported || (finding.file == base + ".blb" && finding.problem.find("missing") != std::string::npos);
    EXPECT_TRUE(reported);
}

TEST_F(MissingBlobFileTest, OtherEditsAreSavedAndNoBlobIsStoredWhereItWouldBeLost) {
    ASSERT_EQ(engine.OpenDatabase(base, false, admin), kResultOK);
    ASSERT_TRUE(engine.LoadNode(holder));
    const uint8_t bytes[2] = {1, 2};
    EXPECT_THROW(engine.AddBlobKey("another", bytes, 2), EKelmorFileError);
    EXPECT_EQ(engine.KeyCount(), 2);
    engine.DeleteKey(2);
    engine.AddStringKey("text", "after");
    engine.SaveNode(holder);
    ASSERT_EQ(engine.Flush(), kResultOK) << engine.LastErrorText();
    ASSERT_EQ(engine.Close(), kResultOK);
    EXPECT_FALSE(test::Exists(base + ".blb"));
    ASSERT_EQ(engine.OpenDatabase(base, true, admin), kResultOK);
    ASSERT_TRUE(engine.LoadNode(holder));
    EXPECT_EQ(engine.GetStringKey(2), "after");
    EXPECT_EQ(engine.Header().blobCount, 1);  // the blob's entry stays for its file to come back
}

TEST(ForeignIndexFile, IsRefusedAsNotADatabaseRatherThanAsAWrongLogon) {
    test::TTempDir dir;
    const std::string base = dir / "notes";
    test::WriteBytes(base + ".idx", std::vector<uint8_t>(400, 'x'));
    test::WriteBytes(base + ".dat", std::vector<uint8_t>(49, 0));
    for (bool readOnly : {true, false}) {
        TKelmorClass engine;
        EXPECT_EQ(engine.OpenDatabase(base, readOnly, TKelmorClass::MakeLogin("admin", "")), kResultDamaged);
        EXPECT_NE(engine.LastErrorText().find("is not the index file of a database"), std::string::npos)
            << engine.LastErrorText();
    }
    EXPECT_EQ(test::ReadBytes(base + ".idx"), std::vector<uint8_t>(400, 'x'));
}

// Counters at the largest ID a database can hand out: the next node or blob is refused as
// "database full" before anything changes, rather than overflowing.
TEST(IDCounters, AFullCounterRefusesTheNextIDBeforeAnythingChanges) {
    test::TTempDir dir;
    const std::string base = dir / "full";
    test::TRawDatabase raw;
    raw.nodes.push_back({1, 0, 5, test::MakeRecord("one"), 0, 0});
    raw.lastNodeID = kLargestID;
    raw.lastBlobID = kLargestID;
    raw.Write(base);
    TKelmorClass engine;
    ASSERT_EQ(engine.OpenDatabase(base, false, TKelmorClass::MakeLogin("admin", "secret")), kResultOK)
        << engine.LastErrorText();
    engine.ClearNode();
    engine.SetDescription("two");
    EXPECT_THROW(engine.CreateNode(0), EKelmorDatabaseFull);
    engine.MarkNode(1);
    EXPECT_THROW(engine.CreateLink(0), EKelmorDatabaseFull);
    EXPECT_THROW(engine.CopyMarkedNode(0), EKelmorDatabaseFull);
    ASSERT_TRUE(engine.LoadNode(1));
    const uint8_t byte = 1;
    EXPECT_THROW(engine.AddBlobKey("blob", &byte, 1), EKelmorDatabaseFull);
    EXPECT_EQ(engine.KeyCount(), 0);
    EXPECT_EQ(engine.Header().nodeCount, 1);
    EXPECT_EQ(engine.Header().blobCount, 0);
    EXPECT_EQ(engine.Header().lastNodeID, kLargestID);
    EXPECT_FALSE(engine.Modified());
}

}  // namespace
}  // namespace kelmor
