#include "editors/tsequencekeyeditor.h"

namespace kelmor {

TSequenceKeyEditor::TSequenceKeyEditor(QWidget* parent, bool readOnly, int& length, QByteArray& buffer, uint8_t keyType,
                                       const TImageStrip& images, const TRegionalSettings& settings)
    : TBinaryKeyFrame(parent, readOnly, length, buffer, keyType, images, settings,
                      TLayout{QSize(354, 213), QRect(24, 24, 321, 161), 8, 2, 14, kMaxSize, 190, QPoint(298, 186),
                              QPoint(322, 186), QStringLiteral("Files of 256 bytes or lower are only supported.")}) {}

}  // namespace kelmor
