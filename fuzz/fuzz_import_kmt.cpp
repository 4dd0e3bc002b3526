// Fuzz target: a fuzzed .kmt file imported into a database.
#include "fuzz/fuzzimport.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    kelmor::fuzz::ImportFuzzedFile(kelmor::fuzz::TImportFormat::Kmt, data, size);
    return 0;
}
