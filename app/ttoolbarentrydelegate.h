// TToolbarEntryDelegate: draws the rows of the toolbar customisation dialog's two lists.
// A row is 20 pixels high: a command shows its picture from the command image strip and
// its short hint, a separator an etched vertical line and its name.
#pragma once

#include <QStyledItemDelegate>

namespace kelmor {

class TImageStrip;

class TToolbarEntryDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    static constexpr int kRowHeight = 20;
    static constexpr int kTextLeft = 30;
    static constexpr int kImageLeft = 6;
    static constexpr int kImageTop = 2;
    // The etched line of a separator: two columns of pixels, 16 high.
    static constexpr int kEtchLeft = 13;
    static constexpr int kEtchTop = 2;
    static constexpr int kEtchHeight = 16;

    TToolbarEntryDelegate(const TImageStrip& images, QObject* parent = nullptr);

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

private:
    const TImageStrip& images_;
};

}  // namespace kelmor
