// Fuzz target: the hexadecimal blocks of the text format, behind a key line of a
// sequence and of a blob.
#include "fuzz/fuzzimport.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string head = "[KELMOR]\r\n[1.0]\r\n\r\n[\\Fuzz]\r\n";
    kelmor::fuzz::ImportFuzzedFile(kelmor::fuzz::TImportFormat::Kmt, data, size, head + " \"q\"=sequence:{\r\n");
    kelmor::fuzz::ImportFuzzedFile(kelmor::fuzz::TImportFormat::Kmt, data, size, head + " \"b\"=blob:{\r\n");
    return 0;
}
