#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "cli/cliapp.h"
#include "engine/keytypes.h"
#include "engine/regional.h"
#include "engine/tkelmor.h"
#include "tests/cli/clirun.h"
#include "tests/testsupport/dbfixture.h"
#include "tests/testsupport/tempdir.h"

namespace kelmor::cli {
namespace {

using TRun = clitest::TCliRun;

// A database made through the engine, administrator "admin"/"pw", user 3 "clerk"/"c":
//   #1 Shop
//     #2 Fruit: price (float 1.5), code (sequence 00 FF), photo (blob 1 2 3), count (byte 7)
//       #3 Apple
//     #4 Secret (level 2: the clerk does not see it)
//     #5 Locked (read-only)
//     #6 -> Fruit
class CliEditTest : public ::testing::Test {
protected:
    void SetUp() override {
        TKelmorClass engine;
        ASSERT_EQ(engine.CreateDatabase(base, TKelmorClass::MakeLogin("admin", "pw")), kResultOK);
        engine.SetUser(3, "clerk", "c");
        const int32_t shop = Node(engine, "Shop", 0);
        engine.ClearNode();
        engine.SetDescription("Fruit");
        engine.AddFloatKey("price", 1.5f);
        const uint8_t code[2] = {0x00, 0xFF}, photo[3] = {1, 2, 3};
        engine.AddSequenceKey("code", code, 2);
        engine.AddBlobKey("photo", photo, 3);
        engine.AddByteKey("count", 7);
        const int32_t fruit = engine.CreateNode(shop);
        Node(engine, "Apple", fruit);
        engine.SetNodeSecurity(Node(engine, "Secret", shop), 2, false);
        engine.SetNodeSecurity(Node(engine, "Locked", shop), 5, true);
        engine.MarkNode(fruit);
        ASSERT_EQ(engine.CreateLink(shop), 6);
        ASSERT_EQ(engine.Close(), kResultOK);
    }
    static int32_t Node(TKelmorClass& engine, const std::string& description, int32_t parent) {
        engine.ClearNode();
        engine.SetDescription(description);
        return engine.CreateNode(parent);
    }
    TRun Run(std::vector<std::string> arguments) { return clitest::RunCliWith(arguments, clitest::AdminEnvironment()); }
    TRun RunAsClerk(std::vector<std::string> arguments) {
        return clitest::RunCliWith(arguments, {{"KELMOR_USER", "clerk"}, {"KELMOR_PASSWORD", "c"}, {"LC_ALL", "C"}});
    }
    // Everything the administrator can see, with the counters that a change moves.
    std::string Snapshot() {
        TKelmorClass engine;
        EXPECT_EQ(engine.OpenDatabase(base, true, TKelmorClass::MakeLogin("admin", "pw")), kResultOK);
        const TKelmorHeader& header = engine.Header();
        return test::DumpDatabase(engine) + "last node " + std::to_string(header.lastNodeID) + ", blobs " +
               std::to_string(header.blobCount) + ", last blob " + std::to_string(header.lastBlobID) + "\n";
    }
    // The engine, open read-only, for looking at single values.
    std::unique_ptr<TKelmorClass> Look() {
        auto engine = std::make_unique<TKelmorClass>();
        EXPECT_EQ(engine->OpenDatabase(base, true, TKelmorClass::MakeLogin("admin", "pw")), kResultOK);
        return engine;
    }

