// The key editor dialog and its type frames: what each frame shows of a value buffer and the
// encoding OK writes back, Cancel and read-only dialogs that write nothing, numbers a key
// cannot hold, dates outside the stored years, the byte frames' labels and their file loading
// and saving with the size limits, and the dialog's caption, size and buttons.
#include <QApplication>
#include <QDateEdit>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPainter>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimeEdit>
#include <QTimer>
#include <QToolButton>
#include <QtEndian>
#include <bit>
#include <deque>
#include <functional>
#include <limits>
#include <memory>
#include <stdexcept>

#include "editors/pickerformats.h"
#include "editors/tbinaryeditor.h"
#include "editors/tblobkeyeditor.h"
#include "editors/tcurrencyedit.h"
#include "editors/tcurrencykeyeditor.h"
#include "editors/tdatekeyeditor.h"
#include "editors/tfloatedit.h"
#include "editors/tfloatkeyeditor.h"
#include "editors/tintegeredit.h"
#include "editors/tintegerkeyeditor.h"
#include "editors/tkeyeditorform.h"
#include "editors/tsequencekeyeditor.h"
#include "editors/tstringkeyeditor.h"
#include "engine/keytypes.h"
#include "ui/timagestrip.h"

using namespace kelmor;

namespace {

// Answers the modal windows that open while a test runs, one handler each, in order, and
// notes the texts of the message boxes. A modal window nobody expected is closed and noted.
class TModalHelper : public QObject {
public:
    using THandler = std::function<void(QWidget*)>;

    TModalHelper() {
        auto* timer = new QTimer(this);
        timer->setInterval(10);
        connect(timer, &QTimer::timeout, this, &TModalHelper::Poll);
        timer->start();
    }
    TModalHelper& Then(THandler handler) {
        handlers_.push_back(std::move(handler));
        return *this;
    }
    // Presses OK in a message box.
    TModalHelper& Message() {
        return Then([](QWidget* modal) {
            if (auto* box = qobject_cast<QMessageBox*>(modal); box && box->button(QMessageBox::Ok))
                box->button(QMessageBox::Ok)->click();
            else modal->close();
        });
    }
    const QStringList& Messages() const { return messages_; }
    bool AllAnswered() const { return handlers_.empty(); }

private:
    void Poll() {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal || modal == last_ || !modal->isVisible()) return;
        last_ = modal;
        if (auto* box = qobject_cast<QMessageBox*>(modal)) messages_.append(box->text());
        else messages_.append(QStringLiteral("<%1>").arg(modal->windowTitle()));
        if (handlers_.empty()) {
            messages_.last().prepend(QStringLiteral("unexpected "));
            modal->close();
            return;
        }
        THandler handler = std::move(handlers_.front());
        handlers_.pop_front();
        handler(modal);
    }

    std::deque<THandler> handlers_;
    QStringList messages_;
    QPointer<QWidget> last_;
};

template <class T>
QByteArray LE(T value) {
    using Bits = std::conditional_t<
        sizeof(T) == 1, uint8_t,
        std::conditional_t<sizeof(T) == 2, uint16_t, std::conditional_t<sizeof(T) == 4, uint32_t, uint64_t>>>;
    QByteArray bytes(sizeof(T), '\0');
    qToLittleEndian<Bits>(std::bit_cast<Bits>(value), bytes.data());
    return bytes;
}

QByteArray ShortString(const QByteArray& text) {
    QByteArray stored(256, '\0');
    stored[0] = static_cast<char>(text.size());
    stored.replace(1, text.size(), text);
    return stored;
}

double Days(const QDate& date) { return static_cast<double>(QDate(1899, 12, 30).daysTo(date)); }

QColor ImageColour(int index) { return QColor::fromHsv((index * 37) % 360, 200, 120 + index * 2); }

// A command strip whose 45 images are plain colours, so that a picture tells its index.
const TImageStrip& Images() {
    static TImageStrip strip;
    static QTemporaryDir dir;
    if (strip.Count() == 0) {
        QPixmap picture(45 * TImageStrip::kImageSize, TImageStrip::kImageSize);
        QPainter painter(&picture);
        for (int i = 0; i < 45; ++i)
            painter.fillRect(i * TImageStrip::kImageSize, 0, TImageStrip::kImageSize, TImageStrip::kImageSize,
                             ImageColour(i));
        painter.end();
        const QString path = dir.filePath(QStringLiteral("commands.png"));
        picture.save(path);
        strip.Load(path);
    }
    return strip;
}

TRegionalSettings Settings() {
    TRegionalSettings settings;
    settings.decimalSeparator = ',';
    settings.thousandsSeparator = '.';
    settings.shortDateFormat = "dd/mm/yyyy";
    settings.longTimeFormat = "hh:nn:ss";
    return settings;
}

// A shown dialog over `buffer` and `length`.
std::unique_ptr<TKeyEditorForm> Open(QByteArray& buffer, int& length, uint8_t type, bool readOnly = false,
                                     const QString& name = QStringLiteral("Key & Name")) {
    auto form = std::make_unique<TKeyEditorForm>(nullptr, readOnly, length, buffer, name, type, Images(), Settings());
    form->show();
    if (!QTest::qWaitForWindowActive(form.get())) return nullptr;
    return form;
}

