// TSequenceKeyEditor: the frame of byte sequence keys, up to 255 bytes.
#pragma once

#include "editors/tbinarykeyframe.h"

namespace kelmor {

class TSequenceKeyEditor : public TBinaryKeyFrame {
    Q_OBJECT
public:
    static constexpr int kMaxSize = 255;

    TSequenceKeyEditor(QWidget* parent, bool readOnly, int& length, QByteArray& buffer, uint8_t keyType,
                       const TImageStrip& images, const TRegionalSettings& settings);
};

}  // namespace kelmor
