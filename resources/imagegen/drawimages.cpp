// Draws the program's pictures into resources/images: the strip of 45 command images
// (commands.png, 720 x 16, and commands@2x.png at double density), the strip of 4 tree
// images (tree.png, 64 x 16, and tree@2x.png), the program icon (kelmor.png) and the
// document icon (kelmordoc.png), all in one flat style: soft fills, a dark outline one
// pixel wide, small overlays in the lower right corner.
// Run by hand after changing a picture:  kelmor_drawimages resources/images
#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QString>
#include <cmath>
#include <functional>
#include <iostream>
#include <vector>

namespace {

const QColor kOutline(0x40, 0x40, 0x48);
const QColor kPaper(0xFF, 0xFF, 0xFF);
const QColor kFolder(0xF2, 0xC1, 0x4E);
const QColor kFolderDark(0xC9, 0x93, 0x1E);
const QColor kBlue(0x3D, 0x7E, 0xDB);
const QColor kGreen(0x3B, 0xA5, 0x4A);
const QColor kRed(0xD9, 0x3A, 0x32);
const QColor kGold(0xE8, 0xB3, 0x1C);
const QColor kGrey(0x9A, 0xA0, 0xA8);
const QColor kPurple(0x8E, 0x5C, 0xC4);
const QColor kOrange(0xE8, 0x7B, 0x22);
const QColor kCylinder(0x6F, 0x8F, 0xB8);

using Draw = std::function<void(QPainter&)>;

QPen Outline(qreal width = 1.0) { return QPen(kOutline, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin); }

// ---- base glyphs (drawn in a 16 x 16 box) --------------------------------------------

void Page(QPainter& p, const QRectF& r = QRectF(3.5, 1.5, 10, 13)) {
    QPainterPath path;
    const qreal fold = r.width() * 0.35;
    path.moveTo(r.left(), r.top());
    path.lineTo(r.right() - fold, r.top());
    path.lineTo(r.right(), r.top() + fold);
    path.lineTo(r.right(), r.bottom());
    path.lineTo(r.left(), r.bottom());
    path.closeSubpath();
    p.setPen(Outline());
    p.setBrush(kPaper);
    p.drawPath(path);
    p.drawLine(QPointF(r.right() - fold, r.top()), QPointF(r.right() - fold, r.top() + fold));
    p.drawLine(QPointF(r.right() - fold, r.top() + fold), QPointF(r.right(), r.top() + fold));
}

void ClosedFolder(QPainter& p, const QRectF& r = QRectF(1.5, 3.5, 13, 10)) {
    QPainterPath tab;
    tab.moveTo(r.left(), r.top() + 2);
    tab.lineTo(r.left(), r.top());
    tab.lineTo(r.left() + 5, r.top());
    tab.lineTo(r.left() + 6, r.top() + 1.5);
    tab.lineTo(r.right(), r.top() + 1.5);
    tab.lineTo(r.right(), r.top() + 3);
    p.setPen(Outline());
    p.setBrush(kFolderDark);
    p.drawPath(tab);
    p.setBrush(kFolder);
    p.drawRect(QRectF(r.left(), r.top() + 2.5, r.width(), r.height() - 2.5));
}

void OpenFolder(QPainter& p) {
    p.setPen(Outline());
    p.setBrush(kFolderDark);
    QPainterPath back;
    back.moveTo(1.5, 13.5);
    back.lineTo(1.5, 3.5);
    back.lineTo(6, 3.5);
    back.lineTo(7, 5);
    back.lineTo(12.5, 5);
    back.lineTo(12.5, 7.5);
    p.drawPath(back);
    QPainterPath front;
    front.moveTo(1.5, 13.5);
    front.lineTo(4, 7.5);
    front.lineTo(15, 7.5);
    front.lineTo(12.5, 13.5);
    front.closeSubpath();
    p.setBrush(kFolder);
    p.drawPath(front);
}

void Cylinder(QPainter& p, const QRectF& r = QRectF(2.5, 1.5, 11, 13), const QColor& fill = kCylinder) {
    const qreal cap = r.height() * 0.25;
    QPainterPath body;
    body.moveTo(r.left(), r.top() + cap / 2);
    body.lineTo(r.left(), r.bottom() - cap / 2);
    body.arcTo(QRectF(r.left(), r.bottom() - cap, r.width(), cap), 180, 180);
    body.lineTo(r.right(), r.top() + cap / 2);
    p.setPen(Outline());
    p.setBrush(fill);
    p.drawPath(body);
    p.setBrush(fill.lighter(130));
    p.drawEllipse(QRectF(r.left(), r.top(), r.width(), cap));
    p.setBrush(Qt::NoBrush);
    QPainterPath band;
    band.moveTo(r.left(), r.center().y() - cap / 4);
    band.arcTo(QRectF(r.left(), r.center().y() - cap * 0.75, r.width(), cap), 180, 180);
    p.drawPath(band);
}

void Window(QPainter& p, const QRectF& r) {
    p.setPen(Outline());
    p.setBrush(kPaper);
    p.drawRect(r);
    p.setBrush(kBlue);
    p.drawRect(QRectF(r.left(), r.top(), r.width(), 3));
}

void Key(QPainter& p, const QPointF& at = QPointF(0, 0), qreal scale = 1.0) {
    p.save();
    p.translate(at);
    p.scale(scale, scale);
    p.setPen(Outline());
    p.setBrush(kGold);
    QPainterPath shaft;
    shaft.addRect(QRectF(7, 6.5, 7.5, 2.5));
    shaft.addRect(QRectF(11, 9, 1.5, 2.5));
    shaft.addRect(QRectF(13, 9, 1.5, 3));
    p.drawPath(shaft.simplified());
    p.drawEllipse(QRectF(1.5, 4, 7, 7));
    p.setBrush(kPaper);
    p.drawEllipse(QRectF(3.5, 6.5, 2, 2));
    p.restore();
}

void Magnifier(QPainter& p, const QPointF& at = QPointF(0, 0), qreal scale = 1.0) {
    p.save();
    p.translate(at);
    p.scale(scale, scale);
    p.setPen(QPen(kOutline, 3, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(10, 10), QPointF(14, 14));
    p.setPen(Outline(1.2));
    p.setBrush(QColor(0xCF, 0xE6, 0xFA));
    p.drawEllipse(QRectF(1.5, 1.5, 9, 9));
    p.setPen(QPen(kPaper, 1));
    p.drawArc(QRectF(3.5, 3.5, 5, 5), 90 * 16, 80 * 16);
    p.restore();
}

void Badge(QPainter& p, const QColor& fill, const QString& text, qreal pixelSize = 9) {
    p.setPen(Outline());
    p.setBrush(fill);
    p.drawRoundedRect(QRectF(0.5, 2.5, 15, 11), 2.5, 2.5);
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(static_cast<int>(pixelSize));
    font.setBold(true);
    font.setHintingPreference(QFont::PreferFullHinting);
    p.setFont(font);
    p.setPen(kPaper);
    p.drawText(QRectF(0, 2.5, 16, 11), Qt::AlignCenter, text);
}

// ---- overlays (lower right corner unless stated) -----------------------------------

void Plus(QPainter& p) {
    p.setPen(Outline());
    p.setBrush(kGreen);
    QPainterPath cross;
    cross.addRect(QRectF(11, 8.5, 3, 7));
    cross.addRect(QRectF(9, 10.5, 7, 3));
    p.drawPath(cross.simplified());
}

void Cross(QPainter& p, const QRectF& r = QRectF(8.5, 8.5, 7, 7)) {
    p.setPen(QPen(kOutline, 3.6, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(r.topLeft(), r.bottomRight());
    p.drawLine(r.topRight(), r.bottomLeft());
    p.setPen(QPen(kRed, 2, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(r.topLeft(), r.bottomRight());
    p.drawLine(r.topRight(), r.bottomLeft());
}

void Pencil(QPainter& p) {
    p.save();
    p.translate(11, 11);
    p.rotate(45);
    p.setPen(Outline());
    p.setBrush(kOrange);
    p.drawRect(QRectF(-1.75, -7, 3.5, 8));
    p.setBrush(QColor(0xF5, 0xD9, 0xA8));
    QPainterPath tip;
    tip.moveTo(-1.75, 1);
    tip.lineTo(0, 4.5);
    tip.lineTo(1.75, 1);
    tip.closeSubpath();
    p.drawPath(tip);
    p.restore();
}

void InfoMark(QPainter& p, const QRectF& r = QRectF(8.5, 7.5, 8, 8)) {
    p.setPen(Outline());
    p.setBrush(kBlue);
    p.drawEllipse(r);
    p.setPen(QPen(kPaper, 1.6, Qt::SolidLine, Qt::FlatCap));
    p.drawLine(QPointF(r.center().x(), r.top() + 3.2), QPointF(r.center().x(), r.bottom() - 1.2));
    p.setPen(QPen(kPaper, 1.6, Qt::SolidLine, Qt::RoundCap));
    p.drawPoint(QPointF(r.center().x(), r.top() + 1.7));
}

void Scissors(QPainter& p, const QPointF& at = QPointF(7, 6)) {
    p.save();
    p.translate(at);
    p.setPen(QPen(kOutline, 1.2));
    p.drawLine(QPointF(1, 0), QPointF(6, 6.5));
    p.drawLine(QPointF(7, 0), QPointF(2, 6.5));
    p.setBrush(kRed);
    p.drawEllipse(QRectF(-0.5, 6, 3.5, 3.5));
    p.drawEllipse(QRectF(5, 6, 3.5, 3.5));
    p.restore();
}

void Clipboard(QPainter& p) {
    p.setPen(Outline());
    p.setBrush(QColor(0xB5, 0x8A, 0x5A));
    p.drawRoundedRect(QRectF(1.5, 2.5, 10, 12.5), 1.5, 1.5);
    p.setBrush(kPaper);
    p.drawRect(QRectF(3, 4.5, 7, 9));
    p.setBrush(kGrey);
    p.drawRect(QRectF(4.5, 1.5, 4, 2.5));
}

void Arrow(QPainter& p, const QPointF& from, const QPointF& to, const QColor& colour = kGreen) {
    const QLineF line(from, to);
    const qreal angle = std::atan2(to.y() - from.y(), to.x() - from.x());
    const qreal head = 3.5;
    QPolygonF tip;
    tip << to << to - QPointF(std::cos(angle - 0.6) * head, std::sin(angle - 0.6) * head)
        << to - QPointF(std::cos(angle + 0.6) * head, std::sin(angle + 0.6) * head);
    p.setPen(QPen(kOutline, 3.4, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawLine(line);
    p.drawPolygon(tip);
    p.setPen(QPen(colour, 1.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(colour);
    p.drawLine(from, to - QPointF(std::cos(angle) * 1.5, std::sin(angle) * 1.5));
    p.drawPolygon(tip);
}

void LinkArrow(QPainter& p) {
    // A small white box with a curved arrow: the "shortcut" mark.
    p.setPen(Outline());
    p.setBrush(kPaper);
    p.drawRect(QRectF(0.5, 8.5, 7, 7));
    QPainterPath curve;
    curve.moveTo(2.5, 14);
    curve.quadTo(2.5, 10.5, 6, 10.5);
    p.setPen(QPen(kBlue, 1.4, Qt::SolidLine, Qt::RoundCap));
    p.setBrush(Qt::NoBrush);
    p.drawPath(curve);
    QPolygonF tip;
    tip << QPointF(7, 10.5) << QPointF(4.8, 8.8) << QPointF(4.8, 12.2);
    p.setPen(Qt::NoPen);
    p.setBrush(kBlue);
    p.drawPolygon(tip);
}

void ChainLink(QPainter& p, const QRectF& r, qreal angle) {
    p.save();
    p.translate(r.center());
    p.rotate(angle);
    p.setPen(QPen(kOutline, 2.8));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(QRectF(-r.width() / 2, -r.height() / 2, r.width(), r.height()), 2, 2);
    p.setPen(QPen(kGrey.lighter(120), 1.2));
    p.drawRoundedRect(QRectF(-r.width() / 2, -r.height() / 2, r.width(), r.height()), 2, 2);
    p.restore();
}

void Padlock(QPainter& p) {
    p.setPen(QPen(kOutline, 2.6));
    p.setBrush(Qt::NoBrush);
    p.drawArc(QRectF(4.5, 1.5, 7, 9), 0, 180 * 16);
    p.drawLine(QPointF(4.5, 6), QPointF(4.5, 8));
    p.drawLine(QPointF(11.5, 6), QPointF(11.5, 8));
    p.setPen(QPen(kGrey, 1.2));
    p.drawArc(QRectF(4.5, 1.5, 7, 9), 0, 180 * 16);
    p.setPen(Outline());
    p.setBrush(kGold);
    p.drawRoundedRect(QRectF(2.5, 7.5, 11, 7.5), 1.5, 1.5);
    p.setBrush(kOutline);
    p.drawEllipse(QRectF(7, 9.5, 2, 2));
    p.drawRect(QRectF(7.5, 11, 1, 2));
}

void Floppy(QPainter& p) {
    p.setPen(Outline());
    p.setBrush(kBlue);
    QPainterPath body;
    body.moveTo(1.5, 1.5);
    body.lineTo(12.5, 1.5);
    body.lineTo(14.5, 3.5);
    body.lineTo(14.5, 14.5);
    body.lineTo(1.5, 14.5);
    body.closeSubpath();
    p.drawPath(body);
    p.setBrush(kPaper);
    p.drawRect(QRectF(3.5, 1.5, 8, 5));
    p.setBrush(kGrey.lighter(130));
    p.drawRect(QRectF(4.5, 9.5, 7, 5));
    p.setBrush(kOutline);
    p.drawRect(QRectF(8.5, 2.5, 1.5, 3));
}

void SmallText(QPainter& p, const QRectF& r, const QString& text, const QColor& colour, int pixelSize = 7) {
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(pixelSize);
    font.setBold(true);
    p.setFont(font);
    p.setPen(colour);
    p.drawText(r, Qt::AlignCenter, text);
}

void Calendar(QPainter& p) {
    p.setPen(Outline());
    p.setBrush(kPaper);
    p.drawRect(QRectF(1.5, 2.5, 13, 12));
    p.setBrush(kRed);
    p.drawRect(QRectF(1.5, 2.5, 13, 3.5));
    p.setPen(QPen(kOutline, 1.4, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(4.5, 1), QPointF(4.5, 3.5));
    p.drawLine(QPointF(11.5, 1), QPointF(11.5, 3.5));
    p.setPen(Qt::NoPen);
    p.setBrush(kGrey);
    for (int row = 0; row < 3; ++row)
        for (int col = 0; col < 4; ++col) p.drawRect(QRectF(3 + col * 2.7, 7.5 + row * 2.3, 1.6, 1.4));
}

void Coin(QPainter& p) {
    p.setPen(Outline());
    p.setBrush(kGold.darker(110));
    p.drawEllipse(QRectF(1.5, 2.5, 13, 13));
    p.setBrush(kGold);
    p.drawEllipse(QRectF(1.5, 0.5, 13, 13));
    SmallText(p, QRectF(1.5, 0.5, 13, 13), QStringLiteral("$"), kOutline, 10);
}

// A node glyph shifted into the upper left corner, leaving room for an overlay.
void SmallFolder(QPainter& p) { ClosedFolder(p, QRectF(0.5, 1.5, 11, 9)); }
void SmallKey(QPainter& p) { Key(p, QPointF(-1, -3), 0.85); }

// ---- the images ----------------------------------------------------------------------

std::vector<Draw> CommandImages() {
    std::vector<Draw> images(45);
    images[0] = [](QPainter& p) {  // new database
        Page(p);
        p.setPen(Outline());
        p.setBrush(kGold);
        QPolygonF star;
        for (int i = 0; i < 10; ++i) {
            const qreal r = i % 2 ? 1.8 : 4.2;
            const qreal a = -M_PI / 2 + i * M_PI / 5;
            star << QPointF(11.5 + r * std::cos(a), 11.5 + r * std::sin(a));
        }
        p.drawPolygon(star);
    };
    images[1] = [](QPainter& p) { OpenFolder(p); };
    images[2] = [](QPainter& p) {  // close database
        Window(p, QRectF(1.5, 1.5, 12, 11));
        Cross(p, QRectF(9, 9, 5.5, 5.5));
    };
    images[3] = [](QPainter& p) {  // close all
        Window(p, QRectF(3.5, 0.5, 11, 9));
        Window(p, QRectF(0.5, 3.5, 11, 9));
        Cross(p, QRectF(9, 9, 5.5, 5.5));
    };
    images[4] = [](QPainter& p) { Magnifier(p); };
    images[5] = [](QPainter& p) {  // replace
        Magnifier(p, QPointF(-1, -1), 0.75);
        SmallText(p, QRectF(0, 10, 7, 6), QStringLiteral("a"), kRed, 7);
        Arrow(p, QPointF(6.5, 13), QPointF(10.5, 13), kBlue);
        SmallText(p, QRectF(9.5, 9, 7, 7), QStringLiteral("b"), kGreen.darker(120), 8);
    };
    images[6] = [](QPainter& p) {  // search again
        Magnifier(p, QPointF(-1, -1), 0.8);
        Arrow(p, QPointF(9, 13), QPointF(15, 13));
    };
    images[7] = [](QPainter& p) { Badge(p, kBlue, QStringLiteral("8")); };
    images[8] = [](QPainter& p) { Badge(p, kBlue, QStringLiteral("16"), 8); };
    images[9] = [](QPainter& p) { Badge(p, kBlue.darker(140), QStringLiteral("32"), 8); };
    images[10] = [](QPainter& p) { Badge(p, kGreen, QStringLiteral("F")); };
    images[11] = [](QPainter& p) { Badge(p, kOrange, QStringLiteral("ab")); };
    images[12] = [](QPainter& p) { Badge(p, kPurple, QStringLiteral("0F"), 7.5); };
    images[13] = [](QPainter& p) {  // blob: a page of binary data
        Page(p);
        SmallText(p, QRectF(3.5, 4, 10, 5), QStringLiteral("01"), kPurple, 6);
        SmallText(p, QRectF(3.5, 9, 10, 5), QStringLiteral("10"), kPurple, 6);
    };
    images[14] = [](QPainter& p) {  // cut key
        SmallKey(p);
        Scissors(p, QPointF(7.5, 6.5));
    };
    images[15] = [](QPainter& p) {  // copy key
        Key(p, QPointF(-1, -3), 0.75);
        Key(p, QPointF(3, 3), 0.75);
    };
    images[16] = [](QPainter& p) {  // paste key
        Clipboard(p);
        Key(p, QPointF(5, 5), 0.65);
    };
    images[17] = [](QPainter& p) {
        SmallKey(p);
        Arrow(p, QPointF(12.5, 15), QPointF(12.5, 8));
    };
    images[18] = [](QPainter& p) {
        SmallKey(p);
        Arrow(p, QPointF(12.5, 8), QPointF(12.5, 15));
    };
    images[19] = [](QPainter& p) {
        SmallKey(p);
        Pencil(p);
    };
    images[20] = [](QPainter& p) {  // edit value
        Key(p, QPointF(-1, -3), 0.85);
        p.setPen(Outline());
        p.setBrush(kPaper);
        p.drawRect(QRectF(5.5, 9.5, 10, 6));
        p.setPen(QPen(kOutline, 1));
        p.drawLine(QPointF(8, 11), QPointF(8, 14));
        p.setPen(QPen(kBlue, 1));
        p.drawLine(QPointF(10, 12.5), QPointF(14, 12.5));
    };
    images[21] = [](QPainter& p) {
        SmallKey(p);
        Cross(p);
    };
    images[22] = [](QPainter& p) {
        SmallFolder(p);
        Plus(p);
    };
    images[23] = [](QPainter& p) {
        SmallFolder(p);
        Pencil(p);
    };
    images[24] = [](QPainter& p) {
        SmallFolder(p);
        Cross(p);
    };
    images[25] = [](QPainter& p) {
        SmallFolder(p);
        InfoMark(p);
    };
    images[26] = [](QPainter& p) {
        SmallFolder(p);
        Scissors(p, QPointF(7.5, 6.5));
    };
    images[27] = [](QPainter& p) {
        ClosedFolder(p, QRectF(4.5, 5.5, 11, 9));
        ClosedFolder(p, QRectF(0.5, 1.5, 11, 9));
    };
    images[28] = [](QPainter& p) {
        Clipboard(p);
        ClosedFolder(p, QRectF(6.5, 7.5, 9, 7.5));
    };
    images[29] = [](QPainter& p) {
        Clipboard(p);
        ClosedFolder(p, QRectF(6.5, 7.5, 9, 7.5));
        p.save();
        p.translate(6, 0);
        LinkArrow(p);
        p.restore();
    };
    images[30] = [](QPainter& p) {
        SmallFolder(p);
        Arrow(p, QPointF(12.5, 15), QPointF(12.5, 8));
    };
    images[31] = [](QPainter& p) {
        SmallFolder(p);
        Arrow(p, QPointF(12.5, 8), QPointF(12.5, 15));
    };
    images[32] = [](QPainter& p) {  // sort branch
        SmallText(p, QRectF(0, 0, 9, 8), QStringLiteral("A"), kBlue, 8);
        SmallText(p, QRectF(0, 8, 9, 8), QStringLiteral("Z"), kBlue, 8);
        Arrow(p, QPointF(12, 2), QPointF(12, 14));
    };
    images[33] = [](QPainter& p) {  // jump to source
        ClosedFolder(p, QRectF(5.5, 1.5, 10, 8.5));
        LinkArrow(p);
        Arrow(p, QPointF(8.5, 13.5), QPointF(12, 11));
    };
    images[34] = [](QPainter& p) { Cylinder(p); };  // a database
    images[35] = [](QPainter& p) { Coin(p); };
    images[36] = [](QPainter& p) { Badge(p, kGreen.darker(140), QStringLiteral("D")); };
    images[37] = [](QPainter& p) {  // locate by ID
        Magnifier(p);
        SmallText(p, QRectF(1.5, 1.5, 9, 9), QStringLiteral("#"), kOutline, 7);
    };
    images[38] = [](QPainter& p) { Badge(p, kGrey, QStringLiteral("?")); };
    images[39] = [](QPainter& p) { Padlock(p); };
    images[40] = [](QPainter& p) {  // export: out of the database
        Cylinder(p, QRectF(0.5, 1.5, 9, 12));
        Arrow(p, QPointF(6, 9), QPointF(15, 9));
    };
    images[41] = [](QPainter& p) {  // import: into the database
        Cylinder(p, QRectF(6.5, 1.5, 9, 12));
        Arrow(p, QPointF(0.5, 9), QPointF(9.5, 9));
    };
    images[42] = [](QPainter& p) { Floppy(p); };
    images[43] = [](QPainter& p) {  // broken links
        ChainLink(p, QRectF(0.5, 3.5, 8, 5), -45);
        ChainLink(p, QRectF(7.5, 7.5, 8, 5), -45);
        p.setPen(QPen(kRed, 1.4, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(9, 1), QPointF(8, 4));
        p.drawLine(QPointF(12, 3), QPointF(10, 5));
        p.drawLine(QPointF(4, 12), QPointF(6.5, 10.5));
    };
    images[44] = [](QPainter& p) { Calendar(p); };
    return images;
}

std::vector<Draw> TreeImages() {
    return {
        [](QPainter& p) { ClosedFolder(p); },
        [](QPainter& p) { OpenFolder(p); },
        [](QPainter& p) { Cylinder(p); },
        [](QPainter& p) {
            ClosedFolder(p);
            LinkArrow(p);
        },
    };
}

// The images side by side, each drawn in its 16 x 16 box at `scale` (2 for the
// double-density strip, which the program hands out on screens scaled 2x).
QImage Strip(const std::vector<Draw>& images, int scale = 1) {
    QImage strip(16 * scale * static_cast<int>(images.size()), 16 * scale, QImage::Format_ARGB32_Premultiplied);
    strip.fill(Qt::transparent);
    QPainter p(&strip);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    p.scale(scale, scale);
    for (size_t i = 0; i < images.size(); ++i) {
        p.save();
        p.translate(16.0 * static_cast<double>(i), 0);
        p.setClipRect(QRectF(0, 0, 16, 16));
        if (images[i]) images[i](p);
        p.restore();
    }
    return strip;
}

QImage Scaled(const Draw& draw, int size) {
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    p.scale(size / 16.0, size / 16.0);
    draw(p);
    return image;
}

}  // namespace

int main(int argc, char** argv) {
    QGuiApplication application(argc, argv);
    if (argc != 2) {
        std::cerr << "usage: kelmor_drawimages FOLDER\n";
        return 2;
    }
    const QString folder = QString::fromLocal8Bit(argv[1]);
    const auto save = [&folder](const QImage& image, const char* name) {
        if (image.save(folder + QLatin1Char('/') + QString::fromLatin1(name))) return true;
        std::cerr << "cannot write " << name << "\n";
        return false;
    };
    const Draw programIcon = [](QPainter& p) {
        Cylinder(p, QRectF(1.5, 1.5, 12, 14));
        p.save();
        p.translate(7, 7);
        p.scale(0.55, 0.55);
        ClosedFolder(p);
        p.restore();
    };
    const Draw documentIcon = [](QPainter& p) {
        Page(p, QRectF(2.5, 0.5, 12, 15));
        p.save();
        p.translate(4.5, 5);
        p.scale(0.5, 0.55);
        Cylinder(p);
        p.restore();
    };
    const bool ok = save(Strip(CommandImages()), "commands.png") &&
                    save(Strip(CommandImages(), 2), "commands@2x.png") && save(Strip(TreeImages()), "tree.png") &&
                    save(Strip(TreeImages(), 2), "tree@2x.png") && save(Scaled(programIcon, 48), "kelmor.png") &&
                    save(Scaled(documentIcon, 48), "kelmordoc.png");
    return ok ? 0 : 1;
}
