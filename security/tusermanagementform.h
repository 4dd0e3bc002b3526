// TUserManagementForm "User Management": the administrator changes or clears the five
// user slots of a database.
#pragma once

#include <QDialog>

class QListWidget;
class QPushButton;

namespace kelmor {

class TKelmorClass;

class TUserManagementForm : public QDialog {
    Q_OBJECT
public:
    TUserManagementForm(TKelmorClass& database, QWidget* parent = nullptr);

    QListWidget* UserList() const { return userList_; }
    QPushButton* EditSelected() const { return editSelected_; }
    QPushButton* ClearItem() const { return clearItem_; }

    // The button handlers. An engine refusal (e.g. "Access Denied") is reported and
    // leaves the slot and its entry as they were.
    // "C&hange": edits the selected slot in the user dialog.
    void EditSelectedClick();
    // "C&lear": empties the selected slot (never slot 1).
    void ClearItemClick();

private:
    void FillList();
    int SelectedRow() const;  // -1 when nothing is selected

    TKelmorClass& database_;
    QListWidget* userList_;
    QPushButton* editSelected_;
    QPushButton* clearItem_;
};

}  // namespace kelmor
