#include "cli/cliregional.h"

#include <langinfo.h>
#include <locale.h>
#include <clocale>
#include <ostream>

namespace kelmor::cli {

std::optional<std::string> TokensFromStrftime(const std::string& format) {
    std::string tokens;
    for (size_t i = 0; i < format.size(); ++i) {
        if (format[i] != '%') {
            tokens += format[i];
            continue;
        }
        if (++i >= format.size()) return std::nullopt;
        char field = format[i];
        if (field == 'E' || field == 'O') {  // modifiers of the next field
            if (++i >= format.size()) return std::nullopt;
            field = format[i];
        }
        switch (field) {
            case 'd': tokens += "dd"; break;
            case 'e': tokens += "d"; break;
            case 'm': tokens += "mm"; break;
            case 'b':
            case 'h': tokens += "mmm"; break;
            case 'B': tokens += "mmmm"; break;
            case 'y': tokens += "yy"; break;
            case 'Y': tokens += "yyyy"; break;
            case 'H': tokens += "hh"; break;
            case 'k': tokens += "h"; break;
            case 'I': tokens += "hh"; break;
            case 'l': tokens += "h"; break;
            case 'M': tokens += "nn"; break;
            case 'S': tokens += "ss"; break;
            case 'p': tokens += "ampm"; break;
            case 'D': tokens += "mm/dd/yy"; break;
            case 'F': tokens += "yyyy-mm-dd"; break;
            case 'T': tokens += "hh:nn:ss"; break;
            case 'R': tokens += "hh:nn"; break;
            case 'r': tokens += "hh:nn:ss ampm"; break;
            case '%': tokens += "%"; break;
            default: return std::nullopt;
        }
    }
    return tokens;
}

bool IsCOrPosixLocale(const std::string& name) {
    const std::string language = name.substr(0, name.find_first_of(".@"));
    return language == "C" || language == "POSIX";
}

namespace {

std::string EnvironmentLocale(TCliContext& context, const char* category) {
    for (const char* name : {"LC_ALL", category, "LANG"}) {
        const char* value = context.getEnv ? context.getEnv(name) : nullptr;
        if (value && *value) return value;
    }
    return "C";
}

// Reads the settings of a named locale through the C library; false when the locale is
// the C or POSIX one or is not installed.
bool FromLocale(const std::string& numericName, const std::string& timeName, TRegionalSettings& settings) {
    bool found = false;
    if (!IsCOrPosixLocale(numericName)) {
        if (locale_t numeric = newlocale(LC_NUMERIC_MASK, numericName.c_str(), nullptr)) {
            const char* point = nl_langinfo_l(RADIXCHAR, numeric);
            const char* group = nl_langinfo_l(THOUSEP, numeric);
            if (point && std::char_traits<char>::length(point) == 1) settings.decimalSeparator = point[0];
            if (group && std::char_traits<char>::length(group) == 1) settings.thousandsSeparator = group[0];
            freelocale(numeric);
            found = true;
        }
    }
    if (!IsCOrPosixLocale(timeName)) {
        if (locale_t time = newlocale(LC_TIME_MASK, timeName.c_str(), nullptr)) {
            if (auto date = TokensFromStrftime(nl_langinfo_l(D_FMT, time))) settings.shortDateFormat = *date;
            if (auto clock = TokensFromStrftime(nl_langinfo_l(T_FMT, time)); clock && !clock->empty())
                settings.longTimeFormat = *clock;
            const std::string am = nl_langinfo_l(AM_STR, time), pm = nl_langinfo_l(PM_STR, time);
            if (!am.empty()) settings.timeAMString = am;
            if (!pm.empty()) settings.timePMString = pm;
            freelocale(time);
            found = true;
        }
    }
    return found;
}

bool SingleCharacter(TCliContext& context, const char* option, char& out) {
    const auto value = context.options.Value(option);
    if (!value) return true;
    if (value->size() != 1) {
        context.err << "kelmor-cli: --" << option << " takes one character\n";
        return false;
    }
    out = (*value)[0];
    return true;
}

}  // namespace

bool RegionalSettingsFor(TCliContext& context, TRegionalSettings& settings) {
    settings = TRegionalSettings{};
    FromLocale(EnvironmentLocale(context, "LC_NUMERIC"), EnvironmentLocale(context, "LC_TIME"), settings);
    if (!SingleCharacter(context, "decimal-separator", settings.decimalSeparator)) return false;
    if (!SingleCharacter(context, "thousands-separator", settings.thousandsSeparator)) return false;
    if (auto date = context.options.Value("short-date")) settings.shortDateFormat = *date;
    if (auto time = context.options.Value("long-time")) settings.longTimeFormat = *time;
    return true;
}

}  // namespace kelmor::cli
