#include "interchange/extended80.h"

#include <bit>

namespace kelmor {

std::array<uint8_t, 10> DoubleToExtended80(double value) {
    const uint64_t bits = std::bit_cast<uint64_t>(value);
    const bool negative = (bits >> 63) != 0;
    const uint32_t storedExponent = static_cast<uint32_t>(bits >> 52) & 0x7FF;
    const uint64_t fraction = bits & ((uint64_t{1} << 52) - 1);
    constexpr uint64_t kIntegerBit = uint64_t{1} << 63;

    uint32_t exponent = 0;  // biased by 16383
    uint64_t significand = 0;
    if (storedExponent == 0x7FF) {
        exponent = 0x7FFF;
        // Infinity: only the integer bit; NaN: quiet, with the double's payload.
        significand = kIntegerBit | (fraction << 11);
        if (fraction != 0) significand |= uint64_t{1} << 62;
    } else if (storedExponent != 0) {
        exponent = storedExponent - 1023 + 16383;
        significand = kIntegerBit | (fraction << 11);
    } else if (fraction != 0) {
        // Subnormal double: fraction * 2^-1074; shift the highest set bit up to bit 63.
        const int highest = 63 - std::countl_zero(fraction);
        significand = fraction << (63 - highest);
        exponent = static_cast<uint32_t>(highest - 1074 + 16383);
    }
    if (negative) exponent |= 0x8000;

    std::array<uint8_t, 10> bytes{};
    for (int i = 0; i < 8; ++i) bytes[i] = static_cast<uint8_t>(significand >> (8 * i));
    bytes[8] = static_cast<uint8_t>(exponent);
    bytes[9] = static_cast<uint8_t>(exponent >> 8);
    return bytes;
}

}  // namespace kelmor
