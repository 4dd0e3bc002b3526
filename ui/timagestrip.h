// TImageStrip: a row of 16 x 16 images in one picture, handed out one by one.
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
    // Cuts the picture at `path` into square images of its height.
    bool Load(const QString& path);

    int Count() const { return static_cast<int>(images_.size()); }
    // An empty pixmap or icon for an index outside the strip (a command without image).
    QPixmap Pixmap(int index) const;
    QIcon Icon(int index) const;

private:
    std::vector<QPixmap> images_;
};

}  // namespace kelmor
