// TChangePasswordForm "Change Password": the logged-on user changes his own password
// after confirming the old one.
#pragma once

#include "security/taskpasswordform.h"

namespace kelmor {

class TKelmorClass;

class TChangePasswordForm : public TAskPasswordForm {
    Q_OBJECT
public:
    TChangePasswordForm(TKelmorClass& database, QWidget* parent = nullptr);

    QLineEdit* OldPassword() const { return oldPassword_; }

protected:
    bool CheckClose() override;
    void Confirmed() override;

private:
    TKelmorClass& database_;
    QLineEdit* oldPassword_;
};

}  // namespace kelmor
