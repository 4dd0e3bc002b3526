// TIntegerKeyEditor: the frame of byte, integer and longint keys (1, 2 or 4 bytes). A number
// outside the key type's range is refused when the value is saved.
#pragma once

#include "editors/tcommonkeyframe.h"

namespace kelmor {

class TIntegerEdit;

class TIntegerKeyEditor : public TCommonKeyFrame {
    Q_OBJECT
public:
    TIntegerKeyEditor(QWidget* parent, bool readOnly, int& length, QByteArray& buffer, uint8_t keyType,
                      const TImageStrip& images, const TRegionalSettings& settings);

    TIntegerEdit* EIntegerBox() const { return integerBox_; }

    bool SaveValue() override;
    QWidget* ValueControl() const override;

private:
    TIntegerEdit* integerBox_;
};

}  // namespace kelmor
