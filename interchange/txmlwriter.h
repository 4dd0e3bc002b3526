// TXMLWriter: a small streaming XML writer. It keeps the names of the open elements,
// escapes text and attribute values so that only printable ASCII reaches the stream
// (every other byte becomes a character reference of the same number, so text is read
// as Latin-1), and ends lines with CR LF.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "interchange/toutputstream.h"
#include "interchange/txmlattributes.h"

namespace kelmor {

class TXMLWriter {
public:
    // Writes the declaration and the document type definition when asked to, then a
    // CR LF. The stream is not owned.
    TXMLWriter(TOutputStream& stream, bool withDefinition, bool withDeclaration);

    void WriteRaw(std::string_view text);
    void WriteLineBreak();
    // Writes the text escaped; an empty text writes nothing.
    void WriteText(std::string_view text);
    // "<name", the attributes in their order, ">"; no line break.
    void OpenElement(const std::string& name, const TXMLAttributes* attributes = nullptr);
    // "</name>" of the innermost open element and a CR LF; nothing when none is open.
    void CloseElement();
    size_t OpenElementCount() const { return openElements_.size(); }

    // The escaped form of a text or attribute value.
    static std::string Escape(std::string_view text);
    // The declaration, 38 bytes without a line break.
    static const std::string& Declaration();
    // The document type definition of the program's XML files, 14 lines with CR LF.
    static const std::string& DocumentTypeDefinition();

private:
    TOutputStream& stream_;
    std::vector<std::string> openElements_;
};

}  // namespace kelmor
