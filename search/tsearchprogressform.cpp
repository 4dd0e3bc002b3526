#include "search/tsearchprogressform.h"

#include <QPushButton>
#include <QVBoxLayout>
#include <exception>

#include "search/searchclip.h"
#include "ui/common.h"
#include "ui/tanimationcontrol.h"

namespace kelmor {

// ---------------------------------------------------------------- the thread

TSearchThread::TSearchThread(TSearchProgressForm& form, TKelmorClass& engine, bool first, TKelmorSearch& search,
                             int32_t& result)
    : form_(form), engine_(engine), first_(first), search_(search), result_(result) {}

void TSearchThread::Start() {
    started_ = true;
    thread_ = std::thread([this] { Run(); });
}

void TSearchThread::Wait() {
    if (thread_.joinable()) thread_.join();
}

void TSearchThread::Run() {
    int32_t result = -1;
    try {
        result = first_ ? engine_.SearchFirst(search_) : engine_.SearchNext(search_);
    } catch (const std::exception& error) {
        // The step ends without a match; the window reports the error once.
        error_ = error.what();
        search_.foundIn = kFoundNone;
    } catch (...) {
        error_ = "The search ended with an unknown error.";
        search_.foundIn = kFoundNone;
    }
    result_ = result;
    ended_.store(true);
    // Never waits for the user-interface thread: that thread waits for this one when the
    // window goes. A notice that arrives after the window has gone is dropped.
    QMetaObject::invokeMethod(
        &form_, [form = &form_] { form->StepDone(); }, Qt::QueuedConnection);
}

// ---------------------------------------------------------------- the window

TSearchProgressForm::TSearchProgressForm(QWidget* owner, int32_t& result, TKelmorSearch& search, bool first,
                                         TKelmorClass& engine)
    : QDialog(owner ? owner->window() : nullptr,
              Qt::Tool | Qt::WindowTitleHint | Qt::WindowCloseButtonHint | Qt::WindowStaysOnTopHint),
      search_(search),
      engine_(engine),
      thread_(*this, engine, first, search, result) {
    setObjectName(QStringLiteral("SearchProgressForm"));
    setWindowTitle(QStringLiteral("Searching..."));
    setFixedSize(kClientWidth, kClientHeight);
    animation_ = new TAnimationControl(PaintSearchClip, kSearchClipFrames, this);
    animation_->setObjectName(QStringLiteral("SearchAnimation"));
    abortButton_ = new QPushButton(QStringLiteral("Abort"), this);
    abortButton_->setObjectName(QStringLiteral("AbortButton"));
    abortButton_->setAutoDefault(false);
    connect(abortButton_, &QPushButton::clicked, this, &TSearchProgressForm::reject);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(8, 8, 8, 8);
    layout->addWidget(animation_, 1);
    layout->addWidget(abortButton_, 0, Qt::AlignHCenter);
}

TSearchProgressForm::~TSearchProgressForm() { thread_.Wait(); }

QString TSearchProgressForm::ErrorText() const { return FromLatin1(thread_.Error()); }

void TSearchProgressForm::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    move(CentredPosition(OwnerFormRect(nullptr), frameGeometry().size()));
    animation_->Play(0, kLastFrame);
    if (!thread_.Started()) thread_.Start();
}

void TSearchProgressForm::StepDone() {
    // The user's abort came first: the window is closing with Cancel already.
    if (aborted_ || !isVisible()) return;
    animation_->Stop();
    accept();
}

void TSearchProgressForm::reject() {
    if (!aborted_ && result() != QDialog::Accepted) {
        aborted_ = true;
        engine_.CancelSearch(search_);
        if (onAbort_) onAbort_();
    }
    animation_->Stop();
    QDialog::reject();
}

void TSearchProgressForm::StopSearch() {
    if (isVisible()) reject();
    else if (thread_.Running()) engine_.CancelSearch(search_);
    thread_.Wait();
}

}  // namespace kelmor
