// TSpinButtons: the pair of small arrow buttons at the right edge of a number edit. A click on
// the upper button (repeated while it is held down) asks for a step up, on the lower one for a
// step down; the edit decides what a step is and whether it is allowed.
#pragma once

#include <QWidget>

class QToolButton;

namespace kelmor {

class TSpinButtons : public QWidget {
    Q_OBJECT
public:
    static constexpr int kWidth = 16;  // device-independent pixels

    explicit TSpinButtons(QWidget* parent = nullptr);

    QToolButton* UpButton() const { return up_; }
    QToolButton* DownButton() const { return down_; }

signals:
    void UpClick();
    void DownClick();

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    QToolButton* up_;
    QToolButton* down_;
};

}  // namespace kelmor
