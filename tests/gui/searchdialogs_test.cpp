// The find, replace and locate dialogs: the option boxes' dependencies on opening and on
// clicks, the flags and texts that OK gives back, the refusal of empty texts, the text
// histories kept in the settings from one dialog to the next, and the node ID round trip.
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QTest>
#include <limits>
#include <memory>

#include "editors/tintegeredit.h"
#include "engine/tkelmor.h"
#include "search/searchhistory.h"
#include "search/tfinddialog.h"
#include "search/tlocatenodeform.h"
#include "tests/gui/guitestsupport.h"
#include "ui/common.h"

using namespace kelmor;
using namespace kelmor::test;

namespace {

// The flags a database window starts with: descriptions, key names, key values, prompt.
constexpr uint16_t kInitialFlags = 39;

TKelmorSearch State(uint16_t flags, const std::string& text = {}, const std::string& replacement = {}) {
    TKelmorSearch state;
    state.flags = flags;
    state.searchText = text;
    state.replacementText = replacement;
    return state;
}

std::unique_ptr<TFindDialog> NewDialog(bool replace, const TKelmorSearch& state) {
    if (replace) return std::make_unique<TReplaceDialog>(state);
    return std::make_unique<TFindDialog>(state);
}

QSettings ProgramSettings() { return QSettings(QStringLiteral("Kelmor"), QStringLiteral("Database Manager")); }

QStringList ListOf(const QComboBox* box) {
    QStringList items;
    for (int i = 0; i < box->count(); ++i) items << box->itemText(i);
    return items;
}

// Types `text` character by character, as a keyboard with those characters would.
void Type(QWidget* widget, const QString& text) {
    for (const QChar c : text) {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(c));
        QApplication::sendEvent(widget, &press);
        QKeyEvent release(QEvent::KeyRelease, Qt::Key_unknown, Qt::NoModifier, QString(c));
        QApplication::sendEvent(widget, &release);
    }
}

bool HasFocus(const QDialog& dialog, const QComboBox* box) {
    return dialog.focusWidget() == box || dialog.focusWidget() == box->lineEdit();
}

// Answers an error box (title "Error", critical icon) with OK, noting its text; anything
// else is noted as such and closed.
TModalDriver::THandler ErrorBox(QStringList& texts) {
    return [&texts](QWidget* modal) {
        auto* box = qobject_cast<QMessageBox*>(modal);
        if (!box || box->icon() != QMessageBox::Critical || box->windowTitle() != QStringLiteral("Error")) {
            texts << QStringLiteral("<not an error box: %1>").arg(box ? box->text() : modal->windowTitle());
            modal->close();
            return;
        }
        texts << box->text();
        box->button(QMessageBox::Ok)->click();
    };
}

// Closes a dialog with OK once per text, each text typed into the search box, so that the
// history grows as a user's would.
void SearchFor(const QStringList& texts) {
    for (const QString& text : texts) {
        TFindDialog dialog(State(kInitialFlags));
        dialog.SearchText()->setEditText(text);
        dialog.OkButton()->click();
    }
}

}  // namespace

class SearchDialogsTest : public QObject {
    Q_OBJECT
private slots:
    void init() { UseTestSettings(); }

    void controlsAndCaptions();
    void openingShowsTheStateWithTheTextSelected();
    void tabOrderFollowsTheLayout();
    void dependenciesOnOpening_data();
    void dependenciesOnOpening();
    void dependenciesFollowClicks();
    void okGivesBackTextsAndFlags_data();
    void okGivesBackTextsAndFlags();
    void textsAreLatin1AndAtMost255Characters();
    void enterInTheSearchTextPressesOk();
    void emptySearchTextIsRefused_data();
    void emptySearchTextIsRefused();
    void emptyReplaceTextIsRefused();
    void dialogsAreFixedAndCentredOnTheMainWindow();

    // Histories.
    void historyKeepsTheFortyMostRecent();
    void reenteredTextMovesToTheTopWithoutDuplicate();
    void replaceKeepsItsOwnHistory();
    void damagedHistoryLoadsWhatCameBefore_data();
    void damagedHistoryLoadsWhatCameBefore();

    // Locate by ID.
    void locateRoundTrip_data();
    void locateRoundTrip();
    void locateEscapeCancels();
};

