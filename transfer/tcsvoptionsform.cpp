#include "transfer/tcsvoptionsform.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QShowEvent>
#include <QVBoxLayout>

#include "interchange/tadvancedimportoptions.h"
#include "ui/common.h"
#include "ui/dialogbuttons.h"
#include "ui/guarded.h"

namespace kelmor {

TCSVOptionsForm::TCSVOptionsForm(TAdvancedImportOptions& options, QWidget* parent)
    : QDialog(parent), options_(options) {
    setObjectName(QStringLiteral("CSVOptionsForm"));
    setWindowTitle(QStringLiteral("Advanced CSV Options"));

    useFirstRec_ = new QCheckBox(QStringLiteral("Use &First Record as Field Descriptions"), this);
    useFirstRec_->setObjectName(QStringLiteral("xUseFirstRec"));
    useSDF_ = new QCheckBox(QStringLiteral("Use &SDF format for data"), this);
    useSDF_->setObjectName(QStringLiteral("xUseSDF"));
    auto* note = new QLabel(QStringLiteral("(Changing will reassign any adjustments made to the field names)"), this);
    note->setObjectName(QStringLiteral("Note"));
    note->setWordWrap(true);

    const TDialogButtons okCancel = MakeOkCancelButtons(this);
    ok_ = okCancel.ok;
    cancel_ = okCancel.cancel;

    QHBoxLayout* buttons = okCancel.Row();
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(useFirstRec_);
    layout->addWidget(useSDF_);
    layout->addWidget(note);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    LoadSettings();
}

void TCSVOptionsForm::LoadSettings() {
    useFirstRec_->setChecked(options_.UseFirstRecord());
    useSDF_->setChecked(options_.UseSDF());
}

void TCSVOptionsForm::accept() {
    const bool useFirstRecord = useFirstRec_->isChecked();
    const bool useSDF = useSDF_->isChecked();
    Guarded([&] { options_.Apply(useFirstRecord, useSDF); });
    QDialog::accept();
}

void TCSVOptionsForm::reject() {
    LoadSettings();
    QDialog::reject();
}

void TCSVOptionsForm::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (event->spontaneous()) return;
    // Centred over the form that opened it (the record import dialog), or the main window.
    const QRect form = OwnerFormRect(parentWidget());
    if (!form.isNull()) move(CentredPosition(form, frameGeometry().size()));
}

}  // namespace kelmor
