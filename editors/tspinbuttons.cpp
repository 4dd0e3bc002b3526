#include "editors/tspinbuttons.h"

#include <QToolButton>

namespace kelmor {

namespace {

QToolButton* MakeArrowButton(Qt::ArrowType arrow, QWidget* parent) {
    auto* button = new QToolButton(parent);
    button->setArrowType(arrow);
    button->setAutoRepeat(true);
    // Clicking an arrow must leave the focus (and the selection) in the edit.
    button->setFocusPolicy(Qt::NoFocus);
    return button;
}

}  // namespace

TSpinButtons::TSpinButtons(QWidget* parent)
    : QWidget(parent), up_(MakeArrowButton(Qt::UpArrow, this)), down_(MakeArrowButton(Qt::DownArrow, this)) {
    // The edit shows an I-beam; the buttons are buttons.
    setCursor(Qt::ArrowCursor);
    connect(up_, &QToolButton::clicked, this, &TSpinButtons::UpClick);
    connect(down_, &QToolButton::clicked, this, &TSpinButtons::DownClick);
}

void TSpinButtons::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    // Placed by hand: a layout would keep the buttons at their size hints, taller than an edit.
    const int upperHeight = height() / 2;
    up_->setGeometry(0, 0, width(), upperHeight);
    down_->setGeometry(0, upperHeight, width(), height() - upperHeight);
}

}  // namespace kelmor
