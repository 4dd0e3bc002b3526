// Find, Replace, Find Broken Links, Search Again and Locate by ID in the database window:
// each search step on its thread behind the progress window, the match revealed and
// selected (with its key row), replacements per key type with their refusals, aborts,
// engine errors and a window closed while its search runs.
#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <atomic>
#include <thread>

#include "editors/tintegeredit.h"
#include "engine/kelmorerrors.h"
#include "engine/keytypes.h"
#include "search/textreplacement.h"
#include "search/tsearchprogressform.h"
#include "tests/gui/guitestsupport.h"
#include "tests/gui/windowfixture.h"
#include "ui/common.h"
#include "window/tkelmorlistview.h"
#include "window/tkelmortreeview.h"

using namespace kelmor;
using namespace kelmor::test;

namespace {

using C = TCommandId;
constexpr uint16_t kAllText = sfNodeDescriptions | sfKeyNames | sfKeyValues;
const QString kProgressForm = QStringLiteral("SearchProgressForm");

// A driver that lets the progress window run and answers the rest in order.
struct TSearchDriver : TModalDriver {
    TSearchDriver() { LetRun(kProgressForm); }
};

// The widget of the window that has the focus, or will have it when the window is active
// again (the progress window was the active one last).
QWidget* FocusedIn(TMDIChild& window) { return window.window()->focusWidget(); }

QString SelectedText(TMDIChild& window) { return window.TreeModel()->Text(window.SelectedItem()); }

// Starts a search as Find or Replace would after their dialog, without it.
void StartSearch(TMDIChild& window, const std::string& text, uint16_t flags, bool replace = false,
                 const std::string& replacement = {}) {
    TKelmorSearch& state = window.SearchState();
    state.searchText = text;
    state.replacementText = replacement;
    state.flags = flags;
    state.callerByte = replace ? 1 : 0;
    window.RunSearch(true);
    window.RunPendingSelection();
}

void Run(TMDIChild& window, TCommandId id) {
    window.ExecuteCommand(id);
    window.RunPendingSelection();
}

// Fills the Find or Replace dialog: the texts, and the check boxes S1..S10 from the flags
// in their order; then OK.
void FillSearchDialog(QWidget* modal, const QString& text, uint16_t flags, const QString& replacement = {}) {
    auto* search = modal->findChild<QComboBox*>(QStringLiteral("SearchText"));
    QVERIFY(search);
    search->setEditText(text);
    const uint16_t boxFlags[] = {sfNodeDescriptions, sfKeyNames,     sfKeyValues, sfCaseSensitive,   sfWildcards,
                                 sfWholeValue,       sfSubNodesOnly, sfScanLinks, sfPromptOnReplace, sfReplaceAll};
    for (int i = 0; i < 10; ++i) {
        auto* box = modal->findChild<QCheckBox*>(QStringLiteral("S%1").arg(i + 1));
        if (!box) continue;  // the Find dialog has eight
        if (box->isEnabled()) box->setChecked((flags & boxFlags[i]) != 0);
    }
    if (auto* replace = modal->findChild<QComboBox*>(QStringLiteral("ReplaceText"))) replace->setEditText(replacement);
    auto* ok = modal->findChild<QPushButton*>(QStringLiteral("OkButton"));
    QVERIFY(ok);
    ok->click();
}

int32_t NodeOf(TWindowFixture& fixture, const QStringList& path) {
    return fixture.Window().TreeModel()->NodeID(fixture.Item(path));
}

// Root: Plain; "Node ABC" (keys Note "xabcx", Count 7) with the child Inner, whose child
// is "Deep abc"; Last.
void BuildAbcTree(TKelmorClass& engine) {
    AddNode(engine, 0, "Plain");
    const int32_t abc = AddNode(engine, 0, "Node ABC");
    engine.LoadNode(abc);
    engine.AddStringKey("Note", "xabcx");
    engine.AddLongintKey("Count", 7);
    engine.SaveNode(abc);
    AddNode(engine, AddNode(engine, abc, "Inner"), "Deep abc");
    AddNode(engine, 0, "Last");
}

}  // namespace

class SearchTest : public QObject {
    Q_OBJECT
private slots:
    void init() { UseTestSettings(); }

