// TDateKeyEditor: the frame of date keys, a date picker and a time picker for a date-time
// (days since 30 December 1899 plus the time of day as a fraction). A date key holds the years
// 1980 to 2099 or no date at all (the value 0); any other date is refused when the value is
// saved, since it would be stored as no date.
#pragma once

#include "editors/tcommonkeyframe.h"

class QDateEdit;
class QLabel;
class QTimeEdit;

namespace kelmor {

class TDateKeyEditor : public TCommonKeyFrame {
    Q_OBJECT
public:
    TDateKeyEditor(QWidget* parent, bool readOnly, int& length, QByteArray& buffer, uint8_t keyType,
                   const TImageStrip& images, const TRegionalSettings& settings);

    QDateEdit* EDateInp() const { return dateInp_; }
    QTimeEdit* ETimeInp() const { return timeInp_; }
    QLabel* TimeLabel() const { return timeLabel_; }

    bool SaveValue() override;
    QWidget* ValueControl() const override;

private:
    QDateEdit* dateInp_;
    QTimeEdit* timeInp_;
    QLabel* timeLabel_;
};

}  // namespace kelmor
