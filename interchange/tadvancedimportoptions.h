// TAdvancedImportOptions: the extra settings a record import may offer behind the record
// import dialog's "Advanced..." button. The CSV import offers them (TCSVOptions); the
// desktop program's options dialog shows them and applies the user's choice through
// this interface, the command line applies its options the same way.
#pragma once

namespace kelmor {

class TAdvancedImportOptions {
public:
    virtual ~TAdvancedImportOptions() = default;

    // Whether the first record names the fields (and is not imported).
    virtual bool UseFirstRecord() const = 0;
    // Whether the space-and-comma (SDF) rules split the records; false: the plain rules.
    virtual bool UseSDF() const = 0;
    // Takes both settings and rebuilds the field list of the import's options, which
    // discards every key name and key type chosen before.
    virtual void Apply(bool useFirstRecord, bool useSDF) = 0;
};

}  // namespace kelmor
