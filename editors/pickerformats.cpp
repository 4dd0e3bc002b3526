#include "editors/pickerformats.h"

#include <algorithm>
#include <cctype>

namespace kelmor {

namespace {

char Lower(char c) { return static_cast<char>(std::tolower(static_cast<unsigned char>(c))); }

bool StartsWithNoCase(const std::string& s, size_t at, const char* word) {
    for (size_t i = 0; word[i] != '\0'; ++i) {
        if (at + i >= s.size() || Lower(s[at + i]) != word[i]) return false;
    }
    return true;
}

// The toolkit reads every letter as a field unless it is quoted.
QString Quoted(const QString& text) {
    if (text.isEmpty()) return QString();
    QString escaped = text;
    escaped.replace(QLatin1Char('\''), QStringLiteral("''"));
    return QLatin1Char('\'') + escaped + QLatin1Char('\'');
}

}  // namespace

QString PickerFormat(const std::string& tokens) {
    QString out;
    bool afterHour = false;  // m and mm right after an hour are minutes
    size_t i = 0;
    while (i < tokens.size()) {
        const char c = tokens[i];
        const char lc = Lower(c);
        if (c == '"' || c == '\'') {
            const size_t end = tokens.find(c, i + 1);
            const size_t stop = end == std::string::npos ? tokens.size() : end;
            out += Quoted(QString::fromLatin1(tokens.substr(i + 1, stop - i - 1)));
            i = stop == tokens.size() ? stop : stop + 1;
            continue;
        }
        if (lc == 'a') {
            const bool upper = c == 'A';
            if (StartsWithNoCase(tokens, i, "ampm")) {
                out += QStringLiteral("AP");
                i += 4;
            } else if (StartsWithNoCase(tokens, i, "am/pm")) {
                out += upper ? QStringLiteral("AP") : QStringLiteral("ap");
                i += 5;
            } else if (StartsWithNoCase(tokens, i, "a/p")) {
                out += upper ? QStringLiteral("A") : QStringLiteral("a");
                i += 3;
            } else {
                out += Quoted(QString(QLatin1Char(c)));
                ++i;
            }
            continue;
        }
        if (std::string("dmyhnsz").find(lc) == std::string::npos) {
            // Letters are quoted, everything else stands for itself.
            out +=
                std::isalpha(static_cast<unsigned char>(c)) ? Quoted(QString(QLatin1Char(c))) : QString(QLatin1Char(c));
            ++i;
            continue;
        }
        size_t run = 1;
        while (i + run < tokens.size() && Lower(tokens[i + run]) == lc) ++run;
        i += run;
        const bool wasAfterHour = afterHour;
        afterHour = false;
        switch (lc) {
            case 'd': out += QString(int(std::min<size_t>(run, 4)), QLatin1Char('d')); break;
            case 'm':
                if (wasAfterHour && run <= 2) out += QString(int(run), QLatin1Char('m'));
                else out += QString(int(std::min<size_t>(run, 4)), QLatin1Char('M'));
                break;
            case 'y': out += run <= 2 ? QStringLiteral("yy") : QStringLiteral("yyyy"); break;
            case 'h':
                out += run == 1 ? QStringLiteral("h") : QStringLiteral("hh");
                afterHour = true;
                break;
            case 'n': out += run == 1 ? QStringLiteral("m") : QStringLiteral("mm"); break;
            case 's': out += run == 1 ? QStringLiteral("s") : QStringLiteral("ss"); break;
            case 'z': out += run >= 3 ? QStringLiteral("zzz") : QStringLiteral("z"); break;
            default: break;
        }
        // Separators between the hour and the minutes keep the hour's meaning of m.
        while (afterHour && i < tokens.size() && !std::isalpha(static_cast<unsigned char>(tokens[i])) &&
               tokens[i] != '"' && tokens[i] != '\'') {
            out += QLatin1Char(tokens[i]);
            ++i;
        }
    }
    return out;
}

}  // namespace kelmor
