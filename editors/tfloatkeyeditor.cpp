#include "editors/tfloatkeyeditor.h"

#include <cmath>
#include <limits>

#include "editors/numbersyntax.h"
#include "editors/tfloatedit.h"
#include "engine/keytypes.h"
#include "ui/common.h"

namespace kelmor {

TFloatKeyEditor::TFloatKeyEditor(QWidget* parent, bool readOnly, int& length, QByteArray& buffer, uint8_t keyType,
                                 const TImageStrip& images, const TRegionalSettings& settings)
    : TCommonKeyFrame(parent, readOnly, length, buffer, keyType, images, settings) {
    setFixedSize(364, 56);
    floatBox_ = new TFloatEdit(this);
    floatBox_->setObjectName(QStringLiteral("EFloatBox"));
    // Wider than 121 where the font needs it, so that the longest text of the key shows whole.
    floatBox_->setGeometry(24, 24, NumberEditWidth(floatBox_, QStringLiteral("-0.333333333333333E-300"), 121), 22);
    floatBox_->setMaxLength(64);
    floatBox_->SetIncrement(1);
    floatBox_->SetRegionalSettings(settings);
    if (keyType == ktFloat) {
        floatBox_->SetFormat(TFloatFormat::Fixed);
        floatBox_->SetPrecision(3);
        floatBox_->SetValue(LoadNumber<float>());
    } else {
        floatBox_->SetFormat(TFloatFormat::General);
        floatBox_->SetPrecision(15);
        floatBox_->SetValue(LoadNumber<double>());
    }
    floatBox_->setReadOnly(readOnly);
}

QWidget* TFloatKeyEditor::ValueControl() const { return floatBox_; }

void TFloatKeyEditor::RefuseTooLarge(double largest) {
    const QString limit = FromLatin1(FormatGeneral(largest, 15, RegionalSettings()));
    RefuseValue(QStringLiteral("The value must be a number from -%1 to %1.").arg(limit), floatBox_);
}

bool TFloatKeyEditor::SaveValue() {
    const std::string text = ToLatin1(floatBox_->text());
    const bool single = KeyTypeCode() == ktFloat;
    double value = 0;
    const bool isNumber = ParseDouble(text, RegionalSettings(), value);
    if (!isNumber) {
        // The edit reads a number beyond the double range as 0; other text is no number and
        // counts as 0.
        if (IsDecimalText(text, RegionalSettings().decimalSeparator)) {
            RefuseTooLarge(single ? std::numeric_limits<float>::max() : std::numeric_limits<double>::max());
            return false;
        }
        value = 0;
    }
    if (!single) {
        StoreNumber(value);
        return true;
    }
    // Not a number and the infinities can only have come from the key itself: kept as they are.
    float narrowed = static_cast<float>(value);
    if (isNumber && std::isfinite(value) && !ParseSingle(text, RegionalSettings(), narrowed)) {
        RefuseTooLarge(std::numeric_limits<float>::max());
        return false;
    }
    StoreNumber(narrowed);
    return true;
}

}  // namespace kelmor
