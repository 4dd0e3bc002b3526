#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <string>
#include <vector>

#include "interchange/base64.h"
#include "interchange/tcontrolreferencefilter.h"
#include "interchange/texporterxml.h"
#include "interchange/timporterxml.h"
#include "tests/interchange/sampletree.h"
#include "tests/interchange/xmlhead.h"
#include "tests/testsupport/dbfixture.h"
#include "tests/testsupport/rawdatabase.h"
#include "tests/testsupport/tempdir.h"

namespace kelmor {
namespace {

using test::Children;

// The head of a file as the exporter writes it: the declaration, the document type
// definition, an empty line and the root element's start tag.
std::string Head(const std::string& dp = ".") {
    return std::string(test::kXMLDeclaration) + test::kXMLDocumentTypeDefinition +
           "\r\n"
           "<kelmor version=\"1.0\" filename=\"DB\" date=\"20240506\" dp=\"" +
           dp + "\">";
}

std::string Document(const std::string& content, const std::string& dp = ".") {
    return Head(dp) + content + "</kelmor>\r\n";
}

class ImporterXMLTest : public test::DatabaseTest {
protected:
    void Write(const std::string& text) { test::WriteBytes(file, std::vector<uint8_t>(text.begin(), text.end())); }

    // With onProgress, the job's own progress texts are also handed to it.
    int Import(const std::string& location = "Root", const TXMLDocument::TLimits& limits = TXMLDocument::TLimits(),
               const std::function<void(TKelmorInOut&, const std::string&)>& onProgress = nullptr) {
        progress.clear();
        TImporterXML job(
            [&](TKelmorInOut& job, const std::string& text) {
                progress.push_back(text);
                if (onProgress) onProgress(job, text);
            },
            location, file, engine);
        job.SetLimits(limits);
        job.Run();
        errorMessage = job.ErrorMessage();
        return job.ResultCode();
    }

    // A fresh database for the next case.
    void Recreate() {
        engine.Close();
        ASSERT_EQ(engine.CreateDatabase(dir / ("db" + std::to_string(++databases)), admin), kResultOK);
    }

    // Imports a refused document into a fresh database holding one marked node: the
    // message begins as given, no placeholder stays behind and the mark comes back.
    void ExpectRefused(const std::string& text, const std::string& message, size_t nodesLeft) {
        Recreate();
        const int32_t old = AddNode("Old");
        engine.MarkNode(old);
        Write(text);
        EXPECT_EQ(Import(), TKelmorInOut::kError) << message;
        EXPECT_EQ(errorMessage.substr(0, message.size()), message);
        EXPECT_EQ(Children(engine, 0).size(), 1 + nodesLeft) << message;
        EXPECT_EQ(engine.MarkedNode(), old);
    }

