// ReadXMLStream: an XML file read from start to end without a document tree, with the
// same limits and refusals as TXMLDocument (file size, nodes, keys, entity declarations,
// type definition defaults, the parser's nesting and length limits, no network). Each
// element, its end and its character data go to a TXMLStreamHandler as the parser meets
// them, so that memory stays small whatever the size of the file.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "interchange/txmldocument.h"

namespace kelmor {

// An element's start tag as the parser reports it; valid only during the call.
class TXMLStreamElement {
public:
    TXMLStreamElement(const char* name, int64_t line, const unsigned char** attributes, int attributeCount,
                      int defaultedCount)
        : name_(name),
          line_(line),
          attributes_(attributes),
          attributeCount_(attributeCount),
          defaultedCount_(defaultedCount) {}

    // The local name (UTF-8), as TXMLDocument's elements name themselves.
    const char* Name() const { return name_; }
    bool NameIs(const char* name) const;
    // The line of the start tag's end, as XMLLine gives it for a tree element.
    int64_t Line() const { return line_; }
    // The same value as XMLAttribute gives for the element of a tree.
    bool Attribute(const char* name, std::string& value) const;

private:
    const char* name_;
    int64_t line_;
    const unsigned char** attributes_;
    int attributeCount_;
    int defaultedCount_;
};

class TXMLStreamHandler {
public:
    virtual ~TXMLStreamHandler() = default;
    virtual void StartElement(const TXMLStreamElement& element) = 0;
    virtual void EndElement() = 0;
    // Text, a CDATA section or a comment inside the element opened last (UTF-8).
    virtual void CharacterData(std::string_view utf8) = 0;
};

// Reads the file; an exception of the handler ends the reading and is raised again.
// Raises std::runtime_error as TXMLDocument does for a file it refuses.
void ReadXMLStream(const std::string& fileName, const TXMLDocument::TLimits& limits, TXMLStreamHandler& handler);

}  // namespace kelmor
