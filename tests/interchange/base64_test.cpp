#include <gtest/gtest.h>

#include <random>

#include "interchange/base64.h"
#include "tests/interchange/sampletree.h"

namespace kelmor {
namespace {

std::string Encode(const std::string& text, size_t lineLength = 80) {
    return Base64Encode(reinterpret_cast<const uint8_t*>(text.data()), text.size(), lineLength);
}

std::string Decode(const std::string& text) {
    const std::vector<uint8_t> bytes = Base64Decode(text);
    return std::string(bytes.begin(), bytes.end());
}

TEST(Base64, EncodesAndDecodesTheStandardVectors) {
    const std::pair<std::string, std::string> vectors[] = {{"", ""},
                                                           {"f", "Zg=="},
                                                           {"fo", "Zm8="},
                                                           {"foo", "Zm9v"},
                                                           {"foob", "Zm9vYg=="},
                                                           {"fooba", "Zm9vYmE="},
                                                           {"foobar", "Zm9vYmFy"},
                                                           {std::string("\xFF\xFE\0", 3), "//4A"}};
    for (const auto& [bytes, encoded] : vectors) {
        EXPECT_EQ(Encode(bytes), encoded) << encoded;
        EXPECT_EQ(Decode(encoded), bytes) << encoded;
    }
    EXPECT_EQ(Decode("QUJD"), "ABC");
}

TEST(Base64, BreaksLinesAfter21GroupsOf4) {
    const std::vector<uint8_t> bytes = test::CountingBytes(200);
    const std::string of63 = Base64Encode(bytes.data(), 63, 80);
    ASSERT_EQ(of63.size(), 86u);
    EXPECT_EQ(of63.substr(84), "\r\n");
    EXPECT_EQ(of63.find('\r'), 84u);
    const std::string of64 = Base64Encode(bytes.data(), 64, 80);
    ASSERT_EQ(of64.size(), 90u);
    EXPECT_EQ(of64.substr(84, 2), "\r\n");
    EXPECT_EQ(of64.substr(86), "Pw==");
    // 126 bytes are 42 groups: two full lines, each ended by a line break
    const std::string of126 = Base64Encode(bytes.data(), 126, 80);
    EXPECT_EQ(of126.size(), 2 * 86u);
    EXPECT_EQ(of126.substr(170), "\r\n");
}

TEST(Base64, CleaningKeepsOnlyTheAlphabetAndPadding) {
    EXPECT_EQ(Base64Clean(" QU\r\nJD\t=*=\xE9!"), "QUJD==");
    // a sequence written over several lines with spaces decodes as on one line
    const std::vector<uint8_t> bytes = test::CountingBytes(100);
    const std::string encoded = Base64Encode(bytes.data(), bytes.size(), 80);
    std::string spaced;
    for (const char c : encoded) spaced += std::string(1, c) + (c == '\n' ? "   " : " ");
    EXPECT_EQ(Base64Decode(Base64Clean(spaced)), bytes);
}

TEST(Base64, RoundTripsEveryLengthUpToSeveralLines) {
    std::mt19937 random(7);
    for (size_t length = 0; length < 300; ++length) {
        std::vector<uint8_t> bytes(length);
        for (uint8_t& b : bytes) b = static_cast<uint8_t>(random());
        const std::string encoded = Base64Encode(bytes.data(), bytes.size(), 80);
        ASSERT_EQ(Base64Decode(Base64Clean(encoded)), bytes) << length;
    }
}

TEST(Base64, DecodingHostileTextNeverFailsBeyondTheLengthRule) {
    struct TCase {
        std::string text;
        size_t length;  // of the result
    };
    for (const TCase& c : {TCase{"====", 0}, TCase{"A===", 0}, TCase{"========", 0}, TCase{"AAAA====", 2},
                           TCase{"=AAA", 3}, TCase{"AA=A", 3}, TCase{"!!!!", 3}, TCase{"AAAAAAA=", 5}}) {
        EXPECT_EQ(Base64Decode(c.text).size(), c.length) << c.text;
    }
    EXPECT_EQ(Decode("AA=A"), std::string(3, '\0'));  // "=" inside counts as 0
    for (const char* text : {"A", "QUJDR", "QUJD=", "QUJDRE"}) {
        try {
            Base64Decode(text);
            ADD_FAILURE() << text;
        } catch (const EBase64InvalidLength& error) {
            EXPECT_STREQ(error.what(), "Base64 Invalid Length");
        }
    }
}

}  // namespace
}  // namespace kelmor
