// The record import dialog and the CSV options dialog on the options of real import jobs:
// the rows, renaming in place and key types reaching the options (and the import) only on
// OK, the option flags, the keys Enter and Esc, the advanced CSV options rebuilding the
// field list and keeping their settings between showings, and a dBase import without them.
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>
#include <functional>
#include <map>
#include <memory>

#include "engine/keytypes.h"
#include "engine/tkelmor.h"
#include "interchange/tadvancedimportoptions.h"
#include "interchange/timportercsv.h"
#include "interchange/timporterdbf.h"
#include "interchange/timporteroptions.h"
#include "tests/testsupport/dbftable.h"
#include "tests/testsupport/tempdir.h"
#include "transfer/tcsvoptionsform.h"
#include "transfer/trecordimporterform.h"

using namespace kelmor;
using namespace kelmor::test;

namespace {

// One plain picture per key type, told apart by their cache keys.
class TKeyTypeIcons {
public:
    TKeyTypeIcons() {
        for (int type = 0; type <= kLastKeyType; ++type) {
            QPixmap pixmap(16, 16);
            pixmap.fill(QColor::fromHsv(type * 30, 255, 255));
            icons_[static_cast<uint8_t>(type)] = QIcon(pixmap);
        }
    }
    TRecordImporterForm::TKeyTypeIcon Function() const {
        return [this](uint8_t type) { return icons_.count(type) ? icons_.at(type) : QIcon(); };
    }
    qint64 Key(uint8_t type) const { return icons_.at(type).cacheKey(); }

private:
    std::map<uint8_t, QIcon> icons_;
};

// A database and a file to import into it.
class TImportFixture {
public:
    TImportFixture(const std::string& fileName, const std::vector<uint8_t>& bytes) : file(dir / fileName) {
        WriteBytes(file, bytes);
        opened = engine.CreateDatabase(dir / "db", TKelmorClass::MakeLogin("admin", "secret")) == kResultOK;
    }

    // Every node below the root as "description: Name:type=text | ...", one per line.
    std::string Dump() {
        std::string text;
        TKelmorNodeRec rec;
        std::vector<int32_t> nodes;
        for (bool more = engine.FindFirstChild(rec, 0); more; more = engine.FindNextChild(rec))
            nodes.push_back(rec.currentID);
        for (const int32_t node : nodes) {
            if (!engine.LoadNode(node)) continue;
            text += engine.GetDescription() + ":";
            for (uint16_t k = 1; k <= engine.KeyCount(); ++k) {
                text += (k > 1 ? " | " : " ") + engine.GetKeyName(k) + ":" + KeyTypeName(engine.KeyType(k)) + "=" +
                        engine.KeyValueText(k);
            }
            text += "\n";
        }
        return text;
    }

    TTempDir dir;
    std::string file;
    TKelmorClass engine;
    bool opened = false;
};

std::vector<uint8_t> Bytes(const std::string& text) { return std::vector<uint8_t>(text.begin(), text.end()); }

// A CSV file and its import job, as the database window creates them.
class TCsvImport : public TImportFixture {
public:
    explicit TCsvImport(const std::string& text) : TImportFixture("data.csv", Bytes(text)) {
        if (opened) job = std::make_unique<TImporterCSV>(nullptr, "Root", file, engine);
    }
    // Runs the import on this thread; the dump of what it created, or the error.
    std::string Import() {
        job->Run();
        if (job->ResultCode() != 0) return "error " + std::to_string(job->ResultCode()) + ": " + job->ErrorMessage();
        return Dump();
    }
    TImporterOptions& Options() { return job->Options(); }

    std::unique_ptr<TImporterCSV> job;
};

QStringList Column(const TRecordImporterForm& form, int column) {
    QStringList texts;
    for (int row = 0; row < form.Fields()->topLevelItemCount(); ++row)
        texts << form.Fields()->topLevelItem(row)->text(column);
    return texts;
}

QStringList KeyNames(const TImporterOptions& options) {
    QStringList names;
    for (int field = 0; field < options.FieldCount(); ++field) names << QString::fromLatin1(options.KeyName(field));
    return names;
}

QLineEdit* OpenEditor(const TRecordImporterForm& form) {
    for (QLineEdit* editor : form.Fields()->findChildren<QLineEdit*>(QStringLiteral("FieldNameEditor"))) {
        if (editor->isVisible()) return editor;
    }
    return nullptr;
}

void SelectRow(TRecordImporterForm& form, int row) { form.Fields()->setCurrentItem(form.Fields()->topLevelItem(row)); }

// Types `text` into `editor` one character at a time, as a keyboard delivers it (any
// character, not only those with a key of their own).
void Type(QWidget* editor, const QString& text) {
    for (const QChar c : text) {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(c));
        QApplication::sendEvent(editor, &press);
        QKeyEvent release(QEvent::KeyRelease, Qt::Key_unknown, Qt::NoModifier, QString(c));
        QApplication::sendEvent(editor, &release);
    }
}

