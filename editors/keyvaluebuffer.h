// The value buffer of the key editor: one key's value in the encoding of its type (little-
// endian numbers; a string as a length byte and up to 255 characters; the bytes of a
// sequence or blob, whose length travels beside the buffer; currency as a 64-bit count of
// ten-thousandths; a date as a double). Read from and written to the engine's loaded node.
#pragma once

#include <QByteArray>
#include <cstdint>
#include <string>

namespace kelmor {

class TKelmorClass;

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
