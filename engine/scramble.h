// The file head shared by the three database files, and the two scrambling transforms
// that every stored block passes through.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace kelmor {

// The format's scrambling constant. Stored files depend on it: never change it.
constexpr uint8_t kScrambleKey = 0xA7;

constexpr size_t kFileHeadSize = 49;
constexpr size_t kSecurityTypeOffset = 46;
constexpr size_t kStampOffset = 47;

// The 49-byte head with security type 1 and stamp 0.
extern const std::array<uint8_t, kFileHeadSize> kFileHeadTemplate;

// Security types (byte 46 of the index file).
constexpr uint8_t kSecurityPlain = 0;
constexpr uint8_t kSecurityKeyed = 1;

// Exchanges the high and low halves of every byte; its own inverse.
void NibbleSwap(uint8_t* data, size_t length);

// The position key over a block of `length` bytes, and its inverse.
void PositionKeyEncode(uint8_t* data, size_t length);
void PositionKeyDecode(uint8_t* data, size_t length);

// The transform of a security type, for writing, and its inverse for reading.
// A block must be descrambled with exactly the length it was scrambled with.
void ScrambleBlock(uint8_t* data, size_t length, uint8_t securityType);
void DescrambleBlock(uint8_t* data, size_t length, uint8_t securityType);

}  // namespace kelmor
