// TExporterXML: the export job that writes a branch, or the whole tree, as an XML
// document with its document type definition (nodes, keys as values, links).
#pragma once

#include <memory>

#include "interchange/tbranchwalker.h"
#include "interchange/tkelmorinout.h"
#include "interchange/txmlattributes.h"

namespace kelmor {

class TXMLWriter;

class TExporterXML : public TKelmorInOut, private TBranchVisitor {
public:
    TExporterXML(TProgressCallback onProgress, const std::string& location, const std::string& fileName,
                 TKelmorClass& database);
    ~TExporterXML() override;

    // The date the file records; the current date unless set.
    void SetExportDate(double dateTime) { exportDate_ = dateTime; }

protected:
    void Execute() override;

private:
    void EnterNode(int32_t node, const std::string& path) override;
    void LeaveNode(int32_t node) override;
    void VisitLink(int32_t parent, int32_t link) override;
    void WriteValue(uint16_t key);

    double exportDate_;
    TXMLWriter* writer_ = nullptr;  // while Execute runs
    TXMLAttributes attributes_;
};

}  // namespace kelmor
