#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>

#include "interchange/texporterxml.h"
#include "interchange/txmlwriter.h"
#include "tests/interchange/sampletree.h"
#include "tests/testsupport/dbfixture.h"
#include "tests/testsupport/tempdir.h"

namespace kelmor {
namespace {

class ExporterXMLTest : public test::DatabaseTest {
protected:
    void SetUp() override {
        test::DatabaseTest::SetUp();
        TryEncodeDateTime(2024, 5, 6, 7, 8, 9, 0, exportDate);
    }
    // Runs an export and answers the file's bytes.
    std::string Export(const std::string& location, TKelmorInOut::TProgressCallback onProgress = nullptr) {
        TExporterXML job(std::move(onProgress), location, file, engine);
        job.SetExportDate(exportDate);
        job.Run();
        resultCode = job.ResultCode();
        errorMessage = job.ErrorMessage();
        // (a device such as /dev/full is written to, never read back)
        const std::vector<uint8_t> bytes =
            std::filesystem::is_regular_file(file) ? test::ReadBytes(file) : std::vector<uint8_t>{};
        return std::string(bytes.begin(), bytes.end());
    }
    static std::string Head(const std::string& dp = ".") {
        return TXMLWriter::Declaration() + TXMLWriter::DocumentTypeDefinition() +
               "\r\n<kelmor version=\"1.0\" filename=\"DB\" date=\"20240506\" dp=\"" + dp + "\">";
    }

