#include "app/systemregional.h"

#include <QCollator>
#include <memory>

#include "engine/tkelmor.h"
#include "ui/common.h"
#include "ui/latin1validator.h"

namespace kelmor {

std::string FormatTokensFromQt(const QString& format) {
    std::string tokens;
    for (qsizetype i = 0; i < format.size();) {
        const QChar c = format[i];
        qsizetype run = 1;
        while (i + run < format.size() && format[i + run] == c) ++run;
        const auto repeat = [&](char token, qsizetype count) { tokens.append(static_cast<size_t>(count), token); };
        if (c == QLatin1Char('\'')) {
            // A quoted literal ('' is one quote).
            qsizetype end = i + 1;
            std::string literal;
            while (end < format.size()) {
                if (format[end] == QLatin1Char('\'')) {
                    if (end + 1 < format.size() && format[end + 1] == QLatin1Char('\'')) {
                        literal += '\'';
                        end += 2;
                        continue;
                    }
                    break;
                }
                literal += static_cast<char>(format[end].toLatin1());
                ++end;
            }
            tokens += '"' + literal + '"';
            i = end + 1;
            continue;
        }
        switch (c.unicode()) {
            case 'd': repeat('d', std::min<qsizetype>(run, 4)); break;
            case 'M': repeat('m', std::min<qsizetype>(run, 4)); break;
            case 'y': repeat('y', run >= 3 ? 4 : 2); break;
            case 'h':
            case 'H': repeat('h', std::min<qsizetype>(run, 2)); break;
            case 'm': repeat('n', std::min<qsizetype>(run, 2)); break;
            case 's': repeat('s', std::min<qsizetype>(run, 2)); break;
            case 'z': tokens += "zzz"; break;
            case 'a':
            case 'A':
                // "AP", "ap", "A" and "a" all stand for the AM/PM text.
                tokens += "ampm";
                run = 1;
                if (i + 1 < format.size() && format[i + 1].toLower() == QLatin1Char('p')) run = 2;
                break;
            case 't': break;  // time zone: not part of a key value
            default:
                for (qsizetype k = 0; k < run; ++k) {
                    const char ch = static_cast<char>(c.toLatin1());
                    // A letter the engine would read as a token stays literal.
                    if (QChar::isLetter(c.unicode())) tokens += std::string("\"") + ch + '"';
                    else tokens += ch ? ch : ' ';
                }
        }
        i += run;
    }
    // Drop blanks left at either end by a removed time zone.
    while (!tokens.empty() && tokens.back() == ' ') tokens.pop_back();
    while (!tokens.empty() && tokens.front() == ' ') tokens.erase(tokens.begin());
    return tokens;
}

TRegionalSettings RegionalSettingsFrom(const QLocale& locale) {
    TRegionalSettings settings;
    const QString point = locale.decimalPoint();
    if (point.size() == 1 && point[0].unicode() < 0x100)
        settings.decimalSeparator = static_cast<char>(point[0].unicode());
    const QString group = locale.groupSeparator();
    if (group.size() == 1 && group[0].unicode() < 0x100)
        settings.thousandsSeparator = static_cast<char>(group[0].unicode());
    if (settings.thousandsSeparator == settings.decimalSeparator)
        settings.thousandsSeparator = settings.decimalSeparator == ',' ? '.' : ',';
    const std::string date = FormatTokensFromQt(locale.dateFormat(QLocale::ShortFormat));
    if (!date.empty()) settings.shortDateFormat = date;
    const std::string time = FormatTokensFromQt(locale.timeFormat(QLocale::LongFormat));
    if (!time.empty()) settings.longTimeFormat = time;
    if (!locale.amText().isEmpty() && TLatin1Validator::IsLatin1(locale.amText()))
        settings.timeAMString = ToLatin1(locale.amText());
    if (!locale.pmText().isEmpty() && TLatin1Validator::IsLatin1(locale.pmText()))
        settings.timePMString = ToLatin1(locale.pmText());
    return settings;
}

namespace {

// A description's collation key of the locale-aware comparison, with the text itself for
// the byte-wise tie-break.
class TLocaleCollationKey : public TCollationKey {
public:
    TLocaleCollationKey(QCollatorSortKey key, std::string text) : key_(std::move(key)), text_(std::move(text)) {}
    int Compare(const TCollationKey& other) const override {
        const auto& that = static_cast<const TLocaleCollationKey&>(other);
        const int byLocale = key_.compare(that.key_);
        return byLocale != 0 ? byLocale : CompareTextIgnoringCase(text_, that.text_);
    }

private:
    QCollatorSortKey key_;
    std::string text_;
};

}  // namespace

int CompareDescriptions(const std::string& a, const std::string& b) {
    const int byLocale = QString::localeAwareCompare(FromLatin1(a).toCaseFolded(), FromLatin1(b).toCaseFolded());
    return byLocale != 0 ? byLocale : CompareTextIgnoringCase(a, b);
}

TCollationKeyMaker DescriptionCollationKeys() {
    // The collation of the locale-aware comparison: the default locale's.
    auto collator = std::make_shared<QCollator>();
    return [collator](const std::string& text) -> std::unique_ptr<TCollationKey> {
        return std::make_unique<TLocaleCollationKey>(collator->sortKey(FromLatin1(text).toCaseFolded()), text);
    };
}

void PrepareEngine(TKelmorClass& engine) {
    engine.SetRegionalSettings(RegionalSettingsFrom(QLocale::system()));
    engine.SetTextComparer(CompareDescriptions);
    engine.SetCollationKeys(DescriptionCollationKeys());
}

}  // namespace kelmor
