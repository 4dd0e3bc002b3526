// TEditUserForm "Edit User": a user name and a new password typed twice.
#pragma once

#include "security/taskpasswordform.h"

namespace kelmor {

class TEditUserForm : public TAskPasswordForm {
    Q_OBJECT
public:
    explicit TEditUserForm(QWidget* parent = nullptr);

    QLineEdit* Username() const { return username_; }
    QString UsernameText() const;

protected:
    bool CheckClose() override;

private:
    QLineEdit* username_;
};

}  // namespace kelmor
