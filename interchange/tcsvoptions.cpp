#include "interchange/tcsvoptions.h"

#include "engine/keytypes.h"
#include "interchange/tcsvreader.h"
#include "interchange/timporteroptions.h"

namespace kelmor {

TCSVOptions::TCSVOptions(TImporterOptions& options, TCSVReader& reader, bool useFirstRecord)
    : options_(options), reader_(reader), useFirstRecord_(useFirstRecord) {
    RebuildFieldList();
}

bool TCSVOptions::UseSDF() const { return reader_.SDFMode(); }

void TCSVOptions::Apply(bool useFirstRecord, bool useSDF) {
    useFirstRecord_ = useFirstRecord;
    reader_.SetSDFMode(useSDF);
    RebuildFieldList();
}

void TCSVOptions::RebuildFieldList() {
    options_.Clear();
    reader_.Reset();
    if (reader_.NextRecord()) {
        for (int field = 1; field <= reader_.FieldCount(); ++field) {
            const std::string name =
                useFirstRecord_ ? std::string(reader_.Field(field)) : "Field " + std::to_string(field);
            options_.AddField("CSV Field", name, ktString, 0);
        }
    }
    if (!useFirstRecord_) reader_.Reset();
}

}  // namespace kelmor
