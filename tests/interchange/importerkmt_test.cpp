#include <gtest/gtest.h>

#include <cerrno>
#include <limits>

#include "interchange/texporterkmt.h"
#include "interchange/timporterkmt.h"
#include "tests/interchange/sampletree.h"
#include "tests/testsupport/dbfixture.h"
#include "tests/testsupport/tempdir.h"

namespace kelmor {
namespace {

class ImporterKMTTest : public test::DatabaseTest {
protected:
    // Writes the text to the file and imports it.
    void Import(const std::string& text, const std::string& location = "Root",
                TKelmorInOut::TProgressCallback onProgress = nullptr) {
        test::WriteBytes(file, std::vector<uint8_t>(text.begin(), text.end()));
        ImportFile(location, std::move(onProgress));
    }
    void ImportFile(const std::string& location = "Root", TKelmorInOut::TProgressCallback onProgress = nullptr) {
        TImporterKMT job(std::move(onProgress), location, file, engine);
        EXPECT_EQ(job.ResultCode(), 0);
        EXPECT_EQ(job.StartNode(), 0);
        job.Run();
        resultCode = job.ResultCode();
        errorMessage = job.ErrorMessage();
    }
    std::string Tree() { return test::DumpTree(engine); }

    std::string file = dir / "in.kmt";
    int resultCode = 99;
    std::string errorMessage;
};

const char* const kHeader = "[KELMOR]\r\n[1.0]\r\n";

TEST_F(ImporterKMTTest, ReadsCommentsBlankLinesReplacedKeysForwardLinksAndStopsAtAnErrorLine) {
    const int32_t existing = AddNode("Shop");
    engine.LoadNode(existing);
    engine.AddStringKey("Colour", "blue");
    engine.AddStringKey("kept", "yes");
    engine.SaveNode(existing);
    Import(
        "\r\n"
        "; written by hand\r\n"
        "   [kelmor]   \r\n"  // 3: the header in lower case, with spaces around
        "[whatever version]\r\n"
        "\r\n"
        "[\\Shop]\r\n"                    // 6: exists already: its keys stay
        " \"COLOUR\"=string:\"red\"\r\n"  // replaces Colour (letter case does not matter)
        "; a comment between keys\r\n"
        "    \"n\"=BYTE:\"7\"\r\n"  // 9: type names in any case
        "LINK:[\\Shop]\r\n"         // 10: a forward link: its source comes later
        " \"\\Later\\Leaf\"\r\n"
        " \"ignored\"=byte:\"1\"\r\n"  // no current node after a link record
        "\r\n"
        "[\\Later\\Leaf]\r\n"  // 14
        " \"x\"=longint:\"-5\"\r\n"
        " \"broken\" byte:\"1\"\r\n"  // 16: no "="
        "[\\Never]\r\n");
    EXPECT_EQ(resultCode, TKelmorInOut::kError);
    EXPECT_EQ(errorMessage, "Expected =\n\n(line #16)");
    // everything before the error stays, the node being filled included, and the
    // forward link is made once the file has been read
    EXPECT_EQ(Tree(),
              "Shop\n"
              "  kept (string) = yes\n"
              "  COLOUR (string) = red\n"
              "  n (byte) = 7\n"
              "  -> Later\\Leaf\n"
              "Later\n"
              "  Leaf\n"
              "    x (longint) = -5\n");
}

TEST_F(ImporterKMTTest, KeyLineErrorsNameTheirLine) {
    struct TCase {
        const char* keyLine;
        const char* message;
    };
    for (const TCase& c : {
             TCase{" \"k\"=byte \"1\"", "Expected :\n\n(line #4)"},
             TCase{" \"k\"=bogus:\"1\"", "Unknown key type (bogus)\n\n(line #4)"},
             TCase{" \"k\"=Sequences:{", "Unknown key type (sequences)\n\n(line #4)"},
             TCase{" \"a=b\"=byte:\"1\"", "Unknown key type (b\"=byte)\n\n(line #4)"},  // "=" splits a name
             TCase{" \"k\"=integer:\"12x\"", "'12x' is not a valid integer value\n\n(line #4)"},
             TCase{" \"k\"=longint:\"2147483648\"", "'2147483648' is not a valid integer value\n\n(line #4)"},
             TCase{" \"k\"=float:\"1,5\"", "'1,5' is not a valid floating point value\n\n(line #4)"},
             TCase{" \"k\"=currency:\"\"", "'' is not a valid currency value\n\n(line #4)"},
             TCase{" \"k\"=datetime:\"2024-13-01\"", "'2024-13-01' is not a valid date and time\n\n(line #4)"},
         }) {
        Import(std::string(kHeader) + "[\\N]\r\n" + c.keyLine + "\r\n \"after\"=byte:\"1\"\r\n");
        EXPECT_EQ(resultCode, TKelmorInOut::kError) << c.keyLine;
        EXPECT_EQ(errorMessage, c.message) << c.keyLine;
    }
    // a line in error leaves the key of the same name as it was
    EXPECT_EQ(Tree(), "N\n");
    const int32_t node = engine.FindNodeByPath("N");
    engine.LoadNode(node);
    engine.AddByteKey("k", 9);
    engine.SaveNode(node);
    Import(std::string(kHeader) + "[\\N]\r\n \"k\"=byte:\"x\"\r\n");
    EXPECT_EQ(errorMessage, "'x' is not a valid integer value\n\n(line #4)");
    EXPECT_EQ(Tree(), "N\n  k (byte) = 9\n");
}

TEST_F(ImporterKMTTest, ValuesConvertByTypeAndSettings) {
    TRegionalSettings settings;
    settings.decimalSeparator = ',';
    settings.shortDateFormat = "dd/mm/yyyy";
    engine.SetRegionalSettings(settings);
    Import(std::string(kHeader) +
           "[\\N]\r\n"
           " \"byte\"=byte:\"300\"\r\n"  // the stored width keeps the low-order byte
           " \"int\"=integer:\"-70000\"\r\n"
           " \"float\"=float:\"0,000\"\r\n"
           " \"cur\"=currency:\"1,23455\"\r\n"  // a half to the even neighbour: 1,2346
           " \"dbl\"=double:\"1,5E-7\"\r\n"
           " \"date\"=datetime:\"03/02/2024 10:11:12\"\r\n"
           " \"str\"=string:\"say \"hi\"\"\r\n"                // the value runs to the last double quote
           " \"seq\"=sequence:{\r\n  0aFf\r\n }\r\n"           // lower-case digits are read as capitals
           " \"blob\"=blob:\r\n{\r\n  0102\r\n  03\r\n }\r\n"  // "{" on a line of its own
           " \"one line\"=sequence:{0102}\r\n"
           " \"odd\"=sequence:{ABC}\r\n"  // a last single digit is a byte of its own
           "\r\n");
    EXPECT_EQ(resultCode, 0) << errorMessage;
    const int32_t node = engine.FindNodeByPath("N");
    ASSERT_TRUE(engine.LoadNode(node));
    EXPECT_EQ(engine.GetByteKey(1), 44);
    EXPECT_EQ(engine.GetIntegerKey(2), static_cast<int16_t>(-70000));
    EXPECT_EQ(engine.GetFloatKey(3), 0.0f);
    EXPECT_EQ(engine.GetCurrencyKey(4), 12346);
    EXPECT_EQ(engine.GetDoubleKey(5), 1.5e-7);
    EXPECT_EQ(engine.KeyValueText(6), "03/02/2024 10:11:12");
    EXPECT_EQ(engine.GetStringKey(7), "say \"hi\"");
    EXPECT_EQ(engine.GetSequenceKey(8), "\x0A\xFF");
    EXPECT_EQ(engine.GetBlobKey(9), (std::vector<uint8_t>{1, 2, 3}));
    EXPECT_EQ(engine.GetSequenceKey(10), "\x01\x02");
    EXPECT_EQ(engine.GetSequenceKey(11), "\xAB\x0C");
}

TEST_F(ImporterKMTTest, PathsAreReadBelowTheImportLocationWhichIsCreatedWhenMissing) {
    const int32_t a = AddNode("A");
    AddNode("Target", a);
    std::vector<std::string> progress;
    Import(std::string(kHeader) +
               "[\\One]\r\n \"k\"=byte:\"1\"\r\n\r\n"
               "[\\One\\Two]\r\n\r\n"
               "LINK:[\\]\r\n \"\\One\\Two\"\r\n\r\n"    // below the location itself
               "LINK:[\\One]\r\n \"\\Target\"\r\n\r\n",  // no such node below the location
           "Root\\A\\New", [&](TKelmorInOut&, const std::string& text) { progress.push_back(text); });
    EXPECT_EQ(resultCode, 0) << errorMessage;
    EXPECT_EQ(Tree(),
              "A\n"
              "  Target\n"
              "  New\n"
              "    One\n"
              "      k (byte) = 1\n"
              "      Two\n"
              "    -> A\\New\\One\\Two\n");
    EXPECT_EQ(progress, std::vector<std::string>{"One"});  // every tenth line: the first section
    EXPECT_EQ(TImporterKMT(nullptr, "\\Root\\A\\New\\", file, engine).ImportLocationPrefix(), "A\\New\\");
    EXPECT_EQ(TImporterKMT(nullptr, "Root", file, engine).ImportLocationPrefix(), "");
}

TEST_F(ImporterKMTTest, ASectionThatExistsIsNotDuplicatedAndLetterCaseMakesANewNode) {
    Import(std::string(kHeader) + "[\\A]\r\n \"k\"=byte:\"1\"\r\n[\\A]\r\n \"K\"=byte:\"2\"\r\n[\\a]\r\n");
    EXPECT_EQ(resultCode, 0) << errorMessage;
    EXPECT_EQ(Tree(), "A\n  K (byte) = 2\na\n");
}

// Record imports make nodes with empty descriptions; their sections and links come back
// to them, not to their parents. Only "LINK:[\]" stands for the import location.
TEST_F(ImporterKMTTest, EmptyDescriptionsInPathsAreDescriptions) {
    AddNode("P");  // not below the import location
    Import(std::string(kHeader) +
               "[\\P]\r\n \"k\"=byte:\"1\"\r\n"
               "[\\P\\]\r\n \"k\"=byte:\"2\"\r\n"     // P's child with an empty description
               "[\\P\\\\C]\r\n \"k\"=byte:\"3\"\r\n"  // and its child
               "[\\]\r\n \"k\"=byte:\"4\"\r\n"        // a top-level node with an empty description
               "[\\\\C]\r\n\r\n"
               "LINK:[]\r\n \"\\P\\\\C\"\r\n\r\n"  // below that top-level node
               "LINK:[\\]\r\n \"\\\"\r\n\r\n"      // below the location, to that node
               "LINK:[\\P\\]\r\n \"\\\\C\"\r\n\r\n"
               "[\\P\\]\r\n \"k\"=byte:\"5\"\r\n",  // found again, not made twice
           "Root\\Loc");
    EXPECT_EQ(resultCode, 0) << errorMessage;
    EXPECT_EQ(Tree(),
              "P\n"
              "Loc\n"
              "  P\n"
              "    k (byte) = 1\n"
              "    \n"
              "      k (byte) = 5\n"
              "      C\n"
              "        k (byte) = 3\n"
              "      -> Loc\\\\C\n"
              "  \n"
              "    k (byte) = 4\n"
              "    C\n"
              "    -> Loc\\P\\\\C\n"
              "  -> Loc\\\n");
}

// A path through a link leads to the nodes that the link shows: keys go to its source,
// and missing nodes are made below the source (never below the link itself).
TEST_F(ImporterKMTTest, APathThroughALinkLeadsToItsSource) {
    const int32_t source = AddNode("Src");
    const int32_t a = AddNode("A");
    engine.MarkNode(source);
    engine.CreateLink(a);
    Import(std::string(kHeader) + "[\\A\\Src]\r\n \"k\"=byte:\"1\"\r\n[\\A\\Src\\New]\r\n");
    EXPECT_EQ(resultCode, 0) << errorMessage;
    EXPECT_EQ(Tree(), "Src\n  k (byte) = 1\n  New\nA\n  -> Src\n");
}

// Files that are damaged, cut short, binary or made to hurt: each ends the import with a
// message naming its line (or as no valid file), and what came before stays.
TEST_F(ImporterKMTTest, HostileFilesEndWithAClearMessage) {
    struct TCase {
        const char* name;
        std::string text;
        int resultCode;
        std::string message;
    };
    const std::string before = std::string(kHeader) + "[\\Before]\r\n \"k\"=byte:\"1\"\r\n";
    std::string binary(4096, '\0');
    for (size_t i = 0; i < binary.size(); ++i) binary[i] = static_cast<char>((i * 7919) % 251);
    const std::vector<TCase> cases = {
        {"empty", "", TKelmorInOut::kInvalidFile, ""},
        {"binary", binary, TKelmorInOut::kInvalidFile, ""},
        {"no header", "[Before]\r\n[KELMOR]\r\n", TKelmorInOut::kInvalidFile, ""},
        {"first line too long", std::string(TImporterKMT::kMaxLineLength + 10, '['), TKelmorInOut::kInvalidFile, ""},
        {"line too long", before + std::string(TImporterKMT::kMaxLineLength + 1, 'x'), TKelmorInOut::kError,
         "Line too long (more than " + std::to_string(TImporterKMT::kMaxLineLength) + " bytes)\n\n(line #5)"},
        {"sequence too long", before + " \"s\"=sequence:{\r\n  " + std::string(2 * 256, 'A') + "\r\n }\r\n",
         TKelmorInOut::kError, "Too much data for a sequence (at most 255 bytes)\n\n(line #6)"},
        {"blob too long",
         before + " \"b\"=blob:{\r\n" +
             [] {
                 std::string lines;
                 for (int i = 0; i < 1700; ++i) lines += "  " + std::string(78, 'F') + "\r\n";
                 return lines;
             }() +
             " }\r\n",
         TKelmorInOut::kError, "Too much data for a blob (at most 65535 bytes)\n\n(line #1686)"},
        {"bad digit", before + " \"s\"=sequence:{\r\n  00G1\r\n }\r\n", TKelmorInOut::kError,
         "Invalid character in hexadecimal data\n\n(line #6)"},
        {"section inside a block", before + " \"s\"=sequence:{\r\n  00\r\n[\\Next]\r\n", TKelmorInOut::kError,
         "Invalid character in hexadecimal data\n\n(line #7)"},
        {"cut in a block", before + " \"s\"=sequence:{\r\n  0001", TKelmorInOut::kError,
         "Unexpected end of file: the sequence has no closing }\n\n(line #6)"},
        {"cut after a link record", before + "LINK:[\\Before]\r\n\r\n", TKelmorInOut::kError,
         "Unexpected end of file: the link has no source line\n\n(line #6)"},
        {"link source not quoted", before + "LINK:[\\Before]\r\n[\\Before]\r\n", TKelmorInOut::kError,
         "Expected the source of the link in double quotes\n\n(line #6)"},
        {"a lone quote", before + "\"\r\n", TKelmorInOut::kError, "Expected =\n\n(line #5)"},
        {"key list full",
         before +
             [] {
                 std::string lines;
                 for (int i = 0; i < 300; ++i)
                     lines += " \"k" + std::to_string(i) + "\"=string:\"" + std::string(250, 'v') + "\"\r\n";
                 return lines;
             }(),
         TKelmorInOut::kError, "Key List Full\n\n(line #259)"},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.name);
        engine.Close();
        ASSERT_EQ(engine.CreateDatabase(dir / c.name, admin), kResultOK);
        Import(c.text);
        EXPECT_EQ(resultCode, c.resultCode);
        EXPECT_EQ(errorMessage, c.message);
        if (c.resultCode == TKelmorInOut::kError) {
            const int32_t node = engine.FindNodeByPath("Before");
            ASSERT_GT(node, 0);
            engine.LoadNode(node);
            EXPECT_EQ(engine.GetKeyName(1), "k");
        }
    }
}

// Text that the format cannot mean but that is harmless is read without harm.
TEST_F(ImporterKMTTest, OddButHarmlessLinesAreReadSafely) {
    const std::string deep = [] {
        std::string path;
        for (int i = 0; i < 3000; ++i) path += "\\L";
        return path;
    }();
    std::string text = std::string(kHeader) +
                       " \"before any section\"=byte:\"1\"\r\n"
                       "[\r\n \"no path\"=byte:\"1\"\r\n"           // a top-level node with an empty description
                       "[\\\\\\\\\\]\r\n \"empty\"=byte:\"1\"\r\n"  // and four levels of them below it
                       "[\\Names]\r\n \"" +
                       std::string(400, 'n') + "\"=string:\"" + std::string(400, 'v') + "\"\r\n";
    const char withZeros[] = " \"nul\0in\"=string:\"a\0b\"\r\n";
    text += std::string(withZeros, sizeof withZeros - 1);
    text +=
        "LINK:[\r\n \"\"\r\n"
        "[" +
        deep +
        "]\r\n \"deep\"=byte:\"1\"\r\n"
        "[\\Last]\r\n \"no line end\"=byte:\"1\"";
    Import(text);
    EXPECT_EQ(resultCode, 0) << errorMessage;
    engine.LoadNode(engine.FindNodeByPath("Names"));
    ASSERT_EQ(engine.KeyCount(), 2);
    EXPECT_EQ(engine.GetKeyName(1), std::string(255, 'n'));
    EXPECT_EQ(engine.GetStringKey(1), std::string(255, 'v'));
    EXPECT_EQ(engine.GetKeyName(2), std::string("nul\0in", 6));
    const int32_t node = engine.FindNodeByPath(deep.substr(1));
    ASSERT_GT(node, 0);
    EXPECT_EQ(engine.GetNodePath(node).substr(0, 6), "L\\L\\L\\");
    engine.LoadNode(node);
    EXPECT_EQ(engine.GetKeyName(1), "deep");
    // the last line of a file counts even without a line end
    engine.LoadNode(engine.FindNodeByPath("Last"));
    EXPECT_EQ(engine.KeyCount(), 1);
    // empty descriptions are descriptions; "LINK:[" with the source "" links that top-level
    // node below itself
    TKelmorNodeRec rec;
    ASSERT_TRUE(engine.FindFirstChild(rec, 0));
    const int32_t top = rec.currentID;
    engine.LoadNode(top);
    EXPECT_EQ(engine.GetDescription(), "");
    EXPECT_EQ(engine.GetKeyName(1), "no path");
    ASSERT_TRUE(engine.FindFirstChild(rec, top));
    ASSERT_TRUE(engine.FindNextChild(rec));
    ASSERT_TRUE(engine.IsLink(rec.currentID));
    EXPECT_EQ(engine.GetLinkSource(rec.currentID), top);
    int32_t empty = top;
    for (int level = 1; level <= 4; ++level) {
        ASSERT_TRUE(engine.FindFirstChild(rec, empty)) << level;
        empty = rec.currentID;
        engine.LoadNode(empty);
        EXPECT_EQ(engine.GetDescription(), "") << level;
        EXPECT_EQ(engine.KeyCount(), level == 4 ? 1 : 0) << level;
    }
    EXPECT_FALSE(engine.HasChildren(empty));
}

TEST_F(ImporterKMTTest, AnAbortKeepsWhatWasImported) {
    std::string text = kHeader;
    for (int i = 0; i < 100; ++i) text += "[\\N" + std::to_string(i) + "]\r\n \"k\"=byte:\"1\"\r\n";
    int calls = 0;
    Import(text, "Root", [&](TKelmorInOut& job, const std::string&) {
        if (++calls == 3) job.RequestAbort();
    });
    EXPECT_EQ(resultCode, 0);
    // progress comes with every tenth processed line: the sections N0, N5 and N10, which
    // is not made any more
    std::string expected;
    for (int i = 0; i < 10; ++i) expected += "N" + std::to_string(i) + "\n  k (byte) = 1\n";
    EXPECT_EQ(Tree(), expected);
}

TEST_F(ImporterKMTTest, AFileThatCannotBeOpenedLeavesItsCode) {
    file = dir / "missing.kmt";
    ImportFile();
    EXPECT_EQ(resultCode, ENOENT);
    file = dir.Path();
    ImportFile();
    EXPECT_EQ(resultCode, EISDIR);
    EXPECT_EQ(Tree(), "");
}

TEST_F(ImporterKMTTest, AReadOnlyDatabaseEndsTheImportWithItsError) {
    AddNode("A");
    Reopen(true);
    Import(std::string(kHeader) + "[\\A]\r\n \"k\"=byte:\"1\"\r\n");
    EXPECT_EQ(errorMessage, "Database Read-Only\n\n(line #4)");
    Import(std::string(kHeader) + "[\\B]\r\n");
    EXPECT_EQ(errorMessage, "Database Read-Only\n\n(line #3)");
}

// A database exported whole and imported into an empty database gives back the same
// tree, keys and links; so does a branch imported at its own place.
TEST_F(ImporterKMTTest, ExportAndImportRoundTrip) {
    test::TSampleTree tree(engine);
    const std::vector<uint8_t> bytes = test::CountingBytes(65535);
    engine.ClearNode();
    engine.SetDescription("Sizes");
    engine.AddSequenceKey("255", bytes.data(), 255);
    engine.AddSequenceKey("39", bytes.data(), 39);
    engine.AddBlobKey("largest", bytes.data(), bytes.size());
    engine.AddDoubleKey("third", 1.0 / 3);
    engine.AddFloatKey("nan", std::numeric_limits<float>::quiet_NaN());
    engine.CreateNode(tree.fruit);
    const std::string original = Tree();
    {
        TExporterKMT exporter(nullptr, "Root", file, engine);
        exporter.Run();
        ASSERT_EQ(exporter.ResultCode(), 0);
    }
    engine.Close();
    ASSERT_EQ(engine.CreateDatabase(dir / "copy", admin), kResultOK);
    ImportFile("Root");
    EXPECT_EQ(resultCode, 0) << errorMessage;
    EXPECT_EQ(Tree(), original);

    // the Fruit branch exported and imported at Shop in an empty database
    {
        TExporterKMT exporter(nullptr, "Shop\\Fruit", file, engine);
        exporter.Run();
        ASSERT_EQ(exporter.ResultCode(), 0);
    }
    engine.Close();
    ASSERT_EQ(engine.CreateDatabase(dir / "branch", admin), kResultOK);
    ImportFile("Shop");
    EXPECT_EQ(resultCode, 0) << errorMessage;
    const std::string imported = test::DumpTree(engine, engine.FindNodeByPath("Shop"));
    engine.Close();
    ASSERT_EQ(engine.OpenDatabase(dir / "copy", false, admin), kResultOK);
    const std::string shop = test::DumpTree(engine, engine.FindNodeByPath("Shop"));
    const std::string fruit = shop.substr(0, shop.find("\n-> ") + 1);  // Shop's link is not in the branch
    EXPECT_EQ(imported, fruit.substr(fruit.find("Fruit\n")));
}

}  // namespace
}  // namespace kelmor
