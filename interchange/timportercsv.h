// TImporterCSV: the import job for comma-separated text files. Every line becomes a new
// node below the start node: its first field gives the description, its fields become
// keys as the options say. The constructor opens the file and builds the field list
// from its first line; the caller may change the CSV options (which rebuilds that list)
// and then the options before it runs the job.
#pragma once

#include <atomic>
#include <fstream>
#include <memory>

#include "interchange/tcsvoptions.h"
#include "interchange/tcsvreader.h"
#include "interchange/timporteroptions.h"
#include "interchange/tkelmorinout.h"

namespace kelmor {

class TImporterCSV : public TKelmorInOut {
public:
    // Raises std::runtime_error when the file cannot be opened or its first line cannot
    // be read.
    TImporterCSV(TProgressCallback onProgress, const std::string& location, const std::string& fileName,
                 TKelmorClass& database);
    ~TImporterCSV() override;

    TImporterOptions& Options() { return options_; }
    TCSVOptions& CSVOptions() { return *csvOptions_; }
    // After the run: some line had another number of fields than the field list.
    bool FieldsMismatch() const { return fieldsMismatch_.load(); }

protected:
    void Execute() override;

private:
    // Destroyed in the reverse order: the CSV options, the reader, the options, the file.
    std::ifstream file_;
    TImporterOptions options_;
    std::unique_ptr<TCSVReader> reader_;
    std::unique_ptr<TCSVOptions> csvOptions_;
    std::atomic<bool> fieldsMismatch_{false};
};

}  // namespace kelmor
