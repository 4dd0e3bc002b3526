#include "app/ttoolbarentrydelegate.h"

#include <QAction>
#include <QPainter>

#include "app/ttoolbarentrylist.h"
#include "ui/timagestrip.h"

namespace kelmor {

TToolbarEntryDelegate::TToolbarEntryDelegate(const TImageStrip& images, QObject* parent)
    : QStyledItemDelegate(parent), images_(images) {}

QSize TToolbarEntryDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const {
    return QSize(kTextLeft + option.fontMetrics.horizontalAdvance(index.data(Qt::DisplayRole).toString()) + 4,
                 kRowHeight);
}

void TToolbarEntryDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                                  const QModelIndex& index) const {
    const QRect row = option.rect;
    const bool selected = option.state & QStyle::State_Selected;
    // The palette's current group: disabled or inactive lists look so.
    const QColor background = option.palette.color(selected ? QPalette::Highlight : QPalette::Base);
    painter->save();
    painter->fillRect(row, background);

    QAction* command = TToolbarEntryList::EntryOf(index);
    if (command) {
        const QRect image(row.left() + kImageLeft, row.top() + kImageTop, TImageStrip::kImageSize,
                          TImageStrip::kImageSize);
        images_.Icon(command->property("imageIndex").toInt()).paint(painter, image);
    } else {
        const int left = row.left() + kEtchLeft;
        const int top = row.top() + kEtchTop;
        painter->fillRect(left, top, 1, kEtchHeight, option.palette.color(QPalette::Dark));
        painter->fillRect(left + 1, top, 1, kEtchHeight, option.palette.color(QPalette::Light));
    }

    painter->setFont(option.font);
    painter->setPen(option.palette.color(selected ? QPalette::HighlightedText : QPalette::Text));
    const QRect text = row.adjusted(kTextLeft, 0, 0, 0);
    painter->drawText(
        text, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
        option.fontMetrics.elidedText(index.data(Qt::DisplayRole).toString(), Qt::ElideRight, text.width()));
    if (option.state & QStyle::State_HasFocus) {
        QStyleOptionFocusRect focus;
        focus.QStyleOption::operator=(option);
        focus.rect = row;
        focus.state |= QStyle::State_KeyboardFocusChange;
        focus.backgroundColor = background;
        const QWidget* widget = option.widget;
        QStyle* style = widget ? widget->style() : nullptr;
        if (style) style->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, painter, widget);
    }
    painter->restore();
}

}  // namespace kelmor
