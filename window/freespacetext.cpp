#include "window/freespacetext.h"

#include <cstdio>
#include <cstdlib>

namespace kelmor {

namespace {

constexpr int kSignificantDigits = 9;
constexpr int kDecimals = 3;

double RoundToSignificantDigits(double value, int digits) {
    char text[64];
    std::snprintf(text, sizeof text, "%.*e", digits - 1, value);
    return std::strtod(text, nullptr);
}

}  // namespace

QString FreeSpaceText(int64_t bytes, const TRegionalSettings& settings) {
    if (bytes == -1) return QStringLiteral("Not Available.");
    const double megabytes = RoundToSignificantDigits(static_cast<double>(bytes) / 1024.0 / 1024.0, kSignificantDigits);
    const std::string fixed = FormatFixed(megabytes, kDecimals, settings);
    // Thousands separators into the whole part.
    const size_t point = fixed.find(settings.decimalSeparator);
    const std::string whole = fixed.substr(0, point);
    const size_t firstDigit = !whole.empty() && whole[0] == '-' ? 1 : 0;
    std::string grouped;
    for (size_t i = 0; i < whole.size(); ++i) {
        grouped += whole[i];
        const size_t remaining = whole.size() - i - 1;
        if (i >= firstDigit && remaining > 0 && remaining % 3 == 0 && settings.thousandsSeparator != 0)
            grouped += settings.thousandsSeparator;
    }
    const std::string text = grouped + (point == std::string::npos ? std::string() : fixed.substr(point));
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size())) + QStringLiteral(" MB");
}

QString UserNameText(const QString& name) {
    if (name.isEmpty()) return name;
    return name.left(1).toUpper() + name.mid(1).toLower();
}

}  // namespace kelmor
