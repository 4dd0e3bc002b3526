#include "editors/tfloatedit.h"

#include <cmath>

#include "ui/common.h"

namespace kelmor {

TFloatEdit::TFloatEdit(QWidget* parent) : TNumberEditOf(parent) {
    increment_ = 1.0;
    UpdateText();
}

void TFloatEdit::SetFormat(TFloatFormat format) {
    format_ = format;
    UpdateText();
}

void TFloatEdit::SetPrecision(int precision) {
    precision_ = precision;
    UpdateText();
}

bool TFloatEdit::IsValidChar(char c) const {
    return c == '-' || c == 'E' || c == 'e' || c == RegionalSettings().decimalSeparator ||
           TCustomNumberEdit::IsValidChar(c);
}

void TFloatEdit::TextToValue(const QString& text) {
    double parsed = 0;
    value_ = ParseFloat(ToLatin1(text), format_, RegionalSettings(), parsed) ? parsed : 0;
}

QString TFloatEdit::ValueToText() const {
    return FromLatin1(FormatFloat(value_, format_, precision_, RegionalSettings()));
}

bool TFloatEdit::Sum(int direction, double& next) const {
    next = direction > 0 ? value_ + increment_ : value_ - increment_;
    // A sum that overflows to infinity (or a value that is no number) leaves the type.
    return std::isfinite(next);
}

}  // namespace kelmor
