#include "interchange/timporterxml.h"

#include <libxml/parser.h>
#include <libxml/tree.h>
#include <vector>

#include <cstring>
#include <stdexcept>

#include "engine/tkelmor.h"
#include "interchange/currentdatetime.h"
#include "interchange/keytypefromname.h"
#include "interchange/xmlkeyvalue.h"

namespace kelmor {

namespace {

bool NameIs(const xmlNode* element, const char* name) {
    return std::strcmp(reinterpret_cast<const char*>(element->name), name) == 0;
}

std::string ElementName(const xmlNode* element) { return Latin1FromXML(reinterpret_cast<const char*>(element->name)); }

std::string RequiredAttribute(const xmlNode* element, const char* name) {
    std::string value;
    if (!XMLAttribute(element, name, value)) {
        throw std::runtime_error("The element '" + ElementName(element) + "' on line " +
                                 std::to_string(XMLLine(element)) + " has no '" + name + "' attribute.");
    }
    return value;
}

// The character data of an element's text, CDATA section and comment children, in order.
std::string CharacterData(const xmlNode* element) {
    std::string text;
    for (const xmlNode* child = element->children; child; child = child->next) {
        if ((child->type == XML_TEXT_NODE || child->type == XML_CDATA_SECTION_NODE ||
             child->type == XML_COMMENT_NODE) &&
            child->content) {
            text += reinterpret_cast<const char*>(child->content);
        }
    }
    return Latin1FromXML(text);
}

// A key name for a message, cut when it is long.
std::string ShownName(const std::string& name) {
    constexpr size_t kLongest = 40;
    return name.size() <= kLongest ? name : name.substr(0, kLongest) + "...";
}

}  // namespace

TImporterXML::TImporterXML(TProgressCallback onProgress, const std::string& location, const std::string& fileName,
                           TKelmorClass& database)
    : TKelmorInOut(std::move(onProgress), location, fileName, database) {
    SetResultCode(kSuccess);  // a location that names no node is created when the job runs
    Progress("XML: Init...");
    xmlInitParser();  // once, on the caller's thread, before any job thread parses
}

TImporterXML::~TImporterXML() { Wait(); }

void TImporterXML::Execute() {
    TKelmorClass& engine = Database();
    formerMarkedNode_ = engine.MarkedNode();
    placeholderNode_ = 0;
    pendingLinks_.clear();
    try {
        Progress("XML: Parsing file...");
        TXMLDocument document(FileName(), limits_);
        Import(document);
    } catch (...) {
        CleanUpAfterError();
        throw;
    }
}

void TImporterXML::Import(TXMLDocument& document) {
    TKelmorClass& engine = Database();
    root_ = document.Root();
    if (!NameIs(root_, "kelmor")) throw std::runtime_error("Expecting 'kelmor' tag");
    if (StartNode() == -1) SetStartNode(FindOrCreatePath(Location()));

    settings_ = engine.RegionalSettings();
    // The placeholder comes first, unless the nodes of the document need its place: then
    // it is made only when a link needs it.
    const bool fits = engine.Header().nodeCount + NodesOfDocument(root_) + 1 <= 65535;
    if (fits) CreatePlaceholder();

    std::string separator;
    if (XMLAttribute(root_, "dp", separator) && !separator.empty()) settings_.decimalSeparator = separator[0];

    ImportElement(root_, StartNode(), 0, "");

    Progress("XML: Resolving Links...");
    for (const TPendingLink& pending : pendingLinks_) {
        const int32_t source = engine.FindNodeByPath(pending.sourcePath);
        if (source > 0) engine.SetLinkSource(pending.link, source);
    }
    // Links whose source was not found become links whose source is gone.
    if (placeholderNode_ > 0) engine.DeleteNode(placeholderNode_);
    placeholderNode_ = 0;
    engine.MarkNode(formerMarkedNode_);
    root_ = nullptr;
}

// The node that new links point at until their sources exist.
void TImporterXML::CreatePlaceholder() {
    TKelmorClass& engine = Database();
    engine.ClearNode();
    engine.SetDescription("xml_import_tmp_" + FormatDoubleGeneral(CurrentDateTime(), settings_));
    placeholderNode_ = engine.CreateNode(StartNode());
    if (placeholderNode_ < 0) throw EKelmorParentLinkedError();
}

// The nodes and links the document will create: its elements other than values.
size_t TImporterXML::NodesOfDocument(const _xmlNode* root) {
    size_t count = 0;
    std::vector<const xmlNode*> pending{root};
    while (!pending.empty()) {
        const xmlNode* element = pending.back();
        pending.pop_back();
        for (const xmlNode* child = element->children; child; child = child->next) {
            if (child->type != XML_ELEMENT_NODE || NameIs(child, "value")) continue;
            ++count;
            pending.push_back(child);
        }
    }
    return count;
}

void TImporterXML::ImportElement(const _xmlNode* element, int32_t parent, int depth, const std::string& path) {
    if (depth > kMaxNesting) {
        throw std::runtime_error("Elements are nested more than " + std::to_string(kMaxNesting) + " levels deep.");
    }
    TKelmorClass& engine = Database();
    Progress("XML: Importing " + path);

    if (NameIs(element, "link")) {
        std::string source = RequiredAttribute(element, "source");
        if (placeholderNode_ == 0) CreatePlaceholder();
        engine.MarkNode(placeholderNode_);
        const int32_t link = engine.CreateLink(parent);
        pendingLinks_.push_back(TPendingLink{std::move(source), link});
        return;
    }

    const bool isRoot = element == root_;
    std::string description;
    if (!isRoot) {
        description = RequiredAttribute(element, "description");
        engine.ClearNode();
        engine.SetDescription(description);
    }
    std::vector<const xmlNode*> setAside;
    for (const xmlNode* child = element->children; child; child = child->next) {
        if (child->type != XML_ELEMENT_NODE) continue;
        if (NameIs(child, "value")) {
            // Values directly inside the root element give no key: there is no record for them.
            ImportValue(child, !isRoot);
        } else {
            setAside.push_back(child);
        }
    }
    int32_t node = parent;
    std::string childPath = path;
    if (!isRoot) {
        node = engine.CreateNode(parent);
        if (node < 0) throw EKelmorParentLinkedError();
        childPath = path.empty() ? description : path + "\\" + description;
    }
    for (const xmlNode* child : setAside) ImportElement(child, node, depth + 1, childPath);
}

void TImporterXML::ImportValue(const _xmlNode* element, bool addKey) {
    const std::string text = CharacterData(element);
    const std::string name = RequiredAttribute(element, "description");
    const std::string typeName = RequiredAttribute(element, "type");
    const uint8_t type = KeyTypeFromName(typeName);
    if (type == 0) throw std::runtime_error("Unknown key type (" + typeName + ")");
    if (!addKey) return;
    try {
        // A text that is not of its type's form is left out.
        AddXMLKey(Database(), name, type, text, settings_);
    } catch (const std::exception& error) {
        // A value that does not fit, or that the engine refuses, would be lost unnoticed.
        std::string reason = error.what();
        if (!reason.empty() && reason.back() == '.') reason.pop_back();
        throw std::runtime_error("The key '" + ShownName(name) + "' on line " + std::to_string(XMLLine(element)) +
                                 " cannot be imported: " + reason + ".");
    }
}

void TImporterXML::CleanUpAfterError() noexcept {
    // The nodes imported so far stay; the placeholder goes (links that still point at it
    // become links whose source is gone) and the marked node comes back.
    TKelmorClass& engine = Database();
    try {
        if (placeholderNode_ > 0) engine.DeleteNode(placeholderNode_);
    } catch (const std::exception&) {}
    try {
        if (formerMarkedNode_ == 0 || engine.NodeExists(formerMarkedNode_)) engine.MarkNode(formerMarkedNode_);
    } catch (const std::exception&) {}
    placeholderNode_ = 0;
    root_ = nullptr;
}

}  // namespace kelmor
