// The text of an XML value element turned into a key of the engine's current record.
// Two kinds of text do not give a key: a text that is not of its type's form at all
// ("one" for a float, a Base64 text of a wrong length, 30 February) is left out, as the
// format says; a value of the right form that the key cannot hold (4294967297 for a
// longint, 1e39 for a float, 256 bytes for a sequence, a key beyond a full record) ends
// the import, because leaving it out or cutting it would change the data unnoticed.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

#include "engine/regional.h"

namespace kelmor {

class TKelmorClass;

// A value that its key cannot hold; the message says why.
class EValueDoesNotFit : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Adds the key to the current record and answers true; answers false, adding nothing,
// for a text that is not of the type's form. Raises EValueDoesNotFit, and passes the
// engine's errors on. Integers are read with 32 bits, of which a byte or integer key
// keeps the low-order bytes; strings keep their first 255 characters; float keys also
// read NAN, INF and -INF.
bool AddXMLKey(TKelmorClass& engine, const std::string& name, uint8_t type, const std::string& text,
               const TRegionalSettings& settings);

}  // namespace kelmor
