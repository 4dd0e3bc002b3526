// TNewDatabaseDetailsForm "New Database": the first user of a new database.
#pragma once

#include "security/tedituserform.h"

namespace kelmor {

class TNewDatabaseDetailsForm : public TEditUserForm {
    Q_OBJECT
public:
    explicit TNewDatabaseDetailsForm(QWidget* parent = nullptr);
};

}  // namespace kelmor