    void replacementText_data();
    void replacementText();
    void findThenSearchAgainWalksEveryMatch();
    void keyValueMatchInACollapsedBranchSelectsTheRow();
    void abortingEndsTheSearchWithoutAMessage();
    void anEngineErrorEndsTheStepWithItsMessage();
    void brokenLinksOneAfterTheOther();
    void replaceAsksAndAllStopsAsking();
    void replaceAllWithPromptAsksEveryMatch();
    void replaceAllWithoutPromptThenFindStopsAtTheFirstMatch();
    void caseSensitiveSearchReplacesEveryCase();
    void replacedValues_data();
    void replacedValues();
    void sequenceValuesAreNotReplaced();
    void keyNameReplacedInPlace();
    void locateByID_data();
    void locateByID();
    void closingTheProgramDuringASearch_data();
    void closingTheProgramDuringASearch();
    void abortingASearchOfAFullDatabase();
};

// ---------------------------------------------------------------- the replaced text

void SearchTest::replacementText_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("search");
    QTest::addColumn<QString>("replacement");
    QTest::addColumn<QString>("expected");
    QTest::newRow("every case") << "Ab AB ab aB"
                                << "Ab"
                                << "x"
                                << "x x x x";
    QTest::newRow("not overlapping") << "aaa"
                                     << "aa"
                                     << "b"
                                     << "ba";
    QTest::newRow("replacement holds the text") << "cat"
                                                << "cat"
                                                << "catcat"
                                                << "catcat";
    QTest::newRow("wildcards literally") << "a*b and ab"
                                         << "a*b"
                                         << "-"
                                         << "- and ab";
    QTest::newRow("pattern not in the text") << "abc.txt"
                                             << "a*.txt"
                                             << "x"
                                             << "abc.txt";
    QTest::newRow("empty search") << "abc"
                                  << ""
                                  << "x"
                                  << "abc";
    QTest::newRow("to nothing") << "abcabc"
                                << "B"
                                << ""
                                << "acac";
    QTest::newRow("Latin-1 kept") << QString::fromLatin1("caf\xe9 CAF\xc9") << "caf"
                                  << "T" << QString::fromLatin1("T\xe9 T\xc9");
}

void SearchTest::replacementText() {
    QFETCH(QString, text);
    QFETCH(QString, search);
    QFETCH(QString, replacement);
    QFETCH(QString, expected);
    QCOMPARE(QString::fromLatin1(ReplaceIgnoringCase(text.toLatin1().toStdString(), search.toLatin1().toStdString(),
                                                     replacement.toLatin1().toStdString())),
             expected);
}

// ---------------------------------------------------------------- finding

void SearchTest::findThenSearchAgainWalksEveryMatch() {
    TWindowFixture fixture(BuildAbcTree);
    QVERIFY(fixture.Opened());
    TMDIChild& window = fixture.Window();
    fixture.Select(window.RootItem());
    QVERIFY(fixture.CommandEnabled(C::Find));
    QVERIFY(!fixture.CommandEnabled(C::SearchNext));

    TSearchDriver driver;
    driver.Then([](QWidget* modal) { FillSearchDialog(modal, QStringLiteral("abc"), kAllText); });
    Run(window, C::Find);
    QVERIFY(driver.AllAnswered());
    QCOMPARE(SelectedText(window), QStringLiteral("Node ABC"));
    QVERIFY(FocusedIn(window) == window.NodeTree());
    QVERIFY(fixture.CommandEnabled(C::SearchNext));
    QCOMPARE(fixture.TestHost().Progress(), -1);  // the progress display has ended

    // The same node's key value next, then the collapsed branch below it.
    Run(window, C::SearchNext);
    QCOMPARE(SelectedText(window), QStringLiteral("Node ABC"));
    QCOMPARE(window.SelectedKeyRow(), 0);
    QVERIFY(FocusedIn(window) == window.KeyList());
    Run(window, C::SearchNext);
    QCOMPARE(SelectedText(window), QStringLiteral("Deep abc"));
    QCOMPARE(window.StatusText(), QStringLiteral("Root\\Node ABC\\Inner\\Deep abc"));

    driver.Message();
    Run(window, C::SearchNext);
    QCOMPARE(driver.Messages(), QStringList({"Search value 'abc' not found."}));
    QVERIFY(!fixture.CommandEnabled(C::SearchNext));
    QCOMPARE(SelectedText(window), QStringLiteral("Deep abc"));
}

