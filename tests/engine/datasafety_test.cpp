#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>

#include "engine/journal.h"
#include "engine/kelmorcheck.h"
#include "tests/testsupport/dbfixture.h"
#include "tests/testsupport/rawdatabase.h"

namespace kelmor {
namespace {

struct TSnapshot {
    std::vector<uint8_t> index, data, blob;
    bool operator==(const TSnapshot&) const = default;
};

// A database with a flushed state A on disk, and the changes that make state B. The
// changes are made by an engine of their own (in a child process when the flush is to be
// cut short), since only one engine at a time may write a database.
class DataSafetyTest : public test::DatabaseTest {
protected:
    void SetUp() override {
        test::DatabaseTest::SetUp();
        for (int i = 1; i <= 20; ++i) {
            engine.ClearNode();
            engine.SetDescription("node " + std::to_string(i));
            engine.AddLongintKey("number", i);
            const std::vector<uint8_t> blob(100 + i, static_cast<uint8_t>(i));
            engine.AddBlobKey("blob", blob.data(), blob.size());
            engine.CreateNode(0);
        }
        ASSERT_EQ(engine.Flush(), kResultOK);
        stateA = test::DumpDatabase(engine);
        ASSERT_EQ(engine.Close(), kResultOK);
        filesA = Snapshot();
        // State B as it looks in memory, worked out on a copy of the files.
        const std::string copy = dir / "copy";
        for (const char* extension : {".idx", ".dat", ".blb"})
            test::WriteBytes(copy + extension, test::ReadBytes(base + extension));
        TKelmorClass other;
        ASSERT_EQ(other.OpenDatabase(copy, false, admin), kResultOK);
        ChangeToStateB(other);
        stateB = test::DumpDatabase(other);
        ASSERT_NE(stateA, stateB);
    }
    static void ChangeToStateB(TKelmorClass& writer) {
        writer.LoadNode(3);
        writer.SetDescription("node three, renamed to something longer");
        writer.DeleteKey(2);  // its blob
        writer.SaveNode(3);
        writer.LoadNode(10);
        writer.SetDescription("node X");  // same length: rewritten in its place
        writer.SaveNode(10);
        writer.ClearNode();
        writer.SetDescription("new");
        const uint8_t bytes[3] = {1, 2, 3};
        writer.AddBlobKey("fresh", bytes, 3);
        writer.CreateNode(1);
        writer.SetUser(2, "clerk", "pw");
    }
    TSnapshot Snapshot() const {
        return {test::ReadBytes(base + ".idx"), test::ReadBytes(base + ".dat"), test::ReadBytes(base + ".blb")};
    }
    // A child process opens the database, makes state B and flushes, dying at `point`;
    // returns after the child is gone (as a crash would, that lets go of its lock).
    void FlushAndDieAt(TFlushPoint point) {
        static TFlushPoint stopAt;
        stopAt = point;
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            TKelmorClass writer;
            if (writer.OpenDatabase(base, false, admin) != kResultOK) _exit(4);
            ChangeToStateB(writer);
            SetFlushPointHook([](TFlushPoint reached) {
                if (reached == stopAt) _exit(0);
            });
            writer.Flush();
            _exit(3);  // the flush should not have finished
        }
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFEXITED(status));
        ASSERT_EQ(WEXITSTATUS(status), 0);
    }
    // Whether every file still begins with its bytes of state A.
    bool OnlyAddedBehindTheEnds() const {
        const TSnapshot now = Snapshot();
        auto begins = [](const std::vector<uint8_t>& file, const std::vector<uint8_t>& head) {
            return file.size() >= head.size() && std::equal(head.begin(), head.end(), file.begin());
        };
        return begins(now.index, filesA.index) && begins(now.data, filesA.data) && begins(now.blob, filesA.blob);
    }
    std::string OpenedState(bool readOnly = false) {
        TKelmorClass reader;
        EXPECT_EQ(reader.OpenDatabase(base, readOnly, admin), kResultOK) << reader.LastErrorText();
        return test::DumpDatabase(reader);
    }

    std::string stateA, stateB;
    TSnapshot filesA;
};

TEST_F(DataSafetyTest, BetweenFlushesTheFilesOnDiskDoNotChange) {
    ASSERT_EQ(engine.OpenDatabase(base, false, admin), kResultOK);
    ChangeToStateB(engine);
    EXPECT_EQ(test::DumpDatabase(engine), stateB);
    EXPECT_EQ(Snapshot(), filesA);
    EXPECT_EQ(OpenedState(true), stateA);  // a reader sees the flushed state
}

TEST_F(DataSafetyTest, AFlushInterruptedBeforeItsCommitLeavesTheOldState) {
    for (TFlushPoint point : {TFlushPoint::TailsWritten, TFlushPoint::JournalWritten}) {
        SCOPED_TRACE(static_cast<int>(point));
        FlushAndDieAt(point);
        EXPECT_TRUE(OnlyAddedBehindTheEnds());
        EXPECT_NE(Snapshot(), filesA);
        EXPECT_EQ(OpenedState(true), stateA);  // a reader ignores what nothing refers to
        EXPECT_TRUE(test::Exists(JournalTempPath(base)));
        TKelmorClass writer;
        ASSERT_EQ(writer.OpenDatabase(base, false, admin), kResultOK) << writer.LastErrorText();
        EXPECT_EQ(test::DumpDatabase(writer), stateA);
        writer.Discard();
        EXPECT_EQ(Snapshot(), filesA);  // the writer cut the files back
        EXPECT_FALSE(test::Exists(JournalTempPath(base)));
    }
}

