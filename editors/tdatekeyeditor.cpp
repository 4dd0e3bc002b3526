#include "editors/tdatekeyeditor.h"

#include <QDateEdit>
#include <QLabel>
#include <QTimeEdit>
#include <stdexcept>

#include "editors/pickerformats.h"
#include "ui/common.h"

namespace kelmor {

namespace {
constexpr int kFirstYear = 1980;
constexpr int kLastYear = 2099;
}  // namespace

TDateKeyEditor::TDateKeyEditor(QWidget* parent, bool readOnly, int& length, QByteArray& buffer, uint8_t keyType,
                               const TImageStrip& images, const TRegionalSettings& settings)
    : TCommonKeyFrame(parent, readOnly, length, buffer, keyType, images, settings) {
    setFixedSize(376, 87);
    ValueLabel()->setText(QStringLiteral("&Date:"));
    dateInp_ = new QDateEdit(this);
    dateInp_->setObjectName(QStringLiteral("EDateInp"));
    dateInp_->setGeometry(24, 24, 113, 21);
    dateInp_->setCalendarPopup(true);
    dateInp_->setMinimumDate(QDate(100, 1, 1));
    dateInp_->setDisplayFormat(PickerFormat(settings.shortDateFormat));
    timeInp_ = new QTimeEdit(this);
    timeInp_->setObjectName(QStringLiteral("ETimeInp"));
    timeInp_->setGeometry(152, 24, 113, 21);
    timeInp_->setDisplayFormat(PickerFormat(settings.longTimeFormat));
    timeLabel_ = new QLabel(QStringLiteral("&Time:"), this);
    timeLabel_->setObjectName(QStringLiteral("TimeLabel"));
    timeLabel_->move(152, 8);
    timeLabel_->setBuddy(timeInp_);

    int y = 1899, mo = 12, d = 30, h = 0, mi = 0, s = 0, ms = 0;
    const double value = LoadNumber<double>();
    try {
        DecodeDateTime(value, y, mo, d, h, mi, s, ms);
    } catch (const std::invalid_argument&) {
        // A value no calendar date stands for shows as no date.
        y = 1899, mo = 12, d = 30, h = mi = s = ms = 0;
    }
    dateInp_->setDate(QDate(y, mo, d));
    timeInp_->setTime(QTime(h, mi, s, ms));
    dateInp_->setEnabled(!readOnly);
    timeInp_->setEnabled(!readOnly);
}

QWidget* TDateKeyEditor::ValueControl() const { return dateInp_; }

bool TDateKeyEditor::SaveValue() {
    const QDate date = dateInp_->date();
    const QTime time = timeInp_->time();
    double value = 0;
    const bool valid = TryEncodeDateTime(date.year(), date.month(), date.day(), time.hour(), time.minute(),
                                         time.second(), time.msec(), value);
    // 0 is no date; every other value must be one the key can hold.
    if (!valid || (value != 0 && (date.year() < kFirstYear || date.year() > kLastYear))) {
        const std::string& format = RegionalSettings().shortDateFormat;
        const QString first = FromLatin1(FormatDateTime(format, EncodeDate(kFirstYear, 1, 1), RegionalSettings()));
        const QString last = FromLatin1(FormatDateTime(format, EncodeDate(kLastYear, 12, 31), RegionalSettings()));
        RefuseValue(QStringLiteral("The date must lie between %1 and %2.").arg(first, last), dateInp_);
        return false;
    }
    StoreNumber(value);
    return true;
}

}  // namespace kelmor
