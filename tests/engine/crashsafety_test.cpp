// A child process edits a database and flushes it again and again; the test kills it
// with SIGKILL at random moments and checks that the database then opens in the state of
// one completed flush (the last one, or the one in progress) and is sound.
// KELMOR_CRASH_KILLS sets the number of kills (200 by default).
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <random>
#include <sstream>
#include <thread>

#include "engine/kelmorcheck.h"
#include "tests/testsupport/dbfixture.h"

namespace kelmor {
namespace {

constexpr int32_t kGenerationNode = 1;

int32_t Generation(TKelmorClass& engine) {
    if (!engine.LoadNode(kGenerationNode)) return -1;
    return engine.GetLongintKey(engine.FindKey("generation"));
}

std::vector<int32_t> Nodes(TKelmorClass& engine, bool withLinks) {
    std::vector<int32_t> ids;
    for (int32_t id = 2; id <= engine.Header().lastNodeID; ++id)
        if (engine.NodeExists(id) && (withLinks || !engine.IsLink(id))) ids.push_back(id);
    return ids;
}

// One batch of edits, the same for the same generation: new nodes with keys and blobs,
// changed records, a deleted branch, a link, and the generation itself.
void EditBatch(TKelmorClass& engine, int32_t generation) {
    std::mt19937 random(static_cast<uint32_t>(generation));
    auto pick = [&](const std::vector<int32_t>& ids) {
        return ids[std::uniform_int_distribution<size_t>(0, ids.size() - 1)(random)];
    };
    auto text = [&](size_t most) {
        return std::string(std::uniform_int_distribution<size_t>(0, most)(random),
                           static_cast<char>('a' + generation % 26));
    };
    const int creations = std::uniform_int_distribution<int>(1, 4)(random);
    for (int i = 0; i < creations; ++i) {
        std::vector<int32_t> parents = Nodes(engine, false);
        parents.push_back(0);
        engine.ClearNode();
        engine.SetDescription("node " + std::to_string(generation) + "." + std::to_string(i));
        engine.AddStringKey("text", text(100));
        if (random() % 3 == 0) {
            const std::vector<uint8_t> blob(std::uniform_int_distribution<size_t>(0, 3000)(random),
                                            static_cast<uint8_t>(generation));
            engine.AddBlobKey("blob", blob.data(), blob.size());
        }
        engine.CreateNode(pick(parents));
    }
    std::vector<int32_t> nodes = Nodes(engine, false);
    for (int i = 0; i < 3 && !nodes.empty(); ++i) {
        const int32_t id = pick(nodes);
        engine.LoadNode(id);
        engine.SetDescription("changed " + text(40));
        if (engine.KeyCount() > 0 && random() % 2 == 0) engine.DeleteKey(engine.KeyCount());
        else engine.AddLongintKey("n", generation);
        engine.SaveNode(id);
    }
    if (generation % 4 == 0 || nodes.size() > 120) {
        if (!nodes.empty()) engine.DeleteNode(pick(nodes));
    }
    nodes = Nodes(engine, false);
    if (generation % 5 == 0 && !nodes.empty()) {
        engine.MarkNode(pick(nodes));
        engine.CreateLink(0);
        engine.MarkNode(0);
    }
    // Now and then blobs larger together than the store keeps in memory, gone again a
    // generation later: their bytes go behind the committed end of the blob file.
    engine.LoadNode(kGenerationNode);
    const uint16_t bigKey = engine.FindKey("big");
    const int32_t big = bigKey ? engine.GetLongintKey(bigKey) : 0;
    if (big != 0 && engine.NodeExists(big)) engine.DeleteNode(big);
    int32_t newBig = 0;
    if (generation % 10 == 0) {
        const std::vector<uint8_t> blob(60000, static_cast<uint8_t>(generation));
        engine.ClearNode();
        engine.SetDescription("big " + std::to_string(generation));
        for (int i = 0; i < 18; ++i) engine.AddBlobKey("blob", blob.data(), blob.size());
        newBig = engine.CreateNode(0);
    }
    engine.LoadNode(kGenerationNode);
    if (const uint16_t key = engine.FindKey("big")) engine.DeleteKey(key);
    if (newBig != 0) engine.AddLongintKey("big", newBig);
    engine.DeleteKey(engine.FindKey("generation"));
    engine.AddLongintKey("generation", generation);
    engine.SaveNode(kGenerationNode);
}

void WriteAtomically(const std::string& path, const std::string& content) {
    {
        std::ofstream out(path + ".tmp", std::ios::trunc);
        out << content;
    }
    std::rename((path + ".tmp").c_str(), path.c_str());
}

std::string ReadText(const std::string& path) {
    std::ifstream in(path);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

class CrashSafetyTest : public test::DatabaseTest {
protected:
    std::string ExpectedPath(int32_t generation) { return dir / ("expected" + std::to_string(generation)); }
    std::string DonePath() { return dir / "done"; }

    // The child: edits and flushes until it is killed.
    [[noreturn]] void EditForever() {
        TKelmorClass child;
        if (child.OpenDatabase(base, false, admin) != kResultOK) _exit(2);
        for (int32_t generation = Generation(child) + 1;; ++generation) {
            EditBatch(child, generation);
            WriteAtomically(ExpectedPath(generation), test::DumpDatabase(child));
            if (child.Flush() != kResultOK) _exit(3);
            WriteAtomically(DonePath(), std::to_string(generation));
        }
    }
};

TEST_F(CrashSafetyTest, EveryKillLeavesTheStateOfOneCompletedFlush) {
    engine.ClearNode();
    engine.SetDescription("generation holder");
    engine.AddLongintKey("generation", 0);
    ASSERT_EQ(engine.CreateNode(0), kGenerationNode);
    WriteAtomically(ExpectedPath(0), test::DumpDatabase(engine));
    WriteAtomically(DonePath(), "0");
    engine.Close();

    const char* setting = std::getenv("KELMOR_CRASH_KILLS");
    const int kills = setting ? std::max(1, std::atoi(setting)) : 200;
    std::mt19937 random(4242);
    int32_t generationsSeen = 0;
    int idleKills = 0;  // kills in a row without a new flush: a busy machine needs longer runs
    for (int kill = 0; kill < kills; ++kill) {
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) EditForever();
        const int extra = std::min(idleKills, 400) * 2000;
        std::this_thread::sleep_for(
            std::chrono::microseconds(std::uniform_int_distribution<int>(200, 12000)(random) + extra));
        ::kill(child, SIGKILL);
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFSIGNALED(status)) << "the child ended by itself with " << WEXITSTATUS(status);

        const int32_t done = std::stoi(ReadText(DonePath()));
        TKelmorClass reader;
        ASSERT_EQ(reader.OpenDatabase(base, false, admin), kResultOK)
            << "kill " << kill << ": " << reader.LastErrorText();
        const int32_t generation = Generation(reader);
        ASSERT_TRUE(generation == done || generation == done + 1)
            << "kill " << kill << ": generation " << generation << " after " << done << " completed flushes";
        ASSERT_EQ(test::DumpDatabase(reader), ReadText(ExpectedPath(generation))) << "kill " << kill;
        if (generation == done + 1) WriteAtomically(DonePath(), std::to_string(generation));
        reader.Close();
        const std::vector<TCheckFinding> findings = CheckDatabase(base);
        ASSERT_TRUE(findings.empty()) << "kill " << kill << ": " << findings.front().file << ": "
                                      << findings.front().problem;
        idleKills = generation > generationsSeen ? 0 : idleKills + 1;
        generationsSeen = generation;
    }
    EXPECT_GE(generationsSeen, kills / 20);  // the kills landed among many flushes
}

}  // namespace
}  // namespace kelmor
