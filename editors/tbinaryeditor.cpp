#include "editors/tbinaryeditor.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStyleHints>
#include <optional>

namespace kelmor {

namespace {

constexpr int kDragScrollInterval = 60;  // milliseconds between lines while dragging outside

std::optional<TBinaryKey> NavigationKey(int key) {
    switch (key) {
        case Qt::Key_PageUp: return TBinaryKey::PageUp;
        case Qt::Key_PageDown: return TBinaryKey::PageDown;
        case Qt::Key_Home: return TBinaryKey::Home;
        case Qt::Key_End: return TBinaryKey::End;
        case Qt::Key_Left: return TBinaryKey::Left;
        case Qt::Key_Right: return TBinaryKey::Right;
        case Qt::Key_Up: return TBinaryKey::Up;
        case Qt::Key_Down: return TBinaryKey::Down;
        default: return std::nullopt;
    }
}

// The modifiers that decide what a key does; the keypad flag does not.
Qt::KeyboardModifiers KeyModifiers(const QKeyEvent& event) {
    return event.modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
}

}  // namespace

TBinaryEditor::TBinaryEditor(QWidget* parent) : QAbstractScrollArea(parent) {
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setFocusPolicy(Qt::StrongFocus);
    viewport()->setCursor(Qt::IBeamCursor);
    // paintEvent covers every pixel it is asked for: nothing is erased first, and
    // scrolling can move the painted lines instead of painting them again.
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    viewport()->setAutoFillBackground(false);

    const QPalette colours = palette();
    indexColor_ = hexColor_ = asciiColor_ = colours.color(QPalette::Text);
    selectionColor_ = colours.color(QPalette::Highlight);
    selectionTextColor_ = colours.color(QPalette::HighlightedText);
    color_ = colours.color(QPalette::Base);

    menu_ = new QMenu(this);
    menuActions_[0] = menu_->addAction(QStringLiteral("Cu&t"), this, [this] { CutToClipboard(); });
    menuActions_[1] = menu_->addAction(QStringLiteral("&Copy"), this, [this] { CopyToClipboard(); });
    menuActions_[2] = menu_->addAction(QStringLiteral("&Paste"), this, [this] { PasteFromClipboard(); });
    menuActions_[3] = menu_->addAction(QStringLiteral("&Delete"), this, [this] { DeleteSelection(); });
    menu_->addSeparator();
    menuActions_[4] = menu_->addAction(QStringLiteral("Select &All"), this, [this] { SelectAll(); });
    // The clipboard may have changed since the states were last set.
    connect(menu_, &QMenu::aboutToShow, this, &TBinaryEditor::UpdateMenu);

    SetBorderStyle(TBorderStyle::Single);
    UpdateFontMetrics();
    UpdateScrollBar();
    UpdateMenu();
    resize(300, 200);
}

TBinaryEditor::~TBinaryEditor() {
    dragTimer_.stop();
    blinkTimer_.stop();
}

QAction* TBinaryEditor::MenuAction(TMenuCommand command) const { return menuActions_[int(command) - 1]; }

// ---- properties ----

void TBinaryEditor::SetBytesPerLine(int bytes) {
    data_.SetBytesPerLine(bytes);
    layout_.SetBytesPerLine(bytes);
    UpdateScrollBar();
    viewport()->update();
}

void TBinaryEditor::SetIndexDigits(int digits) {
    layout_.SetIndexDigits(digits);
    viewport()->update();
}

void TBinaryEditor::SetItemHeight(int height) {
    layout_.SetItemHeight(height);
    UpdateFontMetrics();  // the text is centred in the line
    UpdateScrollBar();
    viewport()->update();
}

void TBinaryEditor::SetReadOnly(bool readOnly) {
    data_.SetReadOnly(readOnly);
    UpdateMenu();
}

void TBinaryEditor::SetHideSelection(bool hide) {
    hideSelection_ = hide;
    viewport()->update();
}

void TBinaryEditor::SetHideHighAscii(bool hide) {
    data_.SetHideHighAscii(hide);
    viewport()->update();
}

void TBinaryEditor::SetBorderStyle(TBorderStyle style) {
    borderStyle_ = style;
    setFrameStyle(style == TBorderStyle::Single ? (QFrame::StyledPanel | QFrame::Sunken) : QFrame::NoFrame);
}

QMenu* TBinaryEditor::PopupMenu() const { return popupMenu_; }

void TBinaryEditor::SetPopupMenu(QMenu* menu) { popupMenu_ = menu; }

void TBinaryEditor::SetColour(QColor& target, const QColor& color) {
    target = color;
    viewport()->update();
}

// ---- operations ----

void TBinaryEditor::Change() { emit OnChange(); }

void TBinaryEditor::AttachStream(QByteArray* stream) {
    StopDragTimer();
    dragging_ = false;
    const TBinaryEffect effect = data_.AttachStream(stream);
    verticalScrollBar()->setValue(0);
    UpdateMenu();
    Apply(effect);
}

void TBinaryEditor::SelectionChange() {
    UpdateMenu();
    emit OnSelectionChange();
}

void TBinaryEditor::InsertBytes(const QByteArray& bytes, int position) {
    data_.InsertBytes(bytes, position);
    UpdateScrollBar();
    viewport()->update();
}

void TBinaryEditor::DeleteBytes(int position, int count) {
    data_.DeleteBytes(position, count);
    UpdateScrollBar();
    viewport()->update();
}

void TBinaryEditor::ScrollToCaret() {
    if (!data_.HasStream()) return;
    const int top = layout_.TopLineForCaret(data_.CaretPos(), topLine_, VisibleLines());
    if (top != topLine_) ScrollTo(top);
}

TBinaryHit TBinaryEditor::PositionAtPoint(QPoint point) const { return layout_.PositionAtPoint(point, topLine_); }

void TBinaryEditor::Clear() {
    Apply(data_.Clear());
    UpdateMenu();
}

void TBinaryEditor::SelectAll() { Apply(data_.SelectAll()); }

void TBinaryEditor::CopyToClipboard() {
    if (!data_.CanCopy()) return;
    QGuiApplication::clipboard()->setText(data_.CopyText());
    UpdateMenu();
}

void TBinaryEditor::CutToClipboard() {
    if (!data_.CanCut()) return;
    CopyToClipboard();
    DeleteSelection();
}

void TBinaryEditor::DeleteSelection() { Apply(data_.DeleteSelection()); }

void TBinaryEditor::PasteFromClipboard() {
    if (!data_.CanPaste(ClipboardHasText())) return;
    Apply(data_.Paste(QGuiApplication::clipboard()->text()));
    UpdateMenu();
}

void TBinaryEditor::ScrollTo(int line) {
    const int top = scrollingPossible_ ? layout_.ClampTopLine(line, data_.Size(), VisibleLines()) : 0;
    verticalScrollBar()->setValue(top);  // scrollContentsBy moves the picture
}

// ---- internals ----

void TBinaryEditor::Apply(const TBinaryEffect& effect) {
    if (effect.changed) UpdateScrollBar();
    if (effect.scrollToCaret) ScrollToCaret();
    if (effect.changed || effect.selectionChanged) {
        viewport()->update();
        paintedCaret_ = CaretRect();
    } else {
        UpdateCaret();
    }
    RestartBlink();
    if (effect.clicked) emit OnClick();
    if (effect.selectionChanged) SelectionChange();
    if (effect.changed) Change();
}

void TBinaryEditor::UpdateScrollBar() {
    const int visible = VisibleLines();
    const int size = data_.Size();
    scrollingPossible_ = data_.HasStream() && layout_.ScrollingPossible(size, visible);
    QScrollBar* bar = verticalScrollBar();
    if (scrollingPossible_) {
        bar->setRange(0, layout_.MaxTopLine(size, visible));
        bar->setPageStep(qMax(1, visible));
        bar->setSingleStep(1);
        bar->setEnabled(true);
    } else {
        bar->setRange(0, 0);  // back to the top line
        bar->setEnabled(false);
    }
}

void TBinaryEditor::UpdateMenu() {
    const bool canCut = data_.CanCut();
    MenuAction(TMenuCommand::Cut)->setEnabled(canCut);
    MenuAction(TMenuCommand::Copy)->setEnabled(data_.CanCopy());
    MenuAction(TMenuCommand::Paste)->setEnabled(data_.CanPaste(ClipboardHasText()));
    MenuAction(TMenuCommand::Delete)->setEnabled(canCut);
    MenuAction(TMenuCommand::SelectAll)->setEnabled(data_.CanSelectAll());
}

bool TBinaryEditor::ClipboardHasText() const {
    const QMimeData* mime = QGuiApplication::clipboard()->mimeData();
    return mime && mime->hasText();
}

void TBinaryEditor::UpdateFontMetrics() {
    const QFontMetrics metrics(font());
    layout_.SetXWidth(metrics.horizontalAdvance(QLatin1Char('X')));
    ascent_ = metrics.ascent() + (layout_.ItemHeight() - metrics.height()) / 2;
}

QRect TBinaryEditor::CaretRect() const {
    return layout_.CaretRect(data_.CaretPos(), data_.CaretInAscii(), data_.CaretLowNibble(), topLine_);
}

void TBinaryEditor::UpdateCaret() {
    const QRect caret = CaretRect();
    if (caret == paintedCaret_) return;
    viewport()->update(paintedCaret_);
    viewport()->update(caret);
    paintedCaret_ = caret;
}

void TBinaryEditor::RestartBlink() {
    caretShown_ = true;
    const int flashTime = QGuiApplication::styleHints()->cursorFlashTime();
    if (CaretExists() && flashTime > 0) blinkTimer_.start(flashTime / 2, this);
    else blinkTimer_.stop();
}

void TBinaryEditor::StopDragTimer() {
    dragTimer_.stop();
    dragScroll_ = TDragScroll::None;
}

// ---- painting and scrolling ----

void TBinaryEditor::paintEvent(QPaintEvent* event) {
    QPainter painter(viewport());
    const QRect area = event->rect();
    if (!data_.HasStream()) {
        painter.fillRect(area, color_);
        return;
    }
    painter.setFont(font());
    const int width = viewport()->width();
    // Only the lines the area touches, and never more than the view shows.
    const TBinaryLines touched = layout_.LinesInRect(area, topLine_);
    const TBinaryLines shown = layout_.LinesToPaint(topLine_, viewport()->height());
    const int last = qMin(touched.last, shown.last);
    for (int line = qMax(touched.first, shown.first); line <= last; ++line) PaintLine(painter, line, width);
    if (CaretExists() && caretShown_) {
        painter.setClipping(false);
        painter.fillRect(CaretRect(), data_.CaretInAscii() ? asciiColor_ : hexColor_);
    }
}

void TBinaryEditor::PaintLine(QPainter& painter, int line, int width) {
    const int row = line - topLine_;
    const QRect lineRect = layout_.LineRect(row, width);
    // A font taller than the line must not draw into its neighbours.
    painter.setClipRect(lineRect);
    painter.fillRect(lineRect, color_);
    const int start = line * layout_.BytesPerLine();
    if (!layout_.LineHasOffset(line, data_.Size())) return;
    const int baseline = layout_.RowY(row) + ascent_;
    painter.setPen(indexColor_);
    painter.drawText(layout_.OffsetX(), baseline, layout_.OffsetText(start));
    const QByteArray bytes = data_.Bytes(start, layout_.BytesPerLine());
    const bool showSelection = ShowsSelection() && data_.HasSelection();
    for (int column = 0; column < int(bytes.size()); ++column) {
        const uchar byte = uchar(bytes.at(column));
        const bool selected = showSelection && data_.IsSelected(start + column);
        if (selected) {
            painter.fillRect(layout_.HexCellRect(column, row), selectionColor_);
            painter.fillRect(layout_.AsciiCellRect(column, row), selectionColor_);
        }
        painter.setPen(selected ? selectionTextColor_ : hexColor_);
        painter.drawText(layout_.HexTextX(column), baseline, TBinaryLayout::HexText(byte));
        painter.setPen(selected ? selectionTextColor_ : asciiColor_);
        painter.drawText(layout_.AsciiTextX(column), baseline, QString(data_.DisplayChar(byte)));
    }
}

void TBinaryEditor::scrollContentsBy(int, int dy) {
    topLine_ = verticalScrollBar()->value();
    // Move what is painted; only the uncovered strip is painted anew.
    viewport()->scroll(0, dy * layout_.ItemHeight());
    paintedCaret_.translate(0, dy * layout_.ItemHeight());
    UpdateCaret();
}

void TBinaryEditor::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    UpdateScrollBar();
}