    test::TTempDir dir;
    std::string base = dir / "shop";
};

TEST_F(CliEditTest, ShowPrintsTheNodeAndItsKeysAndALinksSource) {
    const TRun fruit = Run({"show", base, "Root\\Shop\\Fruit", "--decimal-separator", ","});
    EXPECT_EQ(fruit.status, kExitOK) << fruit.err;
    EXPECT_EQ(fruit.out,
              "Description\tFruit\nID\t2\nParent ID\t1\nSecurity level\t5\nRead-only\tno\n"
              "price (float) = 1,500\ncode (sequence) = 00 FF\nphoto (blob) = DATA: 3 bytes\ncount (byte) = 7\n");
    // a path that ends at a link names the link; #ID names any node
    const std::string linkLines =
        "Description\tFruit\nID\t6\nParent ID\t1\nSecurity level\t5\nRead-only\tno\n"
        "Link source\t2\tShop\\Fruit\n";
    EXPECT_EQ(Run({"show", base, "shop\\fruit"}).out.substr(0, 13), "Description\tF");
    EXPECT_EQ(Run({"show", base, "#6"}).out.substr(0, linkLines.size()), linkLines);
    EXPECT_EQ(Run({"show", base, "#5"}).out,
              "Description\tLocked\nID\t5\nParent ID\t1\nSecurity level\t5\nRead-only\tyes\n");
    EXPECT_EQ(Run({"show", base, "#0"}).out, "Description\tRoot\nID\t0\n");
}

TEST_F(CliEditTest, GetPrintsTheDisplayTextOrWritesTheRawBytes) {
    EXPECT_EQ(Run({"get", base, "Shop\\Fruit", "PRICE"}).out, "1.500\n");
    EXPECT_EQ(Run({"get", base, "#2", "#4"}).out, "7\n");
    EXPECT_EQ(Run({"get", base, "#2", "photo"}).out, "DATA: 3 bytes\n");
    EXPECT_EQ(Run({"get", base, "#2", "code", "--output", "-"}).out, std::string("\x00\xFF", 2));
    const std::string file = dir / "photo.bin";
    const TRun written = Run({"get", base, "#6", "photo", "--output", file});  // through the link
    EXPECT_EQ(written.status, kExitOK) << written.err;
    EXPECT_EQ(written.out, "");
    EXPECT_EQ(test::ReadBytes(file), (std::vector<uint8_t>{1, 2, 3}));
}

TEST_F(CliEditTest, SetChangesAValueInItsPlaceKeepingItsType) {
    const std::string before = Snapshot();
    const TRun price = Run({"set", base, "Shop\\Fruit", "price", "2,25", "--decimal-separator", ","});
    EXPECT_EQ(price.status, kExitOK) << price.err;
    EXPECT_EQ(Run({"set", base, "#2", "#4", "255"}).status, kExitOK);
    const std::string sequence = dir / "seq.bin";
    test::WriteBytes(sequence, {9, 8, 7});
    EXPECT_EQ(Run({"set", base, "#2", "code", "--from", sequence}).status, kExitOK);
    EXPECT_EQ(Run({"set", base, "#2", "photo", "--hex", "DE ad be EF"}).status, kExitOK);
    auto engine = Look();
    ASSERT_TRUE(engine->LoadNode(2));
    ASSERT_EQ(engine->KeyCount(), 4);
    EXPECT_EQ(engine->GetKeyName(1), "price");
    EXPECT_EQ(engine->GetFloatKey(1), 2.25f);
    EXPECT_EQ(engine->GetSequenceKey(2), "\x09\x08\x07");
    EXPECT_EQ(engine->GetBlobKey(3), (std::vector<uint8_t>{0xDE, 0xAD, 0xBE, 0xEF}));
    EXPECT_EQ(engine->GetByteKey(4), 255);
    EXPECT_EQ(engine->Header().blobCount, 1);  // the old blob went with its key
    EXPECT_NE(Snapshot(), before);
}

TEST_F(CliEditTest, SetWithATypeAddsAKeyAtTheEndOrAtAnIndex) {
    EXPECT_EQ(Run({"set", base, "#2", "note", "caf\xC3\xA9", "--type", "string"}).status, kExitOK);
    const TRun at = Run({"set", base, "#2", "when", "01/05/2024 10:30:02", "--type", "datetime", "--at", "1",
                         "--short-date", "dd/mm/yyyy"});
    EXPECT_EQ(at.status, kExitOK) << at.err;
    EXPECT_EQ(Run({"set", base, "#3", "total", "-12.3456", "--type", "currency"}).status, kExitOK);
    auto engine = Look();
    ASSERT_TRUE(engine->LoadNode(2));
    ASSERT_EQ(engine->KeyCount(), 6);
    EXPECT_EQ(engine->GetKeyName(1), "when");
    double expected = 0;
    ASSERT_TRUE(TryEncodeDateTime(2024, 5, 1, 10, 30, 2, 0, expected));
    EXPECT_DOUBLE_EQ(engine->GetDateKey(1), expected);
    EXPECT_EQ(engine->GetKeyName(2), "price");
    EXPECT_EQ(engine->GetStringKey(6), "caf\xE9");
    ASSERT_TRUE(engine->LoadNode(3));
    EXPECT_EQ(engine->GetCurrencyKey(1), -123456);
}

TEST_F(CliEditTest, AddRenameAndRmChangeNodesAndKeys) {
    const TRun added = Run({"add", base, "Shop", "Pear"});
    EXPECT_EQ(added.status, kExitOK) << added.err;
    EXPECT_EQ(added.out, "7\n");
    const TRun deep = Run({"add", base, "Shop\\Veg\\Green", "Leek", "--parents"});
    EXPECT_EQ(deep.out, "10\n") << deep.err;
    EXPECT_EQ(Run({"add", base, "Shop\\Veg", "Kale", "--parents"}).out, "11\n");  // the path exists now
    EXPECT_EQ(Run({"rename", base, "Shop\\Pear", "Pears"}).status, kExitOK);
    EXPECT_EQ(Run({"rename", base, "#2", "cost", "--key", "#1"}).status, kExitOK);
    EXPECT_EQ(Run({"rm", base, "#2", "--key", "PHOTO"}).status, kExitOK);
    EXPECT_EQ(Run({"rm", base, "Shop\\Fruit\\Apple"}).status, kExitOK);
    const TRun link = Run({"rm", base, "Shop\\Fruit"});  // the first "Fruit" below Shop is the node, not the link
    EXPECT_EQ(link.status, kExitOK) << link.err;
    const TRun tree = Run({"tree", base, "--ids"});
    EXPECT_EQ(tree.out,
              "#1 Shop\n  #4 Secret\n  #5 Locked\n  #6 -> ** BROKEN LINK **\n  #7 Pears\n  #8 Veg\n    #9 Green\n"
              "      #10 Leek\n    #11 Kale\n");
    auto engine = Look();
    EXPECT_EQ(engine->Header().blobCount, 0);
}

TEST_F(CliEditTest, RmOfALinkByPathRemovesTheLinkNotItsSource) {
    ASSERT_EQ(Run({"rename", base, "Shop\\Fruit", "Fruits"}).status, kExitOK);
    ASSERT_EQ(Run({"add", base, "Root", "Links"}).out, "7\n");
    ASSERT_EQ(Run({"ln", base, "#2", "Links"}).out, "8\n");
    const TRun removed = Run({"rm", base, "Links\\Fruits"});
    EXPECT_EQ(removed.status, kExitOK) << removed.err;
    auto engine = Look();
    EXPECT_FALSE(engine->NodeExists(8));
    EXPECT_TRUE(engine->NodeExists(2));
}

TEST_F(CliEditTest, MvCpLnAndSecPlaceAndSecureBranches) {
    ASSERT_EQ(Run({"add", base, "Root", "Store"}).out, "7\n");
    const TRun moved = Run({"mv", base, "Shop\\Fruit", "Store"});
    EXPECT_EQ(moved.status, kExitOK) << moved.err;
    EXPECT_EQ(moved.out, "");
    const TRun copied = Run({"cp", base, "Store\\Fruit", "Root"});
    EXPECT_EQ(copied.out, "8\n") << copied.err;  // Fruit 8 and Apple 9
    const TRun linked = Run({"ln", base, "#9", "Store"});
    EXPECT_EQ(linked.out, "10\n") << linked.err;
    const TRun secured = Run({"sec", base, "#8", "3", "--read-only-node"});
    EXPECT_EQ(secured.status, kExitOK) << secured.err;
    auto engine = Look();
    EXPECT_EQ(test::Children(*engine, 7), (std::vector<int32_t>{2, 10}));
    EXPECT_EQ(engine->GetParent(8), 0);
    ASSERT_TRUE(engine->LoadNode(8));
    EXPECT_EQ(engine->KeyCount(), 3);  // the copy leaves the blob key out
    EXPECT_EQ(engine->FindKey("photo"), 0);
    EXPECT_EQ(engine->GetLinkSource(10), 9);
    EXPECT_EQ(engine->GetNodeSecurity(8), 0x83);
    engine.reset();
    EXPECT_EQ(RunAsClerk({"show", base, "#8"}).status, kExitOK);
    EXPECT_EQ(Run({"sec", base, "#8", "2"}).status, kExitOK);
    const TRun hidden = RunAsClerk({"show", base, "#8"});
    EXPECT_EQ(hidden.status, kExitFailed);
    EXPECT_EQ(hidden.err, "Access Denied.\n");
}

// Every refusal: the program's message, the exit status, and the database as it was.
TEST_F(CliEditTest, RefusalsChangeNothing) {
    const std::string before = Snapshot();
    const std::string output = dir / "out.bin";
    struct TCase {
        std::vector<std::string> arguments;
        bool asClerk;
        int status;
        std::string message;  // the whole of standard error; empty: only its start is checked
    };
    const std::string tooLong(2 * 256, 'A');
    const std::vector<TCase> cases = {
        // values out of range or not of the key's type
        {{"set", base, "#2", "count", "256"}, false, kExitFailed, "Unable to replace value. Incorrect format.\n"},
        {{"set", base, "#2", "count", "-1"}, false, kExitFailed, "Unable to replace value. Incorrect format.\n"},
        {{"set", base, "#2", "big", "40000", "--type", "integer"},
         false,
         kExitFailed,
         "Unable to replace value. Incorrect format.\n"},
        {{"set", base, "#2", "when", "1970-01-01", "--type", "datetime"},
         false,
         kExitFailed,
         "Unable to replace value. Incorrect format.\n"},
        {{"set", base, "#2", "price", "1e39"}, false, kExitFailed, "Unable to replace value. Incorrect format.\n"},
        {{"set", base, "#2", "code", "--hex", tooLong}, false, kExitFailed, "A sequence holds at most 255 bytes.\n"},
        // a blob key (or bytes) where it is not allowed
        {{"set", base, "#2", "photo", "text"}, false, kExitFailed, "A blob value is given with --hex or --from.\n"},
        {{"set", base, "#2", "data", "text", "--type", "blob"},
         false,
         kExitFailed,
         "A blob value is given with --hex or --from.\n"},
        {{"set", base, "#2", "count", "--hex", "01"},
         false,
         kExitFailed,
         "--hex and --from give sequence and blob values only.\n"},
        {{"get", base, "#2", "count", "--output", output},
         false,
         kExitFailed,
         "--output writes sequence and blob values only.\n"},
        // places the engine refuses
        {{"mv", base, "Shop", "Shop\\Fruit\\Apple"},
         false,
         kExitFailed,
         "You cannot move the marked node to this position.\n"},
        {{"mv", base, "#2", "Shop"}, false, kExitFailed, "You cannot move the marked node to this position.\n"},
        {{"mv", base, "#2", "#6"}, false, kExitFailed, "You cannot move the marked node to this position.\n"},
        {{"cp", base, "Shop", "Shop\\Fruit"}, false, kExitFailed, "You cannot paste to this position.\n"},
        {{"ln", base, "#2", "#6"}, false, kExitFailed, "Sorry! You cannot link the marked node at this position.\n"},
        {{"add", base, "#6", "Child"}, false, kExitFailed, "Parent Node Linked\n"},
        {{"rm", base, "Shop\\Locked"}, false, kExitFailed, "Unable to Delete. Branch is Read Only.\n"},
        {{"set", base, "Shop\\Locked", "n", "1", "--type", "byte"}, false, kExitFailed, "Node Read-Only\n"},
        {{"rename", base, "#5", "Open"}, false, kExitFailed, "Node Read-Only\n"},
        {{"set", base, "#6", "price", "2"},
         false,
         kExitFailed,
         "A link has no keys of its own: change them at its source.\n"},
        {{"rename", base, "#6", "Other"},
         false,
         kExitFailed,
         "A link shows its source's description: rename the source.\n"},
        {{"rename", base, "Root", "Top"}, false, kExitFailed, "The root cannot be renamed.\n"},
        {{"rm", base, "#0"}, false, kExitFailed, "The root cannot be deleted.\n"},
        {{"rename", base, "#2", ""}, false, kExitFailed, "A description of one or more characters is required.\n"},
        {{"sec", base, "Root", "3"}, false, kExitFailed, "The root has no security level.\n"},
        // unknown nodes and keys
        {{"add", base, "Shop\\Nowhere", "X"}, false, kExitFailed, "Unknown Branch Specified.\n"},
        {{"show", base, "#99"}, false, kExitFailed, "Node ID does not exist.\n"},
        {{"rm", base, "#99999999999"}, false, kExitFailed, "Node ID does not exist.\n"},
        {{"rm", base, "#2", "--key", "weight"}, false, kExitFailed, "The node has no key named 'weight'.\n"},
        {{"rm", base, "#2", "--key", "#5"}, false, kExitFailed, "Invalid Key Index\n"},
        {{"set", base, "#2", "n", "1", "--type", "byte", "--at", "6"}, false, kExitFailed, "Invalid Key Index\n"},
        // the user's access level
        {{"show", base, "#4"}, true, kExitFailed, "Access Denied.\n"},
        {{"rm", base, "Shop\\Secret"}, true, kExitFailed, "Unknown Branch Specified.\n"},
        {{"cp", base, "#2", "#4"}, true, kExitFailed, "Access Denied.\n"},
        {{"sec", base, "#2", "2"}, true, kExitFailed, "Access Denied\n"},
        // read-only
        {{"add", base, "Root", "X", "--read-only"}, false, kExitFailed, "Database Read-Only\n"},
        {{"sec", base, "#2", "4", "--read-only"}, false, kExitFailed, "Database Read-Only\n"},
        {{"rm", base, "#2", "--read-only"}, false, kExitFailed, "Database Read-Only\n"},
        // wrong command lines
        {{"set", base, "#2", "price"}, false, kExitUsage, ""},
        {{"set", base, "#2", "price", "1", "--hex", "00"}, false, kExitUsage, ""},
        {{"set", base, "#2", "code", "--hex", "0"}, false, kExitUsage, ""},
        {{"set", base, "#2", "code", "--hex", "zz"}, false, kExitUsage, ""},
        {{"set", base, "#2", "price", "1", "--at", "1"}, false, kExitUsage, ""},
        {{"set", base, "#2", "x", "1", "--type", "number"}, false, kExitUsage, ""},
        {{"set", base, "#2", "#1", "1", "--type", "byte"}, false, kExitUsage, ""},
        {{"sec", base, "#2", "6"}, false, kExitUsage, ""},
        {{"sec", base, "#2", "5", "--hidden"}, false, kExitUsage, ""},
        {{"get", base, "#2", "code", "--output", "-", "--json"}, false, kExitUsage, ""},
        {{"add", base, "Root", "\xE2\x82\xAC"}, false, kExitUsage, ""},
    };
    for (const TCase& c : cases) {
        const TRun run = c.asClerk ? RunAsClerk(c.arguments) : Run(c.arguments);
        std::string line;
        for (const std::string& argument : c.arguments) line += argument.substr(0, 40) + " ";
        EXPECT_EQ(run.status, c.status) << line << "\n" << run.err;
        if (c.message.empty()) EXPECT_FALSE(run.err.empty()) << line;
        else EXPECT_EQ(run.err, c.message) << line;
        EXPECT_EQ(run.out, "") << line;
    }
    EXPECT_FALSE(test::Exists(output));
    EXPECT_EQ(Snapshot(), before);
    EXPECT_EQ(Run({"check", base}).out, "ok\n");
}

// A change that fails halfway (a later component of an --parents path is empty, after
// the nodes before it were made) is dropped whole: the files are as they were, byte
// for byte.
TEST(CliEditSaving, AChangeThatFailsHalfwayLeavesTheFilesAsTheyWere) {
    test::TTempDir dir;
    const std::string base = dir / "half";
    const auto& admin = clitest::AdminEnvironment();
    ASSERT_EQ(clitest::RunCliWith({"create", base}, admin).status, kExitOK);
    ASSERT_EQ(clitest::RunCliWith({"add", base, "Root", "Shop"}, admin).status, kExitOK);
    std::map<std::string, std::vector<uint8_t>> files;
    for (const char* extension : {".idx", ".dat"}) files[extension] = test::ReadBytes(base + extension);
    const TRun failed = clitest::RunCliWith({"add", base, "Shop\\New\\\\Deep", "Leaf", "--parents"}, admin);
    EXPECT_EQ(failed.status, kExitFailed);
    EXPECT_EQ(failed.err, "A description of one or more characters is required.\n");
    EXPECT_EQ(failed.out, "");
    for (const auto& [extension, bytes] : files) EXPECT_EQ(test::ReadBytes(base + extension), bytes) << extension;
    EXPECT_FALSE(test::Exists(base + ".kmj"));
    EXPECT_EQ(clitest::RunCliWith({"check", base}, admin).out, "ok\n");
    EXPECT_EQ(clitest::RunCliWith({"tree", base, "--read-only"}, admin).out, "Shop\n");
}

// A successful change is saved at once and whole: no journal stays, the files check out.
TEST(CliEditSaving, EachChangeIsSavedOnce) {
    test::TTempDir dir;
    const std::string base = dir / "once";
    const auto& admin = clitest::AdminEnvironment();
    ASSERT_EQ(clitest::RunCliWith({"create", base}, admin).status, kExitOK);
    ASSERT_EQ(clitest::RunCliWith({"add", base, "A\\B\\C", "D", "--parents"}, admin).out, "4\n");
    ASSERT_EQ(clitest::RunCliWith({"set", base, "A\\B", "blob", "--hex", "0102", "--type", "blob"}, admin).status,
              kExitOK);
    EXPECT_FALSE(test::Exists(base + ".kmj"));
    EXPECT_EQ(clitest::RunCliWith({"check", base}, admin).out, "ok\n");
    TKelmorClass engine;
    ASSERT_EQ(engine.OpenDatabase(base, true, TKelmorClass::MakeLogin("admin", "pw")), kResultOK);
    EXPECT_EQ(engine.FindNodeByPath("A\\B\\C\\D"), 4);
    EXPECT_EQ(engine.Header().blobCount, 1);
}

}  // namespace
}  // namespace kelmor::cli
