#include "search/searchhistory.h"

#include <QSettings>

#include "ui/latin1validator.h"

namespace kelmor {

namespace {

const QString kCountValue = QStringLiteral("Items");

QString ItemValue(int number) { return QStringLiteral("Item%1").arg(number); }

}  // namespace

void TSearchHistory::Add(const QString& text) {
    for (qsizetype i = 0; i < items_.size(); ++i) {
        if (items_[i].compare(text, Qt::CaseInsensitive) == 0) {
            items_.move(i, 0);
            return;
        }
    }
    items_.prepend(text);
    while (items_.size() > kMaxItems) items_.removeLast();
}

void TSearchHistory::Load(QSettings& settings, const QString& group) {
    settings.beginGroup(group);
    bool ok = false;
    const int count = settings.value(kCountValue).toInt(&ok);
    // A hand-edited count never makes the list longer than the dialogs keep it.
    for (int number = 1; ok && number <= count && items_.size() < kMaxItems; ++number) {
        const QVariant value = settings.value(ItemValue(number));
        if (!value.isValid() || !value.canConvert<QString>()) break;
        const QString text = value.toString();
        // Texts the boxes could not hold (empty, or beyond Latin-1) count as damage.
        if (text.isEmpty() || !TLatin1Validator::IsLatin1(text)) break;
        items_.append(text.left(kMaxTextLength));
    }
    settings.endGroup();
}

void TSearchHistory::Save(QSettings& settings, const QString& group) const {
    if (!settings.isWritable()) return;
    settings.beginGroup(group);
    settings.remove(QString());  // entries beyond the new count would only linger
    settings.setValue(kCountValue, static_cast<int>(items_.size()));
    for (qsizetype i = 0; i < items_.size(); ++i) settings.setValue(ItemValue(static_cast<int>(i + 1)), items_[i]);
    settings.endGroup();
    settings.sync();
}

}  // namespace kelmor
