#include <gtest/gtest.h>

#include <filesystem>

#include "engine/scramble.h"
#include "engine/tkelmor.h"
#include "tests/testsupport/rawdatabase.h"
#include "tests/testsupport/tempdir.h"

namespace kelmor {
namespace {

using test::DecodeIndex;
using test::ReadBytes;
using test::TRawDatabase;

uint16_t StampOf(const std::vector<uint8_t>& file) { return static_cast<uint16_t>(file[47] | file[48] << 8); }

class StorageTest : public ::testing::Test {
protected:
    test::TTempDir dir;
    std::string base = dir / "stock";
    TKelmorLogin admin = TKelmorClass::MakeLogin("Admin", "Secret");

    void Create() {
        TKelmorClass engine;
        ASSERT_EQ(engine.CreateDatabase(base, admin), kResultOK);
    }
    // A database with two nodes, a link and a blob, written straight from the format, its
    // entries in the order the engine stores them (by parent).
    TRawDatabase Sample() {
        TRawDatabase raw;
        raw.users = {{"ADMIN", "SECRET"}, {"CLERK", "PW"}};
        raw.nodes.push_back({1, 0, 5, test::MakeRecord("first"), 0, 0});
        raw.nodes.push_back({3, 0, 5, {}, 2, 0});  // a link to node 2
        raw.nodes.push_back({2, 1, 3, test::MakeRecord("second", {{"k", 3, {1, 0, 0, 0}}}), 0, 0});
        raw.blobs.push_back({1, {1, 2, 3, 4, 5}, 0});
        return raw;
    }
};

TEST_F(StorageTest, NewDatabaseHasA300ByteIndexWithTheCreatorInSlotOne) {
    TKelmorClass engine;
    ASSERT_EQ(engine.CreateDatabase(base, admin), kResultOK);
    ASSERT_TRUE(engine.IsOpen());
    EXPECT_EQ(engine.CurrentUser(), 1);
    const std::vector<uint8_t> index = ReadBytes(base + ".idx");
    ASSERT_EQ(index.size(), 300u);
    EXPECT_TRUE(std::equal(kFileHeadTemplate.begin(), kFileHeadTemplate.begin() + 46, index.begin()));
    const auto decoded = DecodeIndex(index);
    EXPECT_EQ(decoded.securityType, 1);
    EXPECT_EQ(decoded.majorVersion, 1);
    EXPECT_EQ(decoded.minorVersion, 25);
    EXPECT_EQ(decoded.nodeCount, 0);
    EXPECT_EQ(decoded.lastWriter, 0);  // written while the database was being created
    TUserBlock users;
    std::copy(decoded.userBlock.begin(), decoded.userBlock.end(), users.begin());
    EXPECT_EQ(SlotUserName(users, 1), "ADMIN");
    EXPECT_EQ(CheckUserLogin(users, "ADMIN", "SECRET"), 1);
    EXPECT_EQ(SlotUserName(users, 2), "");
    engine.Close();
    EXPECT_EQ(DecodeIndex(ReadBytes(base + ".idx")).lastWriter, 1);
    EXPECT_EQ(test::FileSize(base + ".dat"), 49u);
}

TEST_F(StorageTest, BlobFileExistsOnlyWhileOpenForWritingWhenThereAreNoBlobs) {
    Create();
    EXPECT_FALSE(test::Exists(base + ".blb"));
    {
        TKelmorClass engine;
        ASSERT_EQ(engine.OpenDatabase(base, false, admin), kResultOK);
        ASSERT_TRUE(test::Exists(base + ".blb"));
        const std::vector<uint8_t> blob = ReadBytes(base + ".blb");
        ASSERT_EQ(blob.size(), 49u);
        EXPECT_TRUE(std::equal(kFileHeadTemplate.begin(), kFileHeadTemplate.begin() + 47, blob.begin()));
    }
    EXPECT_FALSE(test::Exists(base + ".blb"));
    {
        TKelmorClass engine;
        ASSERT_EQ(engine.OpenDatabase(base, true, admin), kResultOK);
        EXPECT_FALSE(test::Exists(base + ".blb"));
    }
}

TEST_F(StorageTest, EveryIndexWriteStampsAllThreeFilesAndAnOldDataFileFailsTheChecksum) {
    Create();
    TKelmorClass engine;
    ASSERT_EQ(engine.OpenDatabase(base, false, admin), kResultOK);
    const std::vector<uint8_t> oldData = ReadBytes(base + ".dat");
    uint16_t stamp = StampOf(ReadBytes(base + ".idx"));
    for (int flush = 0; flush < 5 && stamp == StampOf(oldData); ++flush) {
        ASSERT_EQ(engine.Flush(), kResultOK);
        stamp = StampOf(ReadBytes(base + ".idx"));
        EXPECT_EQ(StampOf(ReadBytes(base + ".dat")), stamp);
        EXPECT_EQ(StampOf(ReadBytes(base + ".blb")), stamp);
        EXPECT_EQ(engine.Stamp(), stamp);
    }
    ASSERT_NE(stamp, StampOf(oldData));
    EXPECT_FALSE(engine.Modified());
    engine.Close();

    test::WriteBytes(base + ".dat", oldData);
    TKelmorClass again;
    EXPECT_THROW(again.OpenDatabase(base, false, admin), EKelmorCheckSumFailed);
    EXPECT_TRUE(again.IsOpen());
    EXPECT_EQ(again.CurrentUser(), 1);
    EXPECT_EQ(again.GetInfo().stamp, again.Stamp());
}

TEST_F(StorageTest, ReadOnlyOpenAndCloseChangeNoByteOfAnyFile) {
    Sample().Write(base);
    const auto before = std::vector{ReadBytes(base + ".idx"), ReadBytes(base + ".dat"), ReadBytes(base + ".blb")};
    {
        TKelmorClass engine;
        ASSERT_EQ(engine.OpenDatabase(base, true, admin), kResultOK);
        EXPECT_TRUE(engine.IsReadOnly());
        EXPECT_EQ(engine.Flush(), kResultOK);
        engine.Close();
    }
    EXPECT_EQ(ReadBytes(base + ".idx"), before[0]);
    EXPECT_EQ(ReadBytes(base + ".dat"), before[1]);
    EXPECT_EQ(ReadBytes(base + ".blb"), before[2]);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()), {}), 3);
}