void SearchTest::keyValueMatchInACollapsedBranchSelectsTheRow() {
    TWindowFixture fixture([](TKelmorClass& engine) {
        const int32_t top = AddNode(engine, 0, "Top");
        const int32_t middle = AddNode(engine, top, "Middle");
        const int32_t third = AddNode(engine, middle, "Third");
        engine.LoadNode(third);
        engine.AddStringKey("First", "nothing");
        engine.AddStringKey("Second", "needle");
        engine.SaveNode(third);
    });
    TMDIChild& window = fixture.Window();
    fixture.Select(window.RootItem());
    TSearchDriver driver;
    driver.Then([](QWidget* modal) { FillSearchDialog(modal, QStringLiteral("NEEDLE"), sfKeyValues); });
    Run(window, C::Find);
    QCOMPARE(SelectedText(window), QStringLiteral("Third"));
    QCOMPARE(fixture.KeyRows(), QStringList({"First=nothing", "Second=needle"}));
    QCOMPARE(window.SelectedKeyRow(), 1);
    QVERIFY(FocusedIn(window) == window.KeyList());
    QVERIFY(fixture.CommandEnabled(C::EditKey));  // the key commands follow the selected row
}

void SearchTest::abortingEndsTheSearchWithoutAMessage() {
    TWindowFixture fixture(BuildAbcTree);
    TMDIChild& window = fixture.Window();
    fixture.Select(window.RootItem());
    // The step waits after its first node until the user has aborted: the abort
    // certainly comes while the search runs.
    std::atomic<bool> aborted{false};
    TKelmorSearch& state = window.SearchState();
    state.processMessages = [&aborted] {
        while (!aborted.load()) std::this_thread::yield();
    };
    TModalDriver driver;
    driver.Then([&aborted](QWidget* modal) {
        auto* progress = qobject_cast<TSearchProgressForm*>(modal);
        QVERIFY(progress);
        QCOMPARE(progress->windowTitle(), QStringLiteral("Searching..."));
        progress->AbortButton()->click();
        aborted.store(true);
    });
    StartSearch(window, "abc", kAllText | sfProcessMessages);
    QVERIFY(driver.AllAnswered());
    QCOMPARE(driver.ModalsSeen(), 1);  // no message after the abort
    QCOMPARE(SelectedText(window), QStringLiteral("Root"));
    QVERIFY(!fixture.CommandEnabled(C::SearchNext));
    QCOMPARE(fixture.TestHost().Progress(), -1);
    QVERIFY(!window.WorkerRunning());
}

void SearchTest::anEngineErrorEndsTheStepWithItsMessage() {
    TWindowFixture fixture(BuildAbcTree);
    TMDIChild& window = fixture.Window();
    fixture.Select(window.RootItem());
    window.SearchState().processMessages = [] { throw EKelmorDamagedError("a test breaks the search."); };
    TSearchDriver driver;
    driver.Message();
    StartSearch(window, "nothing like it", kAllText | sfProcessMessages);
    QCOMPARE(driver.Messages(), QStringList({"Database Damaged: a test breaks the search."}));
    QVERIFY(!fixture.CommandEnabled(C::SearchNext));
    QVERIFY(!window.WorkerRunning());
    QVERIFY(!QApplication::activeModalWidget());
}