// Types text beyond ASCII, which keyClicks cannot.
void TypeText(QWidget* widget, const QString& text) {
    for (const QChar ch : text) QTest::sendKeyEvent(QTest::Click, widget, Qt::Key_unknown, QString(ch), Qt::NoModifier);
}

QLineEdit* NumberBox(TKeyEditorForm& form) { return qobject_cast<QLineEdit*>(form.Frame()->ValueControl()); }

}  // namespace

Q_DECLARE_METATYPE(uint8_t)

class KeyEditorTest : public QObject {
    Q_OBJECT
private slots:
    void captionAndFrame_data();
    void captionAndFrame();
    void unknownTypeIsRefused();
    void sizeAndButtons_data();
    void sizeAndButtons();
    void numberKeys_data();
    void numberKeys();
    void numbersTheKeyCannotHoldAreRefused_data();
    void numbersTheKeyCannotHoldAreRefused();
    void enterInANumberEditIsOk();
    void execAnswersOkAndCancel();
    void stringKey();
    void dateKey_data();
    void dateKey();
    void datesOutsideTheStoredYearsAreRefused();
    void pickerFormats_data();
    void pickerFormats();
    void binaryKeysShowSizeAndCaret();
    void binaryKeyEditing();
    void loadFileLimits_data();
    void loadFileLimits();
    void loadAndSaveThroughTheirDialogs();
    void fileErrorsAreReportedAndChangeNothing();
    void readOnlyWritesNothing_data();
    void readOnlyWritesNothing();
    void cancelWritesNothing();
};

// ---- Dialog ------------------------------------------------------------------------------

void KeyEditorTest::captionAndFrame_data() {
    QTest::addColumn<uint8_t>("type");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("frameClass");
    QTest::addColumn<int>("image");
    QTest::addColumn<QSize>("frameSize");
    QTest::newRow("byte") << ktByte << "Edit Byte Value"
                          << "kelmor::TIntegerKeyEditor" << 7 << QSize(364, 56);
    QTest::newRow("integer") << ktInteger << "Edit Integer Value"
                             << "kelmor::TIntegerKeyEditor" << 8 << QSize(364, 56);
    QTest::newRow("longint") << ktLongint << "Edit Longint Value"
                             << "kelmor::TIntegerKeyEditor" << 9 << QSize(364, 56);
    QTest::newRow("float") << ktFloat << "Edit Float Value"
                           << "kelmor::TFloatKeyEditor" << 10 << QSize(364, 56);
    QTest::newRow("string") << ktString << "Edit String Value"
                            << "kelmor::TStringKeyEditor" << 11 << QSize(362, 56);
    QTest::newRow("sequence") << ktSequence << "Edit Sequence Value"
                              << "kelmor::TSequenceKeyEditor" << 12 << QSize(354, 213);
    QTest::newRow("blob") << ktBlob << "Edit Blob Value"
                          << "kelmor::TBlobKeyEditor" << 13 << QSize(545, 228);
    QTest::newRow("currency") << ktCurrency << "Edit Currency Value"
                              << "kelmor::TCurrencyKeyEditor" << 35 << QSize(364, 56);
    QTest::newRow("double") << ktDouble << "Edit Double Value"
                            << "kelmor::TFloatKeyEditor" << 36 << QSize(364, 56);
    QTest::newRow("date") << ktDate << "Edit Datetime Value"
                          << "kelmor::TDateKeyEditor" << 44 << QSize(376, 87);
}

void KeyEditorTest::captionAndFrame() {
    QFETCH(uint8_t, type);
    QFETCH(QString, caption);
    QFETCH(QString, frameClass);
    QFETCH(int, image);
    QFETCH(QSize, frameSize);
    QByteArray buffer(65535, '\0');
    int length = 0;
    auto form = Open(buffer, length, type);
    QVERIFY(form);
    QCOMPARE(form->windowTitle(), caption);
    QCOMPARE(QString::fromLatin1(form->Frame()->metaObject()->className()), frameClass);
    QCOMPARE(form->Frame()->size(), frameSize);
    QCOMPARE(form->Frame()->KeyTypeCode(), int(type));
    QCOMPARE(form->Frame()->ImageIndex(), image);
    // The indicator shows that picture of the strip.
    const QImage indicator = form->Frame()->Indicator()->grab().toImage();
    QCOMPARE(indicator.pixelColor(8, 8).rgb(), ImageColour(image).rgb());
    // The value control has the focus, the label's access key leads to it, and the name
    // shows literally in a box the focus never reaches.
    QCOMPARE(QApplication::focusWidget(), form->Frame()->ValueControl());
    QCOMPARE(form->Frame()->ValueLabel()->buddy(), form->Frame()->ValueControl());
    QCOMPARE(form->DescriptionBox()->text(), QStringLiteral("Key & Name"));
    QCOMPARE(form->DescriptionBox()->focusPolicy(), Qt::NoFocus);
    QVERIFY(form->DescriptionBox()->isReadOnly());
}

void KeyEditorTest::unknownTypeIsRefused() {
    QByteArray buffer(8, '\0');
    int length = 0;
    for (const uint8_t type : {uint8_t(0), uint8_t(11), ktName}) {
        QVERIFY_THROWS_EXCEPTION(std::invalid_argument,
                                 TKeyEditorForm(nullptr, false, length, buffer, QString(), type, Images(), Settings()));
    }
    QCOMPARE(TKeyEditorForm::TypeName(11), QString());
}

