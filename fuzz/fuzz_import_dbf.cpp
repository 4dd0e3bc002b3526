// Fuzz target: a fuzzed .dbf file imported into a database.
#include "fuzz/fuzzimport.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    kelmor::fuzz::ImportFuzzedFile(kelmor::fuzz::TImportFormat::Dbf, data, size);
    return 0;
}
