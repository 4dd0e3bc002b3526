// A save that fails on a full disk (here: a file size limit in a child process, which
// makes writes fail with EFBIG as a full disk makes them fail with ENOSPC) changes no
// file; closing after it neither deletes nor truncates anything.
#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <csignal>
#include <functional>

#include "engine/journal.h"
#include "engine/kelmorcheck.h"
#include "tests/testsupport/dbfixture.h"
#include "tests/testsupport/rawdatabase.h"

namespace kelmor {
namespace {

class FailedSaveTest : public test::DatabaseTest {
protected:
    // The last completed save: three nodes with a blob of 1000 bytes each.
    void SetUp() override {
        test::DatabaseTest::SetUp();
        for (int i = 1; i <= 3; ++i) {
            engine.ClearNode();
            engine.SetDescription("holder " + std::to_string(i));
            const std::vector<uint8_t> blob(1000, static_cast<uint8_t>(i));
            engine.AddBlobKey("blob", blob.data(), blob.size());
            engine.CreateNode(0);
        }
        ASSERT_EQ(engine.Close(), kResultOK);
        savedState = StateOnDisk();  // a read/write open and close: a completed save
        saved = Files();
    }
    std::vector<std::vector<uint8_t>> Files() const {
        return {test::ReadBytes(base + ".idx"), test::ReadBytes(base + ".dat"), test::ReadBytes(base + ".blb")};
    }
    std::string StateOnDisk() {
        TKelmorClass reader;
        EXPECT_EQ(reader.OpenDatabase(base, false, admin), kResultOK) << reader.LastErrorText();
        return test::DumpDatabase(reader);
    }
    // In a child whose files may not grow beyond `limit` bytes: opens the database, makes
    // the edit, then flushes and closes. Returns the child's exit code: 0 when both failed
    // and the error names the cause.
    int EditAndSaveWithinLimit(rlim_t limit, const std::function<void(TKelmorClass&)>& edit,
                               const std::string& failingFile = "") {
        const pid_t child = fork();
        if (child == 0) {
            TKelmorClass writer;
            if (writer.OpenDatabase(base, false, admin) != kResultOK) _exit(10);
            edit(writer);
            std::signal(SIGXFSZ, SIG_IGN);
            const rlimit cap{limit, limit};
            if (setrlimit(RLIMIT_FSIZE, &cap) != 0) _exit(11);
            if (writer.Flush() == kResultOK) _exit(12);
            if (writer.Close() == kResultOK) _exit(13);
            const std::string& error = writer.LastErrorText();
            _exit(error.find("File too large") != std::string::npos && error.find(failingFile) != std::string::npos
                      ? 0
                      : 14);
        }
        int status = 0;
        if (waitpid(child, &status, 0) != child || !WIFEXITED(status)) return -1;
        return WEXITSTATUS(status);
    }
    // Takes every blob key away (the blob count in memory becomes 0) and adds `count` nodes
    // with 200 bytes of text each.
    static std::function<void(TKelmorClass&)> DropBlobsAndAdd(int count) {
        return [count](TKelmorClass& writer) {
            for (int32_t node = 1; node <= 3; ++node) {
                writer.LoadNode(node);
                writer.DeleteKey(1);
                writer.SaveNode(node);
            }
            for (int i = 0; i < count; ++i) {
                writer.ClearNode();
                writer.SetDescription("new " + std::to_string(i));
                writer.AddStringKey("text", std::string(200, 'x'));
                writer.CreateNode(0);
            }
        };
    }

    // Sixty fillers make the data file longer than 12,000 bytes. Removing the last filler
    // but one (returned) moves only the last record forward: a journal of a few hundred
    // bytes, which fits under that limit, and a write beyond it, which fails once the save
    // is committed.
    int32_t AddFillers() {
        EXPECT_EQ(engine.OpenDatabase(base, false, admin), kResultOK);
        int32_t lastButOne = 0;
        for (int i = 0; i < 60; ++i) {
            engine.ClearNode();
            engine.SetDescription("filler " + std::to_string(i));
            engine.AddStringKey("text", std::string(200, 'f'));
            const int32_t id = engine.CreateNode(0);
            if (i == 58) lastButOne = id;
        }
        EXPECT_EQ(engine.Close(), kResultOK);
        EXPECT_GT(test::FileSize(base + ".dat"), 12000u);
        return lastButOne;
    }