void KeyEditorTest::sizeAndButtons_data() {
    QTest::addColumn<uint8_t>("type");
    QTest::addColumn<bool>("readOnly");
    QTest::newRow("string") << ktString << false;
    QTest::newRow("blob") << ktBlob << false;
    QTest::newRow("date read-only") << ktDate << true;
    QTest::newRow("sequence read-only") << ktSequence << true;
}

void KeyEditorTest::sizeAndButtons() {
    QFETCH(uint8_t, type);
    QFETCH(bool, readOnly);
    QByteArray buffer(65535, '\0');
    int length = 0;
    auto form = Open(buffer, length, type, readOnly);
    QVERIFY(form);
    TCommonKeyFrame* frame = form->Frame();
    // Border, description, frame and button panel, nothing more; the frame is not cut.
    QCOMPARE(form->size(), QSize(frame->width() + 4 + 16, 65 + frame->height() + 4 + 41 + 16));
    QVERIFY(QRect(QPoint(0, 0), form->size()).contains(QRect(frame->mapTo(form.get(), QPoint(0, 0)), frame->size())));
    QVERIFY(!form->isSizeGripEnabled());
    QCOMPARE(form->minimumSize(), form->maximumSize());
    const int w = form->CancelButton()->parentWidget()->width();
    QCOMPARE(form->CancelButton()->size(), QSize(73, 25));
    QCOMPARE(form->CancelButton()->y(), 16);
    if (readOnly) {
        QVERIFY(!form->OkButton()->isVisible());
        QCOMPARE(form->CancelButton()->text(), QStringLiteral("Close"));
        QVERIFY(form->CancelButton()->isDefault());
        QCOMPARE(form->CancelButton()->x(), w / 2 - 36);
        QCOMPARE(QApplication::focusWidget(), form->CancelButton());
    } else {
        QVERIFY(form->OkButton()->isVisible());
        QVERIFY(form->OkButton()->isDefault());
        QCOMPARE(form->CancelButton()->text(), QStringLiteral("Cancel"));
        QCOMPARE(form->OkButton()->x(), (w / 7) * 2 - 36);
        QCOMPARE(form->CancelButton()->x(), (w / 7) * 5 - 36);
    }
}

// ---- Number keys -------------------------------------------------------------------------

void KeyEditorTest::numberKeys_data() {
    QTest::addColumn<uint8_t>("type");
    QTest::addColumn<QByteArray>("buffer");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<QString>("typed");  // null: left as shown
    QTest::addColumn<QByteArray>("stored");
    const float fmax = std::numeric_limits<float>::max();
    const float finf = std::numeric_limits<float>::infinity();
    QTest::newRow("byte as shown") << ktByte << LE<uint8_t>(200) << "200" << QString() << LE<uint8_t>(200);
    QTest::newRow("byte highest") << ktByte << LE<uint8_t>(200) << "200"
                                  << "255" << LE<uint8_t>(255);
    QTest::newRow("byte lowest") << ktByte << LE<uint8_t>(1) << "1"
                                 << "0" << LE<uint8_t>(0);
    QTest::newRow("integer negative") << ktInteger << LE<int16_t>(-2) << "-2"
                                      << "-32768" << LE<int16_t>(-32768);
    QTest::newRow("integer highest") << ktInteger << LE<int16_t>(7) << "7"
                                     << "32767" << LE<int16_t>(32767);
    QTest::newRow("longint lowest") << ktLongint << LE<int32_t>(70000) << "70000"
                                    << "-2147483648" << LE<int32_t>(std::numeric_limits<int32_t>::min());
    QTest::newRow("longint no number is 0") << ktLongint << LE<int32_t>(5) << "5"
                                            << "abc" << LE<int32_t>(0);
    QTest::newRow("float rounds to 3 decimals")
        << ktFloat << LE<float>(1.23456f) << "1,235" << QString() << LE<float>(1.235f);
    QTest::newRow("float typed") << ktFloat << LE<float>(0) << "0,000"
                                 << "-2,5E3" << LE<float>(-2500.0f);
    QTest::newRow("float largest kept") << ktFloat << LE<float>(fmax) << "3,40282346638529E38" << QString()
                                        << LE<float>(fmax);
    QTest::newRow("float infinity kept") << ktFloat << LE<float>(finf) << "INF" << QString() << LE<float>(finf);
    QTest::newRow("float no number is 0") << ktFloat << LE<float>(3) << "3,000"
                                          << "," << LE<float>(0);
    QTest::newRow("double general") << ktDouble << LE<double>(0.1) << "0,1" << QString() << LE<double>(0.1);
    QTest::newRow("double 15 digits") << ktDouble << LE<double>(1.0 / 3) << "0,333333333333333" << QString()
                                      << LE<double>(0.333333333333333);
    QTest::newRow("double typed") << ktDouble << LE<double>(0) << "0"
                                  << "2,5E-7" << LE<double>(2.5e-7);
    QTest::newRow("double largest") << ktDouble << LE<double>(1) << "1"
                                    << "1,79769313486232E308" << LE<double>(std::numeric_limits<double>::max());
    QTest::newRow("currency 3 decimals") << ktCurrency << LE<int64_t>(12345678) << "1234,568" << QString()
                                         << LE<int64_t>(12345680);
    QTest::newRow("currency typed") << ktCurrency << LE<int64_t>(0) << "0,000"
                                    << "-0,5" << LE<int64_t>(-5000);
    QTest::newRow("currency large") << ktCurrency << LE<int64_t>(0) << "0,000"
                                    << "922337203685477" << LE<int64_t>(9223372036854770000);
}

