// TCaptionDelegate: the in-place editor of an item's caption in the two views of the
// database window. It never writes the model itself: an accepted text is handed to the
// view (TKelmorItemView), which reports it once the editor has closed.
#pragma once

#include <QStyledItemDelegate>

namespace kelmor {

class TCaptionDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    void setEditorData(QWidget* editor, const QModelIndex& index) const override;
    void setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const override;

signals:
    void EditorCreated(QWidget* editor) const;
    void TextAccepted(const QModelIndex& index, const QString& text) const;
};

}  // namespace kelmor
