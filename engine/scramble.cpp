#include "engine/scramble.h"

#include <vector>

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
// Computes the position key of a block of n bytes: byte i (1-based) changes by
// kScrambleKey - i*i - (n mod i). The quotient n / i stays the same over whole runs of i,
// so n mod i = n - q*i needs one division per run instead of one per byte.
void ComputePositionKeys(uint8_t* keys, uint32_t n) {
    uint32_t i = 1;
    while (i <= n) {
        const uint32_t quotient = n / i;
        const uint32_t runEnd = n / quotient;  // the last i with the same quotient
        for (; i <= runEnd; ++i) keys[i - 1] = static_cast<uint8_t>(kScrambleKey - i * i - (n - quotient * i));
    }
}

// The keys of recently used block lengths: the records of a database have a few typical
// lengths, and scrambling then becomes one pass that the compiler vectorises.
constexpr uint32_t kCachedLengthLimit = 8192;
constexpr size_t kCacheSlots = 64;

const uint8_t* CachedPositionKeys(uint32_t n) {
    struct TSlot {
        uint32_t length = 0;
        std::vector<uint8_t> keys;
    };
    thread_local std::array<TSlot, kCacheSlots> cache;
    TSlot& slot = cache[n % kCacheSlots];
    if (slot.length != n || slot.keys.size() != n) {
        slot.keys.resize(n);
        ComputePositionKeys(slot.keys.data(), n);
        slot.length = n;
    }
    return slot.keys.data();
}

uint8_t Swapped(uint8_t b) { return static_cast<uint8_t>((b << 4) | (b >> 4)); }

// One pass of the position key over a block, with the nibble swap folded in when asked
// (encoding swaps before adding the key, decoding after subtracting it).
template <bool kEncode, bool kSwapNibbles>
void PositionKeyPass(uint8_t* data, size_t length) {
    const auto n = static_cast<uint32_t>(length);
    std::vector<uint8_t> ownKeys;
    const uint8_t* keys = nullptr;
    if (n <= kCachedLengthLimit) {
        keys = CachedPositionKeys(n);
    } else {
        ownKeys.resize(n);
        ComputePositionKeys(ownKeys.data(), n);
        keys = ownKeys.data();
    }
    for (uint32_t i = 0; i < n; ++i) {
        if constexpr (kEncode) {
            const uint8_t b = kSwapNibbles ? Swapped(data[i]) : data[i];
            data[i] = static_cast<uint8_t>(b + keys[i]);
        } else {
            const auto b = static_cast<uint8_t>(data[i] - keys[i]);
            data[i] = kSwapNibbles ? Swapped(b) : b;
        }
    }
}
}  // namespace

void PositionKeyEncode(uint8_t* data, size_t length) { PositionKeyPass<true, false>(data, length); }

void PositionKeyDecode(uint8_t* data, size_t length) { PositionKeyPass<false, false>(data, length); }

void ScrambleBlock(uint8_t* data, size_t length, uint8_t securityType) {
    if (securityType == kSecurityKeyed) PositionKeyPass<true, true>(data, length);
    else NibbleSwap(data, length);
}

void DescrambleBlock(uint8_t* data, size_t length, uint8_t securityType) {
    if (securityType == kSecurityKeyed) PositionKeyPass<false, true>(data, length);
    else NibbleSwap(data, length);
}

}  // namespace kelmor
