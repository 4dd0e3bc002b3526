#include "editors/tintegerkeyeditor.h"

#include <limits>

#include "editors/numbersyntax.h"
#include "editors/tintegeredit.h"
#include "engine/keytypes.h"
#include "ui/common.h"

namespace kelmor {

TIntegerKeyEditor::TIntegerKeyEditor(QWidget* parent, bool readOnly, int& length, QByteArray& buffer, uint8_t keyType,
                                     const TImageStrip& images, const TRegionalSettings& settings)
    : TCommonKeyFrame(parent, readOnly, length, buffer, keyType, images, settings) {
    setFixedSize(364, 56);
    integerBox_ = new TIntegerEdit(this);
    integerBox_->setObjectName(QStringLiteral("EIntegerBox"));
    // Wider than 121 where the font needs it, so that the longest text of the key shows whole.
    integerBox_->setGeometry(24, 24, NumberEditWidth(integerBox_, QStringLiteral("-2147483648"), 121), 22);
    integerBox_->setMaxLength(32);
    integerBox_->SetRegionalSettings(settings);
    switch (keyType) {
        case ktByte:
            integerBox_->SetMin(0);
            integerBox_->SetMax(255);
            integerBox_->SetValue(LoadNumber<uint8_t>());
            break;
        case ktInteger:
            integerBox_->SetMin(-32768);
            integerBox_->SetMax(32767);
            integerBox_->SetValue(LoadNumber<int16_t>());
            break;
        default:
            integerBox_->SetMin(std::numeric_limits<int32_t>::min());
            integerBox_->SetMax(std::numeric_limits<int32_t>::max());
            integerBox_->SetValue(LoadNumber<int32_t>());
            break;
    }
    integerBox_->setReadOnly(readOnly);
}

QWidget* TIntegerKeyEditor::ValueControl() const { return integerBox_; }

bool TIntegerKeyEditor::SaveValue() {
    // The edit reads a number beyond 32 bits as 0 and holds typed numbers to no limits: a
    // number the key cannot hold would be stored cut or as 0.
    const std::string text = ToLatin1(integerBox_->text());
    int64_t typed = 0;
    const bool fits = ParseInteger(text, typed) && typed >= integerBox_->Min() && typed <= integerBox_->Max();
    if (IsIntegerText(text) && !fits) {
        RefuseValue(QStringLiteral("The value must be a whole number from %1 to %2.")
                        .arg(integerBox_->Min())
                        .arg(integerBox_->Max()),
                    integerBox_);
        return false;
    }
    const int32_t value = integerBox_->Value();
    switch (KeyTypeCode()) {
        case ktByte: StoreNumber(static_cast<uint8_t>(value)); break;
        case ktInteger: StoreNumber(static_cast<int16_t>(value)); break;
        default: StoreNumber(value); break;
    }
    return true;
}

}  // namespace kelmor
