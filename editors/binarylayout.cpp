#include "editors/binarylayout.h"

namespace kelmor {

namespace {

// Division rounding towards minus infinity: points above or left of the view belong to
// the line or column before, not to the first one.
int FloorDiv(int value, int divisor) {
    const int quotient = value / divisor;
    return (value % divisor != 0 && value < 0) ? quotient - 1 : quotient;
}

}  // namespace

QRect TBinaryLayout::HexCellRect(int column, int row) const {
    return QRect(HexTextX(column) - 2, RowY(row), HexCellWidth(), itemHeight_);
}

QRect TBinaryLayout::AsciiCellRect(int column, int row) const {
    return QRect(AsciiTextX(column), RowY(row), CharWidth(), itemHeight_);
}

QRect TBinaryLayout::CaretRect(int position, bool inAscii, bool lowNibble, int topLine) const {
    const int column = position % bytesPerLine_;
    const int row = position / bytesPerLine_ - topLine;
    int x = inAscii ? AsciiTextX(column) : HexTextX(column);
    if (lowNibble) x += CharWidth();
    return QRect(x - 2, RowY(row) + 2, 1, qMax(1, itemHeight_ - 3));
}

TBinaryHit TBinaryLayout::PositionAtPoint(QPoint point, int topLine) const {
    TBinaryHit hit;
    const int asciiStart = AsciiStart();
    hit.inAscii = point.x() >= asciiStart - 4;
    // A hex cell is hit anywhere in its drawn rectangle, which starts 2 pixels before
    // its digits.
    int column = hit.inAscii ? FloorDiv(point.x() - asciiStart, CharWidth())
                             : FloorDiv(point.x() - (HexTextX(0) - 2), HexCellWidth());
    column = qBound(0, column, bytesPerLine_ - 1);
    const int line = FloorDiv(point.y(), itemHeight_) + topLine;
    hit.position = column + bytesPerLine_ * line;
    return hit;
}

TBinaryLines TBinaryLayout::LinesToPaint(int topLine, int viewHeight) const {
    return {topLine, topLine + VisibleLines(viewHeight)};
}

TBinaryLines TBinaryLayout::LinesInRect(const QRect& rect, int topLine) const {
    if (rect.isEmpty()) return {};
    return {topLine + FloorDiv(rect.top(), itemHeight_), topLine + FloorDiv(rect.bottom(), itemHeight_)};
}

QString TBinaryLayout::OffsetText(int position) const {
    return QString::number(position, 16).toUpper().rightJustified(indexDigits_, QLatin1Char('0'));
}

QString TBinaryLayout::HexText(uchar byte) {
    static const char digits[] = "0123456789ABCDEF";
    const QChar text[2] = {QLatin1Char(digits[byte >> 4]), QLatin1Char(digits[byte & 15])};
    return QString(text, 2);
}

bool TBinaryLayout::ScrollingPossible(int size, int visibleLines) const {
    return qint64(size) >= qint64(bytesPerLine_) * visibleLines;
}

int TBinaryLayout::MaxTopLine(int size, int visibleLines) const {
    if (!ScrollingPossible(size, visibleLines)) return 0;
    return qMax(0, size / bytesPerLine_ + 1 - visibleLines);
}

int TBinaryLayout::ClampTopLine(int line, int size, int visibleLines) const {
    return qBound(0, line, MaxTopLine(size, visibleLines));
}

int TBinaryLayout::TopLineForCaret(int caretPos, int topLine, int visibleLines) const {
    const int line = caretPos / bytesPerLine_;
    const int shown = qMax(1, visibleLines);  // a view shorter than a line still shows the caret's line
    if (line - topLine > shown - 1) return line - shown + 1;
    if (line < topLine) return line;
    return topLine;
}

}  // namespace kelmor