void SearchDialogsTest::controlsAndCaptions() {
    TReplaceDialog dialog(State(0));
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Replace"));
    QCOMPARE(TFindDialog(State(0)).windowTitle(), QStringLiteral("Find"));

    const QStringList expected = {"&Node descriptions", "Key &descriptions", "Key &values",          "Cas&e sensitive",
                                  "Allow &wildcards",   "W&hole words only", "Scan s&ub-nodes only", "Scan into &links",
                                  "&Prompt on replace", "Replace &All"};
    for (int number = 1; number <= 10; ++number) {
        auto* box = dialog.findChild<QCheckBox*>(QStringLiteral("S%1").arg(number));
        QVERIFY2(box, qPrintable(QStringLiteral("S%1").arg(number)));
        QCOMPARE(box, dialog.OptionBox(number));
        QCOMPARE(box->text(), expected[number - 1]);
    }
    QVERIFY(!dialog.OptionBox(11));
    // Each group holds its own boxes.
    const auto groupOf = [&dialog](int number) {
        auto* group = qobject_cast<QGroupBox*>(dialog.OptionBox(number)->parentWidget());
        return group ? group->title() : QString();
    };
    QCOMPARE(groupOf(1), QStringLiteral(" Search For "));
    QCOMPARE(groupOf(3), QStringLiteral(" Search For "));
    QCOMPARE(groupOf(4), QStringLiteral(" Options "));
    QCOMPARE(groupOf(6), QStringLiteral(" Options "));
    QCOMPARE(groupOf(7), QStringLiteral(" Scope "));
    QCOMPARE(groupOf(10), QStringLiteral(" Scope "));

    // The captions lead to their boxes.
    QMap<QString, QWidget*> buddies;
    for (auto* label : dialog.findChildren<QLabel*>()) buddies.insert(label->text(), label->buddy());
    QCOMPARE(buddies.value(QStringLiteral("&Search for:")), dialog.findChild<QComboBox*>(QStringLiteral("SearchText")));
    QCOMPARE(buddies.value(QStringLiteral("&Replace with:")),
             dialog.findChild<QComboBox*>(QStringLiteral("ReplaceText")));

    auto* ok = dialog.findChild<QPushButton*>(QStringLiteral("OkButton"));
    auto* cancel = dialog.findChild<QPushButton*>(QStringLiteral("CancelButton"));
    QVERIFY(ok && cancel);
    QCOMPARE(ok->text(), QStringLiteral("OK"));
    QVERIFY(ok->isDefault());
    QCOMPARE(cancel->text(), QStringLiteral("Cancel"));
    QVERIFY(dialog.SearchText()->isEditable());
    QVERIFY(dialog.ReplaceText()->isEditable());
}

void SearchDialogsTest::openingShowsTheStateWithTheTextSelected() {
    TReplaceDialog dialog(State(sfKeyNames | sfCaseSensitive | sfPromptOnReplace, "needle", "thread"));
    dialog.show();
    QVERIFY(QTest::qWaitForWindowActive(&dialog));

    QCOMPARE(dialog.SearchText()->currentText(), QStringLiteral("needle"));
    QCOMPARE(dialog.SearchText()->lineEdit()->selectedText(), QStringLiteral("needle"));
    QVERIFY(HasFocus(dialog, dialog.SearchText()));
    QCOMPARE(dialog.ReplaceText()->currentText(), QStringLiteral("thread"));

    QList<bool> checked;
    for (int number = 1; number <= 10; ++number) checked << dialog.OptionBox(number)->isChecked();
    QCOMPARE(checked, QList<bool>({false, true, false, true, false, false, false, false, true, false}));
}

void SearchDialogsTest::tabOrderFollowsTheLayout() {
    TReplaceDialog dialog(State(kInitialFlags | sfSubNodesOnly));
    dialog.show();
    QVERIFY(QTest::qWaitForWindowActive(&dialog));
    QStringList order;
    for (int i = 0; i < 15; ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        order << QApplication::focusWidget()->objectName();
    }
    QCOMPARE(order, QStringList({"ReplaceText", "S1", "S2", "S3", "S4", "S5", "S6", "S7", "S8", "S9", "S10", "OkButton",
                                 "CancelButton", "SearchText", "ReplaceText"}));
}

