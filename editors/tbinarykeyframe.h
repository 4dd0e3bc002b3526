// TBinaryKeyFrame: what the frames of sequence and blob keys share. The bytes are edited in a
// byte editor on a copy of their own; under the editor the frame shows their size and the
// caret's position in hex, and offers to load the bytes from a file and to save them to one.
#pragma once

#include <QRect>

#include "editors/tcommonkeyframe.h"

class QLabel;
class QToolButton;

namespace kelmor {

class TBinaryEditor;

class TBinaryKeyFrame : public TCommonKeyFrame {
    Q_OBJECT
public:
    TBinaryEditor* BinaryEditor() const { return editor_; }
    QLabel* SizeText() const { return sizeText_; }
    QLabel* CursorText() const { return cursorText_; }
    QToolButton* LoadButton() const { return loadButton_; }
    QToolButton* SaveButton() const { return saveButton_; }
    // The bytes being edited.
    const QByteArray& Stream() const { return stream_; }

    // Replaces the bytes with a file's whole content, when it is smaller than the limit;
    // otherwise says so and changes nothing. False when nothing was loaded.
    bool LoadFile(const QString& path);
    // Writes the bytes to a file, replacing what it held. False when that failed (reported).
    bool SaveFile(const QString& path);

    bool SaveValue() override;
    QWidget* ValueControl() const override;

protected:
    // How one kind of binary key is shown.
    struct TLayout {
        QSize frameSize;
        QRect editorRect;
        int bytesPerLine;
        int indexDigits;
        int lineHeight;
        int maxSize;  // files must be smaller than maxSize + 1 bytes
        int labelsY;
        QPoint loadButtonPos;
        QPoint saveButtonPos;
        QString tooLargeMessage;
    };

    TBinaryKeyFrame(QWidget* parent, bool readOnly, int& length, QByteArray& buffer, uint8_t keyType,
                    const TImageStrip& images, const TRegionalSettings& settings, const TLayout& layout);

private:
    void UpdateSize();
    void UpdateCursor();
    QString HexText(int number) const;
    void LoadButtonClick();
    void SaveButtonClick();

    TLayout layout_;
    QByteArray stream_;
    TBinaryEditor* editor_;
    QLabel* sizeText_;
    QLabel* cursorText_;
    QToolButton* loadButton_;
    QToolButton* saveButton_;
};

}  // namespace kelmor