    std::string file = dir / "in.xml";
    std::vector<std::string> progress;
    std::string errorMessage;
    int databases = 0;
};

TEST_F(ImporterXMLTest, AnExportImportedIntoAnEmptyDatabaseExportsTheSame) {
    test::TSampleTree tree(engine);
    engine.DeleteNode(tree.brokenLink);  // exports leave broken links out
    auto exportTo = [&](const std::string& path) {
        TExporterXML job(nullptr, "Root", path, engine);
        job.SetExportDate(EncodeDate(2024, 5, 6));
        job.Run();
        EXPECT_EQ(job.ResultCode(), 0) << job.ErrorMessage();
        return test::ReadBytes(path);
    };
    const std::vector<uint8_t> first = exportTo(dir / "first.xml");
    const std::string before = test::DumpTree(engine);
    Recreate();
    file = dir / "first.xml";
    ASSERT_EQ(Import(), 0) << errorMessage;

    // The same tree, with values as exact as their written forms: the currency to three
    // decimals, the date without its time of day.
    std::string expected = before;
    const std::string time = " 10:11:12";
    ASSERT_NE(expected.find(time), std::string::npos);
    expected.erase(expected.find(time), time.size());
    EXPECT_EQ(test::DumpTree(engine), expected);
    const int32_t shop = engine.FindNodeByPath("Shop");
    ASSERT_TRUE(engine.LoadNode(shop));
    EXPECT_EQ(engine.GetCurrencyKey(engine.FindKey("c")), 12345680);

    // No placeholder is left, and exporting again gives the same bytes (the file name aside).
    EXPECT_EQ(Children(engine, 0).size(), 2u);
    std::vector<uint8_t> second = exportTo(dir / "second.xml");
    std::string a(first.begin(), first.end()), b(second.begin(), second.end());
    const std::string secondName = "filename=\"DB1\"";
    ASSERT_NE(b.find(secondName), std::string::npos);
    b.replace(b.find(secondName), secondName.size(), "filename=\"DB\"");
    EXPECT_EQ(a, b);
}

TEST_F(ImporterXMLTest, ReadsEveryKeyTypeWithTheDocumentsDecimalSeparator) {
    TRegionalSettings settings;  // the machine's separator is "."
    engine.SetRegionalSettings(settings);
    Write(Document(
        "<node description=\"All &amp; &#xE9;\">\r\n"
        "<value description=\"b\" type=\"byte\">300</value>\r\n"
        "<value description=\"i\" type=\"integer\">-1234</value>\r\n"
        "<value description=\"l\" type=\"longint\">2000000000</value>\r\n"
        "<value description=\"f\" type=\"float\">1,500</value>\r\n"
        "<value description=\"s\" type=\"string\">a&lt;b&#x09;&#xE9;&#x20AC;<![CDATA[<raw>]]><!--c--></value>\r\n"
        "<value description=\"q\" type=\"sequence\">AP8Q</value>\r\n"
        "<value description=\"o\" type=\"blob\">AQ\r\nID</value>\r\n"
        "<value description=\"c\" type=\"currency\">1234,568</value>\r\n"
        "<value description=\"d\" type=\"double\">0,1</value>\r\n"
        "<value description=\"t\" type=\"datetime\">20240203</value>\r\n"
        "<value description=\"u\" type=\"datetime\">2024-02-04 10:11:12</value>\r\n"
        "<value description=\"z\" type=\"datetime\">18991230</value>\r\n"
        "<value description=\"e\" type=\"sequence\"></value>\r\n"
        "</node>\r\n",
        ","));
    ASSERT_EQ(Import(), 0) << errorMessage;
    ASSERT_EQ(Children(engine, 0).size(), 1u);
    ASSERT_TRUE(engine.LoadNode(Children(engine, 0)[0]));
    EXPECT_EQ(engine.GetDescription(), "All & \xE9");
    ASSERT_EQ(engine.KeyCount(), 13);
    EXPECT_EQ(engine.GetByteKey(1), 44);
    EXPECT_EQ(engine.GetIntegerKey(2), -1234);
    EXPECT_EQ(engine.GetLongintKey(3), 2000000000);
    EXPECT_EQ(engine.GetFloatKey(4), 1.5f);
    EXPECT_EQ(engine.GetStringKey(5), "a<b\t\xE9?<raw>c");  // a character outside Latin-1 becomes "?"
    EXPECT_EQ(engine.GetSequenceKey(6), std::string("\x00\xFF\x10", 3));
    EXPECT_EQ(engine.GetBlobKey(7), (std::vector<uint8_t>{1, 2, 3}));
    EXPECT_EQ(engine.GetCurrencyKey(8), 12345680);
    EXPECT_EQ(engine.GetDoubleKey(9), 0.1);
    EXPECT_EQ(engine.GetDateKey(10), EncodeDate(2024, 2, 3));
    double when = 0;
    ASSERT_TRUE(TryEncodeDateTime(2024, 2, 4, 10, 11, 12, 0, when));
    EXPECT_EQ(engine.GetDateKey(11), when);
    EXPECT_EQ(engine.GetDateKey(12), 0);
    EXPECT_EQ(engine.GetSequenceKey(13), "");
    EXPECT_EQ(engine.GetKeyName(1), "b");
}

TEST_F(ImporterXMLTest, ValuesThatDoNotConvertAreLeftOut) {
    Write(
        Document("<node description=\"N\">"
                 "<value description=\"bad int\" type=\"integer\">12.5</value>"
                 "<value description=\"bad float\" type=\"float\">one</value>"
                 "<value description=\"bad base64\" type=\"sequence\">QUJ</value>"
                 "<value description=\"bad date\" type=\"datetime\">20241301</value>"
                 "<value description=\"bad double\" type=\"double\">1e+</value>"
                 "<value description=\"bad currency\" type=\"currency\">--1</value>"
                 "<value description=\"empty longint\" type=\"longint\"></value>"
                 "<value description=\"bad byte\" type=\"byte\">0x10</value>"
                 "<value description=\"good\" type=\"sequence\">Q U\r\n J D</value>"
                 "</node>"));
    ASSERT_EQ(Import(), 0) << errorMessage;
    ASSERT_TRUE(engine.LoadNode(Children(engine, 0)[0]));
    ASSERT_EQ(engine.KeyCount(), 1);
    EXPECT_EQ(engine.GetKeyName(1), "good");
    EXPECT_EQ(engine.GetSequenceKey(1), "ABC");
}

TEST_F(ImporterXMLTest, LinksAreResolvedAfterAllNodesExist) {
    const int32_t old = AddNode("Old");
    engine.MarkNode(old);
    Write(
        Document("<node description=\"A\"><link source=\"B\\C\"></link></node>"
                 "<link source=\"A\"></link>"
                 "<node description=\"B\"><node description=\"C\"/></node>"
                 "<link source=\"Nowhere\\At all\"></link>"));
    ASSERT_EQ(Import(), 0) << errorMessage;
    const int32_t a = engine.FindNodeByPath("A");
    const int32_t c = engine.FindNodeByPath("B\\C");
    ASSERT_GT(a, 0);
    ASSERT_GT(c, 0);
    const std::vector<int32_t> top = Children(engine, 0);
    ASSERT_EQ(top.size(), 5u);  // Old, A, link to A, B, broken link; no placeholder
    EXPECT_EQ(engine.GetLinkSource(Children(engine, a)[0]), c);
    EXPECT_EQ(engine.GetLinkSource(top[2]), a);
    ASSERT_TRUE(engine.IsLink(top[4]));
    EXPECT_THROW(engine.GetLinkSource(top[4]), EKelmorSourceNodeBrokenError);  // its source is gone
    EXPECT_EQ(engine.MarkedNode(), old);
    EXPECT_EQ(progress.front(), "XML: Init...");
    EXPECT_EQ(progress.back(), "XML: Resolving Links...");
    EXPECT_NE(std::find(progress.begin(), progress.end(), "XML: Importing B"), progress.end());
}

TEST_F(ImporterXMLTest, LinkSourcesAreLookedUpFromTheTopOfTheTree) {
    const int32_t original = AddNode("Fruit");
    AddNode("Elsewhere");
    Write(Document("<node description=\"Fruit\"/><link source=\"Fruit\"></link>"));
    ASSERT_EQ(Import("Elsewhere"), 0) << errorMessage;
    const int32_t elsewhere = engine.FindNodeByPath("Elsewhere");
    const std::vector<int32_t> imported = Children(engine, elsewhere);
    ASSERT_EQ(imported.size(), 2u);
    EXPECT_EQ(engine.GetLinkSource(imported[1]), original);
}

TEST_F(ImporterXMLTest, ALocationThatNamesNoNodeIsCreated) {
    Write(Document("<node description=\"X\"/>"));
    ASSERT_EQ(Import("Root\\New\\Place"), 0) << errorMessage;
    const int32_t place = engine.FindNodeByPath("New\\Place");
    ASSERT_GT(place, 0);
    EXPECT_EQ(Children(engine, place).size(), 1u);
}

TEST_F(ImporterXMLTest, ValuesDirectlyInTheRootElementGiveNoKey) {
    Write(Document("<value description=\"lost\" type=\"blob\">AQID</value><node description=\"N\"/>"));
    ASSERT_EQ(Import(), 0) << errorMessage;
    ASSERT_EQ(Children(engine, 0).size(), 1u);
    ASSERT_TRUE(engine.LoadNode(Children(engine, 0)[0]));
    EXPECT_EQ(engine.KeyCount(), 0);
    EXPECT_EQ(engine.GetInfo().blobCount, 0);  // and store no blob that nothing refers to
}

TEST_F(ImporterXMLTest, AbsentSeparatorIsTheDefinitionsDefaultOrTheMachines) {
    TRegionalSettings comma;
    comma.decimalSeparator = ',';
    engine.SetRegionalSettings(comma);
    const std::string node = "<node description=\"N\"><value description=\"f\" type=\"float\">2.5</value></node>";
    // With the document type definition, an absent "dp" is the "." it declares.
    std::string withDefinition = Document(node);
    withDefinition.replace(withDefinition.find(" dp=\".\""), 7, "");
    Write(withDefinition);
    ASSERT_EQ(Import(), 0) << errorMessage;
    ASSERT_TRUE(engine.LoadNode(Children(engine, 0)[0]));
    EXPECT_EQ(engine.KeyCount(), 1);
    // Without it, the machine's separator reads the numbers.
    Write(
        "<kelmor version=\"1.0\"><node description=\"M\"><value description=\"f\" type=\"float\">2,5</value>"
        "</node></kelmor>");
    ASSERT_EQ(Import(), 0) << errorMessage;
    ASSERT_TRUE(engine.LoadNode(Children(engine, 0)[1]));
    ASSERT_EQ(engine.KeyCount(), 1);
    EXPECT_EQ(engine.GetFloatKey(1), 2.5f);
}

TEST_F(ImporterXMLTest, ADocumentThatFillsTheDatabaseNeedsNoPlaceholder) {
    engine.Close();
    test::TRawDatabase raw;
    raw.users = {{"admin", "secret"}};
    for (int32_t id = 1; id <= 65533; ++id) raw.nodes.push_back({id, 0, 5, test::MakeRecord(""), 0, 0});
    raw.Write(base);
    ASSERT_EQ(engine.OpenDatabase(base, false, admin), kResultOK);
    Write(Document("<node description=\"a\"></node><node description=\"b\"></node>"));
    ASSERT_EQ(Import(), 0) << errorMessage;  // the last two places of 65,535
    EXPECT_EQ(engine.Header().nodeCount, 65535);
    EXPECT_EQ(engine.FindNodeByPath("b"), 65535);

    ASSERT_TRUE(engine.DeleteNode(65535));
    ASSERT_TRUE(engine.DeleteNode(65534));
    Write(Document("<node description=\"a\"></node><link source=\"a\"></link>"));
    EXPECT_EQ(Import(), TKelmorInOut::kError);  // a link needs the placeholder's place
    EXPECT_NE(errorMessage.find("Database Full"), std::string::npos) << errorMessage;
}

TEST_F(ImporterXMLTest, ErrorsEndTheImportWithTheirMessage) {
    struct TCase {
        std::string text;
        std::string message;
        size_t nodesLeft;  // nodes created before the error stay
    };
    const TCase cases[] = {
        {Document("<node description=\"A\"/><node description=\"B\"><value description=\"v\" type=\"String\">x</value>"
                  "</node>"),
         "Unknown key type (String)", 1},
        {Document("<node description=\"A\"><value description=\"v\" type=\"unknown\">x</value></node>"),
         "Unknown key type (unknown)", 0},
        {"<?xml version=\"1.0\"?><kelmer/>", "Expecting 'kelmor' tag", 0},
        {Document("<node description=\"A\"/><node/>"), "The element 'node' on line 16 has no 'description' attribute.",
         1},
        {Document("<node description=\"A\"><value type=\"byte\">1</value></node>"),
         "The element 'value' on line 16 has no 'description' attribute.", 0},
        {Document("<node description=\"A\"><value description=\"v\">1</value></node>"),
         "The element 'value' on line 16 has no 'type' attribute.", 0},
        {Document("<link/>"), "The element 'link' on line 16 has no 'source' attribute.", 0},
        {Head() + "<node description=\"A\">", "XML error on line 16: ", 0},
        {"", "XML error on line 1: ", 0},
        {Document("<node description=\"\xE9\"/>"), "XML error on line 16: ", 0},  // not UTF-8
    };
    for (const TCase& c : cases) ExpectRefused(c.text, c.message, c.nodesLeft);
}

TEST_F(ImporterXMLTest, HostileDocumentsAreRefusedQuickly) {
    std::string laughs = "<?xml version=\"1.0\"?><!DOCTYPE kelmor [<!ENTITY a \"lollollollollollollollollollol\">";
    for (char name = 'b'; name <= 'k'; ++name) {
        laughs += std::string("<!ENTITY ") + name + " \"";
        for (int i = 0; i < 10; ++i) laughs += std::string("&") + static_cast<char>(name - 1) + ";";
        laughs += "\">";
    }
    laughs += "]><kelmor><node description=\"&k;\"/></kelmor>";
    std::string quadratic = "<?xml version=\"1.0\"?><!DOCTYPE kelmor [<!ENTITY a \"" + std::string(50000, 'x') +
                            "\">]><kelmor><node description=\"";
    for (int i = 0; i < 50000; ++i) quadratic += "&a;";
    quadratic += "\"/></kelmor>";
    std::string deep = Head();
    for (int i = 0; i < 300; ++i) deep += "<node description=\"d\">";
    for (int i = 0; i < 300; ++i) deep += "</node>";
    deep += "</kelmor>";
    const std::string hugeAttribute = Document("<node description=\"" + std::string(11 * 1024 * 1024, 'h') + "\"/>");
    // Attribute defaults of the type definition copied into every element: long ones,
    // and many of them.
    std::string manyElements;
    for (int i = 0; i < 20000; ++i) manyElements += "<node description=\"\"/>";
    const std::string longDefault = "<?xml version=\"1.0\"?><!DOCTYPE kelmor [<!ATTLIST node pad CDATA \"" +
                                    std::string(100000, 'p') + "\">]><kelmor>" + manyElements + "</kelmor>";
    std::string manyDefaults = "<?xml version=\"1.0\"?><!DOCTYPE kelmor [<!ATTLIST node";
    for (int i = 0; i < 5000; ++i) manyDefaults += " a" + std::to_string(i) + " CDATA \"\"";
    manyDefaults += ">]><kelmor>" + manyElements + "</kelmor>";
    struct TCase {
        const char* what;
        std::string text;
        std::string message;
    };
    const TCase cases[] = {
        {"billion laughs", laughs,
         "The document declares the entity \"a\"; XML files with entity declarations are not"},
        {"quadratic blowup", quadratic, "The document declares the entity \"a\""},
        {"external entity",
         "<?xml version=\"1.0\"?><!DOCTYPE kelmor [<!ENTITY e SYSTEM \"file:///etc/passwd\">]>"
         "<kelmor><node description=\"x\"><value description=\"v\" type=\"string\">&e;</value></node></kelmor>",
         "The document declares the entity \"e\""},
        {"parameter entity", "<?xml version=\"1.0\"?><!DOCTYPE kelmor [<!ENTITY % p \"x\">]><kelmor/>",
         "The document declares the entity \"p\""},
        {"deep nesting", deep, "XML error on line 16: Elements are nested more than 256 levels deep."},
        {"huge attribute", hugeAttribute, "XML error on line 16: "},
        {"long attribute defaults", longDefault,
         "The document type definition of this file adds more to the document than the file holds; such XML files "
         "are not accepted."},
        {"many attribute defaults", manyDefaults, "The document type definition of this file adds more"},
    };
    for (const TCase& c : cases) {
        Write(c.text);
        const auto start = std::chrono::steady_clock::now();
        EXPECT_EQ(Import(), TKelmorInOut::kError) << c.what;
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5)) << c.what;
        EXPECT_EQ(errorMessage.substr(0, c.message.size()), c.message) << c.what << ": " << errorMessage;
        EXPECT_TRUE(Children(engine, 0).empty()) << c.what;
    }
    // Files above the size limit are not even read; a document with more nodes and links,
    // or more keys, than the limits is not built.
    Write(Document("<node description=\"small enough?\"/>"));
    TXMLDocument::TLimits limits;
    limits.maxFileSize = 100;
    EXPECT_EQ(Import("Root", limits), TKelmorInOut::kError);
    EXPECT_NE(errorMessage.find("The file is too large for an XML import"), std::string::npos) << errorMessage;
    std::string many;
    for (int i = 0; i < 299; ++i)
        many += "<node description=\"n\"><value description=\"v\" type=\"byte\">1</value></node>";
    Write(Document(many + "<link source=\"n\"></link>"));
    limits = TXMLDocument::TLimits();
    limits.maxNodes = 299;
    EXPECT_EQ(Import("Root", limits), TKelmorInOut::kError);
    EXPECT_EQ(errorMessage, "The document is too large for an XML import: more than 299 nodes and links.");
    limits.maxNodes = 300;  // 299 nodes and a link
    limits.maxKeys = 298;
    EXPECT_EQ(Import("Root", limits), TKelmorInOut::kError);
    EXPECT_EQ(errorMessage, "The document is too large for an XML import: more than 298 keys.");
    EXPECT_TRUE(Children(engine, 0).empty());
    limits.maxKeys = 299;
    EXPECT_EQ(Import("Root", limits), 0) << errorMessage;
    EXPECT_EQ(Children(engine, 0).size(), 300u);
    file = dir / "missing.xml";
    EXPECT_EQ(Import(), TKelmorInOut::kError);
    EXPECT_NE(errorMessage.find("Cannot open"), std::string::npos) << errorMessage;
}

