#include "editors/tintegeredit.h"

#include <limits>

#include "ui/common.h"

namespace kelmor {

TIntegerEdit::TIntegerEdit(QWidget* parent) : TCustomNumberEdit(parent) { UpdateText(); }

void TIntegerEdit::SetValue(int32_t value) {
    value_ = value;
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

bool TIntegerEdit::InRange() const { return (min_ == 0 && max_ == 0) || (min_ <= value_ && value_ <= max_); }

void TIntegerEdit::Step(int direction) {
    const int64_t next = int64_t{value_} + int64_t{direction} * increment_;
    const int32_t old = value_;
    // A sum beyond 32 bits is refused like one beyond the limits (rather than wrapping round).
    const bool fits = next >= std::numeric_limits<int32_t>::min() && next <= std::numeric_limits<int32_t>::max();
    if (fits) value_ = static_cast<int32_t>(next);
    if (!fits || !InRange()) {
        value_ = old;
        Beep();
        return;
    }
    UpdateText();
}

}  // namespace kelmor
