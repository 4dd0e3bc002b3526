// TBinaryData: the data side of the byte editor. It edits an attached byte buffer in
// place (the buffer is the owner's and outlives the attachment) and keeps the caret,
// the column the caret is in, the half-typed byte and the selection. Every editing step
// answers what it did, so that the control knows what to repaint and which of its
// notices to send; nothing here needs a screen.
#pragma once

#include <QByteArray>
#include <QChar>
#include <QString>
#include <optional>

namespace kelmor {

// What one step did. The control repaints and notifies from it.
struct TBinaryEffect {
    bool handled = false;           // the key or character was used up (swallowed)
    bool changed = false;           // the data changed: OnChange
    bool clicked = false;           // the caret may have moved: OnClick
    bool selectionChanged = false;  // OnSelectionChange
    bool scrollToCaret = false;     // the caret should be brought into view

    TBinaryEffect& operator|=(const TBinaryEffect& other);
};

// The navigation keys.
enum class TBinaryKey { PageUp, PageDown, Home, End, Left, Right, Up, Down };

class TBinaryData {
public:
    // Starts editing `stream` (nullptr: none): caret at 0 in the hex cells, no selection.
    TBinaryEffect AttachStream(QByteArray* stream);
    QByteArray* Stream() const { return stream_; }
    bool HasStream() const { return stream_ != nullptr; }
    int Size() const { return stream_ ? int(stream_->size()) : 0; }
    // The byte at `position` (0 outside the data).
    uchar Byte(int position) const;
    // Up to `count` bytes from `position`, fewer at the end of the data.
    QByteArray Bytes(int position, int count) const;

    int BytesPerLine() const { return bytesPerLine_; }
    void SetBytesPerLine(int bytes);
    // The largest size typing and pasting may reach; 0 means no limit.
    int MaxSize() const { return maxSize_; }
    void SetMaxSize(int size) { maxSize_ = size < 0 ? 0 : size; }
    bool ReadOnly() const { return readOnly_; }
    void SetReadOnly(bool readOnly) { readOnly_ = readOnly; }
    bool HideHighAscii() const { return hideHighAscii_; }
    void SetHideHighAscii(bool hide) { hideHighAscii_ = hide; }
    // How a byte shows in the character column: "." for bytes without a glyph.
    QChar DisplayChar(uchar byte) const;

    int CaretPos() const { return caretPos_; }
    bool CaretInAscii() const { return caretInAscii_; }
    bool CaretLowNibble() const { return caretLowNibble_; }
    // Places the caret, the position clamped to 0 … size.
    void SetCaret(int position, bool inAscii, bool lowNibble = false);
    int CaretLine() const { return caretPos_ / bytesPerLine_; }

    // The selection runs between the positions SelAnchor and SelEnd; SelEnd −1: none.
    int SelAnchor() const { return selAnchor_; }
    int SelEnd() const { return selEnd_; }
    int SelStart() const { return selEnd_ < 0 ? caretPos_ : qMin(selAnchor_, selEnd_); }
    int SelLength() const { return selEnd_ < 0 ? 0 : qAbs(selEnd_ - selAnchor_); }
    bool HasSelection() const { return SelLength() > 0; }
    bool IsSelected(int position) const {
        return HasSelection() && position >= SelStart() && position < SelStart() + SelLength();
    }

    // Inserts `bytes` at `position` (clamped to 0 … size), moving the rest up. No limit
    // applies here: typing and pasting check MaxSize themselves.
    void InsertBytes(const QByteArray& bytes, int position);
    // Removes up to `count` bytes at `position`, moving the rest down.
    void DeleteBytes(int position, int count);

    // A typed character. Control characters, characters outside Latin-1 and, in the hex
    // cells, anything but a hex digit are not handled. Typing always inserts.
    TBinaryEffect TypeChar(QChar ch);
    // A navigation key; `visibleLines` is the page for Page Up and Page Down.
    TBinaryEffect Navigate(TBinaryKey key, bool shift, bool ctrl, int visibleLines);
    // F4: the caret changes between the hex cells and the character column.
    TBinaryEffect SwitchColumn();
    // Delete (`backspace` false) and Backspace.
    TBinaryEffect DeleteKey(bool backspace);
    TBinaryEffect DeleteSelection();
    TBinaryEffect Clear();
    TBinaryEffect SelectAll();

    // The selected bytes as clipboard text, which ends at the first zero byte.
    QString CopyText() const;
    // The bytes a clipboard text stands for: up to its first zero character; none when
    // it holds a character outside Latin-1 (such text is refused, never mangled).
    static std::optional<QByteArray> TextBytes(const QString& text);
    // Inserts a clipboard text at the caret in place of the selection.
    TBinaryEffect Paste(const QString& text);

    // The states of the editing commands.
    bool CanCopy() const { return HasStream() && HasSelection(); }
    bool CanCut() const { return CanCopy() && !readOnly_; }
    bool CanPaste(bool clipboardHasText) const { return HasStream() && !readOnly_ && clipboardHasText; }
    bool CanSelectAll() const { return Size() > 0; }

    // The mouse: a press at a position (the caret goes there, the anchor is set, the
    // selection removed); a double click (selects the byte there); the pointer dragged to
    // a position; the drag moving the caret a line up (−1) or down (+1) beyond the
    // control's edge; the button released after a drag.
    TBinaryEffect PressAt(int position, bool inAscii);
    TBinaryEffect SelectByteAt(int position, bool inAscii);
    TBinaryEffect DragTo(int position);
    TBinaryEffect DragByLine(int direction);
    TBinaryEffect EndDrag(bool selectionAtPress);

private:
    // Caret at the first byte's hex digits, no selection: the state of newly attached data.
    TBinaryEffect Restart(bool hadSelection);
    int Clamp(int position) const { return qBound(0, position, Size()); }
    // Where a navigation key's raw target really takes the caret from `from`.
    int LimitTarget(int from, int target) const;
    // Moves the selection end (and the caret) to `position`.
    TBinaryEffect ExtendTo(int position);

    QByteArray* stream_ = nullptr;
    int bytesPerLine_ = 8;
    int maxSize_ = 0;
    bool readOnly_ = false;
    bool hideHighAscii_ = false;
    int caretPos_ = 0;
    bool caretInAscii_ = false;
    bool caretLowNibble_ = false;
    int selAnchor_ = 0;
    int selEnd_ = -1;
};

}  // namespace kelmor
