// TMainForm: the status bar, its hint display and the progress service.
#include <QApplication>
#include <QEvent>
#include <QLabel>
#include <QProgressBar>
#include <QStatusBar>
#include <QStatusTipEvent>

#include "app/tmainform.h"
#include "ui/tdatabasewindow.h"

namespace kelmor {

namespace {
constexpr int kProgressCaptionWidth = 90;
constexpr int kProgressOtherPanels = 150;
}  // namespace

void TMainForm::CreateStatusBar() {
    statusPanel_ = new QLabel(this);
    statusPanel_->setObjectName(QStringLiteral("StatusPanel"));
    statusPanel_->setTextFormat(Qt::PlainText);
    statusPanel_->setMinimumWidth(1);
    statusBar()->addWidget(statusPanel_, 1);
    statusBar()->installEventFilter(this);
}

void TMainForm::SetStatusText(const QString& text) {
    if (!ProgressShown()) statusPanel_->setText(text);
}

QString TMainForm::StatusPanelText() const { return statusPanel_->text(); }

void TMainForm::ShowHint(const QString& hint) {
    // Hints of dialogs and other windows stay out of the status bar.
    QWidget* active = QApplication::activeWindow();
    if (active && active != this) return;
    if (ProgressShown()) return;
    TDatabaseWindow* window = ActiveDatabaseWindow();
    if (!hint.isEmpty() || !window) statusPanel_->setText(hint);
    else statusPanel_->setText(window->StatusText());
}

void TMainForm::BeginProgress(const QString& caption) {
    if (ProgressShown()) return;
    statusPanel_->setText(caption);
    statusBar()->removeWidget(statusPanel_);
    statusPanel_->setFixedWidth(kProgressCaptionWidth);
    statusBar()->addWidget(statusPanel_, 0);
    statusPanel_->show();
    progressBar_ = new QProgressBar(this);
    progressBar_->setObjectName(QStringLiteral("ProgressBar"));
    progressBar_->setRange(0, 100);
    progressBar_->setValue(0);
    progressBar_->setTextVisible(false);
    progressPanel_ = new QLabel(this);
    progressPanel_->setObjectName(QStringLiteral("ProgressPanel"));
    statusBar()->addWidget(progressBar_, 0);
    statusBar()->addWidget(progressPanel_, 1);
    LayoutProgress();
    statusBar()->repaint();
}

void TMainForm::LayoutProgress() {
    if (!progressBar_) return;
    progressBar_->setFixedWidth(std::max(10, statusBar()->width() - kProgressOtherPanels));
}

void TMainForm::SetProgress(int percent) {
    if (!progressBar_) return;
    percent = std::clamp(percent, 0, 100);
    if (progressBar_->value() == percent) return;
    progressBar_->setValue(percent);
    progressPanel_->setText(QString::number(percent) + QLatin1Char('%'));
    statusBar()->repaint();
}

void TMainForm::EndProgress() {
    if (!progressBar_) return;
    delete progressBar_;
    progressBar_ = nullptr;
    delete progressPanel_;
    progressPanel_ = nullptr;
    statusBar()->removeWidget(statusPanel_);
    statusPanel_->setMinimumWidth(1);
    statusPanel_->setMaximumWidth(QWIDGETSIZE_MAX);
    statusBar()->addWidget(statusPanel_, 1);
    statusPanel_->show();
    statusPanel_->clear();
}

}  // namespace kelmor
