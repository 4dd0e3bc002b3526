#include "ui/timagestrip.h"

namespace kelmor {

bool TImageStrip::Load(const QString& path) {
    images_.clear();
    const QPixmap strip(path);
    if (strip.isNull() || strip.height() <= 0) return false;
    const int side = strip.height();
    for (int x = 0; x + side <= strip.width(); x += side) images_.push_back(strip.copy(x, 0, side, side));
    return true;
}

QPixmap TImageStrip::Pixmap(int index) const {
    return index >= 0 && index < Count() ? images_[static_cast<size_t>(index)] : QPixmap();
}

QIcon TImageStrip::Icon(int index) const {
    return index >= 0 && index < Count() ? QIcon(images_[static_cast<size_t>(index)]) : QIcon();
}

}  // namespace kelmor
