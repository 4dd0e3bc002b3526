#include "window/deleteclip.h"

#include <QPainter>
#include <QPainterPath>
#include <QRect>
#include <algorithm>
#include <cmath>

namespace kelmor {

namespace {

const QColor kOutline(0x40, 0x40, 0x48);
const QColor kFolder(0xF2, 0xC1, 0x4E);
const QColor kFolderDark(0xC9, 0x93, 0x1E);
const QColor kBin(0x9A, 0xA0, 0xA8);
const QColor kBinDark(0x6E, 0x74, 0x7C);
const QColor kPaper(0xFF, 0xFF, 0xFF);
const QColor kLines(0x3D, 0x7E, 0xDB);

void DrawFolder(QPainter& p, const QRectF& r) {
    p.setPen(QPen(kOutline, 1.2));
    QPainterPath back;
    back.moveTo(r.left(), r.top() + r.height() * 0.18);
    back.lineTo(r.left() + r.width() * 0.38, r.top() + r.height() * 0.18);
    back.lineTo(r.left() + r.width() * 0.46, r.top());
    back.lineTo(r.right(), r.top());
    back.lineTo(r.right(), r.bottom());
    back.lineTo(r.left(), r.bottom());
    back.closeSubpath();
    p.setBrush(kFolderDark);
    p.drawPath(back);
    p.setBrush(kFolder);
    p.drawRect(QRectF(r.left(), r.top() + r.height() * 0.32, r.width(), r.height() * 0.68));
}

void DrawBin(QPainter& p, const QRectF& r) {
    p.setPen(QPen(kOutline, 1.2));
    QPainterPath body;
    body.moveTo(r.left() + r.width() * 0.08, r.top() + r.height() * 0.22);
    body.lineTo(r.right() - r.width() * 0.08, r.top() + r.height() * 0.22);
    body.lineTo(r.right() - r.width() * 0.18, r.bottom());
    body.lineTo(r.left() + r.width() * 0.18, r.bottom());
    body.closeSubpath();
    p.setBrush(kBin);
    p.drawPath(body);
    p.setPen(QPen(kBinDark, 1.2));
    for (int i = 1; i <= 3; ++i) {
        const qreal x = r.left() + r.width() * (0.18 + 0.16 * i);
        p.drawLine(QPointF(x, r.top() + r.height() * 0.34), QPointF(x, r.bottom() - r.height() * 0.1));
    }
    p.setPen(QPen(kOutline, 1.2));
    p.setBrush(kBinDark);
    p.drawRoundedRect(QRectF(r.left(), r.top() + r.height() * 0.1, r.width(), r.height() * 0.12), 2, 2);
}

void DrawPage(QPainter& p, const QPointF& centre, qreal size, qreal angle) {
    p.save();
    p.translate(centre);
    p.rotate(angle);
    const QRectF page(-size * 0.38, -size * 0.5, size * 0.76, size);
    p.setPen(QPen(kOutline, 1.0));
    p.setBrush(kPaper);
    p.drawRect(page);
    p.setPen(QPen(kLines, 1.0));
    for (int i = 1; i <= 3; ++i) {
        const qreal y = page.top() + page.height() * 0.22 * i;
        p.drawLine(QPointF(page.left() + size * 0.1, y), QPointF(page.right() - size * 0.1, y));
    }
    p.restore();
}

}  // namespace

void PaintDeleteClip(QPainter& painter, const QRect& area, int frame, int frameCount) {
    const QRectF r(area);
    const qreal side = std::min(r.height() * 0.62, r.width() * 0.2);
    const qreal baseline = r.center().y() + side * 0.5;
    const QRectF folder(r.left() + r.width() * 0.16, baseline - side * 0.8, side, side * 0.8);
    const QRectF bin(r.right() - r.width() * 0.16 - side * 0.8, baseline - side, side * 0.8, side);

    DrawFolder(painter, folder);
    // The page travels on an arc from the folder to the bin opening, shrinking a little.
    const qreal t = frameCount > 1 ? static_cast<qreal>(frame) / (frameCount - 1) : 0.0;
    const QPointF from(folder.center().x(), folder.top() + side * 0.1);
    const QPointF to(bin.center().x(), bin.top() + side * 0.3);
    const qreal lift = r.height() * 0.32;
    const QPointF at(from.x() + (to.x() - from.x()) * t,
                     from.y() + (to.y() - from.y()) * t - lift * std::sin(t * 3.14159265358979));
    const qreal size = side * (0.62 - 0.22 * t);
    // The bin is drawn last, so that the page drops behind its front.
    DrawPage(painter, at, size, t * 200.0);
    DrawBin(painter, bin);
}

}  // namespace kelmor
