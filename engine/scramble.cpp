#include "engine/scramble.h"

namespace kelmor {

const std::array<uint8_t, kFileHeadSize> kFileHeadTemplate = [] {
    std::array<uint8_t, kFileHeadSize> head{};
    const char signature[] =
        "\x0A\x0D------\x0A\x0DKELMOR\x0A\x0D------\x0A\x0D\x0A\x0D"
        "Database File.\x0A\x0D";
    static_assert(sizeof(signature) - 1 == 44, "the signature is 44 bytes");
    for (size_t i = 0; i < 44; ++i) head[i] = static_cast<uint8_t>(signature[i]);
    head[44] = 0x00;
    head[45] = 0x1A;
    head[46] = kSecurityKeyed;
    head[47] = 0;
    head[48] = 0;
    return head;
}();

void NibbleSwap(uint8_t* data, size_t length) {
    for (size_t i = 0; i < length; ++i) {
        const uint8_t b = data[i];
        data[i] = static_cast<uint8_t>((b << 4) | (b >> 4));
    }
}

namespace {
// The amount the position key adds to byte i (1-based) of a block of n bytes.
inline uint8_t KeyAt(uint32_t i, uint32_t n) {
    const uint32_t remainder = i > n ? n : n % i;
    return static_cast<uint8_t>(kScrambleKey - i * i - remainder);
}
}  // namespace

void PositionKeyEncode(uint8_t* data, size_t length) {
    const auto n = static_cast<uint32_t>(length);
    for (uint32_t i = 1; i <= n; ++i) data[i - 1] = static_cast<uint8_t>(data[i - 1] + KeyAt(i, n));
}

void PositionKeyDecode(uint8_t* data, size_t length) {
    const auto n = static_cast<uint32_t>(length);
    for (uint32_t i = 1; i <= n; ++i) data[i - 1] = static_cast<uint8_t>(data[i - 1] - KeyAt(i, n));
}

void ScrambleBlock(uint8_t* data, size_t length, uint8_t securityType) {
    NibbleSwap(data, length);
    if (securityType == kSecurityKeyed) PositionKeyEncode(data, length);
}

void DescrambleBlock(uint8_t* data, size_t length, uint8_t securityType) {
    if (securityType == kSecurityKeyed) PositionKeyDecode(data, length);
    NibbleSwap(data, length);
}

}  // namespace kelmor