// A value of its type's form that its key cannot hold ends the import, naming the key
// and its line (also far beyond line 65,535); what the format prescribes stays: a byte
// or integer key keeps the low-order bytes of a 32-bit number, a string its first 255
// characters.
TEST_F(ImporterXMLTest, ValuesThatDoNotFitEndTheImportWithTheLineAndTheKey) {
    const auto base64Of = [](size_t count) {
        const std::vector<uint8_t> bytes = test::CountingBytes(count);
        return Base64Encode(bytes.data(), bytes.size(), 80);
    };
    const auto value = [](const std::string& name, const std::string& type, const std::string& text) {
        return "<value description=\"" + name + "\" type=\"" + type + "\">" + text + "</value>";
    };
    std::string fullRecord;  // 252 keys of 259 bytes leave 236 bytes of the record free
    for (int i = 0; i < 252; ++i) fullRecord += value("", "string", std::string(255, 's'));
    struct TCase {
        std::string values;
        std::string message;
    };
    const TCase cases[] = {
        {value("l", "longint", "4294967297"),
         "The key 'l' on line 17 cannot be imported: 4294967297 does not fit into 32 bits."},
        {value("b", "byte", " -2147483649 "),
         "The key 'b' on line 17 cannot be imported: -2147483649 does not fit into 32 bits."},
        {value("i", "integer", "99999999999999999999"),
         "The key 'i' on line 17 cannot be imported: 99999999999999999999 does not fit into 32 bits."},
        {value("f", "float", "1e39"), "The key 'f' on line 17 cannot be imported: 1e39 is too large for a float."},
        {value("d", "double", "-1e400"),
         "The key 'd' on line 17 cannot be imported: -1e400 is too large for a double."},
        {value("c", "currency", "1e15"),
         "The key 'c' on line 17 cannot be imported: 1e15 is outside the range of a currency."},
        {value("q", "sequence", base64Of(256)),
         "The key 'q' on line 17 cannot be imported: the sequence has 256 bytes, at most 255 fit."},
        {value("o", "blob", base64Of(65536)),
         "The key 'o' on line 17 cannot be imported: the blob has 65536 bytes, at most 65535 fit."},
        {fullRecord + value("last", "string", std::string(255, 't')),
         "The key 'last' on line 17 cannot be imported: Key List Full."},
        {std::string(70000, '\n') + value("far", "longint", "2147483648"),
         "The key 'far' on line 70017 cannot be imported: 2147483648 does not fit into 32 bits."},
    };
    for (const TCase& c : cases) {
        Recreate();
        Write(Document("<node description=\"A\"/>\r\n<node description=\"B\">" + c.values + "</node>"));
        EXPECT_EQ(Import(), TKelmorInOut::kError) << c.message;
        EXPECT_EQ(errorMessage, c.message);
        EXPECT_EQ(Children(engine, 0).size(), 1u) << c.message;  // A stays; B is not created
        EXPECT_EQ(engine.GetInfo().blobCount, 0) << c.message;
    }

    Recreate();
    Write(Document("<node description=\"N\">" + value("b", "byte", "-1") + value("i", "integer", "65537") +
                   value("l", "longint", "-2147483648") + value("s", "string", std::string(300, 'x')) +
                   value("q", "sequence", base64Of(255)) + value("o", "blob", base64Of(65535)) + "</node>"));
    ASSERT_EQ(Import(), 0) << errorMessage;
    ASSERT_TRUE(engine.LoadNode(Children(engine, 0)[0]));
    ASSERT_EQ(engine.KeyCount(), 6);
    EXPECT_EQ(engine.GetByteKey(1), 255);
    EXPECT_EQ(engine.GetIntegerKey(2), 1);
    EXPECT_EQ(engine.GetLongintKey(3), INT32_MIN);
    EXPECT_EQ(engine.GetStringKey(4), std::string(255, 'x'));
    EXPECT_EQ(engine.GetSequenceKey(5).size(), 255u);
    EXPECT_EQ(engine.GetBlobKey(6), test::CountingBytes(65535));
}