void SearchTest::brokenLinksOneAfterTheOther() {
    {
        TWindowFixture fixture(BuildSmallTree);
        TMDIChild& window = fixture.Window();
        fixture.Select(window.RootItem());
        TSearchDriver driver;
        driver.Message();
        Run(window, C::FindBroken);
        QCOMPARE(driver.Messages(), QStringList({"No broken links found."}));
    }
    TWindowFixture fixture([](TKelmorClass& engine) {
        const int32_t gone = AddNode(engine, 0, "Gone");
        const int32_t also = AddNode(engine, 0, "Also gone");
        AddLink(engine, AddNode(engine, 0, "Folder"), gone);
        AddLink(engine, 0, also);
        engine.DeleteNode(gone);
        engine.DeleteNode(also);
    });
    TMDIChild& window = fixture.Window();
    fixture.Select(window.RootItem());
    TSearchDriver driver;
    Run(window, C::FindBroken);
    QCOMPARE(window.StatusText(), QStringLiteral("Root\\Folder\\** BROKEN LINK **"));
    QVERIFY(FocusedIn(window) == window.NodeTree());
    Run(window, C::SearchNext);
    QCOMPARE(window.StatusText(), QStringLiteral("Root\\** BROKEN LINK **"));
    QVERIFY(window.TreeModel()->Kind(window.SelectedItem()) == TTreeItemKind::Link);
    driver.Message();
    Run(window, C::SearchNext);
    QCOMPARE(driver.Messages(), QStringList({"No broken links found."}));
    // The next Find searches text again.
    QVERIFY(window.SearchState().flags & sfBrokenLinks);
    driver.Then([](QWidget* modal) { FillSearchDialog(modal, QStringLiteral("Folder"), kAllText); });
    fixture.Select(window.RootItem());
    Run(window, C::Find);
    QCOMPARE(SelectedText(window), QStringLiteral("Folder"));
    QVERIFY(!(window.SearchState().flags & sfBrokenLinks));
}

// ---------------------------------------------------------------- replacing

void SearchTest::replaceAsksAndAllStopsAsking() {
    TWindowFixture fixture([](TKelmorClass& engine) {
        for (const char* name : {"cat one", "two", "cat three", "cat four"}) AddNode(engine, 0, name);
    });
    TMDIChild& window = fixture.Window();
    fixture.Select(window.RootItem());
    QStringList buttons;
    TSearchDriver driver;
    driver.Then([](QWidget* modal) {
        FillSearchDialog(modal, QStringLiteral("CAT"), sfNodeDescriptions | sfPromptOnReplace, QStringLiteral("dog"));
    });
    // The first question offers All; All replaces every following match without asking.
    driver.Then([&buttons](QWidget* modal) {
        auto* box = qobject_cast<QMessageBox*>(modal);
        QVERIFY(box);
        QCOMPARE(box->text(), QStringLiteral("Do you wish to Replace this Value ?"));
        QVERIFY(box->button(QMessageBox::YesToAll));
        box->button(QMessageBox::YesToAll)->click();
    });
    driver.Message();  // the end of the run
    Run(window, C::Replace);
    QVERIFY(driver.AllAnswered());
    QCOMPARE(driver.Messages().last(), QStringLiteral("Search value 'CAT' not found."));
    QCOMPARE(fixture.Children(window.RootItem()), QStringList({"dog one", "two", "dog three", "dog four"}));
    QCOMPARE(EngineChildren(fixture.Engine(), 0), QStringList({"dog one", "two", "dog three", "dog four"}));
}

void SearchTest::replaceAllWithPromptAsksEveryMatch() {
    TWindowFixture fixture([](TKelmorClass& engine) {
        for (const char* name : {"cat one", "cat two", "cat three"}) AddNode(engine, 0, name);
    });
    TMDIChild& window = fixture.Window();
    fixture.Select(window.RootItem());
    TSearchDriver driver;
    bool allOffered = false;
    auto answer = [&allOffered](QMessageBox::StandardButton button) {
        return [&allOffered, button](QWidget* modal) {
            auto* box = qobject_cast<QMessageBox*>(modal);
            QVERIFY(box);
            allOffered = allOffered || box->button(QMessageBox::YesToAll);
            box->button(button)->click();
        };
    };
    driver.Then(answer(QMessageBox::Yes)).Then(answer(QMessageBox::No)).Then(answer(QMessageBox::Yes));
    driver.Message();
    StartSearch(window, "cat", sfNodeDescriptions | sfPromptOnReplace | sfReplaceAll, true, "dog");
    QVERIFY(driver.AllAnswered());
    QVERIFY(!allOffered);
    QCOMPARE(EngineChildren(fixture.Engine(), 0), QStringList({"dog one", "cat two", "dog three"}));

    // Abort ends the run at once, and the search with it.
    driver.Then(answer(QMessageBox::Abort));
    StartSearch(window, "cat", sfNodeDescriptions | sfPromptOnReplace | sfReplaceAll, true, "dog");
    QVERIFY(driver.AllAnswered());
    QCOMPARE(EngineChildren(fixture.Engine(), 0), QStringList({"dog one", "cat two", "dog three"}));
    QVERIFY(!fixture.CommandEnabled(C::SearchNext));
}

