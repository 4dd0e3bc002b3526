#include <gtest/gtest.h>

#include <functional>

#include "engine/journal.h"
#include "engine/kelmorcheck.h"
#include "tests/testsupport/dbfixture.h"
#include "tests/testsupport/rawdatabase.h"

namespace kelmor {
namespace {

std::string Findings(const std::string& base) {
    std::string text;
    for (const TCheckFinding& finding : CheckDatabase(base)) {
        const size_t dot = finding.file.find_last_of('.');
        text += finding.file.substr(dot) + ": " + finding.problem + "\n";
    }
    return text;
}

using CheckTest = test::DatabaseTest;

TEST_F(CheckTest, ADatabaseWrittenByTheEngineIsSound) {
    engine.ClearNode();
    engine.SetDescription("holder");
    const uint8_t bytes[5] = {1, 2, 3, 4, 5};
    engine.AddBlobKey("empty", nullptr, 0);
    engine.AddBlobKey("five", bytes, 5);
    engine.AddDateKey("date", 45000.5);
    const int32_t holder = engine.CreateNode(0);
    AddNode("child", holder);
    engine.MarkNode(holder);
    engine.CreateLink(0);
    engine.MarkNode(AddNode("doomed"));
    engine.CreateLink(holder);
    engine.DeleteNode(engine.MarkedNode());  // a broken link is no inconsistency
    EXPECT_EQ(Findings(base), "");           // between saves the files are those of the last save
    engine.Close();
    EXPECT_EQ(Findings(base), "");
    EXPECT_NE(Findings(dir / "missing").find(".idx: cannot be read"), std::string::npos);
}

struct TDamage {
    const char* name;
    std::function<void(test::TRawDatabase&)> change;
    std::function<void(const std::string& base)> afterwards;
    const char* expected;  // a line of the findings, or part of one
};
void PrintTo(const TDamage& damage, std::ostream* out) { *out << damage.name; }

std::vector<uint8_t> Ref(int32_t id, int32_t size) { return test::BlobReference(id, size); }

void Append(const std::string& path, std::vector<uint8_t> extra) {
    std::vector<uint8_t> bytes = test::ReadBytes(path);
    bytes.insert(bytes.end(), extra.begin(), extra.end());
    test::WriteBytes(path, bytes);
}

const TDamage kDamages[] = {
    {"stamp of the data file", nullptr,
     [](const std::string& b) {
         auto data = test::ReadBytes(b + ".dat");
         data[47] ^= 1;
         test::WriteBytes(b + ".dat", data);
     },
     ".dat: offset 47: the stamp"},
    {"gap in the data file", [](auto& r) { r.nodes[1].positionOverride = 49 + 9 + 3; }, nullptr,
     ".dat: offset 58: 3 bytes belong to no record"},
    {"trailing bytes", nullptr,
     [](const std::string& b) {
         Append(b + ".dat", {0, 0});
     },
     "bytes at the end belong to no record"},
    {"overlapping records", [](auto& r) { r.nodes[1].positionOverride = 49 + 5; }, nullptr,
     "overlaps the record before it"},
    {"item past the record's end", [](auto& r) { r.nodes[0].record[4] = 100; }, nullptr,
     "the record of node 1: item 1 runs past the record's end"},
    {"key of the wrong size",
     [](auto& r) {
         r.nodes[0].record = test::MakeRecord("one", {{"n", ktLongint, {1}}});
     },
     nullptr, "key 1 (longint) holds 1 bytes instead of 4"},
    {"missing blob",
     [](auto& r) {
         r.nodes[0].record = test::MakeRecord("one", {{"b", ktBlob, Ref(7, 3)}});
     },
     nullptr, "node 1, key 1: blob 7 does not exist"},
    {"blob without key",
     [](auto& r) {
         r.blobs.push_back({1, {1, 2}, 0});
     },
     nullptr, "blob 1 belongs to no key"},
    {"blob of two keys",
     [](auto& r) {
         r.blobs.push_back({1, {1, 2}, 0});
         r.nodes[0].record = test::MakeRecord("one", {{"a", ktBlob, Ref(1, 2)}, {"b", ktBlob, Ref(1, 2)}});
     },
     nullptr, "blob 1 belongs to 2 keys"},
    {"missing blob file",
     [](auto& r) {
         r.blobs.push_back({1, {1, 2}, 0});
         r.nodes[0].record = test::MakeRecord("one", {{"a", ktBlob, Ref(1, 2)}});
     },
     [](const std::string& b) { std::remove((b + ".blb").c_str()); }, ".blb: cannot be read"},
    {"blob past the file's end",
     [](auto& r) {
         r.blobs.push_back({1, {1, 2}, 0});
         r.nodes[0].record = test::MakeRecord("one", {{"a", ktBlob, Ref(1, 20)}});
     },
     nullptr, "blob 1: its 20 bytes run past the end of the file"},
    {"missing parent",
     [](auto& r) {
         r.nodes[1].parent = 77;
         r.lastNodeID = 77;
     },
     nullptr, "node 2: its parent 77 does not exist"},
    {"parent cycle", [](auto& r) { r.nodes[0].parent = 2; }, nullptr, "form a cycle"},
    {"chained link",
     [](auto& r) {
         r.nodes.push_back({3, 0, 5, {}, 1, 0});
         r.nodes.push_back({4, 0, 5, {}, 3, 0});
     },
     nullptr, "link 4 points at link 3"},
    {"index length", [](auto& r) { r.nodeCountOverride = 5; }, nullptr, "but its header counts 5 nodes"},
    {"interrupted save", nullptr,
     [](const std::string& b) {
         TJournalWriter journal;
         journal.Begin(b);
         journal.Commit();
     },
     ".kmj: an interrupted save waits here"},
};

class DamagedCheckTest : public ::testing::TestWithParam<TDamage> {};

TEST_P(DamagedCheckTest, ReportsTheDamageAndChangesNoFile) {
    const TDamage& damage = GetParam();
    test::TTempDir dir;
    const std::string base = dir / "db";
    test::TRawDatabase raw;
    raw.nodes.push_back({1, 0, 5, test::MakeRecord("one"), 0, 0});
    raw.nodes.push_back({2, 1, 5, test::MakeRecord("two"), 0, 0});
    if (damage.change) damage.change(raw);
    raw.Write(base);
    if (damage.afterwards) damage.afterwards(base);
    const auto index = test::ReadBytes(base + ".idx"), data = test::ReadBytes(base + ".dat");
    const std::string findings = Findings(base);
    EXPECT_NE(findings.find(damage.expected), std::string::npos) << findings;
    EXPECT_EQ(test::ReadBytes(base + ".idx"), index);
    EXPECT_EQ(test::ReadBytes(base + ".dat"), data);
}

INSTANTIATE_TEST_SUITE_P(Cases, DamagedCheckTest, ::testing::ValuesIn(kDamages), [](const auto& info) {
    std::string name = info.param.name;
    for (char& c : name)
        if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
    return name;
});

}  // namespace
}  // namespace kelmor