void SearchDialogsTest::dependenciesOnOpening_data() {
    QTest::addColumn<bool>("replace");
    QTest::addColumn<int>("flags");
    QTest::addColumn<bool>("wholeChecked");
    QTest::addColumn<bool>("wholeEnabled");
    QTest::addColumn<bool>("linksChecked");
    QTest::addColumn<bool>("linksEnabled");

    const int wildWhole = sfWildcards | sfWholeValue;
    const int subLinks = sfSubNodesOnly | sfScanLinks;
    for (const bool replace : {false, true}) {
        const char* dialog = replace ? "replace" : "find";
        QTest::addRow("%s: neither", dialog) << replace << 0 << false << true << false << false;
        QTest::addRow("%s: whole words alone", dialog)
            << replace << int(sfWholeValue) << true << true << false << false;
        QTest::addRow("%s: wildcards clear whole words", dialog)
            << replace << wildWhole << false << false << false << false;
        QTest::addRow("%s: links without sub-nodes are cleared", dialog)
            << replace << int(sfScanLinks) << false << true << false << false;
        QTest::addRow("%s: sub-nodes with links", dialog) << replace << subLinks << false << true << true << true;
        QTest::addRow("%s: sub-nodes alone", dialog)
            << replace << int(sfSubNodesOnly) << false << true << false << true;
        QTest::addRow("%s: both rules at once", dialog)
            << replace << (wildWhole | int(sfScanLinks)) << false << false << false << false;
    }
}

void SearchDialogsTest::dependenciesOnOpening() {
    QFETCH(bool, replace);
    QFETCH(int, flags);
    QFETCH(bool, wholeChecked);
    QFETCH(bool, wholeEnabled);
    QFETCH(bool, linksChecked);
    QFETCH(bool, linksEnabled);
    auto dialog = NewDialog(replace, State(static_cast<uint16_t>(flags), "x", "y"));
    QCOMPARE(dialog->OptionBox(6)->isChecked(), wholeChecked);
    QCOMPARE(dialog->OptionBox(6)->isEnabled(), wholeEnabled);
    QCOMPARE(dialog->OptionBox(8)->isChecked(), linksChecked);
    QCOMPARE(dialog->OptionBox(8)->isEnabled(), linksEnabled);

    // What opening changed is what OK gives back.
    dialog->OkButton()->click();
    QCOMPARE(dialog->result(), int(QDialog::Accepted));
    QCOMPARE((dialog->SearchState().flags & sfWholeValue) != 0, wholeChecked);
    QCOMPARE((dialog->SearchState().flags & sfScanLinks) != 0, linksChecked);
}

void SearchDialogsTest::dependenciesFollowClicks() {
    for (const bool replace : {false, true}) {
        auto dialog = NewDialog(replace, State(sfWholeValue | sfSubNodesOnly | sfScanLinks, "x", "y"));
        QCheckBox* wildcards = dialog->OptionBox(5);
        QCheckBox* whole = dialog->OptionBox(6);
        QCheckBox* subNodes = dialog->OptionBox(7);
        QCheckBox* links = dialog->OptionBox(8);
        QVERIFY(whole->isChecked() && whole->isEnabled() && links->isChecked() && links->isEnabled());

        wildcards->click();
        QVERIFY(!whole->isChecked());
        QVERIFY(!whole->isEnabled());
        wildcards->click();
        QVERIFY(whole->isEnabled());
        QVERIFY(!whole->isChecked());  // not given back
        whole->click();
        QVERIFY(whole->isChecked());

        subNodes->click();
        QVERIFY(!links->isChecked());
        QVERIFY(!links->isEnabled());
        subNodes->click();
        QVERIFY(links->isEnabled());
        QVERIFY(!links->isChecked());
        links->click();
        QVERIFY(links->isChecked());
        // The rules do not touch the other boxes.
        QVERIFY(subNodes->isChecked() && !wildcards->isChecked());
    }
}

