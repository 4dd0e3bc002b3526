// The byte editor: its data side (typing that always inserts, the limit, deleting, the
// selection, navigation at the ends of the data, the clipboard text and the character
// column) and its geometry (columns, cells, the caret, hit testing, visible lines and
// scrolling), checked with fixed numbers; then the control itself, offscreen: keys and
// notices, the clipboard and context menu, the mouse and the drag timer, painting, and
// scrolling through the largest blob.
#include <QAction>
#include <QClipboard>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QMenu>
#include <QPaintEvent>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>

#include "editors/binarydata.h"
#include "editors/binarylayout.h"
#include "editors/tbinaryeditor.h"

using namespace kelmor;

Q_DECLARE_METATYPE(kelmor::TBinaryKey)

namespace {

// The bytes of a hex text such as "41 00 42".
QByteArray Bytes(const char* hex) { return QByteArray::fromHex(hex); }

// An editor on `stream` with the caret at `caret`.
void Attach(TBinaryData& data, QByteArray& stream, int perLine = 16, int caret = 0, bool inAscii = false) {
    data.SetBytesPerLine(perLine);
    data.AttachStream(&stream);
    data.SetCaret(caret, inAscii);
}

void TypeText(TBinaryData& data, const QString& text) {
    for (QChar ch : text) data.TypeChar(ch);
}

// Counts the area painted on a widget.
class TPaintRecorder : public QObject {
public:
    explicit TPaintRecorder(QWidget* widget) { widget->installEventFilter(this); }
    QRegion painted;

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint) painted += static_cast<QPaintEvent*>(event)->region();
        return false;
    }
};

// An editor set up as the blob frame uses it, shown, with `stream` attached.
void SetUpBlobEditor(TBinaryEditor& editor, QByteArray& stream) {
    editor.SetBytesPerLine(16);
    editor.SetIndexDigits(4);
    editor.SetItemHeight(13);
    editor.SetMaxSize(65535);
    QFont font(QStringLiteral("Monospace"));
    font.setStyleHint(QFont::TypeWriter);
    font.setPixelSize(11);
    editor.setFont(font);
    editor.resize(513, 175);
    editor.AttachStream(&stream);
    editor.show();
}

int TotalArea(const QRegion& region) {
    int area = 0;
    for (const QRect& rect : region) area += rect.width() * rect.height();
    return area;
}

// The blob frame's geometry with a 7-pixel "X": CharWidth 8, HexCellWidth 18, the hex
// digits from x = 48, the character column from x = 352.
TBinaryLayout BlobLayout() {
    TBinaryLayout layout;
    layout.SetXWidth(7);
    layout.SetItemHeight(13);
    layout.SetBytesPerLine(16);
    layout.SetIndexDigits(4);
    return layout;
}

}  // namespace

class BinaryEditorTest : public QObject {
    Q_OBJECT
private slots:
    void typingHexDigitsAlwaysInserts_data();
    void typingHexDigitsAlwaysInserts();
    void typingInTheCharacterColumn();
    void charactersThatAreNotTyped_data();
    void charactersThatAreNotTyped();
    void typingReplacesTheSelection();
    void maxSizeStopsTypingAndPasting();
    void readOnlyChangesNothing();
    void navigation_data();
    void navigation();
    void shiftExtendsTheSelection();
    void aHalfTypedByte();
    void deleteAndBackspace_data();
    void deleteAndBackspace();
    void copyTextEndsAtTheFirstZeroByte_data();
    void copyTextEndsAtTheFirstZeroByte();
    void clipboardTextToBytes();
    void pasteInsertsAtTheCaret();
    void selectAllAndClear();
    void commandStates();
    void mouseSelection();
    void displayChar_data();
    void displayChar();
    void attachingResetsTheState();

    void columnsAndCells();
    void caretRect();
    void positionAtPoint_data();
    void positionAtPoint();
    void offsetsAndHexText();
    void linesToPaint();
    void scrolling_data();
    void scrolling();
    void topLineForCaret_data();
    void topLineForCaret();

    void editorKeysAndNotices();
    void editorKeysLeftToTheDialog_data();
    void editorKeysLeftToTheDialog();
    void editorClipboardAndMenu();
    void editorKeysWinOverShortcuts();
    void editorMouse();
    void editorDragBelowScrollsByTimer();
    void editorPaintsCellsAndSelection();
    void editorScrollingRepaintsOnlyTheUncoveredStrip();
    void editorLargestBlobStaysQuick();
};

// ---- data ----

void BinaryEditorTest::typingHexDigitsAlwaysInserts_data() {
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<int>("caret");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QByteArray>("after");
    QTest::addColumn<int>("caretAfter");
    QTest::addColumn<bool>("lowNibble");

    QTest::newRow("two digits on empty data") << QByteArray() << 0 << "41" << Bytes("41") << 1 << false;
    QTest::newRow("first digit only") << QByteArray() << 0 << "4" << Bytes("40") << 0 << true;
    QTest::newRow("in the middle") << Bytes("0102") << 1 << "fF" << Bytes("01ff02") << 2 << false;
    QTest::newRow("at the start") << Bytes("0102") << 0 << "a" << Bytes("a00102") << 0 << true;
    QTest::newRow("at the end") << Bytes("0102") << 2 << "9c3" << Bytes("01029c30") << 3 << true;
    QTest::newRow("several bytes") << QByteArray() << 0 << "deadBEEF" << Bytes("deadbeef") << 4 << false;
}

void BinaryEditorTest::typingHexDigitsAlwaysInserts() {
    QFETCH(QByteArray, before);
    QFETCH(int, caret);
    QFETCH(QString, typed);
    QByteArray stream = before;
    TBinaryData data;
    Attach(data, stream, 16, caret);
    TypeText(data, typed);
    QTEST(stream, "after");
    QTEST(data.CaretPos(), "caretAfter");
    QTEST(data.CaretLowNibble(), "lowNibble");
    QVERIFY(!data.CaretInAscii());
}

void BinaryEditorTest::typingInTheCharacterColumn() {
    QByteArray stream = Bytes("0102");
    TBinaryData data;
    Attach(data, stream, 8, 1, true);
    TBinaryEffect effect = data.TypeChar(QLatin1Char('A'));
    QVERIFY(effect.handled && effect.changed && effect.clicked);
    // Hex digits are characters like any other here, and Latin-1 letters are bytes.
    data.TypeChar(QLatin1Char('4'));
    data.TypeChar(QChar(char16_t(0xE9)));
    QCOMPARE(stream, Bytes("014134e902"));
    QCOMPARE(data.CaretPos(), 4);
    QVERIFY(!data.CaretLowNibble());

    // The first digit of a byte does not complete it: no caret notice until the second.
    QByteArray hex;
    Attach(data, hex);
    effect = data.TypeChar(QLatin1Char('7'));
    QVERIFY(effect.handled && effect.changed && !effect.clicked);
    effect = data.TypeChar(QLatin1Char('7'));
    QVERIFY(effect.handled && effect.changed && effect.clicked);
}

void BinaryEditorTest::charactersThatAreNotTyped_data() {
    QTest::addColumn<bool>("inAscii");
    QTest::addColumn<int>("code");

    QTest::newRow("hex: letter g") << false << int('g');
    QTest::newRow("hex: blank") << false << int(' ');
    QTest::newRow("hex: Latin-1 letter") << false << 0xC4;
    QTest::newRow("hex: tab") << false << int('\t');
    QTest::newRow("char: tab") << true << int('\t');
    QTest::newRow("char: escape") << true << 27;
    QTest::newRow("char: delete") << true << 127;
    QTest::newRow("char: outside Latin-1") << true << 0x20AC;
}

void BinaryEditorTest::charactersThatAreNotTyped() {
    QFETCH(bool, inAscii);
    QFETCH(int, code);
    QByteArray stream = Bytes("0102");
    TBinaryData data;
    Attach(data, stream, 8, 1, inAscii);
    const TBinaryEffect effect = data.TypeChar(QChar(char16_t(code)));
    QVERIFY(!effect.handled);  // left to the default handling
    QVERIFY(!effect.changed);
    QCOMPARE(stream, Bytes("0102"));
    QCOMPARE(data.CaretPos(), 1);

    // Without data attached nothing is typed at all.
    TBinaryData detached;
    QVERIFY(!detached.TypeChar(QLatin1Char('A')).handled);
}

