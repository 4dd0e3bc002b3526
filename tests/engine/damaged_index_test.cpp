#include <gtest/gtest.h>

#include <functional>

#include "engine/tkelmor.h"
#include "tests/testsupport/rawdatabase.h"
#include "tests/testsupport/tempdir.h"

namespace kelmor {
namespace {

using test::TRawDatabase;

TRawDatabase TwoNodes() {
    TRawDatabase raw;
    raw.nodes.push_back({1, 0, 5, test::MakeRecord("one", {{"data", ktBlob, test::BlobReference(1, 3)}}), 0, 0});
    raw.nodes.push_back({2, 1, 5, test::MakeRecord("two"), 0, 0});
    raw.blobs.push_back({1, {1, 2, 3}, 0});
    return raw;
}

struct TDamage {
    const char* name;
    std::function<void(TRawDatabase&)> change;         // on the description
    std::function<void(std::vector<uint8_t>&)> index;  // on the index bytes afterwards
    const char* expectedText;                          // part of the message
};

const TDamage kDamages[] = {
    {"too short", nullptr, [](auto& i) { i.resize(120); }, "too short"},
    {"count beyond length", [](auto& r) { r.nodeCountOverride = 3; }, nullptr, "counts 3 nodes"},
    {"count below length", [](auto& r) { r.blobCountOverride = 0; }, nullptr, "holds"},
    {"trailing bytes", nullptr, [](auto& i) { i.push_back(0); }, "holds"},
    {"far too long", nullptr, [](auto& i) { i.resize(2'000'000); }, "longer"},
    {"ID zero", [](auto& r) { r.nodes[1].id = 0; }, nullptr, "ID 0"},
    {"ID above the last one", [](auto& r) { r.lastNodeID = 1; }, nullptr, "above the header's last node ID 1"},
    {"repeated ID", [](auto& r) { r.nodes[1].id = 1; }, nullptr, "repeats the node ID 1"},
    {"negative parent", [](auto& r) { r.nodes[1].parent = -4; }, nullptr, "parent ID -4"},
    {"own parent", [](auto& r) { r.nodes[1].parent = 2; }, nullptr, "parent ID 2"},
    {"parent cycle", [](auto& r) { r.nodes[0].parent = 2; }, nullptr, "cycle"},
    {"record inside the head", [](auto& r) { r.nodes[0].positionOverride = 10; }, nullptr, "file head"},
    {"record beyond the data file", [](auto& r) { r.nodes[1].positionOverride = 1 << 20; }, nullptr,
     "beyond the end of the data file"},
    {"records at one position", [](auto& r) { r.nodes[1].positionOverride = 49; }, nullptr, "same record position"},
    {"record too short",
     [](auto& r) {
         const size_t end = 49 + r.nodes[0].record.size() + r.nodes[1].record.size();
         r.nodes[1].positionOverride = static_cast<int32_t>(end - 2);
     },
     nullptr, "too short"},
    {"link to minimum ID", [](auto& r) { r.nodes[1].positionOverride = INT32_MIN; }, nullptr, "source ID"},
    {"blob beyond the blob file", [](auto& r) { r.blobs[0].positionOverride = 5000; }, nullptr,
     "beyond the end of the blob file"},
    {"blob ID above the last one", [](auto& r) { r.lastBlobID = 0; }, nullptr, "blob entry 1"},
    {"negative last node ID", [](auto& r) { r.lastNodeID = -5; }, nullptr, "last node ID is -5"},
    {"negative last blob ID", [](auto& r) { r.lastBlobID = -10; }, nullptr, "last blob ID is -10"},
    {"last node ID below an ID in use",
     [](auto& r) {
         r.nodes[1].id = 9;
         r.lastNodeID = 8;
     },
     nullptr, "above the header's last node ID 8"},
    {"last node ID at the 32-bit maximum", [](auto& r) { r.lastNodeID = INT32_MAX; }, nullptr,
     "last node ID is 2147483647"},
    {"last blob ID at the 32-bit maximum", [](auto& r) { r.lastBlobID = INT32_MAX; }, nullptr,
     "last blob ID is 2147483647"},
    {"blob inside the head", [](auto& r) { r.blobs[0].positionOverride = 3; }, nullptr, "impossible position"},
};

void PrintTo(const TDamage& damage, std::ostream* out) { *out << damage.name; }

class DamagedIndexTest : public ::testing::TestWithParam<TDamage> {};

TEST_P(DamagedIndexTest, IsRefusedWithAMessageAndNothingChanges) {
    const TDamage& damage = GetParam();
    test::TTempDir dir;
    const std::string base = dir / "bad";
    TRawDatabase raw = TwoNodes();
    if (damage.change) damage.change(raw);
    raw.Write(base);
    std::vector<uint8_t> index = raw.IndexBytes();
    if (damage.index) damage.index(index);
    test::WriteBytes(base + ".idx", index);
    const auto before =
        std::vector{test::ReadBytes(base + ".idx"), test::ReadBytes(base + ".dat"), test::ReadBytes(base + ".blb")};
    for (bool readOnly : {true, false}) {
        TKelmorClass engine;
        const int result = engine.OpenDatabase(base, readOnly, TKelmorClass::MakeLogin("admin", "secret"));
        EXPECT_EQ(result, kResultDamaged) << damage.name;
        EXPECT_NE(engine.LastErrorText().find(damage.expectedText), std::string::npos)
            << damage.name << ": " << engine.LastErrorText();
        EXPECT_FALSE(engine.IsOpen());
    }
    EXPECT_EQ(test::ReadBytes(base + ".idx"), before[0]);
    EXPECT_EQ(test::ReadBytes(base + ".dat"), before[1]);
    EXPECT_EQ(test::ReadBytes(base + ".blb"), before[2]);
}

INSTANTIATE_TEST_SUITE_P(Cases, DamagedIndexTest, ::testing::ValuesIn(kDamages), [](const auto& info) {
    std::string name = info.param.name;
    for (char& c : name)
        if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
    return name;
});

TEST(DamagedFiles, MissingOrTruncatedDataFileIsReported) {
    test::TTempDir dir;
    const std::string base = dir / "bad";
    TwoNodes().Write(base);
    test::WriteBytes(base + ".dat", {1, 2, 3});
    TKelmorClass engine;
    const TKelmorLogin login = TKelmorClass::MakeLogin("admin", "secret");
    EXPECT_EQ(engine.OpenDatabase(base, true, login), kResultDamaged);
    EXPECT_NE(engine.LastErrorText().find("shorter than its 49-byte head"), std::string::npos);
    std::remove((base + ".dat").c_str());
    EXPECT_EQ(engine.OpenDatabase(base, true, login), kResultDamaged);
    EXPECT_NE(engine.LastErrorText().find("cannot be opened"), std::string::npos);
    std::remove((base + ".idx").c_str());
    EXPECT_EQ(engine.OpenDatabase(base, true, login), ENOENT);
    EXPECT_NE(engine.LastErrorText().find("bad.idx"), std::string::npos);
}

}  // namespace
}  // namespace kelmor
