#include "security/tnewdatabasedetailsform.h"

namespace kelmor {

TNewDatabaseDetailsForm::TNewDatabaseDetailsForm(QWidget* parent) : TEditUserForm(parent) {
    setWindowTitle(QStringLiteral("New Database"));
    InsertText(QStringLiteral("Enter the initial username and password for the database."));
}

}  // namespace kelmor
