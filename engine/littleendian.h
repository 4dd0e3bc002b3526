// Reading and writing the little-endian numbers of the database files.
#pragma once

#include <cstdint>

namespace kelmor {

inline uint16_t GetLE16(const uint8_t* in) { return static_cast<uint16_t>(in[0] | in[1] << 8); }

inline int32_t GetLE32(const uint8_t* in) {
    return static_cast<int32_t>(uint32_t{in[0]} | uint32_t{in[1]} << 8 | uint32_t{in[2]} << 16 | uint32_t{in[3]} << 24);
}

inline void PutLE16(uint8_t* out, uint32_t value) {
    out[0] = static_cast<uint8_t>(value);
    out[1] = static_cast<uint8_t>(value >> 8);
}

inline void PutLE32(uint8_t* out, int32_t value) {
    const auto v = static_cast<uint32_t>(value);
    for (int i = 0; i < 4; ++i) out[i] = static_cast<uint8_t>(v >> (8 * i));
}

}  // namespace kelmor