// XML 1.0 forbids references to most control characters, but the writer escapes every
// byte below 0x20 so: they read back, in every form of reference, in attribute values and
// text, while the same text in a CDATA section or a comment stays literal.
TEST_F(ImporterXMLTest, ControlCharacterReferencesReadBack) {
    Write(
        Document("<node description=\"a&#x1;&#x1F;&#0;b\">\r\n"
                 "<value description=\'&#x0B;&#x0c;&#x000E;\' type=\"string\">&#x8;&#9;&#10;&#13;&#31;"
                 "<![CDATA[&#x1;]]><!--&#x2;--></value>\r\n"
                 "<value description=\"other private use\" type=\"string\">&#xE009;&#xE020;&#xF001;</value>\r\n"
                 "</node>\r\n"));
    ASSERT_EQ(Import(), 0) << errorMessage;
    ASSERT_TRUE(engine.LoadNode(Children(engine, 0)[0]));
    EXPECT_EQ(engine.GetDescription(), std::string("a\x01\x1F\0b", 5));
    ASSERT_EQ(engine.KeyCount(), 2);
    EXPECT_EQ(engine.GetKeyName(1), "\x0B\x0C\x0E");
    EXPECT_EQ(engine.GetStringKey(1), "\x08\t\n\r\x1F&#x1;&#x2;");
    EXPECT_EQ(engine.GetStringKey(2), "???");
}

