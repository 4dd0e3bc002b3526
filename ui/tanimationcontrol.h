// TAnimationControl: a small looping animation drawn by the program itself (the
// progress windows show one each). A clip is a painter function that draws frame N of
// its frames into a rectangle; the control steps through a range of frames on a timer.
#pragma once

#include <QWidget>
#include <functional>

class QPainter;
class QTimer;

namespace kelmor {

class TAnimationControl : public QWidget {
    Q_OBJECT
public:
    using TClipPainter = std::function<void(QPainter& painter, const QRect& area, int frame, int frameCount)>;
    static constexpr int kFrameInterval = 60;  // milliseconds

    TAnimationControl(TClipPainter clip, int frameCount, QWidget* parent = nullptr);

    // Plays frames first..last over and over.
    void Play(int firstFrame, int lastFrame);
    void Stop();
    bool Playing() const;
    int Frame() const { return frame_; }
    int FrameCount() const { return frameCount_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void NextFrame();

    TClipPainter clip_;
    int frameCount_;
    int frame_ = 0;
    int firstFrame_ = 0;
    int lastFrame_ = 0;
    QTimer* timer_;
};

}  // namespace kelmor
