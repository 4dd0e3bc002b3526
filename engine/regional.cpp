#include "engine/regional.h"

#include <algorithm>
#include <array>
#include <bit>
#include <charconv>
#include <cmath>
#include <limits>
#include <stdexcept>
#include <string_view>
#include <system_error>
#include <vector>

#include "engine/datetimeformat.h"

namespace kelmor {

namespace {

constexpr int64_t kMsPerDay = 86400000;

// ---- Calendar ---------------------------------------------------------------------------------

// Days since 1 January 1970 of a proleptic Gregorian date.
int64_t DaysFromCivil(int64_t y, int m, int d) {
    y -= m <= 2 ? 1 : 0;
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const int64_t yoe = y - era * 400;
    const int64_t doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
    const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

void CivilFromDays(int64_t z, int& y, int& m, int& d) {
    z += 719468;
    const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const int64_t doe = z - era * 146097;
    const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const int64_t mp = (5 * doy + 2) / 153;
    d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    y = static_cast<int>(yoe + era * 400 + (m <= 2 ? 1 : 0));
}

const int64_t kEpochDays = DaysFromCivil(1899, 12, 30);

int64_t SerialOfDate(int y, int m, int d) { return DaysFromCivil(y, m, d) - kEpochDays; }

struct DateTimeParts {
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0, msec = 0;
    int64_t serialDay = 0;  // whole days since the epoch
};

bool TryDecode(double dt, DateTimeParts& p) {
    // Years 1..9999 lie well inside this; the guard keeps the multiplication meaningful.
    if (!std::isfinite(dt) || std::fabs(dt) > 4.0e6) return false;
    const int64_t totalMs = std::llround(dt * static_cast<double>(kMsPerDay));
    p.serialDay = totalMs / kMsPerDay;  // toward zero: the fraction is a magnitude
    int64_t msOfDay = totalMs % kMsPerDay;
    if (msOfDay < 0) msOfDay = -msOfDay;
    CivilFromDays(p.serialDay + kEpochDays, p.year, p.month, p.day);
    if (p.year < 1 || p.year > 9999) return false;
    p.msec = static_cast<int>(msOfDay % 1000);
    p.second = static_cast<int>(msOfDay / 1000 % 60);
    p.minute = static_cast<int>(msOfDay / 60000 % 60);
    p.hour = static_cast<int>(msOfDay / 3600000);
    return true;
}

DateTimeParts Decode(double dt) {
    DateTimeParts p;
    if (!TryDecode(dt, p)) throw std::invalid_argument("invalid date-time value");
    return p;
}

double Combine(double date, double time) { return date >= 0 ? date + time : date - time; }

// ---- Small text helpers -----------------------------------------------------------------------

bool IsBlank(char c) { return c == ' ' || c == '\t'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsAsciiLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
char Upper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

std::string_view Trim(std::string_view s) {
    while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
    while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
    return s;
}

bool StartsWithNoCase(std::string_view s, size_t pos, std::string_view prefix) {
    if (prefix.size() > s.size() - std::min(pos, s.size())) return false;
    for (size_t i = 0; i < prefix.size(); ++i)
        if (Upper(s[pos + i]) != Upper(prefix[i])) return false;
    return true;
}

void AppendNumber(std::string& out, int64_t value, int minDigits) {
    const std::string digits = std::to_string(value);
    if (static_cast<int>(digits.size()) < minDigits) out.append(static_cast<size_t>(minDigits) - digits.size(), '0');
    out += digits;
}

std::string SpecialText(double v) {
    if (std::isnan(v)) return "NAN";
    return v < 0 ? "-INF" : "INF";
}

bool AllZeroDigits(std::string_view s) {
    return std::none_of(s.begin(), s.end(), [](char c) { return c >= '1' && c <= '9'; });
}

// ---- Exact decimal digits ---------------------------------------------------------------------

// A non-negative integer in base 10^9 limbs, least significant first.
class BigDecimal {
public:
    explicit BigDecimal(uint64_t v) {
        do {
            limbs_.push_back(static_cast<uint32_t>(v % kBase));
            v /= kBase;
        } while (v != 0);
    }
    void Multiply(uint32_t factor)  // factor < 2^31
    {
        uint64_t carry = 0;
        for (auto& limb : limbs_) {
            const uint64_t v = static_cast<uint64_t>(limb) * factor + carry;
            limb = static_cast<uint32_t>(v % kBase);
            carry = v / kBase;
        }
        while (carry != 0) {
            limbs_.push_back(static_cast<uint32_t>(carry % kBase));
            carry /= kBase;
        }
    }
    // Multiplies by base^count, base being 2 or 5.
    void MultiplyByPower(uint32_t base, int count) {
        const int step = base == 2 ? 30 : 13;  // 2^30 and 5^13 stay below 2^31
        while (count > 0) {
            const int n = std::min(count, step);
            uint32_t factor = 1;
            for (int i = 0; i < n; ++i) factor *= base;
            Multiply(factor);
            count -= n;
        }
    }
    std::string ToString() const {
        std::string s = std::to_string(limbs_.back());
        for (size_t i = limbs_.size() - 1; i-- > 0;) {
            const std::string part = std::to_string(limbs_[i]);
            s.append(9 - part.size(), '0');
            s += part;
        }
        return s;
    }

private:
    static constexpr uint32_t kBase = 1000000000;
    std::vector<uint32_t> limbs_;
};

// A non-negative decimal number: digits x 10^-scale, digits without leading zeros (or "0").
struct DecimalNumber {
    std::string digits;
    int scale = 0;
};

// The exact decimal expansion of mantissa x 2^exponent.
DecimalNumber ExactDecimal(uint64_t mantissa, int exponent) {
    DecimalNumber result;
    if (mantissa == 0) {
        result.digits.assign(1, '0');
        return result;
    }
    BigDecimal n(mantissa);
    if (exponent >= 0) {
        n.MultiplyByPower(2, exponent);
    } else {
        // m / 2^k == m * 5^k / 10^k
        n.MultiplyByPower(5, -exponent);
        result.scale = -exponent;
    }
    result.digits = n.ToString();
    return result;
}

// The exact value of a finite float or double, without its sign.
DecimalNumber ExactDecimal(float v) {
    const uint32_t bits = std::bit_cast<uint32_t>(v);
    const int biased = static_cast<int>((bits >> 23) & 0xFF);
    const uint32_t fraction = bits & 0x7FFFFF;
    if (biased == 0) return ExactDecimal(fraction, -149);
    return ExactDecimal(fraction | 0x800000u, biased - 150);
}

DecimalNumber ExactDecimal(double v) {
    const uint64_t bits = std::bit_cast<uint64_t>(v);
    const int biased = static_cast<int>((bits >> 52) & 0x7FF);
    const uint64_t fraction = bits & ((uint64_t{1} << 52) - 1);
    if (biased == 0) return ExactDecimal(fraction, -1074);
    return ExactDecimal(fraction | (uint64_t{1} << 52), biased - 1075);
}

// Drops the `drop` least significant digits, rounding a half (or more) away from zero.
void DropDigitsRoundingAway(DecimalNumber& n, int drop) {
    if (drop <= 0) return;
    const size_t len = n.digits.size();
    const size_t d = static_cast<size_t>(drop);
    const bool up = d <= len && n.digits[len - d] >= '5';
    n.digits.erase(len > d ? len - d : 0);
    n.scale -= drop;
    if (up) {
        size_t i = n.digits.size();
        while (i > 0 && n.digits[i - 1] == '9') n.digits[--i] = '0';
        if (i == 0) n.digits.insert(size_t{0}, 1, '1');
        else ++n.digits[i - 1];
    }
    if (n.digits.empty()) n.digits.assign(1, '0');
}

// Renders with exactly `decimals` decimals (the number must have scale <= decimals).
std::string RenderFixed(DecimalNumber n, int decimals, char separator) {
    if (n.scale < 0) {
        n.digits.append(static_cast<size_t>(-n.scale), '0');
        n.scale = 0;
    }
    n.digits.append(static_cast<size_t>(decimals - n.scale), '0');
    const size_t dec = static_cast<size_t>(decimals);
    if (n.digits.size() <= dec) n.digits.insert(0, dec + 1 - n.digits.size(), '0');
    std::string s = n.digits.substr(0, n.digits.size() - dec);
    // digits had no leading zeros, but "0" with a negative scale may have produced some
    const size_t firstNonZero = s.find_first_not_of('0');
    s.erase(0, std::min(firstNonZero, s.size() - 1));
    if (dec > 0) {
        s += separator;
        s += n.digits.substr(n.digits.size() - dec);
    }
    return s;
}

// ---- Decimal text scanning --------------------------------------------------------------------

struct ScannedNumber {
    bool negative = false;
    std::string digits;    // all mantissa digits, integer and fraction part, as written
    int64_t pointPos = 0;  // number of those digits before the decimal separator
    int64_t exponent = 0;  // the exponent part, saturated to +-1e9
};

// sign? digits [sep digits] ([eE] sign? digits)?, at least one mantissa digit; no blanks inside.
bool ScanNumber(std::string_view s, char separator, ScannedNumber& out) {
    size_t i = 0;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) {
        out.negative = s[i] == '-';
        ++i;
    }
    bool seenSeparator = false;
    for (; i < s.size(); ++i) {
        if (IsDigit(s[i])) {
            out.digits += s[i];
            if (!seenSeparator) ++out.pointPos;
        } else if (s[i] == separator && !seenSeparator) {
            seenSeparator = true;
        } else {
            break;
        }
    }
    if (out.digits.empty()) return false;
    if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
        ++i;
        bool negExp = false;
        if (i < s.size() && (s[i] == '+' || s[i] == '-')) {
            negExp = s[i] == '-';
            ++i;
        }
        if (i >= s.size()) return false;
        for (; i < s.size() && IsDigit(s[i]); ++i)
            out.exponent = std::min<int64_t>(out.exponent * 10 + (s[i] - '0'), 1000000000);
        if (negExp) out.exponent = -out.exponent;
    }
    return i == s.size();
}

// The scanned number in the C notation that std::from_chars reads.
std::string PlainText(const ScannedNumber& n) {
    std::string t = n.digits;
    t.insert(static_cast<size_t>(n.pointPos), 1, '.');
    t += 'e';
    t += std::to_string(n.exponent);
    return t;
}

template <typename T>
bool ConvertNearest(const std::string& text, const TRegionalSettings& settings, T& out) {
    ScannedNumber n;
    if (!ScanNumber(Trim(text), settings.decimalSeparator, n)) return false;
    const std::string plain = PlainText(n);
    T value{};
    const auto [ptr, ec] = std::from_chars(plain.data(), plain.data() + plain.size(), value);
    if (ptr != plain.data() + plain.size()) return false;
    if (ec == std::errc::result_out_of_range) {
        // Tell an underflow (becomes zero) from an overflow (refused) by the magnitude.
        const size_t first = n.digits.find_first_not_of('0');
        if (first == std::string::npos) value = 0;
        else if (n.pointPos - static_cast<int64_t>(first) + n.exponent <= 0) value = 0;
        else return false;
    } else if (ec != std::errc()) {
        return false;
    }
    out = n.negative ? -value : value;
    return true;
}

// ---- Date and time formatting -----------------------------------------------------------------

int WeekdayOfSerial(int64_t serialDay) {
    // The epoch, 30 December 1899, was a Saturday.
    return static_cast<int>(((serialDay + 6) % 7 + 7) % 7);
}

// Writes a date-time with the tokens of a format (the reading that the parser shares).
std::string RenderDateTime(const std::vector<TDateTimeToken>& tokens, const DateTimeParts& p,
                           const TRegionalSettings& settings) {
    std::string out;
    bool use12Hour = false;  // after an am/pm token every hour is on the 12-hour clock
    const bool midnight = p.hour == 0 && p.minute == 0 && p.second == 0 && p.msec == 0;
    for (size_t i = 0; i < tokens.size(); ++i) {
        const TDateTimeToken& token = tokens[i];
        switch (token.field) {
            case TDateTimeField::kLiteral: out += token.text; break;
            case TDateTimeField::kYear:
                if (token.width == 2) AppendNumber(out, p.year % 100, 2);
                else AppendNumber(out, p.year, 4);
                break;
            case TDateTimeField::kMonth: AppendNumber(out, p.month, token.width); break;
            case TDateTimeField::kMonthName: out += MonthName(p.month, token.width); break;
            case TDateTimeField::kDay: AppendNumber(out, p.day, token.width); break;
            case TDateTimeField::kDayName: out += DayName(WeekdayOfSerial(p.serialDay), token.width); break;
            case TDateTimeField::kHour: {
                int hour = p.hour;
                if (token.amPmFollows || use12Hour) {
                    if (hour == 0) hour = 12;
                    else if (hour > 12) hour -= 12;
                }
                AppendNumber(out, hour, token.width);
                break;
            }
            case TDateTimeField::kMinute: AppendNumber(out, p.minute, token.width); break;
            case TDateTimeField::kSecond: AppendNumber(out, p.second, token.width); break;
            case TDateTimeField::kMillisecond: AppendNumber(out, p.msec, token.width); break;
            case TDateTimeField::kAmPm: {
                const bool pm = p.hour >= 12;
                if (token.text.size() == 5)  // "am/pm" as the format spells it
                    out.append(token.text, pm ? 3 : 0, 2);
                else if (token.text.size() == 3)  // "a/p"
                    out += token.text[pm ? 2 : 0];
                else out += pm ? settings.timePMString : settings.timeAMString;
                use12Hour = true;
                break;
            }
            case TDateTimeField::kTimeOfDay:
                if (midnight) i = token.partEnd - 1;  // the time part is left out
                break;
        }
    }
    return out;
}

// ---- Date and time parsing --------------------------------------------------------------------

// The separator characters of a date or time format: everything outside quotes that is neither a
// letter, a digit nor a blank, and not part of an am/pm token.
std::string FormatSeparators(std::string_view fmt) {
    std::string seps;
    char quote = 0;
    for (size_t i = 0; i < fmt.size(); ++i) {
        const char c = fmt[i];
        if (quote != 0) {
            if (c == quote) quote = 0;
            continue;
        }
        if (c == '"' || c == '\'') {
            quote = c;
        } else if (StartsWithNoCase(fmt, i, "am/pm")) {
            i += 4;
        } else if (StartsWithNoCase(fmt, i, "a/p")) {
            i += 2;
        } else if (!IsAsciiLetter(c) && !IsDigit(c) && !IsBlank(c) && seps.find(c) == std::string::npos) {
            seps += c;
        }
    }
    return seps;
}

// The order of the day ('D'), month ('M') and year ('Y') fields in a date format, with the width
// of each field in a format without separators.
struct DateFieldOrder {
    std::array<char, 3> fields{};
    std::array<size_t, 3> compactWidths{};
};

DateFieldOrder DateOrderOf(std::string_view fmt) {
    DateFieldOrder order;
    size_t found = 0;
    char quote = 0;
    for (size_t i = 0; i < fmt.size() && found < 3;) {
        const char c = fmt[i];
        if (quote != 0) {
            if (c == quote) quote = 0;
            ++i;
            continue;
        }
        if (c == '"' || c == '\'') {
            quote = c;
            ++i;
            continue;
        }
        const char u = Upper(c);
        size_t count = 1;
        while (i + count < fmt.size() && Upper(fmt[i + count]) == u) ++count;
        if ((u == 'D' || u == 'M' || u == 'Y') &&
            std::find(order.fields.begin(), order.fields.begin() + found, u) == order.fields.begin() + found) {
            order.fields[found] = u;
            order.compactWidths[found] = (u == 'Y' && count > 2) ? 4 : 2;
            ++found;
        }
        i += count;
    }
    if (found < 3) {
        // An incomplete format: the first field found decides the customary order.
        const char first = found > 0 ? order.fields[0] : 'M';
        order.fields = first == 'D'   ? std::array<char, 3>{'D', 'M', 'Y'}
                       : first == 'Y' ? std::array<char, 3>{'Y', 'M', 'D'}
                                      : std::array<char, 3>{'M', 'D', 'Y'};
        for (size_t k = 0; k < 3; ++k) order.compactWidths[k] = order.fields[k] == 'Y' ? 4 : 2;
    }
    return order;
}

// Reads 1..maxDigits digits at pos.
bool ReadNumber(std::string_view s, size_t& pos, size_t maxDigits, int& value, size_t& digitCount) {
    value = 0;
    digitCount = 0;
    while (pos < s.size() && IsDigit(s[pos]) && digitCount < maxDigits) {
        value = value * 10 + (s[pos] - '0');
        ++pos;
        ++digitCount;
    }
    return digitCount > 0 && !(pos < s.size() && IsDigit(s[pos]));
}

bool ParseDateText(std::string_view s, const TRegionalSettings& settings, double& out) {
    const DateFieldOrder order = DateOrderOf(settings.shortDateFormat);
    const std::string seps = FormatSeparators(settings.shortDateFormat);
    std::array<int, 3> values{};
    std::array<size_t, 3> digitCounts{};
    if (seps.empty()) {
        size_t total = 0;
        for (size_t w : order.compactWidths) total += w;
        if (s.size() != total || !std::all_of(s.begin(), s.end(), IsDigit)) return false;
        size_t pos = 0;
        for (size_t k = 0; k < 3; ++k) {
            int v = 0;
            for (size_t j = 0; j < order.compactWidths[k]; ++j) v = v * 10 + (s[pos++] - '0');
            values[k] = v;
            digitCounts[k] = order.compactWidths[k];
        }
    } else {
        size_t pos = 0;
        for (size_t k = 0; k < 3; ++k) {
            if (k > 0) {
                if (pos >= s.size() || seps.find(s[pos]) == std::string::npos) return false;
                ++pos;
            }
            if (!ReadNumber(s, pos, 4, values[k], digitCounts[k])) return false;
        }
        if (pos != s.size()) return false;
    }
    int year = 0, month = 0, day = 0;
    for (size_t k = 0; k < 3; ++k) {
        if (order.fields[k] == 'D') {
            day = values[k];
        } else if (order.fields[k] == 'M') {
            month = values[k];
        } else {
            year = values[k];
            if (digitCounts[k] <= 2) year += year < 50 ? 2000 : 1900;
        }
    }
    if (!IsValidDate(year, month, day)) return false;
    out = static_cast<double>(SerialOfDate(year, month, day));
    return true;
}

bool ParseTimeText(std::string_view s, const TRegionalSettings& settings, double& out) {
    std::string seps = FormatSeparators(settings.longTimeFormat);
    if (seps.empty()) seps.assign(1, ':');
    size_t pos = 0;
    std::array<int, 3> parts{};
    size_t partCount = 0;
    for (; partCount < 3; ++partCount) {
        if (partCount > 0) {
            if (pos >= s.size() || seps.find(s[pos]) == std::string::npos) break;
            ++pos;
        }
        size_t digits = 0;
        if (!ReadNumber(s, pos, 2, parts[partCount], digits)) return false;
    }
    if (partCount < 2) return false;
    // Optional AM/PM text.
    std::string_view rest = Trim(s.substr(pos));
    int amPm = 0;  // 1 = AM, 2 = PM
    if (!rest.empty()) {
        auto matches = [&rest](const std::string& word) {
            return !word.empty() && word.size() == rest.size() && StartsWithNoCase(rest, 0, word);
        };
        if (matches(settings.timeAMString) || matches("AM")) amPm = 1;
        else if (matches(settings.timePMString) || matches("PM")) amPm = 2;
        else return false;
    }
    int hour = parts[0];
    if (amPm != 0) {
        if (hour > 12) return false;
        if (hour == 12) hour = 0;
        if (amPm == 2) hour += 12;
    }
    if (!IsValidTime(hour, parts[1], parts[2], 0)) return false;
    out = EncodeTime(hour, parts[1], parts[2], 0);
    return true;
}

}  // namespace

// ---- Date-time arithmetic ---------------------------------------------------------------------

bool IsLeapYear(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int DaysInMonth(int year, int month) {
    static constexpr std::array<int, 12> kDays = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (year < 1 || year > 9999 || month < 1 || month > 12) return 0;
    return kDays[static_cast<size_t>(month - 1)] + (month == 2 && IsLeapYear(year) ? 1 : 0);
}

bool IsValidDate(int year, int month, int day) { return day >= 1 && day <= DaysInMonth(year, month); }

bool IsValidTime(int hour, int minute, int second, int msec) {
    return hour >= 0 && hour < 24 && minute >= 0 && minute < 60 && second >= 0 && second < 60 && msec >= 0 &&
           msec < 1000;
}

double EncodeDate(int year, int month, int day) {
    if (!IsValidDate(year, month, day)) throw std::invalid_argument("invalid date");
    return static_cast<double>(SerialOfDate(year, month, day));
}

double EncodeTime(int hour, int minute, int second, int msec) {
    if (!IsValidTime(hour, minute, second, msec)) throw std::invalid_argument("invalid time");
    const int64_t ms = ((static_cast<int64_t>(hour) * 60 + minute) * 60 + second) * 1000 + msec;
    return static_cast<double>(ms) / static_cast<double>(kMsPerDay);
}

bool TryEncodeDateTime(int y, int mo, int d, int h, int mi, int s, int ms, double& out) {
    if (!IsValidDate(y, mo, d) || !IsValidTime(h, mi, s, ms)) return false;
    out = Combine(EncodeDate(y, mo, d), EncodeTime(h, mi, s, ms));
    return true;
}

void DecodeDateTime(double dt, int& y, int& mo, int& d, int& h, int& mi, int& s, int& ms) {
    const DateTimeParts p = Decode(dt);
    y = p.year;
    mo = p.month;
    d = p.day;
    h = p.hour;
    mi = p.minute;
    s = p.second;
    ms = p.msec;
}

int DayOfWeek(double dt) { return WeekdayOfSerial(Decode(dt).serialDay); }

// ---- Packed dates -----------------------------------------------------------------------------

uint32_t DateTimeToPacked(double dt) {
    DateTimeParts p;
    if (!TryDecode(dt, p) || p.year < 1980 || p.year > 2099) return 0;
    return static_cast<uint32_t>(p.year - 1980) << 25 | static_cast<uint32_t>(p.month) << 21 |
           static_cast<uint32_t>(p.day) << 16 | static_cast<uint32_t>(p.hour) << 11 |
           static_cast<uint32_t>(p.minute) << 5 | static_cast<uint32_t>(p.second / 2);
}

double PackedToDateTime(uint32_t packed) {
    if (packed == 0) return 0.0;
    const int year = static_cast<int>(packed >> 25) + 1980;
    const int month = static_cast<int>((packed >> 21) & 0x0F);
    const int day = static_cast<int>((packed >> 16) & 0x1F);
    const int hour = static_cast<int>((packed >> 11) & 0x1F);
    const int minute = static_cast<int>((packed >> 5) & 0x3F);
    const int second = static_cast<int>(packed & 0x1F) * 2;
    double dt = 0.0;
    if (!TryEncodeDateTime(year, month, day, hour, minute, second, 0, dt)) return 0.0;
    return dt;
}

// ---- Display texts ----------------------------------------------------------------------------

std::string FormatInteger(int64_t v) { return std::to_string(v); }

std::string FormatFloatFixed3(float v, const TRegionalSettings& settings) {
    if (!std::isfinite(v)) return SpecialText(v);
    DecimalNumber n = ExactDecimal(v);
    constexpr int kMaxSignificant = 20;
    constexpr int kDecimals = 3;
    const int significant = static_cast<int>(n.digits.size());
    if (significant > kMaxSignificant) DropDigitsRoundingAway(n, significant - kMaxSignificant);
    if (n.scale > kDecimals) DropDigitsRoundingAway(n, n.scale - kDecimals);
    std::string text = RenderFixed(n, kDecimals, settings.decimalSeparator);
    if (std::signbit(v) && !AllZeroDigits(text)) text.insert(0, 1, '-');
    return text;
}

std::string FormatCurrency(int64_t scaledBy10000, const TRegionalSettings& settings) {
    const bool negative = scaledBy10000 < 0;
    const uint64_t magnitude =
        negative ? 0 - static_cast<uint64_t>(scaledBy10000) : static_cast<uint64_t>(scaledBy10000);
    uint64_t units = magnitude / 10000;
    const uint64_t rest = magnitude % 10000;
    uint64_t thousandths = rest / 10;
    if (rest % 10 >= 5 && ++thousandths == 1000) {
        thousandths = 0;
        ++units;
    }
    std::string text;
    if (negative && (units != 0 || thousandths != 0)) text += '-';
    text += std::to_string(units);
    text += settings.decimalSeparator;
    AppendNumber(text, static_cast<int64_t>(thousandths), 3);
    return text;
}

std::string FormatGeneral(double v, int significantDigits, const TRegionalSettings& settings) {
    if (!std::isfinite(v)) return SpecialText(v);
    if (v == 0) return "0";
    const int precision = std::clamp(significantDigits, 1, 17);
    // The exact binary value, rounded to `precision` significant digits: an exact tie goes away
    // from zero (as the float and currency texts), not to even as printf would.
    DecimalNumber n = ExactDecimal(v);
    const int significant = static_cast<int>(n.digits.size());
    if (significant > precision) DropDigitsRoundingAway(n, significant - precision);
    // A carry (9.99...5 -> 10.0...) may have added a digit; the exponent follows the result.
    const int exponent = static_cast<int>(n.digits.size()) - 1 - n.scale;
    std::string digits = std::move(n.digits);
    while (digits.size() > 1 && digits.back() == '0') digits.pop_back();

    std::string text = v < 0 ? "-" : "";
    if (exponent < -4 || exponent >= precision) {
        text += digits[0];
        if (digits.size() > 1) {
            text += settings.decimalSeparator;
            text.append(digits, 1);
        }
        text += 'E';
        text += std::to_string(exponent);
    } else if (exponent < 0) {
        text += '0';
        text += settings.decimalSeparator;
        text.append(static_cast<size_t>(-exponent - 1), '0');
        text += digits;
    } else {
        const size_t intDigits = static_cast<size_t>(exponent) + 1;
        if (digits.size() <= intDigits) {
            text += digits;
            text.append(intDigits - digits.size(), '0');
        } else {
            text.append(digits, 0, intDigits);
            text += settings.decimalSeparator;
            text.append(digits, intDigits);
        }
    }
    return text;
}

std::string FormatDoubleGeneral(double v, const TRegionalSettings& settings) { return FormatGeneral(v, 15, settings); }

std::string FormatFixed(double v, int decimals, const TRegionalSettings& settings) {
    if (!std::isfinite(v)) return SpecialText(v);
    decimals = std::clamp(decimals, 0, 100);
    DecimalNumber n = ExactDecimal(v);
    if (n.scale > decimals) DropDigitsRoundingAway(n, n.scale - decimals);
    std::string text = RenderFixed(n, decimals, settings.decimalSeparator);
    if (std::signbit(v) && !AllZeroDigits(text)) text.insert(0, 1, '-');
    return text;
}

std::string FormatDateTime(const std::string& format, double dt, const TRegionalSettings& settings) {
    const DateTimeParts parts = Decode(dt);
    return RenderDateTime(DateTimeTokens(format, settings), parts, settings);
}

// ---- Parsing ----------------------------------------------------------------------------------

bool ParseInteger(const std::string& text, int64_t& out) {
    std::string_view s = Trim(text);
    bool negative = false;
    if (!s.empty() && (s.front() == '+' || s.front() == '-')) {
        negative = s.front() == '-';
        s.remove_prefix(1);
    }
    if (s.empty() || !std::all_of(s.begin(), s.end(), IsDigit)) return false;
    uint64_t magnitude = 0;
    const auto [ptr, ec] = std::from_chars(s.data(), s.data() + s.size(), magnitude);
    const uint64_t limit = negative ? uint64_t{1} << 63 : (uint64_t{1} << 63) - 1;
    if (ec != std::errc() || ptr != s.data() + s.size() || magnitude > limit) return false;
    out = negative ? static_cast<int64_t>(0 - magnitude) : static_cast<int64_t>(magnitude);
    return true;
}

bool ParseDouble(const std::string& text, const TRegionalSettings& settings, double& out) {
    const std::string_view s = Trim(text);
    for (const auto& [word, value] :
         {std::pair<std::string_view, double>{"NAN", std::numeric_limits<double>::quiet_NaN()},
          {"INF", std::numeric_limits<double>::infinity()},
          {"-INF", -std::numeric_limits<double>::infinity()}}) {
        if (s.size() == word.size() && StartsWithNoCase(s, 0, word)) {
            out = value;
            return true;
        }
    }
    if (ConvertNearest(text, settings, out)) return true;
    // The display of the largest double rounds up (1.79769313486232E308): up to that
    // text, a value just beyond the largest double stands for it, not for an overflow.
    long double wide = 0;
    constexpr long double kLargestShown = 1.79769313486232e308L;
    if (!ConvertNearest(text, settings, wide) || !(std::fabs(wide) <= kLargestShown)) return false;
    out = wide < 0 ? -std::numeric_limits<double>::max() : std::numeric_limits<double>::max();
    return true;
}

bool ParseSingle(const std::string& text, const TRegionalSettings& settings, float& out) {
    return ConvertNearest(text, settings, out);
}

bool ParseCurrency(const std::string& text, const TRegionalSettings& settings, int64_t& out) {
    ScannedNumber n;
    if (!ScanNumber(Trim(text), settings.decimalSeparator, n)) return false;
    const size_t first = n.digits.find_first_not_of('0');
    if (first == std::string::npos) {
        out = 0;
        return true;
    }
    const std::string_view digits = std::string_view(n.digits).substr(first);
    // Number of digits of the scaled value (x 10^4) in front of its decimal point.
    const int64_t intDigits = n.pointPos - static_cast<int64_t>(first) + n.exponent + 4;
    if (intDigits > 19) return false;  // at least 10^19
    const uint64_t limit = n.negative ? uint64_t{1} << 63 : (uint64_t{1} << 63) - 1;
    uint64_t value = 0;
    for (int64_t k = 0; k < intDigits; ++k) {
        const size_t idx = static_cast<size_t>(k);
        const uint64_t digit = idx < digits.size() ? static_cast<uint64_t>(digits[idx] - '0') : 0;
        if (value > (limit - digit) / 10) return false;
        value = value * 10 + digit;
    }
    // Round at the decimal point: a half goes to the even neighbour.
    if (intDigits >= 0 && static_cast<size_t>(intDigits) < digits.size()) {
        const size_t idx = static_cast<size_t>(intDigits);
        const char firstDropped = digits[idx];
        const bool moreAfter = digits.find_first_not_of('0', idx + 1) != std::string_view::npos;
        const bool up = firstDropped > '5' || (firstDropped == '5' && (moreAfter || value % 2 == 1));
        if (up) {
            if (value == limit) return false;
            ++value;
        }
    }
    out = n.negative ? static_cast<int64_t>(0 - value) : static_cast<int64_t>(value);
    return true;
}

// Each date-time reading first reads the text as the formatter writes it with the format, then
// in the looser way of ParseDateText / ParseTimeText (numbers in the order of the format, any of
// its separators, English AM/PM texts, a time without seconds).

bool ParseFormattedDateTime(const std::string& text, const std::string& format, const TRegionalSettings& settings,
                            double& out) {
    return ReadDateTimeTokens(Trim(text), DateTimeTokens(format, settings), settings, out);
}

bool ParseDate(const std::string& text, const TRegionalSettings& settings, double& out) {
    return ParseFormattedDateTime(text, settings.shortDateFormat, settings, out) ||
           ParseDateText(Trim(text), settings, out);
}

bool ParseTime(const std::string& text, const TRegionalSettings& settings, double& out) {
    return ParseFormattedDateTime(text, settings.longTimeFormat, settings, out) ||
           ParseTimeText(Trim(text), settings, out);
}

bool ParseDateTime(const std::string& text, const TRegionalSettings& settings, double& out) {
    if (ParseFormattedDateTime(text, "c", settings, out)) return true;
    const std::string_view s = Trim(text);
    const size_t blank = std::find_if(s.begin(), s.end(), IsBlank) - s.begin();
    double date = 0.0;
    if (!ParseDateText(s.substr(0, blank), settings, date)) return false;
    if (blank == s.size()) {
        out = date;
        return true;
    }
    double time = 0.0;
    if (!ParseTimeText(Trim(s.substr(blank)), settings, time)) return false;
    out = Combine(date, time);
    return true;
}

// ---- Settings for exports ---------------------------------------------------------------------

namespace {

// The format with every run of one or two y's (a two-digit year) made "yyyy"; quoted text as it is.
std::string WithFourDigitYears(std::string_view fmt) {
    std::string result;
    size_t i = 0;
    while (i < fmt.size()) {
        const char c = fmt[i];
        if (c == '"' || c == '\'') {
            const size_t close = fmt.find(c, i + 1);
            const size_t end = close == std::string_view::npos ? fmt.size() : close + 1;
            result.append(fmt.substr(i, end - i));
            i = end;
        } else if (Upper(c) == 'Y') {
            size_t count = 1;
            while (i + count < fmt.size() && Upper(fmt[i + count]) == 'Y') ++count;
            if (count <= 2) result += "yyyy";
            else result.append(fmt.substr(i, count));
            i += count;
        } else {
            result += c;
            ++i;
        }
    }
    return result;
}

}  // namespace

TRegionalSettings ExportRegionalSettings(const TRegionalSettings& settings) {
    TRegionalSettings result = settings;
    result.shortDateFormat = WithFourDigitYears(settings.shortDateFormat);
    result.longTimeFormat = WithFourDigitYears(settings.longTimeFormat);
    return result;
}

}  // namespace kelmor
