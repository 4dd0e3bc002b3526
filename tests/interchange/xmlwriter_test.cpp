#include <gtest/gtest.h>

#include "tests/interchange/xmlhead.h"

#include "interchange/tstringoutputstream.h"
#include "interchange/txmlwriter.h"

namespace kelmor {
namespace {

TEST(XMLWriter, WritesTheDeclarationAndTheDefinitionThenAnEmptyLine) {
    EXPECT_EQ(TXMLWriter::Declaration().size(), 38u);
    EXPECT_EQ(TXMLWriter::DocumentTypeDefinition().size(), 516u);
    TStringOutputStream both, neither;
    TXMLWriter(both, true, true);
    TXMLWriter(neither, false, false);
    EXPECT_EQ(both.Text(), std::string(test::kXMLDeclaration) + test::kXMLDocumentTypeDefinition + "\r\n");
    EXPECT_EQ(neither.Text(), "\r\n");
}

TEST(XMLWriter, EscapesEveryByteByTheTable) {
    std::string all;
    for (int b = 0; b < 256; ++b) all += static_cast<char>(b);
    std::string expected;
    char reference[8];
    for (int b = 0; b < 256; ++b) {
        switch (b) {
            case '"': expected += "&quot;"; break;
            case '&': expected += "&amp;"; break;
            case '\'': expected += "&apos;"; break;
            case '<': expected += "&lt;"; break;
            case '>': expected += "&gt;"; break;
            default:
                if (b < 0x20 || b >= 0x7F) {
                    std::snprintf(reference, sizeof reference, "&#x%02X;", b);
                    expected += reference;
                } else {
                    expected += static_cast<char>(b);
                }
        }
    }
    EXPECT_EQ(TXMLWriter::Escape(all), expected);
    EXPECT_EQ(TXMLWriter::Escape("<&\"'\t\xE9>"), "&lt;&amp;&quot;&apos;&#x09;&#xE9;&gt;");
}

TEST(XMLWriter, NestsElementsWithAttributesInOrder) {
    TStringOutputStream out;
    TXMLWriter writer(out, false, false);
    TXMLAttributes attributes;
    attributes.AddAttribute("z", "1 < 2");
    attributes.AddAttribute("a", "");
    writer.OpenElement("outer", &attributes);
    attributes.Clear();
    writer.OpenElement("inner", &attributes);
    writer.WriteText("");
    writer.WriteText("x&y");
    writer.WriteRaw("<raw>");
    writer.CloseElement();
    writer.OpenElement("empty");
    writer.CloseElement();
    EXPECT_EQ(writer.OpenElementCount(), 1u);
    writer.CloseElement();
    writer.CloseElement();  // nothing is open: nothing is written
    writer.WriteLineBreak();
    EXPECT_EQ(out.Text(),
              "\r\n<outer z=\"1 &lt; 2\" a=\"\"><inner>x&amp;y<raw></inner>\r\n<empty></empty>\r\n</outer>\r\n\r\n");
}

}  // namespace
}  // namespace kelmor
