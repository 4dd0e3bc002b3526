#include "engine/datetimeformat.h"

#include <array>
#include <initializer_list>
#include <utility>

namespace kelmor {

namespace {

constexpr std::array<const char*, 7> kShortDayNames = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
constexpr std::array<const char*, 7> kLongDayNames = {"Sunday",   "Monday", "Tuesday", "Wednesday",
                                                      "Thursday", "Friday", "Saturday"};
constexpr std::array<const char*, 12> kShortMonthNames = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                                          "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
constexpr std::array<const char*, 12> kLongMonthNames = {"January",   "February", "March",    "April",
                                                         "May",       "June",     "July",     "August",
                                                         "September", "October",  "November", "December"};

bool IsBlank(char c) { return c == ' ' || c == '\t'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsAsciiLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
char Upper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

bool StartsWithNoCase(std::string_view s, size_t pos, std::string_view prefix) {
    if (pos > s.size() || prefix.size() > s.size() - pos) return false;
    for (size_t i = 0; i < prefix.size(); ++i)
        if (Upper(s[pos + i]) != Upper(prefix[i])) return false;
    return true;
}

// ---- Reading a format -------------------------------------------------------------------------

class TTokeniser {
public:
    explicit TTokeniser(const TRegionalSettings& settings) : settings_(settings) {}

    void Add(std::string_view fmt, int level) {
        // Nested formats ("c", "ddddd") expand at most twice, so a settings format that refers to
        // itself cannot recurse forever.
        if (level > 2) return;
        char lastToken = ' ';
        size_t i = 0;
        while (i < fmt.size()) {
            const char c = fmt[i];
            char token = Upper(c);
            if (IsAsciiLetter(c)) {
                if (token == 'M' && lastToken == 'H') token = 'N';  // m directly after an hour means minutes
                lastToken = token;
            }
            size_t count = 1;
            while (IsAsciiLetter(c) && i + count < fmt.size() && Upper(fmt[i + count]) == Upper(c)) ++count;
            const int width = static_cast<int>(count);
            switch (token) {
                case 'Y': Push(TDateTimeField::kYear, count <= 2 ? 2 : 4); break;
                case 'M':
                    if (count <= 2) Push(TDateTimeField::kMonth, width);
                    else Push(TDateTimeField::kMonthName, count == 3 ? 3 : 4);
                    break;
                case 'D':
                    if (count <= 2) Push(TDateTimeField::kDay, width);
                    else if (count <= 4) Push(TDateTimeField::kDayName, width);
                    else Add(settings_.shortDateFormat, level + 1);
                    break;
                case 'H':
                    Push(TDateTimeField::kHour, count >= 2 ? 2 : 1);
                    tokens_.back().amPmFollows = AmPmFollows(fmt, i + count);
                    break;
                case 'N': Push(TDateTimeField::kMinute, count >= 2 ? 2 : 1); break;
                case 'S': Push(TDateTimeField::kSecond, count >= 2 ? 2 : 1); break;
                case 'Z': Push(TDateTimeField::kMillisecond, count >= 3 ? 3 : 1); break;
                case 'C': {
                    Add(settings_.shortDateFormat, level + 1);
                    const size_t timeOfDay = tokens_.size();
                    Push(TDateTimeField::kTimeOfDay, 0);
                    AddLiteral(" ");
                    Add(settings_.longTimeFormat, level + 1);
                    tokens_[timeOfDay].partEnd = tokens_.size();
                    break;
                }
                case 'A': count = AddAmPm(fmt, i); break;
                case '"':
                case '\'': {
                    const size_t close = fmt.find(c, i + 1);
                    const size_t end = close == std::string_view::npos ? fmt.size() : close;
                    AddLiteral(fmt.substr(i + 1, end - i - 1));
                    count = (close == std::string_view::npos ? fmt.size() : close + 1) - i;
                    break;
                }
                default:
                    AddLiteral(fmt.substr(i, 1));
                    count = 1;
                    break;
            }
            i += count;
        }
    }

    std::vector<TDateTimeToken> Take() { return std::move(tokens_); }

private:
    void Push(TDateTimeField field, int width) {
        TDateTimeToken token;
        token.field = field;
        token.width = width;
        tokens_.push_back(std::move(token));
    }

    // Joins literal text to a literal token in front of it.
    void AddLiteral(std::string_view text) {
        if (text.empty()) return;
        if (tokens_.empty() || tokens_.back().field != TDateTimeField::kLiteral) Push(TDateTimeField::kLiteral, 0);
        tokens_.back().text.append(text);
    }

    // The am/pm token at pos, or a literal "a"; answers the number of format characters used.
    size_t AddAmPm(std::string_view fmt, size_t pos) {
        for (std::string_view form : {std::string_view("am/pm"), std::string_view("a/p")}) {
            if (StartsWithNoCase(fmt, pos, form)) {
                Push(TDateTimeField::kAmPm, 0);
                tokens_.back().text = fmt.substr(pos, form.size());
                return form.size();
            }
        }
        if (StartsWithNoCase(fmt, pos, "ampm")) {
            Push(TDateTimeField::kAmPm, 0);  // the settings' texts
            return 4;
        }
        AddLiteral(fmt.substr(pos, 1));
        return 1;
    }

    // Whether an am/pm token comes before the next h token (quoted text skipped); the first
    // unquoted 'a' decides.
    static bool AmPmFollows(std::string_view fmt, size_t pos) {
        char quote = 0;
        for (size_t i = pos; i < fmt.size(); ++i) {
            const char c = fmt[i];
            if (quote != 0) {
                if (c == quote) quote = 0;
            } else if (c == '"' || c == '\'') {
                quote = c;
            } else if (c == 'a' || c == 'A') {
                return StartsWithNoCase(fmt, i, "am/pm") || StartsWithNoCase(fmt, i, "a/p") ||
                       StartsWithNoCase(fmt, i, "ampm");
            } else if (c == 'h' || c == 'H') {
                return false;
            }
        }
        return false;
    }

    const TRegionalSettings& settings_;
    std::vector<TDateTimeToken> tokens_;
};

// ---- Reading a text ---------------------------------------------------------------------------

// What a text has said so far; -1 for a field not read.
struct TReading {
    int year4 = -1;  // a year of three or four digits, taken as written
    int year2 = -1;  // a year of one or two digits
    int month = -1;
    int day = -1;
    int hour24 = -1;
    int hour12 = -1;
    int minute = -1;
    int second = -1;
    int msec = -1;
    int amPm = 0;            // 1 am, 2 pm
    bool use12Hour = false;  // an am/pm token was read: later hours are on the 12-hour clock
};

// A field read a second time must say the same.
bool Assign(int& field, int value) {
    if (field >= 0 && field != value) return false;
    field = value;
    return true;
}

// Matches the text against the tokens, trying each way a token can be read (number widths,
// names, the time part of "c" present or not) until the whole text is read and makes a valid
// date and time.
class TTokenReader {
public:
    TTokenReader(std::string_view text, const std::vector<TDateTimeToken>& tokens, const TRegionalSettings& settings)
        : text_(text), tokens_(tokens), settings_(settings) {}

    bool Read(double& out) { return tokens_.size() <= kMaxTokens && Match(0, 0, TReading{}, out); }

private:
    // Bounds on the depth and the number of the ways tried, so that an absurd format cannot take
    // long or exhaust the stack; the texts of real formats need a few dozen steps.
    static constexpr size_t kMaxTokens = 256;
    static constexpr int kMaxSteps = 5000;

    bool Match(size_t t, size_t pos, const TReading& r, double& out) {
        if (++steps_ > kMaxSteps) return false;
        if (t == tokens_.size()) return pos == text_.size() && Finish(r, out);
        const TDateTimeToken& token = tokens_[t];
        switch (token.field) {
            case TDateTimeField::kLiteral: return MatchLiteral(token.text, pos) && Match(t + 1, pos, r, out);
            case TDateTimeField::kTimeOfDay: return Match(t + 1, pos, r, out) || Match(token.partEnd, pos, r, out);
            case TDateTimeField::kAmPm: return MatchAmPm(t, pos, r, out);
            case TDateTimeField::kMonthName:
                for (int month = 1; month <= 12; ++month) {
                    for (int width : {token.width, 7 - token.width}) {  // the other length too
                        const std::string_view name = MonthName(month, width);
                        TReading next = r;
                        if (StartsWithNoCase(text_, pos, name) && Assign(next.month, month) &&
                            Match(t + 1, pos + name.size(), next, out))
                            return true;
                    }
                }
                return false;
            case TDateTimeField::kDayName:
                for (int weekday = 0; weekday < 7; ++weekday) {
                    for (int width : {token.width, 7 - token.width}) {
                        const std::string_view name = DayName(weekday, width);
                        if (StartsWithNoCase(text_, pos, name) && Match(t + 1, pos + name.size(), r, out)) return true;
                    }
                }
                return false;
            default: return MatchNumber(t, pos, r, out);
        }
    }

    // A run of blanks in the format matches a run of blanks in the text; none are needed at the
    // start or the end of the text, or after a blank already read. Other characters match
    // without regard to letter case.
    bool MatchLiteral(std::string_view literal, size_t& pos) const {
        size_t i = 0;
        while (i < literal.size()) {
            if (IsBlank(literal[i])) {
                while (i < literal.size() && IsBlank(literal[i])) ++i;
                const size_t start = pos;
                while (pos < text_.size() && IsBlank(text_[pos])) ++pos;
                const bool optional = start == 0 || start == text_.size() || IsBlank(text_[start - 1]);
                if (pos == start && !optional) return false;
                continue;
            }
            if (pos >= text_.size() || Upper(text_[pos]) != Upper(literal[i])) return false;
            ++pos;
            ++i;
        }
        return true;
    }

    bool MatchAmPm(size_t t, size_t pos, const TReading& r, double& out) {
        const std::string& form = tokens_[t].text;
        std::vector<std::pair<std::string_view, int>> words;  // the text and 1 (am) or 2 (pm)
        if (form.size() == 5) {
            words = {{std::string_view(form).substr(0, 2), 1}, {std::string_view(form).substr(3, 2), 2}};
        } else if (form.size() == 3) {
            words = {{std::string_view(form).substr(0, 1), 1}, {std::string_view(form).substr(2, 1), 2}};
        } else {
            // the English texts are always understood too, as by the lenient time reading
            words = {{settings_.timeAMString, 1}, {settings_.timePMString, 2}, {"AM", 1}, {"PM", 2}};
        }
        for (const auto& [word, amPm] : words) {
            if (!StartsWithNoCase(text_, pos, word) || (r.amPm != 0 && r.amPm != amPm)) continue;
            TReading next = r;
            next.amPm = amPm;
            next.use12Hour = true;
            if (Match(t + 1, pos + word.size(), next, out)) return true;
        }
        return false;
    }

    // A number: the whole run of digits when it fits the field (the usual case, separators
    // around it), else each width the formatter writes that field with (numbers without
    // separators, as in "yyyymmdd" or "hhnnss").
    bool MatchNumber(size_t t, size_t pos, const TReading& r, double& out) {
        const TDateTimeToken& token = tokens_[t];
        size_t run = 0;
        while (pos + run < text_.size() && IsDigit(text_[pos + run]) && run < 9) ++run;
        if (run == 0) return false;
        const size_t maxDigits = token.field == TDateTimeField::kYear          ? 4
                                 : token.field == TDateTimeField::kMillisecond ? 3
                                                                               : 2;
        // Inside a run of digits that an earlier field began, only the written widths fit.
        const bool runGoesOn = pos > 0 && IsDigit(text_[pos - 1]);
        TWidths widths;
        if (!runGoesOn && run <= maxDigits) widths.Add(run);
        for (size_t width : WrittenWidths(token))
            if (width < run || (runGoesOn && width == run)) widths.Add(width);
        for (size_t width : widths) {
            int value = 0;
            for (size_t k = 0; k < width; ++k) value = value * 10 + (text_[pos + k] - '0');
            TReading next = r;
            if (Store(token, width, value, next) && Match(t + 1, pos + width, next, out)) return true;
        }
        return false;
    }

    // The numbers of digits the formatter writes a field with, the widest first (a year: four
    // digits, or two for "yy" when not written for an export).
    // A few widths, kept without allocating (this runs for every number of every date read).
    struct TWidths {
        std::array<size_t, 4> values{};
        size_t count = 0;
        void Add(size_t width) { values[count++] = width; }
        const size_t* begin() const { return values.data(); }
        const size_t* end() const { return values.data() + count; }
    };
    static TWidths WrittenWidths(const TDateTimeToken& token) {
        TWidths widths;
        const bool year = token.field == TDateTimeField::kYear;
        const bool millisecond = token.field == TDateTimeField::kMillisecond;
        if (year) {
            widths.Add(4);
            widths.Add(2);
        } else if (millisecond) {
            widths.Add(3);
            if (token.width != 3) {
                widths.Add(2);
                widths.Add(1);
            }
        } else {
            widths.Add(2);
            if (token.width != 2) widths.Add(1);
        }
        return widths;
    }

    static bool Store(const TDateTimeToken& token, size_t digits, int value, TReading& r) {
        switch (token.field) {
            case TDateTimeField::kYear: return Assign(digits <= 2 ? r.year2 : r.year4, value);
            case TDateTimeField::kMonth: return Assign(r.month, value);
            case TDateTimeField::kDay: return Assign(r.day, value);
            case TDateTimeField::kHour: return Assign(token.amPmFollows || r.use12Hour ? r.hour12 : r.hour24, value);
            case TDateTimeField::kMinute: return Assign(r.minute, value);
            case TDateTimeField::kSecond: return Assign(r.second, value);
            case TDateTimeField::kMillisecond: return Assign(r.msec, value);
            default: return false;
        }
    }

    static bool Finish(const TReading& r, double& out) {
        int year = r.year4;
        if (r.year4 >= 0 && r.year2 >= 0 && r.year4 % 100 != r.year2) return false;
        if (year < 0 && r.year2 >= 0) year = r.year2 + (r.year2 < 50 ? 2000 : 1900);
        int hour = r.hour24;
        if (r.hour12 >= 0) {
            int h = r.hour12;
            if (r.amPm != 0) {
                if (h > 12) return false;
                h = h % 12 + (r.amPm == 2 ? 12 : 0);
            }
            if (hour >= 0 && hour != h) return false;
            hour = h;
        }
        const auto orZero = [](int field) { return field < 0 ? 0 : field; };
        const bool anyDate = year >= 0 || r.month >= 0 || r.day >= 0;
        if (!anyDate) {
            if (!IsValidTime(orZero(hour), orZero(r.minute), orZero(r.second), orZero(r.msec))) return false;
            out = EncodeTime(orZero(hour), orZero(r.minute), orZero(r.second), orZero(r.msec));
            return true;
        }
        if (year < 0 || r.month < 0 || r.day < 0) return false;  // part of a date is no date
        return TryEncodeDateTime(year, r.month, r.day, orZero(hour), orZero(r.minute), orZero(r.second), orZero(r.msec),
                                 out);
    }

    std::string_view text_;
    const std::vector<TDateTimeToken>& tokens_;
    const TRegionalSettings& settings_;
    int steps_ = 0;
};

}  // namespace

const char* MonthName(int month, int width) {
    const auto index = static_cast<size_t>(month - 1);
    return width == 3 ? kShortMonthNames[index] : kLongMonthNames[index];
}

const char* DayName(int weekday, int width) {
    const auto index = static_cast<size_t>(weekday);
    return width == 3 ? kShortDayNames[index] : kLongDayNames[index];
}

std::vector<TDateTimeToken> TokeniseDateTimeFormat(std::string_view format, const TRegionalSettings& settings) {
    TTokeniser tokeniser(settings);
    tokeniser.Add(format, 0);
    return tokeniser.Take();
}

const std::vector<TDateTimeToken>& DateTimeTokens(std::string_view format, const TRegionalSettings& settings) {
    // A few formats are in use at a time (the date, the time, both); imports and exports
    // read and write them once per value.
    struct TEntry {
        std::string format;
        TRegionalSettings settings;
        std::vector<TDateTimeToken> tokens;
    };
    constexpr size_t kEntries = 4;
    thread_local std::vector<TEntry> cache = [] {
        std::vector<TEntry> entries;
        entries.reserve(kEntries);  // never moved: a reference stays valid until its entry is replaced
        return entries;
    }();
    thread_local size_t nextToReplace = 0;
    for (const TEntry& entry : cache)
        if (entry.format == format && entry.settings == settings) return entry.tokens;
    TEntry fresh{std::string(format), settings, TokeniseDateTimeFormat(format, settings)};
    if (cache.size() < kEntries) {
        cache.push_back(std::move(fresh));
        return cache.back().tokens;
    }
    TEntry& replaced = cache[nextToReplace];
    nextToReplace = (nextToReplace + 1) % kEntries;
    replaced = std::move(fresh);
    return replaced.tokens;
}

bool ReadDateTimeTokens(std::string_view text, const std::vector<TDateTimeToken>& tokens,
                        const TRegionalSettings& settings, double& out) {
    return TTokenReader(text, tokens, settings).Read(out);
}

}  // namespace kelmor
