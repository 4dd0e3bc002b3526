// TCSVOptions: the advanced options of a CSV import (whether the first line names the
// fields, which rules split the lines) and the rebuild of the import's field list from
// the file's first line. The desktop program's "Advanced CSV Options" dialog and the
// command line both work through it.
#pragma once

#include "interchange/tadvancedimportoptions.h"

namespace kelmor {

class TCSVReader;
class TImporterOptions;

class TCSVOptions : public TAdvancedImportOptions {
public:
    // Neither is owned. Rebuilds the field list at once.
    TCSVOptions(TImporterOptions& options, TCSVReader& reader, bool useFirstRecord);

    bool UseFirstRecord() const override { return useFirstRecord_; }
    bool UseSDF() const override;
    void Apply(bool useFirstRecord, bool useSDF) override;

    // One string field per field of the first line, named by that line or "Field n"; the
    // flags stay. With the names taken from the first line, the reader stays behind it so
    // that it is not imported; otherwise the reader is back at the start.
    void RebuildFieldList();

private:
    TImporterOptions& options_;
    TCSVReader& reader_;
    bool useFirstRecord_ = false;
};

}  // namespace kelmor