void BinaryEditorTest::typingReplacesTheSelection() {
    QByteArray stream = Bytes("0001020304");
    TBinaryData data;
    Attach(data, stream, 8, 1);
    data.Navigate(TBinaryKey::Right, true, false, 4);
    data.Navigate(TBinaryKey::Right, true, false, 4);
    QCOMPARE(data.SelLength(), 2);
    const TBinaryEffect effect = data.TypeChar(QLatin1Char('f'));
    QVERIFY(effect.changed && effect.selectionChanged);
    QCOMPARE(stream, Bytes("00f00304"));
    QCOMPARE(data.CaretPos(), 1);
    QVERIFY(data.CaretLowNibble());
    QVERIFY(!data.HasSelection());
    data.TypeChar(QLatin1Char('e'));
    QCOMPARE(stream, Bytes("00fe0304"));

    // Select All after a first digit: the half byte goes with the rest, and the next
    // digit starts a new byte.
    data.TypeChar(QLatin1Char('1'));
    data.SelectAll();
    data.TypeChar(QLatin1Char('2'));
    QCOMPARE(stream, Bytes("20"));
    QVERIFY(data.CaretLowNibble());
}

void BinaryEditorTest::maxSizeStopsTypingAndPasting() {
    QByteArray stream(255, 'x');
    TBinaryData data;
    data.SetMaxSize(255);
    Attach(data, stream, 8, 10);
    for (bool inAscii : {false, true}) {
        data.SetCaret(10, inAscii);
        const TBinaryEffect effect = data.TypeChar(QLatin1Char('a'));
        QVERIFY(effect.handled);  // swallowed
        QVERIFY(!effect.changed);
        QCOMPARE(stream.size(), 255);
    }
    // A selection does not make room for typing, nor for a paste.
    data.SetCaret(0, false);
    data.Navigate(TBinaryKey::Right, true, false, 4);
    QVERIFY(!data.TypeChar(QLatin1Char('a')).changed);
    QVERIFY(!data.Paste(QStringLiteral("A")).changed);
    QCOMPARE(stream, QByteArray(255, 'x'));
    QCOMPARE(data.SelLength(), 1);

    // The second digit of a byte begun below the limit still comes.
    stream.chop(1);
    data.PressAt(254, false);
    data.TypeChar(QLatin1Char('4'));
    data.TypeChar(QLatin1Char('1'));
    QCOMPARE(stream.size(), 255);
    QCOMPARE(stream.back(), 'A');
    QCOMPARE(data.CaretPos(), 255);

    // A paste that fits exactly is taken, one byte more is not.
    stream.chop(3);
    data.SetCaret(0, false);
    QVERIFY(!data.Paste(QStringLiteral("ABCD")).changed);
    QCOMPARE(stream.size(), 252);
    QVERIFY(data.Paste(QStringLiteral("ABC")).changed);
    QCOMPARE(stream.size(), 255);
    QVERIFY(stream.startsWith("ABCx"));

    // 0 means no limit.
    data.SetMaxSize(0);
    data.TypeChar(QLatin1Char('a'));
    QCOMPARE(stream.size(), 256);
}

void BinaryEditorTest::readOnlyChangesNothing() {
    QByteArray stream = Bytes("010203");
    TBinaryData data;
    data.SetReadOnly(true);
    Attach(data, stream, 8, 1);
    QVERIFY(data.TypeChar(QLatin1Char('a')).handled);  // swallowed
    QVERIFY(!data.DeleteKey(false).handled);
    QVERIFY(!data.DeleteKey(true).handled);
    QVERIFY(!data.Paste(QStringLiteral("xyz")).handled);
    data.Navigate(TBinaryKey::Right, true, false, 4);
    QVERIFY(data.HasSelection());  // selecting and copying still work
    QCOMPARE(data.CopyText(), QString(QChar(char16_t(2))));
    QVERIFY(!data.DeleteSelection().handled);
    QVERIFY(data.CanCopy());
    QVERIFY(!data.CanCut());
    QVERIFY(!data.CanPaste(true));
    QCOMPARE(stream, Bytes("010203"));
}

void BinaryEditorTest::navigation_data() {
    QTest::addColumn<int>("size");
    QTest::addColumn<int>("caret");
    QTest::addColumn<TBinaryKey>("key");
    QTest::addColumn<bool>("ctrl");
    QTest::addColumn<int>("expected");

    // 16 bytes per line, a page of 2 lines.
    QTest::newRow("left at the start") << 40 << 0 << TBinaryKey::Left << false << 0;
    QTest::newRow("left") << 40 << 17 << TBinaryKey::Left << false << 16;
    QTest::newRow("right to the end") << 40 << 39 << TBinaryKey::Right << false << 40;
    QTest::newRow("right at the end") << 40 << 40 << TBinaryKey::Right << false << 40;
    QTest::newRow("right at the end of a line") << 40 << 15 << TBinaryKey::Right << false << 16;
    QTest::newRow("right onto the empty line") << 16 << 15 << TBinaryKey::Right << false << 16;
    QTest::newRow("up on the first line") << 40 << 3 << TBinaryKey::Up << false << 3;
    QTest::newRow("up") << 40 << 35 << TBinaryKey::Up << false << 19;
    QTest::newRow("page up near the start keeps the column") << 40 << 19 << TBinaryKey::PageUp << false << 3;
    QTest::newRow("page up") << 100 << 70 << TBinaryKey::PageUp << false << 38;
    QTest::newRow("page down") << 100 << 3 << TBinaryKey::PageDown << false << 35;
    QTest::newRow("down within the data") << 40 << 2 << TBinaryKey::Down << false << 18;
    QTest::newRow("down on the last line stays") << 20 << 18 << TBinaryKey::Down << false << 18;
    QTest::newRow("down to the last line's column") << 20 << 3 << TBinaryKey::Down << false << 19;
    QTest::newRow("down beyond the last line's bytes") << 20 << 10 << TBinaryKey::Down << false << 20;
    QTest::newRow("down onto the empty line") << 32 << 20 << TBinaryKey::Down << false << 32;
    QTest::newRow("page down into the last line") << 30 << 3 << TBinaryKey::PageDown << false << 19;
    QTest::newRow("page down beyond") << 30 << 14 << TBinaryKey::PageDown << false << 30;
    QTest::newRow("right at the end, column 15") << 31 << 31 << TBinaryKey::Right << false << 31;
    QTest::newRow("down at the end") << 31 << 31 << TBinaryKey::Down << false << 31;
    QTest::newRow("end: last column of the line") << 40 << 17 << TBinaryKey::End << false << 31;
    QTest::newRow("end on the last line") << 40 << 33 << TBinaryKey::End << false << 40;
    QTest::newRow("end on the empty line") << 32 << 32 << TBinaryKey::End << false << 32;
    QTest::newRow("ctrl+end") << 40 << 5 << TBinaryKey::End << true << 40;
    QTest::newRow("home") << 40 << 37 << TBinaryKey::Home << false << 32;
    QTest::newRow("ctrl+home") << 40 << 37 << TBinaryKey::Home << true << 0;
    QTest::newRow("ctrl does nothing to right") << 40 << 5 << TBinaryKey::Right << true << 6;
    QTest::newRow("empty data") << 0 << 0 << TBinaryKey::Down << false << 0;
}

void BinaryEditorTest::navigation() {
    QFETCH(int, size);
    QFETCH(int, caret);
    QFETCH(TBinaryKey, key);
    QFETCH(bool, ctrl);
    QFETCH(int, expected);
    QByteArray stream(size, '\x11');
    TBinaryData data;
    Attach(data, stream, 16);
    data.SetCaret(caret, false, true);  // a half-typed byte is finished by any key
    const TBinaryEffect effect = data.Navigate(key, false, ctrl, 2);
    QCOMPARE(data.CaretPos(), expected);
    QVERIFY(effect.handled && effect.clicked);
    QCOMPARE(effect.scrollToCaret, expected != caret);
    QVERIFY(!data.CaretLowNibble());
    QVERIFY(!data.HasSelection());
    QVERIFY(data.CaretPos() >= 0 && data.CaretPos() <= size);
}