void KeyEditorTest::numberKeys() {
    QFETCH(uint8_t, type);
    QFETCH(QByteArray, buffer);
    QFETCH(QString, shown);
    QFETCH(QString, typed);
    QFETCH(QByteArray, stored);
    int length = buffer.size();
    auto form = Open(buffer, length, type);
    QVERIFY(form);
    QLineEdit* box = NumberBox(*form);
    QVERIFY(box);
    QCOMPARE(box->text(), shown);
    if (!typed.isNull()) box->setText(typed);
    TModalHelper modals;
    form->OkButton()->click();
    QCOMPARE(modals.Messages(), QStringList());
    QCOMPARE(form->result(), int(QDialog::Accepted));
    QVERIFY(!form->isVisible());
    QCOMPARE(buffer.toHex(), stored.toHex());
}

void KeyEditorTest::numbersTheKeyCannotHoldAreRefused_data() {
    QTest::addColumn<uint8_t>("type");
    QTest::addColumn<QByteArray>("buffer");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("message");
    const QString byteRange = QStringLiteral("The value must be a whole number from 0 to 255.");
    const QString integerRange = QStringLiteral("The value must be a whole number from -32768 to 32767.");
    const QString longintRange = QStringLiteral("The value must be a whole number from -2147483648 to 2147483647.");
    const QString floatRange =
        QStringLiteral("The value must be a number from -3,40282346638529E38 to 3,40282346638529E38.");
    const QString doubleRange =
        QStringLiteral("The value must be a number from -1,79769313486232E308 to 1,79769313486232E308.");
    const QString currencyRange =
        QStringLiteral("The value must be an amount from -922337203685477,5808 to 922337203685477,5807.");
    QTest::newRow("byte 256") << ktByte << LE<uint8_t>(9) << "256" << byteRange;
    QTest::newRow("byte -1") << ktByte << LE<uint8_t>(9) << "-1" << byteRange;
    QTest::newRow("integer 32768") << ktInteger << LE<int16_t>(9) << "32768" << integerRange;
    QTest::newRow("integer -32769") << ktInteger << LE<int16_t>(9) << "-32769" << integerRange;
    QTest::newRow("longint 2^31") << ktLongint << LE<int32_t>(9) << "2147483648" << longintRange;
    QTest::newRow("longint beyond 64 bits") << ktLongint << LE<int32_t>(9) << "99999999999999999999999" << longintRange;
    QTest::newRow("float 1E39") << ktFloat << LE<float>(9) << "1E39" << floatRange;
    QTest::newRow("float -3,5E38") << ktFloat << LE<float>(9) << "-3,5E38" << floatRange;
    QTest::newRow("float beyond double") << ktFloat << LE<float>(9) << "1E400" << floatRange;
    QTest::newRow("double 1E400") << ktDouble << LE<double>(9) << "1E400" << doubleRange;
    QTest::newRow("currency 1E15") << ktCurrency << LE<int64_t>(90000) << "1E15" << currencyRange;
    QTest::newRow("currency -922337203685478")
        << ktCurrency << LE<int64_t>(90000) << "-922337203685478" << currencyRange;
}

void KeyEditorTest::numbersTheKeyCannotHoldAreRefused() {
    QFETCH(uint8_t, type);
    QFETCH(QByteArray, buffer);
    QFETCH(QString, typed);
    QFETCH(QString, message);
    const QByteArray before = buffer;
    int length = buffer.size();
    auto form = Open(buffer, length, type);
    QVERIFY(form);
    QLineEdit* box = NumberBox(*form);
    box->setText(typed);
    form->CancelButton()->setFocus();
    TModalHelper modals;
    modals.Message();
    form->OkButton()->click();
    QCOMPARE(modals.Messages(), QStringList{message});
    // The dialog stays, nothing is written, and the focus is back in the edit.
    QVERIFY(form->isVisible());
    QCOMPARE(buffer, before);
    QCOMPARE(form->focusWidget(), box);
    QCOMPARE(box->selectedText(), typed);
    // A value the key can hold then closes the dialog.
    box->setText(QStringLiteral("12"));
    form->OkButton()->click();
    QCOMPARE(form->result(), int(QDialog::Accepted));
    QVERIFY(buffer != before);
}

void KeyEditorTest::enterInANumberEditIsOk() {
    QByteArray buffer = LE<int16_t>(5);
    int length = 2;
    auto form = Open(buffer, length, ktInteger);
    QVERIFY(form);
    QLineEdit* box = NumberBox(*form);
    QTest::keyClick(box, Qt::Key_Up);
    QTest::keyClick(box, Qt::Key_Return);
    QCOMPARE(form->result(), int(QDialog::Accepted));
    QCOMPARE(buffer, LE<int16_t>(6));
}

void KeyEditorTest::execAnswersOkAndCancel() {
    for (const bool ok : {true, false}) {
        QByteArray buffer = LE<uint8_t>(200);
        int length = 1;
        TKeyEditorForm form(nullptr, false, length, buffer, QStringLiteral("Count"), ktByte, Images(), Settings());
        TModalHelper modals;
        modals.Then([ok](QWidget* modal) {
            auto* editor = qobject_cast<TKeyEditorForm*>(modal);
            if (!editor) {
                modal->close();
                return;
            }
            QTest::keyClick(editor->Frame()->ValueControl(), Qt::Key_Down);
            if (ok) editor->OkButton()->click();
            else editor->CancelButton()->click();
        });
        QCOMPARE(form.exec(), ok ? int(QDialog::Accepted) : int(QDialog::Rejected));
        QVERIFY(modals.AllAnswered());
        QCOMPARE(buffer, LE<uint8_t>(ok ? 199 : 200));
    }
}

