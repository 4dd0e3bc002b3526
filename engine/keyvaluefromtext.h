// A key value typed as text, read in the notation the key list shows it in (the engine's
// regional settings) and inserted as a key of the loaded node.
#pragma once

#include <cstdint>
#include <string>

namespace kelmor {

class TKelmorClass;

// Inserts at `index` a key of `type` named `name` whose value the text gives: byte, integer
// and longint as decimal integers within their type's range, float, double and currency as
// decimal numbers (currency to four decimals), a string as it is (cut to 255 characters), a
// date as a date with an optional time that a date key can hold (or the empty date's text).
// False, with nothing inserted, when the text gives no such value, and always for sequence
// and blob keys.
bool InsertKeyFromText(TKelmorClass& engine, const std::string& name, uint16_t index, uint8_t type,
                       const std::string& text);

}  // namespace kelmor
