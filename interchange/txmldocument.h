// TXMLDocument: an XML file parsed whole into a document tree, with the limits that
// keep a damaged or hostile file from exhausting memory or time: a file size limit, a
// limit on the number of elements and attributes (a tree costs far more memory than its
// text when the elements are small), the parser's own limits on nesting and on the
// length of names and texts, no network, no external entities, and no entity
// declarations at all (this program's XML files use none; refusing them stops entity
// expansion attacks before they start).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

struct _xmlDoc;
struct _xmlNode;

namespace kelmor {

class TXMLDocument {
public:
    struct TLimits {
        uint64_t maxFileSize = 256ull * 1024 * 1024;
        // The size of the tree in items: 1 per element and per piece of text, 2 per
        // attribute (an attribute costs about twice the memory of an element). An item
        // takes about 200 bytes of tree, so this limit holds the tree below about 1.2 GB;
        // an export of 65,535 nodes with ten keys each has 4.9 million items.
        uint64_t maxItems = 6'000'000;
    };

    // Reads and parses the file. Raises std::runtime_error with a message naming the
    // problem: the file cannot be read or is too large, the document is not well-formed
    // (the parser's message and line), has too many elements, or declares entities.
    TXMLDocument(const std::string& fileName, const TLimits& limits);
    ~TXMLDocument();
    TXMLDocument(const TXMLDocument&) = delete;
    TXMLDocument& operator=(const TXMLDocument&) = delete;

    _xmlNode* Root() const;

private:
    _xmlDoc* document_ = nullptr;
};

// A text of the document (UTF-8) as the program's 8-bit Latin-1 text; a character
// outside Latin-1 becomes "?".
std::string Latin1FromXML(std::string_view utf8);

// The value of an attribute of an element (also a default that the document's type
// definition declares for it), as Latin-1 text; false when the element has none.
bool XMLAttribute(const _xmlNode* element, const char* name, std::string& value);

}  // namespace kelmor
