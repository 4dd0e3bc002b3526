// The key commands of the database window: adding and inserting keys of all ten types
// with their initial values and in-place naming, renaming a key with its checks,
// deleting with and without the question, and shifting keys, each checked in the key
// list and in the engine.
#include <QAction>
#include <QApplication>
#include <QDate>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "app/tcommanddefinition.h"
#include "editors/tkeyeditorform.h"
#include "editors/tstringkeyeditor.h"
#include "tests/gui/guitestsupport.h"
#include "tests/gui/windowfixture.h"
#include "ui/common.h"
#include "window/tkelmorlistview.h"
#include "window/tkeylistmodel.h"

using namespace kelmor;
using namespace kelmor::test;

namespace {

// Root: "Keys" with the keys one..four, and "Empty" without keys.
void BuildKeys(TKelmorClass& engine) {
    const int32_t node = AddNode(engine, 0, "Keys");
    engine.LoadNode(node);
    engine.AddStringKey("one", "1");
    engine.AddByteKey("two", 2);
    engine.AddIntegerKey("three", 3);
    engine.AddLongintKey("four", 4);
    engine.SaveNode(node);
    AddNode(engine, 0, "Empty");
}

// The names of the selected node's keys, as the engine holds them.
QStringList EngineKeyNames(TMDIChild& window) {
    TKelmorClass& engine = window.Engine();
    engine.LoadNode(window.SelectedNode());
    QStringList names;
    for (uint16_t key = 1; key <= engine.KeyCount(); ++key) names << FromLatin1(engine.GetKeyName(key));
    return names;
}

QStringList RowNames(TMDIChild& window) {
    QStringList names;
    for (int row = 0; row < window.KeyModel()->rowCount(); ++row) names << window.KeyModel()->Row(row).name;
    return names;
}

}  // namespace

class KeyCommandsTest : public QObject {
    Q_OBJECT
private slots:
    void init() { UseTestSettings(); }

    void addingAndInsertingKeysOfEveryType_data();
    void addingAndInsertingKeysOfEveryType();
    void newKeyIsNamedInPlace();
    void renamingAKeyChecksTheText();
    void deletingAKey();
    void editingAValue_data();
    void editingAValue();
    void editingAValueOfAReadOnlyDatabase();
    void shiftingKeys();
    void engineErrorsReachTheErrorReport();
};

void KeyCommandsTest::addingAndInsertingKeysOfEveryType_data() {
    QTest::addColumn<QString>("command");
    QTest::addColumn<int>("type");
    QTest::addColumn<bool>("insert");
    // The commands' names, as the toolbar stores them, and the types they make.
    const char* const names[] = {"Byte", "Integer", "Longint",  "Float",  "String",
                                 "Seq",  "Blob",    "Currency", "Double", "Date"};
    for (int type = 1; type <= 10; ++type) {
        QTest::addRow("add %s", names[type - 1]) << QStringLiteral("AAdd%1").arg(names[type - 1]) << type << false;
        QTest::addRow("insert %s", names[type - 1]) << QStringLiteral("AIns%1").arg(names[type - 1]) << type << true;
    }
}

void KeyCommandsTest::addingAndInsertingKeysOfEveryType() {
    QFETCH(QString, command);
    QFETCH(int, type);
    QFETCH(bool, insert);
    TWindowFixture fixture(BuildKeys);
    QVERIFY(fixture.Opened());
    TMDIChild& window = fixture.Window();
    fixture.Select(fixture.Item({"Keys"}));
    fixture.SelectKey(2);  // key 3, "three"

    const std::optional<TCommandId> id = CommandIdByName(command.toStdString());
    QVERIFY(id);
    window.ExecuteCommand(*id);
    // Insert puts the new key at the selected key's place, Add puts it last.
    const int row = insert ? 2 : 4;
    const QStringList expected = insert ? QStringList({"one", "two", "New Key", "three", "four"})
                                        : QStringList({"one", "two", "three", "four", "New Key"});
    QCOMPARE(RowNames(window), expected);
    QCOMPARE(EngineKeyNames(window), expected);
    QCOMPARE(window.SelectedKeyRow(), row);
    QVERIFY(window.KeyList()->IsEditing());
    QCOMPARE(window.KeyList()->EditedIndex().row(), row);
    QVERIFY(FinishEdit(window.KeyList(), false));

    TKelmorClass& engine = fixture.Engine();
    const uint16_t key = static_cast<uint16_t>(row + 1);
    QCOMPARE(int(engine.KeyType(key)), type);
    QCOMPARE(window.KeyModel()->Row(row).value, FromLatin1(engine.KeyValueText(key)));
    QCOMPARE(window.KeyModel()->data(window.KeyModel()->index(row, 0), TKeyListModel::kKeyTypeRole).toInt(), type);
    switch (type) {
        case ktByte: QCOMPARE(engine.GetByteKey(key), uint8_t(0)); break;
        case ktInteger: QCOMPARE(engine.GetIntegerKey(key), int16_t(0)); break;
        case ktLongint: QCOMPARE(engine.GetLongintKey(key), 0); break;
        case ktFloat: QCOMPARE(engine.GetFloatKey(key), 0.0f); break;
        case ktString: QCOMPARE(engine.GetStringKey(key), std::string()); break;
        case ktSequence: QCOMPARE(engine.GetSequenceKey(key), std::string()); break;
        case ktBlob: QCOMPARE(engine.GetBlobKey(key).size(), size_t(0)); break;
        case ktCurrency: QCOMPARE(engine.GetCurrencyKey(key), int64_t(0)); break;
        case ktDouble: QCOMPARE(engine.GetDoubleKey(key), 0.0); break;
        case ktDate: {
            // Today at 00:00.
            const QDate today = QDate::currentDate();
            QCOMPARE(engine.GetDateKey(key), EncodeDate(today.year(), today.month(), today.day()));
            break;
        }
    }
}