void SearchDialogsTest::okGivesBackTextsAndFlags_data() {
    QTest::addColumn<bool>("replace");
    QTest::addColumn<int>("flags");
    QTest::addColumn<QList<int>>("clicks");
    QTest::addColumn<int>("expected");

    const int replaceFlags = sfReplaceAll | sfPromptOnReplace;
    const int everything = 0xFFFF;
    QTest::newRow("find keeps the replace flags and clears the rest")
        << false << everything << QList<int>({1, 2, 3, 4, 5, 7, 8}) << replaceFlags;
    QTest::newRow("find clears a broken-link search")
        << false << int(sfBrokenLinks | sfKeyValues) << QList<int>() << int(sfKeyValues);
    QTest::newRow("find without replace flags adds none")
        << false << 0 << QList<int>({3, 7, 8}) << int(sfKeyValues | sfSubNodesOnly | sfScanLinks);
    QTest::newRow("find sets all eight") << false << 0 << QList<int>({1, 2, 3, 4, 6, 7, 8})
                                         << int(sfNodeDescriptions | sfKeyNames | sfKeyValues | sfCaseSensitive |
                                                sfWholeValue | sfSubNodesOnly | sfScanLinks);
    QTest::newRow("find: wildcards instead of whole words")
        << false << int(sfWholeValue) << QList<int>({5}) << int(sfWildcards);
    QTest::newRow("replace sets prompt and all from its boxes")
        << true << int(sfBrokenLinks) << QList<int>({9, 10}) << replaceFlags;
    QTest::newRow("replace clears prompt and all")
        << true << (everything & ~int(sfWildcards)) << QList<int>({1, 2, 4, 6, 7, 9, 10}) << int(sfKeyValues);
    QTest::newRow("replace: only replace all")
        << true << int(kInitialFlags) << QList<int>({1, 2, 9, 10}) << int(sfKeyValues | sfReplaceAll);
}

void SearchDialogsTest::okGivesBackTextsAndFlags() {
    QFETCH(bool, replace);
    QFETCH(int, flags);
    QFETCH(QList<int>, clicks);
    QFETCH(int, expected);
    TKelmorSearch state = State(static_cast<uint16_t>(flags), "old", "older");
    state.startNode = 17;
    state.callerByte = 1;
    auto dialog = NewDialog(replace, state);
    for (const int number : clicks) dialog->OptionBox(number)->click();
    dialog->SearchText()->setEditText(QStringLiteral("new"));
    if (replace) static_cast<TReplaceDialog*>(dialog.get())->ReplaceText()->setEditText(QStringLiteral("newer"));

    dialog->OkButton()->click();
    QCOMPARE(dialog->result(), int(QDialog::Accepted));
    const TKelmorSearch& result = dialog->SearchState();
    QCOMPARE(int(result.flags), expected);
    QCOMPARE(result.searchText, std::string("new"));
    // The find dialog leaves the replace text alone.
    QCOMPARE(result.replacementText, std::string(replace ? "newer" : "older"));
    // The rest of the state travels through unchanged.
    QCOMPARE(result.startNode, 17);
    QCOMPARE(int(result.callerByte), 1);
}

void SearchDialogsTest::textsAreLatin1AndAtMost255Characters() {
    TReplaceDialog dialog(State(kInitialFlags, "caf\xe9", "na\xefve"));
    QCOMPARE(dialog.SearchText()->currentText(), QStringLiteral("caf\u00e9"));
    QCOMPARE(dialog.ReplaceText()->currentText(), QStringLiteral("na\u00efve"));

    // Characters beyond Latin-1 cannot be typed; the others can.
    dialog.show();
    QVERIFY(QTest::qWaitForWindowActive(&dialog));
    QLineEdit* search = dialog.SearchText()->lineEdit();
    search->selectAll();
    Type(search, QStringLiteral("a\u20acb\u00fc"));
    QCOMPARE(dialog.SearchText()->currentText(), QStringLiteral("ab\u00fc"));

    // Pasted or set text is cut at 255 characters.
    dialog.ReplaceText()->setEditText(QString(300, QLatin1Char('r')));
    dialog.OkButton()->click();
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QCOMPARE(dialog.SearchState().searchText, std::string("ab\xfc"));
    QCOMPARE(dialog.SearchState().replacementText, std::string(255, 'r'));
}

void SearchDialogsTest::enterInTheSearchTextPressesOk() {
    TFindDialog dialog(State(kInitialFlags));
    dialog.show();
    QVERIFY(QTest::qWaitForWindowActive(&dialog));
    QTest::keyClicks(dialog.SearchText()->lineEdit(), QStringLiteral("typed"));
    QTest::keyClick(dialog.SearchText()->lineEdit(), Qt::Key_Return);
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QVERIFY(!dialog.isVisible());
    QCOMPARE(dialog.SearchState().searchText, std::string("typed"));
}

