// TBlobKeyEditor: the frame of blob keys, up to 65535 bytes.
#pragma once

#include "editors/tbinarykeyframe.h"

namespace kelmor {

class TBlobKeyEditor : public TBinaryKeyFrame {
    Q_OBJECT
public:
    static constexpr int kMaxSize = 65535;

    TBlobKeyEditor(QWidget* parent, bool readOnly, int& length, QByteArray& buffer, uint8_t keyType,
                   const TImageStrip& images, const TRegionalSettings& settings);
};

}  // namespace kelmor