TEST_F(StorageTest, ReopeningWithoutChangesKeepsEntriesRecordsAndBlobsInPlace) {
    const TRawDatabase raw = Sample();
    raw.Write(base);
    {
        TKelmorClass engine;
        ASSERT_EQ(engine.OpenDatabase(base, false, admin), kResultOK);
        EXPECT_EQ(engine.GetInfo().nodeCount, 3);
    }
    const auto written = DecodeIndex(ReadBytes(base + ".idx"));
    const auto original = DecodeIndex(raw.IndexBytes());
    ASSERT_EQ(written.nodes.size(), 3u);
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(written.nodes[i].id, original.nodes[i].id);
        EXPECT_EQ(written.nodes[i].parent, original.nodes[i].parent);
        EXPECT_EQ(written.nodes[i].position, original.nodes[i].position);
        EXPECT_EQ(written.nodes[i].security, original.nodes[i].security);
    }
    EXPECT_EQ(written.blobs, original.blobs);
    std::vector<uint8_t> data = ReadBytes(base + ".dat"), expected = raw.DataBytes();
    ASSERT_EQ(data.size(), expected.size());
    EXPECT_TRUE(std::equal(data.begin() + 49, data.end(), expected.begin() + 49));
    std::vector<uint8_t> blob = ReadBytes(base + ".blb"), expectedBlob = raw.BlobBytes();
    EXPECT_TRUE(std::equal(blob.begin() + 49, blob.end(), expectedBlob.begin() + 49, expectedBlob.end()));
}

TEST_F(StorageTest, WrongPasswordGives14AndLeavesTheEngineClosedAndTheFilesAlone) {
    Sample().Write(base);
    const std::vector<uint8_t> index = ReadBytes(base + ".idx");
    TKelmorClass engine;
    EXPECT_EQ(engine.OpenDatabase(base, false, TKelmorClass::MakeLogin("admin", "wrong")), kResultLogonRefused);
    EXPECT_FALSE(engine.IsOpen());
    EXPECT_EQ(engine.GetBaseName(), "");
    EXPECT_EQ(engine.CurrentUser(), 0);
    EXPECT_EQ(ReadBytes(base + ".idx"), index);
    EXPECT_EQ(engine.OpenDatabase(base, false, TKelmorClass::MakeLogin("", "")), kResultLogonRefused);
}