void SearchTest::replaceAllWithoutPromptThenFindStopsAtTheFirstMatch() {
    TWindowFixture fixture([](TKelmorClass& engine) {
        const int32_t node = AddNode(engine, 0, "red car");
        engine.LoadNode(node);
        engine.AddStringKey("red", "a red hat");
        engine.SaveNode(node);
        AddNode(engine, node, "red child");
        AddNode(engine, 0, "red again");
    });
    TMDIChild& window = fixture.Window();
    fixture.Select(window.RootItem());
    TSearchDriver driver;
    driver.Message();
    StartSearch(window, "red", kAllText | sfReplaceAll, true, "blue");
    QCOMPARE(driver.Messages(), QStringList({"Search value 'red' not found."}));
    TKelmorClass& engine = fixture.Engine();
    QCOMPARE(EngineChildren(engine, 0), QStringList({"blue car", "blue again"}));
    const int32_t car = NodeOf(fixture, {"blue car"});
    QCOMPARE(EngineChildren(engine, car), QStringList({"blue child"}));
    engine.LoadNode(car);
    QCOMPARE(engine.GetKeyName(1), std::string("blue"));
    QCOMPARE(engine.KeyValueText(1), std::string("a blue hat"));

    fixture.Select(window.RootItem());
    StartSearch(window, "blue", kAllText);
    QCOMPARE(SelectedText(window), QStringLiteral("blue car"));
    QVERIFY(fixture.CommandEnabled(C::SearchNext));
}

void SearchTest::caseSensitiveSearchReplacesEveryCase() {
    TWindowFixture fixture([](TKelmorClass& engine) {
        AddNode(engine, 0, "AB only");
        AddNode(engine, 0, "Ab AB ab");
    });
    TMDIChild& window = fixture.Window();
    fixture.Select(window.RootItem());
    TSearchDriver driver;
    driver.Message(QMessageBox::Yes);
    StartSearch(window, "Ab", sfNodeDescriptions | sfCaseSensitive | sfPromptOnReplace, true, "Z");
    QCOMPARE(driver.Messages(), QStringList({"Do you wish to Replace this Value ?"}));
    QCOMPARE(EngineChildren(fixture.Engine(), 0), QStringList({"AB only", "Z Z Z"}));
    QCOMPARE(SelectedText(window), QStringLiteral("Z Z Z"));
}

void SearchTest::replacedValues_data() {
    QTest::addColumn<int>("type");
    QTest::addColumn<QString>("search");
    QTest::addColumn<QString>("replacement");
    QTest::addColumn<QString>("expected");  // empty: refused; "*": the old text with the replacement
    // The keys after "Before": Longint 100001, Byte 12, Integer -12, Float 1.5,
    // Currency 12.5, Double 0.25, Date 2024-03-01 10:20:30, String "on the line"; each
    // search text matches first in the key of its row.
    QTest::newRow("longint") << int(ktLongint) << "100001"
                             << "-7"
                             << "-7";
    QTest::newRow("longint with a letter") << int(ktLongint) << "1"
                                           << "x"
                                           << "";
    QTest::newRow("byte in range") << int(ktByte) << "12"
                                   << "255"
                                   << "255";
    QTest::newRow("byte above its range") << int(ktByte) << "12"
                                          << "256"
                                          << "";
    QTest::newRow("integer outside its range") << int(ktInteger) << "-12"
                                               << "40000"
                                               << "";
    QTest::newRow("float") << int(ktFloat) << "1.5"
                           << "2.25"
                           << "2.250";
    QTest::newRow("currency to four decimals") << int(ktCurrency) << "12.5"
                                               << "0.0001"
                                               << "0.000";
    QTest::newRow("double") << int(ktDouble) << "0.25"
                            << "1E300"
                            << "1E300";
    QTest::newRow("date") << int(ktDate) << "2024"
                          << "2031"
                          << "*";
    QTest::newRow("date a key cannot hold") << int(ktDate) << "2024"
                                            << "1970"
                                            << "";
    QTest::newRow("string") << int(ktString) << "line"
                            << "road"
                            << "*";
}

