// Whether a text is written as a number, whatever its size. The number edits read text that
// does not fit their type as 0; the key frames use these to tell a number too large for its
// key from text that is no number at all.
#pragma once

#include <string>

namespace kelmor {

// Optional blanks, an optional sign, decimal digits, optional blanks.
bool IsIntegerText(const std::string& text);
// Optional blanks and sign, digits with at most one decimal separator (at least one digit),
// an optional exponent (E or e, optional sign, digits), optional blanks.
bool IsDecimalText(const std::string& text, char decimalSeparator);

}  // namespace kelmor