TEST_F(DataSafetyTest, AFlushInterruptedRightAfterItsCommitOpensInTheNewState) {
    FlushAndDieAt(TFlushPoint::JournalCommitted);
    EXPECT_TRUE(OnlyAddedBehindTheEnds());
    EXPECT_EQ(OpenedState(), stateB);
    EXPECT_FALSE(test::Exists(JournalPath(base)));
}

TEST_F(DataSafetyTest, AFlushInterruptedHalfwayThroughWritingTheFilesOpensInTheNewState) {
    FlushAndDieAt(TFlushPoint::JournalHalfApplied);
    EXPECT_NE(Snapshot(), filesA);
    EXPECT_EQ(OpenedState(), stateB);
    EXPECT_FALSE(test::Exists(JournalPath(base)));
}

// More than the store keeps in memory (1 MiB each of records and blobs), so that the
// scratch data goes behind the committed ends of the files.
void AddLargeNodes(TKelmorClass& writer, int count) {
    for (int i = 0; i < count; ++i) {
        writer.ClearNode();
        writer.SetDescription("large " + std::to_string(i));
        writer.AddStringKey("text", std::string(250, static_cast<char>('a' + i % 26)));
        writer.AddStringKey("more", std::string(250, static_cast<char>('A' + i % 26)));
        const std::vector<uint8_t> blob(1500, static_cast<uint8_t>(i));
        writer.AddBlobKey("blob", blob.data(), blob.size());
        writer.CreateNode(i % 3 == 0 ? 0 : 1);
    }
}

TEST_F(DataSafetyTest, ScratchDataBehindTheEndsGoesWhenTheSessionEndsWithoutASave) {
    for (bool killed : {true, false}) {
        SCOPED_TRACE(killed ? "killed" : "discarded");
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            TKelmorClass writer;
            if (writer.OpenDatabase(base, false, admin) != kResultOK) _exit(4);
            AddLargeNodes(writer, 3000);
            if (!killed) writer.Discard();
            _exit(0);  // as a crash would end it: no save, no cleaning up
        }
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
        if (killed) {
            EXPECT_TRUE(OnlyAddedBehindTheEnds());
            EXPECT_GT(test::FileSize(base + ".dat"), filesA.data.size() + (1u << 19));
            EXPECT_GT(test::FileSize(base + ".blb"), filesA.blob.size() + (1u << 19));
            EXPECT_EQ(OpenedState(true), stateA);
            TKelmorClass writer;
            ASSERT_EQ(writer.OpenDatabase(base, false, admin), kResultOK) << writer.LastErrorText();
            writer.Discard();
        }
        EXPECT_EQ(Snapshot(), filesA);
        EXPECT_FALSE(test::Exists(JournalTempPath(base)));
    }
}

TEST_F(DataSafetyTest, AFlushOfScratchDataBehindTheEndsKeepsEveryValue) {
    ASSERT_EQ(engine.OpenDatabase(base, false, admin), kResultOK);
    AddLargeNodes(engine, 3000);
    ChangeToStateB(engine);
    // Early new nodes go again, so that later scratch data has to move forward.
    for (int32_t id = 21; id <= 1500; id += 7) engine.DeleteNode(id);
    const std::string expected = test::DumpDatabase(engine);
    ASSERT_EQ(engine.Flush(), kResultOK) << engine.LastErrorText();
    EXPECT_FALSE(test::Exists(JournalTempPath(base)));
    AddLargeNodes(engine, 10);  // the next session of scratch data starts behind the new ends
    engine.DeleteNode(22);
    const std::string expectedLater = test::DumpDatabase(engine);
    ASSERT_EQ(engine.Close(), kResultOK) << engine.LastErrorText();
    EXPECT_NE(expected, expectedLater);
    EXPECT_TRUE(CheckDatabase(base).empty());
    EXPECT_EQ(OpenedState(true), expectedLater);
}

TEST_F(DataSafetyTest, AFlushedDatabaseHasNoGapsAndReopensWithEveryValue) {
    ASSERT_EQ(engine.OpenDatabase(base, false, admin), kResultOK);
    ChangeToStateB(engine);
    ASSERT_EQ(engine.Flush(), kResultOK);
    const TSnapshot files = Snapshot();
    const auto index = test::DecodeIndex(files.index);
    // Records and blobs follow one another from position 49 to the end of their files.
    std::vector<std::pair<int32_t, size_t>> records;
    for (const auto& entry : index.nodes)
        if (entry.position > 0) records.emplace_back(entry.position, test::RecordAt(files.data, entry.position).size());
    std::sort(records.begin(), records.end());
    size_t expected = 49;
    for (const auto& [position, length] : records) {
        EXPECT_EQ(static_cast<size_t>(position), expected);
        expected += length;
    }
    EXPECT_EQ(files.data.size(), expected);
    EXPECT_EQ(index.blobs.size(), 20u);
    engine.Close();
    EXPECT_EQ(OpenedState(), stateB);
}

}  // namespace
}  // namespace kelmor