void SearchTest::replacedValues() {
    QFETCH(int, type);
    QFETCH(QString, search);
    QFETCH(QString, replacement);
    QFETCH(QString, expected);
    int32_t node = 0;
    TWindowFixture fixture([&node](TKelmorClass& engine) {
        node = AddNode(engine, 0, "Values");
        engine.LoadNode(node);
        engine.AddStringKey("Before", "-");
        engine.AddLongintKey("Longint", 100001);
        engine.AddByteKey("Byte", 12);
        engine.AddIntegerKey("Integer", -12);
        engine.AddFloatKey("Float", 1.5f);
        engine.AddCurrencyKey("Currency", 125000);
        engine.AddDoubleKey("Double", 0.25);
        engine.AddDateKey("Date", EncodeDate(2024, 3, 1) + EncodeTime(10, 20, 30, 0));
        engine.AddStringKey("String", "on the line");
        engine.AddStringKey("After", "-");
        engine.SaveNode(node);
    });
    TMDIChild& window = fixture.Window();
    TKelmorClass& engine = fixture.Engine();
    engine.LoadNode(node);
    uint16_t key = 0;
    for (uint16_t k = 1; k <= engine.KeyCount(); ++k) {
        if (engine.KeyType(k) == type && engine.GetKeyName(k) != "Before" && engine.GetKeyName(k) != "After") key = k;
    }
    QVERIFY(key > 0);
    const std::string name = engine.GetKeyName(key);
    const std::string before = engine.KeyValueText(key);
    fixture.Select(fixture.Item({"Values"}));

    TSearchDriver driver;
    if (expected.isEmpty()) driver.Message(QMessageBox::Abort);
    StartSearch(window, search.toStdString(), sfKeyValues, true, replacement.toStdString());
    engine.LoadNode(node);
    QCOMPARE(engine.KeyCount(), uint16_t(10));
    QCOMPARE(engine.GetKeyName(key), name);
    QCOMPARE(int(engine.KeyType(key)), type);
    if (expected.isEmpty()) {
        QCOMPARE(driver.Messages(), QStringList({"Unable to replace value. Incorrect format."}));
        QCOMPARE(engine.KeyValueText(key), before);
    } else {
        if (expected == QLatin1String("*"))
            expected =
                QString::fromStdString(ReplaceIgnoringCase(before, search.toStdString(), replacement.toStdString()));
        QVERIFY(driver.Messages().isEmpty());
        QCOMPARE(QString::fromStdString(engine.KeyValueText(key)), expected);
        QCOMPARE(fixture.KeyRows().at(key - 1), QString::fromStdString(name) + QLatin1Char('=') + expected);
    }
}

void SearchTest::sequenceValuesAreNotReplaced() {
    TWindowFixture fixture([](TKelmorClass& engine) {
        const int32_t node = AddNode(engine, 0, "Bytes");
        engine.LoadNode(node);
        const uint8_t bytes[] = {0xAB, 0xCD};
        engine.AddSequenceKey("Seq", bytes, sizeof bytes);
        engine.AddStringKey("Text", "AB");
        engine.SaveNode(node);
    });
    TMDIChild& window = fixture.Window();
    fixture.Select(window.RootItem());
    TSearchDriver driver;
    driver.Message(QMessageBox::Ok);  // the sequence: OK goes on with the next match
    driver.Message();                 // the run's end
    StartSearch(window, "AB", sfKeyValues | sfReplaceAll, true, "x");
    QCOMPARE(driver.Messages(),
             QStringList({"Cannot change blob or sequence values.", "Search value 'AB' not found."}));
    QCOMPARE(fixture.KeyRows(), QStringList({"Seq=AB CD", "Text=x"}));
}

