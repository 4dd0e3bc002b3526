// The number edits: the filter on typed keys, the value that follows the text, the notations,
// stepping within the limits by keys, wheel and spin buttons, the spin buttons' state, OnChange
// and Created, Enter and Escape in a dialog, and the minimum height.
#include <QApplication>
#include <QClipboard>
#include <QDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>
#include <QVBoxLayout>
#include <QWheelEvent>
#include <cmath>
#include <limits>
#include <memory>

#include "editors/tcurrencyedit.h"
#include "editors/tfloatedit.h"
#include "editors/tintegeredit.h"
#include "editors/tspinbuttons.h"

using namespace kelmor;

namespace {

int beeps = 0;

// The edits with their beep counted instead of sounded.
template <class Edit>
class TCounted : public Edit {
public:
    using Edit::Edit;

protected:
    void Beep() override { ++beeps; }
};

enum Kind { kInteger, kFloat, kCurrency };

TRegionalSettings Settings(char decimalSeparator) {
    TRegionalSettings settings;
    settings.decimalSeparator = decimalSeparator;
    settings.thousandsSeparator = decimalSeparator == ',' ? '.' : ',';
    return settings;
}

std::unique_ptr<TCustomNumberEdit> MakeEdit(int kind, char decimalSeparator = '.') {
    std::unique_ptr<TCustomNumberEdit> edit;
    if (kind == kInteger) edit = std::make_unique<TCounted<TIntegerEdit>>();
    else if (kind == kFloat) edit = std::make_unique<TCounted<TFloatEdit>>();
    else edit = std::make_unique<TCounted<TCurrencyEdit>>();
    edit->SetRegionalSettings(Settings(decimalSeparator));
    return edit;
}

// The value in the edit's own unit (ten-thousandths for currency).
double ValueOf(const TCustomNumberEdit& edit) {
    if (const auto* e = dynamic_cast<const TIntegerEdit*>(&edit)) return e->Value();
    if (const auto* e = dynamic_cast<const TFloatEdit*>(&edit)) return e->Value();
    return static_cast<double>(dynamic_cast<const TCurrencyEdit&>(edit).Value());
}

QWheelEvent Wheel(int angle) {
    return QWheelEvent(QPointF(5, 5), QPointF(5, 5), QPoint(), QPoint(0, angle), Qt::NoButton, Qt::NoModifier,
                       Qt::NoScrollPhase, false);
}

}  // namespace

class NumberEditTest : public QObject {
    Q_OBJECT
private slots:
    void init() { beeps = 0; }

    void typedCharactersAreFiltered_data();
    void typedCharactersAreFiltered();
    void controlKeysAndPasting();
    void valueIsTheParseOfTheText_data();
    void valueIsTheParseOfTheText();
    void floatNotations_data();
    void floatNotations();
    void currencyNotation_data();
    void currencyNotation();
    void precisionFormatAndSettingsShowTheValueAgain();
    void steppingKeepsWithinTheLimits_data();
    void steppingKeepsWithinTheLimits();
    void floatSteppingRefusesLimitsAndOverflow();
    void keysWheelAndButtonsStep_data();
    void keysWheelAndButtonsStep();
    void spinButtonsFollowTheEditsState();
    void onChangeFiresOnceCreated();
    void enterAndEscapeActOnTheDialog_data();
    void enterAndEscapeActOnTheDialog();
    void minimumHeightFollowsTheFont();
};