// The rewriting does not depend on where the file's pieces end.
TEST(ControlReferenceFilter, RewritesOnlyReferencesToForbiddenCharactersWhereverThePiecesEnd) {
    const std::string document =
        "<?xml version=\"1.0\"?><!DOCTYPE k [<!-- ' &#x1; ] > --><!ATTLIST k a CDATA \"&#x1;>\"><?p &#1;?>]>"
        "<k a=\'&#x1;\' b=\"x&#1;&#x9;\" c=\"'&#x1f;'\">&#x0001;&#x20;&#xE;&amp;&#;&#x;&#x1<!--&#x1;-->"
        "<![CDATA[&#x1;]]]><?p &#x1;?>&#x00000000000000000000000000000001;&#x1;</k>&#x1";
    const std::string expected =
        "<?xml version=\"1.0\"?><!DOCTYPE k [<!-- ' &#x1; ] > --><!ATTLIST k a CDATA \"&#x1;>\"><?p &#1;?>]>"
        "<k a=\'&#xE001;\' b=\"x&#xE001;&#x9;\" c=\"'&#xE01F;'\">&#xE001;&#x20;&#xE00E;&amp;&#;&#x;&#x1<!--&#x1;-->"
        "<![CDATA[&#x1;]]]><?p &#x1;?>&#x00000000000000000000000000000001;&#xE001;</k>&#x1";
    for (size_t piece = 1; piece <= document.size(); ++piece) {
        TControlReferenceFilter filter;
        std::string output;
        for (size_t at = 0; at < document.size(); at += piece) {
            filter.Filter(std::string_view(document).substr(at, piece), at + piece >= document.size(), output);
        }
        ASSERT_EQ(output, expected) << "pieces of " << piece;
    }
}

