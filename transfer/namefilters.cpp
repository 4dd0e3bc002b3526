#include "transfer/namefilters.h"

#include <QRegularExpression>

namespace kelmor {

namespace {

QString StripPatternList(const QString& description) {
    static const QRegularExpression trailingList(QStringLiteral("\\s*\\([^()]*\\)\\s*$"));
    return QString(description).remove(trailingList);
}

}  // namespace

QStringList NameFiltersFromPairs(const QString& pairs) {
    const QStringList parts = pairs.split(QLatin1Char('|'));
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QStringList patterns = parts[i + 1].split(QLatin1Char(';'), Qt::SkipEmptyParts);
        for (QString& pattern : patterns) {
            pattern = pattern.trimmed();
            if (pattern == QLatin1String("*.*")) pattern = QStringLiteral("*");
        }
        filters << QStringLiteral("%1 (%2)").arg(StripPatternList(parts[i]), patterns.join(QLatin1Char(' ')));
    }
    return filters;
}

QString SingleFilterSuffix(const QString& nameFilter) {
    static const QRegularExpression single(QStringLiteral("\\(\\*\\.([^ ()*?\\[\\]]+)\\)\\s*$"));
    const QRegularExpressionMatch match = single.match(nameFilter);
    return match.hasMatch() ? match.captured(1) : QString();
}

}  // namespace kelmor