void NumberEditTest::typedCharactersAreFiltered_data() {
    QTest::addColumn<int>("kind");
    QTest::addColumn<char>("separator");
    QTest::addColumn<QString>("keys");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("refused");
    QTest::addColumn<double>("value");

    QTest::newRow("integer refuses a letter") << int(kInteger) << '.' << "12a"
                                              << "12" << 1 << 12.0;
    QTest::newRow("integer takes signs") << int(kInteger) << '.' << "-+7"
                                         << "-+7" << 0 << 0.0;
    QTest::newRow("integer refuses the separator") << int(kInteger) << '.' << "1.5"
                                                   << "15" << 1 << 15.0;
    QTest::newRow("integer refuses blanks") << int(kInteger) << '.' << " 3 "
                                            << "3" << 2 << 3.0;
    QTest::newRow("float takes an exponent") << int(kFloat) << '.' << "-1.5e+3"
                                             << "-1.5e+3" << 0 << -1500.0;
    QTest::newRow("float takes a capital E") << int(kFloat) << '.' << "2E2"
                                             << "2E2" << 0 << 200.0;
    QTest::newRow("float refuses the group separator") << int(kFloat) << '.' << "1,234"
                                                       << "1234" << 1 << 1234.0;
    QTest::newRow("float with a comma separator") << int(kFloat) << ',' << "1,5"
                                                  << "1,5" << 0 << 1.5;
    QTest::newRow("float with a comma refuses the dot") << int(kFloat) << ',' << "1.5"
                                                        << "15" << 1 << 15.0;
    QTest::newRow("currency refuses an exponent") << int(kCurrency) << '.' << "2.5e1"
                                                  << "2.51" << 1 << 25100.0;
    QTest::newRow("currency with a comma separator") << int(kCurrency) << ',' << "-2,5"
                                                     << "-2,5" << 0 << -25000.0;
    QTest::newRow("letters beyond ASCII are refused")
        << int(kCurrency) << '.' << QString::fromUtf8("4\u00e9\u20ac") << "4" << 2 << 40000.0;
}

void NumberEditTest::typedCharactersAreFiltered() {
    QFETCH(int, kind);
    QFETCH(char, separator);
    QFETCH(QString, keys);
    auto edit = MakeEdit(kind, separator);
    edit->clear();
    // Sent as typed characters, whatever their key (the keyboard layout decides that).
    for (const QChar c : keys) {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(c));
        QApplication::sendEvent(edit.get(), &press);
    }
    QTEST(edit->text(), "text");
    QTEST(beeps, "refused");
    QTEST(ValueOf(*edit), "value");
}

