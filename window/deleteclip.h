// The animation of the delete progress window: a page leaves a folder and drops into a
// waste bin, one trip per loop.
#pragma once

class QPainter;
class QRect;

namespace kelmor {

constexpr int kDeleteClipFrames = 25;  // frames 0..24

void PaintDeleteClip(QPainter& painter, const QRect& area, int frame, int frameCount);

}  // namespace kelmor
