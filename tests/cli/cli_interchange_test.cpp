#include <gtest/gtest.h>

#include <map>
#include <sstream>

#include "cli/cliapp.h"
#include "engine/tkelmor.h"
#include "tests/cli/clirun.h"
#include "tests/testsupport/dbftable.h"
#include "tests/testsupport/tempdir.h"

namespace kelmor::cli {
namespace {

// A database made through the engine:
//   Shop (price = 1.500, code = 00 FF, photo = a blob of 100 bytes)
//     Fruit \xE9 (when = 2024-02-03 10:11:12)
//   -> Shop\Fruit
class CliInterchangeTest : public ::testing::Test {
protected:
    void SetUp() override {
        TKelmorClass engine;
        ASSERT_EQ(engine.CreateDatabase(base, TKelmorClass::MakeLogin("admin", "pw")), kResultOK);
        engine.ClearNode();
        engine.SetDescription("Shop");
        engine.AddFloatKey("price", 1.5f);
        const uint8_t code[2] = {0x00, 0xFF};
        engine.AddSequenceKey("code", code, 2);
        std::vector<uint8_t> photo(100);
        for (size_t i = 0; i < photo.size(); ++i) photo[i] = static_cast<uint8_t>(i * 3);
        engine.AddBlobKey("photo", photo.data(), photo.size());
        const int32_t shop = engine.CreateNode(0);
        engine.ClearNode();
        engine.SetDescription("Fruit \xE9");
        double when = 0;
        TryEncodeDateTime(2024, 2, 3, 10, 11, 12, 0, when);
        engine.AddDateKey("when", when);
        const int32_t fruit = engine.CreateNode(shop);
        engine.MarkNode(fruit);
        engine.CreateLink(0);
    }
    using TRun = clitest::TCliRun;
    TRun Run(const std::vector<std::string>& arguments) {
        return clitest::RunCliWith(arguments, clitest::AdminEnvironment());
    }
    std::string FileText(const std::string& path) {
        const std::vector<uint8_t> bytes = test::ReadBytes(path);
        return std::string(bytes.begin(), bytes.end());
    }

