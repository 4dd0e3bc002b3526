#include "interchange/txmldocument.h"

#include <libxml/globals.h>
#include <libxml/parser.h>
#include <libxml/parserInternals.h>
#include <libxml/tree.h>
#include <libxml/xmlerror.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <exception>
#include <memory>
#include <stdexcept>

#include "interchange/tcontrolreferencefilter.h"
#include "interchange/txmlfilereader.h"
#include "interchange/txmlstream.h"

namespace kelmor {

namespace {

// Without the document type definition's defaults, every item of the tree (an element,
// an attribute counted twice, a piece of text, a comment) takes at least two bytes of
// the file, and every byte of the file gives at most three bytes of text (a character
// of a single-byte encoding as UTF-8). A tree beyond that, and a little more for the
// defaults of this program's own definition, is being multiplied by defaults.
constexpr uint64_t kBytesPerItem = 2;
constexpr uint64_t kTextPerByte = 3;
constexpr uint64_t kItemsFromDefaults = 1024;
constexpr uint64_t kTextFromDefaults = 64 * 1024;

// What the parser's callbacks count and found, reached through the context's private
// pointer (and, for the error reports, as the thread's error context).
struct TParseState {
    TXMLDocument::TLimits limits;
    const TXMLFileReader* reader = nullptr;
    uint64_t nodes = 0;
    uint64_t keys = 0;
    uint64_t items = 0;
    uint64_t text = 0;
    startElementNsSAX2Func buildElement = nullptr;  // the tree builder's own handlers
    charactersSAXFunc buildText = nullptr;
    cdataBlockSAXFunc buildCData = nullptr;
    commentSAXFunc buildComment = nullptr;
    processingInstructionSAXFunc buildInstruction = nullptr;
    endElementNsSAX2Func buildEnd = nullptr;
    TXMLStreamHandler* handler = nullptr;  // set when no tree is built
    std::exception_ptr handlerError;
    int openElements = 0;
    bool textOpen = false;     // the last item of the open element is text (so more text joins it)
    std::string firstProblem;  // ours, or the parser's first fatal error
    std::string firstError;    // the parser's first error that it could go on after