void BinaryEditorTest::shiftExtendsTheSelection() {
    QByteArray stream(40, 'a');
    TBinaryData data;
    Attach(data, stream, 16, 2);
    TBinaryEffect effect = data.Navigate(TBinaryKey::Right, true, false, 2);
    QVERIFY(effect.selectionChanged);
    data.Navigate(TBinaryKey::Right, true, false, 2);
    QCOMPARE(data.SelAnchor(), 2);
    QCOMPARE(data.SelEnd(), 4);
    QCOMPARE(data.CaretPos(), 4);
    QVERIFY(!data.IsSelected(1) && data.IsSelected(2) && data.IsSelected(3) && !data.IsSelected(4));

    // Going back over the anchor turns the selection round it.
    for (int i = 0; i < 3; ++i) data.Navigate(TBinaryKey::Left, true, false, 2);
    QCOMPARE(data.SelStart(), 1);
    QCOMPARE(data.SelLength(), 1);
    data.Navigate(TBinaryKey::Down, true, false, 2);
    QCOMPARE(data.SelStart(), 2);
    QCOMPARE(data.SelLength(), 15);

    // A shifted key that cannot move reports no change.
    data.SetCaret(0, false);
    data.Navigate(TBinaryKey::Right, false, false, 2);
    data.Navigate(TBinaryKey::Home, false, false, 2);
    effect = data.Navigate(TBinaryKey::Left, true, false, 2);
    QVERIFY(!effect.selectionChanged);
    QVERIFY(!data.HasSelection());

    // Without Shift the selection goes.
    data.Navigate(TBinaryKey::End, true, false, 2);
    QCOMPARE(data.SelLength(), 15);
    effect = data.Navigate(TBinaryKey::Right, false, false, 2);
    QVERIFY(effect.selectionChanged);
    QVERIFY(!data.HasSelection());
    QCOMPARE(data.SelEnd(), -1);

    // A double click selects one byte; Shift+Right then adds the next.
    effect = data.SelectByteAt(5, true);
    QVERIFY(effect.selectionChanged);
    QCOMPARE(data.SelStart(), 5);
    QCOMPARE(data.SelLength(), 1);
    QCOMPARE(data.CaretPos(), 6);
    QVERIFY(data.CaretInAscii());
    data.Navigate(TBinaryKey::Right, true, false, 2);
    QCOMPARE(data.SelStart(), 5);
    QCOMPARE(data.SelLength(), 2);

    // After Select All, Shift goes on from the end of the data.
    data.SelectAll();
    data.Navigate(TBinaryKey::Left, true, false, 2);
    QCOMPARE(data.SelStart(), 0);
    QCOMPARE(data.SelLength(), 39);
}

void BinaryEditorTest::aHalfTypedByte() {
    QByteArray stream;
    TBinaryData data;
    data.SetMaxSize(1);
    Attach(data, stream);
    data.TypeChar(QLatin1Char('4'));
    QVERIFY(data.CaretLowNibble());
    data.SwitchColumn();
    QVERIFY(data.CaretInAscii());
    QCOMPARE(data.CaretPos(), 0);
    QVERIFY(!data.CaretLowNibble());
    // The byte stands as typed, and the limit holds in the character column.
    QVERIFY(!data.TypeChar(QLatin1Char('Z')).changed);
    QCOMPARE(stream, Bytes("40"));
    data.SwitchColumn();
    QVERIFY(!data.CaretInAscii());

    // Backspace right after a first digit takes back that byte, not the one before it.
    QByteArray two = Bytes("0102");
    Attach(data, two, 8, 1);
    data.SetMaxSize(0);
    data.TypeChar(QLatin1Char('c'));
    QCOMPARE(two, Bytes("01c002"));
    const TBinaryEffect effect = data.DeleteKey(true);
    QVERIFY(effect.changed && effect.clicked);
    QCOMPARE(two, Bytes("0102"));
    QCOMPARE(data.CaretPos(), 1);
    QVERIFY(!data.CaretLowNibble());
}

void BinaryEditorTest::deleteAndBackspace_data() {
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<int>("caret");
    QTest::addColumn<int>("selectTo");  // −1: no selection
    QTest::addColumn<bool>("backspace");
    QTest::addColumn<QByteArray>("after");
    QTest::addColumn<int>("caretAfter");

    QTest::newRow("delete") << Bytes("010203") << 1 << -1 << false << Bytes("0103") << 1;
    QTest::newRow("delete at the end") << Bytes("010203") << 3 << -1 << false << Bytes("010203") << 3;
    QTest::newRow("backspace") << Bytes("010203") << 1 << -1 << true << Bytes("0203") << 0;
    QTest::newRow("backspace at the start") << Bytes("010203") << 0 << -1 << true << Bytes("010203") << 0;
    QTest::newRow("backspace at the end") << Bytes("010203") << 3 << -1 << true << Bytes("0102") << 2;
    QTest::newRow("delete a selection") << Bytes("01020304") << 1 << 3 << false << Bytes("0104") << 1;
    QTest::newRow("backspace a backward selection") << Bytes("01020304") << 3 << 1 << true << Bytes("0104") << 1;
    QTest::newRow("empty data") << QByteArray() << 0 << -1 << false << QByteArray() << 0;
}

void BinaryEditorTest::deleteAndBackspace() {
    QFETCH(QByteArray, before);
    QFETCH(int, caret);
    QFETCH(int, selectTo);
    QFETCH(bool, backspace);
    QFETCH(QByteArray, after);
    QByteArray stream = before;
    TBinaryData data;
    Attach(data, stream, 8, caret);
    while (selectTo >= 0 && data.CaretPos() != selectTo)
        data.Navigate(selectTo > caret ? TBinaryKey::Right : TBinaryKey::Left, true, false, 4);
    const TBinaryEffect effect = data.DeleteKey(backspace);
    QVERIFY(effect.handled);  // even when nothing goes
    QCOMPARE(effect.changed, after != before);
    QCOMPARE(stream, after);
    QTEST(data.CaretPos(), "caretAfter");
    QVERIFY(!data.HasSelection());
    if (backspace) QVERIFY(effect.clicked);
}

void BinaryEditorTest::copyTextEndsAtTheFirstZeroByte_data() {
    QTest::addColumn<QByteArray>("stream");
    QTest::addColumn<int>("from");
    QTest::addColumn<int>("to");
    QTest::addColumn<QString>("text");

    QTest::newRow("zero in the middle") << Bytes("410042") << 0 << 3 << QStringLiteral("A");
    QTest::newRow("zero first") << Bytes("0041") << 0 << 2 << QString();
    QTest::newRow("part of the data") << Bytes("41424344") << 1 << 3 << QStringLiteral("BC");
    QTest::newRow("backwards") << Bytes("41424344") << 3 << 1 << QStringLiteral("BC");
    QTest::newRow("Latin-1 bytes") << Bytes("e90a7f") << 0 << 3 << QString::fromLatin1("\xe9\n\x7f");
    QTest::newRow("nothing selected") << Bytes("4142") << 1 << 1 << QString();
}

void BinaryEditorTest::copyTextEndsAtTheFirstZeroByte() {
    QFETCH(QByteArray, stream);
    QFETCH(int, from);
    QFETCH(int, to);
    TBinaryData data;
    Attach(data, stream, 8, from);
    data.DragTo(to);
    QTEST(data.CopyText(), "text");
    QCOMPARE(data.CanCopy(), from != to);
}

