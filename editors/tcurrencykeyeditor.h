// TCurrencyKeyEditor: the frame of currency keys (a 64-bit count of ten-thousandths), shown
// with 3 decimals. An amount beyond the 64-bit range is refused when the value is saved.
#pragma once

#include "editors/tcommonkeyframe.h"

namespace kelmor {

class TCurrencyEdit;

class TCurrencyKeyEditor : public TCommonKeyFrame {
    Q_OBJECT
public:
    TCurrencyKeyEditor(QWidget* parent, bool readOnly, int& length, QByteArray& buffer, uint8_t keyType,
                       const TImageStrip& images, const TRegionalSettings& settings);

    TCurrencyEdit* ECurrencyBox() const { return currencyBox_; }

    bool SaveValue() override;
    QWidget* ValueControl() const override;

private:
    TCurrencyEdit* currencyBox_;
};

}  // namespace kelmor