// Renames the selected row as a user does: F2, typing, Enter.
bool RenameSelected(TRecordImporterForm& form, const QString& text) {
    QTest::keyClick(form.Fields(), Qt::Key_F2);
    QLineEdit* editor = OpenEditor(form);
    if (!editor) return false;
    Type(editor, text);
    QTest::keyClick(editor, Qt::Key_Return);
    return QTest::qWaitFor([&] { return OpenEditor(form) == nullptr; });
}

bool ShowActive(QWidget& form) {
    form.show();
    form.activateWindow();
    return QTest::qWaitForWindowActive(&form);
}

// Answers the next modal dialog (the advanced options, shown by exec()) with `handler`,
// which must close it; one that is not a TCSVOptionsForm is noted and closed.
class TAdvancedAnswer : public QObject {
public:
    explicit TAdvancedAnswer(std::function<void(TCSVOptionsForm&)> handler) : handler_(std::move(handler)) {
        connect(&timer_, &QTimer::timeout, this, [this] {
            QWidget* modal = QApplication::activeModalWidget();
            if (!modal || !modal->isVisible()) return;
            timer_.stop();
            if (auto* form = qobject_cast<TCSVOptionsForm*>(modal)) {
                handler_(*form);
                answered = true;
            }
            if (modal->isVisible()) modal->close();
        });
        timer_.start(10);
    }
    bool answered = false;

private:
    std::function<void(TCSVOptionsForm&)> handler_;
    QTimer timer_;
};

// Clicks "Advanced..." and answers the options dialog with the two check boxes, OK or
// Cancel; `seen` gets the states the dialog showed first.
bool RunAdvanced(TRecordImporterForm& form, bool useFirstRecord, bool useSDF, bool ok,
                 std::pair<bool, bool>* seen = nullptr, QString* caption = nullptr) {
    TAdvancedAnswer answer([&](TCSVOptionsForm& options) {
        if (seen) *seen = {options.xUseFirstRec()->isChecked(), options.xUseSDF()->isChecked()};
        if (caption) *caption = options.windowTitle();
        options.xUseFirstRec()->setChecked(useFirstRecord);
        options.xUseSDF()->setChecked(useSDF);
        (ok ? options.OkButton() : options.CancelButton())->click();
    });
    form.AdvancedBtn()->click();
    return answer.answered;
}

}  // namespace

class RecordImporterTest : public QObject {
    Q_OBJECT
private slots:
    void showsTheFieldsOfACsvImport();
    void showsTheOptionFlags_data();
    void showsTheOptionFlags();
    void renameAndKeyTypeReachTheOptionsOnlyOnOk_data();
    void renameAndKeyTypeReachTheOptionsOnlyOnOk();
    void renameTakesLatin1KeyNamesOfUpTo255Characters();
    void renameAndKeyTypesNeedASelectedRow();
    void keyTypeMenuGivesEachItsTypeNumber();
    void enterAndEscEndAnEditBeforeTheyCloseTheDialog();
    void optionFlagsAreWrittenOnOk_data();
    void optionFlagsAreWrittenOnOk();
    void advancedOptionsRebuildTheFieldList();
    void advancedSettingsAreKeptBetweenShowings();
    void sdfRulesDecideTheFields();
    void dbfImportHasNoAdvancedOptions();
    void popupMenuComesUpForTheRowUnderTheMouse();
    void csvOptionsFormAppliesOnOkOnly();
    void dialogsAreCentredOverTheirOwner();
};

