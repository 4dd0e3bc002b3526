// Creating the import or export job that fits a file, by the file's extension (letter
// case does not matter): export .xml and .kmt; import .xml, .kmt, .dbf and .csv.
#pragma once

#include <memory>
#include <string>

#include "interchange/tkelmorinout.h"

namespace kelmor {

struct TJobArguments {
    TKelmorInOut::TProgressCallback onProgress;
    std::string location;
    std::string fileName;
    TKelmorClass& database;
};

struct TJobCreation {
    std::unique_ptr<TKelmorInOut> job;  // nullptr when no job fits the file
    bool knownFormat = false;           // the extension names a format of the program
    std::string reason;                 // why there is no job (an unknown extension, or a
                                        // table whose structure cannot be read)
};

// The extension of the file name (not of a folder) from its last "." on, in upper
// case: ".XML"; empty when the name has none.
std::string UpperCaseExtension(const std::string& fileName);

TJobCreation CreateExportJob(const TJobArguments& arguments);
TJobCreation CreateImportJob(const TJobArguments& arguments);

}  // namespace kelmor
