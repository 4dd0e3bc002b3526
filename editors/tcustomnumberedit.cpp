#include "editors/tcustomnumberedit.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QStyleOptionFrame>
#include <QToolButton>
#include <QWheelEvent>
#include <algorithm>

#include "editors/tspinbuttons.h"

namespace kelmor {

namespace {

constexpr int kWheelNotch = 120;  // eighths of a degree: one notch of an ordinary wheel

}  // namespace

TCustomNumberEdit::TCustomNumberEdit(QWidget* parent) : QLineEdit(parent), spin_(new TSpinButtons(this)) {
    connect(this, &QLineEdit::textChanged, this, &TCustomNumberEdit::TextChanged);
    connect(spin_, &TSpinButtons::UpClick, this, [this] { SpinClick(true); });
    connect(spin_, &TSpinButtons::DownClick, this, [this] { SpinClick(false); });
    UpdateMinimumHeight();
    UpdateSpinState();
}

void TCustomNumberEdit::SetShowSpin(bool show) {
    if (showSpin_ == show) return;
    showSpin_ = show;
    UpdateSpinState();
}

void TCustomNumberEdit::SetRegionalSettings(const TRegionalSettings& settings) {
    settings_ = settings;
    UpdateText();
}

void TCustomNumberEdit::UpdateText() {
    const QString shown = ValueToText();
    // Setting an unchanged text signals nothing, yet the value must still become its parse.
    if (shown == text()) TextToValue(shown);
    else setText(shown);
}

bool TCustomNumberEdit::IsValidChar(char c) const { return c == '\b' || c == '+' || (c >= '0' && c <= '9'); }

void TCustomNumberEdit::Beep() { QApplication::beep(); }

void TCustomNumberEdit::TextChanged(const QString& text) {
    TextToValue(text);
    if (created_) emit OnChange();
}

// ---- Keyboard, wheel and spin buttons ---------------------------------------------------------

void TCustomNumberEdit::keyPressEvent(QKeyEvent* event) {
    const int key = event->key();
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
        event->accept();
        if (returnKeyAsTab_) focusNextPrevChild(true);
        else PressDefaultButton();
        return;
    }
    if (key == Qt::Key_Escape) {
        event->accept();
        if (QWidget* form = ParentForm()) form->close();
        return;
    }
    if ((key == Qt::Key_Up || key == Qt::Key_Down) && showSpin_) {
        event->accept();
        if (isEnabled() && !isReadOnly()) {
            if (key == Qt::Key_Up) StepUp();
            else StepDown();
        }
        return;
    }
    if (!KeyIsAllowed(*event)) {
        event->accept();
        Beep();
        return;
    }
    QLineEdit::keyPressEvent(event);
}

bool TCustomNumberEdit::KeyIsAllowed(const QKeyEvent& event) const {
    const Qt::KeyboardModifiers modifiers = event.modifiers();
    // Alt and Meta combinations type nothing (menus and shortcuts).
    if (modifiers & (Qt::AltModifier | Qt::MetaModifier)) return true;
    const int key = event.key();
    if (modifiers & Qt::ControlModifier) {
        // Ctrl + a letter is a control character: only copy, paste, cut and undo get through.
        if (key < Qt::Key_A || key > Qt::Key_Z) return true;
        return key == Qt::Key_C || key == Qt::Key_V || key == Qt::Key_X || key == Qt::Key_Z;
    }
    if (key == Qt::Key_Backspace || key == Qt::Key_Delete) return true;
    // Keys without text (movement, function keys) type nothing either.
    const QString typed = event.text();
    return std::all_of(typed.begin(), typed.end(),
                       [this](QChar c) { return c.unicode() <= 0xFF && IsValidChar(static_cast<char>(c.unicode())); });
}

void TCustomNumberEdit::wheelEvent(QWheelEvent* event) {
    if (showSpin_ && !isReadOnly()) {
        // Turning the wheel down (toward the user) counts up, one step per notch; fine-grained
        // wheels and touchpads add up to whole notches.
        wheelDelta_ += event->angleDelta().y();
        for (; wheelDelta_ <= -kWheelNotch; wheelDelta_ += kWheelNotch) StepUp();
        for (; wheelDelta_ >= kWheelNotch; wheelDelta_ -= kWheelNotch) StepDown();
    }
    // Not handled here: the parent sees the wheel as well.
    event->ignore();
}

