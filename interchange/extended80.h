// The 80-bit extended-precision floating-point format of the x87 unit: a 64-bit
// significand with an explicit integer bit, a 15-bit exponent biased by 16383 and a sign
// bit, stored least significant byte first (10 bytes). Record imports store numbers
// given as byte sequences or blobs in this form.
#pragma once

#include <array>
#include <cstdint>

namespace kelmor {

// The exact extended form of a double (every double has one): zeros keep their sign,
// subnormal doubles become normal extended numbers, infinities and NaNs keep their
// kind (a NaN's payload moves to the top of the significand, made quiet).
std::array<uint8_t, 10> DoubleToExtended80(double value);

}  // namespace kelmor
