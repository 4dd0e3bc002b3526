// TImageStrip: a row of 16 x 16 images in one picture, handed out one by one, with their
// double-density versions when a second picture holds them.
#pragma once

#include <QIcon>
#include <QPixmap>
#include <QString>
#include <vector>

namespace kelmor {

class TImageStrip {
public:
    static constexpr int kImageSize = 16;

    TImageStrip() = default;
    // Cuts the picture at `path` into square images of its height. A picture beside it
    // named with "@2x" before the extension, twice as large, gives the images for screens
    // scaled 2x.
    bool Load(const QString& path);

    int Count() const { return static_cast<int>(images_.size()); }
    // Empty for an index outside the strip (a command without image).
    QPixmap Pixmap(int index) const;
    // The image at every density there is, the plain one first; each pixmap carries its
    // device pixel ratio.
    std::vector<QPixmap> Pixmaps(int index) const;
    QIcon Icon(int index) const;

private:
    std::vector<QPixmap> images_;
    std::vector<QPixmap> doubleImages_;  // empty, or one for each image
};

}  // namespace kelmor
