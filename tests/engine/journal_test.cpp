#include <gtest/gtest.h>

#include "engine/journal.h"
#include "engine/kelmorcheck.h"
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

// A save interrupted before its commit: bytes behind the ends of the data and blob files,
// and the journal naming the sizes of the last completed save (or cut short before its
// sizes were complete, when nothing had been written behind an end yet).
TEST_F(JournalTest, UncommittedSaveIsCutBackByTheNextOpenForWriting) {
    {
        TKelmorClass engine;
        ASSERT_EQ(engine.CreateDatabase(base, admin), kResultOK);
        engine.ClearNode();
        engine.SetDescription("a long first description");
        const uint8_t bytes[4] = {1, 2, 3, 4};
        engine.AddBlobKey("blob", bytes, sizeof(bytes));
        engine.CreateNode(0);
        ASSERT_EQ(engine.Close(), kResultOK);
    }
    const auto data = test::ReadBytes(base + ".dat"), blob = test::ReadBytes(base + ".blb");
    auto withTail = [](std::vector<uint8_t> bytes) {
        bytes.insert(bytes.end(), 3000, 0xEE);
        return bytes;
    };
    test::WriteBytes(base + ".dat", withTail(data));
    test::WriteBytes(base + ".blb", withTail(blob));
    TJournalWriter journal;
    TCommittedSizes committed;
    committed.sizes = {kUnknownFileSize, data.size(), blob.size()};
    ASSERT_EQ(journal.Begin(base, committed), 0);
    journal.SecureCommittedSizes();
    journal.LeaveForNextOpen();
    {
        const auto findings = CheckDatabase(base);
        ASSERT_FALSE(findings.empty());
        EXPECT_NE(findings.front().problem.find("cuts .dat back to the " + std::to_string(data.size()) + " bytes"),
                  std::string::npos);
    }
    {
        TKelmorClass reader;  // reads what the last save wrote, and changes nothing
        ASSERT_EQ(reader.OpenDatabase(base, true, admin), kResultOK) << reader.LastErrorText();
        EXPECT_EQ(reader.GetDescription(), "");
        EXPECT_TRUE(reader.LoadNode(1));
        EXPECT_EQ(reader.GetDescription(), "a long first description");
        EXPECT_EQ(test::ReadBytes(base + ".dat"), withTail(data));
        EXPECT_TRUE(test::Exists(JournalTempPath(base)));
    }
    TKelmorClass writer;
    ASSERT_EQ(writer.OpenDatabase(base, false, admin), kResultOK) << writer.LastErrorText();
    writer.Discard();
    EXPECT_EQ(test::ReadBytes(base + ".dat"), data);
    EXPECT_EQ(test::ReadBytes(base + ".blb"), blob);
    EXPECT_FALSE(test::Exists(JournalTempPath(base)));
    EXPECT_TRUE(CheckDatabase(base).empty());
}

TEST_F(JournalTest, UncommittedJournalWithoutCompleteSizesOrWithLargerSizesCutsNothing) {
    Before().Write(base);
    const auto data = test::ReadBytes(base + ".dat");
    TJournalWriter journal;
    TCommittedSizes larger;
    larger.sizes = {kUnknownFileSize, data.size() + 100, kUnknownFileSize};
    ASSERT_EQ(journal.Begin(base, larger), 0);
    journal.SecureCommittedSizes();
    journal.LeaveForNextOpen();
    const auto whole = test::ReadBytes(JournalTempPath(base));
    for (size_t cut : {whole.size(), size_t{4} + 8 + 3}) {
        test::WriteBytes(JournalTempPath(base), std::vector<uint8_t>(whole.begin(), whole.begin() + long(cut)));
        TKelmorClass writer;
        ASSERT_EQ(writer.OpenDatabase(base, false, admin), kResultOK) << writer.LastErrorText();
        writer.Discard();
        EXPECT_EQ(test::ReadBytes(base + ".dat"), data) << cut;  // never grown to the larger size
        EXPECT_FALSE(test::Exists(JournalTempPath(base)));
    }
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
