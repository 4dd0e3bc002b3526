#include "editors/tstringkeyeditor.h"

#include <QLineEdit>

#include "ui/latin1validator.h"

namespace kelmor {

TStringKeyEditor::TStringKeyEditor(QWidget* parent, bool readOnly, int& length, QByteArray& buffer, uint8_t keyType,
                                   const TImageStrip& images, const TRegionalSettings& settings)
    : TCommonKeyFrame(parent, readOnly, length, buffer, keyType, images, settings) {
    setFixedSize(362, 56);
    stringBox_ = new QLineEdit(this);
    stringBox_->setObjectName(QStringLiteral("EStringBox"));
    stringBox_->setGeometry(24, 24, 329, 21);
    stringBox_->setMaxLength(kMaxLength);
    // Characters the key cannot hold are refused as they are typed, not changed on the way.
    stringBox_->setValidator(new TLatin1Validator(stringBox_));
    const QByteArray stored = LoadBytes(kMaxLength + 1);
    const int count = static_cast<uchar>(stored.at(0));
    stringBox_->setText(QString::fromLatin1(stored.constData() + 1, count));
    stringBox_->setCursorPosition(0);
    stringBox_->setReadOnly(readOnly);
}

QWidget* TStringKeyEditor::ValueControl() const { return stringBox_; }

bool TStringKeyEditor::SaveValue() {
    const QByteArray text = stringBox_->text().left(kMaxLength).toLatin1();
    QByteArray stored(kMaxLength + 1, '\0');
    stored[0] = static_cast<char>(text.size());
    std::memcpy(stored.data() + 1, text.constData(), static_cast<size_t>(text.size()));
    StoreBytes(stored);
    return true;
}

}  // namespace kelmor
