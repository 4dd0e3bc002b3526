// The text a search looks for, prepared once per search step: compared in place with the
// texts of a node record, without copies, and with the knowledge of which key types'
// display texts can hold it at all (a number never shows a letter other than those of
// its notation), so that values are formatted only when they could match.
#pragma once

#include <array>
#include <bitset>
#include <cstdint>
#include <string>
#include <string_view>

#include "engine/keytypes.h"
#include "engine/regional.h"

namespace kelmor {

class TSearchPattern {
public:
    // `flags` are the search's; without sfCaseSensitive the text is compared upper-cased.
    TSearchPattern(const std::string& searchText, uint16_t flags, const TRegionalSettings& settings);

    const std::string& Text() const { return text_; }
    // Whether the examined text matches (substring, whole text or wildcard pattern).
    bool Matches(std::string_view examined) const;
    // False when no display text of a key of this type can match, whatever its value.
    bool ValueMayMatch(uint8_t type) const { return type <= kLastKeyType && valueMayMatch_[type]; }

private:
    bool ContainsText(std::string_view examined) const;
    bool EqualsText(std::string_view examined) const;
    // Whether every character of the text is one of `characters` (as compared).
    bool TextMadeOf(const std::bitset<256>& characters) const;

    std::string text_;
    uint16_t flags_;
    bool ignoreCase_;
    std::array<bool, kLastKeyType + 1> valueMayMatch_{};
};

}  // namespace kelmor