void TBinaryEditor::changeEvent(QEvent* event) {
    QAbstractScrollArea::changeEvent(event);
    if (event->type() == QEvent::FontChange) {
        UpdateFontMetrics();
        paintedCaret_ = CaretRect();
        viewport()->update();
    }
}

void TBinaryEditor::timerEvent(QTimerEvent* event) {
    if (event->timerId() == dragTimer_.timerId()) {
        if (dragScroll_ != TDragScroll::None) Apply(data_.DragByLine(dragScroll_ == TDragScroll::Up ? -1 : 1));
    } else if (event->timerId() == blinkTimer_.timerId()) {
        caretShown_ = !caretShown_;
        viewport()->update(CaretRect());
    } else {
        QAbstractScrollArea::timerEvent(event);
    }
}

// ---- keyboard ----

bool TBinaryEditor::IsOwnKey(const QKeyEvent& event) const {
    if (!data_.HasStream()) return false;
    const Qt::KeyboardModifiers modifiers = KeyModifiers(event);
    if (modifiers & (Qt::AltModifier | Qt::MetaModifier)) return false;
    const int key = event.key();
    if (NavigationKey(key)) return true;
    if (modifiers == Qt::NoModifier && (key == Qt::Key_F4 || key == Qt::Key_Delete || key == Qt::Key_Backspace))
        return true;
    if (modifiers == Qt::ControlModifier)
        return key == Qt::Key_Insert || key == Qt::Key_C || key == Qt::Key_Delete || key == Qt::Key_V ||
               key == Qt::Key_X || key == Qt::Key_A;
    if (modifiers == Qt::ShiftModifier && (key == Qt::Key_Insert || key == Qt::Key_Delete)) return true;
    const QString text = event.text();
    return !(modifiers & Qt::ControlModifier) && text.size() == 1 && text.at(0).unicode() >= 32;
}