// The parser's reports never reach the standard error stream, and the message is the
// first problem it found, not one that followed from it.
TEST_F(ImporterXMLTest, TheMessageIsTheParsersFirstErrorAndNothingGoesToStandardError) {
    struct TCase {
        std::string text;
        std::string message;
    };
    const TCase cases[] = {
        {"<?xml version=\"1.0\" encoding=\"EUC-JP\"?>\r\n<kelmor>\xFF\xFF\xFF</kelmor>\r\n",
         "XML error: input conversion failed due to input error, bytes 0xFF 0xFF 0xFF 0x3C."},
        {Document("<node description=\"&#xFFFE;&#xFFFF;\"/>"),
         "XML error on line 16: xmlParseCharRef: invalid xmlChar value 65534."},
        {Document("<node description=\"&#xE001;&#x7;\"/>\r\n<node description=\"&#xD800;\"/>&#x1;<a>"),
         "XML error on line 17: xmlParseCharRef: invalid xmlChar value 55296."},
    };
    for (const TCase& c : cases) {
        Write(c.text);
        testing::internal::CaptureStderr();
        const int result = Import();
        EXPECT_EQ(testing::internal::GetCapturedStderr(), "") << c.message;
        EXPECT_EQ(result, TKelmorInOut::kError) << c.message;
        EXPECT_EQ(errorMessage, c.message);
        EXPECT_TRUE(Children(engine, 0).empty()) << c.message;
    }
}

