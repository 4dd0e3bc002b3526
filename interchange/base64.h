// Base64 (RFC 4648, standard alphabet, "=" padding) for byte sequences and blobs in XML
// files. Encoded text is broken into lines of 21 groups (84 characters) by CR LF.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "interchange/interchangeerrors.h"

namespace kelmor {

// Encodes `count` bytes. A CR LF follows every group of four characters after which
// more than `lineLength` characters stand on the line (with 80: lines of 84).
// Empty data gives an empty text.
std::string Base64Encode(const uint8_t* data, size_t count, size_t lineLength);

// Only the characters of the alphabet and "=", in their order.
std::string Base64Clean(std::string_view text);

// Decodes a cleaned text. Raises EBase64InvalidLength when its length is not a multiple
// of four. "=" (and, in a text that was not cleaned, any character outside the
// alphabet) counts as 0; the padding at the end shortens the result, never below 0.
std::vector<uint8_t> Base64Decode(std::string_view cleaned);

}  // namespace kelmor