void NumberEditTest::controlKeysAndPasting() {
    TCounted<TIntegerEdit> edit;
    edit.setText("123");
    edit.selectAll();
    QTest::keyClick(&edit, Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(QApplication::clipboard()->text(), QString("123"));
    QTest::keyClick(&edit, Qt::Key_X, Qt::ControlModifier);
    QCOMPARE(edit.text(), QString());
    QTest::keyClick(&edit, Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(edit.text(), QString("123"));
    QCOMPARE(beeps, 0);

    // Other control characters are refused.
    edit.end(false);
    QTest::keyClick(&edit, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(&edit, Qt::Key_K, Qt::ControlModifier);
    QCOMPARE(beeps, 2);
    QCOMPARE(edit.selectedText(), QString());
    QCOMPARE(edit.text(), QString("123"));

    // Pasted text is not filtered; the value is the parse of what is there.
    QApplication::clipboard()->setText("abc");
    edit.selectAll();
    QTest::keyClick(&edit, Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(edit.text(), QString("abc"));
    QCOMPARE(edit.Value(), 0);
    QTest::keyClick(&edit, Qt::Key_Home);
    QTest::keyClick(&edit, Qt::Key_Delete);
    QTest::keyClick(&edit, Qt::Key_End);
    QTest::keyClick(&edit, Qt::Key_Backspace);
    QCOMPARE(edit.text(), QString("b"));
    QCOMPARE(beeps, 2);
}

void NumberEditTest::valueIsTheParseOfTheText_data() {
    QTest::addColumn<int>("kind");
    QTest::addColumn<char>("separator");
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("value");

    QTest::newRow("integer") << int(kInteger) << '.' << "42" << 42.0;
    QTest::newRow("integer with blanks and sign") << int(kInteger) << '.' << " -17 " << -17.0;
    QTest::newRow("integer plus sign") << int(kInteger) << '.' << "+5" << 5.0;
    QTest::newRow("integer empty") << int(kInteger) << '.' << "" << 0.0;
    QTest::newRow("integer lone minus") << int(kInteger) << '.' << "-" << 0.0;
    QTest::newRow("integer largest") << int(kInteger) << '.' << "2147483647" << 2147483647.0;
    QTest::newRow("integer smallest") << int(kInteger) << '.' << "-2147483648" << -2147483648.0;
    QTest::newRow("integer beyond 32 bits") << int(kInteger) << '.' << "2147483648" << 0.0;
    QTest::newRow("integer with letters") << int(kInteger) << '.' << "12abc" << 0.0;
    QTest::newRow("float exponent") << int(kFloat) << '.' << "1.5e-3" << 0.0015;
    QTest::newRow("float without leading digit") << int(kFloat) << '.' << "-.5" << -0.5;
    QTest::newRow("float comma") << int(kFloat) << ',' << "2,25" << 2.25;
    QTest::newRow("float dot when the separator is a comma") << int(kFloat) << ',' << "2.25" << 0.0;
    QTest::newRow("float too large") << int(kFloat) << '.' << "1e400" << 0.0;
    QTest::newRow("float letters") << int(kFloat) << '.' << "abc" << 0.0;
    QTest::newRow("currency rounds to ten-thousandths") << int(kCurrency) << '.' << "1.23456" << 12346.0;
    QTest::newRow("currency half to even, down") << int(kCurrency) << '.' << "0.00005" << 0.0;
    QTest::newRow("currency half to even, up") << int(kCurrency) << '.' << "0.00015" << 2.0;
    QTest::newRow("currency negative comma") << int(kCurrency) << ',' << "-1,5" << -15000.0;
    QTest::newRow("currency exponent in pasted text") << int(kCurrency) << '.' << "1e2" << 1000000.0;
    QTest::newRow("currency beyond 64 bits") << int(kCurrency) << '.' << "922337203685477.5808" << 0.0;
    QTest::newRow("currency letters") << int(kCurrency) << '.' << "1.2x" << 0.0;
}

void NumberEditTest::valueIsTheParseOfTheText() {
    QFETCH(int, kind);
    QFETCH(char, separator);
    QFETCH(QString, text);
    auto edit = MakeEdit(kind, separator);
    edit->setText(text);
    QCOMPARE(edit->text(), text);
    QTEST(ValueOf(*edit), "value");
}

void NumberEditTest::floatNotations_data() {
    QTest::addColumn<TFloatFormat>("format");
    QTest::addColumn<int>("precision");
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("shown");  // the value the text reads back as

    const auto fixed = TFloatFormat::Fixed;
    const auto general = TFloatFormat::General;
    const auto exponent = TFloatFormat::Exponent;
    const auto number = TFloatFormat::Number;
    const double inf = std::numeric_limits<double>::infinity();
    QTest::newRow("fixed rounds to its decimals") << fixed << 3 << 1.23456 << "1.235" << 1.235;
    QTest::newRow("fixed tie away from zero") << fixed << 2 << 0.125 << "0.13" << 0.13;
    QTest::newRow("fixed no minus on zero") << fixed << 2 << -0.001 << "0.00" << 0.0;
    QTest::newRow("fixed no decimals") << fixed << 0 << -2.5 << "-3" << -3.0;
    QTest::newRow("fixed 15 significant digits") << fixed << 20 << 0.1 << "0.10000000000000000000" << 0.1;
    QTest::newRow("fixed digits beyond 15 are zeros")
        << fixed << 5 << 123456789012.3456 << "123456789012.34600" << 123456789012.346;
    QTest::newRow("fixed too large for 15 digits") << fixed << 2 << 1e15 << "1E15" << 1e15;
    QTest::newRow("fixed infinity") << fixed << 2 << -inf << "-INF" << -inf;
    QTest::newRow("number groups") << number << 2 << 1234567.891 << "1,234,567.89" << 1234567.89;
    QTest::newRow("number negative") << number << 2 << -1234.5 << "-1,234.50" << -1234.5;
    QTest::newRow("number carry into a group") << number << 2 << 999.999 << "1,000.00" << 1000.0;
    QTest::newRow("currency notation groups") << TFloatFormat::Currency << 1 << 1234.56 << "1,234.6" << 1234.6;
    QTest::newRow("general plain") << general << 2 << 0.1 << "0.1" << 0.1;
    QTest::newRow("general 15 digits") << general << 2 << 1.0 / 3 << "0.333333333333333" << 0.333333333333333;
    QTest::newRow("general exponent digits") << general << 2 << 1.5e-7 << "1.5E-07" << 1.5e-7;
    QTest::newRow("general no exponent padding") << general << 0 << 1e20 << "1E20" << 1e20;
    QTest::newRow("general padding stops at three") << general << 15 << 1e20 << "1E020" << 1e20;
    QTest::newRow("general large") << general << 2 << 123456789012345678.0 << "1.23456789012346E17"
                                   << 1.23456789012346e17;
    QTest::newRow("exponent") << exponent << 2 << 1234.5 << "1.23E+03" << 1230.0;
    QTest::newRow("exponent no decimals") << exponent << 0 << -0.00056 << "-6E-04" << -0.0006;
    QTest::newRow("exponent zero") << exponent << 2 << 0.0 << "0.00E+00" << 0.0;
    QTest::newRow("exponent 15 digits") << exponent << 20 << 1.0 / 3 << "3.33333333333333E-01" << 0.333333333333333;
}

void NumberEditTest::floatNotations() {
    QFETCH(TFloatFormat, format);
    QFETCH(int, precision);
    QFETCH(double, value);
    TFloatEdit edit;
    edit.SetFormat(format);
    edit.SetPrecision(precision);
    edit.SetValue(value);
    QFETCH(double, shown);
    QTEST(edit.text(), "text");
    // Exactly the parse of the text, not the value set.
    QVERIFY2(edit.Value() == shown, qPrintable(QString::number(edit.Value(), 'g', 17)));
    // Set again while the text already shows it: the value still becomes the parse of the text.
    edit.SetValue(value);
    QVERIFY2(edit.Value() == shown, qPrintable(QString::number(edit.Value(), 'g', 17)));
}

void NumberEditTest::currencyNotation_data() {
    QTest::addColumn<int>("precision");
    QTest::addColumn<qint64>("value");
    QTest::addColumn<QString>("text");
    QTest::addColumn<qint64>("shown");

    const qint64 largest = std::numeric_limits<qint64>::max();
    const qint64 smallest = std::numeric_limits<qint64>::min();
    QTest::newRow("two decimals") << 2 << qint64(12345) << "1.23" << qint64(12300);
    QTest::newRow("three decimals, a 5 rounds away") << 3 << qint64(12345) << "1.235" << qint64(12350);
    QTest::newRow("no decimals, negative") << 0 << qint64(-25000) << "-3" << qint64(-30000);
    QTest::newRow("no minus on zero") << 3 << qint64(-4) << "0.000" << qint64(0);
    QTest::newRow("largest, two decimals") << 2 << largest << "922337203685477.58" << qint64(9223372036854775800);
    QTest::newRow("largest does not round beyond the type")
        << 3 << largest << "922337203685477.580" << qint64(9223372036854775800);
    QTest::newRow("smallest does not round beyond the type")
        << 0 << smallest << "-922337203685477" << qint64(-9223372036854770000);
}

void NumberEditTest::currencyNotation() {
    QFETCH(int, precision);
    QFETCH(qint64, value);
    TCurrencyEdit edit;
    edit.SetPrecision(precision);
    edit.SetValue(value);
    QTEST(edit.text(), "text");
    QTEST(qint64(edit.Value()), "shown");
}

void NumberEditTest::precisionFormatAndSettingsShowTheValueAgain() {
    TFloatEdit number;
    QCOMPARE(number.text(), QString("0.00"));
    number.SetValue(1.5);
    number.SetPrecision(4);
    QCOMPARE(number.text(), QString("1.5000"));
    number.SetFormat(TFloatFormat::General);
    QCOMPARE(number.text(), QString("1.5"));
    number.SetRegionalSettings(Settings(','));
    QCOMPARE(number.text(), QString("1,5"));
    QCOMPARE(number.Value(), 1.5);

    TCurrencyEdit currency;
    currency.SetValue(15000);
    QCOMPARE(currency.text(), QString("1.50"));
    currency.SetPrecision(3);
    QCOMPARE(currency.text(), QString("1.500"));
    // Beyond three decimals (or below none) the old precision stays.
    currency.SetPrecision(5);
    currency.SetPrecision(-1);
    QCOMPARE(currency.Precision(), 3);
    QCOMPARE(currency.text(), QString("1.500"));
    currency.SetRegionalSettings(Settings(','));
    QCOMPARE(currency.text(), QString("1,500"));
    QCOMPARE(currency.Value(), 15000);
}

void NumberEditTest::steppingKeepsWithinTheLimits_data() {
    QTest::addColumn<int>("kind");
    QTest::addColumn<qint64>("min");
    QTest::addColumn<qint64>("max");
    QTest::addColumn<qint64>("increment");
    QTest::addColumn<qint64>("start");
    QTest::addColumn<QString>("steps");  // u up, d down
    QTest::addColumn<qint64>("value");
    QTest::addColumn<int>("refused");

    const qint64 top32 = std::numeric_limits<int32_t>::max();
    const qint64 bottom32 = std::numeric_limits<int32_t>::min();
    const qint64 top64 = std::numeric_limits<qint64>::max();
    QTest::newRow("byte up at 255") << int(kInteger) << 0ll << 255ll << 1ll << 255ll << "u" << 255ll << 1;
    QTest::newRow("byte down at 0") << int(kInteger) << 0ll << 255ll << 1ll << 0ll << "d" << 0ll << 1;
    QTest::newRow("byte up to 255") << int(kInteger) << 0ll << 255ll << 1ll << 254ll << "u" << 255ll << 0;
    QTest::newRow("no limits") << int(kInteger) << 0ll << 0ll << 1ll << 0ll << "ddd" << -3ll << 0;
    QTest::newRow("increment stops short") << int(kInteger) << 0ll << 12ll << 5ll << 0ll << "uuu" << 10ll << 1;
    QTest::newRow("negative range") << int(kInteger) << -10ll << -5ll << 2ll << -10ll << "uuuu" << -6ll << 2;
    QTest::newRow("outside the limits") << int(kInteger) << 0ll << 9ll << 1ll << 20ll << "ud" << 20ll << 2;
    QTest::newRow("32-bit top") << int(kInteger) << 0ll << 0ll << 1ll << top32 << "u" << top32 << 1;
    QTest::newRow("32-bit bottom") << int(kInteger) << 0ll << 0ll << 1ll << bottom32 << "d" << bottom32 << 1;
    QTest::newRow("currency step keeps the shown amount")
        << int(kCurrency) << 0ll << 0ll << 10000ll << 15049ll << "u" << 25000ll << 0;
    QTest::newRow("currency at its limit")
        << int(kCurrency) << 0ll << 50000ll << 10000ll << 50000ll << "uu" << 50000ll << 2;
    QTest::newRow("currency at the top of the type")
        << int(kCurrency) << 0ll << 0ll << 10000ll << top64 << "ud" << qint64(9223372036854765800) << 1;
}

void NumberEditTest::steppingKeepsWithinTheLimits() {
    QFETCH(int, kind);
    QFETCH(qint64, min);
    QFETCH(qint64, max);
    QFETCH(qint64, increment);
    QFETCH(qint64, start);
    QFETCH(QString, steps);
    QFETCH(qint64, value);
    auto edit = MakeEdit(kind);
    const auto current = [&edit]() -> qint64 {
        if (auto* integer = dynamic_cast<TIntegerEdit*>(edit.get())) return integer->Value();
        return dynamic_cast<TCurrencyEdit*>(edit.get())->Value();
    };
    if (auto* integer = dynamic_cast<TIntegerEdit*>(edit.get())) {
        integer->SetMin(int32_t(min));
        integer->SetMax(int32_t(max));
        integer->SetIncrement(int32_t(increment));
        integer->SetValue(int32_t(start));
    } else {
        auto* currency = dynamic_cast<TCurrencyEdit*>(edit.get());
        currency->SetMin(min);
        currency->SetMax(max);
        currency->SetIncrement(increment);
        currency->SetValue(start);
    }
    for (const QChar step : steps) {
        if (step == 'u') edit->StepUp();
        else edit->StepDown();
    }
    QCOMPARE(current(), value);
    QTEST(beeps, "refused");
    // The text shows the value: reading it back gives the same value.
    const QString shown = edit->text();
    edit->setText(QString());
    edit->setText(shown);
    QCOMPARE(current(), value);
}

void NumberEditTest::floatSteppingRefusesLimitsAndOverflow() {
    TCounted<TFloatEdit> edit;
    edit.SetMin(0);
    edit.SetMax(1);
    edit.SetIncrement(0.25);
    edit.SetValue(0.5);
    edit.StepUp();
    edit.StepUp();
    QCOMPARE(edit.text(), QString("1.00"));
    edit.StepUp();
    QCOMPARE(beeps, 1);
    QCOMPARE(edit.Value(), 1.0);

    edit.SetMin(0);
    edit.SetMax(0);
    edit.SetFormat(TFloatFormat::General);
    edit.SetIncrement(1e308);
    edit.SetValue(1.7e308);
    edit.StepUp();
    QCOMPARE(beeps, 2);
    QCOMPARE(edit.text(), QString("1.7E308"));
    edit.StepDown();
    QCOMPARE(edit.text(), QString("7E307"));
}

void NumberEditTest::keysWheelAndButtonsStep_data() {
    QTest::addColumn<QString>("input");
    QTest::addColumn<bool>("readOnly");
    QTest::addColumn<bool>("showSpin");
    QTest::addColumn<int>("change");
    QTest::addColumn<bool>("accepted");  // the key or wheel event was handled by the edit

    QTest::newRow("up key") << "up" << false << true << 1 << true;
    QTest::newRow("down key") << "down" << false << true << -1 << true;
    QTest::newRow("wheel toward the user counts up") << "wheel -120" << false << true << 1 << false;
    QTest::newRow("wheel away counts down") << "wheel 120" << false << true << -1 << false;
    QTest::newRow("two half notches make a step") << "wheel -60 -60" << false << true << 1 << false;
    QTest::newRow("upper button") << "upper" << false << true << 1 << true;
    QTest::newRow("lower button") << "lower" << false << true << -1 << true;
    QTest::newRow("read-only up key is swallowed") << "up" << true << true << 0 << true;
    QTest::newRow("read-only wheel") << "wheel -120" << true << true << 0 << false;
    QTest::newRow("read-only button") << "upper" << true << true << 0 << true;
    QTest::newRow("no spin: up key as in any edit") << "up" << false << false << 0 << false;
    QTest::newRow("no spin: wheel") << "wheel -120" << false << false << 0 << false;
}

void NumberEditTest::keysWheelAndButtonsStep() {
    QFETCH(QString, input);
    QFETCH(bool, readOnly);
    QFETCH(bool, showSpin);
    TIntegerEdit edit;
    edit.SetValue(10);
    edit.setReadOnly(readOnly);
    edit.SetShowSpin(showSpin);
    edit.show();
    QVERIFY(QTest::qWaitForWindowExposed(&edit));

    bool accepted = true;
    const QStringList words = input.split(' ');
    if (words[0] == "up" || words[0] == "down") {
        QKeyEvent key(QEvent::KeyPress, words[0] == "up" ? Qt::Key_Up : Qt::Key_Down, Qt::NoModifier);
        QApplication::sendEvent(&edit, &key);
        accepted = key.isAccepted();
    } else if (words[0] == "wheel") {
        for (qsizetype i = 1; i < words.size(); ++i) {
            QWheelEvent wheel = Wheel(words[i].toInt());
            QApplication::sendEvent(&edit, &wheel);
            accepted = accepted && wheel.isAccepted();
        }
    } else {
        QToolButton* button = words[0] == "upper" ? edit.SpinButtons()->UpButton() : edit.SpinButtons()->DownButton();
        QTest::mouseClick(button, Qt::LeftButton);
    }
    QTEST(edit.Value() - 10, "change");
    QTEST(accepted, "accepted");
}

void NumberEditTest::spinButtonsFollowTheEditsState() {
    QWidget form;
    auto* edit = new TIntegerEdit(&form);
    edit->setGeometry(10, 10, 120, edit->minimumHeight());
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    TSpinButtons* spin = edit->SpinButtons();

    const auto checkState = [&](bool visible, bool enabled) {
        QCOMPARE(spin->isVisible(), visible);
        QCOMPARE(spin->isEnabled(), enabled);
        QCOMPARE(edit->textMargins().right(), visible ? TSpinButtons::kWidth : 0);
    };
    checkState(true, true);
    // At the right edge, inside the frame, and over most of the height.
    QVERIFY(spin->geometry().right() < edit->width());
    QVERIFY(spin->geometry().right() >= edit->width() - 4);
    QVERIFY(spin->height() >= edit->height() - 6);
    edit->resize(200, edit->height());
    QVERIFY(spin->geometry().right() >= 196);

    edit->setReadOnly(true);
    checkState(true, false);
    edit->setReadOnly(false);
    checkState(true, true);
    edit->setEnabled(false);
    checkState(true, false);
    edit->setEnabled(true);
    checkState(true, true);
    edit->SetShowSpin(false);
    checkState(false, false);
    edit->SetShowSpin(true);
    checkState(true, true);
}

void NumberEditTest::onChangeFiresOnceCreated() {
    QWidget form;
    auto* edit = new TIntegerEdit(&form);
    QSignalSpy changes(edit, &TCustomNumberEdit::OnChange);
    edit->SetValue(5);
    edit->setText("7");
    QCOMPARE(edit->Value(), 7);
    QCOMPARE(changes.count(), 0);
    QVERIFY(!edit->Created());

    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    QVERIFY(edit->Created());
    QCOMPARE(changes.count(), 0);
    QCOMPARE(edit->selectedText(), QString("7"));  // AutoSelect

    edit->SetValue(8);
    QCOMPARE(changes.count(), 1);
    edit->SetValue(8);  // the same text: no change
    QCOMPARE(changes.count(), 1);
    edit->end(false);
    QTest::keyClicks(edit, "12");
    QCOMPARE(changes.count(), 3);
    QCOMPARE(edit->Value(), 812);

    // Without AutoSelect nothing is selected when the edit first shows.
    QWidget other;
    auto* plain = new TIntegerEdit(&other);
    plain->SetAutoSelect(false);
    plain->SetValue(3);
    other.show();
    QVERIFY(QTest::qWaitForWindowExposed(&other));
    QCOMPARE(plain->selectedText(), QString());
}

void NumberEditTest::enterAndEscapeActOnTheDialog_data() {
    QTest::addColumn<int>("key");
    QTest::addColumn<QString>("defaultButton");
    QTest::addColumn<bool>("returnKeyAsTab");
    QTest::addColumn<bool>("open");
    QTest::addColumn<int>("result");

    QTest::newRow("enter presses the default OK")
        << int(Qt::Key_Return) << "ok" << false << false << int(QDialog::Accepted);
    QTest::newRow("keypad enter too") << int(Qt::Key_Enter) << "ok" << false << false << int(QDialog::Accepted);
    QTest::newRow("enter presses a default Cancel")
        << int(Qt::Key_Return) << "cancel" << false << false << int(QDialog::Rejected);
    QTest::newRow("enter without a default button")
        << int(Qt::Key_Return) << "" << false << true << int(QDialog::Rejected);
    QTest::newRow("enter as tab moves on") << int(Qt::Key_Return) << "ok" << true << true << int(QDialog::Rejected);
    QTest::newRow("escape closes as the close box")
        << int(Qt::Key_Escape) << "ok" << false << false << int(QDialog::Rejected);
}

void NumberEditTest::enterAndEscapeActOnTheDialog() {
    QFETCH(int, key);
    QFETCH(QString, defaultButton);
    QFETCH(bool, returnKeyAsTab);
    QDialog dialog;
    auto* layout = new QVBoxLayout(&dialog);
    auto* edit = new TIntegerEdit(&dialog);
    auto* next = new QLineEdit(&dialog);
    auto* cancel = new QPushButton("Cancel", &dialog);
    auto* ok = new QPushButton("OK", &dialog);
    for (QWidget* w : {static_cast<QWidget*>(edit), static_cast<QWidget*>(next), static_cast<QWidget*>(cancel),
                       static_cast<QWidget*>(ok)})
        layout->addWidget(w);
    cancel->setAutoDefault(false);
    ok->setAutoDefault(false);
    if (defaultButton == "ok") ok->setDefault(true);
    if (defaultButton == "cancel") cancel->setDefault(true);
    connect(ok, &QPushButton::clicked, &dialog, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, &dialog, &QDialog::reject);
    edit->SetReturnKeyAsTab(returnKeyAsTab);

    dialog.show();
    QVERIFY(QTest::qWaitForWindowActive(&dialog));
    edit->setFocus();
    QTRY_VERIFY(edit->hasFocus());
    QTest::keyClick(edit, Qt::Key(key));
    QTEST(dialog.isVisible(), "open");
    QTEST(dialog.result(), "result");
    if (returnKeyAsTab) QVERIFY(next->hasFocus());

    // An edit outside any form has nothing to close.
    TIntegerEdit alone;
    alone.show();
    QVERIFY(QTest::qWaitForWindowExposed(&alone));
    QTest::keyClick(&alone, Qt::Key(key));
    QVERIFY(alone.isVisible());
}

void NumberEditTest::minimumHeightFollowsTheFont() {
    TFloatEdit edit;
    edit.resize(100, 3);
    const int small = edit.height();
    const int line = edit.fontMetrics().height();
    QCOMPARE(small, edit.minimumHeight());
    QVERIFY(small >= line + line / 4 + 2);

    QFont large = edit.font();
    large.setPointSizeF(large.pointSizeF() * 3);
    edit.setFont(large);
    edit.resize(100, 3);
    QVERIFY(edit.height() >= QFontMetrics(large).height() + 2);
    QVERIFY(edit.height() > small);
    // The buttons still fill the inner height.
    QVERIFY(edit.SpinButtons()->height() >= edit.height() - 6);
}

QTEST_MAIN(NumberEditTest)
#include "numberedit_test.moc"
