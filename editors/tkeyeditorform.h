// TKeyEditorForm: the modal dialog in which the user views or changes the value of one key.
//
// Use: fill a value buffer for the key's type (little-endian numbers: byte 1 byte, integer 2,
// longint 4, float 4 (single precision), currency 8 (the amount x 10000 as a signed 64-bit
// number), double 8, date 8 (a double: days since 30 December 1899 plus the time of day);
// string 256: a length byte and up to 255 Latin-1 characters; sequence 255 and blob 65535
// bytes, with `length` holding the number of bytes in use), then
//
//     TKeyEditorForm editor(this, readOnly, length, buffer, keyName, keyType, commandImages, settings);
//     if (editor.exec() == QDialog::Accepted) { ... write buffer (and length) back to the key ... }
//
// Only OK writes, and only into `buffer` and `length`: Cancel, Close and a read-only dialog
// leave both untouched. The dialog makes no engine calls. `images` is the command image strip
// (the type pictures, and the pictures of the file buttons); `settings` give the decimal
// separator and the date and time formats.
#pragma once

#include <QDialog>
#include <cstdint>

#include "engine/regional.h"

class QLineEdit;
class QPushButton;
class QWidget;

namespace kelmor {

class TCommonKeyFrame;
class TImageStrip;

class TKeyEditorForm : public QDialog {
    Q_OBJECT
public:
    // keyType is 1 to 10 (std::invalid_argument otherwise). `length` and `buffer` must outlive
    // the dialog.
    TKeyEditorForm(QWidget* owner, bool readOnly, int& length, QByteArray& buffer, const QString& keyName,
                   uint8_t keyType, const TImageStrip& images, const TRegionalSettings& settings);

    // The name of a key type as the caption shows it: "byte" ... "datetime"; empty outside 1..10.
    static QString TypeName(uint8_t keyType);

    TCommonKeyFrame* Frame() const { return frame_; }
    QLineEdit* DescriptionBox() const { return description_; }
    QPushButton* OkButton() const { return ok_; }
    QPushButton* CancelButton() const { return cancel_; }

    // OK: the frame stores the value, or keeps the dialog open after saying why it cannot.
    void accept() override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    static TCommonKeyFrame* CreateFrame(QWidget* parent, bool readOnly, int& length, QByteArray& buffer,
                                        uint8_t keyType, const TImageStrip& images, const TRegionalSettings& settings);

    bool readOnly_;
    bool shown_ = false;
    TCommonKeyFrame* frame_;
    QLineEdit* description_;
    QPushButton* ok_;
    QPushButton* cancel_;
};

}  // namespace kelmor
