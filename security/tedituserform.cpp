#include "security/tedituserform.h"

#include <QLineEdit>

#include "engine/userblock.h"
#include "security/textbox.h"
#include "ui/common.h"

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
