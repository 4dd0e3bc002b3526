// TBinaryEditor: the byte editor control. It shows an attached byte buffer as lines of
// an offset, hex cells and a character column, and edits it in place with the keyboard,
// the mouse and the clipboard. The buffer stays its owner's. What the edits do is
// TBinaryData's, where things are drawn is TBinaryLayout's; this class paints, scrolls,
// takes the input and sends the notices.
#pragma once

#include <QAbstractScrollArea>
#include <QBasicTimer>
#include <QColor>
#include <QPointer>

#include "editors/binarydata.h"
#include "editors/binarylayout.h"

class QMenu;
class QAction;

namespace kelmor {

class TBinaryEditor : public QAbstractScrollArea {
    Q_OBJECT
public:
    enum class TBorderStyle { None, Single };
    // The built-in context menu's commands.
    enum class TMenuCommand { Cut = 1, Copy, Paste, Delete, SelectAll };

    explicit TBinaryEditor(QWidget* parent = nullptr);
    ~TBinaryEditor() override;

    // Layout and behaviour.
    int BytesPerLine() const { return layout_.BytesPerLine(); }
    void SetBytesPerLine(int bytes);
    int IndexDigits() const { return layout_.IndexDigits(); }
    void SetIndexDigits(int digits);
    int ItemHeight() const { return layout_.ItemHeight(); }
    void SetItemHeight(int height);
    int MaxSize() const { return data_.MaxSize(); }
    void SetMaxSize(int size) { data_.SetMaxSize(size); }
    bool ReadOnly() const { return data_.ReadOnly(); }
    void SetReadOnly(bool readOnly);
    bool HideSelection() const { return hideSelection_; }
    void SetHideSelection(bool hide);
    bool HideHighAscii() const { return data_.HideHighAscii(); }
    void SetHideHighAscii(bool hide);
    TBorderStyle BorderStyle() const { return borderStyle_; }
    void SetBorderStyle(TBorderStyle style);
    // A menu of the owner's that replaces the built-in one (not owned).
    QMenu* PopupMenu() const;
    void SetPopupMenu(QMenu* menu);

    // Colours; the defaults are the palette's text, base and highlight colours.
    QColor IndexColor() const { return indexColor_; }
    void SetIndexColor(const QColor& color) { SetColour(indexColor_, color); }
    QColor HexColor() const { return hexColor_; }
    void SetHexColor(const QColor& color) { SetColour(hexColor_, color); }
    QColor AsciiColor() const { return asciiColor_; }
    void SetAsciiColor(const QColor& color) { SetColour(asciiColor_, color); }
    QColor SelectionColor() const { return selectionColor_; }
    void SetSelectionColor(const QColor& color) { SetColour(selectionColor_, color); }
    QColor SelectionTextColor() const { return selectionTextColor_; }
    void SetSelectionTextColor(const QColor& color) { SetColour(selectionTextColor_, color); }
    QColor Color() const { return color_; }
    void SetColor(const QColor& color) { SetColour(color_, color); }

    // State.
    QByteArray* Stream() const { return data_.Stream(); }
    int TopLine() const { return topLine_; }
    int VisibleLines() const { return layout_.VisibleLines(viewport()->height()); }
    int CaretPos() const { return data_.CaretPos(); }
    bool CaretInAscii() const { return data_.CaretInAscii(); }
    bool CaretLowNibble() const { return data_.CaretLowNibble(); }
    int SelAnchor() const { return data_.SelAnchor(); }
    int SelEnd() const { return data_.SelEnd(); }
    int SelStart() const { return data_.SelStart(); }
    int SelLength() const { return data_.SelLength(); }
    bool ScrollingPossible() const { return scrollingPossible_; }
    const TBinaryData& Data() const { return data_; }
    const TBinaryLayout& Layout() const { return layout_; }
    QMenu* BuiltInMenu() const { return menu_; }
    QAction* MenuAction(TMenuCommand command) const;

    virtual void Change();
    // Starts editing `stream` (nullptr: none); the owner keeps it alive meanwhile.
    virtual void AttachStream(QByteArray* stream);
    virtual void SelectionChange();
    virtual void InsertBytes(const QByteArray& bytes, int position);
    virtual void DeleteBytes(int position, int count);
    virtual void ScrollToCaret();
    virtual TBinaryHit PositionAtPoint(QPoint point) const;
    virtual void Clear();
    virtual void SelectAll();
    virtual void CopyToClipboard();
    virtual void CutToClipboard();
    virtual void DeleteSelection();
    virtual void PasteFromClipboard();

    // Shows `line` at the top, within the scroll range.
    void ScrollTo(int line);

signals:
    // After every change of the data, and on attaching.
    void OnChange();
    // Whenever the caret may have moved, and on clicks.
    void OnClick();
    void OnSelectionChange();

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void changeEvent(QEvent* event) override;
    void timerEvent(QTimerEvent* event) override;

private:
    enum class TDragScroll { None, Up, Down };

    // Repaints, scrolls and notifies after an editing step.
    void Apply(const TBinaryEffect& effect);
    void UpdateScrollBar();
    void UpdateMenu();
    void UpdateFontMetrics();
    void SetColour(QColor& target, const QColor& color);
    bool ShowsSelection() const { return !hideSelection_ || hasFocus(); }
    bool CaretExists() const { return hasFocus() && data_.HasStream(); }
    QRect CaretRect() const;
    void UpdateCaret();
    void RestartBlink();
    void StopDragTimer();
    bool ClipboardHasText() const;
    // Keys this control uses, which shortcuts must not take from it.
    bool IsOwnKey(const QKeyEvent& event) const;
    void PaintLine(QPainter& painter, int line, int width);

    TBinaryData data_;
    TBinaryLayout layout_;
    int topLine_ = 0;
    bool scrollingPossible_ = false;
    bool hideSelection_ = false;
    TBorderStyle borderStyle_ = TBorderStyle::Single;
    QColor indexColor_, hexColor_, asciiColor_, selectionColor_, selectionTextColor_, color_;
    QPointer<QMenu> popupMenu_;  // the owner's; it may go first
    QMenu* menu_;
    QAction* menuActions_[5];
    int ascent_ = 0;
    // Mouse dragging.
    bool dragging_ = false;
    bool selectionAtPress_ = false;
    TDragScroll dragScroll_ = TDragScroll::None;
    QBasicTimer dragTimer_;
    // The caret blinks while the control has the focus.
    QBasicTimer blinkTimer_;
    bool caretShown_ = true;
    QRect paintedCaret_;
};

}  // namespace kelmor
