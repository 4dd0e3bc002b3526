#include "tedituserform.h"

#include <QLineEdit>

#include "common.h"
#include "textbox.h"
#include "userblock.h"

namespace kelmor {

TEditUserForm::TEditUserForm(QWidget* parent) : TAskPasswordForm(parent) {
    setWindowTitle(QStringLiteral("Edit User"));
    username_ = NewTextBox(this, static_cast<int>(kMaxUserText), false);
    username_->setObjectName(QStringLiteral("Username"));
    InsertRow(0, QStringLiteral("&Username:"), username_);
    setTabOrder(username_, NewPassword());
    username_->setFocus();
}

QString TEditUserForm::UsernameText() const { return username_->text(); }

bool TEditUserForm::CheckClose() {
    if (username_->text().isEmpty()) {
        ShowCentredMessage(QStringLiteral("Username must be entered."), TMessageKind::Error, QMessageBox::Ok, this);
        username_->setFocus();
        return false;
    }
    return TAskPasswordForm::CheckClose();
}

}  // namespace kelmor