// ---- String and date keys ----------------------------------------------------------------

void KeyEditorTest::stringKey() {
    QByteArray buffer = ShortString("Hello");
    int length = 255;
    auto form = Open(buffer, length, ktString);
    QVERIFY(form);
    auto* box = static_cast<TStringKeyEditor*>(form->Frame())->EStringBox();
    QCOMPARE(box->text(), QStringLiteral("Hello"));
    QCOMPARE(box->maxLength(), 255);
    // Characters that Latin-1 lacks are refused as they are typed; its own go in.
    box->selectAll();
    TypeText(box, QStringLiteral("Grüße €"));
    QCOMPARE(box->text(), QStringLiteral("Grüße "));
    form->OkButton()->click();
    QCOMPARE(form->result(), int(QDialog::Accepted));
    QCOMPARE(buffer, ShortString(QByteArray("Gr\xfc\xdf"
                                            "e ")));

    // The longest string, and the length byte alone deciding what is read.
    QByteArray full = ShortString(QByteArray(255, 'x'));
    form = Open(full, length, ktString);
    QVERIFY(form);
    QCOMPARE(static_cast<TStringKeyEditor*>(form->Frame())->EStringBox()->text(), QString(255, QLatin1Char('x')));
    QByteArray shortened = ShortString("abc");
    shortened[0] = 2;
    form = Open(shortened, length, ktString);
    QVERIFY(form);
    QCOMPARE(static_cast<TStringKeyEditor*>(form->Frame())->EStringBox()->text(), QStringLiteral("ab"));
}

void KeyEditorTest::dateKey_data() {
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("dateText");
    QTest::addColumn<QString>("timeText");
    QTest::addColumn<QDate>("newDate");  // null: left as shown
    QTest::addColumn<QTime>("newTime");
    QTest::addColumn<double>("stored");
    QTest::newRow("time only changed") << 36936.75 << "14/02/2001"
                                       << "18:00:00" << QDate() << QTime(6, 0) << 36936.25;
    QTest::newRow("as shown") << 36936.75 << "14/02/2001"
                              << "18:00:00" << QDate() << QTime() << 36936.75;
    QTest::newRow("date only changed") << Days(QDate(1990, 7, 1)) + 0.5 << "01/07/1990"
                                       << "12:00:00" << QDate(2024, 2, 29) << QTime() << Days(QDate(2024, 2, 29)) + 0.5;
    QTest::newRow("no date stays no date") << 0.0 << "30/12/1899"
                                           << "00:00:00" << QDate() << QTime() << 0.0;
    QTest::newRow("first and last moments")
        << Days(QDate(1980, 1, 1)) << "01/01/1980"
        << "00:00:00" << QDate(2099, 12, 31) << QTime(23, 59, 58) << Days(QDate(2099, 12, 31)) + (86400.0 - 2) / 86400;
}

void KeyEditorTest::dateKey() {
    QFETCH(double, value);
    QFETCH(QString, dateText);
    QFETCH(QString, timeText);
    QFETCH(QDate, newDate);
    QFETCH(QTime, newTime);
    QFETCH(double, stored);
    QByteArray buffer = LE<double>(value);
    int length = 8;
    auto form = Open(buffer, length, ktDate);
    QVERIFY(form);
    auto* frame = static_cast<TDateKeyEditor*>(form->Frame());
    QCOMPARE(frame->EDateInp()->text(), dateText);
    QCOMPARE(frame->ETimeInp()->text(), timeText);
    QVERIFY(frame->EDateInp()->calendarPopup());
    QCOMPARE(frame->ValueLabel()->text(), QStringLiteral("&Date:"));
    QCOMPARE(frame->TimeLabel()->buddy(), frame->ETimeInp());
    if (newDate.isValid()) frame->EDateInp()->setDate(newDate);
    if (newTime.isValid()) frame->ETimeInp()->setTime(newTime);
    form->OkButton()->click();
    QCOMPARE(form->result(), int(QDialog::Accepted));
    QCOMPARE(qFromLittleEndian<double>(buffer.constData()), stored);
}

void KeyEditorTest::datesOutsideTheStoredYearsAreRefused() {
    const double value = 36936.75;
    for (const QDate& date : {QDate(1979, 12, 31), QDate(2100, 1, 1), QDate(1899, 12, 30)}) {
        QByteArray buffer = LE<double>(value);
        int length = 8;
        auto form = Open(buffer, length, ktDate);
        QVERIFY(form);
        auto* frame = static_cast<TDateKeyEditor*>(form->Frame());
        frame->EDateInp()->setDate(date);
        form->CancelButton()->setFocus();
        TModalHelper modals;
        modals.Message();
        form->OkButton()->click();
        QCOMPARE(modals.Messages(),
                 QStringList{QStringLiteral("The date must lie between 01/01/1980 and 31/12/2099.")});
        QVERIFY(form->isVisible());
        QCOMPARE(buffer, LE<double>(value));
        QCOMPARE(form->focusWidget(), frame->EDateInp());
    }
}