void RecordImporterTest::showsTheFieldsOfACsvImport() {
    TCsvImport csv("Name,City,Age\nAnn,Oslo,30\n");
    QVERIFY(csv.job);
    TKeyTypeIcons icons;
    TRecordImporterForm form(csv.Options(), icons.Function());
    QCOMPARE(form.windowTitle(), QStringLiteral("Import"));
    QCOMPARE(form.Fields()->objectName(), QStringLiteral("Fields"));
    QCOMPARE(form.Fields()->headerItem()->text(0), QStringLiteral("Destination Key Name"));
    QCOMPARE(form.Fields()->headerItem()->text(1), QStringLiteral("Source Type"));
    QCOMPARE(Column(form, 0), QStringList({"Field 1", "Field 2", "Field 3"}));
    QCOMPARE(Column(form, 1), QStringList({"CSV Field", "CSV Field", "CSV Field"}));
    for (int row = 0; row < 3; ++row) {
        QCOMPARE(form.Fields()->topLevelItem(row)->icon(0).cacheKey(), icons.Key(ktString));
        QCOMPARE(form.FieldKeyType(row), ktString);
    }
    QVERIFY(form.AdvancedBtn()->isEnabled());
    QCOMPARE(form.AdvancedBtn()->text(), QStringLiteral("&Advanced..."));
    QCOMPARE(form.CheckBox1()->text(), QStringLiteral("Do not &merge duplicate nodes"));
    QVERIFY(!form.CheckBox1()->isChecked());
    QVERIFY(form.OkButton()->isDefault());
    QVERIFY(ShowActive(form));
    QCOMPARE(Column(form, 0).size(), 3);
}

void RecordImporterTest::showsTheOptionFlags_data() {
    QTest::addColumn<uint>("flags");
    QTest::addColumn<bool>("opt1");
    QTest::addColumn<bool>("opt2");
    QTest::addColumn<bool>("opt3");
    QTest::newRow("default") << 3u << true << true << false;
    QTest::newRow("none") << 0u << false << false << false;
    QTest::newRow("skip empty only") << 4u << false << false << true;
    QTest::newRow("all") << 7u << true << true << true;
}

void RecordImporterTest::showsTheOptionFlags() {
    QFETCH(uint, flags);
    QFETCH(bool, opt1);
    QFETCH(bool, opt2);
    QFETCH(bool, opt3);
    TCsvImport csv("a,b\n");
    QVERIFY(csv.job);
    csv.Options().SetFlags(flags);
    TRecordImporterForm form(csv.Options(), nullptr);
    QCOMPARE(form.xOpt1()->isChecked(), opt1);
    QCOMPARE(form.xOpt2()->isChecked(), opt2);
    QCOMPARE(form.xOpt3()->isChecked(), opt3);
    QVERIFY(!form.CheckBox1()->isChecked());
}

void RecordImporterTest::renameAndKeyTypeReachTheOptionsOnlyOnOk_data() {
    QTest::addColumn<bool>("ok");
    QTest::newRow("OK") << true;
    QTest::newRow("Cancel") << false;
}

void RecordImporterTest::renameAndKeyTypeReachTheOptionsOnlyOnOk() {
    QFETCH(bool, ok);
    TCsvImport csv("Ann,Oslo,30\nBob,Rome,41\n");
    QVERIFY(csv.job);
    TKeyTypeIcons icons;
    TRecordImporterForm form(csv.Options(), icons.Function());
    QVERIFY(ShowActive(form));

    SelectRow(form, 1);
    QVERIFY(RenameSelected(form, QStringLiteral("Town")));
    QVERIFY(form.isVisible());  // Enter ended the edit, not the dialog
    QCOMPARE(Column(form, 0), QStringList({"Field 1", "Town", "Field 3"}));

    SelectRow(form, 2);
    form.KeyTypeItem(ktInteger)->trigger();
    QCOMPARE(form.FieldKeyType(2), ktInteger);
    QCOMPARE(form.Fields()->topLevelItem(2)->icon(0).cacheKey(), icons.Key(ktInteger));
    QVERIFY(form.KeyTypeItem(ktInteger)->isChecked());
    QVERIFY(!form.KeyTypeItem(ktString)->isChecked());
    SelectRow(form, 1);
    QVERIFY(form.KeyTypeItem(ktString)->isChecked());
    QVERIFY(!form.KeyTypeItem(ktInteger)->isChecked());

    // Nothing reaches the options before the dialog closes.
    QCOMPARE(KeyNames(csv.Options()), QStringList({"Field 1", "Field 2", "Field 3"}));
    QCOMPARE(csv.Options().KeyType(2), ktString);

    (ok ? form.OkButton() : form.CancelButton())->click();
    QCOMPARE(form.result(), ok ? int(QDialog::Accepted) : int(QDialog::Rejected));
    if (ok) {
        QCOMPARE(KeyNames(csv.Options()), QStringList({"Field 1", "Town", "Field 3"}));
        QCOMPARE(csv.Options().KeyType(2), ktInteger);
        QCOMPARE(
            csv.Import(),
            std::string("Ann: Town:string=Oslo | Field 3:integer=30\nBob: Town:string=Rome | Field 3:integer=41\n"));
    } else {
        QCOMPARE(KeyNames(csv.Options()), QStringList({"Field 1", "Field 2", "Field 3"}));
        QCOMPARE(csv.Options().KeyType(2), ktString);
        QCOMPARE(csv.Options().Flags(), TImporterOptions::kDefaultFlags);
    }
}

