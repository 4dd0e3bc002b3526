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

[[noreturn]] void ThrowMissingAttribute(const std::string& elementName, int64_t line, const char* name) {
    throw std::runtime_error("The element '" + elementName + "' on line " + std::to_string(line) + " has no '" + name +
                             "' attribute.");
}

std::string RequiredAttribute(const xmlNode* element, const char* name) {
    std::string value;
    if (!XMLAttribute(element, name, value)) ThrowMissingAttribute(ElementName(element), XMLLine(element), name);
    return value;
}

std::string RequiredAttribute(const TXMLStreamElement& element, const char* name) {
    std::string value;
    if (!element.Attribute(name, value)) ThrowMissingAttribute(Latin1FromXML(element.Name()), element.Line(), name);
    return value;
}

// The character data of an element's text, CDATA section and comment children, in order.
std::string TextOfElement(const xmlNode* element) {
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

// The first reading: the document checked whole, the facts the import needs before it
// changes anything, and whether the keys of every element come before its child elements.
struct TImporterXML::TSurvey : TXMLStreamHandler {
    bool sawRoot = false;
    std::string rootName;
    bool hasSeparator = false;
    std::string separator;
    size_t nodes = 0;  // elements other than values, outside values, below the root
    bool valuesFirst = true;
    struct TOpen {
        bool isValue = false;
        bool hadChildElement = false;  // other than a value
    };
    std::vector<TOpen> open;
    size_t insideValues = 0;

    void StartElement(const TXMLStreamElement& element) override {
        const bool isValue = element.NameIs("value");
        if (open.empty()) {
            sawRoot = true;
            rootName = Latin1FromXML(element.Name());
            hasSeparator = element.Attribute("dp", separator);
        } else {
            if (!isValue && insideValues == 0) ++nodes;
            if (isValue && open.back().hadChildElement) valuesFirst = false;
            if (!isValue) open.back().hadChildElement = true;
        }
        if (isValue) ++insideValues;
        open.push_back(TOpen{isValue, false});
    }
    void EndElement() override {
        if (open.back().isValue) --insideValues;
        open.pop_back();
    }
    void CharacterData(std::string_view) override {}
};

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
        TSurvey survey;
        ReadXMLStream(FileName(), limits_, survey);
        if (!survey.sawRoot) throw std::runtime_error("The XML document has no root element.");
        if (survey.valuesFirst) {
            ImportStream(survey);
        } else {
            TXMLDocument document(FileName(), limits_);
            Import(document);
        }
    } catch (...) {
        CleanUpAfterError();
        throw;
    }
}

void TImporterXML::ImportStream(const TSurvey& survey) {
    BeginImport(survey.rootName, survey.nodes, survey.hasSeparator, survey.separator);
    open_.clear();
    ReadXMLStream(FileName(), limits_, *this);
    open_.clear();
    FinishImport();
}

void TImporterXML::Import(TXMLDocument& document) {
    root_ = document.Root();
    std::string separator;
    const bool hasSeparator = XMLAttribute(root_, "dp", separator);
    BeginImport(ElementName(root_), NodesOfDocument(root_), hasSeparator, separator);
    ImportElement(root_, StartNode(), 0, "");
    FinishImport();
}

void TImporterXML::BeginImport(const std::string& rootName, size_t documentNodes, bool hasSeparator,
                               const std::string& separator) {
    TKelmorClass& engine = Database();
    if (rootName != "kelmor") throw std::runtime_error("Expecting 'kelmor' tag");
    if (StartNode() == -1) SetStartNode(FindOrCreatePath(Location()));

    settings_ = engine.RegionalSettings();
    // The placeholder comes first, unless the nodes of the document need its place: then
    // it is made only when a link needs it.
    const bool fits = engine.Header().nodeCount + documentNodes + 1 <= 65535;
    if (fits) CreatePlaceholder();

    if (hasSeparator && !separator.empty()) settings_.decimalSeparator = separator[0];
}

void TImporterXML::FinishImport() {
    TKelmorClass& engine = Database();
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
    TOpenElement value;
    value.kind = TOpenElement::TKind::kValue;
    value.line = XMLLine(element);
    value.hasName = XMLAttribute(element, "description", value.name);
    value.hasType = XMLAttribute(element, "type", value.typeName);
    value.text = TextOfElement(element);
    AddValue(value, addKey);
}

