#include "ui/timagestrip.h"

#include <QFileInfo>

namespace kelmor {

namespace {

std::vector<QPixmap> Cut(const QPixmap& strip, qreal ratio) {
    std::vector<QPixmap> images;
    const int side = strip.height();
    for (int x = 0; side > 0 && x + side <= strip.width(); x += side) {
        images.push_back(strip.copy(x, 0, side, side));
        images.back().setDevicePixelRatio(ratio);
    }
    return images;
}

}  // namespace

bool TImageStrip::Load(const QString& path) {
    images_.clear();
    doubleImages_.clear();
    const QPixmap strip(path);
    if (strip.isNull() || strip.height() <= 0) return false;
    images_ = Cut(strip, 1.0);
    const QFileInfo file(path);
    const QPixmap doubled(file.path() + QLatin1Char('/') + file.completeBaseName() + QStringLiteral("@2x.") +
                          file.suffix());
    if (!doubled.isNull() && doubled.height() == 2 * strip.height()) {
        doubleImages_ = Cut(doubled, 2.0);
        if (doubleImages_.size() != images_.size()) doubleImages_.clear();
    }
    return true;
}

QPixmap TImageStrip::Pixmap(int index) const {
    return index >= 0 && index < Count() ? images_[static_cast<size_t>(index)] : QPixmap();
}

std::vector<QPixmap> TImageStrip::Pixmaps(int index) const {
    if (index < 0 || index >= Count()) return {};
    std::vector<QPixmap> pixmaps{images_[static_cast<size_t>(index)]};
    if (!doubleImages_.empty()) pixmaps.push_back(doubleImages_[static_cast<size_t>(index)]);
    return pixmaps;
}

QIcon TImageStrip::Icon(int index) const {
    QIcon icon;
    for (const QPixmap& pixmap : Pixmaps(index)) icon.addPixmap(pixmap);
    return icon;
}

}  // namespace kelmor
