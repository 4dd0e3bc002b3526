// Runs one fuzzed file through an import job into a database that lives as long as the
// fuzzing process; each input lands below a node of its own, which is deleted again.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace kelmor::fuzz {

enum class TImportFormat { Kmt, Xml, Dbf, Csv };

// `prefix` bytes come before the fuzzed bytes in the file (for example a file head).
void ImportFuzzedFile(TImportFormat format, const uint8_t* data, size_t size, const std::string& prefix = "");

}  // namespace kelmor::fuzz
