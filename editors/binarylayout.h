// TBinaryLayout: the geometry of the byte editor. A line shows the offset of its first
// byte, the hex cells and the character column; everything is computed from the width
// of "X" in the control's font, the line height, the bytes per line and the offset's
// digits, so that it can be checked with fixed numbers. Rows count from the top of the
// view, lines from the start of the data (line = TopLine + row).
#pragma once

#include <QPoint>
#include <QRect>
#include <QString>

namespace kelmor {

// Where a point of the view falls: a position (not yet clamped to the data) and the
// column it lies in.
struct TBinaryHit {
    int position = 0;
    bool inAscii = false;
};

// A range of lines, both ends included; empty when last < first.
struct TBinaryLines {
    int first = 0;
    int last = -1;
};

class TBinaryLayout {
public:
    int XWidth() const { return xWidth_; }
    void SetXWidth(int width) { xWidth_ = qMax(1, width); }
    int ItemHeight() const { return itemHeight_; }
    void SetItemHeight(int height) { itemHeight_ = qMax(1, height); }
    int BytesPerLine() const { return bytesPerLine_; }
    void SetBytesPerLine(int bytes) { bytesPerLine_ = qMax(1, bytes); }
    int IndexDigits() const { return indexDigits_; }
    void SetIndexDigits(int digits) { indexDigits_ = qMax(1, digits); }

    int CharWidth() const { return xWidth_ + 1; }
    int HexCellWidth() const { return 2 * xWidth_ + 4; }

    // Text positions: the offset, the hex digits of column c, the character of column c.
    int OffsetX() const { return 1; }
    int HexTextX(int column) const { return (indexDigits_ + 2) * CharWidth() + column * HexCellWidth(); }
    int AsciiStart() const { return (indexDigits_ + 4) * CharWidth() + bytesPerLine_ * HexCellWidth(); }
    int AsciiTextX(int column) const { return AsciiStart() + column * CharWidth(); }
    // The width a whole line needs.
    int LineWidth() const { return AsciiTextX(bytesPerLine_) + 1; }
    int RowY(int row) const { return row * itemHeight_; }

    // The cell of a column in a row; hex cells touch, so selected cells form one band.
    QRect HexCellRect(int column, int row) const;
    QRect AsciiCellRect(int column, int row) const;
    QRect LineRect(int row, int width) const { return QRect(0, RowY(row), width, itemHeight_); }
    // The caret of a position: a bar 1 pixel wide at the left of its cell, one
    // character on when it stands on the second digit of a byte.
    QRect CaretRect(int position, bool inAscii, bool lowNibble, int topLine) const;

    // The position under a point of the view; callers clamp it to 0 … size.
    TBinaryHit PositionAtPoint(QPoint point, int topLine) const;

    // Whole lines that fit into a view of this height.
    int VisibleLines(int viewHeight) const { return qMax(0, viewHeight) / itemHeight_; }
    // The lines to draw at a scroll position: the visible ones and the partly shown one.
    TBinaryLines LinesToPaint(int topLine, int viewHeight) const;
    // The lines a rectangle of the view touches (a strip uncovered by scrolling).
    TBinaryLines LinesInRect(const QRect& rect, int topLine) const;
    // A line's offset is drawn when the line starts within the data or right at its end
    // (the empty line after a full last line).
    bool LineHasOffset(int line, int size) const { return qint64(line) * bytesPerLine_ <= size; }
    // The offset in upper-case hex with at least IndexDigits digits.
    QString OffsetText(int position) const;
    static QString HexText(uchar byte);

    // Scrolling is possible once the data fill the visible lines; TopLine then runs from
    // 0 to MaxTopLine, otherwise it stays 0.
    bool ScrollingPossible(int size, int visibleLines) const;
    int MaxTopLine(int size, int visibleLines) const;
    int ClampTopLine(int line, int size, int visibleLines) const;
    // The top line that brings the caret's line into view, moving as little as possible.
    int TopLineForCaret(int caretPos, int topLine, int visibleLines) const;

private:
    int xWidth_ = 8;
    int itemHeight_ = 16;
    int bytesPerLine_ = 8;
    int indexDigits_ = 4;
};

}  // namespace kelmor
