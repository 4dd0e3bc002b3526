#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "tests/testsupport/dbfixture.h"
#include "tests/testsupport/rawdatabase.h"

namespace kelmor {
namespace {

struct TMatch {
    int32_t id;
    int foundIn;
    int foundKey;
    bool operator==(const TMatch&) const = default;
};
std::ostream& operator<<(std::ostream& out, const TMatch& m) {
    return out << "{" << m.id << "," << m.foundIn << "," << m.foundKey << "}";
}

std::vector<TMatch> AllMatches(TKelmorClass& engine, TKelmorSearch& search) {
    std::vector<TMatch> matches;
    for (int32_t id = engine.SearchFirst(search); id > 0; id = engine.SearchNext(search)) {
        matches.push_back({id, search.foundIn, search.foundKey});
        if (matches.size() > 100) break;
    }
    return matches;
}

// root
//   1 "Alpha" (colour = "alpha red", note = "ALPHA note", size = 12)
//     2 "child"
//   3 "gamma" (level 2)
//     4 "alpha hidden"
//   5 -> 1
//   6 "delta"
//     7 -> 6 (a link to its own parent)
//     8 -> 9, broken (9 "doomed" was deleted)
class SearchTest : public test::DatabaseTest {
protected:
    void SetUp() override {
        test::DatabaseTest::SetUp();
        engine.ClearNode();
        engine.SetDescription("Alpha");
        engine.AddStringKey("colour", "alpha red");
        engine.AddStringKey("note", "ALPHA note");
        engine.AddLongintKey("size", 12);
        ASSERT_EQ(engine.CreateNode(0), 1);
        AddNode("child", 1);
        AddNode("gamma");
        AddNode("alpha hidden", 3);
        engine.MarkNode(1);
        ASSERT_EQ(engine.CreateLink(0), 5);
        AddNode("delta");
        engine.MarkNode(6);
        ASSERT_EQ(engine.CreateLink(6), 7);
        const int32_t doomed = AddNode("doomed");
        engine.MarkNode(doomed);
        ASSERT_EQ(engine.CreateLink(6), 9);
        engine.DeleteNode(doomed);
        engine.SetNodeSecurity(3, 2, false);
        engine.SetUser(3, "three", "pw");
        ASSERT_EQ(engine.Flush(), kResultOK);
    }
    TKelmorSearch Search(const std::string& text, uint16_t flags, int32_t start = 0) {
        TKelmorSearch search;
        search.searchText = text;
        search.flags = flags;
        search.startNode = start;
        return search;
    }
};

TEST_F(SearchTest, ANodeMatchingInItsDescriptionAndTwoValuesIsReportedThreeTimesInARow) {
    TKelmorSearch search = Search("alpha", sfNodeDescriptions | sfKeyValues);
    EXPECT_EQ(AllMatches(engine, search), (std::vector<TMatch>{{1, 1, 0}, {1, 3, 1}, {1, 3, 2}, {4, 1, 0}}));
    EXPECT_TRUE(TKelmorClass::NoSearchMatch(search));
    EXPECT_EQ(engine.SearchNext(search), -1);  // finished
}

TEST_F(SearchTest, KeyNamesAndValuesOfOneKeyAreReportedInTurn) {
    engine.ClearNode();
    engine.SetDescription("keys");
    engine.AddStringKey("xa", "xb");
    engine.AddStringKey("xc", "none");
    const int32_t id = engine.CreateNode(0);
    TKelmorSearch search = Search("X", sfKeyNames | sfKeyValues | sfSubNodesOnly, 0);
    const auto matches = AllMatches(engine, search);
    const std::vector<TMatch> expected = {{id, 2, 1}, {id, 3, 1}, {id, 2, 2}};
    EXPECT_EQ(std::vector<TMatch>(matches.end() - 3, matches.end()), expected);
    TKelmorSearch caseSensitive = Search("X", sfKeyNames | sfKeyValues | sfCaseSensitive);
    EXPECT_TRUE(AllMatches(engine, caseSensitive).empty());
}

TEST_F(SearchTest, AUserDoesNotFindNodesAboveTheirLevelNorTheirBranches) {
    engine.Close();
    ASSERT_EQ(engine.OpenDatabase(base, true, TKelmorClass::MakeLogin("three", "pw")), kResultOK);
    TKelmorSearch search = Search("alpha", sfNodeDescriptions | sfKeyValues);
    EXPECT_EQ(AllMatches(engine, search), (std::vector<TMatch>{{1, 1, 0}, {1, 3, 1}, {1, 3, 2}}));
}

TEST_F(SearchTest, LinksAreFollowedOnlyBelowAStartNodeAndNeverRoundACycle) {
    TKelmorSearch whole = Search("alpha", sfNodeDescriptions | sfScanLinks);
    EXPECT_EQ(AllMatches(engine, whole), (std::vector<TMatch>{{1, 1, 0}, {4, 1, 0}}));
    TKelmorSearch following = Search("alpha", sfNodeDescriptions | sfScanLinks | sfSubNodesOnly, 0);
    EXPECT_EQ(AllMatches(engine, following), (std::vector<TMatch>{{1, 1, 0}, {4, 1, 0}, {1, 1, 0}}));
    TKelmorSearch delta = Search("delta", sfNodeDescriptions | sfScanLinks | sfSubNodesOnly, 6);
    EXPECT_TRUE(AllMatches(engine, delta).empty());  // 7 leads back to 6, which is on the stack
    TKelmorSearch below = Search("child", sfNodeDescriptions | sfSubNodesOnly, 1);
    EXPECT_EQ(AllMatches(engine, below), (std::vector<TMatch>{{2, 1, 0}}));
    TKelmorSearch missing = Search("child", sfNodeDescriptions | sfSubNodesOnly, 99);
    EXPECT_EQ(engine.SearchFirst(missing), -1);
}

TEST_F(SearchTest, BrokenLinksAreFoundOnceEach) {
    TKelmorSearch search = Search("", sfBrokenLinks | sfScanLinks);
    EXPECT_EQ(AllMatches(engine, search), (std::vector<TMatch>{{9, 1, 0}}));
    EXPECT_EQ(search.flags & sfScanLinks, 0);
}

TEST_F(SearchTest, WildcardsAndWholeTexts) {
    for (const char* name : {"ABC.TXT", "ABC.DOC", "AB", "ABC", "ABCD"}) AddNode(name);
    auto found = [&](const std::string& text, uint16_t flags) {
        TKelmorSearch search = Search(text, sfNodeDescriptions | flags);
        std::vector<std::string> names;
        for (const TMatch& m : AllMatches(engine, search)) {
            engine.LoadNode(m.id);
            names.push_back(engine.GetDescription());
        }
        return names;
    };
    EXPECT_EQ(found("A*.TXT", sfWildcards), (std::vector<std::string>{"ABC.TXT"}));
    EXPECT_EQ(found("AB?", sfWildcards), (std::vector<std::string>{"AB", "ABC"}));
    EXPECT_EQ(found("abc", sfWholeValue), (std::vector<std::string>{"ABC"}));
    EXPECT_EQ(found("bc.", 0), (std::vector<std::string>{"ABC.TXT", "ABC.DOC"}));
}

TEST_F(SearchTest, CancellingStopsTheSearchAndReportsNoMatch) {
    TKelmorSearch search = Search("alpha", sfNodeDescriptions | sfKeyValues);
    search.progressStep = 1;  // a report for every node reached, after the first one (0)
    search.onProgress = [&](TKelmorClass& e, int percent) {
        if (percent > 0) e.CancelSearch(search);
    };
    EXPECT_EQ(engine.SearchFirst(search), -1);  // node 1 matches, but the search was cancelled
    EXPECT_TRUE(TKelmorClass::NoSearchMatch(search));

    // between two steps (as the replace command's Abort does), it ends the current match
    TKelmorSearch stepped = Search("alpha", sfNodeDescriptions);
    ASSERT_EQ(engine.SearchFirst(stepped), 1);
    EXPECT_FALSE(TKelmorClass::NoSearchMatch(stepped));
    engine.CancelSearch(stepped);
    EXPECT_TRUE(TKelmorClass::NoSearchMatch(stepped));
}

// The search runs on this thread and can end only by being cancelled from another one:
// its two nodes change places each time it reaches one, so the walk always has a next
// sibling. The threads meet only in CancelSearch, so a plain write there to the search
// record is a race that ThreadSanitizer reports.
TEST_F(SearchTest, CancellingFromAnotherThreadStopsARunningSearch) {
    const int32_t turns = AddNode("turns");
    const int32_t first = AddNode("first", turns);
    const int32_t second = AddNode("second", turns);
    TKelmorSearch search = Search("nowhere", sfNodeDescriptions | sfKeyNames | sfKeyValues | sfSubNodesOnly, turns);
    search.progressStep = 1;
    int reached = 0;
    std::atomic<bool> walking{false};
    search.onProgress = [&](TKelmorClass& e, int) {
        if (search.nodesReached == 0) return;               // the report before the walk
        if (++reached > 1) e.ExchangeNodes(first, second);  // the node just reached comes first
        walking = true;
    };
    std::thread canceller([&] {
        while (!walking) std::this_thread::yield();
        engine.CancelSearch(search);
    });
    EXPECT_EQ(engine.SearchFirst(search), -1);
    canceller.join();
    EXPECT_TRUE(TKelmorClass::NoSearchMatch(search));
}

TEST_F(SearchTest, ANodeWithoutItemsIsSearchedAsAnEmptyDescriptionWithoutKeys) {
    engine.ClearNode();
    const int32_t bare = engine.CreateNode(0);
    const int32_t below = AddNode("omega", bare);
    TKelmorSearch search = Search("omega", sfNodeDescriptions | sfKeyNames | sfKeyValues);
    EXPECT_EQ(AllMatches(engine, search), (std::vector<TMatch>{{below, 1, 0}}));
    TKelmorSearch empty = Search("", sfNodeDescriptions | sfKeyNames | sfWholeValue);
    EXPECT_EQ(AllMatches(engine, empty), (std::vector<TMatch>{{bare, 1, 0}}));
}

TEST_F(SearchTest, ProgressIsReportedFromZeroTo100) {
    for (int i = 0; i < 120; ++i) AddNode("filler");
    std::vector<int> reports;
    TKelmorSearch search = Search("nowhere", sfNodeDescriptions);
    search.onProgress = [&](TKelmorClass&, int percent) { reports.push_back(percent); };
    EXPECT_EQ(engine.SearchFirst(search), -1);
    ASSERT_GE(reports.size(), 3u);
    EXPECT_EQ(reports.front(), 0);
    EXPECT_EQ(reports.back(), 100);
    EXPECT_EQ(reports[1], static_cast<int>(std::lround(100.0 * 50 / engine.Header().nodeCount)));
}

TEST_F(SearchTest, TheWalkStopsAt128LevelsBelowItsStart) {
    int32_t parent = 0, at128 = 0;
    for (int level = 1; level <= 140; ++level) {
        parent = AddNode(level == 128 || level == 129 ? "deep" : "level", parent);
        if (level == 128) at128 = parent;
    }
    TKelmorSearch search = Search("deep", sfNodeDescriptions);
    EXPECT_EQ(AllMatches(engine, search), (std::vector<TMatch>{{at128, 1, 0}}));
}

}  // namespace
}  // namespace kelmor
