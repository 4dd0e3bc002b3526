#include "editors/tblobkeyeditor.h"

namespace kelmor {

TBlobKeyEditor::TBlobKeyEditor(QWidget* parent, bool readOnly, int& length, QByteArray& buffer, uint8_t keyType,
                               const TImageStrip& images, const TRegionalSettings& settings)
    : TBinaryKeyFrame(parent, readOnly, length, buffer, keyType, images, settings,
                      TLayout{QSize(545, 228), QRect(24, 24, 513, 175), 16, 4, 13, kMaxSize, 204, QPoint(490, 200),
                              QPoint(514, 200), QStringLiteral("Files of 64K or lower are only supported.")}) {}

}  // namespace kelmor
