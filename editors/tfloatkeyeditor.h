// TFloatKeyEditor: the frame of float (single precision, fixed notation with 3 decimals) and
// double keys (general notation). A number too large for the key's precision is refused when
// the value is saved.
#pragma once

#include "editors/tcommonkeyframe.h"

namespace kelmor {

class TFloatEdit;

class TFloatKeyEditor : public TCommonKeyFrame {
    Q_OBJECT
public:
    TFloatKeyEditor(QWidget* parent, bool readOnly, int& length, QByteArray& buffer, uint8_t keyType,
                    const TImageStrip& images, const TRegionalSettings& settings);

    TFloatEdit* EFloatBox() const { return floatBox_; }

    bool SaveValue() override;
    QWidget* ValueControl() const override;

private:
    void RefuseTooLarge(double largest);

    TFloatEdit* floatBox_;
};

}  // namespace kelmor
