// TKelmorItemView: the item view both views of the database window are built on. It
// adds to the toolkit's view what the window needs of in-place caption editing: a say
// on whether an edit may start, and the notices OnEditing (an editor opened), OnEdited
// (a text was accepted) and OnEditFinished (the edit ended, accepted or cancelled; always
// after OnEdited). The accepted text is never written to the model by the view: the
// window checks it, stores it and sets the caption itself.
#pragma once

#include <QPersistentModelIndex>
#include <QPointer>
#include <QTreeView>
#include <functional>

class QLineEdit;

namespace kelmor {

class TCaptionDelegate;

class TKelmorItemView : public QTreeView {
    Q_OBJECT
public:
    using TEditPermission = std::function<bool(const QModelIndex& index)>;

    explicit TKelmorItemView(QWidget* parent = nullptr);
    ~TKelmorItemView() override;

    // Asked before every edit starts; without one every editable item may be edited.
    void SetEditPermission(TEditPermission permission) { permission_ = std::move(permission); }
    // Opens the caption editor of `index` (if permitted); true when an editor is open.
    bool StartEdit(const QModelIndex& index);
    bool IsEditing() const { return editing_; }
    QLineEdit* Editor() const;
    QModelIndex EditedIndex() const { return editedIndex_; }
    // Ends an edit in progress, discarding the text.
    void CancelEdit();

signals:
    void OnEditing(const QModelIndex& index);
    void OnEdited(const QModelIndex& index, const QString& text);
    void OnEditFinished();

protected:
    bool edit(const QModelIndex& index, EditTrigger trigger, QEvent* event) override;
    void closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) override;

private:
    void EditorCreated(QWidget* editor);
    void TextAccepted(const QModelIndex& index, const QString& text);
    void FinishEdit(bool withAcceptedText);

    TEditPermission permission_;
    TCaptionDelegate* delegate_;
    QPointer<QWidget> editor_;
    const QObject* editorIdentity_ = nullptr;  // compared only, never used
    // The open editor's "destroyed" connection: cut when its edit ends and when the view
    // goes, since an editor (a child) may be destroyed after this part of the view.
    QMetaObject::Connection editorDestroyed_;
    QPersistentModelIndex editedIndex_;
    bool editing_ = false;
    bool editorOpened_ = false;
    bool accepted_ = false;
    QString acceptedText_;
};

}  // namespace kelmor
