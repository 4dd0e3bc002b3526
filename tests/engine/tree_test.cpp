#include <gtest/gtest.h>

#include "tests/testsupport/dbfixture.h"
#include "tests/testsupport/rawdatabase.h"

namespace kelmor {
namespace {

using TreeTest = test::DatabaseTest;
using test::Children;

std::vector<std::string> Descriptions(TKelmorClass& engine, int32_t parent) {
    std::vector<std::string> texts;
    for (int32_t id : Children(engine, parent)) texts.push_back(engine.LoadNode(id) ? engine.GetDescription() : "?");
    return texts;
}

TEST_F(TreeTest, SiblingsKeepTheirOrderThroughCloseAndReopen) {
    TKelmorNodeRec rec;
    EXPECT_FALSE(engine.FindFirstChild(rec, 0));
    EXPECT_EQ(AddNode("a"), 1);
    EXPECT_EQ(AddNode("b"), 2);
    EXPECT_EQ(AddNode("c"), 3);
    const int32_t deep = AddNode("child of 100", AddNode("x", 3));  // shares parent bucket 0's neighbours
    EXPECT_EQ(Children(engine, 0), (std::vector<int32_t>{1, 2, 3}));
    engine.ExchangeNodes(1, 3);
    EXPECT_EQ(Children(engine, 0), (std::vector<int32_t>{3, 2, 1}));
    Reopen();
    EXPECT_EQ(Children(engine, 0), (std::vector<int32_t>{3, 2, 1}));
    EXPECT_EQ(engine.GetParent(deep), 4);
    EXPECT_EQ(engine.GetParent(99), -1);
    EXPECT_TRUE(engine.HasChildren(3));
    EXPECT_FALSE(engine.HasChildren(1));
    EXPECT_TRUE(engine.NodeExists(0));
    EXPECT_FALSE(engine.NodeExists(-1));
    EXPECT_FALSE(engine.NodeExists(99));
    EXPECT_THROW(engine.ExchangeNodes(1, 4), EKelmorParentsDifferentError);
    EXPECT_THROW(engine.ExchangeNodes(1, 99), EKelmorNodeIDInvalidError);
}

TEST_F(TreeTest, InvisibleChildrenAreSkippedAndKeepTheirPlacesWhenSorting) {
    engine.Close();
    test::TRawDatabase raw;
    raw.users = {{"admin", "secret"}, {"two", "pw"}, {"three", "pw"}};
    raw.nodes = {{1, 0, 5, test::MakeRecord("c"), 0, 0},
                 {2, 0, 2, test::MakeRecord("hidden"), 0, 0},
                 {3, 0, 5, test::MakeRecord("b"), 0, 0},
                 {4, 0, 5, test::MakeRecord("A"), 0, 0}};
    raw.Write(base);
    ASSERT_EQ(engine.OpenDatabase(base, false, TKelmorClass::MakeLogin("three", "pw")), kResultOK);
    EXPECT_EQ(Children(engine, 0), (std::vector<int32_t>{1, 3, 4}));
    engine.SortChildren(0);
    EXPECT_EQ(Children(engine, 0), (std::vector<int32_t>{4, 3, 1}));
    engine.Close();
    ASSERT_EQ(engine.OpenDatabase(base, false, admin), kResultOK);
    EXPECT_EQ(Children(engine, 0), (std::vector<int32_t>{4, 2, 3, 1}));
}

TEST_F(TreeTest, SortingFollowsThePartitionOrderForEqualDescriptions) {
    for (const char* text : {"b", "A", "c"}) AddNode(text);
    engine.SortChildren(0);
    EXPECT_EQ(Descriptions(engine, 0), (std::vector<std::string>{"A", "b", "c"}));
    // Equal descriptions end in the order the exchanges leave them: here the two "x"
    // nodes (3 and 5 below) change places.
    const int32_t parent = AddNode("parent");
    std::vector<int32_t> ids;
    for (const char* text : {"y", "x", "z", "x", "w"}) ids.push_back(AddNode(text, parent));
    engine.SortChildren(parent);
    EXPECT_EQ(Children(engine, parent), (std::vector<int32_t>{ids[4], ids[3], ids[1], ids[0], ids[2]}));
}

TEST_F(TreeTest, SortingMovesTheChildrenOnlyAmongTheirOwnPlacesInTheStoredOrder) {
    // The children of the root share bucket 0 of the stored order with the children of
    // node 100, added in between.
    std::vector<int32_t> ids;
    for (int i = 0; i < 100; ++i) ids.push_back(AddNode("filler " + std::to_string(i), i == 0 ? 0 : ids[0]));
    ASSERT_EQ(ids.back(), 100);
    std::vector<int32_t> others;
    for (const char* text : {"q", "d", "m", "a", "k", "b"}) {
        AddNode(text);
        others.push_back(AddNode(std::string("other ") + text, 100));
    }
    const auto bucketZero = [this] {
        EXPECT_EQ(engine.Flush(), kResultOK);
        std::vector<int32_t> order;
        for (const auto& entry : test::DecodeIndex(test::ReadBytes(base + ".idx")).nodes)
            if (entry.parent % 100 == 0) order.push_back(entry.id);
        return order;
    };
    const std::vector<int32_t> before = bucketZero();
    engine.SortChildren(0);
    const std::vector<int32_t> sorted = Children(engine, 0);
    const std::vector<int32_t> after = bucketZero();
    // Node 100's children keep their places; the root's fill the root's places in their
    // sorted order.
    ASSERT_EQ(after.size(), before.size());
    size_t nextSorted = 0;
    for (size_t i = 0; i < before.size(); ++i) {
        if (engine.GetParent(before[i]) == 100) EXPECT_EQ(after[i], before[i]);
        else EXPECT_EQ(after[i], sorted[nextSorted++]);
    }
    EXPECT_EQ(nextSorted, sorted.size());
}

TEST_F(TreeTest, LinksPointAtTheEndOfTheirChainAndCarryTheirSourcesSecurity) {
    const int32_t source = AddNode("source");
    AddNode("inside", source);
    const int32_t folder = AddNode("folder");
    engine.SetNodeSecurity(source, 4, false);
    EXPECT_THROW(engine.CreateLink(folder), EKelmorNoNodeMarkedError);
    engine.MarkNode(source);
    const int32_t link = engine.CreateLink(folder);
    EXPECT_TRUE(engine.IsLink(link));
    EXPECT_EQ(engine.GetLinkSource(link), source);
    EXPECT_EQ(engine.GetNodeSecurity(link), 4);
    EXPECT_EQ(engine.MarkedNode(), source);
    engine.MarkNode(link);
    const int32_t second = engine.CreateLink(0);
    EXPECT_EQ(engine.GetLinkSource(second), source);  // not the first link
    EXPECT_THROW(engine.CreateLink(link), EKelmorParentLinkedError);
    engine.ClearNode();
    engine.SetDescription("under a link");
    EXPECT_EQ(engine.CreateNode(link), -1);
    EXPECT_EQ(engine.Header().nodeCount, 5);
    EXPECT_FALSE(engine.HasChildren(link));
    EXPECT_EQ(Descriptions(engine, link), (std::vector<std::string>{"inside"}));  // the source's children
    ASSERT_TRUE(engine.LoadNode(link));
    EXPECT_EQ(engine.GetDescription(), "source");
    EXPECT_THROW(engine.SetLinkSource(folder, source), EKelmorNodeNotLinkError);
    engine.SetLinkSource(second, folder);
    EXPECT_EQ(engine.GetLinkSource(second), folder);
    EXPECT_EQ(engine.GetNodeSecurity(second), 5);
    EXPECT_THROW(engine.MarkNode(99), EKelmorNodeIDInvalidError);
}

TEST_F(TreeTest, DeletingABranchTakesHiddenAndReadOnlyNodesAndLeavesLinksBroken) {
    const int32_t top = AddNode("top");
    const int32_t hidden = AddNode("hidden", top);
    const int32_t locked = AddNode("locked", hidden);
    engine.ClearNode();
    engine.SetDescription("with blob");
    const uint8_t bytes[4] = {1, 2, 3, 4};
    engine.AddBlobKey("b", bytes, 4);
    const int32_t withBlob = engine.CreateNode(locked);
    engine.SetNodeSecurity(hidden, 1, false);
    engine.SetNodeSecurity(locked, 3, true);
    engine.MarkNode(locked);
    const int32_t link = engine.CreateLink(0);
    const int32_t other = AddNode("other");
    Reopen();
    EXPECT_EQ(engine.Header().blobCount, 1);

    EXPECT_TRUE(engine.DeleteNode(top));
    for (int32_t id : {top, hidden, locked, withBlob}) EXPECT_FALSE(engine.NodeExists(id));
    EXPECT_EQ(engine.Header().blobCount, 0);
    EXPECT_EQ(engine.MarkedNode(), 0);
    EXPECT_TRUE(engine.IsLink(link));
    EXPECT_FALSE(engine.LoadNode(link));
    EXPECT_THROW(engine.GetLinkSource(link), EKelmorSourceNodeBrokenError);
    Reopen();
    EXPECT_EQ(Children(engine, 0), (std::vector<int32_t>{link, other}));
    EXPECT_EQ(engine.Header().nodeCount, 2);
    engine.SetNodeSecurity(other, 5, true);
    EXPECT_FALSE(engine.DeleteNode(other));  // read-only
    EXPECT_THROW(engine.DeleteNode(99), EKelmorNodeIDInvalidError);
}

TEST_F(TreeTest, MovingAndCopyingTheMarkedNodeFollowTheirRules) {
    const int32_t a = AddNode("a");
    const int32_t a1 = AddNode("a1", a);
    const int32_t a11 = AddNode("a11", a1);
    const int32_t b = AddNode("b");
    engine.MarkNode(a1);
    const int32_t link = engine.CreateLink(b);

    EXPECT_FALSE(engine.CanMoveMarkedNode(a));     // already its parent
    EXPECT_FALSE(engine.CanMoveMarkedNode(a1));    // itself
    EXPECT_FALSE(engine.CanMoveMarkedNode(a11));   // inside its branch
    EXPECT_FALSE(engine.CanMoveMarkedNode(link));  // a link
    EXPECT_FALSE(engine.CanMoveMarkedNode(99));
    EXPECT_TRUE(engine.CanMoveMarkedNode(0));
    EXPECT_TRUE(engine.CanMoveMarkedNode(b));
    EXPECT_FALSE(engine.CanCopyMarkedNode(a11));
    EXPECT_TRUE(engine.CanCopyMarkedNode(a));
    EXPECT_EQ(engine.CopyMarkedNode(a11), -1);

    ASSERT_TRUE(engine.MoveMarkedNode(b));
    EXPECT_EQ(engine.GetParent(a1), b);
    EXPECT_EQ(Children(engine, b), (std::vector<int32_t>{link, a1}));
    EXPECT_FALSE(engine.NodeMarked());
    EXPECT_FALSE(engine.MoveMarkedNode(0));

    engine.MarkNode(a);
    EXPECT_TRUE(engine.MoveMarkedNode(0));  // a top-level node becomes the last one
    EXPECT_EQ(Children(engine, 0), (std::vector<int32_t>{b, a}));

    engine.MarkNode(link);
    const int32_t linkCopy = engine.CopyMarkedNode(a);
    EXPECT_EQ(engine.GetLinkSource(linkCopy), a1);
    EXPECT_EQ(engine.MarkedNode(), link);
    engine.MarkNode(0);
    EXPECT_THROW(engine.CopyMarkedNode(0), EKelmorNodeCopyError);
}

TEST_F(TreeTest, CopiesGetNewIDsDepthFirstWithoutBlobKeys) {
    engine.ClearNode();
    engine.SetDescription("top");
    const uint8_t bytes[2] = {5, 6};
    engine.AddBlobKey("picture", bytes, 2);
    engine.AddStringKey("name", "kept");
    engine.AddBlobKey("sound", bytes, 2);
    const int32_t top = engine.CreateNode(0);     // 1
    const int32_t first = AddNode("first", top);  // 2
    AddNode("first's child", first);              // 3
    engine.MarkNode(first);
    engine.CreateLink(top);                    // 4, a link to "first"
    const int32_t target = AddNode("target");  // 5
    engine.SetNodeSecurity(first, 3, true);

    engine.MarkNode(top);
    const int32_t copy = engine.CopyMarkedNode(target);
    EXPECT_EQ(copy, 6);
    EXPECT_EQ(Children(engine, copy), (std::vector<int32_t>{7, 9}));
    EXPECT_EQ(Children(engine, 7), (std::vector<int32_t>{8}));
    EXPECT_TRUE(engine.IsLink(9));
    EXPECT_EQ(engine.GetLinkSource(9), first);
    EXPECT_EQ(engine.GetNodeSecurity(7), 0x83);
    EXPECT_EQ(engine.Header().blobCount, 2);
    ASSERT_TRUE(engine.LoadNode(copy));
    EXPECT_EQ(engine.KeyCount(), 1);
    EXPECT_EQ(engine.GetStringKey(1), "kept");
    ASSERT_TRUE(engine.LoadNode(top));
    EXPECT_EQ(engine.KeyCount(), 3);
    EXPECT_EQ(engine.MarkedNode(), top);
}

TEST_F(TreeTest, PathsLeadToNodesInAnyLetterCase) {
    const int32_t one = AddNode("One");
    const int32_t two = AddNode("Two", one);
    const int32_t three = AddNode("Three", two);
    AddNode("Two", one);  // a second "Two" is never tried
    EXPECT_EQ(engine.GetNodePath(three), "One\\Two\\Three");
    EXPECT_EQ(engine.GetDescription(), "One");  // the buffer holds the top ancestor
    EXPECT_EQ(engine.FindNodeByPath("One\\Two\\Three"), three);
    EXPECT_EQ(engine.FindNodeByPath("ONE\\two\\tHREE"), three);
    EXPECT_EQ(engine.FindNodeByPath("One\\Two\\"), two);
    EXPECT_EQ(engine.FindNodeByPath("One\\Two\\Four"), -1);
    EXPECT_THROW(engine.GetNodePath(99), EKelmorNodeIDInvalidError);
    engine.MarkNode(two);
    const int32_t link = engine.CreateLink(0);
    EXPECT_EQ(engine.GetNodePath(link), "Two");
    EXPECT_EQ(engine.FindNodeByPath("Two\\Three"), three);  // through the link to its source

    const std::string long_(200, 'x');
    const int32_t deep = AddNode(long_, AddNode(long_));
    EXPECT_EQ(engine.GetNodePath(deep), (long_ + "\\" + long_).substr(0, 255));
}

TEST_F(TreeTest, ABrokenLinkIsNoStepOfAPath) {
    const int32_t doomed = AddNode("doomed");
    const int32_t below = AddNode("below", doomed);
    engine.MarkNode(doomed);
    const int32_t broken = engine.CreateLink(0);
    engine.DeleteNode(doomed);
    ASSERT_FALSE(engine.NodeExists(below));
    // the broken link shows an empty description, but its source is gone
    EXPECT_EQ(engine.GetNodePath(broken), "");
    EXPECT_EQ(engine.FindNodeByPath(""), -1);
    EXPECT_EQ(engine.FindNodeByPath("\\below"), -1);

    // a later sibling whose description is empty is the one a path leads to
    const int32_t empty = AddNode("");
    const int32_t child = AddNode("below", empty);
    EXPECT_EQ(engine.FindNodeByPath(""), empty);
    EXPECT_EQ(engine.FindNodeByPath("\\BELOW"), child);
}

// A record without any item (made by creating a node from a cleared buffer) reads as an
// empty description: paths and sorting go on instead of failing on it.
TEST_F(TreeTest, ANodeWithoutItemsTakesPartInPathsAndSortingWithAnEmptyDescription) {
    const int32_t b = AddNode("b");
    engine.ClearNode();
    const int32_t bare = engine.CreateNode(0);
    const int32_t a = AddNode("a");
    const int32_t leaf = AddNode("leaf", bare);
    EXPECT_EQ(engine.GetNodePath(leaf), "\\leaf");
    EXPECT_EQ(engine.GetNodePath(bare), "");
    EXPECT_EQ(engine.FindNodeByPath("\\leaf"), leaf);
    engine.SortChildren(0);
    EXPECT_EQ(Children(engine, 0), (std::vector<int32_t>{bare, a, b}));
}

TEST(PathElements, ComponentsAndPrefixes) {
    struct TCase {
        const char* path;
        int depth;
        bool prefix;
        const char* result;
    };
    for (const TCase& c : {TCase{"a\\b\\c", 2, false, "b"}, TCase{"a\\b\\c", 2, true, "a\\b"},
                           TCase{"a\\b\\c", 4, false, ""}, TCase{"a\\b\\c\\", 3, true, "a\\b\\c"},
                           TCase{"a\\b\\c", 1, true, "a"}, TCase{"", 1, false, ""}, TCase{"a", 0, false, ""}}) {
        EXPECT_EQ(TKelmorClass::GetPathElement(c.path, c.depth, c.prefix), c.result) << c.path << " " << c.depth;
    }
}

TEST_F(TreeTest, The65536thNodeOrLinkIsRefusedBeforeAnythingChanges) {
    engine.Close();
    test::TRawDatabase raw;
    raw.nodes.reserve(65535);
    for (int32_t id = 1; id <= 65535; ++id) raw.nodes.push_back({id, 0, 5, test::MakeRecord(""), 0, 0});
    raw.Write(base);
    ASSERT_EQ(engine.OpenDatabase(base, false, admin), kResultOK);
    engine.ClearNode();
    EXPECT_THROW(engine.CreateNode(0), EKelmorDatabaseFull);
    engine.MarkNode(1);
    EXPECT_THROW(engine.CreateLink(0), EKelmorDatabaseFull);
    EXPECT_THROW(engine.CopyMarkedNode(2), EKelmorDatabaseFull);
    EXPECT_EQ(engine.Header().nodeCount, 65535);
    EXPECT_EQ(engine.Header().lastNodeID, 65535);
    EXPECT_FALSE(engine.Modified());
}

}  // namespace
}  // namespace kelmor
