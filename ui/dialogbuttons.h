// The OK and Cancel buttons every dialog of the program has.
#pragma once

class QDialog;
class QHBoxLayout;
class QPushButton;

namespace kelmor {

struct TDialogButtons {
    QPushButton* ok = nullptr;      // "OK", the default button (Enter): the dialog's accept
    QPushButton* cancel = nullptr;  // "Cancel" (Esc, as the dialog's reject)

    // A new row with both buttons at its right end, for the dialog's layout.
    QHBoxLayout* Row() const;
};

// Makes the two buttons as children of the dialog (object names OkButton and
// CancelButton); the caller places them.
TDialogButtons MakeOkCancelButtons(QDialog* dialog);

}  // namespace kelmor