void BinaryEditorTest::clipboardTextToBytes() {
    const auto bytes = [](const QString& text) { return TBinaryData::TextBytes(text).value_or("refused"); };
    QCOMPARE(bytes(QStringLiteral("AB")), QByteArray("AB"));
    QCOMPARE(bytes(QString::fromLatin1("A\0B", 3)), QByteArray("A"));
    QCOMPARE(bytes(QString::fromLatin1("\xff\xe9")), QByteArray("\xff\xe9"));
    QCOMPARE(bytes(QString()), QByteArray());
    QCOMPARE(bytes(QStringLiteral("A\u20ACB")), QByteArray("refused"));
    // A character beyond Latin-1 after the zero is never looked at.
    QCOMPARE(bytes(QStringLiteral("A") + QChar(u'\0') + QChar(u'\u20AC')), QByteArray("A"));
}

void BinaryEditorTest::pasteInsertsAtTheCaret() {
    QByteArray stream = Bytes("01020304");
    TBinaryData data;
    Attach(data, stream, 8, 1);
    TBinaryEffect effect = data.Paste(QStringLiteral("AB"));
    QVERIFY(effect.handled && effect.changed && effect.clicked && effect.scrollToCaret);
    QCOMPARE(stream, Bytes("014142020304"));
    QCOMPARE(data.CaretPos(), 3);

    // In place of a selection; the text ends at its first zero.
    data.SetCaret(1, false);
    data.DragTo(5);
    effect = data.Paste(QString::fromLatin1("Z\0Y", 3));
    QVERIFY(effect.selectionChanged);
    QCOMPARE(stream, Bytes("015a04"));
    QCOMPARE(data.CaretPos(), 2);
    QVERIFY(!data.HasSelection());

    // Text beyond Latin-1 is refused whole.
    QVERIFY(!data.Paste(QStringLiteral("\u20AC")).handled);
    QCOMPARE(stream, Bytes("015a04"));

    // An empty text only removes the selection.
    data.SelectAll();
    effect = data.Paste(QString());
    QVERIFY(stream.isEmpty());
    QCOMPARE(data.CaretPos(), 0);

    // After a first digit the paste goes before the half-typed byte, which is kept.
    data.TypeChar(QLatin1Char('7'));
    data.Paste(QStringLiteral("A"));
    QCOMPARE(stream, Bytes("4170"));
    QVERIFY(!data.CaretLowNibble());
    QCOMPARE(data.CaretPos(), 1);
}

void BinaryEditorTest::selectAllAndClear() {
    QByteArray stream = Bytes("0102");
    TBinaryData data;
    Attach(data, stream, 8, 1);
    TBinaryEffect effect = data.SelectAll();
    QVERIFY(effect.selectionChanged);
    QCOMPARE(data.SelAnchor(), 0);
    QCOMPARE(data.SelEnd(), 2);
    QCOMPARE(data.CaretPos(), 2);

    data.SwitchColumn();
    effect = data.Clear();
    QVERIFY(effect.changed && effect.clicked && effect.selectionChanged);
    QVERIFY(stream.isEmpty());
    QCOMPARE(data.CaretPos(), 0);
    QVERIFY(!data.CaretInAscii());
    QVERIFY(!data.HasSelection());
    QVERIFY(!data.SelectAll().handled);  // nothing to select
    QVERIFY(!data.HasSelection());
}

void BinaryEditorTest::commandStates() {
    TBinaryData data;
    QVERIFY(!data.CanCopy() && !data.CanCut() && !data.CanPaste(true) && !data.CanSelectAll());
    QByteArray stream;
    Attach(data, stream);
    QVERIFY(data.CanPaste(true));
    QVERIFY(!data.CanPaste(false));
    QVERIFY(!data.CanSelectAll());
    data.TypeChar(QLatin1Char('1'));
    QVERIFY(data.CanSelectAll());
    QVERIFY(!data.CanCut());
    data.SelectAll();
    QVERIFY(data.CanCut() && data.CanCopy());
}

void BinaryEditorTest::mouseSelection() {
    QByteArray stream(40, 'm');
    TBinaryData data;
    Attach(data, stream, 16);

    // A press puts the caret where it is (clamped) and drops the selection.
    data.SelectAll();
    TBinaryEffect effect = data.PressAt(100, true);
    QVERIFY(effect.selectionChanged);
    QCOMPARE(data.CaretPos(), 40);
    QVERIFY(data.CaretInAscii());
    QCOMPARE(data.SelEnd(), -1);

    effect = data.PressAt(10, false);
    QVERIFY(!effect.selectionChanged);
    QCOMPARE(data.SelAnchor(), 10);
    QVERIFY(!data.DragTo(10).selectionChanged);  // not moved yet
    effect = data.DragTo(20);
    QVERIFY(effect.selectionChanged && effect.clicked);
    QCOMPARE(data.SelStart(), 10);
    QCOMPARE(data.SelLength(), 10);
    data.DragTo(-5);
    QCOMPARE(data.SelStart(), 0);
    QCOMPARE(data.SelLength(), 10);

    // Beyond the control's edges the drag goes a line at a time, within the data.
    effect = data.DragByLine(+1);
    QVERIFY(effect.scrollToCaret);
    QCOMPARE(data.CaretPos(), 16);
    QCOMPARE(data.SelStart(), 10);
    QCOMPARE(data.SelLength(), 6);
    data.DragByLine(+1);
    data.DragByLine(+1);
    QCOMPARE(data.CaretPos(), 40);
    data.DragByLine(-1);
    QCOMPARE(data.CaretPos(), 24);
    QCOMPARE(data.SelLength(), 14);
    QVERIFY(!data.EndDrag(false).selectionChanged);
    QVERIFY(data.HasSelection());

    // A drag that ends where it started leaves no selection.
    data.PressAt(7, false);
    data.DragTo(9);
    data.DragTo(7);
    QVERIFY(data.EndDrag(true).selectionChanged);
    QCOMPARE(data.SelEnd(), -1);
    QCOMPARE(data.CaretPos(), 7);

    // A double click beyond the data is a plain press.
    data.SelectByteAt(40, false);
    QVERIFY(!data.HasSelection());
    QCOMPARE(data.CaretPos(), 40);
}

void BinaryEditorTest::displayChar_data() {
    QTest::addColumn<int>("byte");
    QTest::addColumn<bool>("hideHigh");
    QTest::addColumn<QChar>("shown");

    QTest::newRow("letter") << 0x41 << false << QChar(u'A');
    QTest::newRow("blank") << 0x20 << false << QChar(u' ');
    QTest::newRow("tilde") << 0x7E << true << QChar(u'~');
    QTest::newRow("zero") << 0x00 << false << QChar(u'.');
    QTest::newRow("line feed") << 0x0A << false << QChar(u'.');
    QTest::newRow("31") << 0x1F << false << QChar(u'.');
    QTest::newRow("DEL") << 0x7F << false << QChar(u'.');
    QTest::newRow("C1 control") << 0x85 << false << QChar(u'.');
    QTest::newRow("e acute") << 0xE9 << false << QChar(u'\u00E9');
    QTest::newRow("e acute hidden") << 0xE9 << true << QChar(u'.');
    QTest::newRow("255") << 0xFF << false << QChar(u'\u00FF');
    QTest::newRow("255 hidden") << 0xFF << true << QChar(u'.');
}

void BinaryEditorTest::displayChar() {
    QFETCH(int, byte);
    QFETCH(bool, hideHigh);
    TBinaryData data;
    data.SetHideHighAscii(hideHigh);
    QTEST(data.DisplayChar(uchar(byte)), "shown");
}

void BinaryEditorTest::attachingResetsTheState() {
    QByteArray first = Bytes("01020304");
    QByteArray second = Bytes("0506");
    TBinaryData data;
    Attach(data, first, 8, 3, true);
    data.Navigate(TBinaryKey::Left, true, false, 4);
    const TBinaryEffect effect = data.AttachStream(&second);
    QVERIFY(effect.changed && effect.clicked && effect.selectionChanged);
    QCOMPARE(data.CaretPos(), 0);
    QVERIFY(!data.CaretInAscii());
    QVERIFY(!data.HasSelection());
    data.TypeChar(QLatin1Char('F'));
    data.TypeChar(QLatin1Char('F'));
    QCOMPARE(second, Bytes("ff0506"));
    QCOMPARE(first, Bytes("01020304"));
    QCOMPARE(data.Bytes(1, 10), Bytes("0506"));
    QCOMPARE(data.Byte(2), uchar(6));
    QCOMPARE(data.Byte(3), uchar(0));

    // The owner may shrink the data under the caret; it is kept within the data.
    data.SetCaret(3, false);
    data.DeleteBytes(0, 2);
    QCOMPARE(data.CaretPos(), 1);
    data.DeleteBytes(0, 99);
    QVERIFY(second.isEmpty());
    QCOMPARE(data.CaretPos(), 0);

    data.AttachStream(nullptr);
    QVERIFY(!data.HasStream());
    QCOMPARE(data.Size(), 0);
    QVERIFY(!data.Navigate(TBinaryKey::Right, false, false, 4).handled);
}