// The reading as a stream: what a reader that never holds the whole document could get
// wrong (lines far into a file, a file cut off, keys that come after a child element, the
// order of the progress texts). The exporter's head puts the root element's start tag on
// line 16, and content written directly after it starts there too.
constexpr int kFirstContentLine = 16;

TEST_F(ImporterXMLTest, StreamErrorsFarIntoALargeFileNameTheirLine) {
    // 35,000 nodes of two lines each: the last element starts beyond line 65,535, where
    // a document tree stops counting lines.
    constexpr int kNodes = 35'000;
    std::string body;
    for (int i = 1; i <= kNodes; ++i) {
        body += "<node description=\"n" + std::to_string(i) + "\">\r\n<value description=\"k\" type=\"longint\">" +
                std::to_string(i) + "</value></node>\r\n";
    }
    const std::string lastLine = std::to_string(kFirstContentLine + 2 * kNodes);
    struct TCase {
        std::string text;
        std::string message;
        size_t nodesLeft;
    };
    const TCase cases[] = {
        {Document(body + "<node/>"), "The element 'node' on line " + lastLine + " has no 'description' attribute.",
         kNodes},
        {Document(body + "<link/>"), "The element 'link' on line " + lastLine + " has no 'source' attribute.", kNodes},
        {Document(body +
                  "<node description=\"x\"><value description=\"big\" type=\"longint\">4294967297</value></node>"),
         "The key 'big' on line " + lastLine + " cannot be imported: ", kNodes},
        {Document(body + "<node description=\"x\"><value description=\"v\" type=\"Byte\">1</value></node>"),
         "Unknown key type (Byte)", kNodes},
        // Errors at the start of a large file end the reading while the file is still
        // being read ahead.
        {Document("<node/>" + body), "The element 'node' on line 16 has no 'description' attribute.", 0},
        {Document("<nod></node>" + body), "XML error on line 16: ", 0},
        // Not well-formed at its very end: nothing is imported.
        {Document(body + "<node description=\"x\"></nod>"), "XML error on line " + lastLine + ": ", 0},
    };
    for (const TCase& c : cases) ExpectRefused(c.text, c.message, c.nodesLeft);
}