void RecordImporterTest::renameTakesLatin1KeyNamesOfUpTo255Characters() {
    TCsvImport csv("Ann,Oslo\n");
    QVERIFY(csv.job);
    TRecordImporterForm form(csv.Options(), nullptr);
    QVERIFY(ShowActive(form));

    // The Greek letter has no Latin-1 byte and is refused; the sharp s is kept.
    SelectRow(form, 1);
    QVERIFY(RenameSelected(form, QStringLiteral("Stra\u00DFe\u03A9")));
    QCOMPARE(form.FieldKeyName(1), QStringLiteral("Stra\u00DFe"));

    SelectRow(form, 0);
    QTest::keyClick(form.Fields(), Qt::Key_F2);
    QLineEdit* editor = OpenEditor(form);
    QVERIFY(editor);
    editor->selectAll();
    editor->insert(QString(300, QLatin1Char('k')));
    QTest::keyClick(editor, Qt::Key_Return);
    QTRY_VERIFY(!OpenEditor(form));
    QCOMPARE(form.FieldKeyName(0), QString(255, QLatin1Char('k')));

    form.OkButton()->click();
    QCOMPARE(csv.Options().KeyName(1), std::string("Stra\xDF"
                                                   "e"));
    QCOMPARE(csv.Options().KeyName(0), std::string(255, 'k'));
}

void RecordImporterTest::renameAndKeyTypesNeedASelectedRow() {
    TCsvImport csv("Ann,Oslo\n");
    QVERIFY(csv.job);
    TRecordImporterForm form(csv.Options(), nullptr);
    QVERIFY(ShowActive(form));
    form.Fields()->setCurrentItem(nullptr);
    form.Fields()->clearSelection();

    QVERIFY(!form.RenameMI()->isEnabled());
    for (QAction* item : form.KeyType()->actions()) {
        QVERIFY(!item->isEnabled());
        QVERIFY(!item->isChecked());
    }
    QTest::keyClick(form.Fields(), Qt::Key_F2);
    QVERIFY(!OpenEditor(form));
    form.KeyTypeClick(ktBlob);
    QCOMPARE(form.FieldKeyType(0), ktString);
    QCOMPARE(form.FieldKeyType(1), ktString);

    SelectRow(form, 0);
    QVERIFY(form.RenameMI()->isEnabled());
    QCOMPARE(form.RenameMI()->shortcut(), QKeySequence(Qt::Key_F2));
    QVERIFY(form.KeyTypeItem(ktBlob)->isEnabled());
    QVERIFY(form.KeyTypeItem(ktString)->isChecked());
    QTest::keyClick(form.Fields(), Qt::Key_F2);
    QVERIFY(OpenEditor(form));
    QCOMPARE(OpenEditor(form)->text(), QStringLiteral("Field 1"));
}