// ---- layout ----

void BinaryEditorTest::columnsAndCells() {
    const TBinaryLayout layout = BlobLayout();
    QCOMPARE(layout.CharWidth(), 8);
    QCOMPARE(layout.HexCellWidth(), 18);
    QCOMPARE(layout.HexTextX(0), 48);
    QCOMPARE(layout.HexTextX(3), 102);
    QCOMPARE(layout.AsciiStart(), 352);
    QCOMPARE(layout.AsciiTextX(2), 368);
    QCOMPARE(layout.HexCellRect(0, 0), QRect(46, 0, 18, 13));
    QCOMPARE(layout.HexCellRect(1, 2), QRect(64, 26, 18, 13));
    // Hex cells touch each other, and the last one ends before the character column.
    QCOMPARE(layout.HexCellRect(5, 0).right() + 1, layout.HexCellRect(6, 0).left());
    QVERIFY(layout.HexCellRect(15, 0).right() < layout.AsciiCellRect(0, 0).left());
    QCOMPARE(layout.AsciiCellRect(15, 1), QRect(472, 13, 8, 13));
    QVERIFY(layout.LineWidth() > layout.AsciiCellRect(15, 0).right());

    // The sequence frame: 8 bytes per line and 2 offset digits.
    TBinaryLayout sequence;
    sequence.SetXWidth(7);
    sequence.SetItemHeight(14);
    sequence.SetBytesPerLine(8);
    sequence.SetIndexDigits(2);
    QCOMPARE(sequence.HexTextX(0), 32);
    QCOMPARE(sequence.AsciiStart(), 6 * 8 + 8 * 18);
}

void BinaryEditorTest::caretRect() {
    const TBinaryLayout layout = BlobLayout();
    // Position 17: line 1, column 1.
    QCOMPARE(layout.CaretRect(17, false, false, 0), QRect(64, 15, 1, 10));
    QCOMPARE(layout.CaretRect(17, false, true, 0), QRect(72, 15, 1, 10));
    QCOMPARE(layout.CaretRect(17, true, false, 0), QRect(358, 15, 1, 10));
    // Scrolled by one line it is on the first row; above the view it is above row 0.
    QCOMPARE(layout.CaretRect(17, false, false, 1).top(), 2);
    QVERIFY(layout.CaretRect(17, false, false, 2).bottom() < 0);
    // The end of 16 bytes is the first column of the next, empty line.
    QCOMPARE(layout.CaretRect(16, false, false, 0), QRect(46, 15, 1, 10));
}

void BinaryEditorTest::positionAtPoint_data() {
    QTest::addColumn<QPoint>("point");
    QTest::addColumn<int>("topLine");
    QTest::addColumn<int>("position");
    QTest::addColumn<bool>("inAscii");

    QTest::newRow("first hex cell") << QPoint(50, 5) << 0 << 0 << false;
    QTest::newRow("left of the hex cells") << QPoint(0, 5) << 0 << 0 << false;
    QTest::newRow("in the offset column, line 2") << QPoint(10, 30) << 0 << 32 << false;
    QTest::newRow("last pixel of cell 0") << QPoint(63, 5) << 0 << 0 << false;
    QTest::newRow("first pixel of cell 1") << QPoint(64, 5) << 0 << 1 << false;
    QTest::newRow("second line") << QPoint(64, 13) << 0 << 17 << false;
    QTest::newRow("scrolled") << QPoint(64, 13) << 10 << 177 << false;
    QTest::newRow("last hex cell") << QPoint(325, 5) << 0 << 15 << false;
    QTest::newRow("gap before the characters") << QPoint(345, 5) << 0 << 15 << false;
    QTest::newRow("just before the characters") << QPoint(348, 5) << 0 << 0 << true;
    QTest::newRow("first character") << QPoint(352, 5) << 0 << 0 << true;
    QTest::newRow("sixth character") << QPoint(395, 18) << 0 << 21 << true;
    QTest::newRow("right of the line") << QPoint(1000, 5) << 0 << 15 << true;
    QTest::newRow("above the view") << QPoint(70, -1) << 3 << 33 << false;
    QTest::newRow("far below") << QPoint(70, 1300) << 0 << 1601 << false;
}

void BinaryEditorTest::positionAtPoint() {
    QFETCH(QPoint, point);
    QFETCH(int, topLine);
    const TBinaryHit hit = BlobLayout().PositionAtPoint(point, topLine);
    QTEST(hit.position, "position");
    QTEST(hit.inAscii, "inAscii");
}

void BinaryEditorTest::offsetsAndHexText() {
    TBinaryLayout layout = BlobLayout();
    QCOMPARE(layout.OffsetText(0), QStringLiteral("0000"));
    QCOMPARE(layout.OffsetText(0xFFF0), QStringLiteral("FFF0"));
    layout.SetIndexDigits(2);
    QCOMPARE(layout.OffsetText(0xF8), QStringLiteral("F8"));
    QCOMPARE(layout.OffsetText(0x1A0), QStringLiteral("1A0"));  // at least, not at most
    QCOMPARE(TBinaryLayout::HexText(0x05), QStringLiteral("05"));
    QCOMPARE(TBinaryLayout::HexText(0xAB), QStringLiteral("AB"));

    // 16 bytes in lines of 16 show two offsets, the second line empty.
    QVERIFY(layout.LineHasOffset(0, 16));
    QVERIFY(layout.LineHasOffset(1, 16));
    QVERIFY(!layout.LineHasOffset(2, 16));
    QVERIFY(layout.LineHasOffset(0, 0));
    QVERIFY(!layout.LineHasOffset(1, 15));
}

void BinaryEditorTest::linesToPaint() {
    const TBinaryLayout layout = BlobLayout();
    QCOMPARE(layout.VisibleLines(175), 13);
    QCOMPARE(layout.VisibleLines(12), 0);
    const TBinaryLines all = layout.LinesToPaint(7, 175);
    QCOMPARE(all.first, 7);
    QCOMPARE(all.last, 20);  // the part-shown line below the 13 whole ones too

    // A strip uncovered by scrolling: only the lines it touches.
    TBinaryLines strip = layout.LinesInRect(QRect(0, 26, 500, 13), 5);
    QCOMPARE(strip.first, 7);
    QCOMPARE(strip.last, 7);
    strip = layout.LinesInRect(QRect(0, 20, 500, 10), 5);
    QCOMPARE(strip.first, 6);
    QCOMPARE(strip.last, 7);
    strip = layout.LinesInRect(QRect(), 5);
    QVERIFY(strip.last < strip.first);
}

void BinaryEditorTest::scrolling_data() {
    QTest::addColumn<int>("size");
    QTest::addColumn<int>("perLine");
    QTest::addColumn<int>("visibleLines");
    QTest::addColumn<bool>("possible");
    QTest::addColumn<int>("maxTopLine");

    QTest::newRow("fits") << 31 << 16 << 2 << false << 0;
    QTest::newRow("empty line needs one more") << 32 << 16 << 2 << true << 1;
    QTest::newRow("partial last line") << 40 << 16 << 2 << true << 1;
    QTest::newRow("empty data") << 0 << 16 << 13 << false << 0;
    QTest::newRow("largest blob") << 65535 << 16 << 13 << true << 4083;
    QTest::newRow("full sequence") << 255 << 8 << 11 << true << 21;
}

