// TFieldNameDelegate: the in-place editor of a destination key name in the record import
// dialog. It takes only what a key name can hold: Latin-1 characters, at most 255 of them.
#pragma once

#include <QStyledItemDelegate>

class QLineEdit;

namespace kelmor {

class TFieldNameDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    // The longest key name the engine stores.
    static constexpr int kMaxKeyNameLength = 255;

    using QStyledItemDelegate::QStyledItemDelegate;

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option, const QModelIndex& index) const override;

signals:
    void EditorCreated(QLineEdit* editor) const;
};

}  // namespace kelmor