void RecordImporterTest::keyTypeMenuGivesEachItsTypeNumber() {
    struct TItem {
        const char* caption;
        uint8_t type;
    };
    const TItem expected[] = {{"&None", 0},           {"&Byte", 1},          {"&Integer", 2},  {"&Large Integer", 3},
                              {"&Floating Point", 4}, {"Do&uble", 9},        {"&Currency", 8}, {"&String", 5},
                              {"&Date", 10},          {"Byte Se&quence", 6}, {"Bl&ob", 7}};
    TCsvImport csv("a,b\n");
    QVERIFY(csv.job);
    TKeyTypeIcons icons;
    TRecordImporterForm form(csv.Options(), icons.Function());
    QCOMPARE(form.PopupMenu()->actions().value(0), form.RenameMI());
    QCOMPARE(form.RenameMI()->text(), QStringLiteral("&Rename"));
    QCOMPARE(form.KeyType()->title(), QStringLiteral("Key &Type"));
    const QList<QAction*> items = form.KeyType()->actions();
    QCOMPARE(items.size(), int(std::size(expected)));
    SelectRow(form, 1);
    for (int i = 0; i < items.size(); ++i) {
        QCOMPARE(items[i]->text(), QString::fromLatin1(expected[i].caption));
        items[i]->trigger();
        QCOMPARE(form.FieldKeyType(1), expected[i].type);
        QCOMPARE(form.Fields()->topLevelItem(1)->icon(0).cacheKey(), icons.Key(expected[i].type));
        for (int other = 0; other < items.size(); ++other) QCOMPARE(items[other]->isChecked(), other == i);
    }
    // The last choice (blob) is the one that counts.
    form.OkButton()->click();
    QCOMPARE(csv.Options().KeyType(1), ktBlob);
    QCOMPARE(csv.Options().KeyType(0), ktString);
}

void RecordImporterTest::enterAndEscEndAnEditBeforeTheyCloseTheDialog() {
    TCsvImport csv("Ann,Oslo\n");
    QVERIFY(csv.job);
    {
        TRecordImporterForm form(csv.Options(), nullptr);
        QVERIFY(ShowActive(form));
        SelectRow(form, 1);
        QTest::keyClick(form.Fields(), Qt::Key_F2);
        QLineEdit* editor = OpenEditor(form);
        QVERIFY(editor);
        QTest::keyClicks(editor, QStringLiteral("Lost"));
        QTest::keyClick(editor, Qt::Key_Escape);
        QTRY_VERIFY(!OpenEditor(form));
        QVERIFY(form.isVisible());
        QCOMPARE(form.FieldKeyName(1), QStringLiteral("Field 2"));
        // Without an edit, Esc cancels.
        QTest::keyClick(form.Fields(), Qt::Key_Escape);
        QVERIFY(!form.isVisible());
        QCOMPARE(form.result(), int(QDialog::Rejected));
    }
    {
        TRecordImporterForm form(csv.Options(), nullptr);
        QVERIFY(ShowActive(form));
        SelectRow(form, 1);
        QVERIFY(RenameSelected(form, QStringLiteral("Kept")));
        QVERIFY(form.isVisible());
        // Without an edit, Enter is OK.
        QTest::keyClick(form.Fields(), Qt::Key_Return);
        QVERIFY(!form.isVisible());
        QCOMPARE(form.result(), int(QDialog::Accepted));
        QCOMPARE(csv.Options().KeyName(1), std::string("Kept"));
    }
    {
        // OK while the editor is still open keeps what was typed.
        TRecordImporterForm form(csv.Options(), nullptr);
        QVERIFY(ShowActive(form));
        SelectRow(form, 0);
        QTest::keyClick(form.Fields(), Qt::Key_F2);
        QLineEdit* editor = OpenEditor(form);
        QVERIFY(editor);
        QTest::keyClicks(editor, QStringLiteral("Typed"));
        form.accept();
        QCOMPARE(csv.Options().KeyName(0), std::string("Typed"));
    }
}

void RecordImporterTest::optionFlagsAreWrittenOnOk_data() {
    QTest::addColumn<bool>("opt1");
    QTest::addColumn<bool>("opt2");
    QTest::addColumn<bool>("opt3");
    QTest::addColumn<bool>("checkBox1");
    QTest::addColumn<uint>("flags");
    QTest::addColumn<QString>("imported");
    QTest::newRow("none") << false << false << false << false << 0u
                          << "Ann: Field 1:string=Ann | Field 2:string= | AGE:string=30\n";
    QTest::newRow("mixed case") << true << false << false << false << 1u
                                << "Ann: Field 1:string=Ann | Field 2:string= | Age:string=30\n";
    QTest::newRow("first field not a key")
        << false << true << false << false << 2u << "Ann: Field 2:string= | AGE:string=30\n";
    QTest::newRow("skip empty") << false << false << true << false << 4u << "Ann: Field 1:string=Ann | AGE:string=30\n";
    QTest::newRow("all, merge box too") << true << true << true << true << 7u << "Ann: Age:string=30\n";
}