bool TBinaryEditor::event(QEvent* event) {
    if (event->type() == QEvent::ShortcutOverride && IsOwnKey(*static_cast<QKeyEvent*>(event))) {
        event->accept();
        return true;
    }
    return QAbstractScrollArea::event(event);
}

void TBinaryEditor::keyPressEvent(QKeyEvent* event) {
    if (!data_.HasStream()) {
        event->ignore();
        return;
    }
    const Qt::KeyboardModifiers modifiers = KeyModifiers(*event);
    const bool shift = modifiers & Qt::ShiftModifier;
    const bool ctrl = modifiers & Qt::ControlModifier;
    const bool alt = modifiers & (Qt::AltModifier | Qt::MetaModifier);
    const int key = event->key();
    event->accept();

    if (!alt) {
        if (const std::optional<TBinaryKey> navigation = NavigationKey(key)) {
            Apply(data_.Navigate(*navigation, shift, ctrl, VisibleLines()));
            return;
        }
    }
    if (modifiers == Qt::NoModifier) {
        if (key == Qt::Key_F4) {
            Apply(data_.SwitchColumn());
            return;
        }
        if ((key == Qt::Key_Delete || key == Qt::Key_Backspace) && !data_.ReadOnly()) {
            Apply(data_.DeleteKey(key == Qt::Key_Backspace));
            return;
        }
    }
    if (modifiers == Qt::ControlModifier) {
        // Every key with Ctrl alone stays here.
        switch (key) {
            case Qt::Key_Insert:
            case Qt::Key_C: CopyToClipboard(); break;
            case Qt::Key_Delete: DeleteSelection(); break;
            case Qt::Key_V: PasteFromClipboard(); break;
            case Qt::Key_X: CutToClipboard(); break;
            case Qt::Key_A: SelectAll(); break;
            default: break;
        }
        return;
    }
    if (modifiers == Qt::ShiftModifier) {
        if (key == Qt::Key_Insert) {
            PasteFromClipboard();
            return;
        }
        if (key == Qt::Key_Delete) {
            CutToClipboard();
            return;
        }
    }
    const QString text = event->text();
    if (!ctrl && !alt && text.size() == 1) {
        const TBinaryEffect effect = data_.TypeChar(text.at(0));
        if (effect.handled) {
            Apply(effect);
            return;
        }
    }
    // Other keys with Shift alone stay here too; the rest go on to the dialog (Enter, Escape).
    if (modifiers != Qt::ShiftModifier) event->ignore();
}

