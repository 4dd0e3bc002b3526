#include "editors/floatnotation.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace kelmor {

namespace {

constexpr int kDigits = 15;            // significant digits of every notation
constexpr int kMaxExponentDigits = 3;  // a double's decimal exponent never has more
constexpr int kMaxDecimals = 100;

// The magnitude of a finite, non-zero value rounded to `count` significant digits: the digits
// (the first one non-zero) and the power of ten of the first digit.
struct TSignificant {
    std::string digits;
    int exponent = 0;
};

TSignificant RoundSignificant(double value, int count) {
    // FormatGeneral does the exact rounding; its text is taken apart again.
    const std::string text = FormatGeneral(std::fabs(value), count, TRegionalSettings{});
    const size_t e = text.find('E');
    const std::string mantissa = text.substr(0, e);
    const int scale = e == std::string::npos ? 0 : std::atoi(text.c_str() + e + 1);
    const size_t point = mantissa.find('.');
    const std::string whole = mantissa.substr(0, point);
    TSignificant result;
    result.digits = whole + (point == std::string::npos ? std::string() : mantissa.substr(point + 1));
    result.exponent = scale + static_cast<int>(whole.size()) - 1;
    const size_t first = std::min(result.digits.find_first_not_of('0'), result.digits.size() - 1);
    result.digits.erase(0, first);
    result.exponent -= static_cast<int>(first);
    return result;
}

// The digits in fixed notation with `decimals` decimals, zeros where no digit is kept.
std::string RenderFixed(const TSignificant& s, int decimals, char decimalSeparator) {
    const auto digitAt = [&s](int power) {
        const int i = s.exponent - power;
        return i >= 0 && i < static_cast<int>(s.digits.size()) ? s.digits[static_cast<size_t>(i)] : '0';
    };
    std::string text;
    for (int power = std::max(s.exponent, 0); power >= 0; --power) text += digitAt(power);
    if (decimals > 0) text += decimalSeparator;
    for (int power = -1; power >= -decimals; --power) text += digitAt(power);
    return text;
}

std::string GeneralText(double value, int minExponentDigits, const TRegionalSettings& settings) {
    std::string text = FormatGeneral(value, kDigits, settings);
    const size_t e = text.find('E');
    if (e == std::string::npos) return text;
    const size_t digitsAt = e + 1 + (text[e + 1] == '-' ? 1 : 0);
    const size_t count = text.size() - digitsAt;
    const auto wanted = static_cast<size_t>(minExponentDigits);
    if (count < wanted) text.insert(digitsAt, wanted - count, '0');
    return text;
}

std::string ExponentText(double value, int decimals, const TRegionalSettings& settings) {
    const TSignificant s = value == 0 ? TSignificant{"0", 0} : RoundSignificant(value, decimals + 1);
    std::string text = value < 0 ? "-" : "";
    text += s.digits[0];
    if (decimals > 0) text += settings.decimalSeparator;
    for (size_t i = 1; i <= static_cast<size_t>(decimals); ++i) text += i < s.digits.size() ? s.digits[i] : '0';
    text += 'E';
    text += s.exponent < 0 ? '-' : '+';
    const std::string exponent = std::to_string(std::abs(s.exponent));
    if (exponent.size() < 2) text += '0';
    return text + exponent;
}

std::string FixedText(double value, int decimals, const TRegionalSettings& settings) {
    if (value == 0) return FormatFixed(value, decimals, settings);
    const TSignificant s = RoundSignificant(value, kDigits);
    // Fifteen digits cannot show the units of a larger value.
    if (s.exponent >= kDigits) return GeneralText(value, 0, settings);
    // The 15th significant digit lies at or before the last decimal: that rounding keeps fewer
    // digits and decides. Otherwise the decimals do, in one rounding of the exact value.
    if (s.exponent - (kDigits - 1) < -decimals) return FormatFixed(value, decimals, settings);
    return (value < 0 ? "-" : "") + RenderFixed(s, decimals, settings.decimalSeparator);
}

std::string GroupThousands(std::string text, const TRegionalSettings& settings) {
    if (text.find('E') != std::string::npos) return text;
    const size_t start = !text.empty() && text[0] == '-' ? 1 : 0;
    size_t pos = std::min(text.find(settings.decimalSeparator), text.size());
    while (pos > start + 3) {
        pos -= 3;
        text.insert(pos, 1, settings.thousandsSeparator);
    }
    return text;
}

}  // namespace

std::string FormatFloat(double value, TFloatFormat format, int precision, const TRegionalSettings& settings) {
    if (!std::isfinite(value)) return FormatGeneral(value, kDigits, settings);
    switch (format) {
        case TFloatFormat::General: return GeneralText(value, std::clamp(precision, 0, kMaxExponentDigits), settings);
        case TFloatFormat::Exponent: return ExponentText(value, std::clamp(precision, 0, kDigits - 1), settings);
        case TFloatFormat::Fixed: return FixedText(value, std::clamp(precision, 0, kMaxDecimals), settings);
        case TFloatFormat::Number:
        case TFloatFormat::Currency:
            return GroupThousands(FixedText(value, std::clamp(precision, 0, kMaxDecimals), settings), settings);
    }
    return FormatGeneral(value, kDigits, settings);
}

bool ParseFloat(const std::string& text, TFloatFormat format, const TRegionalSettings& settings, double& out) {
    std::string plain = text;
    const bool grouped = format == TFloatFormat::Number || format == TFloatFormat::Currency;
    if (grouped && settings.thousandsSeparator != settings.decimalSeparator)
        plain.erase(std::remove(plain.begin(), plain.end(), settings.thousandsSeparator), plain.end());
    return ParseDouble(plain, settings, out);
}

}  // namespace kelmor