    std::vector<std::vector<uint8_t>> saved;
    std::string savedState;
};

TEST_F(FailedSaveTest, ASaveThatCannotBeWrittenLeavesEveryFileAsTheLastSaveLeftIt) {
    struct TCase {
        rlim_t limit;
        std::function<void(TKelmorClass&)> edit;
        std::string failingFile;
    };
    // Node 1 without its blob moves the two other blobs forward: 2,000 bytes through the
    // journal, more than it may hold. 200 new nodes take about 45,000 bytes behind the end
    // of the data file.
    const auto dropFirstBlob = [](TKelmorClass& writer) {
        writer.LoadNode(1);
        writer.DeleteKey(1);
        writer.SaveNode(1);
    };
    for (const TCase& c : {TCase{1500, dropFirstBlob, ".kmj"}, TCase{20000, DropBlobsAndAdd(200), ".dat"}}) {
        SCOPED_TRACE(c.failingFile);
        ASSERT_EQ(EditAndSaveWithinLimit(c.limit, c.edit, c.failingFile), 0);
        EXPECT_EQ(Files(), saved);  // the blob file is still there, byte for byte
        EXPECT_FALSE(test::Exists(JournalPath(base)));
        EXPECT_FALSE(test::Exists(JournalTempPath(base)));
        EXPECT_TRUE(CheckDatabase(base).empty());
        TKelmorClass reader;
        ASSERT_EQ(reader.OpenDatabase(base, true, admin), kResultOK);
        EXPECT_EQ(test::DumpDatabase(reader), savedState);
        for (int32_t node = 1; node <= 3; ++node) {
            ASSERT_TRUE(reader.LoadNode(node));
            EXPECT_EQ(reader.GetBlobKey(1), std::vector<uint8_t>(1000, static_cast<uint8_t>(node)));
        }
    }
    EXPECT_EQ(StateOnDisk(), savedState);
}

TEST_F(FailedSaveTest, ASaveCommittedButNotWrittenCompletesAtTheNextOpen) {
    const int32_t lastButOne = AddFillers();
    savedState = StateOnDisk();
    const std::vector<uint8_t> blobFile = test::ReadBytes(base + ".blb");
    ASSERT_EQ(EditAndSaveWithinLimit(12000, [&](TKelmorClass& writer) { writer.DeleteNode(lastButOne); }), 0);
    EXPECT_TRUE(test::Exists(JournalPath(base)));
    EXPECT_EQ(test::ReadBytes(base + ".blb"), blobFile);
    const std::string state = StateOnDisk();  // completes the save
    EXPECT_NE(state, savedState);
    EXPECT_EQ(state.find("filler 58"), std::string::npos);
    EXPECT_NE(state.find("filler 59"), std::string::npos);
    EXPECT_FALSE(test::Exists(JournalPath(base)));
    EXPECT_TRUE(CheckDatabase(base).empty());
}

TEST_F(FailedSaveTest, EditsAfterASaveCommittedButNotWrittenAreSavedWithIt) {
    const int32_t lastButOne = AddFillers();
    const pid_t child = fork();
    if (child == 0) {
        TKelmorClass writer;
        if (writer.OpenDatabase(base, false, admin) != kResultOK) _exit(10);
        writer.DeleteNode(lastButOne);
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit cap{12000, RLIM_INFINITY};
        if (setrlimit(RLIMIT_FSIZE, &cap) != 0) _exit(11);
        if (writer.Flush() == kResultOK) _exit(12);  // committed, not written
        cap.rlim_cur = RLIM_INFINITY;
        if (setrlimit(RLIMIT_FSIZE, &cap) != 0) _exit(11);
        // More than the store keeps in memory: the new records must not lie where the
        // committed save, once written, cuts the data file off.
        for (int i = 0; i < 3000; ++i) {
            writer.ClearNode();
            writer.SetDescription("later " + std::to_string(i));
            writer.AddStringKey("text", std::string(200, 'l'));
            writer.AddStringKey("more", std::string(200, 'm'));
            writer.CreateNode(0);
        }
        _exit(writer.Flush() == kResultOK && writer.Close() == kResultOK ? 0 : 13);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    ASSERT_EQ(WEXITSTATUS(status), 0);
    EXPECT_TRUE(CheckDatabase(base).empty());
    const std::string state = StateOnDisk();
    EXPECT_EQ(state.find("filler 58"), std::string::npos);
    EXPECT_NE(state.find("\"later 2999\" | text:5=" + std::string(200, 'l') + " | more:5=" + std::string(200, 'm')),
              std::string::npos);
}

}  // namespace
}  // namespace kelmor
