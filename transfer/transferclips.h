// The animations of the import and export progress window: a page travels from a file
// into a database (import) or from a database into a file (export), one trip per loop.
#pragma once

class QPainter;
class QRect;

namespace kelmor {

constexpr int kTransferClipFrames = 27;  // frames 0..26

void PaintImportClip(QPainter& painter, const QRect& area, int frame, int frameCount);
void PaintExportClip(QPainter& painter, const QRect& area, int frame, int frameCount);

}  // namespace kelmor
