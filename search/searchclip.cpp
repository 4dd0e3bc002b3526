#include "search/searchclip.h"

#include <QPainter>
#include <QRect>
#include <algorithm>
#include <cmath>

namespace kelmor {

namespace {

const QColor kOutline(0x40, 0x40, 0x48);
const QColor kPaper(0xFF, 0xFF, 0xFF);
const QColor kLines(0x3D, 0x7E, 0xDB);
const QColor kGlass(0xCF, 0xE6, 0xFA, 0xB0);
const QColor kHandle(0x8A, 0x5A, 0x2B);

void DrawPage(QPainter& p, const QRectF& page) {
    p.setPen(QPen(kOutline, 1.0));
    p.setBrush(kPaper);
    p.drawRect(page);
    p.setPen(QPen(kLines, 1.0));
    for (int i = 1; i <= 6; ++i) {
        const qreal y = page.top() + page.height() * 0.13 * i;
        const qreal right = page.right() - page.width() * (i % 3 == 0 ? 0.35 : 0.12);
        p.drawLine(QPointF(page.left() + page.width() * 0.12, y), QPointF(right, y));
    }
}

void DrawGlass(QPainter& p, const QPointF& centre, qreal radius) {
    const QPointF handleStart = centre + QPointF(radius * 0.7, radius * 0.7);
    const QPointF handleEnd = centre + QPointF(radius * 1.7, radius * 1.7);
    p.setPen(QPen(kHandle, radius * 0.35, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(handleStart, handleEnd);
    p.setPen(QPen(kOutline, std::max<qreal>(1.5, radius * 0.15)));
    p.setBrush(kGlass);
    p.drawEllipse(centre, radius, radius);
}

}  // namespace

void PaintSearchClip(QPainter& painter, const QRect& area, int frame, int frameCount) {
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF r(area);
    const qreal side = std::min(r.width(), r.height()) * 0.8;
    const QRectF page(r.center().x() - side * 0.36, r.center().y() - side * 0.46, side * 0.72, side * 0.92);
    DrawPage(painter, page);
    // The glass goes round an ellipse over the page.
    const qreal t = frameCount > 0 ? static_cast<qreal>(frame) / frameCount : 0.0;
    const qreal angle = t * 2 * 3.14159265358979;
    const QPointF centre(page.center().x() + page.width() * 0.22 * std::cos(angle),
                         page.center().y() - page.height() * 0.12 + page.height() * 0.2 * std::sin(angle));
    DrawGlass(painter, centre, side * 0.17);
}

}  // namespace kelmor
