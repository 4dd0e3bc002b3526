// TImporterXML: the import job for this program's XML files. It parses the whole file,
// rebuilds its nodes and keys below the start node, and creates every link at first
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

namespace kelmor {

class TImporterXML : public TKelmorInOut {
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

    void Import(TXMLDocument& document);
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
    TRegionalSettings settings_;  // the decimal separator of the document
    TXMLDocument::TLimits limits_;
};

}  // namespace kelmor
