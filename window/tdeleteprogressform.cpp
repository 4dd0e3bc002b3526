#include "window/tdeleteprogressform.h"

#include <QVBoxLayout>

#include "ui/common.h"
#include "ui/tanimationcontrol.h"
#include "window/deleteclip.h"

namespace kelmor {

TDeleteProgressForm::TDeleteProgressForm(QWidget* mainWindow)
    : QWidget(mainWindow, Qt::Tool | Qt::WindowTitleHint | Qt::WindowCloseButtonHint) {
    setObjectName(QStringLiteral("DeleteProgressForm"));
    setWindowTitle(QStringLiteral("Deleting..."));
    setAttribute(Qt::WA_ShowWithoutActivating);
    setFixedSize(kClientWidth, kClientHeight);
    animation_ = new TAnimationControl(PaintDeleteClip, kDeleteClipFrames, this);
    animation_->setObjectName(QStringLiteral("DeleteAnimation"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addWidget(animation_);
}

void TDeleteProgressForm::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    move(CentredPosition(OwnerFormRect(nullptr), frameGeometry().size()));
    animation_->Play(0, kLastFrame);
}

}  // namespace kelmor
