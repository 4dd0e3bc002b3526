// TImporterXML: the import job for this program's XML files. It reads the file twice as
// a stream: first to check it whole and count its nodes (nothing changes when the file is
// refused), then to rebuild its nodes and keys below the start node as the elements come,
// so that memory stays small. A document whose values follow a child element of the same
// node (which this program never writes) is parsed into a tree instead, because the keys
// of a node must all be known before the node is made. Every link is created at first
// with a temporary placeholder node as its source; once all nodes exist it points each
// link at the node its source path names (looked up from the top of the tree) and
// deletes the placeholder.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "engine/regional.h"
#include "interchange/tkelmorinout.h"
#include "interchange/txmldocument.h"
#include "interchange/txmlstream.h"

namespace kelmor {

class TImporterXML : public TKelmorInOut, private TXMLStreamHandler {
public:
    // The deepest nesting of elements the import walks.
    static constexpr int kMaxNesting = 256;

    TImporterXML(TProgressCallback onProgress, const std::string& location, const std::string& fileName,
                 TKelmorClass& database);
    ~TImporterXML() override;

    // Documents beyond the limits are refused (TXMLDocument).
    void SetLimits(const TXMLDocument::TLimits& limits) { limits_ = limits; }

protected:
    void Execute() override;

private:
    struct TPendingLink {
        std::string sourcePath;  // as the document writes it
        int32_t link = 0;
    };

    // What the first reading found out.
    struct TSurvey;
    // An open element of the second reading.
    struct TOpenElement {
        enum class TKind { kRoot, kNode, kValue, kIgnored };
        TKind kind = TKind::kIgnored;
        int32_t node = 0;  // root: the start node; node: once created
        bool created = false;
        std::string path;  // root and node: the descriptions down to this node
        int64_t line = 0;  // value: of its start tag
        bool hasName = false, hasType = false;
        std::string name, typeName, text;  // value: text as UTF-8
    };

    void ImportStream(const TSurvey& survey);
    void Import(TXMLDocument& document);
    // Steps around the walk of the elements, for either way of reading.
    void BeginImport(const std::string& rootName, size_t documentNodes, bool hasSeparator,
                     const std::string& separator);
    void FinishImport();
    void StartElement(const TXMLStreamElement& element) override;
    void EndElement() override;
    void CharacterData(std::string_view utf8) override;
    void CreateRecordNode(TOpenElement& open, int32_t parent);
    void AddValue(const TOpenElement& value, bool addKey);
    void ImportElement(const _xmlNode* element, int32_t parent, int depth, const std::string& path);
    // Adds the key of a value element to the current record; with addKey false only
    // checks its type name.
    void ImportValue(const _xmlNode* element, bool addKey);
    void CleanUpAfterError() noexcept;

    const _xmlNode* root_ = nullptr;
    void CreatePlaceholder();
    static size_t NodesOfDocument(const _xmlNode* root);
    int32_t placeholderNode_ = 0;
    int32_t formerMarkedNode_ = 0;
    std::vector<TPendingLink> pendingLinks_;
    std::vector<TOpenElement> open_;
    TRegionalSettings settings_;  // the decimal separator of the document
    TXMLDocument::TLimits limits_;
};

}  // namespace kelmor
