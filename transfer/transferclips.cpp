#include "transfer/transferclips.h"

#include <QPainter>
#include <QPainterPath>
#include <QRect>
#include <algorithm>
#include <cmath>

namespace kelmor {

namespace {

const QColor kOutline(0x40, 0x40, 0x48);
const QColor kDatabase(0x6F, 0xA8, 0xDC);
const QColor kDatabaseTop(0xA9, 0xCD, 0xEE);
const QColor kDatabaseBand(0x3F, 0x78, 0xAC);
const QColor kFile(0xFF, 0xFF, 0xFF);
const QColor kFileFold(0xD8, 0xDC, 0xE2);
const QColor kLines(0x9A, 0xA0, 0xA8);
const QColor kPage(0xFF, 0xF4, 0xC8);
const QColor kPageLines(0xC9, 0x93, 0x1E);

void DrawDatabase(QPainter& p, const QRectF& r) {
    const qreal lid = r.height() * 0.24;
    p.setPen(QPen(kOutline, 1.2));
    QPainterPath body;
    body.moveTo(r.left(), r.top() + lid / 2);
    body.lineTo(r.left(), r.bottom() - lid / 2);
    body.arcTo(QRectF(r.left(), r.bottom() - lid, r.width(), lid), 180, 180);
    body.lineTo(r.right(), r.top() + lid / 2);
    body.closeSubpath();
    p.setBrush(kDatabase);
    p.drawPath(body);
    // Two bands mark the stored layers.
    p.setPen(QPen(kDatabaseBand, 1.2));
    p.setBrush(Qt::NoBrush);
    for (int band = 1; band <= 2; ++band) {
        const qreal y = r.top() + (r.height() - lid) * band / 3.0;
        p.drawArc(QRectF(r.left(), y, r.width(), lid), 180 * 16, 180 * 16);
    }
    p.setPen(QPen(kOutline, 1.2));
    p.setBrush(kDatabaseTop);
    p.drawEllipse(QRectF(r.left(), r.top(), r.width(), lid));
}

void DrawFile(QPainter& p, const QRectF& r) {
    const qreal fold = r.width() * 0.3;
    p.setPen(QPen(kOutline, 1.2));
    QPainterPath sheet;
    sheet.moveTo(r.left(), r.top());
    sheet.lineTo(r.right() - fold, r.top());
    sheet.lineTo(r.right(), r.top() + fold);
    sheet.lineTo(r.right(), r.bottom());
    sheet.lineTo(r.left(), r.bottom());
    sheet.closeSubpath();
    p.setBrush(kFile);
    p.drawPath(sheet);
    QPainterPath corner;
    corner.moveTo(r.right() - fold, r.top());
    corner.lineTo(r.right() - fold, r.top() + fold);
    corner.lineTo(r.right(), r.top() + fold);
    corner.closeSubpath();
    p.setBrush(kFileFold);
    p.drawPath(corner);
    p.setPen(QPen(kLines, 1.0));
    for (int i = 1; i <= 4; ++i) {
        const qreal y = r.top() + fold + (r.height() - fold) * 0.18 * i;
        p.drawLine(QPointF(r.left() + r.width() * 0.15, y), QPointF(r.right() - r.width() * 0.15, y));
    }
}

void DrawPage(QPainter& p, const QPointF& centre, qreal size) {
    const QRectF page(centre.x() - size * 0.38, centre.y() - size * 0.5, size * 0.76, size);
    p.setPen(QPen(kOutline, 1.0));
    p.setBrush(kPage);
    p.drawRect(page);
    p.setPen(QPen(kPageLines, 1.0));
    for (int i = 1; i <= 3; ++i) {
        const qreal y = page.top() + page.height() * 0.22 * i;
        p.drawLine(QPointF(page.left() + size * 0.1, y), QPointF(page.right() - size * 0.1, y));
    }
}

// The source on the left, the target on the right; the page rises from the source,
// travels on an arc and sinks into the target.
void PaintTrip(QPainter& painter, const QRect& area, int frame, int frameCount, bool intoDatabase) {
    const QRectF r(area);
    const qreal side = std::min(r.height() * 0.62, r.width() * 0.2);
    const qreal baseline = r.center().y() + side * 0.5;
    const QRectF left(r.left() + r.width() * 0.16, baseline - side, side * 0.8, side);
    const QRectF right(r.right() - r.width() * 0.16 - side * 0.8, baseline - side, side * 0.8, side);
    const QRectF& databaseBox = intoDatabase ? right : left;
    const QRectF& fileBox = intoDatabase ? left : right;

    const qreal t = frameCount > 1 ? static_cast<qreal>(frame) / (frameCount - 1) : 0.0;
    const QPointF from(left.center().x(), left.top() + side * 0.2);
    const QPointF to(right.center().x(), right.top() + side * 0.3);
    const qreal lift = r.height() * 0.22;
    const QPointF at(from.x() + (to.x() - from.x()) * t,
                     from.y() + (to.y() - from.y()) * t - lift * std::sin(t * 3.14159265358979));

    DrawDatabase(painter, databaseBox);
    DrawFile(painter, fileBox);
    DrawPage(painter, at, side * 0.45);
    // The target again over the page's last steps, so that it sinks in.
    if (t > 0.85) {
        if (intoDatabase) DrawDatabase(painter, databaseBox);
        else DrawFile(painter, fileBox);
    }
}

}  // namespace

void PaintImportClip(QPainter& painter, const QRect& area, int frame, int frameCount) {
    PaintTrip(painter, area, frame, frameCount, true);
}

void PaintExportClip(QPainter& painter, const QRect& area, int frame, int frameCount) {
    PaintTrip(painter, area, frame, frameCount, false);
}

}  // namespace kelmor