// A value element with its text (Latin-1) complete.
void TImporterXML::AddValue(const TOpenElement& value, bool addKey) {
    if (!value.hasName) ThrowMissingAttribute("value", value.line, "description");
    if (!value.hasType) ThrowMissingAttribute("value", value.line, "type");
    const uint8_t type = KeyTypeFromName(value.typeName);
    if (type == 0) throw std::runtime_error("Unknown key type (" + value.typeName + ")");
    if (!addKey) return;
    try {
        // A text that is not of its type's form is left out.
        AddXMLKey(Database(), value.name, type, value.text, settings_);
    } catch (const std::exception& error) {
        // A value that does not fit, or that the engine refuses, would be lost unnoticed.
        std::string reason = error.what();
        if (!reason.empty() && reason.back() == '.') reason.pop_back();
        throw std::runtime_error("The key '" + ShownName(value.name) + "' on line " + std::to_string(value.line) +
                                 " cannot be imported: " + reason + ".");
    }
}

// The second reading walks the elements as the tree walk does: a node's record is built
// from its start tag and its values, and the node is made at its first child element
// other than a value, or at its end.
void TImporterXML::StartElement(const TXMLStreamElement& element) {
    using TKind = TOpenElement::TKind;
    TKelmorClass& engine = Database();
    TOpenElement opened;
    if (open_.empty()) {
        Progress("XML: Importing ");
        opened.kind = TKind::kRoot;
        opened.node = StartNode();
        open_.push_back(std::move(opened));
        return;
    }
    TOpenElement& parent = open_.back();
    if (parent.kind == TKind::kValue || parent.kind == TKind::kIgnored) {
        open_.push_back(std::move(opened));  // inside a value or a link: not looked at
        return;
    }
    if (element.NameIs("value")) {
        // The first reading made sure that no child element came before.
        if (parent.created) throw std::runtime_error("The file changed while it was being imported.");
        opened.kind = TKind::kValue;
        opened.line = element.Line();
        opened.hasName = element.Attribute("description", opened.name);
        opened.hasType = element.Attribute("type", opened.typeName);
        open_.push_back(std::move(opened));
        return;
    }
    if (parent.kind == TKind::kNode && !parent.created) CreateRecordNode(parent, open_[open_.size() - 2].node);
    const int depth = static_cast<int>(open_.size());
    if (depth > kMaxNesting) {
        throw std::runtime_error("Elements are nested more than " + std::to_string(kMaxNesting) + " levels deep.");
    }
    Progress("XML: Importing " + parent.path);
    if (element.NameIs("link")) {
        std::string source = RequiredAttribute(element, "source");
        if (placeholderNode_ == 0) CreatePlaceholder();
        engine.MarkNode(placeholderNode_);
        const int32_t link = engine.CreateLink(parent.node);
        pendingLinks_.push_back(TPendingLink{std::move(source), link});
        open_.push_back(std::move(opened));  // what a link holds is not looked at
        return;
    }
    const std::string description = RequiredAttribute(element, "description");
    engine.ClearNode();
    engine.SetDescription(description);
    opened.kind = TKind::kNode;
    opened.path = parent.path.empty() ? description : parent.path + "\\" + description;
    open_.push_back(std::move(opened));
}

void TImporterXML::EndElement() {
    using TKind = TOpenElement::TKind;
    TOpenElement& closing = open_.back();
    if (closing.kind == TKind::kValue) {
        closing.text = Latin1FromXML(closing.text);
        // Values directly inside the root element give no key: there is no record for them.
        AddValue(closing, open_[open_.size() - 2].kind == TKind::kNode);
    } else if (closing.kind == TKind::kNode && !closing.created) {
        CreateRecordNode(closing, open_[open_.size() - 2].node);
    }
    open_.pop_back();
}

void TImporterXML::CharacterData(std::string_view utf8) {
    if (!open_.empty() && open_.back().kind == TOpenElement::TKind::kValue) open_.back().text += utf8;
}

void TImporterXML::CreateRecordNode(TOpenElement& open, int32_t parent) {
    open.node = Database().CreateNode(parent);
    if (open.node < 0) throw EKelmorParentLinkedError();
    open.created = true;
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
    open_.clear();
}

}  // namespace kelmor