void RecordImporterTest::optionFlagsAreWrittenOnOk() {
    QFETCH(bool, opt1);
    QFETCH(bool, opt2);
    QFETCH(bool, opt3);
    QFETCH(bool, checkBox1);
    QFETCH(uint, flags);
    QFETCH(QString, imported);
    const auto setBoxes = [&](TRecordImporterForm& form) {
        form.xOpt1()->setChecked(opt1);
        form.xOpt2()->setChecked(opt2);
        form.xOpt3()->setChecked(opt3);
        form.CheckBox1()->setChecked(checkBox1);
    };
    {
        // Cancel leaves the flags as they were.
        TCsvImport csv("Ann,,30\n");
        QVERIFY(csv.job);
        TRecordImporterForm form(csv.Options(), nullptr);
        setBoxes(form);
        form.CancelButton()->click();
        QCOMPARE(csv.Options().Flags(), TImporterOptions::kDefaultFlags);
    }
    TCsvImport csv("Ann,,30\n");
    QVERIFY(csv.job);
    TRecordImporterForm form(csv.Options(), nullptr);
    QVERIFY(ShowActive(form));
    // An upper-case name, so that the mixed-case option shows.
    SelectRow(form, 2);
    QVERIFY(RenameSelected(form, QStringLiteral("AGE")));
    setBoxes(form);
    form.OkButton()->click();
    QCOMPARE(csv.Options().Flags(), flags);
    QCOMPARE(QString::fromStdString(csv.Import()), imported);
}

void RecordImporterTest::advancedOptionsRebuildTheFieldList() {
    TCsvImport csv("Name,City,Age\nAnn,Oslo,30\n");
    QVERIFY(csv.job);
    TKeyTypeIcons icons;
    TRecordImporterForm form(csv.Options(), icons.Function());
    QVERIFY(ShowActive(form));
    form.xOpt3()->setChecked(true);

    // A choice made before Cancel in the advanced options stays.
    SelectRow(form, 0);
    QVERIFY(RenameSelected(form, QStringLiteral("Person")));
    SelectRow(form, 2);
    form.KeyTypeItem(ktInteger)->trigger();
    std::pair<bool, bool> seen;
    QString caption;
    QVERIFY(RunAdvanced(form, true, true, false, &seen, &caption));
    QCOMPARE(caption, QStringLiteral("Advanced CSV Options"));
    QCOMPARE(seen, std::make_pair(false, true));  // names not from the first line, SDF rules
    QCOMPARE(Column(form, 0), QStringList({"Person", "Field 2", "Field 3"}));
    QCOMPARE(form.FieldKeyType(2), ktInteger);

    // OK rebuilds the list from the first line and drops the choices made here.
    QVERIFY(RunAdvanced(form, true, true, true));
    QCOMPARE(Column(form, 0), QStringList({"Name", "City", "Age"}));
    QCOMPARE(form.FieldKeyType(2), ktString);
    QCOMPARE(form.Fields()->topLevelItem(2)->icon(0).cacheKey(), icons.Key(ktString));
    QVERIFY(form.xOpt3()->isChecked());  // the check boxes stay

    SelectRow(form, 2);
    form.KeyTypeItem(ktInteger)->trigger();
    form.OkButton()->click();
    QCOMPARE(csv.Options().Flags(), TImporterOptions::kDefaultFlags | TImporterOptions::kSkipEmptyValues);
    // The first line named the fields and is not imported.
    QCOMPARE(csv.Import(), std::string("Ann: City:string=Oslo | Age:integer=30\n"));
}

