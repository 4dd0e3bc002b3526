// The value buffer of the key editor: one key's value in the encoding of its type (little-
// endian numbers; a string as a length byte and up to 255 characters; the bytes of a
// sequence or blob, whose length travels beside the buffer; currency as a 64-bit count of
// ten-thousandths; a date as a double). Read from and written to the engine's loaded node.
#pragma once

#include <QByteArray>
#include <QtEndian>
#include <bit>
#include <cstdint>
#include <string>
#include <type_traits>

namespace kelmor {

class TKelmorClass;

// A number of the buffer (integers, float, double, date, currency) in its little-endian bytes,
// and back; bytes missing at the end read as zeros.
template <class T>
using TKeyNumberBits = std::conditional_t<
    sizeof(T) == 1, uint8_t,
    std::conditional_t<sizeof(T) == 2, uint16_t, std::conditional_t<sizeof(T) == 4, uint32_t, uint64_t>>>;

template <class T>
QByteArray EncodeKeyNumber(T value) {
    QByteArray bytes(sizeof(T), '\0');
    qToLittleEndian<TKeyNumberBits<T>>(std::bit_cast<TKeyNumberBits<T>>(value), bytes.data());
    return bytes;
}

template <class T>
T DecodeKeyNumber(const QByteArray& buffer) {
    QByteArray bytes = buffer.left(sizeof(T));
    bytes.resize(sizeof(T), '\0');
    return std::bit_cast<T>(qFromLittleEndian<TKeyNumberBits<T>>(bytes.constData()));
}

// The size of the buffer for a key type: 1, 2, 4, 4, 256, 255, 65535, 8, 8, 8 bytes.
int KeyValueBufferSize(uint8_t type);

// Key `index` of the loaded node; `length` receives the byte length of a sequence or blob
// value (0 for the other types).
QByteArray ReadKeyValueBuffer(const TKelmorClass& engine, uint16_t index, int& length);

// Inserts at `index` a key of `type` named `name` holding the buffer's value (`length`
// bytes of a sequence or blob).
void InsertKeyValueBuffer(TKelmorClass& engine, const std::string& name, uint16_t index, uint8_t type,
                          const QByteArray& buffer, int length);

}  // namespace kelmor
