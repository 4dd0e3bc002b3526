// TDeleteProgressForm "Deleting...": the small tool window shown while a branch is
// deleted. It only plays its animation; it has no buttons and no other function.
#pragma once

#include <QWidget>

namespace kelmor {

class TAnimationControl;

class TDeleteProgressForm : public QWidget {
    Q_OBJECT
public:
    static constexpr int kClientWidth = 320;
    static constexpr int kClientHeight = 74;
    static constexpr int kLastFrame = 24;

    explicit TDeleteProgressForm(QWidget* mainWindow);

    TAnimationControl* Animation() const { return animation_; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    TAnimationControl* animation_;
};

}  // namespace kelmor