void SearchTest::keyNameReplacedInPlace() {
    int32_t node = 0;
    TWindowFixture fixture([&node](TKelmorClass& engine) {
        node = AddNode(engine, AddNode(engine, 0, "Folder"), "Holder");
        engine.LoadNode(node);
        engine.AddStringKey("old name", "v");
        engine.SaveNode(node);
    });
    TMDIChild& window = fixture.Window();
    fixture.Select(window.RootItem());
    TSearchDriver driver;
    StartSearch(window, "old", sfKeyNames, true, "new");
    QCOMPARE(SelectedText(window), QStringLiteral("Holder"));
    QCOMPARE(fixture.KeyRows(), QStringList({"new name=v"}));
    fixture.Engine().LoadNode(node);
    QCOMPARE(fixture.Engine().GetKeyName(1), std::string("new name"));
}

// ---------------------------------------------------------------- locating

void SearchTest::locateByID_data() {
    QTest::addColumn<int>("id");  // -2: the hidden node's
    QTest::addColumn<QString>("selected");
    QTest::addColumn<QString>("message");
    QTest::newRow("negative") << -5 << "Plain"
                              << "Node ID does not exist.";
    QTest::newRow("no such node") << 4000 << "Plain"
                                  << "Node ID does not exist.";
    QTest::newRow("root") << 0 << "Root"
                          << "";
    QTest::newRow("hidden") << -2 << "Plain"
                            << "Access Denied.";
    QTest::newRow("deep") << -3 << "Deep"
                          << "";
}

void SearchTest::locateByID() {
    QFETCH(int, id);
    QFETCH(QString, selected);
    QFETCH(QString, message);
    int32_t hidden = 0, deep = 0;
    TWindowFixture::TOptions options;
    options.populate = [&](TKelmorClass& engine) {
        AddNode(engine, 0, "Plain");
        hidden = AddNode(engine, AddNode(engine, 0, "Folder"), "Secret");
        engine.SetNodeSecurity(hidden, 1, false);
        deep = AddNode(engine, AddNode(engine, AddNode(engine, 0, "One"), "Two"), "Deep");
        engine.SetUser(3, "clerk", "pw");
    };
    options.user = QStringLiteral("clerk");
    options.password = QStringLiteral("pw");
    TWindowFixture fixture(options);
    QVERIFY(fixture.Opened());
    TMDIChild& window = fixture.Window();
    fixture.Select(fixture.Item({"Plain"}));
    const int32_t target = id == -2 ? hidden : id == -3 ? deep : id;

    TModalDriver driver;
    int32_t offered = -1;
    driver.Then([&](QWidget* modal) {
        auto* edit = modal->findChild<TIntegerEdit*>(QStringLiteral("xNodeID"));
        QVERIFY(edit);
        offered = edit->Value();
        edit->SetValue(target);
        modal->findChild<QPushButton*>(QStringLiteral("OkButton"))->click();
    });
    if (!message.isEmpty()) driver.Message();
    Run(window, C::LocateID);
    QVERIFY(driver.AllAnswered());
    QCOMPARE(offered, 0);  // the root's at first
    QCOMPARE(driver.Messages(), message.isEmpty() ? QStringList() : QStringList({message}));
    QCOMPARE(SelectedText(window), selected);

    // The dialog offers the number entered last.
    driver.Then([&](QWidget* modal) {
        offered = modal->findChild<TIntegerEdit*>(QStringLiteral("xNodeID"))->Value();
        modal->findChild<QPushButton*>(QStringLiteral("CancelButton"))->click();
    });
    Run(window, C::LocateID);
    QCOMPARE(offered, target);
}

// ---------------------------------------------------------------- long searches

void SearchTest::closingTheProgramDuringASearch_data() {
    QTest::addColumn<bool>("throughFind");
    QTest::newRow("the step held until the close") << false;
    QTest::newRow("started from the Find dialog") << true;
}

