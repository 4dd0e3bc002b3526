#include "security/tsecurityform.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "engine/tkelmor.h"
#include "ui/dialogbuttons.h"
#include "ui/guarded.h"

namespace kelmor {

namespace {
constexpr int kHighestLevel = 5;
}

QString TSecurityForm::LevelText(int level) {
    switch (level) {
        case 1: return QStringLiteral("1. Level 1 only.");
        case 2: return QStringLiteral("2. Level 1 & 2.");
        case 3: return QStringLiteral("3. Level 1,2 & 3.");
        case 4: return QStringLiteral("4. Level 1,2,3 & 4.");
        case 5: return QStringLiteral("5. All levels.");
        default: return QString();
    }
}

TSecurityForm::TSecurityForm(TKelmorClass& database, int32_t nodeID, QWidget* parent)
    : QDialog(parent), database_(database), nodeID_(nodeID), firstLevel_(database.CurrentUser()) {
    setObjectName(QStringLiteral("SecurityForm"));
    setWindowTitle(QStringLiteral("Security"));
    auto* label = new QLabel(QStringLiteral("&Security Level:"), this);
    securityLevel_ = new QListWidget(this);
    securityLevel_->setObjectName(QStringLiteral("SecurityLevel"));
    securityLevel_->setSelectionMode(QAbstractItemView::SingleSelection);
    label->setBuddy(securityLevel_);
    const TDialogButtons okCancel = MakeOkCancelButtons(this);
    ok_ = okCancel.ok;
    cancel_ = okCancel.cancel;
    connect(securityLevel_, &QListWidget::itemDoubleClicked, this, [this] {
        if (ok_->isVisible()) accept();
    });

    for (int level = firstLevel_; level <= kHighestLevel; ++level) securityLevel_->addItem(LevelText(level));
    // The entry of the node's level; a read-only node's byte gives none.
    const int entry = static_cast<int>(database_.GetNodeSecurity(nodeID_)) - firstLevel_;
    if (entry >= 0 && entry < securityLevel_->count()) securityLevel_->setCurrentRow(entry);
    else securityLevel_->setCurrentRow(-1);
    securityLevel_->setFixedHeight(securityLevel_->sizeHintForRow(0) * kHighestLevel +
                                   2 * securityLevel_->frameWidth());

    QHBoxLayout* buttons = okCancel.Row();
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(label);
    layout->addWidget(securityLevel_);
    layout->addLayout(buttons);

    if (database_.IsReadOnly()) {
        securityLevel_->setEnabled(false);
        ok_->hide();
        ok_->setDefault(false);
        cancel_->setText(QStringLiteral("Close"));
        cancel_->setDefault(true);
        cancel_->setFocus();
        // The close button stands alone, centred horizontally.
        layout->removeItem(buttons);
        delete buttons;
        auto* centred = new QHBoxLayout;
        centred->addStretch(1);
        centred->addWidget(cancel_);
        centred->addStretch(1);
        layout->addLayout(centred);
    } else {
        securityLevel_->setFocus();
    }
    setFixedWidth(std::max(sizeHint().width(), 230));
}

void TSecurityForm::accept() {
    bool done = false;
    Guarded([this, &done] {
        const int row = securityLevel_->currentRow();
        const bool selected = row >= 0 && securityLevel_->item(row)->isSelected();
        if (!database_.IsReadOnly() && selected)
            database_.SetNodeSecurity(nodeID_, static_cast<uint8_t>(firstLevel_ + row), false);
        done = true;
    });
    // A refused change closes the dialog as cancelled, after the report.
    if (done) QDialog::accept();
    else QDialog::reject();
}

}  // namespace kelmor
