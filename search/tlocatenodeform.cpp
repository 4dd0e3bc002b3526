#include "search/tlocatenodeform.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QShowEvent>
#include <QVBoxLayout>

#include "editors/tintegeredit.h"
#include "ui/common.h"
#include "ui/dialogbuttons.h"

namespace kelmor {

namespace {
constexpr int kMaxIDLength = 32;
constexpr int kIDBoxWidth = 150;
}  // namespace

TLocateNodeForm::TLocateNodeForm(int32_t nodeID, QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("LocateNodeForm"));
    setWindowTitle(QStringLiteral("Locate Node by ID"));

    nodeID_ = new TIntegerEdit(this);
    nodeID_->setObjectName(QStringLiteral("xNodeID"));
    nodeID_->setMaxLength(kMaxIDLength);
    nodeID_->setMinimumWidth(kIDBoxWidth);
    nodeID_->SetValue(nodeID);  // no limits: every ID, negative ones too, can be typed and stepped to
    auto* label = new QLabel(QStringLiteral("&Node ID:"), this);
    label->setBuddy(nodeID_);

    const TDialogButtons okCancel = MakeOkCancelButtons(this);
    ok_ = okCancel.ok;
    cancel_ = okCancel.cancel;

    auto* row = new QHBoxLayout;
    row->addWidget(label);
    row->addWidget(nodeID_, 1);
    QHBoxLayout* buttons = okCancel.Row();
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(row);
    layout->addSpacing(6);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    nodeID_->setFocus();
}

int32_t TLocateNodeForm::NodeID() const { return nodeID_->Value(); }

void TLocateNodeForm::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (shown_) return;
    shown_ = true;
    // Centred on the main window, where there is one.
    if (MessageMainWindow() != nullptr) move(CentredPosition(OwnerFormRect(nullptr), frameGeometry().size()));
}

}  // namespace kelmor
