#include "security/tchangepasswordform.h"

#include <QLineEdit>

#include "engine/tkelmor.h"
#include "security/textbox.h"
#include "ui/common.h"

namespace kelmor {

TChangePasswordForm::TChangePasswordForm(TKelmorClass& database, QWidget* parent)
    : TAskPasswordForm(parent), database_(database) {
    setWindowTitle(QStringLiteral("Change Password"));
    oldPassword_ = NewTextBox(this, static_cast<int>(kMaxUserText), true);
    oldPassword_->setObjectName(QStringLiteral("OldPassword"));
    InsertRow(0, QStringLiteral("&Old Password:"), oldPassword_);
    setTabOrder(oldPassword_, NewPassword());
    oldPassword_->setFocus();
}

bool TChangePasswordForm::CheckClose() {
    // The logon check compares passwords without regard to letter case.
    if (database_.CheckLogin(database_.GetCurrentUserName(), ToLatin1(oldPassword_->text())) !=
        database_.CurrentUser()) {
        ShowCentredMessage(QStringLiteral("Old password incorrect."), TMessageKind::Error, QMessageBox::Ok, this);
        oldPassword_->setFocus();
        return false;
    }
    return TAskPasswordForm::CheckClose();
}

void TChangePasswordForm::Confirmed() {
    database_.ChangePassword(ToLatin1(NewPasswordText()));
    ShowCentredMessage(QStringLiteral("Password changed."), TMessageKind::Information, QMessageBox::Ok, this);
}

}  // namespace kelmor