void KeyCommandsTest::newKeyIsNamedInPlace() {
    TWindowFixture fixture(BuildKeys);
    QVERIFY(fixture.Opened());
    TMDIChild& window = fixture.Window();
    fixture.Select(fixture.Item({"Empty"}));
    QVERIFY(fixture.CommandEnabled(TCommandId::AddString));
    QVERIFY(!fixture.CommandEnabled(TCommandId::InsString));  // no key to insert before
    window.ExecuteCommand(TCommandId::AddString);             // Add String
    QVERIFY(window.KeyList()->IsEditing());
    QVERIFY(fixture.Host().Command(TCommandId::DeleteKey)->shortcut().isEmpty());
    QVERIFY(FinishEdit(window.KeyList(), QStringLiteral("Greeting")));
    QCOMPARE(RowNames(window), QStringList({"Greeting"}));
    QCOMPARE(EngineKeyNames(window), QStringList({"Greeting"}));
    QCOMPARE(fixture.Host().Command(TCommandId::DeleteKey)->shortcut().toString(), QStringLiteral("Del"));
    // The new row is selected: the key commands apply to it.
    QVERIFY(fixture.CommandEnabled(TCommandId::RenameKey));
    QVERIFY(fixture.CommandEnabled(TCommandId::InsString));
    QVERIFY(!fixture.CommandEnabled(TCommandId::ShiftKeyUp));
}

void KeyCommandsTest::renamingAKeyChecksTheText() {
    TWindowFixture fixture(BuildKeys);
    QVERIFY(fixture.Opened());
    TMDIChild& window = fixture.Window();
    fixture.Select(fixture.Item({"Keys"}));
    fixture.SelectKey(1);
    TModalDriver driver;

    window.ExecuteCommand(TCommandId::RenameKey);
    QVERIFY(window.KeyList()->IsEditing());
    driver.Message();
    QVERIFY(FinishEdit(window.KeyList(), QString()));
    QCOMPARE(driver.Messages(), QStringList({"A description of one or more characters is required."}));
    QCOMPARE(RowNames(window).at(1), QStringLiteral("two"));
    QCOMPARE(EngineKeyNames(window).at(1), QStringLiteral("two"));

    const QString long256 = QString(256, QLatin1Char('k'));
    window.ExecuteCommand(TCommandId::RenameKey);
    driver.Message();
    QVERIFY(FinishEdit(window.KeyList(), long256));
    QCOMPARE(driver.Messages().last(),
             QStringLiteral("Descriptions of more than 255 characters are not supported.\n\nText has been truncated."));
    QCOMPARE(RowNames(window).at(1), long256.left(255));
    QCOMPARE(EngineKeyNames(window).at(1), long256.left(255));

    window.ExecuteCommand(TCommandId::RenameKey);
    QVERIFY(FinishEdit(window.KeyList(), QStringLiteral("second")));
    QCOMPARE(EngineKeyNames(window), QStringList({"one", "second", "three", "four"}));
    QCOMPARE(window.KeyModel()->Row(1).value, QStringLiteral("2"));  // the value stays
    QVERIFY(driver.AllAnswered());
    QCOMPARE(driver.Messages().size(), 2);
}