void SearchDialogsTest::emptySearchTextIsRefused_data() {
    QTest::addColumn<bool>("replace");
    QTest::newRow("find") << false;
    QTest::newRow("replace, with a replace text") << true;
}

void SearchDialogsTest::emptySearchTextIsRefused() {
    QFETCH(bool, replace);
    const TKelmorSearch given = State(sfKeyValues | sfBrokenLinks, "", "something");
    auto dialog = NewDialog(replace, given);
    dialog->show();
    QVERIFY(QTest::qWaitForWindowActive(dialog.get()));
    dialog->OptionBox(1)->setFocus();

    QStringList errors;
    TModalDriver driver;
    driver.Then(ErrorBox(errors));
    dialog->OkButton()->click();
    QVERIFY(driver.AllAnswered());
    QCOMPARE(errors, QStringList({"Please specify a search value."}));
    QVERIFY(dialog->isVisible());
    QVERIFY(HasFocus(*dialog, dialog->SearchText()));
    QCOMPARE(int(dialog->SearchState().flags), int(given.flags));

    // Typing a text lets the next OK through.
    QTest::keyClicks(dialog->SearchText()->lineEdit(), QStringLiteral("found"));
    dialog->OkButton()->click();
    QCOMPARE(dialog->result(), int(QDialog::Accepted));
    QVERIFY(!dialog->isVisible());
    QCOMPARE(errors.size(), 1);
    QCOMPARE(dialog->SearchState().searchText, std::string("found"));
}

void SearchDialogsTest::emptyReplaceTextIsRefused() {
    TReplaceDialog dialog(State(kInitialFlags, "abc", ""));
    dialog.show();
    QVERIFY(QTest::qWaitForWindowActive(&dialog));
    dialog.OptionBox(1)->setFocus();

    QStringList errors;
    TModalDriver driver;
    driver.Then(ErrorBox(errors));
    dialog.OkButton()->click();
    QVERIFY(driver.AllAnswered());
    QCOMPARE(errors, QStringList({"Please specify a replace value."}));
    QVERIFY(dialog.isVisible());
    QVERIFY(HasFocus(dialog, dialog.ReplaceText()));

    QTest::keyClicks(dialog.ReplaceText()->lineEdit(), QStringLiteral("xyz"));
    dialog.OkButton()->click();
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QCOMPARE(errors.size(), 1);
    QCOMPARE(dialog.SearchState().searchText, std::string("abc"));
    QCOMPARE(dialog.SearchState().replacementText, std::string("xyz"));
}

void SearchDialogsTest::dialogsAreFixedAndCentredOnTheMainWindow() {
    QWidget main;
    main.setGeometry(100, 80, 900, 700);
    main.show();
    QVERIFY(QTest::qWaitForWindowExposed(&main));
    SetMessageMainWindow(&main);
    const QPoint centre = main.frameGeometry().center();

    const auto check = [&centre](QDialog& dialog) {
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        QCOMPARE(dialog.minimumSize(), dialog.maximumSize());
        const QPoint offset = dialog.frameGeometry().center() - centre;
        QVERIFY2(offset.manhattanLength() <= 2, qPrintable(QStringLiteral("%1, %2").arg(offset.x()).arg(offset.y())));
    };
    TFindDialog find(State(kInitialFlags));
    check(find);
    TReplaceDialog replace(State(kInitialFlags));
    check(replace);
    TLocateNodeForm locate(0);
    check(locate);
    SetMessageMainWindow(nullptr);
}

// ---- Histories ---------------------------------------------------------------------------------

void SearchDialogsTest::historyKeepsTheFortyMostRecent() {
    QStringList typed;
    for (int i = 1; i <= 41; ++i) typed << QStringLiteral("text %1").arg(i);
    SearchFor(typed);

    QStringList newestFirst;
    for (int i = 41; i >= 2; --i) newestFirst << QStringLiteral("text %1").arg(i);
    QSettings settings = ProgramSettings();
    settings.beginGroup(QStringLiteral("Find History"));
    QCOMPARE(settings.value(QStringLiteral("Items")).toInt(), 40);
    QCOMPARE(settings.value(QStringLiteral("Item1")).toString(), QStringLiteral("text 41"));
    QCOMPARE(settings.value(QStringLiteral("Item40")).toString(), QStringLiteral("text 2"));
    QVERIFY(!settings.contains(QStringLiteral("Item41")));
    settings.endGroup();

    TFindDialog next(State(kInitialFlags));
    QCOMPARE(ListOf(next.SearchText()), newestFirst);
    QCOMPARE(next.FindHistory().Items(), newestFirst);
}

