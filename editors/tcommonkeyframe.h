// TCommonKeyFrame: the base of the key editor's type frames. A frame shows one key value from
// the caller's value buffer in its value control, below the "&Value:" label and beside the
// picture of the key type, and writes the edited value back into the buffer on SaveValue.
// Numbers in the buffer are little-endian.
#pragma once

#include <QByteArray>
#include <QWidget>
#include <cstdint>
#include <cstring>

#include "editors/keyvaluebuffer.h"
#include "engine/regional.h"

class QLabel;

namespace kelmor {

class TImageStrip;

class TCommonKeyFrame : public QWidget {
    Q_OBJECT
public:
    // `length` and `buffer` stay the caller's; they must outlive the frame.
    TCommonKeyFrame(QWidget* parent, bool readOnly, int& length, QByteArray& buffer, uint8_t keyType,
                    const TImageStrip& images, const TRegionalSettings& settings);

    int ImageIndex() const { return imageIndex_; }
    int KeyTypeCode() const { return keyType_; }
    QByteArray& ValueBuffer() const { return buffer_; }
    int& ValueLength() const { return length_; }
    bool ReadOnly() const { return readOnly_; }
    QLabel* ValueLabel() const { return valueLabel_; }
    QWidget* Indicator() const { return indicator_; }

    // Writes the edited value to the buffer (and the length) and answers whether the dialog
    // may close. A frame that refuses has told the user why and writes nothing.
    virtual bool SaveValue() = 0;
    // The control that gets the focus when the dialog opens and that "&Value:" points to.
    virtual QWidget* ValueControl() const = 0;

    // Points the value label at the value control, once the frame is complete.
    void ConnectValueLabel();

protected:
    void SetImageIndex(int index);
    const TImageStrip& Images() const { return images_; }
    const TRegionalSettings& RegionalSettings() const { return settings_; }

    // The width of a number edit that shows `sample` whole, at least `minimum`.
    static int NumberEditWidth(const QWidget* edit, const QString& sample, int minimum);

    // Shows why the value cannot be stored and puts the focus back into `control`.
    void RefuseValue(const QString& text, QWidget* control);

    // The first `count` bytes of the buffer, zeros where the buffer is shorter.
    QByteArray LoadBytes(int count) const;
    // Writes `bytes` at the start of the buffer, growing it when it is too short for them.
    void StoreBytes(const QByteArray& bytes);

    template <class T>
    T LoadNumber() const {
        return DecodeKeyNumber<T>(LoadBytes(sizeof(T)));
    }
    template <class T>
    void StoreNumber(T value) {
        StoreBytes(EncodeKeyNumber(value));
    }

private:
    QByteArray& buffer_;
    int& length_;
    uint8_t keyType_;
    bool readOnly_;
    int imageIndex_ = -1;
    const TImageStrip& images_;
    TRegionalSettings settings_;
    QLabel* valueLabel_;
    QWidget* indicator_;
};

}  // namespace kelmor
