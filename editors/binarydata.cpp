#include "editors/binarydata.h"

namespace kelmor {

namespace {

int HexDigitValue(char16_t code) {
    if (code >= '0' && code <= '9') return code - '0';
    if (code >= 'A' && code <= 'F') return code - 'A' + 10;
    if (code >= 'a' && code <= 'f') return code - 'a' + 10;
    return -1;
}

}  // namespace

TBinaryEffect& TBinaryEffect::operator|=(const TBinaryEffect& other) {
    handled |= other.handled;
    changed |= other.changed;
    clicked |= other.clicked;
    selectionChanged |= other.selectionChanged;
    scrollToCaret |= other.scrollToCaret;
    return *this;
}

TBinaryEffect TBinaryData::AttachStream(QByteArray* stream) {
    const bool hadSelection = HasSelection();
    stream_ = stream;
    return Restart(hadSelection);
}

TBinaryEffect TBinaryData::Restart(bool hadSelection) {
    caretPos_ = 0;
    caretInAscii_ = false;
    caretLowNibble_ = false;
    selAnchor_ = 0;
    selEnd_ = -1;
    TBinaryEffect effect;
    effect.selectionChanged = hadSelection;
    effect.handled = effect.changed = effect.clicked = effect.scrollToCaret = true;
    return effect;
}

uchar TBinaryData::Byte(int position) const {
    return position >= 0 && position < Size() ? uchar(stream_->at(position)) : 0;
}

QByteArray TBinaryData::Bytes(int position, int count) const {
    if (!stream_ || position < 0 || position >= Size() || count <= 0) return {};
    return stream_->mid(position, qMin(count, Size() - position));
}

void TBinaryData::SetBytesPerLine(int bytes) { bytesPerLine_ = qMax(1, bytes); }

QChar TBinaryData::DisplayChar(uchar byte) const {
    // Control characters, DEL and Latin-1's second control block have no glyph.
    if (byte < 32 || (byte >= 127 && byte < 160)) return QLatin1Char('.');
    if (byte >= 128 && hideHighAscii_) return QLatin1Char('.');
    return QChar(char16_t(byte));
}

void TBinaryData::SetCaret(int position, bool inAscii, bool lowNibble) {
    caretPos_ = Clamp(position);
    caretInAscii_ = inAscii;
    // The second digit of a byte exists only in the hex cells, on a byte.
    caretLowNibble_ = lowNibble && !inAscii && caretPos_ < Size();
}

void TBinaryData::InsertBytes(const QByteArray& bytes, int position) {
    if (!stream_ || bytes.isEmpty()) return;
    stream_->insert(Clamp(position), bytes);
}

void TBinaryData::DeleteBytes(int position, int count) {
    if (!stream_ || position < 0 || position >= Size() || count <= 0) return;
    stream_->remove(position, qMin(count, Size() - position));
    // The caret and the selection never point past the data.
    caretPos_ = Clamp(caretPos_);
    if (caretPos_ == Size()) caretLowNibble_ = false;
    selAnchor_ = Clamp(selAnchor_);
    if (selEnd_ >= 0) selEnd_ = Clamp(selEnd_);
}

TBinaryEffect TBinaryData::TypeChar(QChar ch) {
    TBinaryEffect effect;
    const char16_t code = ch.unicode();
    if (!stream_ || code < 32 || code == 127 || code > 255) return effect;
    const int digit = caretInAscii_ ? -1 : HexDigitValue(code);
    if (!caretInAscii_ && digit < 0) return effect;
    effect.handled = true;
    if (readOnly_) return effect;
    const bool secondDigit = caretLowNibble_ && !caretInAscii_;
    // At the limit only the second digit of a half-typed byte may still come.
    if (maxSize_ != 0 && Size() >= maxSize_ && !secondDigit) return effect;
    if (HasSelection()) effect |= DeleteSelection();
    selEnd_ = -1;
    if (caretInAscii_) {
        InsertBytes(QByteArray(1, char(code)), caretPos_);
        ++caretPos_;
    } else if (!caretLowNibble_ || caretPos_ >= Size()) {
        // The first digit always inserts a new byte; the caret stays on it.
        InsertBytes(QByteArray(1, char(digit << 4)), caretPos_);
        caretLowNibble_ = true;
    } else {
        char& byte = (*stream_)[caretPos_];
        byte = char((uchar(byte) & 0xF0) | digit);
        caretLowNibble_ = false;
        ++caretPos_;
    }
    effect.changed = true;
    effect.scrollToCaret = true;
    if (!caretLowNibble_) effect.clicked = true;
    return effect;
}

int TBinaryData::LimitTarget(int from, int target) const {
    const int size = Size();
    const int perLine = bytesPerLine_;
    if (target < 0) return from % perLine;  // same column, first line
    if (target <= size) return target;
    const int column = target % perLine;
    const int lastLineColumns = size % perLine;
    if (column >= lastLineColumns || from >= size) return size;
    return size - lastLineColumns + column;  // same column, last line
}

TBinaryEffect TBinaryData::Navigate(TBinaryKey key, bool shift, bool ctrl, int visibleLines) {
    TBinaryEffect effect;
    if (!stream_) return effect;
    const int from = caretPos_;
    const int perLine = bytesPerLine_;
    // A control shorter than one line still pages by a line.
    const int page = qMax(1, visibleLines) * perLine;
    int target = from;
    switch (key) {
        case TBinaryKey::PageUp: target = from - page; break;
        case TBinaryKey::PageDown: target = from + page; break;
        case TBinaryKey::End: target = ctrl ? Size() : perLine * (from / perLine + 1) - 1; break;
        case TBinaryKey::Home: target = ctrl ? 0 : perLine * (from / perLine); break;
        case TBinaryKey::Left: target = from - 1; break;
        case TBinaryKey::Right: target = from + 1; break;
        case TBinaryKey::Up: target = from - perLine; break;
        case TBinaryKey::Down: target = from + perLine; break;
    }
    const int position = LimitTarget(from, target);
    caretLowNibble_ = false;
    effect.handled = true;
    effect.clicked = true;
    if (shift) {
        effect |= ExtendTo(position);
    } else {
        effect.selectionChanged = HasSelection();
        selEnd_ = -1;
        caretPos_ = position;
    }
    effect.scrollToCaret = position != from;
    return effect;
}

TBinaryEffect TBinaryData::ExtendTo(int position) {
    TBinaryEffect effect;
    const int oldStart = SelStart();
    const int oldLength = SelLength();
    if (selEnd_ < 0) selAnchor_ = caretPos_;
    selEnd_ = position;
    caretPos_ = position;
    effect.clicked = true;
    effect.selectionChanged = SelLength() != oldLength || (oldLength > 0 && SelStart() != oldStart);
    return effect;
}

TBinaryEffect TBinaryData::SwitchColumn() {
    TBinaryEffect effect;
    if (!stream_) return effect;
    caretInAscii_ = !caretInAscii_;
    // A half-typed byte is finished as it stands: the other column has no second digit.
    caretLowNibble_ = false;
    effect.handled = effect.clicked = true;
    return effect;
}

TBinaryEffect TBinaryData::DeleteKey(bool backspace) {
    TBinaryEffect effect;
    if (!stream_ || readOnly_) return effect;
    effect.handled = true;
    if (HasSelection()) {
        effect |= DeleteSelection();
    } else {
        selEnd_ = -1;
        if (backspace && caretLowNibble_) {
            // The caret stands inside a half-typed byte: that byte is the one before it.
            DeleteBytes(caretPos_, 1);
            effect.changed = true;
        } else if (backspace && caretPos_ > 0) {
            --caretPos_;
            DeleteBytes(caretPos_, 1);
            effect.changed = true;
        } else if (!backspace && caretPos_ < Size()) {
            DeleteBytes(caretPos_, 1);
            effect.changed = true;
        }
    }
    caretLowNibble_ = false;
    effect.scrollToCaret = true;
    if (backspace) effect.clicked = true;
    return effect;
}

TBinaryEffect TBinaryData::DeleteSelection() {
    TBinaryEffect effect;
    if (!stream_ || readOnly_) return effect;
    if (!HasSelection()) {
        selEnd_ = -1;  // an empty selection has nothing to delete
        return effect;
    }
    const int start = SelStart();
    const int length = SelLength();
    caretLowNibble_ = false;
    selEnd_ = -1;
    DeleteBytes(start, length);
    effect.clicked = caretPos_ != start;
    caretPos_ = start;
    effect.handled = effect.changed = effect.selectionChanged = effect.scrollToCaret = true;
    return effect;
}

TBinaryEffect TBinaryData::Clear() {
    if (!stream_) return TBinaryEffect{};
    const bool hadSelection = HasSelection();
    stream_->clear();
    return Restart(hadSelection);
}

TBinaryEffect TBinaryData::SelectAll() {
    TBinaryEffect effect;
    if (Size() == 0) return effect;
    // The caret goes to the selection's end, so that Shift with a key goes on from there.
    effect.clicked = caretPos_ != Size();
    selAnchor_ = 0;
    selEnd_ = Size();
    caretPos_ = Size();
    caretLowNibble_ = false;
    effect.handled = effect.selectionChanged = true;
    return effect;
}

QString TBinaryData::CopyText() const {
    QByteArray bytes = Bytes(SelStart(), SelLength());
    const qsizetype zero = bytes.indexOf('\0');
    if (zero >= 0) bytes.truncate(zero);
    return QString::fromLatin1(bytes);
}

std::optional<QByteArray> TBinaryData::TextBytes(const QString& text) {
    qsizetype length = text.indexOf(QChar(u'\0'));
    if (length < 0) length = text.size();
    QByteArray bytes(length, Qt::Uninitialized);
    for (qsizetype i = 0; i < length; ++i) {
        const char16_t code = text.at(i).unicode();
        if (code > 255) return std::nullopt;
        bytes[i] = char(code);
    }
    return bytes;
}

TBinaryEffect TBinaryData::Paste(const QString& text) {
    TBinaryEffect effect;
    if (!stream_ || readOnly_) return effect;
    const std::optional<QByteArray> bytes = TextBytes(text);
    if (!bytes) return effect;
    // The selection counts in the size: it is not there yet to make room.
    if (maxSize_ != 0 && qsizetype(Size()) + bytes->size() > maxSize_) return effect;
    effect.handled = true;
    effect |= DeleteSelection();
    selEnd_ = -1;
    caretLowNibble_ = false;
    InsertBytes(*bytes, caretPos_);
    caretPos_ += int(bytes->size());
    if (!bytes->isEmpty()) effect.changed = effect.clicked = true;
    effect.scrollToCaret = true;
    return effect;
}

TBinaryEffect TBinaryData::PressAt(int position, bool inAscii) {
    TBinaryEffect effect;
    if (!stream_) return effect;
    effect.selectionChanged = HasSelection();
    SetCaret(position, inAscii);
    selAnchor_ = caretPos_;
    selEnd_ = -1;
    effect.handled = effect.clicked = true;
    return effect;
}

TBinaryEffect TBinaryData::SelectByteAt(int position, bool inAscii) {
    if (!stream_ || position < 0 || position >= Size()) return PressAt(position, inAscii);
    TBinaryEffect effect;
    const bool same = SelStart() == position && SelLength() == 1;
    SetCaret(position + 1, inAscii);
    selAnchor_ = position;
    selEnd_ = position + 1;
    effect.handled = effect.clicked = true;
    effect.selectionChanged = !same;
    return effect;
}

TBinaryEffect TBinaryData::DragTo(int position) {
    TBinaryEffect effect;
    if (!stream_) return effect;
    position = Clamp(position);
    if (position == caretPos_) return effect;
    effect = ExtendTo(position);
    effect.handled = true;
    return effect;
}

TBinaryEffect TBinaryData::DragByLine(int direction) {
    TBinaryEffect effect;
    if (!stream_) return effect;
    const int position = Clamp(caretPos_ + (direction < 0 ? -bytesPerLine_ : bytesPerLine_));
    effect = ExtendTo(position);
    effect.handled = effect.scrollToCaret = true;
    return effect;
}

TBinaryEffect TBinaryData::EndDrag(bool selectionAtPress) {
    TBinaryEffect effect;
    if (selEnd_ == selAnchor_) selEnd_ = -1;
    effect.selectionChanged = selectionAtPress && !HasSelection();
    return effect;
}

}  // namespace kelmor
