#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <sstream>
#include <stdexcept>

#include "cli/cliapp.h"
#include "cli/jsonwriter.h"
#include "engine/tkelmor.h"
#include "tests/cli/clirun.h"
#include "tests/cli/jsonreader.h"
#include "tests/testsupport/tempdir.h"

namespace kelmor::cli {
namespace {

using clitest::TJson;
using clitest::TJsonReader;

TEST(JsonWriter, EscapesQuotesBackslashesAndControlCharacters) {
    struct TCase {
        std::string text;
        std::string quoted;
    };
    for (const TCase& c : std::vector<TCase>{
             {"plain", "\"plain\""},
             {"a\"b\\c/", "\"a\\\"b\\\\c/\""},
             {"\b\f\n\r\t", "\"\\b\\f\\n\\r\\t\""},
             {std::string("\x00\x01\x1F\x7F", 4), "\"\\u0000\\u0001\\u001f\\u007f\""},
             {"caf\xC3\xA9", "\"caf\xC3\xA9\""},
         }) {
        EXPECT_EQ(TJsonWriter::Quote(c.text), c.quoted);
        EXPECT_EQ(TJsonReader::Parse(c.quoted).text, c.text);
    }
}

TEST(JsonWriter, WritesNestedValuesNumbersAndLatin1Text) {
    std::ostringstream out;
    TJsonWriter json(out);
    json.BeginObject();
    json.Key("list");
    json.BeginArray();
    json.Integer(-5);
    json.Double(0.1);
    json.Float(0.1f);
    json.Double(1e300);
    json.Double(std::numeric_limits<double>::quiet_NaN());
    json.Float(std::numeric_limits<float>::infinity());
    json.Double(-std::numeric_limits<double>::infinity());
    json.BeginObject();
    json.EndObject();
    json.BeginArray();
    json.EndArray();
    json.EndArray();
    json.Key("text");
    json.Latin1String("\xE9\xFF\"");
    json.Key("flags");
    json.BeginArray();
    json.Bool(true);
    json.Bool(false);
    json.Null();
    json.EndArray();
    json.EndObject();
    json.Finish();
    EXPECT_EQ(out.str(),
              "{\"list\":[-5,0.1,0.1,1e+300,\"NAN\",\"INF\",\"-INF\",{},[]],\"text\":\"\xC3\xA9\xC3\xBF\\\"\","
              "\"flags\":[true,false,null]}\n");
    const TJson parsed = TJsonReader::Parse(out.str());
    EXPECT_EQ(parsed["list"][3].number, 1e300);
    EXPECT_EQ(parsed["text"].text, "\xC3\xA9\xC3\xBF\"");
}

TEST(JsonWriter, RefusesADocumentThatWouldNotBeJson) {
    std::ostringstream out;
    TJsonWriter unclosed(out);
    unclosed.BeginArray();
    EXPECT_THROW(unclosed.Finish(), std::logic_error);
    TJsonWriter memberWithoutName(out);
    memberWithoutName.BeginObject();
    EXPECT_THROW(memberWithoutName.Integer(1), std::logic_error);
    TJsonWriter nameInArray(out);
    nameInArray.BeginArray();
    EXPECT_THROW(nameInArray.Key("x"), std::logic_error);
    EXPECT_THROW(nameInArray.EndObject(), std::logic_error);
}

// The --json shapes of the reading commands, on a small database:
//   #1 Shop
//     #2 Fruit "quoted\tname" (level 3, read-only): price (currency 2.5), code (sequence 0A)
//   #3 -> Fruit (a link)
//   #5 a broken link (to #4, deleted)
class CliJsonTest : public ::testing::Test {
protected:
    void SetUp() override {
        TKelmorClass engine;
        ASSERT_EQ(engine.CreateDatabase(base, TKelmorClass::MakeLogin("admin", "pw")), kResultOK);
        engine.ClearNode();
        engine.SetDescription("Shop");
        const int32_t shop = engine.CreateNode(0);
        engine.ClearNode();
        engine.SetDescription("Fruit \"quoted\"\tname");
        engine.AddCurrencyKey("price", 25000);
        const uint8_t code[1] = {0x0A};
        engine.AddSequenceKey("code", code, 1);
        const int32_t fruit = engine.CreateNode(shop);
        engine.SetNodeSecurity(fruit, 3, true);
        engine.MarkNode(fruit);
        engine.CreateLink(0);
        engine.ClearNode();
        engine.SetDescription("gone");
        const int32_t gone = engine.CreateNode(0);
        engine.MarkNode(gone);
        engine.CreateLink(shop);
        engine.DeleteNode(gone);
        ASSERT_EQ(engine.Close(), kResultOK);
    }
    TJson Json(std::vector<std::string> arguments, int status = kExitOK) {
        arguments.push_back("--json");
        const clitest::TCliRun run = clitest::RunCliWith(arguments, clitest::AdminEnvironment());
        EXPECT_EQ(run.status, status) << run.err;
        EXPECT_EQ(run.out.back(), '\n');
        return TJsonReader::Parse(run.out);
    }