    void Report(const std::string& problem) {
        if (firstProblem.empty()) firstProblem = problem;
    }
};

TParseState& StateOf(void* context) {
    return *static_cast<TParseState*>(static_cast<xmlParserCtxtPtr>(context)->_private);
}

void Refuse(void* context, const std::string& reason) {
    StateOf(context).Report(reason);
    xmlStopParser(static_cast<xmlParserCtxtPtr>(context));
}

void RefuseEntity(void* context, const xmlChar* name) {
    Refuse(context, "The document declares the entity \"" + Latin1FromXML(reinterpret_cast<const char*>(name)) +
                        "\"; XML files with entity declarations are not accepted.");
}

// Counts what a callback adds to the tree; false (and the parser stopped) when the tree
// grows beyond what the file brings.
bool Grow(void* context, uint64_t items, uint64_t text) {
    TParseState& state = StateOf(context);
    state.items += items;
    state.text += text;
    const uint64_t bytes = state.reader->BytesGiven();
    if (state.items <= bytes / kBytesPerItem + kItemsFromDefaults &&
        state.text <= bytes * kTextPerByte + kTextFromDefaults) {
        return true;
    }
    Refuse(context,
           "The document type definition of this file adds more to the document than the file "
           "holds; such XML files are not accepted.");
    return false;
}

// Hands an event to the stream's handler; its exception stops the parser and is kept
// (it must not pass through the parser's frames).
template <typename Event>
void Hand(void* context, Event&& event) {
    TParseState& state = StateOf(context);
    if (state.handlerError) return;
    try {
        event(*state.handler);
    } catch (...) {
        state.handlerError = std::current_exception();
        xmlStopParser(static_cast<xmlParserCtxtPtr>(context));
    }
}

// Nodes and keys beyond the limits end the parse before the tree grows further.
bool CountElement(void* context, const xmlChar* localName) {
    TParseState& state = StateOf(context);
    if (state.openElements == 0) return true;  // the document element
    const bool isKey = std::strcmp(reinterpret_cast<const char*>(localName), "value") == 0;
    uint64_t& count = isKey ? state.keys : state.nodes;
    const uint64_t limit = isKey ? state.limits.maxKeys : state.limits.maxNodes;
    if (++count <= limit) return true;
    Refuse(context, "The document is too large for an XML import: more than " + std::to_string(limit) +
                        (isKey ? " keys." : " nodes and links."));
    return false;
}

void OnStartElement(void* context, const xmlChar* localName, const xmlChar* prefix, const xmlChar* uri,
                    int namespaceCount, const xmlChar** namespaces, int attributeCount, int defaultedCount,
                    const xmlChar** attributes) {
    if (!CountElement(context, localName)) return;
    uint64_t text = 0;
    for (int i = 0; i < attributeCount; ++i) {
        text += static_cast<uint64_t>(attributes[5 * i + 4] - attributes[5 * i + 3]);  // value end - value
    }
    for (int i = 0; i < namespaceCount; ++i) {
        if (namespaces[2 * i + 1]) text += std::strlen(reinterpret_cast<const char*>(namespaces[2 * i + 1]));
    }
    const uint64_t items = 1 + 2 * static_cast<uint64_t>(std::max(attributeCount, 0) + std::max(namespaceCount, 0));
    if (!Grow(context, items, text)) return;
    auto* parser = static_cast<xmlParserCtxtPtr>(context);
    TParseState& state = StateOf(context);
    ++state.openElements;
    state.textOpen = false;
    if (state.handler) {
        const int64_t line = parser->input ? parser->input->line : 0;
        Hand(context, [&](TXMLStreamHandler& handler) {
            handler.StartElement(TXMLStreamElement(reinterpret_cast<const char*>(localName), line, attributes,
                                                   attributeCount, defaultedCount));
        });
        return;
    }
    const int openBefore = parser->nodeNr;
    state.buildElement(context, localName, prefix, uri, namespaceCount, namespaces, attributeCount, defaultedCount,
                       attributes);
    // The tree keeps lines up to 65,535; the element's unused schema pointer holds larger ones.
    if (parser->nodeNr == openBefore + 1 && parser->node && parser->input && parser->input->line >= USHRT_MAX) {
        parser->node->psvi = reinterpret_cast<void*>(static_cast<intptr_t>(parser->input->line));
    }
}

// Text that follows text (the pieces between character references) joins its node.
void OnEndElement(void* context, const xmlChar* localName, const xmlChar* prefix, const xmlChar* uri) {
    TParseState& state = StateOf(context);
    --state.openElements;
    state.textOpen = false;
    if (state.handler) {
        Hand(context, [](TXMLStreamHandler& handler) { handler.EndElement(); });
    } else {
        state.buildEnd(context, localName, prefix, uri);
    }
}

// Character data for the stream's handler: only inside the document element (a tree
// keeps what lies outside it apart from the element tree too).
void HandText(void* context, const xmlChar* text, size_t length) {
    if (StateOf(context).openElements == 0 || !text) return;
    Hand(context, [&](TXMLStreamHandler& handler) {
        handler.CharacterData(std::string_view(reinterpret_cast<const char*>(text), length));
    });
}

void OnCharacters(void* context, const xmlChar* text, int length) {
    TParseState& state = StateOf(context);
    bool joins = state.textOpen;
    if (!state.handler) {
        const xmlNode* current = static_cast<xmlParserCtxtPtr>(context)->node;
        joins = current && current->last && current->last->type == XML_TEXT_NODE;
    }
    if (Grow(context, joins ? 0 : 1, static_cast<uint64_t>(std::max(length, 0)))) {
        state.textOpen = true;
        if (state.handler) {
            HandText(context, text, static_cast<size_t>(std::max(length, 0)));
        } else {
            state.buildText(context, text, length);
        }
    }
}

void OnCData(void* context, const xmlChar* text, int length) {
    TParseState& state = StateOf(context);
    if (Grow(context, 1, static_cast<uint64_t>(std::max(length, 0)))) {
        state.textOpen = false;
        if (state.handler) {
            HandText(context, text, static_cast<size_t>(std::max(length, 0)));
        } else {
            state.buildCData(context, text, length);
        }
    }
}

void OnComment(void* context, const xmlChar* text) {
    TParseState& state = StateOf(context);
    const size_t length = text ? std::strlen(reinterpret_cast<const char*>(text)) : 0;
    if (Grow(context, 1, length)) {
        state.textOpen = false;
        if (state.handler) {
            HandText(context, text, length);
        } else {
            state.buildComment(context, text);
        }
    }
}

void OnProcessingInstruction(void* context, const xmlChar* target, const xmlChar* data) {
    TParseState& state = StateOf(context);
    const size_t length = (target ? std::strlen(reinterpret_cast<const char*>(target)) : 0) +
                          (data ? std::strlen(reinterpret_cast<const char*>(data)) : 0);
    if (Grow(context, 1, length)) {
        state.textOpen = false;
        if (!state.handler) state.buildInstruction(context, target, data);
    }
}

void OnEntityDeclaration(void* context, const xmlChar* name, int, const xmlChar*, const xmlChar*, xmlChar*) {
    RefuseEntity(context, name);
}

void OnUnparsedEntityDeclaration(void* context, const xmlChar* name, const xmlChar*, const xmlChar*, const xmlChar*) {
    RefuseEntity(context, name);
}

// "XML error on line N: <the parser's message>."
std::string ParserMessage(const xmlError& error) {
    std::string message = error.message ? error.message : "The file is not a well-formed XML document";
    for (char& c : message) {
        if (c == '\n' || c == '\r') c = ' ';
    }
    while (!message.empty() && (message.back() == ' ' || message.back() == '.')) message.pop_back();
    if (message.rfind("Excessive depth in document", 0) == 0) {
        message = "Elements are nested more than " + std::to_string(xmlParserMaxDepth) + " levels deep";
    }
    // Reports from outside the parser (a failed conversion of the encoding) have no line;
    // the parser's own line is then ahead or behind.
    const std::string where = error.line > 0 ? " on line " + std::to_string(error.line) : "";
    return "XML error" + where + ": " + Latin1FromXML(message) + ".";
}

void IgnoreMessage(void*, const char*, ...) {}

// While it lives, every report of the parser on this thread goes to the state and
// nothing to the standard error stream (the handlers are the thread's own).
class TParserReports {
public:
    explicit TParserReports(TParseState& state)
        : structured_(xmlStructuredError),
          structuredContext_(xmlStructuredErrorContext),
          generic_(xmlGenericError),
          genericContext_(xmlGenericErrorContext) {
        // (a generic lambda, so that it fits the handler type of every library version)
        xmlStructuredErrorFunc handler = [](void* context, auto* error) {
            auto* parse = static_cast<TParseState*>(context);
            if (!error || error->level < XML_ERR_ERROR) return;
            if (error->level == XML_ERR_FATAL) {
                parse->Report(ParserMessage(*error));
            } else if (parse->firstError.empty()) {
                parse->firstError = ParserMessage(*error);
            }
        };
        xmlSetStructuredErrorFunc(&state, handler);
        xmlSetGenericErrorFunc(nullptr, IgnoreMessage);
    }
    ~TParserReports() {
        xmlSetStructuredErrorFunc(structuredContext_, structured_);
        xmlSetGenericErrorFunc(genericContext_, generic_);
    }
    TParserReports(const TParserReports&) = delete;
    TParserReports& operator=(const TParserReports&) = delete;

private:
    xmlStructuredErrorFunc structured_;
    void* structuredContext_;
    xmlGenericErrorFunc generic_;
    void* genericContext_;
};

struct TParserFree {
    void operator()(xmlParserCtxtPtr parser) const { xmlFreeParserCtxt(parser); }
};

}  // namespace

namespace {

// Parses the file with the guards above: into a tree, or, with a handler, into its events
// (the document then holds no more than the type definition).
xmlDocPtr Parse(const std::string& fileName, const TXMLDocument::TLimits& limits, TXMLStreamHandler* handler) {
    TParseState state;
    state.limits = limits;
    state.handler = handler;
    TXMLFileReader reader(fileName, limits.maxFileSize,
                          [&state](const std::string& problem) { state.Report(problem); });
    state.reader = &reader;
    xmlInitParser();
    TParserReports reports(state);
    std::unique_ptr<xmlParserCtxt, TParserFree> parser(xmlNewParserCtxt());
    if (!parser || !parser->sax || !parser->sax->startElementNs || !parser->sax->characters ||
        !parser->sax->cdataBlock || !parser->sax->comment || !parser->sax->processingInstruction ||
        !parser->sax->endElementNs) {
        throw std::bad_alloc();
    }
    state.buildElement = parser->sax->startElementNs;
    state.buildText = parser->sax->characters;
    state.buildCData = parser->sax->cdataBlock;
    state.buildComment = parser->sax->comment;
    state.buildInstruction = parser->sax->processingInstruction;
    state.buildEnd = parser->sax->endElementNs;
    parser->_private = &state;
    parser->sax->startElementNs = OnStartElement;
    parser->sax->endElementNs = OnEndElement;
    parser->sax->characters = OnCharacters;
    parser->sax->ignorableWhitespace = OnCharacters;  // the tree keeps blanks as text too
    parser->sax->cdataBlock = OnCData;
    parser->sax->comment = OnComment;
    parser->sax->processingInstruction = OnProcessingInstruction;
    parser->sax->entityDecl = OnEntityDeclaration;
    parser->sax->unparsedEntityDecl = OnUnparsedEntityDeclaration;
    // No XML_PARSE_NOENT (it would pull external entities in), no XML_PARSE_DTDLOAD, no
    // XML_PARSE_HUGE (the parser's limits on depth and text lengths stay on).
    const int options = XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING;
    xmlDocPtr document =
        xmlCtxtReadIO(parser.get(), TXMLFileReader::Read, nullptr, &reader, fileName.c_str(), nullptr, options);
    if (state.handlerError || !state.firstProblem.empty() || !document || !parser->wellFormed) {
        if (document) xmlFreeDoc(document);
        if (state.handlerError) std::rethrow_exception(state.handlerError);
        if (!state.firstProblem.empty()) throw std::runtime_error(state.firstProblem);
        if (!state.firstError.empty()) throw std::runtime_error(state.firstError);
        throw std::runtime_error("The file is not a well-formed XML document.");
    }
    return document;
}

}  // namespace

TXMLDocument::TXMLDocument(const std::string& fileName, const TLimits& limits) {
    document_ = Parse(fileName, limits, nullptr);
    if (!xmlDocGetRootElement(document_)) {
        xmlFreeDoc(document_);
        document_ = nullptr;
        throw std::runtime_error("The XML document has no root element.");
    }
}

void ReadXMLStream(const std::string& fileName, const TXMLDocument::TLimits& limits, TXMLStreamHandler& handler) {
    xmlFreeDoc(Parse(fileName, limits, &handler));
}

bool TXMLStreamElement::NameIs(const char* name) const { return std::strcmp(name_, name) == 0; }

bool TXMLStreamElement::Attribute(const char* name, std::string& value) const {
    // Entries of five: local name, prefix, namespace, value, value end; the defaulted
    // ones (from the type definition) come last. Only attributes without a prefix count.
    for (int i = 0; i < attributeCount_; ++i) {
        const unsigned char** entry = attributes_ + 5 * i;
        if (entry[1] || std::strcmp(reinterpret_cast<const char*>(entry[0]), name) != 0) continue;
        const std::string_view raw(reinterpret_cast<const char*>(entry[3]), static_cast<size_t>(entry[4] - entry[3]));
        if (i >= attributeCount_ - defaultedCount_) {
            value = Latin1FromXML(raw);  // a tree hands a default out as it is declared
            return true;
        }
        // The parser leaves an ampersand as the reference "&#38;" for the tree to resolve.
        constexpr std::string_view kAmpersand = "&#38;";
        size_t at = raw.find(kAmpersand);
        if (at == std::string_view::npos) {
            value = Latin1FromXML(raw);
            return true;
        }
        std::string text;
        text.reserve(raw.size());
        size_t from = 0;
        for (; at != std::string_view::npos; at = raw.find(kAmpersand, from)) {
            text.append(raw.substr(from, at - from)) += '&';
            from = at + kAmpersand.size();
        }
        text.append(raw.substr(from));
        value = Latin1FromXML(text);
        return true;
    }
    return false;
}

TXMLDocument::~TXMLDocument() {
    if (document_) xmlFreeDoc(document_);
}

_xmlNode* TXMLDocument::Root() const { return xmlDocGetRootElement(document_); }

std::string Latin1FromXML(std::string_view utf8) {
    // Most texts are ASCII, which is the same in both.
    if (std::all_of(utf8.begin(), utf8.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; })) {
        return std::string(utf8);
    }
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
        if (code >= kControlCharacterStandIn && IsForbiddenControlCharacter(code - kControlCharacterStandIn)) {
            code -= kControlCharacterStandIn;
        }
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

int64_t XMLLine(const _xmlNode* element) {
    if (element->line < USHRT_MAX) return element->line;
    return static_cast<int64_t>(reinterpret_cast<intptr_t>(element->psvi));
}

}  // namespace kelmor
