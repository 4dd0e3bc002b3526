// TLoginForm "Logon to Database": user name, password and the read-only choice for
// opening a database. Enter moves from the name to the password to OK; OK is not the
// default button, so a first Enter never closes the dialog.
#pragma once

#include <QDialog>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace kelmor {

class TLoginForm : public QDialog {
    Q_OBJECT
public:
    explicit TLoginForm(QWidget* parent = nullptr);

    void SetDatabaseName(const QString& fileName);
    QString UserName() const;
    QString Password() const;
    bool ReadOnly() const;

    QLabel* xDatabase() const { return database_; }
    QLineEdit* xUsername() const { return username_; }
    QLineEdit* xPassword() const { return password_; }
    QCheckBox* xDBReadOnly() const { return readOnly_; }
    QPushButton* OKButton() const { return ok_; }

    // The built-in user's name as the dialog offers it: capital first letter.
    static QString BuiltInUserName();

    // Shown with no default button: Enter presses OK only when OK has the focus.
    void setVisible(bool visible) override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QLabel* database_;
    QLineEdit* username_;
    QLineEdit* password_;
    QCheckBox* readOnly_;
    QPushButton* ok_;
};

}  // namespace kelmor
