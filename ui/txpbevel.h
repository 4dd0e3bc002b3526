// TXPBevel: a decorative frame that dialogs draw around a group of their controls. It
// paints the style's group-box frame over its whole area (the disabled look while it is
// disabled), or, when the style's frame is not wanted, a plain lowered bevel. It takes no
// input: the controls it frames lie on top of it.
#pragma once

#include <QGroupBox>

namespace kelmor {

// A group box without title or check box, so that styles draw its frame over the whole
// area instead of leaving room for a title.
class TXPBevel : public QGroupBox {
    Q_OBJECT
public:
    explicit TXPBevel(QWidget* parent = nullptr);

    // True (the default): the style's group-box frame; false: a plain bevel.
    bool Themed() const { return themed_; }
    void SetThemed(bool themed);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    bool themed_ = true;
};

}  // namespace kelmor
