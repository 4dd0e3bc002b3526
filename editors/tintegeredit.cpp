#include "editors/tintegeredit.h"

#include <limits>

#include "ui/common.h"

namespace kelmor {

TIntegerEdit::TIntegerEdit(QWidget* parent) : TNumberEditOf(parent) {
    increment_ = 1;
    UpdateText();
}

bool TIntegerEdit::IsValidChar(char c) const { return c == '-' || TCustomNumberEdit::IsValidChar(c); }

void TIntegerEdit::TextToValue(const QString& text) {
    int64_t parsed = 0;
    const bool fits = ParseInteger(ToLatin1(text), parsed) && parsed >= std::numeric_limits<int32_t>::min() &&
                      parsed <= std::numeric_limits<int32_t>::max();
    value_ = fits ? static_cast<int32_t>(parsed) : 0;
}

QString TIntegerEdit::ValueToText() const { return FromLatin1(FormatInteger(value_)); }

bool TIntegerEdit::Sum(int direction, int32_t& next) const {
    const int64_t sum = int64_t{value_} + int64_t{direction} * increment_;
    if (sum < std::numeric_limits<int32_t>::min() || sum > std::numeric_limits<int32_t>::max()) return false;
    next = static_cast<int32_t>(sum);
    return true;
}

}  // namespace kelmor
