#include <gtest/gtest.h>

#include "engine/journal.h"
#include "engine/tkelmor.h"
#include "tests/testsupport/rawdatabase.h"
#include "tests/testsupport/tempdir.h"

namespace kelmor {
namespace {

class JournalTest : public ::testing::Test {
protected:
    test::TTempDir dir;
    std::string base = dir / "db";
    TKelmorLogin admin = TKelmorClass::MakeLogin("admin", "secret");

    // Leaves behind a committed journal that turns the database into `next`, as a flush
    // interrupted right after its commit would.
    void CommitWithoutApplying(const test::TRawDatabase& next) {
        TJournalWriter journal;
        ASSERT_EQ(journal.Begin(base), 0);
        const auto index = next.IndexBytes(), data = next.DataBytes(), blob = next.BlobBytes();
        journal.Write(TJournalFile::Index, 0, index.data(), index.size());
        journal.Truncate(TJournalFile::Index, index.size());
        journal.Write(TJournalFile::Data, 0, data.data(), data.size());
        journal.Truncate(TJournalFile::Data, data.size());
        journal.Write(TJournalFile::Blob, 0, blob.data(), blob.size());
        journal.Truncate(TJournalFile::Blob, blob.size());
        ASSERT_EQ(journal.Commit(), 0);
    }
    test::TRawDatabase Before() {
        test::TRawDatabase raw;
        raw.nodes.push_back({1, 0, 5, test::MakeRecord("a long first description"), 0, 0});
        return raw;
    }
    test::TRawDatabase After() {
        test::TRawDatabase raw;
        raw.nodes.push_back({1, 0, 5, test::MakeRecord("one"), 0, 0});
        raw.nodes.push_back({2, 0, 5, test::MakeRecord("two"), 0, 0});
        raw.blobs.push_back({1, {7, 7, 7}, 0});
        raw.stamp = 99;
        return raw;
    }
};

TEST_F(JournalTest, CommittedJournalIsCompletedByTheNextOpenForWriting) {
    Before().Write(base);
    CommitWithoutApplying(After());
    ASSERT_TRUE(test::Exists(JournalPath(base)));
    {
        TKelmorClass engine;
        ASSERT_EQ(engine.OpenDatabase(base, false, admin), kResultOK);
        EXPECT_EQ(engine.GetInfo().nodeCount, 2);
        EXPECT_EQ(engine.GetInfo().blobCount, 1);
        EXPECT_FALSE(test::Exists(JournalPath(base)));
        EXPECT_EQ(test::ReadBytes(base + ".dat"), After().DataBytes());
    }
}

TEST_F(JournalTest, ReadOnlyOpenRefusesAPendingJournalAndChangesNothing) {
    Before().Write(base);
    CommitWithoutApplying(After());
    const auto index = test::ReadBytes(base + ".idx");
    TKelmorClass engine;
    EXPECT_EQ(engine.OpenDatabase(base, true, admin), kResultDamaged);
    EXPECT_NE(engine.LastErrorText().find("did not finish"), std::string::npos);
    EXPECT_EQ(test::ReadBytes(base + ".idx"), index);
    EXPECT_TRUE(test::Exists(JournalPath(base)));
}

TEST_F(JournalTest, UncommittedJournalIsDiscarded) {
    Before().Write(base);
    test::WriteBytes(JournalTempPath(base), {'K', 'M', 'J', '1', 1, 0});
    TKelmorClass engine;
    ASSERT_EQ(engine.OpenDatabase(base, false, admin), kResultOK);
    EXPECT_EQ(engine.GetInfo().nodeCount, 1);
    EXPECT_FALSE(test::Exists(JournalTempPath(base)));
}

TEST_F(JournalTest, DamagedCommittedJournalIsReportedNotApplied) {
    Before().Write(base);
    CommitWithoutApplying(After());
    std::vector<uint8_t> journal = test::ReadBytes(JournalPath(base));
    for (size_t cut : {journal.size() - 1, size_t{30}, size_t{3}}) {
        test::WriteBytes(JournalPath(base),
                         std::vector<uint8_t>(journal.begin(), journal.begin() + static_cast<long>(cut)));
        EXPECT_NE(VerifyJournal(JournalPath(base)), "");
        TKelmorClass engine;
        EXPECT_EQ(engine.OpenDatabase(base, false, admin), kResultDamaged);
        EXPECT_NE(engine.LastErrorText().find("unfinished save"), std::string::npos);
        EXPECT_EQ(test::ReadBytes(base + ".dat"), Before().DataBytes());
    }
}

}  // namespace
}  // namespace kelmor
