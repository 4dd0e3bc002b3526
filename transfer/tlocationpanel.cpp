#include "transfer/tlocationpanel.h"

#include <QEvent>
#include <QGroupBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QVBoxLayout>
#include <algorithm>

#include "ui/latin1validator.h"

namespace kelmor {

namespace {

constexpr int kHeightUnits = 14;  // the controls sit at 3, 6 and 9 of these
constexpr int kButtonLeft = 12;
constexpr int kButtonWidth = 160;
constexpr int kEditLeft = 32;
constexpr int kEditRightGap = 16;
constexpr int kSmallestUnit = 8;

}  // namespace

TLocationPanel::TLocationPanel(const TTexts& texts, QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("LocationPanel"));
    groupBox_ = new QGroupBox(texts.caption, this);
    firstButton_ = new QRadioButton(texts.firstChoice, groupBox_);
    secondButton_ = new QRadioButton(texts.secondChoice, groupBox_);
    locationEdit_ = new QLineEdit(groupBox_);
    // Locations are node descriptions, which hold Latin-1 text only.
    locationEdit_->setValidator(new TLatin1Validator(locationEdit_));
    firstButton_->setChecked(true);

    // The unit of the layout is large enough for a button or the field to fit between two
    // of their places (three units apart).
    const int tallest = std::max(
        {firstButton_->sizeHint().height(), secondButton_->sizeHint().height(), locationEdit_->sizeHint().height()});
    const int unit = std::max(kSmallestUnit, (tallest + 2) / 3);
    groupBox_->setFixedHeight(unit * kHeightUnits);
    groupBox_->installEventFilter(this);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(kInnerMargin, kInnerMargin, kInnerMargin, kInnerMargin);
    layout->addWidget(groupBox_);

    setTabOrder(firstButton_, secondButton_);
    setTabOrder(secondButton_, locationEdit_);
    connect(firstButton_, &QRadioButton::toggled, this, &TLocationPanel::UpdateEditState);
    connect(secondButton_, &QRadioButton::toggled, this, &TLocationPanel::UpdateEditState);
    UpdateEditState();
}

void TLocationPanel::ShowLocation(const QString& location) {
    if (location == QLatin1String(kRootLocation)) firstButton_->setChecked(true);
    else secondButton_->setChecked(true);
    locationEdit_->setText(location);
    UpdateEditState();
}

QString TLocationPanel::ChosenLocation() const {
    return firstButton_->isChecked() ? QString::fromLatin1(kRootLocation) : locationEdit_->text();
}

void TLocationPanel::UpdateEditState() { locationEdit_->setEnabled(secondButton_->isChecked()); }

bool TLocationPanel::eventFilter(QObject* watched, QEvent* event) {
    if (watched == groupBox_ && event->type() == QEvent::Resize) PlaceControls();
    return QWidget::eventFilter(watched, event);
}

void TLocationPanel::PlaceControls() {
    const int unit = groupBox_->height() / kHeightUnits;
    firstButton_->setGeometry(kButtonLeft, 3 * unit, kButtonWidth, firstButton_->sizeHint().height());
    secondButton_->setGeometry(kButtonLeft, 6 * unit, kButtonWidth, secondButton_->sizeHint().height());
    locationEdit_->setGeometry(kEditLeft, 9 * unit, std::max(0, groupBox_->width() - kEditRightGap - kEditLeft),
                               locationEdit_->sizeHint().height());
}

}  // namespace kelmor
