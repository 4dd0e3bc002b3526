// TStringKeyEditor: the frame of string keys. The buffer holds a length byte and up to 255
// Latin-1 characters.
#pragma once

#include "editors/tcommonkeyframe.h"

class QLineEdit;

namespace kelmor {

class TStringKeyEditor : public TCommonKeyFrame {
    Q_OBJECT
public:
    static constexpr int kMaxLength = 255;

    TStringKeyEditor(QWidget* parent, bool readOnly, int& length, QByteArray& buffer, uint8_t keyType,
                     const TImageStrip& images, const TRegionalSettings& settings);

    QLineEdit* EStringBox() const { return stringBox_; }

    bool SaveValue() override;
    QWidget* ValueControl() const override;

private:
    QLineEdit* stringBox_;
};

}  // namespace kelmor