TEST_F(StorageTest, SecurityTypeAbove1IsReadAsPlainAndWrittenBackAs0) {
    TRawDatabase raw = Sample();
    raw.securityType = 0;
    std::vector<uint8_t> index = raw.IndexBytes();
    index[46] = 7;
    raw.Write(base);
    test::WriteBytes(base + ".idx", index);
    TKelmorClass engine;
    ASSERT_EQ(engine.OpenDatabase(base, false, admin), kResultOK);
    EXPECT_EQ(engine.SecurityType(), 0);
    EXPECT_EQ(engine.GetInfo().securityType, 0);
    ASSERT_EQ(engine.Flush(), kResultOK);
    const std::vector<uint8_t> written = ReadBytes(base + ".idx");
    EXPECT_EQ(written[46], 0);
    EXPECT_EQ(DecodeIndex(written).nodeCount, 3);
}

TEST_F(StorageTest, OldFileWithOneEntryPerBlockIsWrittenBackInBlocksAsVersion1_25) {
    TRawDatabase raw = Sample();
    raw.minorVersion = 14;
    raw.Write(base);
    // One entry per block differs from one block for all of them.
    TRawDatabase asBlocks = raw;
    asBlocks.minorVersion = 25;
    const std::vector<uint8_t> perEntry = raw.IndexBytes(), inBlocks = asBlocks.IndexBytes();
    ASSERT_NE(std::vector<uint8_t>(perEntry.begin() + 300, perEntry.end()),
              std::vector<uint8_t>(inBlocks.begin() + 300, inBlocks.end()));
    {
        TKelmorClass engine;
        ASSERT_EQ(engine.OpenDatabase(base, false, admin), kResultOK);
        EXPECT_EQ(engine.Header().minorVersion, 14);
    }
    const auto written = DecodeIndex(ReadBytes(base + ".idx"));
    EXPECT_EQ(written.majorVersion, 1);
    EXPECT_EQ(written.minorVersion, 25);
    const auto original = DecodeIndex(asBlocks.IndexBytes());
    ASSERT_EQ(written.nodes.size(), original.nodes.size());
    for (size_t i = 0; i < written.nodes.size(); ++i) EXPECT_EQ(written.nodes[i].id, original.nodes[i].id);
    EXPECT_EQ(written.blobs, original.blobs);
}

TEST_F(StorageTest, VersionRulesOfOldFiles) {
    {  // 1.5 and older: the built-in user block
        TRawDatabase raw;
        raw.minorVersion = 5;
        raw.Write(base);
        TKelmorClass engine;
        EXPECT_EQ(engine.OpenDatabase(base, true, admin), kResultLogonRefused);
        EXPECT_EQ(engine.OpenDatabase(base, true, TKelmorClass::MakeLogin("curator", "Curator")), kResultOK);
        EXPECT_EQ(engine.Header().lastWriter, 5);
        EXPECT_EQ(engine.Header().year, 0);
    }
    {  // 1.1 and older: no blobs, whatever the count says
        TRawDatabase raw;
        raw.minorVersion = 1;
        raw.blobs.push_back({1, {9, 9}, 0});
        std::vector<uint8_t> index = raw.IndexBytes();
        index.resize(300);  // the old format has no blob entries
        raw.Write(base);
        test::WriteBytes(base + ".idx", index);
        TKelmorClass engine;
        ASSERT_EQ(engine.OpenDatabase(base, true, TKelmorClass::MakeLogin(kBuiltInUserWord, kBuiltInUserWord)),
                  kResultOK);
        EXPECT_EQ(engine.Header().blobCount, 0);
    }
    {  // 1.9 and older: stamps are not compared, and the next write puts heads into the other files
        TRawDatabase raw = Sample();
        raw.minorVersion = 9;
        raw.Write(base);
        std::vector<uint8_t> data = ReadBytes(base + ".dat");
        std::fill(data.begin(), data.begin() + 49, uint8_t{0});
        test::WriteBytes(base + ".dat", data);
        TKelmorClass engine;
        ASSERT_EQ(engine.OpenDatabase(base, false, admin), kResultOK);
        EXPECT_EQ(engine.Stamp(), 0);
        ASSERT_EQ(engine.Flush(), kResultOK);
        data = ReadBytes(base + ".dat");
        EXPECT_TRUE(std::equal(kFileHeadTemplate.begin(), kFileHeadTemplate.begin() + 47, data.begin()));
        EXPECT_EQ(StampOf(data), StampOf(ReadBytes(base + ".idx")));
    }
}