void KeyCommandsTest::editingAValue_data() {
    QTest::addColumn<QString>("gesture");
    QTest::addColumn<bool>("ok");
    for (const char* gesture : {"command", "Enter", "double click"}) {
        QTest::addRow("%s, OK", gesture) << QString::fromLatin1(gesture) << true;
        QTest::addRow("%s, Cancel", gesture) << QString::fromLatin1(gesture) << false;
    }
}

void KeyCommandsTest::editingAValue() {
    QFETCH(QString, gesture);
    QFETCH(bool, ok);
    TWindowFixture fixture(BuildKeys);
    QVERIFY(fixture.Opened());
    TMDIChild& window = fixture.Window();
    fixture.Select(fixture.Item({"Keys"}));
    fixture.SelectKey(0);  // "one", the string "1"
    TKelmorClass& engine = fixture.Engine();
    engine.Flush();
    QVERIFY(!engine.Modified());

    TModalDriver driver;
    driver.Then([ok](QWidget* modal) {
        auto* editor = qobject_cast<TKeyEditorForm*>(modal);
        QVERIFY(editor);
        QCOMPARE(editor->windowTitle(), QStringLiteral("Edit String Value"));
        auto* frame = qobject_cast<TStringKeyEditor*>(editor->Frame());
        QVERIFY(frame);
        QCOMPARE(frame->EStringBox()->text(), QStringLiteral("1"));
        frame->EStringBox()->setText(QStringLiteral("changed"));
        (ok ? editor->OkButton() : editor->CancelButton())->click();
    });
    if (gesture == QLatin1String("command")) {
        window.ExecuteCommand(TCommandId::EditKey);
    } else if (gesture == QLatin1String("Enter")) {
        QTest::keyClick(window.KeyList(), Qt::Key_Return);
    } else {
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        const QRect row = window.KeyList()->visualRect(window.KeyModel()->index(0, 0));
        QVERIFY(row.isValid());
        // The press of a double click comes first, as from a real mouse.
        QTest::mousePress(window.KeyList()->viewport(), Qt::LeftButton, {}, row.center());
        QTest::mouseDClick(window.KeyList()->viewport(), Qt::LeftButton, {}, row.center());
    }
    QTRY_VERIFY(driver.AllAnswered());
    QCOMPARE(driver.ModalsSeen(), 1);

    const QString expected = ok ? QStringLiteral("changed") : QStringLiteral("1");
    QCOMPARE(fixture.KeyRows(), QStringList({"one=" + expected, "two=2", "three=3", "four=4"}));
    QVERIFY(engine.LoadNode(window.SelectedNode()));
    QCOMPARE(engine.KeyCount(), uint16_t(4));
    QCOMPARE(FromLatin1(engine.GetKeyName(1)), QStringLiteral("one"));
    QCOMPARE(int(engine.KeyType(1)), int(ktString));
    QCOMPARE(FromLatin1(engine.GetStringKey(1)), expected);
    QCOMPARE(engine.Modified(), ok);
}

void KeyCommandsTest::editingAValueOfAReadOnlyDatabase() {
    TWindowFixture::TOptions options;
    options.populate = BuildKeys;
    options.readOnly = true;
    TWindowFixture fixture(options);
    QVERIFY(fixture.Opened());
    TMDIChild& window = fixture.Window();
    fixture.Select(fixture.Item({"Keys"}));
    fixture.SelectKey(2);  // "three", the integer 3
    QVERIFY(fixture.CommandEnabled(TCommandId::EditKey));
    TModalDriver driver;
    driver.Then([](QWidget* modal) {
        auto* editor = qobject_cast<TKeyEditorForm*>(modal);
        QVERIFY(editor);
        QCOMPARE(editor->CancelButton()->text(), QStringLiteral("Close"));
        QVERIFY(!editor->OkButton()->isVisible());
        editor->CancelButton()->click();
    });
    window.ExecuteCommand(TCommandId::EditKey);
    QVERIFY(driver.AllAnswered());
    QCOMPARE(fixture.KeyRows().at(2), QStringLiteral("three=3"));
}