    test::TTempDir dir;
    std::string base = dir / "shop";
};

TEST_F(CliJsonTest, ShowAndGetGiveANodeAndAKey) {
    const TJson fruit = Json({"show", base, "#2"});
    EXPECT_EQ(fruit["id"].number, 2);
    EXPECT_EQ(fruit["parent"].number, 1);
    EXPECT_EQ(fruit["description"].text, "Fruit \"quoted\"\tname");
    EXPECT_EQ(fruit["level"].number, 3);
    EXPECT_TRUE(fruit["readOnly"].boolean);
    EXPECT_TRUE(fruit["link"].IsNull());
    EXPECT_FALSE(fruit.Has("children"));
    ASSERT_EQ(fruit["keys"].items.size(), 2u);
    EXPECT_EQ(fruit["keys"][0]["type"].text, "currency");
    EXPECT_EQ(fruit["keys"][0]["value"].text, "2.5");
    EXPECT_EQ(fruit["keys"][1]["value"].text, "0A");

    const TJson link = Json({"show", base, "#3"});
    EXPECT_EQ(link["link"].number, 2);
    EXPECT_FALSE(link["broken"].boolean);
    EXPECT_EQ(link["level"].number, 3);  // a link takes its source's byte when made
    EXPECT_EQ(link["keys"].items.size(), 2u);
    const TJson broken = Json({"show", base, "#5"});
    EXPECT_EQ(broken["link"].number, 4);
    EXPECT_TRUE(broken["broken"].boolean);
    EXPECT_TRUE(broken["keys"].items.empty());

    const TJson key = Json({"get", base, "Shop\\Fruit \"quoted\"\tname", "#1"});
    EXPECT_EQ(key["name"].text, "price");
    EXPECT_EQ(key["value"].number, 2.5);
}

TEST_F(CliJsonTest, TreeSearchBrokenLinksUsersInfoAndCheck) {
    const TJson tree = Json({"tree", base});
    ASSERT_EQ(tree.items.size(), 2u);
    EXPECT_EQ(tree[0]["description"].text, "Shop");
    ASSERT_EQ(tree[0]["children"].items.size(), 2u);
    EXPECT_EQ(tree[0]["children"][0]["id"].number, 2);
    EXPECT_TRUE(tree[0]["children"][1]["broken"].boolean);
    EXPECT_EQ(tree[1]["link"].number, 2);
    EXPECT_TRUE(tree[1]["children"].items.empty());  // links are not walked into

    const TJson found = Json({"search", base, "quoted"});
    ASSERT_EQ(found.items.size(), 1u);
    EXPECT_EQ(found[0]["id"].number, 2);
    EXPECT_EQ(found[0]["where"].text, "description");
    EXPECT_EQ(found[0]["path"].text, "Shop\\Fruit \"quoted\"\tname");

    const TJson broken = Json({"broken-links", base});
    ASSERT_EQ(broken.items.size(), 1u);
    EXPECT_EQ(broken[0]["id"].number, 5);
    EXPECT_EQ(broken[0]["parent"].number, 1);
    EXPECT_EQ(broken[0]["parentPath"].text, "Shop");

    const TJson users = Json({"users", base});
    ASSERT_EQ(users.items.size(), 5u);
    EXPECT_EQ(users[0]["slot"].number, 1);
    EXPECT_EQ(users[0]["name"].text, "ADMIN");
    EXPECT_EQ(users[4]["name"].text, "");

    const TJson info = Json({"info", base});
    ASSERT_EQ(info.members.size(), 15u);
    EXPECT_EQ(info.members[0].first, "Last version saved");
    EXPECT_EQ(info["Maximum index"].number, 4);
    EXPECT_EQ(info["Copy ID"].kind, TJson::TKind::Number);

    const TJson sound = Json({"check", base});
    EXPECT_TRUE(sound["ok"].boolean);
    std::vector<uint8_t> data = test::ReadBytes(base + ".dat");
    data.push_back(0);
    test::WriteBytes(base + ".dat", data);
    const TJson damaged = Json({"check", base}, kExitFailed);
    EXPECT_FALSE(damaged["ok"].boolean);
    ASSERT_FALSE(damaged["problems"].items.empty());
    EXPECT_EQ(damaged["problems"][0].text.rfind(base + ".dat: ", 0), 0u);
}

}  // namespace
}  // namespace kelmor::cli
