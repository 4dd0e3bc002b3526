// Fuzz target: Base64 decoding of cleaned and of raw text, and the round trip.
#include <cstdlib>

#include "interchange/base64.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const std::string cleaned = kelmor::Base64Clean(text);
    try {
        kelmor::Base64Decode(cleaned);
    } catch (const kelmor::EBase64InvalidLength&) {}
    try {
        kelmor::Base64Decode(text);
    } catch (const kelmor::EBase64InvalidLength&) {}
    const std::string encoded = kelmor::Base64Encode(data, size, 80);
    if (kelmor::Base64Decode(kelmor::Base64Clean(encoded)) != std::vector<uint8_t>(data, data + size)) std::abort();
    return 0;
}
