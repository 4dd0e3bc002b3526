// TRecentFileStyle: draws the recent-file entries of the File menu. The entry's number
// stands in the menu's icon column, underlined unless the style hides keyboard cues;
// the file name follows where the other entries' captions start, every "&" shown as is.
#pragma once

#include <QProxyStyle>

namespace kelmor {

class TRecentFileStyle : public QProxyStyle {
    Q_OBJECT
public:
    TRecentFileStyle() = default;
    void drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget) const override;
};

}  // namespace kelmor
