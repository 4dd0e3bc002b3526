// The values that `set` takes besides text: bytes from hexadecimal digits (--hex) or from
// a file (--from), and key types by the names of the interchange formats (--type).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace kelmor::cli {

// Pairs of hexadecimal digits, either case, with blanks allowed between the pairs
// ("00 FF", "00ff"); nothing when the text is anything else.
std::optional<std::vector<uint8_t>> BytesFromHex(const std::string& text);

// The whole file; false with a message naming the file and the cause.
bool ReadWholeFile(const std::string& path, std::vector<uint8_t>& bytes, std::string& error);

// The type code of a type name ("byte" ... "datetime", as the formats write them); 0 for
// any other text.
uint8_t KeyTypeOfName(const std::string& name);

}  // namespace kelmor::cli