TEST_F(ImporterXMLTest, StreamAFileCutOffAnywhereChangesNothing) {
    test::TSampleTree tree(engine);
    engine.DeleteNode(tree.brokenLink);
    TExporterXML exporter(nullptr, "Root", file, engine);
    exporter.Run();
    ASSERT_EQ(exporter.ResultCode(), 0) << exporter.ErrorMessage();
    const std::vector<uint8_t> whole = test::ReadBytes(file);
    for (const size_t cut : {whole.size() / 4, whole.size() / 2, whole.size() - 4}) {
        Recreate();
        AddNode("Old");
        const std::string before = test::DumpDatabase(engine);
        Write(std::string(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(cut)));
        EXPECT_EQ(Import(), TKelmorInOut::kError) << cut;
        EXPECT_EQ(errorMessage.rfind("XML error on line ", 0), 0u) << errorMessage;
        EXPECT_EQ(test::DumpDatabase(engine), before) << cut;
    }
}

// Keys after a child element still belong to their node, and what a value or a link
// holds is not imported; each document gives the same database as its plain form.
TEST_F(ImporterXMLTest, StreamDocumentsInAnyOrderImportAsTheirPlainForms) {
    struct TCase {
        std::string document;
        std::string plain;
    };
    const std::string kLate = "<value description=\"late\" type=\"string\">L</value>";
    const TCase cases[] = {
        {"<node description=\"A\"><node description=\"B\"/>" + kLate + "</node>",
         "<node description=\"A\">" + kLate + "<node description=\"B\"/></node>"},
        {"<node description=\"A\"><value description=\"v\" type=\"byte\">1</value><link source=\"A\"/>"
         "<value description=\"w\" type=\"byte\">2</value><node description=\"B\"/>" +
             kLate + "</node><node description=\"C\"/>",
         "<node description=\"A\"><value description=\"v\" type=\"byte\">1</value>"
         "<value description=\"w\" type=\"byte\">2</value>" +
             kLate + "<link source=\"A\"/><node description=\"B\"/></node><node description=\"C\"/>"},
        {"<node description=\"A\"><value description=\"v\" type=\"string\">x<node description=\"in\"/>y<!--z-->"
         "</value><link source=\"A\"><node description=\"inLink\"/>" +
             kLate + "</link></node>",
         "<node description=\"A\"><value description=\"v\" type=\"string\">xyz</value><link source=\"A\"/></node>"},
    };
    for (const TCase& c : cases) {
        Recreate();
        Write(Document(c.plain));
        ASSERT_EQ(Import(), 0) << errorMessage;
        const std::string expected = test::DumpDatabase(engine);
        Recreate();
        Write(Document(c.document));
        ASSERT_EQ(Import(), 0) << errorMessage;
        EXPECT_EQ(test::DumpDatabase(engine), expected) << c.document;
    }
}

TEST_F(ImporterXMLTest, StreamAnUnknownTypeAfterAChildElementStopsBeforeTheNodeIsMade) {
    Write(
        Document("<node description=\"A\"><node description=\"B\"/><value description=\"v\" type=\"Byte\">1</value>"
                 "</node>"));
    EXPECT_EQ(Import(), TKelmorInOut::kError);
    EXPECT_EQ(errorMessage, "Unknown key type (Byte)");
    EXPECT_TRUE(Children(engine, 0).empty());
}

TEST_F(ImporterXMLTest, StreamProgressFollowsTheElementsAndAnAbortDoesNotStopTheImport) {
    Write(
        Document("<node description=\"A\"><value description=\"v\" type=\"byte\">1</value>"
                 "<node description=\"B\"><link source=\"A\"/></node></node>\r\n<node description=\"C\"/>"));
    ASSERT_EQ(
        Import("Root", TXMLDocument::TLimits(), [](TKelmorInOut& job, const std::string&) { job.RequestAbort(); }), 0)
        << errorMessage;
    const std::vector<std::string> expected = {
        "XML: Parsing file...", "XML: Importing ", "XML: Importing ",         "XML: Importing A",
        "XML: Importing A\\B",  "XML: Importing ", "XML: Resolving Links...",
    };
    // (the constructor's "XML: Init..." comes first)
    ASSERT_FALSE(progress.empty());
    EXPECT_EQ(std::vector<std::string>(progress.begin() + 1, progress.end()), expected);
    const std::vector<int32_t> top = Children(engine, 0);
    ASSERT_EQ(top.size(), 2u);
    ASSERT_EQ(Children(engine, top[0]).size(), 1u);
    EXPECT_EQ(Children(engine, Children(engine, top[0])[0]).size(), 1u);  // the link below B
}

}  // namespace
}  // namespace kelmor
