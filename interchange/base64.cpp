#include "interchange/base64.h"

#include <array>

namespace kelmor {

namespace {

constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

// The 6-bit value of each byte; -1 for bytes outside the alphabet ("=" included).
constexpr std::array<int8_t, 256> MakeDecodeTable() {
    std::array<int8_t, 256> table{};
    for (auto& value : table) value = -1;
    for (int i = 0; i < 64; ++i) table[static_cast<uint8_t>(kAlphabet[i])] = static_cast<int8_t>(i);
    return table;
}
constexpr std::array<int8_t, 256> kDecode = MakeDecodeTable();

}  // namespace

std::string Base64Encode(const uint8_t* data, size_t count, size_t lineLength) {
    std::string text;
    const size_t groups = (count + 2) / 3;
    text.reserve(groups * 4 + (groups / 20 + 1) * 2);
    size_t onLine = 0;
    for (size_t i = 0; i < count; i += 3) {
        const size_t left = count - i;
        const uint32_t bits = (uint32_t{data[i]} << 16) | (left > 1 ? uint32_t{data[i + 1]} << 8 : 0u) |
                              (left > 2 ? uint32_t{data[i + 2]} : 0u);
        text += kAlphabet[(bits >> 18) & 63];
        text += kAlphabet[(bits >> 12) & 63];
        text += left > 1 ? kAlphabet[(bits >> 6) & 63] : '=';
        text += left > 2 ? kAlphabet[bits & 63] : '=';
        onLine += 4;
        if (onLine > lineLength) {
            text += "\r\n";
            onLine = 0;
        }
    }
    return text;
}

std::string Base64Clean(std::string_view text) {
    std::string cleaned;
    cleaned.reserve(text.size());
    for (const char c : text) {
        if (c == '=' || kDecode[static_cast<uint8_t>(c)] >= 0) cleaned += c;
    }
    return cleaned;
}

std::vector<uint8_t> Base64Decode(std::string_view cleaned) {
    const size_t count = cleaned.size();
    if (count % 4 != 0) throw EBase64InvalidLength();
    // Padding: "=" at the end, never counting the first character.
    size_t padding = 0;
    for (size_t i = count; i > 1 && cleaned[i - 1] == '='; --i) ++padding;
    const size_t full = count / 4 * 3;
    const size_t length = padding < full ? full - padding : 0;

    std::vector<uint8_t> bytes;
    bytes.reserve(length);
    for (size_t i = 0; i < count && bytes.size() < length; i += 4) {
        uint32_t bits = 0;
        for (size_t j = 0; j < 4; ++j) {
            const int8_t value = kDecode[static_cast<uint8_t>(cleaned[i + j])];
            bits = (bits << 6) | static_cast<uint32_t>(value < 0 ? 0 : value);
        }
        for (int shift = 16; shift >= 0 && bytes.size() < length; shift -= 8)
            bytes.push_back(static_cast<uint8_t>(bits >> shift));
    }
    return bytes;
}

}  // namespace kelmor
