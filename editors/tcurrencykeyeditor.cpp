#include "editors/tcurrencykeyeditor.h"

#include "editors/numbersyntax.h"
#include "editors/tcurrencyedit.h"
#include "ui/common.h"

namespace kelmor {

TCurrencyKeyEditor::TCurrencyKeyEditor(QWidget* parent, bool readOnly, int& length, QByteArray& buffer, uint8_t keyType,
                                       const TImageStrip& images, const TRegionalSettings& settings)
    : TCommonKeyFrame(parent, readOnly, length, buffer, keyType, images, settings) {
    setFixedSize(364, 56);
    currencyBox_ = new TCurrencyEdit(this);
    currencyBox_->setObjectName(QStringLiteral("ECurrencyBox"));
    // Wider than 121 where the font needs it, so that the longest text of the key shows whole.
    currencyBox_->setGeometry(24, 24, NumberEditWidth(currencyBox_, QStringLiteral("-922337203685477.580"), 121), 22);
    currencyBox_->setMaxLength(32);
    currencyBox_->SetRegionalSettings(settings);
    currencyBox_->SetPrecision(3);
    currencyBox_->SetIncrement(TCurrencyEdit::kUnit);
    currencyBox_->SetValue(LoadNumber<int64_t>());
    currencyBox_->setReadOnly(readOnly);
}

QWidget* TCurrencyKeyEditor::ValueControl() const { return currencyBox_; }

bool TCurrencyKeyEditor::SaveValue() {
    const QString text = currencyBox_->text();
    // The edit reads an amount beyond 64 bits as 0; other text is no number and counts as 0.
    int64_t parsed = 0;
    const TRegionalSettings& settings = RegionalSettings();
    if (ParseCurrency(ToLatin1(text), settings, parsed) || !IsDecimalText(ToLatin1(text), settings.decimalSeparator)) {
        StoreNumber(currencyBox_->Value());
        return true;
    }
    const QString separator(QLatin1Char(settings.decimalSeparator));
    RefuseValue(QStringLiteral("The value must be an amount from -922337203685477%1%2 to 922337203685477%1%3.")
                    .arg(separator, QStringLiteral("5808"), QStringLiteral("5807")),
                currencyBox_);
    return false;
}

}  // namespace kelmor