TEST_F(StorageTest, InformationIsForTheAdministratorOnly) {
    Sample().Write(base);
    TKelmorClass engine;
    ASSERT_EQ(engine.OpenDatabase(base, true, TKelmorClass::MakeLogin("clerk", "pw")), kResultOK);
    EXPECT_EQ(engine.CurrentUser(), 2);
    EXPECT_THROW(engine.GetInfo(), EKelmorAccessDenied);
    ASSERT_EQ(engine.OpenDatabase(base, true, admin), kResultOK);
    const TKelmorInfo info = engine.GetInfo();
    EXPECT_EQ(info.nodeCount, 3);
    EXPECT_EQ(info.lastNodeID, 3);
    EXPECT_EQ(info.parentBucketsInUse, 2);
    EXPECT_EQ(info.parentLongestBucket, 2);
    EXPECT_EQ(info.nodeBucketsInUse, 3);
    EXPECT_EQ(info.blobCount, 1);
    EXPECT_EQ(info.blobBucketsInUse, 1);
    EXPECT_EQ(info.stamp, 4711);
}

TEST_F(StorageTest, NamesFreeSpaceAndTheStateOfAClosedEngine) {
    TKelmorClass engine;
    EXPECT_EQ(engine.NodeSpaceFree(), 0);
    EXPECT_EQ(engine.DiskFree(), 0);
    EXPECT_FALSE(engine.Modified());
    EXPECT_EQ(engine.Flush(), kResultOK);
    ASSERT_EQ(engine.CreateDatabase(base, admin), kResultOK);
    EXPECT_EQ(engine.NodeSpaceFree(), 100);
    EXPECT_GT(engine.DiskFree(), 0);
    EXPECT_EQ(engine.GetBaseName(), base);
    EXPECT_EQ(engine.GetFileName(), "STOCK");
}

TEST(RemoveExtension, CutsAtTheLastDotAnywhere) {
    struct TCase {
        const char* in;
        const char* out;
    };
    for (const TCase& c :
         {TCase{"stock.idx", "stock"}, TCase{"/data/stock.v2.idx", "/data/stock.v2"}, TCase{"/data.old/stock", "/data"},
          TCase{"stock", "stock"}, TCase{"", ""}, TCase{".idx", ""}}) {
        EXPECT_EQ(TKelmorClass::RemoveExtension(c.in), c.out) << c.in;
    }
}

TEST(BasePathOf, CutsOnlyTheLastComponentsExtension) {
    struct TCase {
        const char* in;
        const char* out;
    };
    for (const TCase& c : {TCase{"stock.idx", "stock"}, TCase{"/home/a/.local/stock.idx", "/home/a/.local/stock"},
                           TCase{"/home/a/.local/stock", "/home/a/.local/stock"}, TCase{"stock", "stock"},
                           TCase{"./stock.v2.dat", "./stock.v2"}}) {
        EXPECT_EQ(TKelmorClass::BasePathOf(c.in), c.out) << c.in;
    }
}

TEST(Errors, FixedMessagesAndHierarchy) {
    EXPECT_STREQ(EKelmorCheckSumFailed().what(), "Checksum Check Failed");
    EXPECT_STREQ(EKelmorKeyListFullError().what(), "Key List Full");
    EXPECT_STREQ(EKelmorNodeCopyError().what(), "Unable to Copy Node");
    EXPECT_STREQ(EKelmorGetFreeSpaceError().what(), "Error getting free disk space");
    EXPECT_STREQ(EKelmorParentsDifferentError().what(), "Parent Nodes Different");
    const EKelmorKeyError& key = EKelmorWrongKeyType();
    EXPECT_STREQ(key.what(), "Wrong Key Type");
    const EKelmorBlobError& blob = EKelmorInvalidOpOnBlob();
    EXPECT_STREQ(blob.what(), "Invalid Operation on Blob");
    const EKelmorError& node = EKelmorNodeNotLinkError();
    EXPECT_STREQ(node.what(), "Not a Link");
}

}  // namespace
}  // namespace kelmor
