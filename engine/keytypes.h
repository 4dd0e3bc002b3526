// The type codes of record items: the ten key value types and the name type.
#pragma once

#include <cstdint>

namespace kelmor {

constexpr uint8_t ktByte = 1;
constexpr uint8_t ktInteger = 2;
constexpr uint8_t ktLongint = 3;
constexpr uint8_t ktFloat = 4;
constexpr uint8_t ktString = 5;
constexpr uint8_t ktSequence = 6;
constexpr uint8_t ktBlob = 7;
constexpr uint8_t ktCurrency = 8;
constexpr uint8_t ktDouble = 9;
constexpr uint8_t ktDate = 10;
constexpr uint8_t ktName = 255;  // descriptions and key names

// The largest values a key holds: a byte sequence in the record, a blob in the blob file.
constexpr uint32_t kMaxSequenceSize = 255;
constexpr uint32_t kMaxBlobSize = 65535;

constexpr uint8_t kFirstKeyType = ktByte;
constexpr uint8_t kLastKeyType = ktDate;

// The value length of a fixed-size type; -1 for strings and sequences (0..255 bytes),
// 0 for codes that are no key type.
constexpr int KeyValueSize(uint8_t type) {
    switch (type) {
        case ktByte: return 1;
        case ktInteger: return 2;
        case ktLongint: return 4;
        case ktFloat: return 4;
        case ktString: return -1;
        case ktSequence: return -1;
        case ktBlob: return 14;
        case ktCurrency: return 8;
        case ktDouble: return 8;
        case ktDate: return 4;
        default: return 0;
    }
}

// The names the interchange formats give the types ("" for other codes).
constexpr const char* KeyTypeName(uint8_t type) {
    switch (type) {
        case ktByte: return "byte";
        case ktInteger: return "integer";
        case ktLongint: return "longint";
        case ktFloat: return "float";
        case ktString: return "string";
        case ktSequence: return "sequence";
        case ktBlob: return "blob";
        case ktCurrency: return "currency";
        case ktDouble: return "double";
        case ktDate: return "datetime";
        default: return "";
    }
}

}  // namespace kelmor