void RecordImporterTest::advancedSettingsAreKeptBetweenShowings() {
    TCsvImport csv("Name,City\nAnn,Oslo\n");
    QVERIFY(csv.job);
    TRecordImporterForm form(csv.Options(), nullptr);
    QVERIFY(ShowActive(form));
    std::pair<bool, bool> seen;

    QVERIFY(RunAdvanced(form, true, false, true, &seen));
    QCOMPARE(seen, std::make_pair(false, true));
    QVERIFY(RunAdvanced(form, false, true, false, &seen));
    QCOMPARE(seen, std::make_pair(true, false));  // what OK applied
    QVERIFY(RunAdvanced(form, false, false, true, &seen));
    QCOMPARE(seen, std::make_pair(true, false));  // Cancel changed nothing
    QCOMPARE(Column(form, 0), QStringList({"Field 1", "Field 2"}));
    QVERIFY(!csv.job->CSVOptions().UseFirstRecord());
    QVERIFY(!csv.job->CSVOptions().UseSDF());

    // The record import dialog of a later showing (the same job) starts from them too.
    TRecordImporterForm again(csv.Options(), nullptr);
    QVERIFY(ShowActive(again));
    QCOMPARE(Column(again, 0), QStringList({"Field 1", "Field 2"}));
    QVERIFY(RunAdvanced(again, false, false, false, &seen));
    QCOMPARE(seen, std::make_pair(false, false));
}

void RecordImporterTest::sdfRulesDecideTheFields() {
    TCsvImport csv("a b,\"c, d\"\n");
    QVERIFY(csv.job);
    TRecordImporterForm form(csv.Options(), nullptr);
    QVERIFY(ShowActive(form));
    QCOMPARE(Column(form, 0), QStringList({"Field 1", "Field 2", "Field 3"}));
    QVERIFY(RunAdvanced(form, false, false, true));
    QCOMPARE(Column(form, 0), QStringList({"Field 1", "Field 2"}));
    QVERIFY(RunAdvanced(form, true, false, true));
    QCOMPARE(Column(form, 0), QStringList({"a b", "c, d"}));
    QVERIFY(RunAdvanced(form, true, true, true));
    QCOMPARE(Column(form, 0), QStringList({"a", "b", "c, d"}));
    form.OkButton()->click();
    QCOMPARE(KeyNames(csv.Options()), QStringList({"a", "b", "c, d"}));
}

void RecordImporterTest::dbfImportHasNoAdvancedOptions() {
    const std::vector<TDbfField> fields = {
        {"NAME", 'C', 10}, {"BORN", 'D', 8}, {"SALARY", 'N', 8}, {"ACTIVE", 'L', 1}, {"PHOTO", 'G', 4}};
    TImportFixture dbf("staff.dbf", MakeTable(fields, {{' ', {"Alice", "19800215", "1.5", "T", "x"}}}));
    QVERIFY(dbf.opened);
    TImporterDBF job(nullptr, "Root", dbf.file, dbf.engine);
    TKeyTypeIcons icons;
    TRecordImporterForm form(job.Options(), icons.Function());
    QVERIFY(ShowActive(form));

    QCOMPARE(Column(form, 0), QStringList({"NAME", "BORN", "SALARY", "ACTIVE", "PHOTO"}));
    QCOMPARE(Column(form, 1), QStringList({"String", "Date", "Numeric", "Logical", "Unknown"}));
    const uint8_t types[] = {ktString, ktDate, ktFloat, ktByte, TImporterOptions::kNoKey};
    for (int row = 0; row < 5; ++row) {
        QCOMPARE(form.FieldKeyType(row), types[row]);
        QCOMPARE(form.Fields()->topLevelItem(row)->icon(0).cacheKey(), icons.Key(types[row]));
    }
    QVERIFY(!form.AdvancedBtn()->isEnabled());
    form.AdvancedBtnClick();  // nothing to show
    QVERIFY(!QApplication::activeModalWidget());

    SelectRow(form, 1);
    QVERIFY(RenameSelected(form, QStringLiteral("Birthday")));
    form.KeyTypeItem(ktString)->trigger();
    form.OkButton()->click();
    job.Run();
    QCOMPARE(job.ResultCode(), 0);
    QCOMPARE(dbf.Dump(), std::string("Alice: Birthday:string=1980-02-15 | Salary:float=1.500 | Active:byte=1\n"));
}

