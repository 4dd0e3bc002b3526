#include "engine/searchpattern.h"

#include "engine/tkelmor.h"
#include "engine/userblock.h"

namespace kelmor {

namespace {

char Upper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

std::bitset<256> CharactersOf(std::string_view characters) {
    std::bitset<256> set;
    for (char c : characters) set.set(static_cast<uint8_t>(c));
    return set;
}

// "*" skips to the next "." in both texts, "." matches a "." or the end of the subject,
// "?" matches any one character (and the end), every other character itself.
bool WildcardMatch(const std::string& pattern, std::string_view subject) {
    size_t p = 0, s = 0;
    while (p < pattern.size()) {
        const char c = pattern[p];
        if (c == '*') {
            p = pattern.find('.', p);
            if (p == std::string::npos) p = pattern.size();
            s = subject.find('.', s);
            if (s == std::string_view::npos) s = subject.size();
        } else if (c == '.') {
            if (s < subject.size()) {
                if (subject[s] != '.') return false;
                ++s;
            }
            ++p;
        } else if (c == '?') {
            ++p;
            if (s < subject.size()) ++s;
        } else {
            if (s >= subject.size() || subject[s] != c) return false;
            ++p;
            ++s;
        }
    }
    return s >= subject.size();
}

// The characters the display text of a date can hold, when its formats are made of numbers
// and separators only; empty when they may spell words (names of months or days, AM/PM,
// quoted literals).
std::string DateCharacters(const TRegionalSettings& settings) {
    std::string characters = "0123456789 ";
    for (const std::string& format : {settings.shortDateFormat, settings.longTimeFormat}) {
        for (size_t i = 0; i < format.size(); ++i) {
            const char c = format[i];
            const char lower = c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
            if (c == '"' || c == '\'') return {};
            if ((lower >= 'a' && lower <= 'z') || static_cast<uint8_t>(c) >= 0x80) {
                if (std::string_view("dmyhnsz").find(lower) == std::string_view::npos) return {};
                // Three or more d or m letters name a day or a month.
                size_t run = 1;
                while (i + run < format.size() && (format[i + run] | 0x20) == lower) ++run;
                if ((lower == 'd' || lower == 'm') && run >= 3) return {};
                i += run - 1;
                continue;
            }
            characters += c;
        }
    }
    return characters;
}

}  // namespace

TSearchPattern::TSearchPattern(const std::string& searchText, uint16_t flags, const TRegionalSettings& settings)
    : text_(searchText.substr(0, 255)), flags_(flags), ignoreCase_(!(flags & sfCaseSensitive)) {
    if (ignoreCase_) text_ = UpperCaseAscii(text_);
    valueMayMatch_.fill(true);
    // A "?" of a pattern matches any character: only plain texts tell types apart.
    if (flags_ & sfWildcards) return;
    const std::string separator(1, settings.decimalSeparator);
    const std::string numbers = "0123456789-" + separator;
    const auto madeOf = [this](std::string characters) {
        return TextMadeOf(CharactersOf(ignoreCase_ ? UpperCaseAscii(characters) : characters));
    };
    valueMayMatch_[ktByte] = valueMayMatch_[ktInteger] = valueMayMatch_[ktLongint] = madeOf("0123456789-");
    valueMayMatch_[ktFloat] = madeOf(numbers + "NAIF");
    valueMayMatch_[ktCurrency] = madeOf(numbers);
    valueMayMatch_[ktDouble] = madeOf(numbers + "E+NAIF");
    valueMayMatch_[ktSequence] = madeOf("0123456789ABCDEF (zero length value)");
    valueMayMatch_[ktBlob] = madeOf("DATA: 0123456789bytes");
    const std::string dateCharacters = DateCharacters(settings);
    if (!dateCharacters.empty()) valueMayMatch_[ktDate] = madeOf(dateCharacters);
}

bool TSearchPattern::TextMadeOf(const std::bitset<256>& characters) const {
    for (char c : text_)
        if (!characters.test(static_cast<uint8_t>(c))) return false;
    return true;
}

bool TSearchPattern::Matches(std::string_view examined) const {
    if (flags_ & sfWildcards) {
        if (!ignoreCase_) return WildcardMatch(text_, examined);
        return WildcardMatch(text_, UpperCaseAscii(std::string(examined)));
    }
    if (flags_ & sfWholeValue) return EqualsText(examined);
    return ContainsText(examined);
}

bool TSearchPattern::EqualsText(std::string_view examined) const {
    if (examined.size() != text_.size()) return false;
    if (!ignoreCase_) return examined == text_;
    for (size_t i = 0; i < examined.size(); ++i)
        if (Upper(examined[i]) != text_[i]) return false;
    return true;
}

bool TSearchPattern::ContainsText(std::string_view examined) const {
    if (!ignoreCase_) return examined.find(text_) != std::string_view::npos;
    if (text_.empty()) return true;
    if (examined.size() < text_.size()) return false;
    const size_t last = examined.size() - text_.size();
    for (size_t at = 0; at <= last; ++at) {
        if (Upper(examined[at]) != text_[0]) continue;
        size_t i = 1;
        while (i < text_.size() && Upper(examined[at + i]) == text_[i]) ++i;
        if (i == text_.size()) return true;
    }
    return false;
}

}  // namespace kelmor
