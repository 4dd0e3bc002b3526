#include "interchange/xmlkeyvalue.h"

#include <cmath>
#include <limits>
#include <string_view>
#include <vector>

#include "engine/tkelmor.h"
#include "interchange/base64.h"
#include "interchange/interchangeerrors.h"

namespace kelmor {

namespace {

constexpr size_t kMaxText = 255;

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Without the blanks (spaces and tabs) that the number parsers skip.
std::string_view WithoutBlanks(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
    return text;
}

size_t SkipSign(std::string_view text, size_t at) {
    return at < text.size() && (text[at] == '+' || text[at] == '-') ? at + 1 : at;
}

size_t SkipDigits(std::string_view text, size_t at) {
    while (at < text.size() && IsDigit(text[at])) ++at;
    return at;
}

// An optional sign and decimal digits.
bool HasIntegerForm(std::string_view text) {
    text = WithoutBlanks(text);
    const size_t digits = SkipSign(text, 0);
    return digits < text.size() && SkipDigits(text, digits) == text.size();
}

// An optional sign, digits with at most one decimal separator, an optional exponent:
// the form the number parsers read, whatever the size of the number.
bool HasNumberForm(std::string_view text, char separator) {
    text = WithoutBlanks(text);
    size_t at = SkipSign(text, 0);
    const size_t start = at;
    at = SkipDigits(text, at);
    size_t digits = at - start;
    if (at < text.size() && text[at] == separator) {
        const size_t fraction = at + 1;
        at = SkipDigits(text, fraction);
        digits += at - fraction;
    }
    if (digits == 0) return false;
    if (at < text.size() && (text[at] == 'e' || text[at] == 'E')) {
        const size_t exponent = SkipSign(text, at + 1);
        at = SkipDigits(text, exponent);
        if (at == exponent) return false;
    }
    return at == text.size();
}

// "yyyymmdd" as the exporter writes it; any other text in the date and time formats of
// the settings. False for a text that is no valid date.
bool DateOfText(const std::string& text, const TRegionalSettings& settings, double& dateTime) {
    std::string_view digits = text;
    const auto isSpace = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    while (!digits.empty() && isSpace(digits.front())) digits.remove_prefix(1);
    while (!digits.empty() && isSpace(digits.back())) digits.remove_suffix(1);
    const bool eightDigits = digits.size() == 8 && SkipDigits(digits, 0) == 8;
    if (!eightDigits) return ParseDateTime(text, settings, dateTime);
    const auto number = [&](size_t from, size_t count) {
        int value = 0;
        for (size_t i = from; i < from + count; ++i) value = value * 10 + (digits[i] - '0');
        return value;
    };
    const int year = number(0, 4), month = number(4, 2), day = number(6, 2);
    if (!IsValidDate(year, month, day)) return false;
    dateTime = EncodeDate(year, month, day);
    return true;
}

[[noreturn]] void DoesNotFit(const std::string& reason) { throw EValueDoesNotFit(reason); }

// A number's text for a message, cut when it is long.
std::string Shown(const std::string& text) {
    constexpr size_t kLongest = 40;
    const std::string_view number = WithoutBlanks(text);
    return number.size() <= kLongest ? std::string(number) : std::string(number.substr(0, kLongest)) + "...";
}

}  // namespace

bool AddXMLKey(TKelmorClass& engine, const std::string& name, uint8_t type, const std::string& text,
               const TRegionalSettings& settings) {
    switch (type) {
        case ktByte:
        case ktInteger:
        case ktLongint: {
            int64_t value = 0;
            if (!ParseInteger(text, value)) {
                if (!HasIntegerForm(text)) return false;
                value = std::numeric_limits<int64_t>::max();  // beyond 64 bits
            }
            if (value < std::numeric_limits<int32_t>::min() || value > std::numeric_limits<int32_t>::max()) {
                DoesNotFit(Shown(text) + " does not fit into 32 bits");
            }
            // The stored width keeps the low-order bytes.
            if (type == ktByte) engine.AddByteKey(name, static_cast<uint8_t>(value));
            if (type == ktInteger) engine.AddIntegerKey(name, static_cast<int16_t>(value));
            if (type == ktLongint) engine.AddLongintKey(name, static_cast<int32_t>(value));
            return true;
        }
        case ktFloat: {
            float value = 0;
            if (!ParseSingle(text, settings, value)) {
                // NAN, INF and -INF, as the float's text shows them
                double real = 0;
                const bool isNumber = ParseDouble(text, settings, real);
                if (isNumber && !std::isfinite(real)) {
                    value = static_cast<float>(real);
                } else if (isNumber || HasNumberForm(text, settings.decimalSeparator)) {
                    DoesNotFit(Shown(text) + " is too large for a float");
                } else {
                    return false;
                }
            }
            engine.AddFloatKey(name, value);
            return true;
        }
        case ktString: engine.AddStringKey(name, text.substr(0, kMaxText)); return true;
        case ktSequence:
        case ktBlob: {
            std::vector<uint8_t> bytes;
            try {
                bytes = Base64Decode(Base64Clean(text));
            } catch (const EBase64InvalidLength&) {
                return false;
            }
            if (type == ktSequence) {
                if (bytes.size() > kMaxSequenceSize) {
                    DoesNotFit("the sequence has " + std::to_string(bytes.size()) + " bytes, at most " +
                               std::to_string(kMaxSequenceSize) + " fit");
                }
                engine.AddSequenceKey(name, bytes.data(), bytes.size());
            } else {
                if (bytes.size() > kMaxBlobSize) {
                    DoesNotFit("the blob has " + std::to_string(bytes.size()) + " bytes, at most " +
                               std::to_string(kMaxBlobSize) + " fit");
                }
                engine.AddBlobKey(name, bytes.data(), bytes.size());
            }
            return true;
        }
        case ktCurrency: {
            int64_t amount = 0;
            if (!ParseCurrency(text, settings, amount)) {
                if (!HasNumberForm(text, settings.decimalSeparator)) return false;
                DoesNotFit(Shown(text) + " is outside the range of a currency");
            }
            engine.AddCurrencyKey(name, amount);
            return true;
        }
        case ktDouble: {
            double value = 0;
            if (!ParseDouble(text, settings, value)) {
                if (!HasNumberForm(text, settings.decimalSeparator)) return false;
                DoesNotFit(Shown(text) + " is too large for a double");
            }
            engine.AddDoubleKey(name, value);
            return true;
        }
        case ktDate: {
            double dateTime = 0;
            if (!DateOfText(text, settings, dateTime)) return false;
            engine.AddDateKey(name, dateTime);
            return true;
        }
        default: return false;
    }
}

}  // namespace kelmor