void RecordImporterTest::popupMenuComesUpForTheRowUnderTheMouse() {
    TCsvImport csv("a,b,c\n");
    QVERIFY(csv.job);
    TRecordImporterForm form(csv.Options(), nullptr);
    QVERIFY(ShowActive(form));
    SelectRow(form, 0);
    form.KeyTypeItem(ktDouble)->trigger();
    form.Fields()->clearSelection();
    QWidget* viewport = form.Fields()->viewport();
    const QPoint at = form.Fields()->visualItemRect(form.Fields()->topLevelItem(0)).center();
    QTest::mousePress(viewport, Qt::RightButton, Qt::NoModifier, at);
    QTest::mouseRelease(viewport, Qt::RightButton, Qt::NoModifier, at);
    QContextMenuEvent request(QContextMenuEvent::Mouse, at, viewport->mapToGlobal(at));
    QApplication::sendEvent(viewport, &request);
    QTRY_VERIFY(form.PopupMenu()->isVisible());
    QVERIFY(form.RenameMI()->isEnabled());
    QVERIFY(form.KeyTypeItem(ktDouble)->isChecked());
    QVERIFY(!form.KeyTypeItem(ktString)->isChecked());
    form.PopupMenu()->close();
}

void RecordImporterTest::csvOptionsFormAppliesOnOkOnly() {
    TCsvImport csv("Name,City\nAnn,Oslo\n");
    QVERIFY(csv.job);
    TAdvancedImportOptions& settings = csv.job->CSVOptions();
    TCSVOptionsForm form(settings);
    QCOMPARE(form.windowTitle(), QStringLiteral("Advanced CSV Options"));
    QCOMPARE(form.xUseFirstRec()->text(), QStringLiteral("Use &First Record as Field Descriptions"));
    QCOMPARE(form.xUseSDF()->text(), QStringLiteral("Use &SDF format for data"));
    QVERIFY(form.findChild<QLabel*>(QStringLiteral("Note")));
    QCOMPARE(form.findChild<QLabel*>(QStringLiteral("Note"))->text(),
             QStringLiteral("(Changing will reassign any adjustments made to the field names)"));
    QVERIFY(form.OkButton()->isDefault());
    QVERIFY(!form.xUseFirstRec()->isChecked());
    QVERIFY(form.xUseSDF()->isChecked());

    // Cancel changes nothing, and the boxes show the settings in force again.
    csv.Options().SetKeyName(0, "Chosen");
    QVERIFY(ShowActive(form));
    form.xUseFirstRec()->setChecked(true);
    form.xUseSDF()->setChecked(false);
    form.CancelButton()->click();
    QCOMPARE(form.result(), int(QDialog::Rejected));
    QVERIFY(!settings.UseFirstRecord());
    QVERIFY(settings.UseSDF());
    QCOMPARE(KeyNames(csv.Options()), QStringList({"Chosen", "Field 2"}));
    QVERIFY(!form.xUseFirstRec()->isChecked());
    QVERIFY(form.xUseSDF()->isChecked());

    // OK applies both and rebuilds the field list, even when nothing changed.
    QVERIFY(ShowActive(form));
    form.OkButton()->click();
    QCOMPARE(form.result(), int(QDialog::Accepted));
    QCOMPARE(KeyNames(csv.Options()), QStringList({"Field 1", "Field 2"}));
    QVERIFY(ShowActive(form));
    form.xUseFirstRec()->setChecked(true);
    form.xUseSDF()->setChecked(false);
    form.OkButton()->click();
    QVERIFY(settings.UseFirstRecord());
    QVERIFY(!settings.UseSDF());
    QCOMPARE(KeyNames(csv.Options()), QStringList({"Name", "City"}));
}

void RecordImporterTest::dialogsAreCentredOverTheirOwner() {
    QWidget owner;
    owner.setGeometry(200, 150, 900, 700);
    owner.show();
    QVERIFY(QTest::qWaitForWindowExposed(&owner));
    TCsvImport csv("a,b\n");
    QVERIFY(csv.job);
    TRecordImporterForm form(csv.Options(), nullptr, &owner);
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    const QPoint ownerCentre = owner.frameGeometry().center();
    QVERIFY2((form.frameGeometry().center() - ownerCentre).manhattanLength() <= 2,
             qPrintable(QStringLiteral("form centre %1,%2")
                            .arg(form.frameGeometry().center().x())
                            .arg(form.frameGeometry().center().y())));

    QPoint optionsCentre;
    TAdvancedAnswer answer([&](TCSVOptionsForm& options) {
        optionsCentre = options.frameGeometry().center();
        options.CancelButton()->click();
    });
    form.AdvancedBtn()->click();
    QVERIFY(answer.answered);
    QVERIFY((optionsCentre - form.frameGeometry().center()).manhattanLength() <= 2);
}

QTEST_MAIN(RecordImporterTest)
#include "recordimporter_test.moc"
