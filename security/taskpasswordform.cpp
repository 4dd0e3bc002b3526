#include "security/taskpasswordform.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "engine/userblock.h"
#include "security/textbox.h"
#include "ui/common.h"
#include "ui/guarded.h"

namespace kelmor {

TAskPasswordForm::TAskPasswordForm(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("Enter New Password"));
    layout_ = new QVBoxLayout(this);
    fields_ = new QFormLayout;
    layout_->addLayout(fields_);

    newPassword_ = NewTextBox(this, static_cast<int>(kMaxUserText), true);
    newPassword_->setObjectName(QStringLiteral("NewPassword"));
    verifyPassword_ = NewTextBox(this, static_cast<int>(kMaxUserText), true);
    verifyPassword_->setObjectName(QStringLiteral("VerifyPassword"));
    InsertRow(0, QStringLiteral("&New Password:"), newPassword_);
    InsertRow(1, QStringLiteral("&Verify New Password:"), verifyPassword_);

    buttons_ = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons_->button(QDialogButtonBox::Ok)->setDefault(true);
    connect(buttons_, &QDialogButtonBox::accepted, this, &TAskPasswordForm::accept);
    connect(buttons_, &QDialogButtonBox::rejected, this, &TAskPasswordForm::reject);
    layout_->addWidget(buttons_);
    setMinimumWidth(320);
}

QString TAskPasswordForm::NewPasswordText() const { return newPassword_->text(); }

void TAskPasswordForm::InsertRow(int row, const QString& label, QWidget* field) {
    auto* caption = new QLabel(label, this);
    caption->setBuddy(field);
    fields_->insertRow(row, caption, field);
}

void TAskPasswordForm::InsertText(const QString& text) {
    auto* label = new QLabel(text, this);
    label->setWordWrap(false);  // one line: the dialog is as wide as the text
    layout_->insertWidget(0, label);
}

bool TAskPasswordForm::CheckClose() {
    if (newPassword_->text() != verifyPassword_->text()) {
        ShowCentredMessage(QStringLiteral("New password's do not match."), TMessageKind::Error, QMessageBox::Ok, this);
        newPassword_->setFocus();
        return false;
    }
    return true;
}

void TAskPasswordForm::accept() {
    // The checks and the confirmation may call the engine; when it refuses, the error
    // is reported and the dialog stays open.
    bool passed = false;
    Guarded([this, &passed] {
        if (!CheckClose()) return;
        Confirmed();
        passed = true;
    });
    if (passed) QDialog::accept();
}

}  // namespace kelmor
