// TExporterKMT: the export job that writes a branch, or the whole tree, in the text
// interchange format: a section per node, a line per key, hexadecimal blocks for byte
// sequences and blobs, and a record per link.
#pragma once

#include "engine/regional.h"
#include "interchange/tbranchwalker.h"
#include "interchange/tkelmorinout.h"

namespace kelmor {

class TOutputStream;

class TExporterKMT : public TKelmorInOut, private TBranchVisitor {
public:
    TExporterKMT(TProgressCallback onProgress, const std::string& location, const std::string& fileName,
                 TKelmorClass& database);
    ~TExporterKMT() override;

    // The date the header records; the current date unless set.
    void SetExportDate(double dateTime) { exportDate_ = dateTime; }

    // Bytes per line of a hexadecimal block.
    static constexpr size_t kHexBytesPerLine = 39;

protected:
    void Execute() override;

private:
    void EnterNode(int32_t node, const std::string& path) override;
    void LeaveNode(int32_t) override {}
    void VisitLink(int32_t parent, int32_t link) override;
    void WriteKey(uint16_t key);

    double exportDate_;
    TRegionalSettings settings_;    // the engine's, with four-digit years
    TOutputStream* out_ = nullptr;  // while Execute runs
    std::string line_;              // the text being put together
    int32_t lastLinkParent_ = -1;   // the path of the node that held the last link
    std::string lastLinkParentPath_;
};

}  // namespace kelmor
