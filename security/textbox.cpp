#include "security/textbox.h"

#include <QLineEdit>

#include "ui/latin1validator.h"

namespace kelmor {

QLineEdit* NewTextBox(QWidget* parent, int maxLength, bool password) {
    auto* box = new QLineEdit(parent);
    box->setMaxLength(maxLength);
    box->setValidator(new TLatin1Validator(box));
    if (password) box->setEchoMode(QLineEdit::Password);
    return box;
}

}  // namespace kelmor