void BinaryEditorTest::scrolling() {
    QFETCH(int, size);
    QFETCH(int, perLine);
    QFETCH(int, visibleLines);
    QFETCH(int, maxTopLine);
    TBinaryLayout layout;
    layout.SetBytesPerLine(perLine);
    QTEST(layout.ScrollingPossible(size, visibleLines), "possible");
    QCOMPARE(layout.MaxTopLine(size, visibleLines), maxTopLine);
    QCOMPARE(layout.ClampTopLine(-4, size, visibleLines), 0);
    QCOMPARE(layout.ClampTopLine(100000, size, visibleLines), maxTopLine);
    // At the last top line the line holding the end of the data is the last one shown.
    if (maxTopLine > 0) QCOMPARE(maxTopLine + visibleLines - 1, size / perLine);
}

void BinaryEditorTest::topLineForCaret_data() {
    QTest::addColumn<int>("caret");
    QTest::addColumn<int>("topLine");
    QTest::addColumn<int>("visibleLines");
    QTest::addColumn<int>("expected");

    QTest::newRow("shown") << 40 << 1 << 3 << 1;
    QTest::newRow("on the last shown line") << 63 << 1 << 3 << 1;
    QTest::newRow("one below") << 64 << 1 << 3 << 2;
    QTest::newRow("far below") << 200 << 0 << 3 << 10;
    QTest::newRow("above") << 5 << 4 << 3 << 0;
    QTest::newRow("no whole line shown") << 64 << 0 << 0 << 4;
}

void BinaryEditorTest::topLineForCaret() {
    QFETCH(int, caret);
    QFETCH(int, topLine);
    QFETCH(int, visibleLines);
    TBinaryLayout layout;
    layout.SetBytesPerLine(16);
    QTEST(layout.TopLineForCaret(caret, topLine, visibleLines), "expected");
}

// ---- the control ----

void BinaryEditorTest::editorKeysAndNotices() {
    TBinaryEditor editor;
    QSignalSpy changes(&editor, &TBinaryEditor::OnChange);
    QSignalSpy clicks(&editor, &TBinaryEditor::OnClick);
    QSignalSpy selections(&editor, &TBinaryEditor::OnSelectionChange);
    QTest::keyClicks(&editor, QStringLiteral("41"));  // nothing attached: nothing happens
    QCOMPARE(changes.count(), 0);

    QByteArray stream;
    SetUpBlobEditor(editor, stream);
    QCOMPARE(changes.count(), 1);  // attaching counts as a change and a caret move
    QCOMPARE(clicks.count(), 1);

    QTest::keyClick(&editor, Qt::Key_4);
    QCOMPARE(changes.count(), 2);
    QCOMPARE(clicks.count(), 1);  // the caret is inside the byte
    QTest::keyClick(&editor, Qt::Key_1);
    QCOMPARE(stream, Bytes("41"));
    QCOMPARE(clicks.count(), 2);
    QTest::keyClick(&editor, Qt::Key_F4);
    QVERIFY(editor.CaretInAscii());
    QTest::keyClicks(&editor, QStringLiteral("Zz"));
    QCOMPARE(stream, QByteArray("AZz"));
    QCOMPARE(editor.CaretPos(), 3);

    QTest::keyClick(&editor, Qt::Key_Left, Qt::ShiftModifier);
    QTest::keyClick(&editor, Qt::Key_Left, Qt::ShiftModifier);
    QCOMPARE(selections.count(), 2);
    QCOMPARE(editor.SelLength(), 2);
    QTest::keyClick(&editor, Qt::Key_Delete);
    QCOMPARE(stream, QByteArray("A"));
    QCOMPARE(selections.count(), 3);
    QTest::keyClick(&editor, Qt::Key_Backspace);
    QVERIFY(stream.isEmpty());

    // Ctrl+Shift+End selects to the end; keys with Ctrl alone that mean nothing are kept.
    QTest::keyClicks(&editor, QStringLiteral("abc"));
    QTest::keyClick(&editor, Qt::Key_Home, Qt::ControlModifier);
    QTest::keyClick(&editor, Qt::Key_End, Qt::ControlModifier | Qt::ShiftModifier);
    QCOMPARE(editor.SelLength(), 3);
    QTest::keyClick(&editor, Qt::Key_Q, Qt::ControlModifier);
    QCOMPARE(stream, QByteArray("abc"));

    // Read-only: typing is swallowed, moving and selecting still work.
    editor.SetReadOnly(true);
    QTest::keyClick(&editor, Qt::Key_Home, Qt::ControlModifier);
    QTest::keyClicks(&editor, QStringLiteral("xy"));
    QTest::keyClick(&editor, Qt::Key_Delete);
    QTest::keyClick(&editor, Qt::Key_Right, Qt::ShiftModifier);
    QCOMPARE(stream, QByteArray("abc"));
    QCOMPARE(editor.SelLength(), 1);
}

void BinaryEditorTest::editorKeysLeftToTheDialog_data() {
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("kept");

    QTest::newRow("Escape") << int(Qt::Key_Escape) << 0 << QStringLiteral("\x1b") << false;
    QTest::newRow("Enter") << int(Qt::Key_Return) << 0 << QStringLiteral("\r") << false;
    QTest::newRow("Alt+V") << int(Qt::Key_V) << int(Qt::AltModifier) << QString() << false;
    QTest::newRow("G in the hex cells") << int(Qt::Key_G) << 0 << QStringLiteral("g") << false;
    QTest::newRow("Ctrl+Q") << int(Qt::Key_Q) << int(Qt::ControlModifier) << QString() << true;
    QTest::newRow("Shift+F9") << int(Qt::Key_F9) << int(Qt::ShiftModifier) << QString() << true;
    QTest::newRow("Shift+G") << int(Qt::Key_G) << int(Qt::ShiftModifier) << QStringLiteral("G") << true;
    QTest::newRow("digit") << int(Qt::Key_7) << 0 << QStringLiteral("7") << true;
    QTest::newRow("keypad arrow") << int(Qt::Key_Left) << int(Qt::KeypadModifier) << QString() << true;
}

void BinaryEditorTest::editorKeysLeftToTheDialog() {
    QFETCH(int, key);
    QFETCH(int, modifiers);
    QFETCH(QString, text);
    TBinaryEditor editor;
    QByteArray stream = Bytes("0102");
    editor.AttachStream(&stream);
    QKeyEvent press(QEvent::KeyPress, key, Qt::KeyboardModifiers(modifiers), text);
    QApplication::sendEvent(&editor, &press);
    QTEST(press.isAccepted(), "kept");
}

