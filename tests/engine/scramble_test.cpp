#include <gtest/gtest.h>

#include <numeric>
#include <vector>

#include "engine/scramble.h"

namespace kelmor {
namespace {

TEST(FileHead, TemplateHoldsSignatureMarkerSecurityTypeAndZeroStamp) {
    const std::string signature(kFileHeadTemplate.begin(), kFileHeadTemplate.begin() + 44);
    EXPECT_EQ(signature, "\n\r------\n\rKELMOR\n\r------\n\r\n\rDatabase File.\n\r");
    EXPECT_EQ(kFileHeadTemplate[44], 0x00);
    EXPECT_EQ(kFileHeadTemplate[45], 0x1A);
    EXPECT_EQ(kFileHeadTemplate[46], 0x01);
    EXPECT_EQ(kFileHeadTemplate[47], 0x00);
    EXPECT_EQ(kFileHeadTemplate[48], 0x00);
}

TEST(Scrambling, NibbleSwapExchangesHalvesAndIsItsOwnInverse) {
    std::vector<uint8_t> bytes = {0x12, 0xA0, 0xFF, 0x0F};
    NibbleSwap(bytes.data(), bytes.size());
    EXPECT_EQ(bytes, (std::vector<uint8_t>{0x21, 0x0A, 0xFF, 0xF0}));
    NibbleSwap(bytes.data(), bytes.size());
    EXPECT_EQ(bytes, (std::vector<uint8_t>{0x12, 0xA0, 0xFF, 0x0F}));
}

TEST(Scrambling, PositionKeyFollowsTheFormulaForEveryLength) {
    // byte i of a block of n becomes b + K - i*i - (n mod i), modulo 256
    std::vector<size_t> lengths(700);
    std::iota(lengths.begin(), lengths.end(), size_t{1});
    lengths.insert(lengths.end(), {4095, 4096, 4097, 65521, 65535});
    for (size_t n : lengths) {
        std::vector<uint8_t> bytes(n, 0x10);
        PositionKeyEncode(bytes.data(), n);
        size_t wrong = 0;
        for (uint32_t i = 1; i <= n; ++i)
            wrong += bytes[i - 1] != static_cast<uint8_t>(0x10 + kScrambleKey - i * i - n % i);
        EXPECT_EQ(wrong, 0u) << "length " << n;
    }
}

TEST(Scrambling, BlocksOfEveryLengthComeBackUnderBothSecurityTypes) {
    for (uint8_t type : {kSecurityPlain, kSecurityKeyed}) {
        for (size_t n : {size_t{0}, size_t{1}, size_t{2}, size_t{41}, size_t{210}, size_t{65535}}) {
            std::vector<uint8_t> original(n);
            std::iota(original.begin(), original.end(), uint8_t{7});
            std::vector<uint8_t> bytes = original;
            ScrambleBlock(bytes.data(), n, type);
            if (n > 2) {
                EXPECT_NE(bytes, original);
            }
            DescrambleBlock(bytes.data(), n, type);
            EXPECT_EQ(bytes, original) << "type " << int(type) << ", length " << n;
        }
    }
}

TEST(Scrambling, TheKeyDependsOnTheBlockLength) {
    std::vector<uint8_t> a(10, 0), b(11, 0);
    ScrambleBlock(a.data(), a.size(), kSecurityKeyed);
    ScrambleBlock(b.data(), b.size(), kSecurityKeyed);
    EXPECT_NE(std::vector<uint8_t>(a.begin(), a.begin() + 10), std::vector<uint8_t>(b.begin(), b.begin() + 10));
    std::vector<uint8_t> plain(10, 0x34);
    ScrambleBlock(plain.data(), plain.size(), kSecurityPlain);
    EXPECT_EQ(plain, std::vector<uint8_t>(10, 0x43));
}

}  // namespace
}  // namespace kelmor
