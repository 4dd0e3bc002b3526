// The animation of the search progress window: a magnifying glass circles over a page of
// text, one round per loop.
#pragma once

class QPainter;
class QRect;

namespace kelmor {

constexpr int kSearchClipFrames = 25;  // frames 0..24

void PaintSearchClip(QPainter& painter, const QRect& area, int frame, int frameCount);

}  // namespace kelmor