void BinaryEditorTest::editorClipboardAndMenu() {
    TBinaryEditor editor;
    QVERIFY(!editor.MenuAction(TBinaryEditor::TMenuCommand::Paste)->isEnabled());  // nothing attached
    QCOMPARE(editor.MenuAction(TBinaryEditor::TMenuCommand::Cut)->text(), QStringLiteral("Cu&t"));
    QCOMPARE(editor.MenuAction(TBinaryEditor::TMenuCommand::SelectAll)->text(), QStringLiteral("Select &All"));
    QClipboard* clipboard = QGuiApplication::clipboard();
    clipboard->setText(QStringLiteral("Q"));
    QByteArray stream = Bytes("41004243");
    SetUpBlobEditor(editor, stream);
    const auto enabled = [&editor](TBinaryEditor::TMenuCommand command) {
        return editor.MenuAction(command)->isEnabled();
    };
    QVERIFY(enabled(TBinaryEditor::TMenuCommand::Paste));
    QVERIFY(enabled(TBinaryEditor::TMenuCommand::SelectAll));
    QVERIFY(!enabled(TBinaryEditor::TMenuCommand::Copy));
    QVERIFY(!enabled(TBinaryEditor::TMenuCommand::Cut));

    QTest::keyClick(&editor, Qt::Key_End, Qt::ControlModifier | Qt::ShiftModifier);
    QVERIFY(enabled(TBinaryEditor::TMenuCommand::Copy));
    QVERIFY(enabled(TBinaryEditor::TMenuCommand::Delete));
    QTest::keyClick(&editor, Qt::Key_Insert, Qt::ControlModifier);
    QCOMPARE(clipboard->text(), QStringLiteral("A"));  // the zero byte ends the text

    // Shift+Delete cuts, Shift+Insert pastes back.
    QTest::keyClick(&editor, Qt::Key_Home, Qt::ControlModifier);
    QTest::keyClick(&editor, Qt::Key_Right);
    QTest::keyClick(&editor, Qt::Key_Right, Qt::ShiftModifier);
    QTest::keyClick(&editor, Qt::Key_Right, Qt::ShiftModifier);
    QTest::keyClick(&editor, Qt::Key_Right, Qt::ShiftModifier);
    QTest::keyClick(&editor, Qt::Key_Delete, Qt::ShiftModifier);
    QCOMPARE(stream, Bytes("41"));
    QCOMPARE(clipboard->text(), QString());
    clipboard->setText(QStringLiteral("xyz"));
    QTest::keyClick(&editor, Qt::Key_Insert, Qt::ShiftModifier);
    QCOMPARE(stream, QByteArray("Axyz"));
    QCOMPARE(editor.CaretPos(), 4);
    QTest::keyClick(&editor, Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(stream, QByteArray("Axyzxyz"));

    // The menu's commands do what the keys do; read-only leaves copying and selecting.
    editor.MenuAction(TBinaryEditor::TMenuCommand::SelectAll)->trigger();
    QCOMPARE(editor.SelLength(), 7);
    editor.SetReadOnly(true);
    QVERIFY(enabled(TBinaryEditor::TMenuCommand::Copy));
    QVERIFY(!enabled(TBinaryEditor::TMenuCommand::Cut));
    QVERIFY(!enabled(TBinaryEditor::TMenuCommand::Delete));
    QVERIFY(!enabled(TBinaryEditor::TMenuCommand::Paste));
    editor.MenuAction(TBinaryEditor::TMenuCommand::Delete)->trigger();
    QCOMPARE(stream.size(), 7);
    editor.SetReadOnly(false);
    editor.MenuAction(TBinaryEditor::TMenuCommand::Delete)->trigger();
    QVERIFY(stream.isEmpty());
    QVERIFY(!enabled(TBinaryEditor::TMenuCommand::SelectAll));

    // Clear empties the data and goes back to the top.
    stream = QByteArray(1000, 'c');
    editor.AttachStream(&stream);
    QTest::keyClick(&editor, Qt::Key_End, Qt::ControlModifier);
    QVERIFY(editor.TopLine() > 0);
    editor.Clear();
    QVERIFY(stream.isEmpty());
    QCOMPARE(editor.TopLine(), 0);
    QVERIFY(!editor.verticalScrollBar()->isEnabled());
}

void BinaryEditorTest::editorKeysWinOverShortcuts() {
    // The form around the editor has commands on the same keys (as the main window has).
    QWidget form;
    int triggered = 0;
    for (const QKeySequence& keys : {QKeySequence(Qt::CTRL | Qt::Key_C), QKeySequence(Qt::Key_Delete),
                                     QKeySequence(Qt::Key_Right), QKeySequence(Qt::Key_A), QKeySequence(Qt::Key_F5)}) {
        auto* action = new QAction(&form);
        action->setShortcut(keys);
        action->setShortcutContext(Qt::WindowShortcut);
        QObject::connect(action, &QAction::triggered, [&triggered] { ++triggered; });
        form.addAction(action);
    }
    auto* editor = new TBinaryEditor(&form);
    QByteArray stream("xyz");
    editor->AttachStream(&stream);
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    editor->setFocus();
    QTest::keyClick(editor, Qt::Key_Right);
    QTest::keyClick(editor, Qt::Key_Right, Qt::ShiftModifier);
    QTest::keyClick(editor, Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("y"));
    QTest::keyClick(editor, Qt::Key_Delete);
    QTest::keyClick(editor, Qt::Key_F4);
    QTest::keyClick(editor, Qt::Key_A);
    QCOMPARE(stream, QByteArray("xaz"));
    QCOMPARE(triggered, 0);
    QTest::keyClick(editor, Qt::Key_F5);  // not the editor's
    QCOMPARE(triggered, 1);
}

void BinaryEditorTest::editorMouse() {
    TBinaryEditor editor;
    QByteArray stream(100, 'm');
    SetUpBlobEditor(editor, stream);
    QVERIFY(QTest::qWaitForWindowExposed(&editor));
    const TBinaryLayout& layout = editor.Layout();
    QWidget* view = editor.viewport();
    QSignalSpy selections(&editor, &TBinaryEditor::OnSelectionChange);
    const QPoint hexCell17 = layout.HexCellRect(1, 1).center();
    const QPoint charCell20 = layout.AsciiCellRect(4, 1).center();

    QTest::mouseClick(view, Qt::LeftButton, {}, hexCell17);
    QCOMPARE(editor.CaretPos(), 17);
    QVERIFY(!editor.CaretInAscii());
    QTest::mouseClick(view, Qt::LeftButton, {}, charCell20);
    QCOMPARE(editor.CaretPos(), 20);
    QVERIFY(editor.CaretInAscii());
    QCOMPARE(selections.count(), 0);

    // Double click: exactly that byte; Shift+Right then takes one more.
    QTest::mouseDClick(view, Qt::LeftButton, {}, hexCell17);
    QCOMPARE(editor.SelStart(), 17);
    QCOMPARE(editor.SelLength(), 1);
    QCOMPARE(editor.CaretPos(), 18);
    QTest::keyClick(&editor, Qt::Key_Right, Qt::ShiftModifier);
    QCOMPARE(editor.SelLength(), 2);

    // Dragging across cells selects; a press without movement drops the selection.
    QTest::mousePress(view, Qt::LeftButton, {}, hexCell17);
    QMouseEvent move(QEvent::MouseMove, QPointF(layout.HexCellRect(3, 2).center()), view->mapToGlobal(QPointF()),
                     Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(view, &move);
    QTest::mouseRelease(view, Qt::LeftButton, {}, layout.HexCellRect(3, 2).center());
    QCOMPARE(editor.SelStart(), 17);
    QCOMPARE(editor.SelLength(), 18);
    selections.clear();
    QTest::mouseClick(view, Qt::LeftButton, {}, charCell20);
    QCOMPARE(editor.SelLength(), 0);
    QCOMPARE(selections.count(), 1);  // reported once, when the button comes up

    // Below the data the caret goes to the end.
    QTest::mouseClick(view, Qt::LeftButton, {}, QPoint(layout.HexTextX(9), 160));
    QCOMPARE(editor.CaretPos(), 100);
}

void BinaryEditorTest::editorDragBelowScrollsByTimer() {
    TBinaryEditor editor;
    QByteArray stream(4000, 'd');
    SetUpBlobEditor(editor, stream);
    QVERIFY(QTest::qWaitForWindowExposed(&editor));
    QWidget* view = editor.viewport();
    // From the last whole line, so that every line the drag adds needs scrolling.
    const int lastRow = editor.VisibleLines() - 1;
    const QPoint start = editor.Layout().HexCellRect(2, lastRow).center();
    QTest::mousePress(view, Qt::LeftButton, {}, start);
    const auto moveTo = [view](QPoint point) {
        QMouseEvent move(QEvent::MouseMove, QPointF(point), view->mapToGlobal(QPointF(point)), Qt::NoButton,
                         Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(view, &move);
    };
    moveTo(QPoint(start.x(), view->height() + 20));  // starts the timer only
    const int pressed = lastRow * 16 + 2;
    QCOMPARE(editor.CaretPos(), pressed);
    moveTo(QPoint(start.x(), view->height() + 25));  // a further movement: one line
    QCOMPARE(editor.CaretPos(), pressed + 16);
    QCOMPARE(editor.TopLine(), 1);
    // The timer goes on a line per tick, and no faster than a line per interval.
    QElapsedTimer clock;
    clock.start();
    QTRY_VERIFY_WITH_TIMEOUT(editor.CaretPos() >= pressed + 6 * 16, 5000);
    const int afterWait = editor.CaretPos();
    const qint64 waited = clock.elapsed();
    const int ticks = (afterWait - pressed) / 16 - 1;
    QVERIFY2(ticks <= waited / 55 + 1, qPrintable(QStringLiteral("%1 lines in %2 ms").arg(ticks).arg(waited)));
    QCOMPARE(afterWait % 16, 2);  // whole lines, same column
    QCOMPARE(editor.SelStart(), pressed);
    QCOMPARE(editor.SelLength(), afterWait - pressed);
    QVERIFY(editor.TopLine() > 0);  // the caret is kept in view
    QVERIFY(editor.TopLine() + editor.VisibleLines() > afterWait / 16);

    // Back inside, the timer stops; after the release nothing moves any more.
    moveTo(editor.Layout().HexCellRect(2, 3).center());
    const int inside = editor.CaretPos();
    QCOMPARE(inside, (editor.TopLine() + 3) * 16 + 2);
    QTest::qWait(150);
    QCOMPARE(editor.CaretPos(), inside);
    moveTo(QPoint(start.x(), -10));
    moveTo(QPoint(start.x(), -12));
    QTest::mouseRelease(view, Qt::LeftButton, {}, QPoint(start.x(), -12));
    const int released = editor.CaretPos();
    QCOMPARE(released, inside - 16);
    QTest::qWait(150);
    QCOMPARE(editor.CaretPos(), released);
    QCOMPARE(editor.SelStart(), qMin(released, pressed));
    QCOMPARE(editor.SelLength(), qAbs(pressed - released));
}

void BinaryEditorTest::editorPaintsCellsAndSelection() {
    TBinaryEditor editor;
    QByteArray stream = Bytes("00112233445566778899aabbccddeeff41");
    SetUpBlobEditor(editor, stream);
    editor.SetColor(Qt::white);
    editor.SetSelectionColor(QColor(0, 0, 200));
    QVERIFY(QTest::qWaitForWindowExposed(&editor));
    const TBinaryLayout& layout = editor.Layout();
    QTest::mouseDClick(editor.viewport(), Qt::LeftButton, {}, layout.HexCellRect(5, 0).center());
    QCOMPARE(editor.SelStart(), 5);

    const auto pixel = [&editor](QPoint point) { return editor.viewport()->grab().toImage().pixelColor(point); };
    // The band covers the whole cell, its corners too; the neighbours stay clear.
    const QRect selected = layout.HexCellRect(5, 0);
    QCOMPARE(pixel(selected.topLeft() + QPoint(1, 0)), QColor(0, 0, 200));
    QCOMPARE(pixel(selected.bottomRight()), QColor(0, 0, 200));
    QCOMPARE(pixel(layout.AsciiCellRect(5, 0).topLeft()), QColor(0, 0, 200));
    QCOMPARE(pixel(layout.HexCellRect(6, 0).topRight()), QColor(Qt::white));
    QCOMPARE(pixel(layout.HexCellRect(4, 0).topLeft()), QColor(Qt::white));

    // 16 bytes: the offsets 0000 and 0010 show, the second line empty; no third offset.
    QByteArray sixteen(16, '\x20');
    editor.AttachStream(&sixteen);
    const QImage image = editor.viewport()->grab().toImage();
    const auto inked = [&image, &layout](QRect rect) {
        for (int y = rect.top(); y <= rect.bottom(); ++y)
            for (int x = rect.left(); x <= rect.right(); ++x)
                if (image.pixelColor(x, y) != QColor(Qt::white)) return true;
        return false;
    };
    const auto offsetArea = [&layout](int row) {
        return QRect(0, layout.RowY(row), layout.HexCellRect(0, row).left(), layout.ItemHeight());
    };
    QVERIFY(inked(offsetArea(0)));
    QVERIFY(inked(offsetArea(1)));
    QVERIFY(!inked(offsetArea(2)));
    QVERIFY(inked(layout.HexCellRect(15, 0)));
    QVERIFY(!inked(layout.HexCellRect(0, 1)));
    // With HideSelection the band goes while another control has the focus.
    QWidget other;
    other.setFocusPolicy(Qt::StrongFocus);
    other.show();
    QVERIFY(QTest::qWaitForWindowExposed(&other));
    editor.SetHideSelection(true);
    other.activateWindow();
    other.setFocus();
    QTRY_VERIFY(!editor.hasFocus());
    QCOMPARE(pixel(selected.bottomRight()), QColor(Qt::white));
}

void BinaryEditorTest::editorScrollingRepaintsOnlyTheUncoveredStrip() {
    TBinaryEditor editor;
    QByteArray stream(65535, '\x5a');
    SetUpBlobEditor(editor, stream);
    QVERIFY(QTest::qWaitForWindowExposed(&editor));
    const int visible = editor.VisibleLines();
    QVERIFY(visible >= 10);
    QVERIFY(editor.ScrollingPossible());
    QCOMPARE(editor.verticalScrollBar()->maximum(), 4096 - visible);
    QCOMPARE(editor.verticalScrollBar()->pageStep(), visible);

    TPaintRecorder recorder(editor.viewport());
    QCoreApplication::processEvents();
    recorder.painted = QRegion();
    // Down from the last whole line moves the view by one line.
    for (int i = 0; i < visible; ++i) QTest::keyClick(&editor, Qt::Key_Down);
    QCOMPARE(editor.TopLine(), 1);
    QCoreApplication::processEvents();
    const int viewArea = editor.viewport()->width() * editor.viewport()->height();
    QVERIFY2(TotalArea(recorder.painted) <= viewArea / visible * 3,
             qPrintable(QStringLiteral("%1 of %2").arg(TotalArea(recorder.painted)).arg(viewArea)));

    // Ctrl+End shows the end; the empty line after the last full line is there too.
    QTest::keyClick(&editor, Qt::Key_End, Qt::ControlModifier);
    QCOMPARE(editor.CaretPos(), 65535);
    QCOMPARE(editor.TopLine(), 4096 - visible);
    // A page up puts the caret's line just above the view: it becomes the top line.
    QTest::keyClick(&editor, Qt::Key_PageUp);
    QCOMPARE(editor.CaretPos(), 65535 - visible * 16);
    QCOMPARE(editor.TopLine(), 4095 - visible);
    QTest::keyClick(&editor, Qt::Key_PageUp);
    QCOMPARE(editor.TopLine(), 4095 - 2 * visible);
    editor.verticalScrollBar()->setValue(0);
    QCOMPARE(editor.TopLine(), 0);
    // Brought back from above, the caret's line is the last whole line shown.
    editor.ScrollToCaret();
    QCOMPARE(editor.TopLine(), 4095 - 2 * visible - visible + 1);
}

void BinaryEditorTest::editorLargestBlobStaysQuick() {
    TBinaryEditor editor;
    QByteArray stream(65535 - 400, '\x33');
    SetUpBlobEditor(editor, stream);
    QVERIFY(QTest::qWaitForWindowExposed(&editor));
    editor.setFocus();
    QTest::keyClick(&editor, Qt::Key_PageDown);
    QTest::keyClick(&editor, Qt::Key_PageDown);

    // Typing at the start of the data moves every byte behind it, and repaints.
    QElapsedTimer timer;
    timer.start();
    for (int i = 0; i < 200; ++i) {
        QTest::keyClick(&editor, Qt::Key_Home, Qt::ControlModifier);
        QTest::keyClicks(&editor, QStringLiteral("ab"));
        editor.viewport()->repaint();
    }
    for (int i = 0; i < 100; ++i) {
        QTest::keyClick(&editor, Qt::Key_PageDown);
        editor.viewport()->repaint();
    }
    const qint64 elapsed = timer.elapsed();
    QCOMPARE(stream.size(), 65535 - 200);
    QVERIFY(stream.startsWith(QByteArray(200, '\xab')));
    // Far below a visible pause per key, even on a busy machine.
    QVERIFY2(elapsed < 300 * 25, qPrintable(QStringLiteral("%1 ms").arg(elapsed)));
}

QTEST_MAIN(BinaryEditorTest)
#include "binaryeditor_test.moc"
