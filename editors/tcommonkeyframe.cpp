#include "editors/tcommonkeyframe.h"

#include <QLabel>
#include <QLineEdit>
#include <QPainter>

#include <algorithm>

#include "editors/keytypeimage.h"
#include "editors/tspinbuttons.h"
#include "ui/common.h"
#include "ui/timagestrip.h"

namespace kelmor {

namespace {

// The type's picture on the button face.
class TTypeIndicator : public QWidget {
public:
    explicit TTypeIndicator(QWidget* parent) : QWidget(parent) {}
    void SetIcon(const QIcon& icon) {
        icon_ = icon;
        update();
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.fillRect(rect(), palette().color(QPalette::Button));
        icon_.paint(&painter, rect());
    }

private:
    QIcon icon_;
};

}  // namespace

TCommonKeyFrame::TCommonKeyFrame(QWidget* parent, bool readOnly, int& length, QByteArray& buffer, uint8_t keyType,
                                 const TImageStrip& images, const TRegionalSettings& settings)
    : QWidget(parent),
      buffer_(buffer),
      length_(length),
      keyType_(keyType),
      readOnly_(readOnly),
      images_(images),
      settings_(settings) {
    setFixedSize(376, 87);
    valueLabel_ = new QLabel(QStringLiteral("&Value:"), this);
    valueLabel_->setObjectName(QStringLiteral("ValueLabel"));
    valueLabel_->move(24, 8);
    auto* indicator = new TTypeIndicator(this);
    indicator->setObjectName(QStringLiteral("TypeIndicator"));
    indicator->setGeometry(6, 27, TImageStrip::kImageSize, TImageStrip::kImageSize);
    indicator_ = indicator;
    SetImageIndex(KeyTypeImageIndex(keyType));
}

void TCommonKeyFrame::ConnectValueLabel() { valueLabel_->setBuddy(ValueControl()); }

void TCommonKeyFrame::SetImageIndex(int index) {
    imageIndex_ = index;
    static_cast<TTypeIndicator*>(indicator_)->SetIcon(images_.Icon(index));
}

int TCommonKeyFrame::NumberEditWidth(const QWidget* edit, const QString& sample, int minimum) {
    // The text, the spin buttons and the edit's frame and margins.
    constexpr int kSpinAndFrame = TSpinButtons::kWidth + 12;
    constexpr int kWidest = 330;  // still inside the frame
    return std::clamp(edit->fontMetrics().horizontalAdvance(sample) + kSpinAndFrame, minimum, kWidest);
}

void TCommonKeyFrame::RefuseValue(const QString& text, QWidget* control) {
    ShowCentredMessage(text, TMessageKind::Error, QMessageBox::Ok, this);
    control->setFocus(Qt::OtherFocusReason);
    if (auto* edit = qobject_cast<QLineEdit*>(control)) edit->selectAll();
}

QByteArray TCommonKeyFrame::LoadBytes(int count) const {
    QByteArray bytes = buffer_.left(count);
    if (bytes.size() < count) bytes.append(count - bytes.size(), '\0');
    return bytes;
}

void TCommonKeyFrame::StoreBytes(const QByteArray& bytes) {
    if (buffer_.size() < bytes.size()) buffer_.resize(bytes.size());
    if (!bytes.isEmpty()) std::memcpy(buffer_.data(), bytes.constData(), static_cast<size_t>(bytes.size()));
}

}  // namespace kelmor
