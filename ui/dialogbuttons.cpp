#include "ui/dialogbuttons.h"

#include <QDialog>
#include <QHBoxLayout>
#include <QPushButton>

namespace kelmor {

TDialogButtons MakeOkCancelButtons(QDialog* dialog) {
    TDialogButtons buttons;
    buttons.ok = new QPushButton(QStringLiteral("OK"), dialog);
    buttons.ok->setObjectName(QStringLiteral("OkButton"));
    buttons.ok->setDefault(true);
    buttons.cancel = new QPushButton(QStringLiteral("Cancel"), dialog);
    buttons.cancel->setObjectName(QStringLiteral("CancelButton"));
    // Enter means OK wherever the focus is.
    buttons.cancel->setAutoDefault(false);
    // (accept and reject are virtual: a dialog's own accept runs)
    QObject::connect(buttons.ok, &QPushButton::clicked, dialog, &QDialog::accept);
    QObject::connect(buttons.cancel, &QPushButton::clicked, dialog, &QDialog::reject);
    return buttons;
}

QHBoxLayout* TDialogButtons::Row() const {
    auto* row = new QHBoxLayout;
    row->addStretch(1);
    row->addWidget(ok);
    row->addWidget(cancel);
    return row;
}

}  // namespace kelmor
