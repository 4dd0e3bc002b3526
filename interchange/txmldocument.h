// TXMLDocument: an XML file parsed whole into a document tree, with the limits that
// keep a damaged or hostile file from exhausting memory or time: a limit on the bytes
// of the file, on the elements that become nodes and on those that become keys, a tree
// that may never hold much more than the file brings (so that attribute defaults of a
// document type definition cannot multiply it), the parser's own limits on nesting and
// on the length of names and texts, no network, no external entities, and no entity
// declarations at all (this program's XML files use none; refusing them stops entity
// expansion attacks before they start).
//
// The file is read in pieces (TXMLFileReader) through a TControlReferenceFilter, so
// that the control characters the writer escapes come back. The parser reports nothing
// on the standard error stream; a failure raises the first problem it found, not a
// later consequence.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

struct _xmlDoc;
struct _xmlNode;

namespace kelmor {

class TXMLDocument {
public:
    // The defaults are sized for a full database: 65,535 nodes with 255 keys each. Its
    // tree (some 30 GB of memory when every key holds 255 characters) is the most this
    // whole-document import is meant to build; a document beyond it is refused before
    // its tree grows further.
    struct TLimits {
        // The export of such a database whose every text is 255 characters written as
        // character references of 6 bytes takes about 26.4 GB; 65,535 blobs of 65,535
        // bytes (Base64) add some 6 GB, and 32 GiB holds both.
        uint64_t maxFileSize = 32ull << 30;
        // Elements that become nodes or links: a database holds 65,535 nodes, so a
        // document with more can never be imported whole.
        uint64_t maxNodes = 65'535;
        // Value elements: 255 keys for every node of a full database.
        uint64_t maxKeys = 65'535ull * 255;
    };

    // Reads and parses the file. Raises std::runtime_error with a message naming the
    // problem: the file cannot be read or is too large, the document is not well-formed
    // (the parser's message and line), has too many nodes or keys, declares entities, or
    // its type definition adds more than the file holds.
    TXMLDocument(const std::string& fileName, const TLimits& limits);
    ~TXMLDocument();
    TXMLDocument(const TXMLDocument&) = delete;
    TXMLDocument& operator=(const TXMLDocument&) = delete;

    _xmlNode* Root() const;

private:
    _xmlDoc* document_ = nullptr;
};

// A text of the document (UTF-8) as the program's 8-bit Latin-1 text; the stand-ins of
// TControlReferenceFilter become their control characters again, any other character
// outside Latin-1 becomes "?".
std::string Latin1FromXML(std::string_view utf8);

// The value of an attribute of an element (also a default that the document's type
// definition declares for it), as Latin-1 text; false when the element has none.
bool XMLAttribute(const _xmlNode* element, const char* name, std::string& value);

// The line of an element's start tag, also beyond line 65,535 (where the tree's own
// line numbers stop).
int64_t XMLLine(const _xmlNode* element);

}  // namespace kelmor
