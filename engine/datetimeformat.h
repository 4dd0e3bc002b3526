// The tokens of a date-time format ("dd/mm/yy", "c", "hh:nn:ss am/pm"): one reading of a
// format that FormatDateTime writes with and the date-time parser reads with, so that every
// text written can be read back. Internal to the engine; regional.h has the public functions.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "engine/regional.h"

namespace kelmor {

enum class TDateTimeField : uint8_t {
    kLiteral,      // `text`, written as it is
    kYear,         // width 2: the last two digits; 4: the whole year
    kMonth,        // width 1 or 2: at least that many digits
    kMonthName,    // width 3: short English name; 4: long
    kDay,          // width 1 or 2
    kDayName,      // width 3 / 4
    kHour,         // width 1 or 2; on the 12-hour clock when `amPmFollows` or after an am/pm token
    kMinute,       // width 1 or 2
    kSecond,       // width 1 or 2
    kMillisecond,  // width 1: as many digits as needed; 3: three digits
    kAmPm,         // `text` "am/pm" or "a/p" as the format spells it; empty: the settings' AM/PM texts
    kTimeOfDay,    // begins the time part of "c", left out at midnight; `partEnd` is the token after it
};

struct TDateTimeToken {
    TDateTimeField field = TDateTimeField::kLiteral;
    int width = 0;
    std::string text;
    bool amPmFollows = false;
    size_t partEnd = 0;
};

// English month (1..12) and day (0 = Sunday .. 6) names: width 3 the short name, else the long.
const char* MonthName(int month, int width);
const char* DayName(int weekday, int width);

// The tokens of a format, the settings' short date and long time formats expanded where
// "ddddd" and "c" name them (at most two levels deep, so that formats naming themselves end).
std::vector<TDateTimeToken> TokeniseDateTimeFormat(std::string_view format, const TRegionalSettings& settings);
// The same tokens, kept for the formats used last on this thread; valid until the next call.
const std::vector<TDateTimeToken>& DateTimeTokens(std::string_view format, const TRegionalSettings& settings);

// Reads a text written with the tokens back into a date-time. Numbers may have fewer digits
// than written and a year two or four digits (two digits: 2000 + yy below 50, else
// 1900 + yy); names are matched without regard to letter case; a run of blanks matches any
// run of blanks. Fields the format does not hold are 0 (no date fields: the time of day
// alone); a field held twice must read the same both times. Day names are read and not
// checked. False, and out unchanged, when the text does not match or names no valid date
// and time (and for absurd formats of hundreds of fields).
bool ReadDateTimeTokens(std::string_view text, const std::vector<TDateTimeToken>& tokens,
                        const TRegionalSettings& settings, double& out);

}  // namespace kelmor
