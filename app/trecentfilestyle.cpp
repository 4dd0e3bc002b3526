#include "app/trecentfilestyle.h"

#include <QAction>
#include <QMenu>
#include <QPainter>
#include <QStyleOptionMenuItem>

namespace kelmor {

void TRecentFileStyle::drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                                   const QWidget* widget) const {
    const auto* item = qstyleoption_cast<const QStyleOptionMenuItem*>(option);
    const auto* menu = qobject_cast<const QMenu*>(widget);
    QAction* entry = item && menu && element == CE_MenuItem ? menu->actionAt(item->rect.center()) : nullptr;
    if (!entry || !entry->property("recentFile").toBool()) {
        QProxyStyle::drawControl(element, option, painter, widget);
        return;
    }
    // The caption is "&" + number + " " + name; the style draws the name as a caption
    // (its doubled "&" shows once) and we put the number in front.
    const QString caption = entry->text();
    QStyleOptionMenuItem nameOnly = *item;
    nameOnly.text = caption.mid(3);
    QProxyStyle::drawControl(element, &nameOnly, painter, widget);

    painter->save();
    QFont font = item->font;
    font.setUnderline(styleHint(SH_UnderlineShortcut, option, widget) != 0);
    painter->setFont(font);
    const bool selected = item->state & State_Selected;
    const bool enabled = item->state & State_Enabled;
    painter->setPen(item->palette.color(enabled ? QPalette::Active : QPalette::Disabled,
                                        selected ? QPalette::HighlightedText : QPalette::Text));
    const QRect numberRect(item->rect.left() + 9, item->rect.top(), 12, item->rect.height());
    painter->drawText(numberRect, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, caption.mid(1, 1));
    painter->restore();
}

}  // namespace kelmor
