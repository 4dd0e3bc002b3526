#include "transfer/tfieldnamedelegate.h"

#include <QLineEdit>

#include "ui/latin1validator.h"

namespace kelmor {

QWidget* TFieldNameDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem&, const QModelIndex&) const {
    auto* editor = new QLineEdit(parent);
    editor->setObjectName(QStringLiteral("FieldNameEditor"));
    editor->setFrame(true);
    editor->setMaxLength(kMaxKeyNameLength);
    editor->setValidator(new TLatin1Validator(editor));
    emit EditorCreated(editor);
    return editor;
}

}  // namespace kelmor
