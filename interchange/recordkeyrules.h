// The rules by which a record import turns one field value into a key of the current
// record: the text rule (text fields, dBase dates, every CSV field), the number rule
// (dBase numbers) and the truth rule (dBase logicals). A value that does not convert
// gives 0 and an integer keeps the low-order bytes of its type, as the record import
// options promise; a key the engine refuses is left out. Only a text too long for a
// sequence or a blob raises (EValueTooLarge): cutting it would change it unseen.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "engine/regional.h"

namespace kelmor {

class TKelmorClass;
class TImporterOptions;

// Where a field's value goes: the key name (after the mixed-case option) and the key type
// (0: nowhere).
struct TKeyTarget {
    std::string name;
    uint8_t type = 0;
};

// Lower case, then the first character in upper case (Latin-1 letters).
std::string MixedCaseTitle(const std::string& name);

// One target per field of the options, the mixed-case option already applied.
std::vector<TKeyTarget> KeyTargetsOf(const TImporterOptions& options);

// Each adds the key of `target` to the engine's current record; with skipEmpty set, an
// empty text or a value of 0 adds nothing.
void AddKeyFromText(TKelmorClass& engine, const TKeyTarget& target, std::string_view text, bool skipEmpty,
                    const TRegionalSettings& settings);
void AddKeyFromNumber(TKelmorClass& engine, const TKeyTarget& target, float value, bool skipEmpty,
                      const TRegionalSettings& settings);
void AddKeyFromTruth(TKelmorClass& engine, const TKeyTarget& target, bool value, bool skipEmpty);

}  // namespace kelmor