    test::TTempDir dir;
    std::string base = dir / "shop";
    std::string copy = dir / "copy";
};

TEST_F(CliInterchangeTest, ExportThenImportIntoANewDatabaseRoundTrips) {
    const TRun exported = Run({"export", base + ".idx", dir / "all.kmt"});
    ASSERT_EQ(exported.status, kExitOK) << exported.err;
    EXPECT_EQ(exported.err, "");
    const std::string file = FileText(dir / "all.kmt");
    EXPECT_EQ(file.substr(0, 41), "[KELMOR]\r\n[1.0]\r\n\r\n; Exported from SHOP\r\n");
    EXPECT_NE(file.find("[\\Shop\\Fruit \xE9]\r\n \"when\"=datetime:\"2024-02-03 10:11:12\"\r\n"), std::string::npos);

    ASSERT_EQ(Run({"create", copy}).status, kExitOK);
    const TRun imported = Run({"import", copy, dir / "all.kmt"});
    ASSERT_EQ(imported.status, kExitOK) << imported.err;
    const std::string original = Run({"tree", base, "--keys"}).out;
    EXPECT_EQ(original.substr(0, 5), "Shop\n");
    EXPECT_EQ(Run({"tree", copy, "--keys"}).out, original);

    // an export of the copy is the same file
    ASSERT_EQ(Run({"export", copy, dir / "again.kmt"}).status, kExitOK);
    EXPECT_EQ(FileText(dir / "again.kmt").substr(41), file.substr(41));
}

TEST_F(CliInterchangeTest, ABranchGoesToTheLocationGiven) {
    ASSERT_EQ(Run({"export", base, dir / "fruit.KMT", "--location", "Root\\Shop\\Fruit \xC3\xA9"}).status, kExitOK);
    ASSERT_EQ(Run({"create", copy}).status, kExitOK);
    const TRun imported = Run({"import", copy, dir / "fruit.KMT", "--location", "Store\\Shelf"});
    ASSERT_EQ(imported.status, kExitOK) << imported.err;
    EXPECT_EQ(Run({"tree", copy}).out, "Store\n  Shelf\n    Fruit \xC3\xA9\n");
}

TEST_F(CliInterchangeTest, AnXMLExportIsWritten) {
    const TRun exported = Run({"export", base, dir / "all.xml", "--decimal-separator", ","});
    ASSERT_EQ(exported.status, kExitOK) << exported.err;
    const std::string file = FileText(dir / "all.xml");
    EXPECT_EQ(file.substr(0, 38), "<?xml version=\"1.0\" encoding=\"UTF-8\"?>");
    EXPECT_NE(file.find("filename=\"SHOP\""), std::string::npos);
    EXPECT_NE(
        file.find("dp=\",\"><node description=\"Shop\"><value description=\"price\" type=\"float\">1,500</value>"),
        std::string::npos);
    EXPECT_NE(file.find("<node description=\"Fruit &#xE9;\">"), std::string::npos);
    const std::string end = "</node>\r\n<link source=\"Shop\\Fruit &#xE9;\"></link>\r\n</kelmor>\r\n";
    EXPECT_EQ(file.substr(file.size() - end.size()), end);
}

TEST_F(CliInterchangeTest, FailuresShowTheProgramsMessages) {
    struct TCase {
        std::vector<std::string> arguments;
        int status;
        std::string err;
    };
    test::WriteBytes(dir / "bad.kmt", {'n', 'o', '\n'});
    const std::string broken = "[KELMOR]\r\n[1.0]\r\n[\\Shop]\r\n \"k\" byte:\"1\"\r\n";
    test::WriteBytes(dir / "broken.kmt", std::vector<uint8_t>(broken.begin(), broken.end()));
    for (const TCase& c : std::vector<TCase>{
             {{"export", base, dir / "out.kmt", "--location", "Nowhere"}, kExitFailed, "Unknown Branch Specified.\n"},
             {{"export", base, dir / "out.xml", "--location", "Shop\\Nowhere"},
              kExitFailed,
              "Unknown Branch Specified.\n"},
             {{"import", base, dir / "bad.kmt"}, kExitFailed, "File is not a valid file.\n"},
             {{"import", base, dir / "broken.kmt"}, kExitFailed, "Error importing.\n\nExpected =\n\n(line #4)\n"},
             {{"import", base, dir / "missing.kmt"},
              kExitFailed,
              dir / "missing.kmt" + ": No such file or directory\n"},
             {{"export", base, dir / "no/such/folder.kmt"},
              kExitFailed,
              dir / "no/such/folder.kmt" + ": No such file or directory\n"},
             {{"export", base, dir / "out.txt"},
              kExitUsage,
              "Unknown file type \".txt\": export writes .xml and .kmt files.\n"},
             {{"import", base, dir / "in"},
              kExitUsage,
              "The file name has no extension: import reads .xml, .kmt, .dbf and .csv files.\n"},
             {{"export", base, dir / "out.kmt", "--location", "\xE2\x82\xAC"},
              kExitUsage,
              "The location holds a character that a database cannot store (only Latin-1 text).\n"},
             {{"export", base}, kExitUsage, ""},
         }) {
        const TRun run = Run(c.arguments);
        EXPECT_EQ(run.status, c.status) << c.arguments[0] << " " << c.arguments.back();
        if (!c.err.empty()) {
            EXPECT_EQ(run.err, c.err) << c.arguments.back();
        }
    }
    EXPECT_FALSE(test::Exists(dir / "out.kmt"));
    EXPECT_FALSE(test::Exists(dir / "out.xml"));
    // the import that failed kept what it had made before its error
    EXPECT_EQ(Run({"tree", base}).out, "Shop\n  Fruit \xC3\xA9\n-> Shop\\Fruit \xC3\xA9\n");
}

TEST_F(CliInterchangeTest, RecordFilesImportWithTheRecordOptions) {
    const std::string csv = "Name,Age,Town\r\nAnn,31, \"Lyon, FR\"\r\nBob,40\r\n";
    test::WriteBytes(dir / "people.csv", std::vector<uint8_t>(csv.begin(), csv.end()));
    ASSERT_EQ(Run({"create", copy}).status, kExitOK);
    const TRun imported = Run({"import", copy, dir / "people.csv", "--location", "People", "--first-record-names",
                               "--field", "2=Years:byte", "--field", "3=TOWN:string"});
    EXPECT_EQ(imported.status, kExitOK);
    EXPECT_EQ(imported.err,
              "One or more records contained too few,\nor too many fields than expected.\n\n"
              "Please check data for correct format.\n");
    EXPECT_EQ(Run({"tree", copy, "--keys", "--location", "People"}).out,
              "Ann\n  Years (byte) = 31\n  Town (string) = Lyon, FR\nBob\n  Years (byte) = 40\n");

    test::WriteBytes(dir / "staff.dbf",
                     test::MakeTable({{"NAME", 'C', 6}, {"AGE", 'N', 4}}, {{' ', {"Cy", "52"}}, {'*', {"Di", "9"}}}));
    const TRun table =
        Run({"import", copy, dir / "staff.dbf", "--flags", "0", "--field", "1=who:string", "--field", "2=age:longint"});
    ASSERT_EQ(table.status, kExitOK) << table.err;
    EXPECT_NE(Run({"tree", copy, "--keys"}).out.find("Cy\n  who (string) = Cy\n  age (longint) = 52\n"),
              std::string::npos);

    struct TCase {
        std::vector<std::string> extra;
        std::string err;
    };
    const std::string kRange = "kelmor-cli import: --field takes a field number N from 1 to 255, not \"";
    const std::string treeBefore = Run({"tree", copy, "--keys"}).out;
    for (const TCase& c : std::vector<TCase>{
             {{"--field", "9=x:string"}, "kelmor-cli import: the file has no field 9\n"},
             // field numbers outside 1..255 are command-line errors, never wrapped onto a field
             {{"--field", "0=x:string"}, kRange + "0=x:string\"\n"},
             {{"--field", "-1=x:string"}, kRange + "-1=x:string\"\n"},
             {{"--field", "256=x:string"}, kRange + "256=x:string\"\n"},
             {{"--field", "4294967297=x:string"}, kRange + "4294967297=x:string\"\n"},
             {{"--field", "2=age:longint", "--field", "4294967298=x:string"}, kRange + "4294967298=x:string\"\n"},
             {{"--field", "255=x:string"}, "kelmor-cli import: the file has no field 255\n"},
             {{"--field", "=x:string"},
              "kelmor-cli import: --field takes N=NAME:TYPE (TYPE a type name or none), not \"=x:string\"\n"},
             {{"--field", "2=x:text"},
              "kelmor-cli import: --field takes N=NAME:TYPE (TYPE a type name or none), not \"2=x:text\"\n"},
             {{"--flags", "8"}, "kelmor-cli import: --flags takes a number from 0 to 7\n"},
         }) {
        std::vector<std::string> arguments = {"import", copy, dir / "staff.dbf"};
        arguments.insert(arguments.end(), c.extra.begin(), c.extra.end());
        const TRun run = Run(arguments);
        EXPECT_EQ(run.status, kExitUsage);
        EXPECT_EQ(run.err, c.err);
    }
    EXPECT_EQ(Run({"tree", copy, "--keys"}).out, treeBefore);  // none of them imported anything
    const TRun kmtWithOptions = Run({"import", copy, dir / "x.kmt", "--plain"});
    EXPECT_EQ(kmtWithOptions.status, kExitUsage);
    EXPECT_EQ(kmtWithOptions.err, "kelmor-cli import: record options apply to .dbf and .csv files only\n");
}

TEST_F(CliInterchangeTest, AnXMLExportImportsIntoANewDatabase) {
    ASSERT_EQ(Run({"export", base, dir / "all.xml"}).status, kExitOK);
    ASSERT_EQ(Run({"create", copy}).status, kExitOK);
    const TRun imported = Run({"import", copy, dir / "all.xml"});
    ASSERT_EQ(imported.status, kExitOK) << imported.err;
    // XML keeps dates without their time of day
    std::string expected = Run({"tree", base, "--keys"}).out;
    for (size_t at; (at = expected.find(" 10:11:12")) != std::string::npos;) expected.erase(at, 9);
    EXPECT_EQ(Run({"tree", copy, "--keys"}).out, expected);
}

}  // namespace
}  // namespace kelmor::cli
