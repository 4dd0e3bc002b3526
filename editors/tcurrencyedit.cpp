#include "editors/tcurrencyedit.h"

#include <string>

#include "ui/common.h"

namespace kelmor {

namespace {

// The amount in ten-thousandths with `decimals` (0..4) decimals, computed on the integer: a
// first dropped digit of 5 or more rounds away from zero, as the key list shows currency.
std::string CurrencyText(int64_t amount, int decimals, char decimalSeparator) {
    const bool negative = amount < 0;
    const uint64_t magnitude = negative ? 0 - static_cast<uint64_t>(amount) : static_cast<uint64_t>(amount);
    uint64_t dropped = 1;
    for (int i = decimals; i < 4; ++i) dropped *= 10;
    uint64_t kept = magnitude / dropped;  // in units of 10^-decimals
    // Rounding away from zero must not show an amount beyond the type, whose text would then
    // read back as 0; at the very ends the text rounds toward zero instead.
    const uint64_t largest = negative ? uint64_t{1} << 63 : (uint64_t{1} << 63) - 1;
    if (dropped > 1 && magnitude % dropped >= dropped / 2 && (kept + 1) * dropped <= largest) ++kept;
    const uint64_t scale = TCurrencyEdit::kUnit / dropped;
    std::string text = negative && kept != 0 ? "-" : "";
    text += std::to_string(kept / scale);
    if (decimals > 0) {
        const std::string fraction = std::to_string(kept % scale);
        text += decimalSeparator;
        text.append(static_cast<size_t>(decimals) - fraction.size(), '0');
        text += fraction;
    }
    return text;
}

}  // namespace

TCurrencyEdit::TCurrencyEdit(QWidget* parent) : TNumberEditOf(parent) {
    increment_ = kUnit;
    UpdateText();
}

void TCurrencyEdit::SetPrecision(int precision) {
    if (precision < 0 || precision > kMaxPrecision) return;
    precision_ = precision;
    UpdateText();
}

bool TCurrencyEdit::IsValidChar(char c) const {
    return c == '-' || c == RegionalSettings().decimalSeparator || TCustomNumberEdit::IsValidChar(c);
}

void TCurrencyEdit::TextToValue(const QString& text) {
    int64_t parsed = 0;
    value_ = ParseCurrency(ToLatin1(text), RegionalSettings(), parsed) ? parsed : 0;
}

QString TCurrencyEdit::ValueToText() const {
    return FromLatin1(CurrencyText(value_, precision_, RegionalSettings().decimalSeparator));
}

// Exact integer arithmetic: every amount of the type keeps its last ten-thousandth, which a
// sum in floating point would lose above 2^53 ten-thousandths.
bool TCurrencyEdit::Sum(int direction, int64_t& next) const {
    return direction > 0 ? !__builtin_add_overflow(value_, increment_, &next)
                         : !__builtin_sub_overflow(value_, increment_, &next);
}

}  // namespace kelmor
