// The XML import reads its file as a stream: these cases check what a reader that never
// holds the whole document could get wrong (lines far into a file, a file cut off, keys
// that come after a child element, the order of the progress texts).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "interchange/texporterxml.h"
#include "interchange/timporterxml.h"
#include "tests/interchange/sampletree.h"
#include "tests/interchange/xmlhead.h"
#include "tests/testsupport/dbfixture.h"
#include "tests/testsupport/tempdir.h"

namespace kelmor {
namespace {

using test::Children;

// The exporter's head: the root element's start tag is on line 16, and content written
// directly after it starts there too.
constexpr int kFirstContentLine = 16;

std::string Head() {
    return std::string(test::kXMLDeclaration) + test::kXMLDocumentTypeDefinition +
           "\r\n<kelmor version=\"1.0\" filename=\"DB\" date=\"20240506\" dp=\".\">";
}

std::string Document(const std::string& content) { return Head() + content + "</kelmor>\r\n"; }

class ImporterXMLStreamTest : public test::DatabaseTest {
protected:
    void Write(const std::string& text) { test::WriteBytes(file, std::vector<uint8_t>(text.begin(), text.end())); }

    // With onProgress, the job's own progress texts are also handed to it.
    int Import(const std::function<void(TKelmorInOut&, const std::string&)>& onProgress = nullptr) {
        progress.clear();
        TImporterXML job(
            [&](TKelmorInOut& job, const std::string& text) {
                progress.push_back(text);
                if (onProgress) onProgress(job, text);
            },
            "Root", file, engine);
        job.Run();
        errorMessage = job.ErrorMessage();
        return job.ResultCode();
    }

    void Recreate() {
        engine.Close();
        ASSERT_EQ(engine.CreateDatabase(dir / ("db" + std::to_string(++databases)), admin), kResultOK);
    }

    std::string file = dir / "in.xml";
    std::vector<std::string> progress;
    std::string errorMessage;
    int databases = 0;
};

TEST_F(ImporterXMLStreamTest, ErrorsFarIntoALargeFileNameTheirLine) {
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
    for (const TCase& c : cases) {
        Recreate();
        const int32_t old = AddNode("Old");
        engine.MarkNode(old);
        Write(c.text);
        EXPECT_EQ(Import(), TKelmorInOut::kError) << c.message;
        EXPECT_EQ(errorMessage.substr(0, c.message.size()), c.message);
        EXPECT_EQ(Children(engine, 0).size(), 1 + c.nodesLeft) << c.message;
        EXPECT_EQ(engine.MarkedNode(), old);
    }
}

TEST_F(ImporterXMLStreamTest, AFileCutOffAnywhereChangesNothing) {
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
TEST_F(ImporterXMLStreamTest, DocumentsInAnyOrderImportAsTheirPlainForms) {
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

TEST_F(ImporterXMLStreamTest, AnUnknownTypeAfterAChildElementStopsBeforeTheNodeIsMade) {
    Write(
        Document("<node description=\"A\"><node description=\"B\"/><value description=\"v\" type=\"Byte\">1</value>"
                 "</node>"));
    EXPECT_EQ(Import(), TKelmorInOut::kError);
    EXPECT_EQ(errorMessage, "Unknown key type (Byte)");
    EXPECT_TRUE(Children(engine, 0).empty());
}

TEST_F(ImporterXMLStreamTest, ProgressFollowsTheElementsAndAnAbortDoesNotStopTheImport) {
    Write(
        Document("<node description=\"A\"><value description=\"v\" type=\"byte\">1</value>"
                 "<node description=\"B\"><link source=\"A\"/></node></node>\r\n<node description=\"C\"/>"));
    ASSERT_EQ(Import([](TKelmorInOut& job, const std::string&) { job.RequestAbort(); }), 0) << errorMessage;
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
