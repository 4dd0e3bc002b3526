#include "txmldocument.h"

#include <libxml/parser.h>
#include <libxml/parserInternals.h>
#include <libxml/tree.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <memory>
#include <stdexcept>
#include <sys/stat.h>

namespace kelmor {

namespace {

// What the parser's callbacks count and found, reached through the context's private
// pointer.
struct TParseState {
    uint64_t maxItems = 0;
    uint64_t items = 0;
    startElementNsSAX2Func buildElement = nullptr;  // the tree builder's own handlers
    charactersSAXFunc buildText = nullptr;
    cdataBlockSAXFunc buildCData = nullptr;
    std::string refusal;
};

void Refuse(xmlParserCtxtPtr parser, const std::string& reason) {
    auto* state = static_cast<TParseState*>(parser->_private);
    if (state->refusal.empty()) state->refusal = reason;
    xmlStopParser(parser);
}

void RefuseEntity(void* context, const xmlChar* name) {
    Refuse(static_cast<xmlParserCtxtPtr>(context),
           "The document declares the entity \"" + Latin1FromXML(reinterpret_cast<const char*>(name)) +
               "\"; XML files with entity declarations are not accepted.");
}

// Counts the items a callback adds to the tree; false (and the parser stopped) when
// there are too many.
bool CountItems(void* context, uint64_t count) {
    auto* parser = static_cast<xmlParserCtxtPtr>(context);
    auto* state = static_cast<TParseState*>(parser->_private);
    state->items += count;
    if (state->items <= state->maxItems) return true;
    Refuse(parser, "The document is too large for an XML import: more than " + std::to_string(state->maxItems) +
                       " items (elements and texts, attributes counted twice).");
    return false;
}

TParseState& StateOf(void* context) {
    return *static_cast<TParseState*>(static_cast<xmlParserCtxtPtr>(context)->_private);
}

void OnStartElement(void* context, const xmlChar* localName, const xmlChar* prefix, const xmlChar* uri,
                    int namespaceCount, const xmlChar** namespaces, int attributeCount, int defaultedCount,
                    const xmlChar** attributes) {
    if (!CountItems(context, 1 + 2 * static_cast<uint64_t>(std::max(attributeCount, 0)))) return;
    StateOf(context).buildElement(context, localName, prefix, uri, namespaceCount, namespaces, attributeCount,
                                  defaultedCount, attributes);
}

// Every piece of text between elements may become a node of its own.
void OnCharacters(void* context, const xmlChar* text, int length) {
    if (CountItems(context, 1)) StateOf(context).buildText(context, text, length);
}

void OnCData(void* context, const xmlChar* text, int length) {
    if (CountItems(context, 1)) StateOf(context).buildCData(context, text, length);
}

void OnEntityDeclaration(void* context, const xmlChar* name, int, const xmlChar*, const xmlChar*, xmlChar*) {
    RefuseEntity(context, name);
}

void OnUnparsedEntityDeclaration(void* context, const xmlChar* name, const xmlChar*, const xmlChar*,
                                 const xmlChar*) {
    RefuseEntity(context, name);
}

std::string ParserMessage(xmlParserCtxtPtr parser) {
    const xmlError* error = xmlCtxtGetLastError(parser);
    if (!error || !error->message) return "The file is not a well-formed XML document.";
    std::string message = error->message;
    while (!message.empty() && (message.back() == '\n' || message.back() == ' ')) message.pop_back();
    if (message.rfind("Excessive depth in document", 0) == 0) {
        message = "Elements are nested more than " + std::to_string(xmlParserMaxDepth) + " levels deep";
    }
    return "XML error on line " + std::to_string(error->line) + ": " + Latin1FromXML(message) + ".";
}

struct TParserFree {
    void operator()(xmlParserCtxtPtr parser) const { xmlFreeParserCtxt(parser); }
};

std::string ReadWholeFile(const std::string& fileName, uint64_t maxFileSize) {
    struct stat info {};
    if (stat(fileName.c_str(), &info) != 0) {
        throw std::runtime_error("Cannot open \"" + fileName + "\": " + std::strerror(errno) + ".");
    }
    if (!S_ISREG(info.st_mode)) throw std::runtime_error("\"" + fileName + "\" is not a file that can be read.");
    const auto size = static_cast<uint64_t>(info.st_size);
    if (size > maxFileSize || size > static_cast<uint64_t>(INT32_MAX)) {
        throw std::runtime_error("The file is too large for an XML import (" + std::to_string(size) +
                                 " bytes; at most " + std::to_string(maxFileSize) + ").");
    }
    std::ifstream in(fileName, std::ios::binary);
    if (!in) throw std::runtime_error("Cannot open \"" + fileName + "\": " + std::strerror(errno) + ".");
    std::string data(static_cast<size_t>(size), '\0');
    in.read(data.data(), static_cast<std::streamsize>(size));
    if (static_cast<uint64_t>(in.gcount()) != size) {
        throw std::runtime_error("Cannot read \"" + fileName + "\".");
    }
    return data;
}

}  // namespace

TXMLDocument::TXMLDocument(const std::string& fileName, const TLimits& limits) {
    const std::string data = ReadWholeFile(fileName, limits.maxFileSize);
    xmlInitParser();
    std::unique_ptr<xmlParserCtxt, TParserFree> parser(xmlNewParserCtxt());
    if (!parser || !parser->sax || !parser->sax->startElementNs || !parser->sax->characters ||
        !parser->sax->cdataBlock) {
        throw std::bad_alloc();
    }
    TParseState state;
    state.maxItems = limits.maxItems;
    state.buildElement = parser->sax->startElementNs;
    state.buildText = parser->sax->characters;
    state.buildCData = parser->sax->cdataBlock;
    parser->_private = &state;
    parser->sax->startElementNs = OnStartElement;
    parser->sax->characters = OnCharacters;
    parser->sax->cdataBlock = OnCData;
    parser->sax->entityDecl = OnEntityDeclaration;
    parser->sax->unparsedEntityDecl = OnUnparsedEntityDeclaration;
    // No XML_PARSE_NOENT (it would pull external entities in), no XML_PARSE_DTDLOAD, no
    // XML_PARSE_HUGE (the parser's limits on depth and text lengths stay on).
    const int options = XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING;
    document_ = xmlCtxtReadMemory(parser.get(), data.data(), static_cast<int>(data.size()), fileName.c_str(),
                                  nullptr, options);
    if (!state.refusal.empty() || !document_ || !parser->wellFormed) {
        if (document_) xmlFreeDoc(document_);
        document_ = nullptr;
        throw std::runtime_error(!state.refusal.empty() ? state.refusal : ParserMessage(parser.get()));
    }
    if (!xmlDocGetRootElement(document_)) {
        xmlFreeDoc(document_);
        document_ = nullptr;
        throw std::runtime_error("The XML document has no root element.");
    }
}

TXMLDocument::~TXMLDocument() {
    if (document_) xmlFreeDoc(document_);
}

_xmlNode* TXMLDocument::Root() const { return xmlDocGetRootElement(document_); }

std::string Latin1FromXML(std::string_view utf8) {
    std::string text;
    text.reserve(utf8.size());
    for (size_t i = 0; i < utf8.size();) {
        const auto lead = static_cast<unsigned char>(utf8[i]);
        size_t length = 1;
        uint32_t code = lead;
        if (lead >= 0xC0 && lead < 0xE0) {
            length = 2;
            code = lead & 0x1F;
        } else if (lead >= 0xE0 && lead < 0xF0) {
            length = 3;
            code = lead & 0x0F;
        } else if (lead >= 0xF0) {
            length = 4;
            code = lead & 0x07;
        } else if (lead >= 0x80) {
            code = '?';  // a stray continuation byte; the parser does not hand these out
        }
        if (i + length > utf8.size()) {
            text += '?';
            break;
        }
        for (size_t k = 1; k < length; ++k) code = code << 6 | (static_cast<unsigned char>(utf8[i + k]) & 0x3F);
        text += code <= 0xFF ? static_cast<char>(code) : '?';
        i += length;
    }
    return text;
}

bool XMLAttribute(const _xmlNode* element, const char* name, std::string& value) {
    xmlChar* raw = xmlGetNoNsProp(element, reinterpret_cast<const xmlChar*>(name));
    if (!raw) return false;
    value = Latin1FromXML(reinterpret_cast<const char*>(raw));
    xmlFree(raw);
    return true;
}

}  // namespace kelmor