void SearchDialogsTest::reenteredTextMovesToTheTopWithoutDuplicate() {
    SearchFor({"alpha", "beta", "gamma", "delta"});
    SearchFor({"BETA"});
    {
        TFindDialog next(State(kInitialFlags));
        QCOMPARE(ListOf(next.SearchText()), QStringList({"beta", "delta", "gamma", "alpha"}));
    }
    // At forty entries, an old text brought back drops nothing.
    QStringList many;
    for (int i = 1; i <= 40; ++i) many << QStringLiteral("t%1").arg(i);
    SearchFor(many);
    SearchFor({"T1"});
    TFindDialog next(State(kInitialFlags));
    const QStringList items = ListOf(next.SearchText());
    QCOMPARE(items.size(), 40);
    QCOMPARE(items.first(), QStringLiteral("t1"));
    QCOMPARE(items[1], QStringLiteral("t40"));
    QCOMPARE(items.last(), QStringLiteral("t2"));
}

void SearchDialogsTest::replaceKeepsItsOwnHistory() {
    {
        TReplaceDialog dialog(State(kInitialFlags, "find me", "put me"));
        dialog.OkButton()->click();
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
    }
    // Cancel stores what the dialog had, and adds nothing.
    {
        TReplaceDialog dialog(State(kInitialFlags, "not kept", "not kept either"));
        dialog.CancelButton()->click();
    }
    QSettings settings = ProgramSettings();
    QCOMPARE(settings.value(QStringLiteral("Find History/Items")).toInt(), 1);
    QCOMPARE(settings.value(QStringLiteral("Find History/Item1")).toString(), QStringLiteral("find me"));
    QCOMPARE(settings.value(QStringLiteral("Replace History/Items")).toInt(), 1);
    QCOMPARE(settings.value(QStringLiteral("Replace History/Item1")).toString(), QStringLiteral("put me"));

    TReplaceDialog next(State(kInitialFlags));
    QCOMPARE(ListOf(next.SearchText()), QStringList({"find me"}));
    QCOMPARE(ListOf(next.ReplaceText()), QStringList({"put me"}));
    // The find dialog offers the search texts only.
    TFindDialog find(State(kInitialFlags));
    QCOMPARE(ListOf(find.SearchText()), QStringList({"find me"}));
}

void SearchDialogsTest::damagedHistoryLoadsWhatCameBefore_data() {
    QTest::addColumn<QVariant>("items");
    QTest::addColumn<QVariantList>("values");  // Item1, Item2, ...; an invalid QVariant is left out
    QTest::addColumn<QStringList>("expected");

    QTest::newRow("intact") << QVariant(2) << QVariantList({"one", "two"}) << QStringList({"one", "two"});
    QTest::newRow("no count") << QVariant() << QVariantList({"one"}) << QStringList();
    QTest::newRow("count not a number") << QVariant("many") << QVariantList({"one"}) << QStringList();
    QTest::newRow("negative count") << QVariant(-3) << QVariantList({"one"}) << QStringList();
    QTest::newRow("missing item") << QVariant(3) << QVariantList({"one", QVariant(), "three"}) << QStringList({"one"});
    QTest::newRow("count beyond the items")
        << QVariant(5) << QVariantList({"one", "two"}) << QStringList({"one", "two"});
    QTest::newRow("empty item") << QVariant(2) << QVariantList({"one", ""}) << QStringList({"one"});
    QTest::newRow("text beyond Latin-1") << QVariant(3) << QVariantList({"one", QString::fromUtf8("\u20ac"), "three"})
                                         << QStringList({"one"});
    QVariantList many;
    QStringList firstForty;
    for (int i = 1; i <= 60; ++i) many << QStringLiteral("e%1").arg(i);
    for (int i = 1; i <= 40; ++i) firstForty << QStringLiteral("e%1").arg(i);
    QTest::newRow("more than forty") << QVariant(60) << many << firstForty;
    QTest::newRow("overlong text is cut") << QVariant(1) << QVariantList({QString(300, QLatin1Char('z'))})
                                          << QStringList({QString(255, QLatin1Char('z'))});
}

