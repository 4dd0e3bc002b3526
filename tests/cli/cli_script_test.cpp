#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cli/cliapp.h"
#include "tests/cli/clirun.h"
#include "tests/cli/jsonreader.h"
#include "tests/testsupport/tempdir.h"

namespace kelmor::cli {
namespace {

using clitest::TJson;
using clitest::TJsonReader;
using TRun = clitest::TCliRun;

// A value that a script sets and expects back from tree --json.
struct TKeyCase {
    const char* name;
    const char* type;
    std::vector<std::string> value;  // the text argument, or --hex/--from and its argument
    std::string json;                // the expected value, as JSON text
};

// The first child of `nodes` (a JSON array of nodes) with that description.
const TJson& Child(const TJson& nodes, const std::string& description) {
    for (const TJson& node : nodes.items)
        if (node["description"].text == description) return node;
    throw std::out_of_range("no node " + description);
}

// A value as JSON text again, for comparing: numbers as written, strings quoted.
std::string AsJson(const TJson& value) {
    switch (value.kind) {
        case TJson::TKind::Null: return "null";
        case TJson::TKind::Bool: return value.boolean ? "true" : "false";
        case TJson::TKind::Number: return value.text;
        case TJson::TKind::String: return "\"" + value.text + "\"";
        case TJson::TKind::Object: {
            std::string text = "{";
            for (const auto& [name, member] : value.members)
                text += (text.size() > 1 ? "," : "") + ("\"" + name + "\":") + AsJson(member);
            return text + "}";
        }
        case TJson::TKind::Array: {
            std::string text = "[";
            for (const TJson& item : value.items) text += (text.size() > 1 ? "," : "") + AsJson(item);
            return text + "]";
        }
    }
    return "";
}

// What a shell script does: build a branch, fill every key type with set, move and copy
// it, read the tree back as JSON, remove it, and check the files.
TEST(CliScript, BuildMoveCopyReadBackAsJsonAndRemove) {
    test::TTempDir dir;
    const std::string base = dir / "stock";
    auto run = [&](std::vector<std::string> arguments) {
        TRun result = clitest::RunCliWith(arguments, clitest::AdminEnvironment());
        EXPECT_EQ(result.status, kExitOK)
            << arguments[0] << " " << (arguments.size() > 2 ? arguments[2] : "") << ": " << result.err;
        return result;
    };
    std::vector<uint8_t> blob(300);
    for (size_t i = 0; i < blob.size(); ++i) blob[i] = static_cast<uint8_t>(i);
    const std::string blobFile = dir / "blob.bin";
    test::WriteBytes(blobFile, blob);

    run({"create", base});
    run({"add", base, "Stock\\Fruit", "Apple \xC3\xA9", "--parents"});
    const std::vector<TKeyCase> keys = {
        {"b", "byte", {"200"}, "200"},
        {"i", "integer", {"-300"}, "-300"},
        {"l", "longint", {"-2147483648"}, "-2147483648"},
        {"f", "float", {"1.25"}, "1.25"},
        {"f2", "float", {"0.1"}, "0.1"},
        {"s", "string", {"Gr\xC3\xBCne \"\xC3\x84pfel\"\t\\ 1"}, "\"Gr\xC3\xBCne \"\xC3\x84pfel\"\t\\ 1\""},
        {"q", "sequence", {"--hex", "00 7f FF"}, "\"007FFF\""},
        {"blob", "blob", {"--from", blobFile}, "{\"size\":300}"},
        {"c", "currency", {"-12.3456"}, "-12.3456"},
        {"d", "double", {"1E-7"}, "1e-07"},
        {"nan", "double", {"NAN"}, "\"NAN\""},
        {"inf", "double", {"-INF"}, "\"-INF\""},
        {"t", "datetime", {"2024-02-29 23:59:58"}, "\"2024-02-29T23:59:58\""},
        {"empty", "datetime", {"1899-12-30"}, "null"},  // the empty date's display text
    };
    for (const TKeyCase& key : keys) {
        std::vector<std::string> arguments = {"set", base, "Stock\\Fruit\\Apple \xC3\xA9", key.name};
        arguments.insert(arguments.end(), key.value.begin(), key.value.end());
        arguments.insert(arguments.end(), {"--type", key.type});
        run(arguments);
    }
    run({"set", base, "Stock\\Fruit\\Apple \xC3\xA9", "B", "201"});  // a value changed in place
    EXPECT_EQ(run({"add", base, "Root", "Archive"}).out, "4\n");
    run({"mv", base, "Stock\\Fruit", "Archive"});
    EXPECT_EQ(run({"cp", base, "Archive\\Fruit", "Root"}).out, "5\n");

    const TJson tree = TJsonReader::Parse(run({"tree", base, "--json"}).out);
    ASSERT_EQ(tree.items.size(), 3u);  // Stock, Archive, the copy of Fruit
    EXPECT_TRUE(Child(tree, "Stock")["children"].items.empty());
    const TJson& fruit = Child(Child(tree, "Archive")["children"], "Fruit");
    EXPECT_EQ(fruit["id"].number, 2);
    EXPECT_TRUE(fruit["link"].IsNull());
    EXPECT_FALSE(fruit["broken"].boolean);
    const TJson& apple = Child(fruit["children"], "Apple \xC3\xA9");
    EXPECT_EQ(apple["level"].number, 5);
    ASSERT_EQ(apple["keys"].items.size(), keys.size());
    for (size_t k = 0; k < keys.size(); ++k) {
        const TJson& key = apple["keys"][k];
        EXPECT_EQ(key["name"].text, keys[k].name);
        EXPECT_EQ(key["type"].text, keys[k].type);
        const std::string expected = k == 0 ? "201" : keys[k].json;
        EXPECT_EQ(AsJson(key["value"]), expected) << keys[k].name;
    }
    // the copy has every key but the blob
    const TJson& copiedApple = Child(Child(tree, "Fruit")["children"], "Apple \xC3\xA9");
    ASSERT_EQ(copiedApple["keys"].items.size(), keys.size() - 1);
    for (const TJson& key : copiedApple["keys"].items) EXPECT_NE(key["type"].text, "blob");
    EXPECT_EQ(copiedApple["id"].number, 6);

    const TJson blobKey = TJsonReader::Parse(run({"get", base, "#3", "blob", "--json"}).out);
    EXPECT_EQ(AsJson(blobKey), "{\"name\":\"blob\",\"type\":\"blob\",\"value\":{\"size\":300}}");
    const std::string copy = dir / "copy.bin";
    run({"get", base, "Archive\\Fruit\\Apple \xC3\xA9", "blob", "--output", copy});
    EXPECT_EQ(test::ReadBytes(copy), blob);

    run({"rm", base, "Archive"});
    run({"rm", base, "#5"});
    run({"rm", base, "Stock"});
    EXPECT_EQ(run({"tree", base, "--json"}).out, "[]\n");
    const TJson check = TJsonReader::Parse(run({"check", base, "--json"}).out);
    EXPECT_TRUE(check["ok"].boolean);
    EXPECT_TRUE(check["problems"].items.empty());
    EXPECT_EQ(TJsonReader::Parse(run({"info", base, "--json"}).out)["Maximum blobs"].number, 0);
}

}  // namespace
}  // namespace kelmor::cli
