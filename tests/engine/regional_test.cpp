#include "engine/regional.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

namespace kelmor {
namespace {

// Two regional settings used throughout: an ISO-like one and a continental one.
TRegionalSettings Iso() {
    return TRegionalSettings{};  // '.', ',', yyyy-mm-dd, hh:nn:ss, AM/PM
}

TRegionalSettings Continental() {
    TRegionalSettings s;
    s.decimalSeparator = ',';
    s.thousandsSeparator = '.';
    s.shortDateFormat = "dd.mm.yyyy";
    s.longTimeFormat = "hh:nn:ss";
    s.timeAMString = "vm";
    s.timePMString = "nm";
    return s;
}

double DateTime(int y, int mo, int d, int h = 0, int mi = 0, int s = 0, int ms = 0) {
    double dt = 0;
    EXPECT_TRUE(TryEncodeDateTime(y, mo, d, h, mi, s, ms, dt)) << y << "-" << mo << "-" << d;
    return dt;
}

float FloatFromBits(uint32_t bits) {
    float f;
    static_assert(sizeof f == sizeof bits);
    std::memcpy(&f, &bits, sizeof f);
    return f;
}

// ---- Date-time arithmetic ---------------------------------------------------------------------

TEST(DateTimeEncoding, SerialNumbersOfKnownDates) {
    struct Case {
        int y, m, d;
        double serial;
    };
    const Case cases[] = {
        {1899, 12, 30, 0},       {1899, 12, 31, 1},    {1900, 1, 1, 2},     {1899, 12, 29, -1},
        {1980, 1, 1, 29221},     {2000, 1, 1, 36526},  {2024, 3, 5, 45356}, {1, 1, 1, -693593},
        {9999, 12, 31, 2958465}, {2000, 2, 29, 36585}, {1900, 3, 1, 61},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(EncodeDate(c.y, c.m, c.d), c.serial) << c.y << "-" << c.m << "-" << c.d;
        int y, m, d, h, mi, s, ms;
        DecodeDateTime(c.serial, y, m, d, h, mi, s, ms);
        EXPECT_EQ(y, c.y);
        EXPECT_EQ(m, c.m);
        EXPECT_EQ(d, c.d);
        EXPECT_EQ(h + mi + s + ms, 0);
    }
}

TEST(DateTimeEncoding, InvalidDatesAndTimesAreRefused) {
    struct Case {
        int y, m, d;
    };
    const Case badDates[] = {{2023, 2, 29}, {1900, 2, 29}, {2024, 2, 30}, {2024, 4, 31}, {2024, 0, 1},
                             {2024, 13, 1}, {2024, 1, 0},  {2024, 1, 32}, {0, 1, 1},     {10000, 1, 1}};
    for (const Case& c : badDates) {
        EXPECT_THROW(EncodeDate(c.y, c.m, c.d), std::invalid_argument) << c.y << "-" << c.m << "-" << c.d;
        double out = 123.0;
        EXPECT_FALSE(TryEncodeDateTime(c.y, c.m, c.d, 0, 0, 0, 0, out));
        EXPECT_EQ(out, 123.0);
    }
    EXPECT_NO_THROW(EncodeDate(2024, 2, 29));
    EXPECT_NO_THROW(EncodeDate(2000, 2, 29));

    EXPECT_THROW(EncodeTime(24, 0, 0, 0), std::invalid_argument);
    EXPECT_THROW(EncodeTime(0, 60, 0, 0), std::invalid_argument);
    EXPECT_THROW(EncodeTime(0, 0, 60, 0), std::invalid_argument);
    EXPECT_THROW(EncodeTime(0, 0, 0, 1000), std::invalid_argument);
    EXPECT_THROW(EncodeTime(-1, 0, 0, 0), std::invalid_argument);
    EXPECT_EQ(EncodeTime(12, 0, 0, 0), 0.5);
    EXPECT_EQ(EncodeTime(6, 0, 0, 0), 0.25);
}

TEST(DateTimeEncoding, NegativeValuesCarryTheTimeAsMagnitude) {
    EXPECT_EQ(DateTime(1899, 12, 29, 6), -1.25);
    EXPECT_EQ(DateTime(1899, 12, 28, 18), -2.75);
    EXPECT_EQ(DateTime(1899, 12, 30, 6), 0.25);

    int y, m, d, h, mi, s, ms;
    DecodeDateTime(-1.25, y, m, d, h, mi, s, ms);
    EXPECT_EQ((std::vector<int>{y, m, d, h, mi, s, ms}), (std::vector<int>{1899, 12, 29, 6, 0, 0, 0}));
    DecodeDateTime(-0.5, y, m, d, h, mi, s, ms);  // the epoch day itself, noon
    EXPECT_EQ((std::vector<int>{y, m, d, h, mi, s, ms}), (std::vector<int>{1899, 12, 30, 12, 0, 0, 0}));
}

TEST(DateTimeEncoding, DecodeRoundsToMillisecondsAndCarriesIntoTheNextDay) {
    int y, m, d, h, mi, s, ms;
    // 23:59:59 is not exact in binary; decoding must not lose the second.
    DecodeDateTime(DateTime(2024, 3, 5, 23, 59, 59), y, m, d, h, mi, s, ms);
    EXPECT_EQ((std::vector<int>{y, m, d, h, mi, s, ms}), (std::vector<int>{2024, 3, 5, 23, 59, 59, 0}));
    DecodeDateTime(DateTime(2024, 3, 5, 13, 14, 15, 999), y, m, d, h, mi, s, ms);
    EXPECT_EQ((std::vector<int>{h, mi, s, ms}), (std::vector<int>{13, 14, 15, 999}));
    // Less than half a millisecond before midnight is midnight of the next day.
    DecodeDateTime(EncodeDate(2024, 2, 29) + 1.0 - 0.2 / 86400000.0, y, m, d, h, mi, s, ms);
    EXPECT_EQ((std::vector<int>{y, m, d, h, mi, s, ms}), (std::vector<int>{2024, 3, 1, 0, 0, 0, 0}));
}

TEST(DateTimeEncoding, UndecodableValuesThrow) {
    int y, m, d, h, mi, s, ms;
    for (double bad : {std::nan(""), std::numeric_limits<double>::infinity(), 2958466.0, -693594.0, 1e300}) {
        EXPECT_THROW(DecodeDateTime(bad, y, m, d, h, mi, s, ms), std::invalid_argument) << bad;
    }
    EXPECT_THROW(FormatDateTime("c", std::nan(""), Iso()), std::invalid_argument);
}

TEST(DateTimeEncoding, DayOfWeek) {
    EXPECT_EQ(DayOfWeek(0.0), 6);                         // Saturday
    EXPECT_EQ(DayOfWeek(EncodeDate(2024, 3, 5)), 2);      // Tuesday
    EXPECT_EQ(DayOfWeek(EncodeDate(1899, 12, 24)), 0);    // Sunday, before the epoch
    EXPECT_EQ(DayOfWeek(DateTime(1899, 12, 29, 18)), 5);  // Friday, negative with a time
}

// ---- Packed dates -----------------------------------------------------------------------------

TEST(PackedDate, RangeEndsPackExactly) {
    EXPECT_EQ(DateTimeToPacked(EncodeDate(1980, 1, 1)), 0x00210000u);
    EXPECT_EQ(PackedToDateTime(0x00210000u), EncodeDate(1980, 1, 1));

    const double last = DateTime(2099, 12, 31, 23, 59, 58);
    EXPECT_EQ(DateTimeToPacked(last), 0xEF9FBF7Du);
    EXPECT_EQ(PackedToDateTime(0xEF9FBF7Du), last);
}

TEST(PackedDate, SecondsTruncateToTwoSecondSteps) {
    EXPECT_EQ(DateTimeToPacked(DateTime(2099, 12, 31, 23, 59, 59)), 0xEF9FBF7Du);
    EXPECT_EQ(DateTimeToPacked(DateTime(2024, 3, 5, 10, 20, 31, 999)),
              DateTimeToPacked(DateTime(2024, 3, 5, 10, 20, 30)));
    EXPECT_EQ(PackedToDateTime(DateTimeToPacked(DateTime(2024, 3, 5, 10, 20, 31, 999))),
              DateTime(2024, 3, 5, 10, 20, 30));
}

TEST(PackedDate, ValuesOutsideTheRangePackToZero) {
    const double outside[] = {DateTime(1979, 12, 31, 23, 59, 59),
                              DateTime(2100, 1, 1),
                              0.0,
                              -1.25,
                              EncodeDate(1, 1, 1),
                              std::nan(""),
                              std::numeric_limits<double>::infinity(),
                              -std::numeric_limits<double>::infinity(),
                              1e300};
    for (double dt : outside) EXPECT_EQ(DateTimeToPacked(dt), 0u) << dt;
}

TEST(PackedDate, InvalidPackedValuesReadAsZero) {
    auto pack = [](uint32_t y, uint32_t mo, uint32_t d, uint32_t h, uint32_t mi, uint32_t s2) {
        return (y - 1980) << 25 | mo << 21 | d << 16 | h << 11 | mi << 5 | s2;
    };
    const uint32_t invalid[] = {
        pack(2024, 13, 1, 0, 0, 0),
        pack(2024, 0, 1, 0, 0, 0),
        pack(2024, 1, 0, 0, 0, 0),
        pack(2024, 2, 30, 0, 0, 0),
        pack(2023, 2, 29, 0, 0, 0),
        pack(2024, 4, 31, 0, 0, 0),
        pack(2024, 1, 1, 24, 0, 0),
        pack(2024, 1, 1, 0, 60, 0),
        pack(2024, 1, 1, 0, 0, 30),
        pack(2024, 1, 1, 31, 63, 31),
        0x0000FFFFu,  // a time without any date
    };
    for (uint32_t p : invalid) EXPECT_EQ(PackedToDateTime(p), 0.0) << std::hex << p;
    EXPECT_EQ(PackedToDateTime(0), 0.0);
    EXPECT_EQ(PackedToDateTime(pack(2024, 2, 29, 23, 59, 29)), DateTime(2024, 2, 29, 23, 59, 58));
    // The seven year bits reach 2107; such a value is a valid date and reads as one.
    EXPECT_EQ(PackedToDateTime(pack(2107, 12, 31, 0, 0, 0)), EncodeDate(2107, 12, 31));
}

TEST(PackedDate, EveryTwoSecondStepOfADayAndEveryMonthRoundTrips) {
    for (uint32_t h = 0; h < 24; ++h)
        for (uint32_t mi = 0; mi < 60; ++mi)
            for (uint32_t s2 = 0; s2 < 30; ++s2) {
                const uint32_t p = (2099u - 1980u) << 25 | 12u << 21 | 31u << 16 | h << 11 | mi << 5 | s2;
                ASSERT_EQ(DateTimeToPacked(PackedToDateTime(p)), p) << h << ":" << mi << ":" << s2 * 2;
            }
    for (int y = 1980; y <= 2099; ++y)
        for (int m = 1; m <= 12; ++m) {
            const double dt = DateTime(y, m, DaysInMonth(y, m), 12, 34, 56);
            ASSERT_EQ(PackedToDateTime(DateTimeToPacked(dt)), dt) << y << "-" << m;
        }
}

// ---- Display texts ----------------------------------------------------------------------------

TEST(IntegerText, Decimal) {
    EXPECT_EQ(FormatInteger(-12), "-12");
    EXPECT_EQ(FormatInteger(0), "0");
    EXPECT_EQ(FormatInteger(std::numeric_limits<int64_t>::min()), "-9223372036854775808");
    EXPECT_EQ(FormatInteger(std::numeric_limits<int64_t>::max()), "9223372036854775807");
}

TEST(FloatText, ExactValueRoundedToThreeDecimals) {
    struct Case {
        float v;
        const char* text;
    };
    const Case cases[] = {
        {0.0f, "0.000"},
        {1.0f, "1.000"},
        {-2.5f, "-2.500"},
        {0.1f, "0.100"},
        {123.456f, "123.456"},    // 123.45600128173828125
        {0.0005f, "0.001"},       // 0.0005000000237487256526947021484375: above the tie
        {1.0005f, "1.000"},       // 1.0004999637603759765625: below it
        {0.0025f, "0.002"},       // 0.0024999999441206455230712890625
        {9.9995f, "10.000"},      // 9.999500274658203125, carries through the integer
        {99.9995f, "99.999"},     // 99.9994964599609375
        {999.9995f, "1000.000"},  // 999.99951171875
        {0.3125f, "0.313"},       // exact tie: away from zero, not to even
        {1.0625f, "1.063"},
        {-0.3125f, "-0.313"},
        {8388607.5f, "8388607.500"},
        {16777216.0f, "16777216.000"},
        {-0.0004999f, "0.000"},  // rounds to zero: no minus sign
        {-0.0005f, "-0.001"},
        {-0.0f, "0.000"},
        {std::numeric_limits<float>::denorm_min(), "0.000"},
    };
    for (const Case& c : cases) EXPECT_EQ(FormatFloatFixed3(c.v, Iso()), c.text) << c.v;
}

TEST(FloatText, LargeValuesRoundToTwentySignificantDigitsFirst) {
    EXPECT_EQ(FormatFloatFixed3(std::numeric_limits<float>::max(), Iso()),
              "340282346638528859810000000000000000000.000");
    EXPECT_EQ(FormatFloatFixed3(-std::numeric_limits<float>::max(), Iso()),
              "-340282346638528859810000000000000000000.000");
    // 1e20f is 100000002004087734272: the 21st digit rounds down.
    EXPECT_EQ(FormatFloatFixed3(1e20f, Iso()), "100000002004087734270.000");
    // 2^100 = 1267650600228229401496703205376: the 21st digit (9) rounds up.
    EXPECT_EQ(FormatFloatFixed3(std::ldexp(1.0f, 100), Iso()), "1267650600228229401500000000000.000");
    // 2^64 = 18446744073709551616 has exactly 20 digits and is shown in full.
    EXPECT_EQ(FormatFloatFixed3(std::ldexp(1.0f, 64), Iso()), "18446744073709551616.000");
}

TEST(FloatText, SpecialValuesAndSeparator) {
    EXPECT_EQ(FormatFloatFixed3(std::numeric_limits<float>::quiet_NaN(), Iso()), "NAN");
    EXPECT_EQ(FormatFloatFixed3(FloatFromBits(0xFFC00001u), Iso()), "NAN");  // negative NaN
    EXPECT_EQ(FormatFloatFixed3(std::numeric_limits<float>::infinity(), Iso()), "INF");
    EXPECT_EQ(FormatFloatFixed3(-std::numeric_limits<float>::infinity(), Iso()), "-INF");
    EXPECT_EQ(FormatFloatFixed3(-1234.5f, Continental()), "-1234,500");
    EXPECT_EQ(FormatFloatFixed3(0.3125f, Continental()), "0,313");
}

TEST(CurrencyText, ExactRoundingOfTheFourthDecimal) {
    struct Case {
        int64_t scaled;
        const char* iso;
        const char* continental;
    };
    const Case cases[] = {
        {0, "0.000", "0,000"},
        {15000, "1.500", "1,500"},
        {12345, "1.235", "1,235"},  // a fourth decimal of 5 rounds away from zero
        {-12345, "-1.235", "-1,235"},
        {12344, "1.234", "1,234"},
        {9995, "1.000", "1,000"},  // carries into the units
        {-9995, "-1.000", "-1,000"},
        {-4, "0.000", "0,000"},  // rounds to zero: no minus sign
        {-5, "-0.001", "-0,001"},
        {std::numeric_limits<int64_t>::max(), "922337203685477.581", "922337203685477,581"},
        {std::numeric_limits<int64_t>::min(), "-922337203685477.581", "-922337203685477,581"},
        {std::numeric_limits<int64_t>::min() + 4, "-922337203685477.580", "-922337203685477,580"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(FormatCurrency(c.scaled, Iso()), c.iso) << c.scaled;
        EXPECT_EQ(FormatCurrency(c.scaled, Continental()), c.continental) << c.scaled;
    }
}

TEST(DoubleText, GeneralNotationWithFifteenDigits) {
    struct Case {
        double v;
        const char* text;
    };
    const Case cases[] = {
        {0.0, "0"},
        {-0.0, "0"},
        {1.0, "1"},
        {-1.5, "-1.5"},
        {100000000000000.0, "100000000000000"},
        {999999999999999.0, "999999999999999"},
        {1e15, "1E15"},
        {9999999999999999.0, "1E16"},  // rounds to 1E16
        {999999999999999.9, "1E15"},   // the exponent of the rounded value decides
        {1e20, "1E20"},
        {123456789012345678.0, "1.23456789012346E17"},
        {0.0001, "0.0001"},
        {0.00012345, "0.00012345"},
        {0.00001, "1E-5"},
        {0.000099999999999999999, "0.0001"},
        {1.5e-7, "1.5E-7"},
        {-1.5e-7, "-1.5E-7"},
        {1.0 / 3.0, "0.333333333333333"},
        {2.0 / 3.0, "0.666666666666667"},
        {0.1 + 0.2, "0.3"},
        {123.456, "123.456"},
        {std::numeric_limits<double>::max(), "1.79769313486232E308"},
        {std::numeric_limits<double>::denorm_min(), "4.94065645841247E-324"},
        {std::nan(""), "NAN"},
        {std::numeric_limits<double>::infinity(), "INF"},
        {-std::numeric_limits<double>::infinity(), "-INF"},
    };
    for (const Case& c : cases) EXPECT_EQ(FormatDoubleGeneral(c.v, Iso()), c.text) << c.v;
    EXPECT_EQ(FormatDoubleGeneral(1.0 / 3.0, Continental()), "0,333333333333333");
    EXPECT_EQ(FormatDoubleGeneral(-1.5e-7, Continental()), "-1,5E-7");
}

// An exact tie at the 16th significant digit (the binary value itself ends in that 5) rounds
// away from zero, as the float and currency texts do; printf's round-half-even would keep the even
// digit. A decimal text that only looks like a tie is a nearby binary value: it rounds to nearest.
TEST(DoubleText, ExactTieAtFifteenDigitsRoundsAwayFromZero) {
    struct Case {
        double v;
        const char* text;
    };
    const Case cases[] = {
        {1000000000000005.0, "1.00000000000001E15"},  // exactly ...005: not to even (1E15)
        {-1000000000000005.0, "-1.00000000000001E15"},
        {1000000000000025.0, "1.00000000000003E15"},  // not ...02
        {1000000000000015.0, "1.00000000000002E15"},  // odd 15th digit: both rules agree
        {123456789012344.5, "123456789012345"},       // a half in fixed notation
        {-123456789012344.5, "-123456789012345"},
        {999999999999999.5, "1E15"},                       // the carry raises the exponent
        {0.000002384185791015625, "2.38418579101563E-6"},  // exactly 10 x 2^-22: not ...62E-6
        {-0.00001239776611328125, "-1.23977661132813E-5"},
        {0.1000000000000005, "0.100000000000001"},  // binary value 0.10000000000000050515...
        {0.3000000000000005, "0.3"},                // binary value 0.30000000000000048849...
    };
    for (const Case& c : cases) EXPECT_EQ(FormatDoubleGeneral(c.v, Iso()), c.text) << c.text;
    EXPECT_EQ(FormatDoubleGeneral(123456789012344.5, Continental()), "123456789012345");
    EXPECT_EQ(FormatDoubleGeneral(-0.000002384185791015625, Continental()), "-2,38418579101563E-6");
    // The same rule at other precisions: 2.5 and 0.125 are exact.
    EXPECT_EQ(FormatGeneral(2.5, 1, Iso()), "3");
    EXPECT_EQ(FormatGeneral(-0.125, 2, Iso()), "-0.13");
}

TEST(DoubleText, OtherPrecisions) {
    EXPECT_EQ(FormatGeneral(16777217.0, 9, Iso()), "16777217");
    EXPECT_EQ(FormatGeneral(123456789.0, 9, Iso()), "123456789");
    EXPECT_EQ(FormatGeneral(1234567890.0, 9, Iso()), "1.23456789E9");
    EXPECT_EQ(FormatGeneral(0.1f, 9, Iso()), "0.100000001");
    EXPECT_EQ(FormatGeneral(0.1, 17, Iso()), "0.10000000000000001");
}

TEST(DoubleText, FixedNotation) {
    struct Case {
        double v;
        int decimals;
        const char* text;
    };
    const Case cases[] = {
        {2.5, 0, "3"},  // exact tie: away from zero
        {-2.5, 0, "-3"},
        {0.125, 2, "0.13"},
        {1.005, 2, "1.00"},  // 1.00499999999999989...
        {0.1, 20, "0.10000000000000000555"},
        {1e22, 0, "10000000000000000000000"},
        {1234567.891, 2, "1234567.89"},  // no thousands separators
        {-0.001, 2, "0.00"},
        {-0.0, 1, "0.0"},
        {7.0, -3, "7"},
    };
    for (const Case& c : cases) EXPECT_EQ(FormatFixed(c.v, c.decimals, Iso()), c.text) << c.v << " / " << c.decimals;
    EXPECT_EQ(FormatFixed(1234567.891, 2, Continental()), "1234567,89");
    EXPECT_EQ(FormatFixed(-std::numeric_limits<double>::infinity(), 2, Iso()), "-INF");
}

// ---- Date-time formatting ---------------------------------------------------------------------

TEST(DateTimeText, Tokens) {
    const double dt = DateTime(2024, 3, 5, 14, 7, 9, 45);  // a Tuesday afternoon
    struct Case {
        const char* format;
        const char* text;
    };
    const Case cases[] = {
        {"yyyymmdd", "20240305"},
        {"YYYY-MM-DD", "2024-03-05"},
        {"d/m/yy", "5/3/24"},
        {"y", "24"},
        {"ddd dddd", "Tue Tuesday"},
        {"mmm mmmm", "Mar March"},
        {"ddddd", "2024-03-05"},
        {"h:mm", "14:07"},  // m after h means minutes
        {"hh mm", "14 07"},
        {"hh:nn mm", "14:07 03"},  // ... but not after another token
        {"hh:nn:ss.zzz", "14:07:09.045"},
        {"s.z", "9.45"},
        {"h:nn am/pm", "2:07 pm"},
        {"h:nn AM/PM", "2:07 PM"},
        {"h:nn Am/pM", "2:07 pM"},
        {"hh:nn a/p", "02:07 p"},
        {"h:nn ampm", "2:07 PM"},
        {"h 'h' \"mm\" nn", "14 h mm 07"},
        {"'unterminated yyyy", "unterminated yyyy"},
        {"yyyy#@!", "2024#@!"},
    };
    for (const Case& c : cases) EXPECT_EQ(FormatDateTime(c.format, dt, Iso()), c.text) << c.format;
}

TEST(DateTimeText, TwelveHourClock) {
    struct Case {
        int hour;
        const char* text;
    };
    const Case cases[] = {{0, "12:00 AM"},  {1, "1:00 AM"},  {11, "11:00 AM"},
                          {12, "12:00 PM"}, {13, "1:00 PM"}, {23, "11:00 PM"}};
    for (const Case& c : cases)
        EXPECT_EQ(FormatDateTime("h:nn AM/PM", DateTime(2024, 1, 1, c.hour), Iso()), c.text) << c.hour;
    EXPECT_EQ(FormatDateTime("h:nn ampm", DateTime(2024, 1, 1, 15), Continental()), "3:00 nm");
    // Quoted text does not switch the clock.
    EXPECT_EQ(FormatDateTime("h \"am/pm\"", DateTime(2024, 1, 1, 15), Iso()), "15 am/pm");
}

TEST(DateTimeText, DefaultFormatOmitsMidnight) {
    EXPECT_EQ(FormatDateTime("c", DateTime(2024, 3, 5, 14, 7, 9), Iso()), "2024-03-05 14:07:09");
    EXPECT_EQ(FormatDateTime("c", DateTime(2024, 3, 5, 14, 7, 9), Continental()), "05.03.2024 14:07:09");
    EXPECT_EQ(FormatDateTime("c", EncodeDate(2024, 3, 5), Iso()), "2024-03-05");
    EXPECT_EQ(FormatDateTime("c", EncodeDate(2024, 3, 5), Continental()), "05.03.2024");
    EXPECT_EQ(FormatDateTime("c", DateTime(2024, 3, 5, 0, 0, 0, 1), Iso()), "2024-03-05 00:00:00");
    EXPECT_EQ(FormatDateTime("c", 0.0, Iso()), "1899-12-30");
    EXPECT_EQ(FormatDateTime("c", -1.25, Iso()), "1899-12-29 06:00:00");
    EXPECT_EQ(FormatDateTime("yyyy", EncodeDate(33, 7, 1), Iso()), "0033");
}

TEST(DateTimeText, SelfReferringSettingsFormatsTerminate) {
    TRegionalSettings s;
    s.shortDateFormat = "c";
    s.longTimeFormat = "ddddd";
    EXPECT_NO_THROW(FormatDateTime("c", DateTime(2024, 3, 5, 1), s));
}

// ---- Parsing numbers --------------------------------------------------------------------------

TEST(ParseIntegerText, AcceptsSignedDecimalsInRange) {
    struct Case {
        const char* text;
        int64_t value;
    };
    const Case good[] = {{"12", 12},
                         {" -12 ", -12},
                         {"+5", 5},
                         {"\t007\t", 7},
                         {"-0", 0},
                         {"9223372036854775807", std::numeric_limits<int64_t>::max()},
                         {"-9223372036854775808", std::numeric_limits<int64_t>::min()}};
    for (const Case& c : good) {
        int64_t v = 0;
        EXPECT_TRUE(ParseInteger(c.text, v)) << c.text;
        EXPECT_EQ(v, c.value) << c.text;
    }
    const char* bad[] = {"",
                         " ",
                         "-",
                         "+",
                         "--5",
                         "+-5",
                         "-+5",
                         "1.0",
                         "12a",
                         "1 2",
                         "0x10",
                         "1e3",
                         "9223372036854775808",
                         "-9223372036854775809",
                         "99999999999999999999"};
    for (const char* text : bad) {
        int64_t v = 77;
        EXPECT_FALSE(ParseInteger(text, v)) << text;
        EXPECT_EQ(v, 77) << text;
    }
}

TEST(ParseDoubleText, SyntaxInBothSettings) {
    struct Case {
        const char* text;
        double value;
    };
    const Case isoGood[] = {{"1.5", 1.5},
                            {" -2.5e3 ", -2500},
                            {"1e-5", 1e-5},
                            {".5", 0.5},
                            {"5.", 5.0},
                            {"+7", 7.0},
                            {"1E+2", 100},
                            {"0.1", 0.1},
                            {"1e-400", 0.0},
                            {"-1e-400", -0.0},
                            {"0e999999999999", 0.0},
                            {"9007199254740993", 9007199254740992.0},  // a tie: to even
                            {"2.2250738585072011e-308", 2.2250738585072009e-308}};
    for (const Case& c : isoGood) {
        double v = 0;
        EXPECT_TRUE(ParseDouble(c.text, Iso(), v)) << c.text;
        EXPECT_EQ(v, c.value) << c.text;
        EXPECT_EQ(std::signbit(v), std::signbit(c.value)) << c.text;
    }
    double v = 0;
    EXPECT_TRUE(ParseDouble("-1,25E2", Continental(), v));
    EXPECT_EQ(v, -125.0);

    const char* isoBad[] = {"",        "-",    ".",     "e5",     "1e",   "1e+", "1.2.3", "1 2",     "1,5",
                            "1,000.5", "0x10", "1e400", "-1e400", "1.5f", "--1", "1e5.5", "INFINITY"};
    for (const char* text : isoBad) {
        double out = 42;
        EXPECT_FALSE(ParseDouble(text, Iso(), out)) << text;
        EXPECT_EQ(out, 42) << text;
    }
    EXPECT_FALSE(ParseDouble("1.5", Continental(), v));
}

TEST(ParseDoubleText, ReadsBackItsOwnSpecialTexts) {
    double v = 0;
    // the largest doubles display rounded up, beyond the largest double
    for (const double largest : {std::numeric_limits<double>::max(), -std::numeric_limits<double>::max()}) {
        const std::string shown = FormatDoubleGeneral(largest, Continental());
        ASSERT_TRUE(ParseDouble(shown, Continental(), v)) << shown;
        EXPECT_EQ(v, largest) << shown;
    }
    EXPECT_FALSE(ParseDouble("1.79769313486233E308", Iso(), v));
    ASSERT_TRUE(ParseDouble(" nan ", Iso(), v));
    EXPECT_TRUE(std::isnan(v));
    ASSERT_TRUE(ParseDouble("INF", Iso(), v));
    EXPECT_EQ(v, std::numeric_limits<double>::infinity());
    ASSERT_TRUE(ParseDouble("-INF", Continental(), v));
    EXPECT_EQ(v, -std::numeric_limits<double>::infinity());
}

TEST(ParseDoubleText, SeventeenDigitTextsRoundTripExactly) {
    std::mt19937_64 rng(20240305);
    for (int i = 0; i < 2000; ++i) {
        double original;
        do {
            const uint64_t bits = rng();
            std::memcpy(&original, &bits, sizeof original);
        } while (!std::isfinite(original));
        for (const TRegionalSettings& s : {Iso(), Continental()}) {
            const std::string text = FormatGeneral(original, 17, s);
            double back = 0;
            ASSERT_TRUE(ParseDouble(text, s, back)) << text;
            ASSERT_EQ(back, original) << text;
        }
    }
}

TEST(ParseSingleText, NearestSingleWithoutDoubleRounding) {
    float f = 0;
    ASSERT_TRUE(ParseSingle("0,1", Continental(), f));
    EXPECT_EQ(f, 0.1f);
    ASSERT_TRUE(ParseSingle("16777217", Iso(), f));  // a tie: to even
    EXPECT_EQ(f, 16777216.0f);
    // Just above the midpoint between 1 and the next single; via a double it would become a tie
    // and round down to 1.
    ASSERT_TRUE(ParseSingle("1.0000000596046447753906250001", Iso(), f));
    EXPECT_EQ(f, std::nextafter(1.0f, 2.0f));
    ASSERT_TRUE(ParseSingle("1e-50", Iso(), f));
    EXPECT_EQ(f, 0.0f);
    EXPECT_FALSE(ParseSingle("3.5e38", Iso(), f));
    EXPECT_FALSE(ParseSingle("NAN", Iso(), f));
}

TEST(ParseCurrencyText, ExactHalfToEven) {
    constexpr int64_t kMax = std::numeric_limits<int64_t>::max();
    constexpr int64_t kMin = std::numeric_limits<int64_t>::min();
    struct Case {
        const char* text;
        int64_t value;
    };
    const Case good[] = {
        {"1.5", 15000},
        {"0.00005", 0},  // 0.5 units: to even (0)
        {"0.00015", 2},  // 1.5: up to 2 (in binary 1.4999999999999998)
        {"0.00025", 2},  // 2.5: down to 2
        {"0.00035", 4},
        {"-0.00015", -2},
        {"-0.00025", -2},
        {"0.000051", 1},  // above the half
        {"0.000049999999999999999999", 0},
        {"1.23456789", 12346},
        {" 12 ", 120000},
        {"+3", 30000},
        {"-0", 0},
        {"1e3", 10000000},
        {"1.5e-4", 2},
        {"25E-5", 2},
        {"1e-30", 0},
        {"0e99999999999999", 0},
        {"922337203685477.5807", kMax},
        {"922337203685477.58074999", kMax},
        {"-922337203685477.5808", kMin},
        {"-922337203685477.58084", kMin},
        {"922337203685477.58065", kMax - 1},  // a tie: stays on the even value
        {"0000000000000000000000000001", 10000},
    };
    for (const Case& c : good) {
        int64_t v = 0;
        EXPECT_TRUE(ParseCurrency(c.text, Iso(), v)) << c.text;
        EXPECT_EQ(v, c.value) << c.text;
    }
    int64_t v = 0;
    ASSERT_TRUE(ParseCurrency("-1234,56785", Continental(), v));
    EXPECT_EQ(v, -12345678);  // 12345678.5: to even

    const char* bad[] = {"",
                         "-",
                         "abc",
                         "1.2.3",
                         "1,000",
                         "1e",
                         "922337203685477.5808",
                         "922337203685477.58075",  // a tie that would round up out of range
                         "-922337203685477.5809",
                         "12345678901234567890",
                         "1e100000000000",
                         "1e16",
                         "NAN",
                         "INF"};
    for (const char* text : bad) {
        int64_t out = 99;
        EXPECT_FALSE(ParseCurrency(text, Iso(), out)) << text;
        EXPECT_EQ(out, 99) << text;
    }
    EXPECT_FALSE(ParseCurrency("1.5", Continental(), v));
}

// ---- Parsing dates and times ------------------------------------------------------------------

TEST(ParseDateText, FieldOrderOfTheShortDateFormat) {
    TRegionalSettings us = Iso();
    us.shortDateFormat = "m/d/yyyy";
    TRegionalSettings compact = Iso();
    compact.shortDateFormat = "yyyymmdd";
    struct Case {
        const TRegionalSettings settings;
        const char* text;
        int y, m, d;
    };
    const Case cases[] = {
        {Iso(), "2024-03-05", 2024, 3, 5},     {Iso(), " 2024-3-5 ", 2024, 3, 5},
        {Iso(), "24-3-5", 2024, 3, 5},  // two-digit years: 2000 + yy below 50
        {Iso(), "49-1-1", 2049, 1, 1},         {Iso(), "50-1-1", 1950, 1, 1},
        {Iso(), "99-12-31", 1999, 12, 31},     {Iso(), "0033-07-01", 33, 7, 1},  // four digits are taken as written
        {Iso(), "1899-12-29", 1899, 12, 29},   {Continental(), "05.03.2024", 2024, 3, 5},
        {Continental(), "5.3.24", 2024, 3, 5}, {Continental(), "29.02.2000", 2000, 2, 29},
        {us, "3/5/2024", 2024, 3, 5},          {us, "12/31/99", 1999, 12, 31},
        {compact, "20240305", 2024, 3, 5},
    };
    for (const Case& c : cases) {
        double v = 0;
        EXPECT_TRUE(ParseDate(c.text, c.settings, v)) << c.text;
        EXPECT_EQ(v, EncodeDate(c.y, c.m, c.d)) << c.text;
    }
}

TEST(ParseDateText, RefusesBadDates) {
    TRegionalSettings compact = Iso();
    compact.shortDateFormat = "yyyymmdd";
    struct Case {
        const TRegionalSettings settings;
        const char* text;
    };
    const Case cases[] = {
        {Iso(), ""},
        {Iso(), "2024-02-30"},
        {Iso(), "2023-02-29"},
        {Iso(), "2024-13-01"},
        {Iso(), "2024-00-10"},
        {Iso(), "2024-03-00"},
        {Iso(), "2024-03"},
        {Iso(), "2024-03-05-01"},
        {Iso(), "2024/03/05"},
        {Iso(), "2024-03-05x"},
        {Iso(), "20240305"},
        {Iso(), "abc"},
        {Iso(), "2024--03-05"},
        {Iso(), "12024-03-05"},
        {Iso(), "0000-01-01"},
        {Iso(), "2024-03-05 12:00"},
        {Continental(), "2024-03-05"},
        {Continental(), "31.04.2024"},
        {compact, "2024035"},
        {compact, "202403051"},
        {compact, "2024-03-05"},
        {compact, "20241305"},
    };
    for (const Case& c : cases) {
        double v = 5;
        EXPECT_FALSE(ParseDate(c.text, c.settings, v)) << c.text;
        EXPECT_EQ(v, 5) << c.text;
    }
}

TEST(ParseTimeText, HoursMinutesSecondsAndAmPm) {
    struct Case {
        const TRegionalSettings settings;
        const char* text;
        int h, mi, s;
    };
    const Case cases[] = {
        {Iso(), "14:07", 14, 7, 0},
        {Iso(), "14:07:09", 14, 7, 9},
        {Iso(), " 0:0:0 ", 0, 0, 0},
        {Iso(), "23:59:59", 23, 59, 59},
        {Iso(), "2:07 PM", 14, 7, 0},
        {Iso(), "2:07:09 pm", 14, 7, 9},
        {Iso(), "2:07pm", 14, 7, 0},
        {Iso(), "12:00 AM", 0, 0, 0},
        {Iso(), "12:30 PM", 12, 30, 0},
        {Iso(), "0:15 am", 0, 15, 0},
        {Continental(), "2:07 nm", 14, 7, 0},
        {Continental(), "2:07 PM", 14, 7, 0},  // the English texts are always understood
        {Continental(), "11:00 VM", 11, 0, 0},
    };
    for (const Case& c : cases) {
        double v = -1;
        EXPECT_TRUE(ParseTime(c.text, c.settings, v)) << c.text;
        EXPECT_EQ(v, EncodeTime(c.h, c.mi, c.s, 0)) << c.text;
    }
    const char* bad[] = {"",         "14",    "24:00",       "12:60",  "12:00:60", "13:00 PM", "14:07:09:01",
                         "14:07 XM", "14-07", "14:07 PM PM", "123:00", ":30",      "14:",      "a:b"};
    for (const char* text : bad) {
        double v = -1;
        EXPECT_FALSE(ParseTime(text, Iso(), v)) << text;
        EXPECT_EQ(v, -1) << text;
    }
}

TEST(ParseTimeText, SeparatorOfTheLongTimeFormat) {
    TRegionalSettings dotted = Continental();
    dotted.longTimeFormat = "hh.nn.ss";
    double v = 0;
    ASSERT_TRUE(ParseTime("14.07.09", dotted, v));
    EXPECT_EQ(v, EncodeTime(14, 7, 9, 0));
    EXPECT_FALSE(ParseTime("14:07:09", dotted, v));

    TRegionalSettings twelve = Iso();
    twelve.longTimeFormat = "h:nn:ss am/pm";  // the '/' of am/pm is no separator
    EXPECT_FALSE(ParseTime("2/07/09", twelve, v));
    ASSERT_TRUE(ParseTime("2:07:09 pm", twelve, v));
    EXPECT_EQ(v, EncodeTime(14, 7, 9, 0));
}

TEST(ParseDateTimeText, DateWithOptionalTime) {
    double v = 0;
    ASSERT_TRUE(ParseDateTime("2024-03-05 14:07:09", Iso(), v));
    EXPECT_EQ(v, DateTime(2024, 3, 5, 14, 7, 9));
    ASSERT_TRUE(ParseDateTime("  2024-03-05  ", Iso(), v));
    EXPECT_EQ(v, EncodeDate(2024, 3, 5));
    ASSERT_TRUE(ParseDateTime("05.03.2024   2:07 nm", Continental(), v));
    EXPECT_EQ(v, DateTime(2024, 3, 5, 14, 7));
    ASSERT_TRUE(ParseDateTime("1899-12-29 06:00", Iso(), v));
    EXPECT_EQ(v, -1.25);

    const char* bad[] = {"",
                         "14:07:09",
                         "2024-03-05 25:00",
                         "2024-03-05 14:07 junk",
                         "2024-03-05T14:07",
                         "2024-02-30 10:00",
                         "x 2024-03-05"};
    for (const char* text : bad) {
        double out = 9;
        EXPECT_FALSE(ParseDateTime(text, Iso(), out)) << text;
        EXPECT_EQ(out, 9) << text;
    }
}

TEST(ParseDateTimeText, DisplayTextsRoundTrip) {
    TRegionalSettings twelve = Continental();
    twelve.shortDateFormat = "d/m/yyyy";
    twelve.longTimeFormat = "h:nn:ss ampm";
    const double values[] = {
        DateTime(1980, 1, 1),           DateTime(2099, 12, 31, 23, 59, 58), DateTime(2024, 3, 5, 14, 7, 9),
        DateTime(2000, 2, 29, 0, 0, 1), DateTime(2024, 7, 1, 12, 0, 0),     DateTime(2024, 7, 1, 0, 30, 0),
        DateTime(1899, 12, 29, 6),      DateTime(9999, 12, 31, 23, 59, 59), DateTime(100, 1, 1, 1, 1, 1),
    };
    for (const TRegionalSettings& s : {Iso(), Continental(), twelve}) {
        for (double dt : values) {
            const std::string text = FormatDateTime("c", dt, s);
            double back = 0;
            ASSERT_TRUE(ParseDateTime(text, s, back)) << text;
            EXPECT_EQ(back, dt) << text;
        }
    }
}

// Every token the formatter writes is read back: a text written with a format gives back the
// value it was written from.
TEST(ParseFormattedDateTimeText, EveryFormatReadsBackWhatItWrote) {
    TRegionalSettings dutch = Continental();
    dutch.timeAMString = "vorm.";
    dutch.timePMString = "nachm.";
    struct Case {
        const char* format;
        bool fourDigitYear;  // else only years 1950..2049 can come back
        bool milliseconds;
    };
    const Case cases[] = {
        {"dd/mm/yyyy hh:nn:ss.zzz", true, true},
        {"d-mmm-yy h:nn:ss am/pm", false, false},
        {"dddd, d mmmm yyyy hhnnss", true, false},
        {"yyyymmddhhnnsszzz", true, true},
        {"yymmdd hhnnss", false, false},
        {"mmmm d, yyyy h:mm:ss a/p", true, false},      // mm after h: minutes
        {"ddd dd.mm.yyyy hh:nn:ss ampm", true, false},  // the settings' texts
        {"'Date:' yyyy-mm-dd 'at' hh\"h\"nn:ss.z", true, true},
        {"YYYY-MMM-DD H:NN:SS AM/PM", true, false},
        {"m/d/yy h:n:s.z", false, true},
        {"ddddd hh:nn:ss", true, false},  // the short date of the settings
        {"c", true, false},
    };
    struct Value {
        int y, mo, d, h, mi, s, ms;
    };
    const Value values[] = {
        {1980, 1, 1, 0, 0, 0, 0},        {2000, 2, 29, 0, 0, 1, 0}, {2024, 3, 5, 14, 7, 9, 45},
        {2049, 12, 31, 23, 59, 59, 999}, {1950, 1, 1, 12, 0, 0, 0}, {2024, 7, 1, 0, 30, 0, 5},
        {2024, 7, 1, 12, 30, 0, 0},      {1999, 9, 9, 9, 9, 9, 9},  {2060, 5, 6, 13, 45, 58, 0},
        {9999, 12, 31, 23, 59, 59, 999}, {100, 1, 1, 1, 1, 1, 1},   {2024, 11, 12, 10, 11, 12, 100},
    };
    for (const Case& c : cases) {
        for (const Value& v : values) {
            if (!c.fourDigitYear && (v.y < 1950 || v.y > 2049)) continue;
            const double dt = DateTime(v.y, v.mo, v.d, v.h, v.mi, v.s, c.milliseconds ? v.ms : 0);
            const std::string text = FormatDateTime(c.format, dt, dutch);
            double back = 0;
            ASSERT_TRUE(ParseFormattedDateTime(text, c.format, dutch, back)) << c.format << ": " << text;
            EXPECT_EQ(back, dt) << c.format << ": " << text;
        }
    }
}

// The readings of the settings' formats, as the importers use them: a short date with month
// names, long times with milliseconds or without separators, blanks inside the short date.
TEST(ParseDateTimeText, TheSettingsFormatsReadBackWhatTheyWrote) {
    struct Case {
        const char* shortDate;
        const char* longTime;
    };
    const Case cases[] = {
        {"dd-mmm-yy", "hh:nn:ss"},      {"dd/mm/yyyy", "hh:nn:ss.zzz"}, {"yyyymmdd", "hhnnss"},
        {"d mmmm yyyy", "h:nn:ss a/p"}, {"dddd d.m.yyyy", "hh.nn.ss"},  {"yy/mm/dd", "h:mm:ss AM/PM"},
    };
    const double values[] = {
        DateTime(1980, 1, 1),          DateTime(2049, 12, 31, 23, 59, 58), DateTime(1950, 1, 1, 12, 0, 1),
        DateTime(2024, 3, 5, 0, 0, 2), DateTime(2024, 7, 1, 12, 30, 0),    DateTime(2000, 2, 29, 0, 30, 0),
    };
    for (const Case& c : cases) {
        TRegionalSettings s = Iso();
        s.shortDateFormat = c.shortDate;
        s.longTimeFormat = c.longTime;
        for (const double dt : values) {
            const std::string text = FormatDateTime("c", dt, s);
            double back = -1;
            ASSERT_TRUE(ParseDateTime(text, s, back)) << text;
            EXPECT_EQ(back, dt) << text;
            const double date = std::trunc(dt);
            const std::string dateText = FormatDateTime("ddddd", dt, s);
            ASSERT_TRUE(ParseDate(dateText, s, back)) << dateText;
            EXPECT_EQ(back, date) << dateText;
            int y, mo, d, h, mi, sec, ms;
            DecodeDateTime(dt, y, mo, d, h, mi, sec, ms);
            const std::string timeText = FormatDateTime(c.longTime, dt, s);
            ASSERT_TRUE(ParseTime(timeText, s, back)) << timeText;
            EXPECT_EQ(back, EncodeTime(h, mi, sec, ms)) << timeText;
        }
    }
}

TEST(ParseFormattedDateTimeText, ReadsOnlyWhatTheFormatSays) {
    struct Case {
        const char* format;
        const char* text;
        bool read;
        double value;
    };
    const Case cases[] = {
        // a two-digit year of the format may be written with four digits
        {"dd/mm/yy", "06/05/2060", true, EncodeDate(2060, 5, 6)},
        {"dd/mm/yy", "06/05/60", true, EncodeDate(1960, 5, 6)},
        {"yymmdd", "20600506", true, EncodeDate(2060, 5, 6)},
        {"yymmdd", "600506", true, EncodeDate(1960, 5, 6)},
        {"yymmdd", "990112", true, EncodeDate(1999, 1, 12)},  // not year 990
        {"hnn", "907", true, EncodeTime(9, 7, 0, 0)},
        {"yyyymmdd", "2024035", false, 0},
        {"yyyymmdd", "202403051", false, 0},
        // a field written twice must say the same both times
        {"d/m/yyyy (yy)", "6/5/2060 (60)", true, EncodeDate(2060, 5, 6)},
        {"d/m/yyyy (yy)", "6/5/2060 (61)", false, 0},
        {"d/m/yyyy (mmm)", "6/5/2060 (Jun)", false, 0},
        // day names are read, not checked; month names must be names
        {"ddd d/m/yyyy", "mon 5/3/2024", true, EncodeDate(2024, 3, 5)},
        {"ddd d/m/yyyy", "Xyz 5/3/2024", false, 0},
        {"dd-mmm-yyyy", "05-MARCH-2024", true, EncodeDate(2024, 3, 5)},
        {"dd-mmm-yyyy", "05-Foo-2024", false, 0},
        // part of a date is no date; no date at all is a time of day
        {"mmmm yyyy", "March 2024", false, 0},
        {"h:nn am/pm", "2:07 PM", true, EncodeTime(14, 7, 0, 0)},
        {"h:nn am/pm", "13:07 pm", false, 0},
        {"h:nn am/pm", "12:07 am", true, EncodeTime(0, 7, 0, 0)},
        {"hh:nn:ss.zzz", "14:07:09.1234", false, 0},
        {"hh:nn", "24:00", false, 0},
        {"dd/mm/yyyy", "31/04/2024", false, 0},
        {"dd/mm/yyyy", " 05/03/2024 ", true, EncodeDate(2024, 3, 5)},
        {"d mmmm yyyy", "5   March  2024", true, EncodeDate(2024, 3, 5)},
        {"d mmmm yyyy", "5March 2024", false, 0},
    };
    for (const Case& c : cases) {
        double v = -7;
        const bool read = ParseFormattedDateTime(c.text, c.format, Iso(), v);
        EXPECT_EQ(read, c.read) << c.format << ": " << c.text;
        EXPECT_EQ(v, c.read ? c.value : -7) << c.format << ": " << c.text;
    }
}

// Exports widen two-digit years, and only those, so that a date keeps its century.
TEST(ExportSettings, TwoDigitYearsAreWrittenWithFourDigits) {
    struct Case {
        const char* format;
        const char* widened;
    };
    const Case cases[] = {
        {"dd/mm/yy", "dd/mm/yyyy"},   {"d.M.Y", "d.M.yyyy"},
        {"yyyy-mm-dd", "yyyy-mm-dd"}, {"yyy", "yyy"},
        {"'yy' yy", "'yy' yyyy"},     {"\"yY\"/yY", "\"yY\"/yyyy"},
        {"hh:nn:ss", "hh:nn:ss"},     {"'unterminated yy", "'unterminated yy"},
    };
    for (const Case& c : cases) {
        TRegionalSettings s = Continental();
        s.shortDateFormat = c.format;
        s.longTimeFormat = c.format;
        const TRegionalSettings widened = ExportRegionalSettings(s);
        EXPECT_EQ(widened.shortDateFormat, c.widened) << c.format;
        EXPECT_EQ(widened.longTimeFormat, c.widened) << c.format;
        EXPECT_EQ(widened.decimalSeparator, ',');
        EXPECT_EQ(widened.thousandsSeparator, '.');
        EXPECT_EQ(widened.timeAMString, "vm");
        EXPECT_EQ(widened.timePMString, "nm");
    }

    // What an export writes under a two-digit-year short date reads back under the same
    // settings with its century, the empty date (day 0) included.
    TRegionalSettings twoDigits = Continental();
    twoDigits.shortDateFormat = "dd/mm/yy";
    const double values[] = {0.0,
                             DateTime(1980, 1, 1),
                             DateTime(2049, 12, 31, 23, 59, 58),
                             DateTime(2050, 1, 1),
                             DateTime(2060, 5, 6, 7, 8, 10),
                             DateTime(2099, 12, 31)};
    for (const double dt : values) {
        const std::string text = FormatDateTime("c", dt, ExportRegionalSettings(twoDigits));
        double back = -1;
        ASSERT_TRUE(ParseDateTime(text, twoDigits, back)) << text;
        EXPECT_EQ(back, dt) << text;
        EXPECT_EQ(DateTimeToPacked(back), DateTimeToPacked(dt)) << text;
    }
    EXPECT_EQ(FormatDateTime("c", DateTime(2060, 5, 6), ExportRegionalSettings(twoDigits)), "06/05/2060");
    EXPECT_EQ(FormatDateTime("c", DateTime(2060, 5, 6), twoDigits), "06/05/60");  // the display keeps yy
}

}  // namespace
}  // namespace kelmor