void TCustomNumberEdit::SpinClick(bool up) {
    if (isReadOnly()) return;
    if (up) StepUp();
    else StepDown();
}

// The form that Enter and Escape act on: the dialog or document window around the edit.
QWidget* TCustomNumberEdit::ParentForm() const {
    for (QWidget* w = parentWidget(); w != nullptr; w = w->parentWidget()) {
        if (w->isWindow() || qobject_cast<QMdiSubWindow*>(w) != nullptr) return w;
    }
    return nullptr;
}

void TCustomNumberEdit::PressDefaultButton() {
    QWidget* form = ParentForm();
    if (form == nullptr) return;
    const QList<QPushButton*> buttons = form->findChildren<QPushButton*>();
    const auto answers = [](const QPushButton* b) { return b->isDefault() && b->isVisible() && b->isEnabled(); };
    const auto found = std::find_if(buttons.begin(), buttons.end(), answers);
    // The button's own click ends the dialog the way that button does.
    if (found != buttons.end()) (*found)->click();
}

// ---- Window -----------------------------------------------------------------------------------

void TCustomNumberEdit::showEvent(QShowEvent* event) {
    QLineEdit::showEvent(event);
    if (created_) return;
    UpdateText();  // still without OnChange
    created_ = true;
    if (autoSelect_) selectAll();
    UpdateSpinState();
}

void TCustomNumberEdit::focusInEvent(QFocusEvent* event) {
    QLineEdit::focusInEvent(event);
    // The line edit selects everything when tabbed into; without AutoSelect the caret stays.
    const bool byKeyboard = event->reason() == Qt::TabFocusReason || event->reason() == Qt::BacktabFocusReason ||
                            event->reason() == Qt::ShortcutFocusReason;
    if (byKeyboard && !autoSelect_) deselect();
}

void TCustomNumberEdit::changeEvent(QEvent* event) {
    QLineEdit::changeEvent(event);
    switch (event->type()) {
        case QEvent::EnabledChange:
        case QEvent::ReadOnlyChange: UpdateSpinState(); break;
        case QEvent::FontChange:
        case QEvent::StyleChange:
            UpdateMinimumHeight();
            PlaceSpinButtons();
            break;
        default: break;
    }
}

void TCustomNumberEdit::resizeEvent(QResizeEvent* event) {
    QLineEdit::resizeEvent(event);
    PlaceSpinButtons();
}

void TCustomNumberEdit::UpdateSpinState() {
    spin_->setVisible(showSpin_);
    spin_->setEnabled(showSpin_ && isEnabled() && !isReadOnly());
    // Typed text ends short of the buttons; the line edit keeps its own small gap before them.
    setTextMargins(0, 0, showSpin_ ? TSpinButtons::kWidth : 0, 0);
    PlaceSpinButtons();
}

// Inside the frame, at the right edge, the full inner height.
void TCustomNumberEdit::PlaceSpinButtons() {
    int frame = 0;
    if (hasFrame()) {
        QStyleOptionFrame option;
        initStyleOption(&option);
        frame = style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &option, this);
    }
    spin_->setGeometry(width() - frame - TSpinButtons::kWidth, frame, TSpinButtons::kWidth, height() - 2 * frame);
}

// Room for the frame on both sides, one line of the font and a quarter line (of the edit's or
// the application's font, whichever is smaller) to spare; never less than the style's own need.
void TCustomNumberEdit::UpdateMinimumHeight() {
    QStyleOptionFrame option;
    initStyleOption(&option);
    const int frame = style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &option, this);
    const int lineHeight = fontMetrics().height();
    const int spare = std::min(lineHeight, QFontMetrics(QApplication::font()).height()) / 4;
    const int needed = 2 * frame + lineHeight + spare + 2;
    setMinimumHeight(std::max(needed, QLineEdit::minimumSizeHint().height()));
}

}  // namespace kelmor
