#include "ui/txpbevel.h"

#include <QPainter>
#include <QStyle>
#include <QStyleOptionFrame>

namespace kelmor {

TXPBevel::TXPBevel(QWidget* parent) : QGroupBox(parent) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setFocusPolicy(Qt::NoFocus);
}

void TXPBevel::SetThemed(bool themed) {
    if (themed_ == themed) return;
    themed_ = themed;
    update();
}

void TXPBevel::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    if (themed_) {
        QStyleOptionFrame option;
        option.initFrom(this);  // State_Enabled only while the bevel is enabled
        option.rect = rect();
        option.lineWidth = 1;
        option.midLineWidth = 0;
        option.features = QStyleOptionFrame::None;
        style()->drawPrimitive(QStyle::PE_FrameGroupBox, &option, &painter, this);
        return;
    }
    // A lowered box: shadow on the top and left edges, highlight on the bottom and right.
    const QRect area = rect();
    if (area.isEmpty()) return;
    const QColor shadow = palette().color(QPalette::Dark);
    const QColor highlight = palette().color(QPalette::Light);
    painter.fillRect(area.left(), area.top(), area.width() - 1, 1, shadow);
    painter.fillRect(area.left(), area.top(), 1, area.height() - 1, shadow);
    painter.fillRect(area.right(), area.top(), 1, area.height(), highlight);
    painter.fillRect(area.left(), area.bottom(), area.width(), 1, highlight);
}

}  // namespace kelmor