void KeyEditorTest::pickerFormats_data() {
    QTest::addColumn<QString>("tokens");
    QTest::addColumn<QString>("format");
    QTest::newRow("day month year") << "dd/mm/yyyy"
                                    << "dd/MM/yyyy";
    QTest::newRow("short fields") << "d.m.yy"
                                  << "d.M.yy";
    QTest::newRow("month names") << "ddd d mmmm yyyy"
                                 << "ddd d MMMM yyyy";
    QTest::newRow("upper case") << "YYYY-MM-DD"
                                << "yyyy-MM-dd";
    QTest::newRow("24 hours") << "hh:nn:ss"
                              << "hh:mm:ss";
    QTest::newRow("m after the hour") << "h:mm"
                                      << "h:mm";
    QTest::newRow("am/pm") << "h:nn:ss am/pm"
                           << "h:mm:ss ap";
    QTest::newRow("AMPM text") << "hh:nn AMPM"
                               << "hh:mm AP";
    QTest::newRow("milliseconds") << "hh:nn:ss.zzz"
                                  << "hh:mm:ss.zzz";
    QTest::newRow("quoted and literal letters") << "yyyy\"de\"mm'x'dd T"
                                                << "yyyy'de'MM'x'dd 'T'";
    QTest::newRow("quote inside") << "dd\"'\"mm"
                                  << "dd''''MM";
}

void KeyEditorTest::pickerFormats() {
    QFETCH(QString, tokens);
    QFETCH(QString, format);
    QCOMPARE(PickerFormat(tokens.toLatin1().toStdString()), format);
}

// ---- Sequence and blob keys --------------------------------------------------------------

void KeyEditorTest::binaryKeysShowSizeAndCaret() {
    QByteArray empty(255, '\0');
    int length = 0;
    auto form = Open(empty, length, ktSequence);
    QVERIFY(form);
    auto* frame = static_cast<TBinaryKeyFrame*>(form->Frame());
    QCOMPARE(frame->SizeText()->text(), QStringLiteral("00h"));
    QCOMPARE(frame->CursorText()->text(), QStringLiteral("00h"));
    QCOMPARE(frame->BinaryEditor()->MaxSize(), 255);
    QCOMPARE(frame->BinaryEditor()->BytesPerLine(), 8);
    QCOMPARE(frame->BinaryEditor()->IndexDigits(), 2);
    QCOMPARE(frame->LoadButton()->toolTip(), QStringLiteral("Load file"));
    QCOMPARE(frame->SaveButton()->toolTip(), QStringLiteral("Save file"));

    QByteArray blob(65535, '\0');
    for (int i = 0; i < blob.size(); ++i) blob[i] = static_cast<char>(i * 7);
    length = 256;
    form = Open(blob, length, ktBlob);
    QVERIFY(form);
    frame = static_cast<TBinaryKeyFrame*>(form->Frame());
    QCOMPARE(frame->SizeText()->text(), QStringLiteral("0100h"));
    QCOMPARE(frame->Stream(), blob.left(256));
    QCOMPARE(frame->BinaryEditor()->MaxSize(), 65535);
    QCOMPARE(frame->BinaryEditor()->BytesPerLine(), 16);
    QCOMPARE(frame->BinaryEditor()->IndexDigits(), 4);
    QTest::keyClick(frame->BinaryEditor(), Qt::Key_End, Qt::ControlModifier);
    QCOMPARE(frame->CursorText()->text(), QStringLiteral("0100h"));
    QTest::keyClick(frame->BinaryEditor(), Qt::Key_Up);
    QCOMPARE(frame->CursorText()->text(), QStringLiteral("00F0h"));
    QTest::keyClick(frame->BinaryEditor(), Qt::Key_Delete);
    QCOMPARE(frame->SizeText()->text(), QStringLiteral("00FFh"));

    // A length beyond the buffer reads only the buffer.
    QByteArray shortBuffer("\x01\x02\x03", 3);
    length = 200;
    form = Open(shortBuffer, length, ktSequence);
    QVERIFY(form);
    QCOMPARE(static_cast<TBinaryKeyFrame*>(form->Frame())->SizeText()->text(), QStringLiteral("03h"));
}

void KeyEditorTest::binaryKeyEditing() {
    QByteArray buffer(255, '\0');
    buffer.replace(0, 3, QByteArray("\xAA\xBB\xCC", 3));
    int length = 3;
    auto form = Open(buffer, length, ktSequence);
    QVERIFY(form);
    auto* frame = static_cast<TBinaryKeyFrame*>(form->Frame());
    QCOMPARE(QApplication::focusWidget(), frame->BinaryEditor());
    QTest::keyClicks(frame->BinaryEditor(), QStringLiteral("41"));
    QCOMPARE(frame->SizeText()->text(), QStringLiteral("04h"));
    QCOMPARE(frame->CursorText()->text(), QStringLiteral("01h"));
    QCOMPARE(length, 3);                                     // nothing reaches the caller before OK
    QTest::keyClick(frame->BinaryEditor(), Qt::Key_Return);  // Enter is the dialog's
    QCOMPARE(form->result(), int(QDialog::Accepted));
    QCOMPARE(length, 4);
    QCOMPARE(buffer.size(), 255);
    QCOMPARE(buffer.left(5), QByteArray("\x41\xAA\xBB\xCC\x00", 5));
}