    std::string file = dir / "out.xml";
    double exportDate = 0;
    int resultCode = 99;
    std::string errorMessage;
};

const char* const kShopXML =
    "<node description=\"Shop\"><value description=\"b\" type=\"byte\">200</value>\r\n"
    "<value description=\"i\" type=\"integer\">-1234</value>\r\n"
    "<value description=\"l\" type=\"longint\">2000000000</value>\r\n"
    "<value description=\"f\" type=\"float\">1.500</value>\r\n"
    "<value description=\"s\" type=\"string\">a&lt;b &amp; &quot;c&quot; &apos;d&apos;&gt;&#x09;&#xE9;</value>\r\n"
    "<value description=\"q\" type=\"sequence\">AP8Q</value>\r\n"
    "<value description=\"empty q\" type=\"sequence\"></value>\r\n"
    "<value description=\"o\" type=\"blob\">AQID</value>\r\n"
    "<value description=\"empty o\" type=\"blob\"></value>\r\n"
    "<value description=\"c\" type=\"currency\">1234.568</value>\r\n"
    "<value description=\"d\" type=\"double\">0.1</value>\r\n"
    "<value description=\"t\" type=\"datetime\">20240203</value>\r\n"
    "<value description=\"no date\" type=\"datetime\">18991230</value>\r\n"
    "<node description=\"Fruit\"><node description=\"Apple\"><value description=\"colour\" "
    "type=\"string\">red</value>\r\n"
    "</node>\r\n"
    "</node>\r\n"
    "<link source=\"Shop\\Fruit\\Apple\"></link>\r\n"
    "</node>\r\n";

TEST_F(ExporterXMLTest, AnEmptyDatabaseIsTheHeadAndTheRootElement) {
    EXPECT_EQ(Export("Root"), Head() + "</kelmor>\r\n");
    EXPECT_EQ(resultCode, 0);
}

TEST_F(ExporterXMLTest, TheWholeTreeByteForByte) {
    test::TSampleTree tree(engine);
    const std::vector<uint8_t> bytes = test::CountingBytes(64);
    engine.ClearNode();
    engine.SetDescription("Long");
    engine.AddSequenceKey("63", bytes.data(), 63);
    engine.AddSequenceKey("64", bytes.data(), 64);
    engine.CreateNode(0);
    std::vector<std::string> progress;
    const std::string written = Export("", [&](TKelmorInOut&, const std::string& text) { progress.push_back(text); });
    EXPECT_EQ(resultCode, 0) << errorMessage;
    const std::string line63 = "AAECAwQFBgcICQoLDA0ODxAREhMUFRYXGBkaGxwdHh8gISIjJCUmJygpKissLS4vMDEyMzQ1Njc4OTo7PD0+";
    EXPECT_EQ(written, Head() + kShopXML +
                           "<link source=\"Shop\\Fruit\"></link>\r\n"  // the broken link is left out
                           "<node description=\"Long\"><value description=\"63\" type=\"sequence\">" +
                           line63 + "\r\n</value>\r\n<value description=\"64\" type=\"sequence\">" + line63 +
                           "\r\nPw==</value>\r\n</node>\r\n</kelmor>\r\n");
    EXPECT_EQ(progress, (std::vector<std::string>{"\\Shop", "\\Shop\\Fruit", "\\Shop\\Fruit\\Apple", "\\Long"}));
}

TEST_F(ExporterXMLTest, ABranchStartsWithItsNodeAndLinksKeepTheirPathsFromTheTop) {
    test::TSampleTree tree(engine);
    EXPECT_EQ(Export("\\Root\\Shop\\Fruit"),
              Head() +
                  "<node description=\"Fruit\"><node description=\"Apple\"><value description=\"colour\" "
                  "type=\"string\">red</value>\r\n</node>\r\n</node>\r\n</kelmor>\r\n");
    EXPECT_EQ(Export("shop"), Head() + kShopXML + "</kelmor>\r\n");
    EXPECT_EQ(resultCode, 0);
}

TEST_F(ExporterXMLTest, TheDecimalSeparatorOfTheSettingsIsRecorded) {
    TRegionalSettings settings;
    settings.decimalSeparator = ',';
    engine.SetRegionalSettings(settings);
    engine.ClearNode();
    engine.SetDescription("N");
    engine.AddDoubleKey("d", 2.5);
    engine.CreateNode(0);
    EXPECT_EQ(Export("Root"), Head(",") +
                                  "<node description=\"N\"><value description=\"d\" type=\"double\">2,5</value>\r\n"
                                  "</node>\r\n</kelmor>\r\n");
}

TEST_F(ExporterXMLTest, AnAbortEndsWithAWellFormedIncompleteDocument) {
    test::TSampleTree tree(engine);
    EXPECT_EQ(Export("Root", [](TKelmorInOut& job, const std::string&) { job.RequestAbort(); }),
              Head() + "<node description=\"Shop\"></node>\r\n</kelmor>\r\n");
    EXPECT_EQ(resultCode, 0);
}

TEST_F(ExporterXMLTest, AnUnknownLocationWritesNoFile) {
    test::TSampleTree tree(engine);
    test::WriteBytes(file, {'k', 'e', 'e', 'p'});
    EXPECT_EQ(Export("Shop\\Nothing"), "keep");
    EXPECT_EQ(resultCode, TKelmorInOut::kUnknownLocation);
}

TEST_F(ExporterXMLTest, AFileThatCannotBeCreatedIsAnErrorWithItsReason) {
    file = dir / "missing/out.xml";
    Export("Root");
    EXPECT_EQ(resultCode, TKelmorInOut::kError);
    EXPECT_EQ(errorMessage, "Cannot create file \"" + file + "\". " + ErrorText(ENOENT));
}

TEST_F(ExporterXMLTest, AFailedWriteIsAnErrorWithItsReason) {
    if (!test::Exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
    test::TSampleTree tree(engine);
    file = "/dev/full";
    Export("Root");
    EXPECT_EQ(resultCode, TKelmorInOut::kError);
    EXPECT_EQ(errorMessage, "Cannot write file \"/dev/full\". " + ErrorText(ENOSPC));
}

// A record without any item (the engine stores one for a node created from a cleared
// buffer) is a node with an empty description and no values, also in a link's path.
TEST_F(ExporterXMLTest, ANodeWithoutItemsIsWrittenWithAnEmptyDescriptionAndNoValues) {
    engine.ClearNode();
    const int32_t bare = engine.CreateNode(0);
    engine.ClearNode();
    engine.SetDescription("leaf");
    engine.AddByteKey("k", 1);
    engine.MarkNode(engine.CreateNode(bare));
    engine.CreateLink(0);
    EXPECT_EQ(Export("Root"), Head() +
                                  "<node description=\"\"><node description=\"leaf\"><value description=\"k\" "
                                  "type=\"byte\">1</value>\r\n</node>\r\n</node>\r\n"
                                  "<link source=\"\\leaf\"></link>\r\n</kelmor>\r\n");
    EXPECT_EQ(resultCode, 0) << errorMessage;
}

// A link whose source lies below a node the user may not read is left out, like a
// broken link; the rest of the export goes on.
TEST_F(ExporterXMLTest, ALinkToANodeTheUserMayNotReadIsLeftOut) {
    const int32_t secret = AddNode("Secret");
    const int32_t inner = AddNode("Inner", secret);
    engine.MarkNode(inner);
    engine.CreateLink(0);
    AddNode("Open");
    engine.SetNodeSecurity(secret, 2, false);
    engine.SetUser(3, "clerk", "pw");
    engine.Close();
    ASSERT_EQ(engine.OpenDatabase(base, false, TKelmorClass::MakeLogin("clerk", "pw")), kResultOK);
    EXPECT_EQ(Export("Root"), Head() + "<node description=\"Open\"></node>\r\n</kelmor>\r\n");
    EXPECT_EQ(resultCode, 0);
}

}  // namespace
}  // namespace kelmor
