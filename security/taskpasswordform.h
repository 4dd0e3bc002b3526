// TAskPasswordForm "Enter New Password": a new password typed twice. The base of the
// password dialogs; each descendant puts its own boxes in front and its own checks
// before the inherited ones.
#pragma once

#include <QDialog>

class QDialogButtonBox;
class QFormLayout;
class QLabel;
class QLineEdit;
class QVBoxLayout;

namespace kelmor {

class TAskPasswordForm : public QDialog {
    Q_OBJECT
public:
    explicit TAskPasswordForm(QWidget* parent = nullptr);

    QLineEdit* NewPassword() const { return newPassword_; }
    QLineEdit* VerifyPassword() const { return verifyPassword_; }
    QString NewPasswordText() const;

    // OK closes only when the closing checks pass and the confirmation succeeds; an
    // engine error is reported and leaves the dialog open.
    void accept() override;

protected:
    // The closing checks; a failing check shows its message, focuses its box and
    // answers false.
    virtual bool CheckClose();
    // Runs after the checks have passed, before the dialog closes.
    virtual void Confirmed() {}
    // Adds a labelled row in front of the inherited ones, at `row`.
    void InsertRow(int row, const QString& label, QWidget* field);
    void InsertText(const QString& text);

    QFormLayout* Fields() const { return fields_; }
    QDialogButtonBox* Buttons() const { return buttons_; }

private:
    QVBoxLayout* layout_;
    QFormLayout* fields_;
    QLineEdit* newPassword_;
    QLineEdit* verifyPassword_;
    QDialogButtonBox* buttons_;
};

}  // namespace kelmor