// ---- mouse ----

void TBinaryEditor::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || !data_.HasStream()) {
        QAbstractScrollArea::mousePressEvent(event);
        return;
    }
    setFocus(Qt::MouseFocusReason);
    StopDragTimer();
    selectionAtPress_ = data_.HasSelection();
    const TBinaryHit hit = PositionAtPoint(event->position().toPoint());
    TBinaryEffect effect = data_.PressAt(hit.position, hit.inAscii);
    dragging_ = data_.Size() > 0;
    // A selection removed by the press is reported when the button comes up.
    if (dragging_) effect.selectionChanged = false;
    viewport()->update();
    Apply(effect);
}

void TBinaryEditor::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || !data_.HasStream()) {
        QAbstractScrollArea::mouseDoubleClickEvent(event);
        return;
    }
    const TBinaryHit hit = PositionAtPoint(event->position().toPoint());
    if (hit.position < 0 || hit.position >= data_.Size()) {
        mousePressEvent(event);  // off the data it is a plain press
        return;
    }
    setFocus(Qt::MouseFocusReason);
    StopDragTimer();
    dragging_ = false;
    Apply(data_.SelectByteAt(hit.position, hit.inAscii));
}

void TBinaryEditor::mouseMoveEvent(QMouseEvent* event) {
    if (!dragging_) {
        QAbstractScrollArea::mouseMoveEvent(event);
        return;
    }
    const QPoint point = event->position().toPoint();
    if (point.y() < 0 || point.y() > viewport()->height()) {
        // Outside the view the selection grows a line per movement and per timer tick.
        dragScroll_ = point.y() < 0 ? TDragScroll::Up : TDragScroll::Down;
        if (!dragTimer_.isActive()) dragTimer_.start(kDragScrollInterval, this);
        else Apply(data_.DragByLine(dragScroll_ == TDragScroll::Up ? -1 : 1));
        return;
    }
    StopDragTimer();
    Apply(data_.DragTo(PositionAtPoint(point).position));
}

void TBinaryEditor::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || !dragging_) {
        QAbstractScrollArea::mouseReleaseEvent(event);
        return;
    }
    StopDragTimer();
    dragging_ = false;
    Apply(data_.EndDrag(selectionAtPress_));
}

void TBinaryEditor::contextMenuEvent(QContextMenuEvent* event) {
    QMenu* menu = popupMenu_ ? popupMenu_.data() : menu_;
    menu->popup(event->globalPos());
    event->accept();
}

// ---- focus ----

void TBinaryEditor::focusInEvent(QFocusEvent* event) {
    QAbstractScrollArea::focusInEvent(event);
    RestartBlink();
    paintedCaret_ = CaretRect();
    viewport()->update(paintedCaret_);
    if (hideSelection_ && data_.HasSelection()) viewport()->update();
}

void TBinaryEditor::focusOutEvent(QFocusEvent* event) {
    QAbstractScrollArea::focusOutEvent(event);
    blinkTimer_.stop();
    viewport()->update(CaretRect());
    if (hideSelection_ && data_.HasSelection()) viewport()->update();
}

}  // namespace kelmor
