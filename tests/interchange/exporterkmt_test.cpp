#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>

#include "interchange/texporterkmt.h"
#include "tests/interchange/sampletree.h"
#include "tests/testsupport/dbfixture.h"
#include "tests/testsupport/tempdir.h"

namespace kelmor {
namespace {

class ExporterKMTTest : public test::DatabaseTest {
protected:
    void SetUp() override {
        test::DatabaseTest::SetUp();
        TryEncodeDateTime(2024, 5, 6, 7, 8, 9, 0, exportDate);
    }
    std::string Export(const std::string& location, TKelmorInOut::TProgressCallback onProgress = nullptr) {
        TExporterKMT job(std::move(onProgress), location, file, engine);
        job.SetExportDate(exportDate);
        job.Run();
        resultCode = job.ResultCode();
        // (a device such as /dev/full is written to, never read back)
        const std::vector<uint8_t> bytes =
            std::filesystem::is_regular_file(file) ? test::ReadBytes(file) : std::vector<uint8_t>{};
        return std::string(bytes.begin(), bytes.end());
    }

    std::string file = dir / "out.kmt";
    double exportDate = 0;
    int resultCode = 99;
};

const char* const kHead = "[KELMOR]\r\n[1.0]\r\n\r\n; Exported from DB\r\n; 2024-05-06\r\n\r\n";

const char* const kShopSection =
    "[\\Shop]\r\n"
    " \"b\"=byte:\"200\"\r\n"
    " \"i\"=integer:\"-1234\"\r\n"
    " \"l\"=longint:\"2000000000\"\r\n"
    " \"f\"=float:\"1.500\"\r\n"
    " \"s\"=string:\"a<b & \"c\" 'd'>\t\xE9\"\r\n"
    " \"q\"=sequence:{\r\n  00FF10\r\n }\r\n"
    " \"empty q\"=sequence:{\r\n  \r\n }\r\n"
    " \"o\"=blob:{\r\n  010203\r\n }\r\n"
    " \"empty o\"=blob:{\r\n  \r\n }\r\n"
    " \"c\"=currency:\"1234.568\"\r\n"
    " \"d\"=double:\"0.1\"\r\n"
    " \"t\"=datetime:\"2024-02-03 10:11:12\"\r\n"
    " \"no date\"=datetime:\"1899-12-30\"\r\n"
    "\r\n";

TEST_F(ExporterKMTTest, AnEmptyDatabaseIsTheHeaderOnly) {
    EXPECT_EQ(Export("Root"), kHead);
    EXPECT_EQ(resultCode, 0);
}

TEST_F(ExporterKMTTest, TheWholeTreeByteForByte) {
    test::TSampleTree tree(engine);
    const std::vector<uint8_t> bytes = test::CountingBytes(40);
    engine.ClearNode();
    engine.SetDescription("Long");
    engine.AddSequenceKey("39", bytes.data(), 39);
    engine.AddSequenceKey("40", bytes.data(), 40);
    engine.CreateNode(0);
    const std::string digits39 = "000102030405060708090A0B0C0D0E0F101112131415161718191A1B1C1D1E1F20212223242526";
    EXPECT_EQ(Export("Root"), std::string(kHead) + kShopSection +
                                  "[\\Shop\\Fruit]\r\n\r\n"
                                  "[\\Shop\\Fruit\\Apple]\r\n \"colour\"=string:\"red\"\r\n\r\n"
                                  "LINK:[\\Shop]\r\n \"\\Shop\\Fruit\\Apple\"\r\n\r\n"
                                  "LINK:[\\]\r\n \"\\Shop\\Fruit\"\r\n\r\n"  // the broken link is left out
                                  "[\\Long]\r\n"
                                  " \"39\"=sequence:{\r\n  " +
                                  digits39 +
                                  "\r\n  \r\n }\r\n"
                                  " \"40\"=sequence:{\r\n  " +
                                  digits39 +
                                  "\r\n  27\r\n }\r\n"
                                  "\r\n");
    EXPECT_EQ(resultCode, 0);
}

TEST_F(ExporterKMTTest, SectionPathsStartAtTheBranchAndLinkPathsAtTheTop) {
    test::TSampleTree tree(engine);
    std::vector<std::string> progress;
    const std::string written =
        Export("Root\\Shop", [&](TKelmorInOut&, const std::string& text) { progress.push_back(text); });
    EXPECT_EQ(written, std::string(kHead) + kShopSection +
                           "[\\Shop\\Fruit]\r\n\r\n"
                           "[\\Shop\\Fruit\\Apple]\r\n \"colour\"=string:\"red\"\r\n\r\n"
                           "LINK:[\\Shop]\r\n \"\\Shop\\Fruit\\Apple\"\r\n\r\n");
    EXPECT_EQ(progress, (std::vector<std::string>{"\\Shop", "\\Shop\\Fruit", "\\Shop\\Fruit\\Apple"}));
    EXPECT_EQ(Export("shop\\fruit"),
              std::string(kHead) + "[\\Fruit]\r\n\r\n[\\Fruit\\Apple]\r\n \"colour\"=string:\"red\"\r\n\r\n");
}

TEST_F(ExporterKMTTest, NumbersAndDatesFollowTheRegionalSettings) {
    TRegionalSettings settings;
    settings.decimalSeparator = ',';
    settings.shortDateFormat = "dd/mm/yyyy";
    settings.longTimeFormat = "hh.nn";
    engine.SetRegionalSettings(settings);
    engine.ClearNode();
    engine.SetDescription("N");
    engine.AddFloatKey("f", 0.0001f);
    engine.AddCurrencyKey("c", 12346);
    double when = 0;
    TryEncodeDateTime(2024, 2, 3, 10, 11, 0, 0, when);
    engine.AddDateKey("t", when);
    engine.CreateNode(0);
    EXPECT_EQ(Export(""),
              "[KELMOR]\r\n[1.0]\r\n\r\n; Exported from DB\r\n; 06/05/2024\r\n\r\n"
              "[\\N]\r\n \"f\"=float:\"0,000\"\r\n \"c\"=currency:\"1,235\"\r\n"
              " \"t\"=datetime:\"03/02/2024 10.11\"\r\n\r\n");
}

// Under a short date of two-digit years every date is written with four digits, so that
// none loses its century; the rest of the settings applies as it is.
TEST_F(ExporterKMTTest, DatesAreWrittenWithFourDigitYearsWhateverTheShortDate) {
    TRegionalSettings settings;
    settings.shortDateFormat = "d-mmm-yy";
    settings.longTimeFormat = "h:nn:ss am/pm";
    engine.SetRegionalSettings(settings);
    engine.ClearNode();
    engine.SetDescription("N");
    double when = 0;
    TryEncodeDateTime(2060, 5, 6, 13, 45, 58, 0, when);
    engine.AddDateKey("2060", when);
    TryEncodeDateTime(1999, 12, 31, 0, 0, 0, 0, when);
    engine.AddDateKey("1999", when);
    engine.AddDateKey("none", 0);
    engine.CreateNode(0);
    EXPECT_EQ(Export(""),
              "[KELMOR]\r\n[1.0]\r\n\r\n; Exported from DB\r\n; 6-May-2024\r\n\r\n"
              "[\\N]\r\n"
              " \"2060\"=datetime:\"6-May-2060 1:45:58 pm\"\r\n"
              " \"1999\"=datetime:\"31-Dec-1999\"\r\n"
              " \"none\"=datetime:\"30-Dec-1899\"\r\n\r\n");
    // what the program shows keeps the short date
    engine.LoadNode(engine.FindNodeByPath("N"));
    EXPECT_EQ(engine.KeyValueText(1), "6-May-60 1:45:58 pm");
}

// The path of a top-level node with an empty description is empty, as the root's is:
// "LINK:[\]" stands for the root, so that node's links are written "LINK:[]".
TEST_F(ExporterKMTTest, LinksOfATopLevelNodeWithAnEmptyDescription) {
    engine.ClearNode();
    engine.SetDescription("");
    const int32_t empty = engine.CreateNode(0);
    engine.MarkNode(empty);
    engine.CreateLink(empty);
    engine.CreateLink(0);
    EXPECT_EQ(Export("Root"), std::string(kHead) +
                                  "[\\]\r\n\r\n"
                                  "LINK:[]\r\n \"\\\"\r\n\r\n"
                                  "LINK:[\\]\r\n \"\\\"\r\n\r\n");
}

// A record without any item (the engine stores one for a node created from a cleared
// buffer) is a section with an empty description and no keys, also in a link's path.
TEST_F(ExporterKMTTest, ANodeWithoutItemsIsASectionWithAnEmptyDescriptionAndNoKeys) {
    engine.ClearNode();
    const int32_t bare = engine.CreateNode(0);
    engine.ClearNode();
    engine.SetDescription("leaf");
    engine.AddByteKey("k", 1);
    engine.MarkNode(engine.CreateNode(bare));
    engine.CreateLink(0);
    EXPECT_EQ(Export("Root"), std::string(kHead) +
                                  "[\\]\r\n\r\n[\\\\leaf]\r\n \"k\"=byte:\"1\"\r\n\r\n"
                                  "LINK:[\\]\r\n \"\\\\leaf\"\r\n\r\n");
    EXPECT_EQ(resultCode, 0);
}

TEST_F(ExporterKMTTest, AnAbortStopsAfterTheCurrentSection) {
    test::TSampleTree tree(engine);
    EXPECT_EQ(Export("Root", [](TKelmorInOut& job, const std::string&) { job.RequestAbort(); }),
              std::string(kHead) + "[\\Shop]\r\n\r\n");
    EXPECT_EQ(resultCode, 0);
}

TEST_F(ExporterKMTTest, AnUnknownLocationWritesNoFile) {
    test::TSampleTree tree(engine);
    EXPECT_EQ(Export("Shop\\Nothing"), "");
    EXPECT_FALSE(test::Exists(file));
    EXPECT_EQ(resultCode, TKelmorInOut::kUnknownLocation);
}

TEST_F(ExporterKMTTest, FileErrorsLeaveTheirCode) {
    file = dir / "missing/out.kmt";
    Export("Root");
    EXPECT_EQ(resultCode, ENOENT);
    if (test::Exists("/dev/full")) {
        test::TSampleTree tree(engine);
        file = "/dev/full";
        Export("Root");
        EXPECT_EQ(resultCode, ENOSPC);
    }
}

}  // namespace
}  // namespace kelmor
