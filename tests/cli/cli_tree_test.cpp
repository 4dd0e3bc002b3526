#include <gtest/gtest.h>

#include <map>
#include <sstream>

#include "cli/cliapp.h"
#include "engine/tkelmor.h"
#include "tests/cli/clirun.h"
#include "tests/testsupport/tempdir.h"

namespace kelmor::cli {
namespace {

// A small database made through the engine:
//   Shop
//     Fruit (price = 1.500, code = 00 FF)
//       Apple
//     -> Fruit (a link)
//   Broken: a link to a deleted node
class CliTreeTest : public ::testing::Test {
protected:
    void SetUp() override {
        TKelmorClass engine;
        ASSERT_EQ(engine.CreateDatabase(base, TKelmorClass::MakeLogin("admin", "pw")), kResultOK);
        engine.ClearNode();
        engine.SetDescription("Shop");
        shop = engine.CreateNode(0);
        engine.ClearNode();
        engine.SetDescription("Fruit");
        engine.AddFloatKey("price", 1.5f);
        const uint8_t code[2] = {0x00, 0xFF};
        engine.AddSequenceKey("code", code, 2);
        fruit = engine.CreateNode(shop);
        engine.ClearNode();
        engine.SetDescription("Apple \xE9");
        apple = engine.CreateNode(fruit);
        engine.MarkNode(fruit);
        link = engine.CreateLink(shop);
        engine.ClearNode();
        engine.SetDescription("gone");
        const int32_t gone = engine.CreateNode(0);
        engine.MarkNode(gone);
        broken = engine.CreateLink(0);
        engine.DeleteNode(gone);
    }
    using TRun = clitest::TCliRun;
    TRun Run(const std::vector<std::string>& arguments) {
        return clitest::RunCliWith(arguments, clitest::AdminEnvironment());
    }

    test::TTempDir dir;
    std::string base = dir / "shop";
    int32_t shop = 0, fruit = 0, apple = 0, link = 0, broken = 0;
};

TEST_F(CliTreeTest, TreeShowsNodesLinksAndKeysIndentedByLevel) {
    EXPECT_EQ(Run({"tree", base}).out,
              "Shop\n"
              "  Fruit\n"
              "    Apple \xC3\xA9\n"
              "  -> Shop\\Fruit\n"
              "-> ** BROKEN LINK **\n");
    const TRun withKeys =
        Run({"tree", base, "--keys", "--ids", "--location", "Root\\Shop", "--decimal-separator", ","});
    EXPECT_EQ(withKeys.out,
              "#2 Fruit\n"
              "  price (float) = 1,500\n"
              "  code (sequence) = 00 FF\n"
              "  #3 Apple \xC3\xA9\n"
              "#4 -> Shop\\Fruit\n"
              "  price (float) = 1,500\n"
              "  code (sequence) = 00 FF\n");
    const TRun unknown = Run({"tree", base, "--location", "Shop\\Vegetables"});
    EXPECT_EQ(unknown.status, kExitFailed);
    EXPECT_EQ(unknown.err, "Unknown Branch Specified.\n");
}

TEST_F(CliTreeTest, SearchListsMatchesInTheIteratorsOrder) {
    EXPECT_EQ(Run({"search", base, "fruit"}).out, "2\tdescription\tShop\\Fruit\n");
    EXPECT_EQ(Run({"search", base, "p"}).out,
              "1\tdescription\tShop\n"
              "2\tname 1\tShop\\Fruit\n"
              "3\tdescription\tShop\\Fruit\\Apple \xC3\xA9\n");
    EXPECT_EQ(Run({"search", base, "00 ff", "--values"}).out, "2\tvalue 2\tShop\\Fruit\n");
    EXPECT_EQ(Run({"search", base, "00 ff", "--values", "--case"}).out, "");
    EXPECT_EQ(Run({"search", base, "apple*", "--wildcards", "--below", "Shop", "--links"}).out,
              "3\tdescription\tShop\\Fruit\\Apple \xC3\xA9\n"
              "3\tdescription\tShop\\Fruit\\Apple \xC3\xA9\n");
}

TEST_F(CliTreeTest, BrokenLinksListsExactlyTheBrokenLinks) {
    EXPECT_EQ(Run({"broken-links", base}).out, std::to_string(broken) + "\tRoot\n");
}

}  // namespace
}  // namespace kelmor::cli