void SearchDialogsTest::damagedHistoryLoadsWhatCameBefore() {
    QFETCH(QVariant, items);
    QFETCH(QVariantList, values);
    QFETCH(QStringList, expected);
    {
        QSettings settings = ProgramSettings();
        settings.beginGroup(QStringLiteral("Replace History"));
        if (items.isValid()) settings.setValue(QStringLiteral("Items"), items);
        for (int i = 0; i < values.size(); ++i)
            if (values[i].isValid()) settings.setValue(QStringLiteral("Item%1").arg(i + 1), values[i]);
    }
    {
        TReplaceDialog dialog(State(kInitialFlags));
        QCOMPARE(ListOf(dialog.ReplaceText()), expected);
    }
    // Closing stores the list as it was loaded, and nothing of what lay beyond it.
    QSettings settings = ProgramSettings();
    settings.beginGroup(QStringLiteral("Replace History"));
    QStringList keys = {QStringLiteral("Items")};
    for (int i = 1; i <= expected.size(); ++i) keys << QStringLiteral("Item%1").arg(i);
    QStringList stored = settings.childKeys();
    stored.sort();
    keys.sort();
    QCOMPARE(stored, keys);
    QCOMPARE(settings.value(QStringLiteral("Items")).toInt(), expected.size());
    if (!expected.isEmpty())
        QCOMPARE(settings.value(QStringLiteral("Item%1").arg(expected.size())).toString(), expected.last());
}

// ---- Locate by ID ------------------------------------------------------------------------------

void SearchDialogsTest::locateRoundTrip_data() {
    QTest::addColumn<int>("given");
    QTest::addColumn<QString>("typed");  // replaces the text when not null
    QTest::addColumn<int>("expected");

    QTest::newRow("kept") << 42 << QString() << 42;
    QTest::newRow("negative kept") << -7 << QString() << -7;
    QTest::newRow("typed negative") << 5 << QStringLiteral("-12") << -12;
    QTest::newRow("lowest") << 0 << QStringLiteral("-2147483648") << std::numeric_limits<int32_t>::min();
    QTest::newRow("highest") << 0 << QStringLiteral("2147483647") << std::numeric_limits<int32_t>::max();
    QTest::newRow("beyond 32 bits") << 3 << QStringLiteral("2147483648") << 0;
}

void SearchDialogsTest::locateRoundTrip() {
    QFETCH(int, given);
    QFETCH(QString, typed);
    QFETCH(int, expected);
    TLocateNodeForm form(given);
    QCOMPARE(form.windowTitle(), QStringLiteral("Locate Node by ID"));
    QCOMPARE(form.xNodeID()->objectName(), QStringLiteral("xNodeID"));
    QCOMPARE(form.xNodeID()->maxLength(), 32);
    auto* label = form.findChild<QLabel*>();
    QVERIFY(label);
    QCOMPARE(label->text(), QStringLiteral("&Node ID:"));
    QCOMPARE(label->buddy(), form.xNodeID());
    QCOMPARE(form.xNodeID()->text(), QString::number(given));

    form.show();
    QVERIFY(QTest::qWaitForWindowActive(&form));
    QCOMPARE(form.focusWidget(), form.xNodeID());
    if (!typed.isNull()) {
        form.xNodeID()->selectAll();
        QTest::keyClicks(form.xNodeID(), typed);
        QCOMPARE(form.xNodeID()->text(), typed);
    }
    // Enter in the box presses the default button, OK.
    QTest::keyClick(form.xNodeID(), Qt::Key_Return);
    QCOMPARE(form.result(), int(QDialog::Accepted));
    QCOMPARE(form.NodeID(), expected);
}

void SearchDialogsTest::locateEscapeCancels() {
    TLocateNodeForm form(9);
    form.show();
    QVERIFY(QTest::qWaitForWindowActive(&form));
    QTest::keyClick(form.xNodeID(), Qt::Key_Escape);
    QVERIFY(!form.isVisible());
    QCOMPARE(form.result(), int(QDialog::Rejected));

    TLocateNodeForm again(9);
    again.show();
    QVERIFY(QTest::qWaitForWindowActive(&again));
    again.CancelButton()->click();
    QCOMPARE(again.result(), int(QDialog::Rejected));
}

QTEST_MAIN(SearchDialogsTest)
#include "searchdialogs_test.moc"
