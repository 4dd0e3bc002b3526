#include "window/tcaptiondelegate.h"

#include <QLineEdit>

#include "ui/latin1validator.h"

namespace kelmor {

QWidget* TCaptionDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem&, const QModelIndex&) const {
    auto* editor = new QLineEdit(parent);
    editor->setObjectName(QStringLiteral("CaptionEditor"));
    editor->setFrame(true);
    // No length limit here: an over-long caption is cut after a warning, not silently.
    editor->setValidator(new TLatin1Validator(editor));
    emit EditorCreated(editor);
    return editor;
}

void TCaptionDelegate::setEditorData(QWidget* editor, const QModelIndex& index) const {
    if (auto* line = qobject_cast<QLineEdit*>(editor)) {
        // Only when the editor opens: later model changes must not overwrite the typing.
        if (line->property("filled").toBool()) return;
        line->setProperty("filled", true);
        line->setText(index.data(Qt::EditRole).toString());
        line->selectAll();
    }
}

void TCaptionDelegate::setModelData(QWidget* editor, QAbstractItemModel*, const QModelIndex& index) const {
    if (auto* line = qobject_cast<QLineEdit*>(editor)) emit TextAccepted(index, line->text());
}

}  // namespace kelmor
