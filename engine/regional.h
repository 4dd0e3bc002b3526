// Regional settings, date-time arithmetic and the display / parse texts of key values.
//
// Everything here is independent of the process locale: the caller hands in the settings to use.
// Date-times are doubles counting days since 30 December 1899; the fraction is the time of day.
// For a negative value the fraction is still the time of day, as a magnitude (-1.25 is
// 29 December 1899, 06:00).
#pragma once

#include <cstdint>
#include <string>

namespace kelmor {

struct TRegionalSettings {
    char decimalSeparator = '.';
    char thousandsSeparator = ',';
    std::string shortDateFormat = "yyyy-mm-dd";
    std::string longTimeFormat = "hh:nn:ss";
    std::string timeAMString = "AM";
    std::string timePMString = "PM";
    bool operator==(const TRegionalSettings&) const = default;
};

// ---- Date-time arithmetic -------------------------------------------------------------------

// Years 1..9999 of the proleptic Gregorian calendar.
bool IsLeapYear(int year);
int DaysInMonth(int year, int month);  // 0 when year or month is out of range
bool IsValidDate(int year, int month, int day);
bool IsValidTime(int hour, int minute, int second, int msec);

// Whole days since 30 December 1899. Throws std::invalid_argument for an invalid date.
double EncodeDate(int year, int month, int day);
// Fraction of a day. Throws std::invalid_argument unless 0..23, 0..59, 0..59, 0..999.
double EncodeTime(int hour, int minute, int second, int msec);
// Date plus time of day (for dates before the epoch the time is subtracted, see above).
// False, and out unchanged, when any part is out of range.
bool TryEncodeDateTime(int y, int mo, int d, int h, int mi, int s, int ms, double& out);
// Splits a date-time, rounded to whole milliseconds. Throws std::invalid_argument when dt is not
// finite or falls outside the years 1..9999.
void DecodeDateTime(double dt, int& y, int& mo, int& d, int& h, int& mi, int& s, int& ms);
// 0 = Sunday .. 6 = Saturday, of the date part of dt (same validity rules as DecodeDateTime).
int DayOfWeek(double dt);

// ---- The stored key form of a date ----------------------------------------------------------
// Packed FAT date-time: bits 31..25 year-1980, 24..21 month, 20..16 day, 15..11 hour,
// 10..5 minute, 4..0 seconds/2. 0 means "no date".

// Years outside 1980..2099, non-finite and out-of-range values pack to 0; seconds are truncated
// to 2-second steps (after rounding the value to whole milliseconds).
uint32_t DateTimeToPacked(double dt);
// 0 -> 0.0; a packed value that is not a valid date and time (month 0 or 13, day 0, 30 February,
// hour 24, minute 60, seconds field 30 or 31) -> 0.0. Years 2100..2107, which the 7 bits can
// hold, are valid dates and are read as such.
double PackedToDateTime(uint32_t packed);

// ---- Display texts --------------------------------------------------------------------------
// NaN and infinities show as NAN, INF and -INF; a text that rounds to zero has no minus sign.

std::string FormatInteger(int64_t v);  // "-12"
// The exact single-precision value, first rounded to 20 significant digits when it has more,
// then to 3 decimals; both roundings take an exact tie away from zero.
std::string FormatFloatFixed3(float v, const TRegionalSettings& settings);
// The amount scaledBy10000 / 10000 with 3 decimals, exact; a fourth decimal of 5 rounds away
// from zero.
std::string FormatCurrency(int64_t scaledBy10000, const TRegionalSettings& settings);
// General notation with `significantDigits` (1..17) significant digits, rounded from the exact
// binary value (an exact tie away from zero, as the float display), trailing zeros dropped. With
// X the decimal exponent of the rounded value the text is scientific when X < -4 or
// X >= significantDigits ("1.5E-7", "1E20"), else fixed.
std::string FormatGeneral(double v, int significantDigits, const TRegionalSettings& settings);
// FormatGeneral with 15 significant digits: the display text of a double key.
std::string FormatDoubleGeneral(double v, const TRegionalSettings& settings);
// Fixed notation with `decimals` (clamped to 0..100) decimals, no thousands separators: the exact
// binary value rounded to that many decimals, an exact tie away from zero (as the float display).
std::string FormatFixed(double v, int decimals, const TRegionalSettings& settings);

// Format tokens (letters in any case):
//   c          short date format, then a blank and the long time format unless the time is
//              midnight (to the millisecond)
//   d dd       day (dd with a leading zero); ddd dddd short / long English day name;
//   ddddd      the short date format
//   m mm       month; directly after an h or hh token these mean minutes
//   mmm mmmm   short / long English month name
//   yy yyyy    two-digit / four-digit year
//   h hh n nn s ss   hour, minute, second (doubled: leading zero)
//   z zzz      milliseconds (zzz: three digits)
//   am/pm a/p  "am"/"pm" or "a"/"p" as written in the format, and a 12-hour h
//   ampm       the settings' AM / PM text, and a 12-hour h
//   "..." '...'  literal text; every other character is literal.
// Throws std::invalid_argument when dt cannot be decoded (see DecodeDateTime).
std::string FormatDateTime(const std::string& format, double dt, const TRegionalSettings& settings);

// ---- Parsing text in the settings' notation -------------------------------------------------
// Each returns false, leaving out unchanged, when the text does not convert. Leading and
// trailing blanks (spaces and tabs) are allowed.

// Optional sign and decimal digits; must fit into 64 bits.
bool ParseInteger(const std::string& text, int64_t& out);
// Optional sign, digits with at most one decimal separator (at least one digit), optional
// exponent E/e with optional sign. No thousands separators. The nearest double; a value too
// large fails, one too small becomes zero. NAN, INF and -INF (any case) are read back as well.
bool ParseDouble(const std::string& text, const TRegionalSettings& settings, double& out);
// The same text, converted to the nearest single-precision value directly (no double rounding);
// a value too large for single precision fails.
bool ParseSingle(const std::string& text, const TRegionalSettings& settings, float& out);
// The same syntax as ParseDouble (no NAN/INF), times 10000 and rounded to an integer, a half going
// to the even neighbour; computed exactly on the decimal digits. Fails outside the 64-bit range.
bool ParseCurrency(const std::string& text, const TRegionalSettings& settings, int64_t& out);
// Every reading of a date or a time below first reads the text as FormatDateTime writes it with
// the format in question (ParseFormattedDateTime), then in a looser way:
// ParseDate: day, month and year as numbers in the order they have in the short date format,
// separated by one of the separator characters of that format. A format without separators
// ("yyyymmdd") takes the text as digits of the fields' widths (yy two digits, yyyy four, d and m
// always two).
// A year of one or two digits means 2000 + yy when yy < 50, else 1900 + yy; a year of four
// digits is taken as written, whatever the format says.
bool ParseDate(const std::string& text, const TRegionalSettings& settings, double& out);
// The long time format; else h:n or h:n:s (separator: those of the long time format, ':' when it
// has none), optionally followed by the settings' AM/PM text or "AM"/"PM" (any case); with it
// the hour is 0..12.
bool ParseTime(const std::string& text, const TRegionalSettings& settings, double& out);
// The format "c"; else a date, optionally followed by blanks and a time.
bool ParseDateTime(const std::string& text, const TRegionalSettings& settings, double& out);
// A text that FormatDateTime writes with the format (every token above) read back into the
// same value. Numbers may have fewer digits than written (where separators tell the fields
// apart), years two or four digits, and names and AM/PM texts any letter case; a run of blanks
// stands for any run of blanks. Day names are read, not checked. A format without date fields
// gives the time of day alone; one with only part of a date gives no value.
bool ParseFormattedDateTime(const std::string& text, const std::string& format, const TRegionalSettings& settings,
                            double& out);

// ---- Settings for exports -------------------------------------------------------------------

// The settings with which exports write values: those given, with every two-digit year of the
// short date and long time formats ("yy", "y") written with four digits ("yyyy"), so that no
// date loses its century on its way back (the readers take four digits as written). Nothing else
// changes; what the program shows keeps the settings as they are.
TRegionalSettings ExportRegionalSettings(const TRegionalSettings& settings);

}  // namespace kelmor
