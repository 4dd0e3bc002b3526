#include "window/tkelmoritemview.h"

#include <QLineEdit>

#include "window/tcaptiondelegate.h"

namespace kelmor {

TKelmorItemView::~TKelmorItemView() { disconnect(editorDestroyed_); }

TKelmorItemView::TKelmorItemView(QWidget* parent) : QTreeView(parent) {
    delegate_ = new TCaptionDelegate(this);
    setItemDelegate(delegate_);
    connect(delegate_, &TCaptionDelegate::EditorCreated, this, &TKelmorItemView::EditorCreated);
    connect(delegate_, &TCaptionDelegate::TextAccepted, this, &TKelmorItemView::TextAccepted);
    // Clicking the caption of the selected item again starts the edit; F2 is a command.
    setEditTriggers(QAbstractItemView::SelectedClicked);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setUniformRowHeights(true);  // keeps branches of many thousand items fast
    setAnimated(false);
}

bool TKelmorItemView::StartEdit(const QModelIndex& index) {
    if (!index.isValid()) return false;
    scrollTo(index);
    return edit(index, QAbstractItemView::AllEditTriggers, nullptr);
}

QLineEdit* TKelmorItemView::Editor() const { return qobject_cast<QLineEdit*>(editor_.data()); }

void TKelmorItemView::CancelEdit() {
    if (editing_ && editor_) closeEditor(editor_, QAbstractItemDelegate::RevertModelCache);
}

bool TKelmorItemView::edit(const QModelIndex& index, EditTrigger trigger, QEvent* event) {
    if (!index.isValid() || !(index.flags() & Qt::ItemIsEditable)) return false;
    // Only an edit that would really start needs the window's consent.
    const bool wouldStart = trigger == QAbstractItemView::AllEditTriggers || (editTriggers() & trigger);
    if (!wouldStart) return QTreeView::edit(index, trigger, event);
    if (editing_ && editedIndex_ == index) return QTreeView::edit(index, trigger, event);
    if (permission_ && !permission_(index)) return false;
    editorOpened_ = false;
    const bool result = QTreeView::edit(index, trigger, event);
    if (editorOpened_) {
        editorOpened_ = false;
        editedIndex_ = index;
        emit OnEditing(index);
    }
    return result;
}

void TKelmorItemView::EditorCreated(QWidget* editor) {
    // A new editor while another is open: the old one ends first, without its text.
    if (editing_) FinishEdit(false);
    editor_ = editor;
    editing_ = true;
    editorOpened_ = true;
    accepted_ = false;
    acceptedText_.clear();
    // The toolkit drops an editor without closing it when its item goes away.
    editorIdentity_ = editor;
    disconnect(editorDestroyed_);
    editorDestroyed_ = connect(editor, &QObject::destroyed, this, [this, editor] {
        if (editing_ && editorIdentity_ == editor) FinishEdit(false);
    });
}

void TKelmorItemView::TextAccepted(const QModelIndex& index, const QString& text) {
    if (!editing_) return;
    editedIndex_ = index;
    accepted_ = true;
    acceptedText_ = text;
}

void TKelmorItemView::closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) {
    // Tab and Shift+Tab end the edit as Enter does (the text is already committed); they
    // do not go on to edit the next item, whose editor would replace this one unkept.
    if (hint == QAbstractItemDelegate::EditNextItem || hint == QAbstractItemDelegate::EditPreviousItem)
        hint = QAbstractItemDelegate::SubmitModelCache;
    QTreeView::closeEditor(editor, hint);
    if (editing_ && editor == editor_) FinishEdit(true);
}

void TKelmorItemView::FinishEdit(bool withAcceptedText) {
    // A closed editor is deleted later, maybe after this view's own part is gone.
    disconnect(editorDestroyed_);
    editing_ = false;
    editor_ = nullptr;
    editorIdentity_ = nullptr;
    const QPersistentModelIndex index = editedIndex_;
    const QString text = acceptedText_;
    const bool accepted = withAcceptedText && accepted_ && index.isValid();
    accepted_ = false;
    acceptedText_.clear();
    editedIndex_ = QPersistentModelIndex();
    if (accepted) emit OnEdited(index, text);
    emit OnEditFinished();
}

}  // namespace kelmor