void KeyEditorTest::loadFileLimits_data() {
    QTest::addColumn<uint8_t>("type");
    QTest::addColumn<int>("fileSize");
    QTest::addColumn<QString>("refusal");  // empty: accepted
    const QString sequence = QStringLiteral("Files of 256 bytes or lower are only supported.");
    const QString blob = QStringLiteral("Files of 64K or lower are only supported.");
    QTest::newRow("sequence empty file") << ktSequence << 0 << QString();
    QTest::newRow("sequence 255") << ktSequence << 255 << QString();
    QTest::newRow("sequence 256") << ktSequence << 256 << sequence;
    QTest::newRow("sequence 65536") << ktSequence << 65536 << sequence;
    QTest::newRow("blob 65535") << ktBlob << 65535 << QString();
    QTest::newRow("blob 65536") << ktBlob << 65536 << blob;
    QTest::newRow("blob 1 MB") << ktBlob << (1 << 20) << blob;
}

void KeyEditorTest::loadFileLimits() {
    QFETCH(uint8_t, type);
    QFETCH(int, fileSize);
    QFETCH(QString, refusal);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("data.bin"));
    QByteArray content(fileSize, '\0');
    for (int i = 0; i < fileSize; ++i) content[i] = static_cast<char>(i * 13 + 1);
    {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        QCOMPARE(file.write(content), qint64(fileSize));
    }
    const int capacity = type == ktSequence ? 255 : 65535;
    QByteArray buffer(capacity, '\x5A');
    int length = 5;
    auto form = Open(buffer, length, type);
    QVERIFY(form);
    auto* frame = static_cast<TBinaryKeyFrame*>(form->Frame());
    QTest::keyClick(frame->BinaryEditor(), Qt::Key_Right);  // the caret goes back to the start on loading
    TModalHelper modals;
    if (!refusal.isEmpty()) modals.Message();
    QCOMPARE(frame->LoadFile(path), refusal.isEmpty());
    QCOMPARE(modals.Messages(), refusal.isEmpty() ? QStringList() : QStringList{refusal});
    const QByteArray expected = refusal.isEmpty() ? content : QByteArray(5, '\x5A');
    QCOMPARE(frame->Stream(), expected);
    const int digits = type == ktSequence ? 2 : 4;
    QCOMPARE(frame->SizeText()->text(),
             QStringLiteral("%1").arg(expected.size(), digits, 16, QLatin1Char('0')).toUpper() + 'h');
    QCOMPARE(frame->BinaryEditor()->CaretPos(), refusal.isEmpty() ? 0 : 1);
    form->OkButton()->click();
    QCOMPARE(length, int(expected.size()));
    QCOMPARE(buffer.size(), capacity);
    QCOMPARE(buffer.left(length), expected);
}

void KeyEditorTest::loadAndSaveThroughTheirDialogs() {
    QTemporaryDir dir;
    const QString source = dir.filePath(QStringLiteral("source"));  // no extension: still offered
    {
        QFile file(source);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("\x00\x01\x02\xFFloaded", 10);
    }
    QByteArray buffer(65535, '\0');
    int length = 0;
    auto form = Open(buffer, length, ktBlob);
    QVERIFY(form);
    auto* frame = static_cast<TBinaryKeyFrame*>(form->Frame());
    const QString target = dir.filePath(QStringLiteral("saved.dat"));
    QString loadTitle, saveTitle;
    TModalHelper modals;
    modals.Then([&](QWidget* modal) {
        auto* dialog = qobject_cast<QFileDialog*>(modal);
        if (!dialog) {
            modal->close();
            return;
        }
        loadTitle = dialog->windowTitle();
        QCOMPARE(dialog->fileMode(), QFileDialog::ExistingFile);
        dialog->selectFile(source);
        static_cast<QDialog*>(dialog)->accept();
    });
    modals.Then([&](QWidget* modal) {
        auto* dialog = qobject_cast<QFileDialog*>(modal);
        if (!dialog) {
            modal->close();
            return;
        }
        saveTitle = dialog->windowTitle();
        QCOMPARE(dialog->acceptMode(), QFileDialog::AcceptSave);
        dialog->selectFile(target);
        static_cast<QDialog*>(dialog)->accept();
    });
    frame->LoadButton()->click();
    QCOMPARE(loadTitle, QStringLiteral("Load file"));
    QCOMPARE(frame->Stream(), QByteArray("\x00\x01\x02\xFFloaded", 10));
    QCOMPARE(frame->SizeText()->text(), QStringLiteral("000Ah"));
    frame->SaveButton()->click();
    QCOMPARE(saveTitle, QStringLiteral("Save file"));
    QVERIFY(modals.AllAnswered());
    QFile saved(target);
    QVERIFY(saved.open(QIODevice::ReadOnly));
    QCOMPARE(saved.readAll(), QByteArray("\x00\x01\x02\xFFloaded", 10));

    // Saving replaces a longer file's whole content.
    QFile longer(target);
    QVERIFY(longer.open(QIODevice::WriteOnly));
    longer.write(QByteArray(1000, 'z'));
    longer.close();
    QVERIFY(frame->SaveFile(target));
    saved.close();
    QVERIFY(saved.open(QIODevice::ReadOnly));
    QCOMPARE(saved.readAll(), QByteArray("\x00\x01\x02\xFFloaded", 10));
}