void KeyCommandsTest::deletingAKey() {
    TWindowFixture fixture(BuildKeys);
    QVERIFY(fixture.Opened());
    TMDIChild& window = fixture.Window();
    fixture.Select(fixture.Item({"Keys"}));
    fixture.SelectKey(1);
    TModalDriver driver;
    driver.Message(QMessageBox::No).Message(QMessageBox::Yes);
    window.ExecuteCommand(TCommandId::DeleteKey);
    QCOMPARE(EngineKeyNames(window), QStringList({"one", "two", "three", "four"}));
    window.ExecuteCommand(TCommandId::DeleteKey);
    QCOMPARE(driver.Messages(),
             QStringList({"Do you wish to Delete the Key\n'two' ?", "Do you wish to Delete the Key\n'two' ?"}));
    QCOMPARE(EngineKeyNames(window), QStringList({"one", "three", "four"}));
    QCOMPARE(RowNames(window), QStringList({"one", "three", "four"}));
    // The next key takes the selection, and the key commands follow it.
    QCOMPARE(window.SelectedKeyRow(), 1);
    QVERIFY(fixture.CommandEnabled(TCommandId::DeleteKey));
    QVERIFY(fixture.CommandEnabled(TCommandId::ShiftKeyUp));

    fixture.SetOption(TDatabaseHost::TOption::ConfirmDeletion, false);
    fixture.SelectKey(2);
    window.ExecuteCommand(TCommandId::DeleteKey);
    QCOMPARE(driver.ModalsSeen(), 2);
    QCOMPARE(EngineKeyNames(window), QStringList({"one", "three"}));
    QCOMPARE(window.SelectedKeyRow(), 1);  // the last key went: the one before it
    QVERIFY(!fixture.CommandEnabled(TCommandId::ShiftKeyDown));
}

void KeyCommandsTest::shiftingKeys() {
    TWindowFixture fixture(BuildKeys);
    QVERIFY(fixture.Opened());
    TMDIChild& window = fixture.Window();
    fixture.Select(fixture.Item({"Keys"}));
    fixture.SelectKey(0);
    window.ExecuteCommand(TCommandId::ShiftKeyDown);  // down
    QCOMPARE(EngineKeyNames(window), QStringList({"two", "one", "three", "four"}));
    QCOMPARE(RowNames(window), QStringList({"two", "one", "three", "four"}));
    QCOMPARE(window.SelectedKeyRow(), 1);
    QCOMPARE(window.KeyModel()->Row(1).value, QStringLiteral("1"));
    window.ExecuteCommand(TCommandId::ShiftKeyDown);
    window.ExecuteCommand(TCommandId::ShiftKeyDown);
    QCOMPARE(EngineKeyNames(window), QStringList({"two", "three", "four", "one"}));
    QVERIFY(!fixture.CommandEnabled(TCommandId::ShiftKeyDown));
    window.ShiftKey(false);  // the last key stays last
    QCOMPARE(EngineKeyNames(window), QStringList({"two", "three", "four", "one"}));
    window.ExecuteCommand(TCommandId::ShiftKeyUp);  // up
    QCOMPARE(EngineKeyNames(window), QStringList({"two", "three", "one", "four"}));
    QCOMPARE(RowNames(window), QStringList({"two", "three", "one", "four"}));
    QCOMPARE(window.SelectedKeyRow(), 2);
    fixture.SelectKey(0);
    window.ShiftKey(true);  // the first key stays first
    QCOMPARE(EngineKeyNames(window), QStringList({"two", "three", "one", "four"}));
}

void KeyCommandsTest::engineErrorsReachTheErrorReport() {
    int keys = 0;
    TWindowFixture fixture([&keys](TKelmorClass& engine) {
        const int32_t node = AddNode(engine, 0, "Full");
        engine.LoadNode(node);
        // String keys, shorter and shorter, until the record has no room for any other.
        for (int size = 255; size >= 0; --size) {
            try {
                for (;; ++keys) engine.AddStringKey("k" + std::to_string(keys), std::string(size, 'v'));
            } catch (const EKelmorKeyListFullError&) {}
        }
        engine.SaveNode(node);
    });
    QVERIFY(fixture.Opened());
    TMDIChild& window = fixture.Window();
    fixture.Select(fixture.Item({"Full"}));
    QCOMPARE(window.KeyModel()->rowCount(), keys);
    TModalDriver driver;
    driver.Message();
    window.ExecuteCommand(TCommandId::AddString);  // Add String: no room
    QCOMPARE(driver.Messages(), QStringList({"Key List Full"}));
    QVERIFY(!QApplication::overrideCursor());
    QVERIFY(!window.KeyList()->IsEditing());
    QCOMPARE(window.KeyModel()->rowCount(), keys);
    QCOMPARE(EngineKeyNames(window).size(), keys);
}

QTEST_MAIN(KeyCommandsTest)
#include "keycommands_test.moc"
