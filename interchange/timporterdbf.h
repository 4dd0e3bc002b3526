// TImporterDBF: the import job for dBase tables. Every live record becomes a new node
// below the start node: the first field gives its description, the fields become keys
// as the options say. The constructor reads the table's header and describes its fields
// in the options, which the caller may change before it runs the job.
#pragma once

#include <memory>

#include "interchange/recordkeyrules.h"
#include "interchange/timporteroptions.h"
#include "interchange/tkelmorinout.h"
#include "interchange/txbasetable.h"

namespace kelmor {

class TImporterDBF : public TKelmorInOut {
public:
    // Raises std::runtime_error when the table cannot be opened or its header is damaged.
    TImporterDBF(TProgressCallback onProgress, const std::string& location, const std::string& fileName,
                 TKelmorClass& database);
    ~TImporterDBF() override;

    TImporterOptions& Options() { return options_; }
    const TXbaseTable& Table() const { return *table_; }

protected:
    void Execute() override;

private:
    std::string DescriptionOf(int field, const TRegionalSettings& settings) const;
    void AddFieldKey(int field, const TKeyTarget& target, bool skipEmpty, const TRegionalSettings& settings);

    std::unique_ptr<TXbaseTable> table_;
    TImporterOptions options_;
};

}  // namespace kelmor
