#include "transfer/timportexportform.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QMetaObject>
#include <QPushButton>
#include <QVBoxLayout>
#include <stdexcept>
#include <system_error>

#include "transfer/transferclips.h"
#include "ui/common.h"
#include "ui/tanimationcontrol.h"
#include "ui/twaitcursor.h"

namespace kelmor {

namespace {

constexpr Qt::WindowFlags kWindowFlags =
    Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint | Qt::WindowStaysOnTopHint;

}  // namespace

TImportExportForm::TImportExportForm(std::unique_ptr<TKelmorInOut> job, QWidget* parent)
    : QDialog(parent, kWindowFlags), job_(std::move(job)) {
    if (!job_) throw std::invalid_argument("TImportExportForm needs a job");
    setObjectName(QStringLiteral("ImportExportForm"));
    setWindowTitle(QStringLiteral("Import/Export"));
    setFixedSize(kClientWidth, kClientHeight);

    aniLogo_ = new TAnimationControl(
        [this](QPainter& painter, const QRect& area, int frame, int frameCount) {
            if (mode_ == TMode::Import) PaintImportClip(painter, area, frame, frameCount);
            else if (mode_ == TMode::Export) PaintExportClip(painter, area, frame, frameCount);
        },
        kTransferClipFrames, this);
    aniLogo_->setObjectName(QStringLiteral("AniLogo"));
    abortBtn_ = new QPushButton(QStringLiteral("Abort"), this);
    abortBtn_->setObjectName(QStringLiteral("AbortBtn"));
    connect(abortBtn_, &QPushButton::clicked, this, &QDialog::reject);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(abortBtn_);
    buttons->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(8, 8, 8, 12);
    layout->addWidget(aniLogo_, 1);
    layout->addLayout(buttons);

    // Called on the job's thread: only a queued call reaches the window.
    job_->SetOnCompleted([this](TKelmorInOut&) {
        jobEnded_.store(true);
        QMetaObject::invokeMethod(
            this, [this] { JobCompleted(); }, Qt::QueuedConnection);
    });
}

TImportExportForm::TImportExportForm(std::unique_ptr<TKelmorInOut> job, TMode mode, QWidget* parent)
    : TImportExportForm(std::move(job), parent) {
    SetMode(mode);
}

TImportExportForm::~TImportExportForm() {
    // Nobody is left to wait for the result of a job that is still running.
    if (started_ && !jobEnded_.load()) job_->RequestAbort();
    // The job's completion notice may still be posted to this window while the job is
    // freed; it is discarded with the window's pending events.
    job_.reset();
    RestoreCursor();
}

void TImportExportForm::SetMode(TMode mode) {
    mode_ = mode;
    setWindowTitle(mode == TMode::Import ? QStringLiteral("Importing Data...") : QStringLiteral("Exporting Data..."));
    aniLogo_->update();
}

void TImportExportForm::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    QRect mainWindow = OwnerFormRect(nullptr);
    if (mainWindow.isNull() && parentWidget()) mainWindow = parentWidget()->window()->frameGeometry();
    if (!mainWindow.isNull()) move(CentredPosition(mainWindow, frameGeometry().size()));
    // The job starts once, when the window first appears (not on every activation, and
    // not only on activation, which a window manager may withhold).
    if (!started_) StartJob();
}

void TImportExportForm::StartJob() {
    started_ = true;
    aniLogo_->Play(0, kLastFrame);
    QApplication::setOverrideCursor(Qt::BusyCursor);
    busyCursor_ = true;
    try {
        job_->Start();
    } catch (const std::system_error&) {
        // No thread to be had: the job runs here, and its notice still closes the window.
        job_->Run();
    }
}

void TImportExportForm::JobCompleted() {
    // After an abort the window is already closed, and the notice changes nothing.
    if (closed_) return;
    done(QDialog::Accepted);
}

void TImportExportForm::done(int result) {
    if (!closed_) {
        closed_ = true;
        if (result != QDialog::Accepted) job_->RequestAbort();
        aniLogo_->Stop();
        RestoreCursor();
    }
    QDialog::done(result);
}

int TImportExportForm::exec() {
    const int result = QDialog::exec();
    if (started_ && !jobEnded_.load()) {
        // An aborted job stops at its next check, after at most one more unit of work.
        TWaitCursor waiting;
        job_->Wait();
    }
    job_->Wait();
    return result;
}

void TImportExportForm::RestoreCursor() {
    if (!busyCursor_) return;
    busyCursor_ = false;
    QApplication::restoreOverrideCursor();
}

}  // namespace kelmor
