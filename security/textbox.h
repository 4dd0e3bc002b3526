// The one-line text boxes of the security dialogs: Latin-1 only, limited in length,
// password boxes hiding what is typed.
#pragma once

class QLineEdit;
class QWidget;

namespace kelmor {

QLineEdit* NewTextBox(QWidget* parent, int maxLength, bool password);

}  // namespace kelmor
