#include "editors/tbinarykeyframe.h"

#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFontDatabase>
#include <QLabel>
#include <QSaveFile>
#include <QToolButton>
#include <algorithm>

#include "editors/tbinaryeditor.h"
#include "ui/common.h"
#include "ui/timagestrip.h"

namespace kelmor {

namespace {

constexpr int kOpenImage = 1;   // the open folder of the command strip
constexpr int kSaveImage = 42;  // the floppy disk of the command strip
constexpr int kFontPixels = 11;
// On Linux every file matches "*"; "*.*" would leave out names without a dot.
const char* const kFileFilter = "All files (*)";

QLabel* NewLabel(QWidget* parent, const QString& text, const QString& name, int x, int y) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    label->move(x, y);
    return label;
}

QToolButton* NewButton(QWidget* parent, const QString& text, const QIcon& icon, QPoint pos) {
    auto* button = new QToolButton(parent);
    button->setObjectName(QString(text).remove(QLatin1Char(' ')) + QStringLiteral("Button"));
    button->setIcon(icon);
    button->setToolTip(text);
    button->setAccessibleName(text);
    button->setAutoRaise(true);
    button->setGeometry(pos.x(), pos.y(), 23, 22);
    return button;
}

}  // namespace

TBinaryKeyFrame::TBinaryKeyFrame(QWidget* parent, bool readOnly, int& length, QByteArray& buffer, uint8_t keyType,
                                 const TImageStrip& images, const TRegionalSettings& settings, const TLayout& layout)
    : TCommonKeyFrame(parent, readOnly, length, buffer, keyType, images, settings), layout_(layout) {
    setFixedSize(layout.frameSize);

    editor_ = new TBinaryEditor(this);
    editor_->setObjectName(QStringLiteral("BinaryEditor"));
    editor_->setGeometry(layout.editorRect);
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    font.setPixelSize(kFontPixels);
    editor_->setFont(font);
    editor_->SetBytesPerLine(layout.bytesPerLine);
    editor_->SetIndexDigits(layout.indexDigits);
    editor_->SetItemHeight(layout.lineHeight);
    editor_->SetMaxSize(layout.maxSize);
    const QPalette colours = palette();
    editor_->SetIndexColor(colours.color(QPalette::WindowText));
    editor_->SetHexColor(colours.color(QPalette::WindowText));
    editor_->SetAsciiColor(colours.color(QPalette::WindowText));
    editor_->SetSelectionColor(colours.color(QPalette::Highlight));
    editor_->SetSelectionTextColor(colours.color(QPalette::HighlightedText));
    editor_->SetReadOnly(readOnly);

    // Each value follows its caption, however wide the caption turns out in this font.
    const int y = layout.labelsY;
    QLabel* sizeCaption = NewLabel(this, QStringLiteral("Size:"), QStringLiteral("SizeCaption"), 24, y);
    sizeText_ = NewLabel(this, QString(), QStringLiteral("SizeText"),
                         std::max(60, 24 + sizeCaption->sizeHint().width() + 4), y);
    QLabel* cursorCaption = NewLabel(this, QStringLiteral("Cursor:"), QStringLiteral("CursorCaption"), 136, y);
    cursorText_ = NewLabel(this, QString(), QStringLiteral("CursorText"),
                           std::max(182, 136 + cursorCaption->sizeHint().width() + 4), y);
    loadButton_ = NewButton(this, QStringLiteral("Load file"), images.Icon(kOpenImage), layout.loadButtonPos);
    saveButton_ = NewButton(this, QStringLiteral("Save file"), images.Icon(kSaveImage), layout.saveButtonPos);
    loadButton_->setEnabled(!readOnly);
    connect(loadButton_, &QToolButton::clicked, this, &TBinaryKeyFrame::LoadButtonClick);
    connect(saveButton_, &QToolButton::clicked, this, &TBinaryKeyFrame::SaveButtonClick);
    connect(editor_, &TBinaryEditor::OnChange, this, &TBinaryKeyFrame::UpdateSize);
    connect(editor_, &TBinaryEditor::OnChange, this, &TBinaryKeyFrame::UpdateCursor);
    connect(editor_, &TBinaryEditor::OnClick, this, &TBinaryKeyFrame::UpdateCursor);
    connect(editor_, &TBinaryEditor::OnSelectionChange, this, &TBinaryKeyFrame::UpdateCursor);

    // A length beyond the buffer or the key's limit would read bytes that are not the key's.
    const int count = std::clamp(length, 0, std::min<int>(layout.maxSize, static_cast<int>(buffer.size())));
    stream_ = buffer.left(count);
    editor_->AttachStream(&stream_);
    UpdateSize();
    UpdateCursor();
}

QWidget* TBinaryKeyFrame::ValueControl() const { return editor_; }

QString TBinaryKeyFrame::HexText(int number) const {
    return QStringLiteral("%1").arg(number, layout_.indexDigits, 16, QLatin1Char('0')).toUpper() + QLatin1Char('h');
}

void TBinaryKeyFrame::UpdateSize() {
    sizeText_->setText(HexText(static_cast<int>(stream_.size())));
    sizeText_->adjustSize();
}

void TBinaryKeyFrame::UpdateCursor() {
    cursorText_->setText(HexText(editor_->CaretPos()));
    cursorText_->adjustSize();
}

bool TBinaryKeyFrame::LoadFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        ShowErrorReport(
            QStringLiteral("Cannot open file \"%1\". %2").arg(QDir::toNativeSeparators(path), file.errorString()));
        return false;
    }
    // Never more than one byte beyond the limit is read, whatever the file claims to hold.
    const qint64 limit = qint64{layout_.maxSize} + 1;
    const QByteArray content = file.read(limit);
    if (file.error() != QFileDevice::NoError) {
        ShowErrorReport(
            QStringLiteral("Cannot read file \"%1\". %2").arg(QDir::toNativeSeparators(path), file.errorString()));
        return false;
    }
    if (content.size() >= limit) {
        ShowCentredMessage(layout_.tooLargeMessage, TMessageKind::Error, QMessageBox::Ok, this);
        return false;
    }
    stream_ = content;
    editor_->AttachStream(&stream_);
    UpdateSize();
    UpdateCursor();
    return true;
}

bool TBinaryKeyFrame::SaveFile(const QString& path) {
    // Written aside and put in place at the end, so that a failed write leaves the old file.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(stream_) != stream_.size() || !file.commit()) {
        ShowErrorReport(
            QStringLiteral("Cannot create file \"%1\". %2").arg(QDir::toNativeSeparators(path), file.errorString()));
        return false;
    }
    return true;
}

void TBinaryKeyFrame::LoadButtonClick() {
    QFileDialog dialog(this, QStringLiteral("Load file"));
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setNameFilter(QString::fromLatin1(kFileFilter));
    if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty())
        LoadFile(dialog.selectedFiles().constFirst());
}

void TBinaryKeyFrame::SaveButtonClick() {
    QFileDialog dialog(this, QStringLiteral("Save file"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilter(QString::fromLatin1(kFileFilter));
    if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty())
        SaveFile(dialog.selectedFiles().constFirst());
}

bool TBinaryKeyFrame::SaveValue() {
    ValueLength() = static_cast<int>(stream_.size());
    StoreBytes(stream_);
    return true;
}

}  // namespace kelmor