void KeyEditorTest::fileErrorsAreReportedAndChangeNothing() {
    QTemporaryDir dir;
    QByteArray buffer(255, '\0');
    buffer[0] = 'q';
    int length = 1;
    auto form = Open(buffer, length, ktSequence);
    QVERIFY(form);
    auto* frame = static_cast<TBinaryKeyFrame*>(form->Frame());
    TModalHelper modals;
    modals.Message().Message();
    const QString missing = dir.filePath(QStringLiteral("missing"));
    QVERIFY(!frame->LoadFile(missing));
    QVERIFY(!frame->SaveFile(dir.filePath(QStringLiteral("no folder/file"))));
    QCOMPARE(modals.Messages().size(), 2);
    QVERIFY(modals.Messages().at(0).startsWith(QStringLiteral("Cannot open file \"%1\".").arg(missing)));
    QVERIFY(modals.Messages().at(1).startsWith(QStringLiteral("Cannot create file")));
    QCOMPARE(frame->Stream(), QByteArray("q"));
    QVERIFY(!QFile::exists(dir.filePath(QStringLiteral("no folder"))));
}

// ---- Read-only and Cancel ----------------------------------------------------------------

void KeyEditorTest::readOnlyWritesNothing_data() {
    QTest::addColumn<uint8_t>("type");
    QTest::addColumn<int>("key");
    for (const uint8_t type :
         {ktByte, ktInteger, ktLongint, ktFloat, ktString, ktSequence, ktBlob, ktCurrency, ktDouble, ktDate}) {
        for (const int key : {int(Qt::Key_Return), int(Qt::Key_Escape)}) {
            const QString name = TKeyEditorForm::TypeName(type) + (key == Qt::Key_Return ? " Enter" : " Escape");
            QTest::newRow(name.toLatin1().constData()) << type << key;
        }
    }
}

void KeyEditorTest::readOnlyWritesNothing() {
    QFETCH(uint8_t, type);
    QFETCH(int, key);
    QByteArray buffer(65535, '\0');
    buffer.replace(0, 8, LE<double>(36936.75));
    buffer[0] = 3;  // also the string's length and a byte's value
    const QByteArray before = buffer;
    int length = 3;
    auto form = Open(buffer, length, type, true);
    QVERIFY(form);
    QCOMPARE(form->CancelButton()->text(), QStringLiteral("Close"));
    QVERIFY(!form->OkButton()->isVisible());
    QWidget* control = form->Frame()->ValueControl();
    if (auto* edit = qobject_cast<QLineEdit*>(control)) {
        QVERIFY(edit->isReadOnly());
        const QString text = edit->text();
        QTest::keyClicks(edit, QStringLiteral("12"));
        QTest::keyClick(edit, Qt::Key_Up);
        QCOMPARE(edit->text(), text);
    } else if (auto* binary = qobject_cast<TBinaryEditor*>(control)) {
        auto* frame = static_cast<TBinaryKeyFrame*>(form->Frame());
        QVERIFY(binary->ReadOnly());
        QVERIFY(!frame->LoadButton()->isEnabled());
        QVERIFY(frame->SaveButton()->isEnabled());
        binary->setFocus();
        QTest::keyClicks(binary, QStringLiteral("41"));
        QTest::keyClick(binary, Qt::Key_Delete);
        QCOMPARE(frame->Stream(), before.left(3));
    } else {
        auto* frame = static_cast<TDateKeyEditor*>(form->Frame());
        QVERIFY(!frame->EDateInp()->isEnabled());
        QVERIFY(!frame->ETimeInp()->isEnabled());
    }
    // Even OK pressed from outside stores nothing.
    form->accept();
    QCOMPARE(form->result(), int(QDialog::Rejected));
    form->show();
    QVERIFY(QTest::qWaitForWindowActive(form.get()));
    QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : form.get(), Qt::Key(key));
    QVERIFY(!form->isVisible());
    QCOMPARE(form->result(), int(QDialog::Rejected));
    QCOMPARE(buffer, before);
    QCOMPARE(length, 3);
}

void KeyEditorTest::cancelWritesNothing() {
    for (const uint8_t type : {ktBlob, ktString, ktDate, ktCurrency}) {
        QByteArray buffer(65535, '\0');
        buffer.replace(0, 8, LE<double>(36936.75));
        buffer[0] = 4;
        const QByteArray before = buffer;
        int length = 4;
        auto form = Open(buffer, length, type);
        QVERIFY(form);
        if (auto* frame = qobject_cast<TBinaryKeyFrame*>(form->Frame())) {
            QTest::keyClicks(frame->BinaryEditor(), QStringLiteral("FFEE"));
            QCOMPARE(frame->SizeText()->text(), QStringLiteral("0006h"));
        } else if (auto* date = qobject_cast<TDateKeyEditor*>(form->Frame())) {
            date->EDateInp()->setDate(QDate(2020, 1, 1));
        } else {
            qobject_cast<QLineEdit*>(form->Frame()->ValueControl())->setText(QStringLiteral("99"));
        }
        QTest::keyClick(form->Frame()->ValueControl(), Qt::Key_Escape);
        QVERIFY(!form->isVisible());
        QCOMPARE(form->result(), int(QDialog::Rejected));
        QCOMPARE(buffer, before);
        QCOMPARE(length, 4);
    }
}

QTEST_MAIN(KeyEditorTest)
#include "keyeditor_test.moc"
