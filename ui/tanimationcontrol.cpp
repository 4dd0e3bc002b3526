#include "ui/tanimationcontrol.h"

#include <QPainter>
#include <QTimer>
#include <algorithm>

namespace kelmor {

TAnimationControl::TAnimationControl(TClipPainter clip, int frameCount, QWidget* parent)
    : QWidget(parent), clip_(std::move(clip)), frameCount_(std::max(1, frameCount)) {
    timer_ = new QTimer(this);
    timer_->setInterval(kFrameInterval);
    connect(timer_, &QTimer::timeout, this, &TAnimationControl::NextFrame);
}

void TAnimationControl::Play(int firstFrame, int lastFrame) {
    firstFrame_ = std::clamp(firstFrame, 0, frameCount_ - 1);
    lastFrame_ = std::clamp(lastFrame, firstFrame_, frameCount_ - 1);
    frame_ = firstFrame_;
    timer_->start();
    update();
}

void TAnimationControl::Stop() { timer_->stop(); }

bool TAnimationControl::Playing() const { return timer_->isActive(); }

void TAnimationControl::NextFrame() {
    frame_ = frame_ >= lastFrame_ ? firstFrame_ : frame_ + 1;
    update();
}

void TAnimationControl::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    if (clip_) clip_(painter, rect(), frame_, frameCount_);
}

}  // namespace kelmor
