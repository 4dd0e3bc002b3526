#include "editors/numbersyntax.h"

#include <string_view>

namespace kelmor {

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

std::string_view Trim(std::string_view s) {
    while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
    while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
    return s;
}

void SkipSign(std::string_view& s) {
    if (!s.empty() && (s.front() == '+' || s.front() == '-')) s.remove_prefix(1);
}

// Removes leading digits and answers how many there were.
size_t SkipDigits(std::string_view& s) {
    size_t count = 0;
    while (count < s.size() && IsDigit(s[count])) ++count;
    s.remove_prefix(count);
    return count;
}

}  // namespace

bool IsIntegerText(const std::string& text) {
    std::string_view s = Trim(text);
    SkipSign(s);
    return SkipDigits(s) > 0 && s.empty();
}

bool IsDecimalText(const std::string& text, char decimalSeparator) {
    std::string_view s = Trim(text);
    SkipSign(s);
    size_t digits = SkipDigits(s);
    if (!s.empty() && s.front() == decimalSeparator) {
        s.remove_prefix(1);
        digits += SkipDigits(s);
    }
    if (digits == 0) return false;
    if (!s.empty() && (s.front() == 'E' || s.front() == 'e')) {
        s.remove_prefix(1);
        SkipSign(s);
        if (SkipDigits(s) == 0) return false;
    }
    return s.empty();
}

}  // namespace kelmor
