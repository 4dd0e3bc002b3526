#include "app/tsimpledatabasewindow.h"

#include <QAction>
#include <QLabel>
#include <QTimer>
#include <QVBoxLayout>

#include "app/tmainform.h"
#include "engine/tkelmor.h"
#include "security/tchangepasswordform.h"
#include "security/tusermanagementform.h"
#include "ui/common.h"

namespace kelmor {

TSimpleDatabaseWindow::TSimpleDatabaseWindow(TMainForm& mainForm, std::unique_ptr<TKelmorClass> engine,
                                             const QString& basePath)
    : mainForm_(mainForm), engine_(mainForm.AddDatabase(std::move(engine))), basePath_(basePath) {
    setMinimumSize(250, 100);
    infoPane_ = new QLabel(this);
    infoPane_->setFrameShape(QFrame::StyledPanel);
    infoPane_->setFrameShadow(QFrame::Sunken);
    infoPane_->setTextFormat(Qt::PlainText);
    details_ = new QLabel(this);
    details_->setAlignment(Qt::AlignCenter);
    details_->setTextFormat(Qt::PlainText);
    details_->setWordWrap(true);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(infoPane_);
    layout->addWidget(details_, 1);
    resize(473, 269);

    flushTimer_ = new QTimer(this);
    flushTimer_->setInterval(kFlushInterval);
    connect(flushTimer_, &QTimer::timeout, this, &TSimpleDatabaseWindow::FlushTimerTimer);
    flushTimer_->start();
    UpdateTitle();
    ShowDetails();
}

TSimpleDatabaseWindow::~TSimpleDatabaseWindow() {
    // Freeing the engine writes its index (unless read-only) and closes the files.
    mainForm_.RemoveDatabase(engine_);
}

void TSimpleDatabaseWindow::ShowDetails() {
    const QString user = FromLatin1(engine_->GetCurrentUserName());
    const QString access = engine_->IsReadOnly() ? QStringLiteral("Read Only") : QStringLiteral("Read/Write");
    infoPane_->setText(QStringLiteral(" %1  |  User: %2").arg(access, user));
    details_->setText(FromEnginePath(engine_->GetFileName()) + QStringLiteral("\n\n") +
                      QStringLiteral("%1 nodes").arg(engine_->Header().nodeCount));
}

void TSimpleDatabaseWindow::FlushTimerTimer() {
    if (!engine_->Modified() || engine_->IsReadOnly()) return;
    const int result = engine_->Flush();
    if (result != 0) {
        flushTimer_->stop();  // one message, not one every 15 seconds
        ShowCentredMessage(FromEnginePath(engine_->LastErrorText()), TMessageKind::Error, QMessageBox::Ok, this);
        flushTimer_->start();
    }
}

bool TSimpleDatabaseWindow::FlushDatabase() {
    const int result = engine_->Flush();
    if (result == 0) return true;
    ShowCentredMessage(FromEnginePath(engine_->LastErrorText()), TMessageKind::Error, QMessageBox::Ok, this);
    return false;
}

void TSimpleDatabaseWindow::ChangePassword() {
    TChangePasswordForm dialog(*engine_, this);
    dialog.exec();
}

void TSimpleDatabaseWindow::UserManagement() {
    TUserManagementForm dialog(*engine_, this);
    dialog.exec();
    ShowDetails();
}

void TSimpleDatabaseWindow::UpdateCommandStates() {
    const bool writable = !engine_->IsReadOnly();
    const bool administrator = engine_->CurrentUser() == 1;
    mainForm_.Command(QStringLiteral("AFileFlush"))->setEnabled(writable);
    mainForm_.Command(QStringLiteral("AFileCloseAll"))->setEnabled(true);
    mainForm_.Command(QStringLiteral("MIChangePassword"))->setEnabled(writable);
    mainForm_.Command(QStringLiteral("MIUserManagement"))->setEnabled(writable && administrator);
    // Searching, the node and key commands and the information dialogs come with the
    // full database window.
    for (const char* name : {"AFind", "AReplace", "AFindBroken", "ASearchNext", "ALocateID", "AInformation",
                             "MIDatabaseInformation"})
        mainForm_.Command(QString::fromLatin1(name))->setEnabled(false);
}

void TSimpleDatabaseWindow::SetInfoPaneVisible(bool visible) { infoPane_->setVisible(visible); }

void TSimpleDatabaseWindow::UpdateTitle() {
    setWindowTitle(mainForm_.Option(TMainForm::TOption::FullPathOnTitle) ? basePath_
                                                                          : FromEnginePath(engine_->GetFileName()));
}

QString TSimpleDatabaseWindow::StatusText() const {
    return QStringLiteral("Logged on as %1").arg(FromLatin1(engine_->GetCurrentUserName()));
}

}  // namespace kelmor