void SearchTest::closingTheProgramDuringASearch() {
    QFETCH(bool, throughFind);
    TWindowFixture::TOptions options;
    options.populate = [throughFind](TKelmorClass& engine) {
        BuildAbcTree(engine);
        // The Find dialog leaves no way to hold the step: a long search makes sure it is
        // still running when the close comes (every value below must be formatted to be
        // compared with the digits searched for).
        if (!throughFind) return;
        const int32_t big = AddNode(engine, 0, "Big");
        for (int i = 0; i < 30000; ++i) {
            const int32_t node = AddNode(engine, big, "node");
            engine.LoadNode(node);
            for (int k = 0; k < 20; ++k) engine.AddDoubleKey("w", (i * 20 + k) / 7.0);
            engine.SaveNode(node);
        }
    };
    options.host = TWindowFixture::THost::MainForm;
    TWindowFixture fixture(options);
    QVERIFY(fixture.Opened());
    TMDIChild& window = fixture.Window();
    const QString base = fixture.BasePath();
    // A change the periodic flush has not saved yet.
    fixture.Select(fixture.Item({"Plain"}));
    TKelmorClass& engine = fixture.Engine();
    const int32_t plain = NodeOf(fixture, {"Plain"});
    engine.LoadNode(plain);
    engine.SetDescription("Changed");
    engine.SaveNode(plain);

    std::atomic<bool> closing{false};
    window.SearchState().processMessages = [&closing] {
        while (!closing.load()) std::this_thread::yield();
    };
    TModalDriver driver;
    if (throughFind)
        driver.Then([](QWidget* modal) { FillSearchDialog(modal, QStringLiteral("9999999999"), kAllText); });
    QString closedDuring;
    driver.Then([&](QWidget* modal) {
        closedDuring = modal->objectName();
        closing.store(true);
        fixture.Form().close();  // the search stops, the database is saved, the windows go
    });
    const QPointer<TMDIChild> alive(&window);
    if (throughFind) {
        window.ExecuteCommand(C::Find);
    } else {
        window.SearchState().searchText = "no such text";
        window.SearchState().flags = kAllText | sfProcessMessages;
        window.RunSearch(true);
    }
    QVERIFY(driver.AllAnswered());
    QVERIFY(!alive);
    QCOMPARE(closedDuring, kProgressForm);

    TKelmorClass reopened;
    QCOMPARE(reopened.OpenDatabase(ToEnginePath(base), true, TKelmorClass::MakeLogin("admin", "secret")), kResultOK);
    QCOMPARE(EngineChildren(reopened, 0).first(), QStringLiteral("Changed"));
}

void SearchTest::abortingASearchOfAFullDatabase() {
    // A database full of nodes: the abort comes once the progress display has moved, and
    // the search stops (the window stays usable, and the same search can run again).
    TWindowFixture fixture([](TKelmorClass& engine) {
        const int32_t big = AddNode(engine, 0, "Big");
        for (int i = 1; i < 65534; ++i) AddNode(engine, big, "node " + std::to_string(i));
    });
    TMDIChild& window = fixture.Window();
    fixture.Select(window.RootItem());
    TTestHost& host = fixture.TestHost();
    // Some way into the search (about a node every two steps), the step waits for the abort.
    std::atomic<bool> aborted{false};
    std::atomic<int> steps{0};
    TKelmorSearch& state = window.SearchState();
    state.flags = kAllText | sfProcessMessages;  // Find Broken Links keeps the flags
    state.processMessages = [&] {
        if (++steps == 30000) {
            while (!aborted.load()) std::this_thread::yield();
        }
    };
    int lastProgress = -1;
    TModalDriver driver;
    driver.Then([&](QWidget* modal) {
        auto* progress = qobject_cast<TSearchProgressForm*>(modal);
        QVERIFY(progress);
        QTRY_VERIFY_WITH_TIMEOUT(host.Progress() >= 10, 20000);
        lastProgress = host.Progress();
        progress->AbortButton()->click();
        aborted.store(true);
    });
    window.ExecuteCommand(C::SearchNext);  // not offered: nothing happens
    QCOMPARE(driver.ModalsSeen(), 0);
    Run(window, C::FindBroken);  // with the window's progress reporter
    QVERIFY(driver.AllAnswered());
    QVERIFY(lastProgress >= 10);
    QCOMPARE(driver.ModalsSeen(), 1);  // no message after the abort
    QVERIFY(!fixture.CommandEnabled(C::SearchNext));
    QCOMPARE(host.Progress(), -1);
}

QTEST_MAIN(SearchTest)
#include "search_test.moc"
