// The node security dialog (levels offered by user, the node's level selected, the
// change on OK, the read-only forms) and the database information dialog (its fifteen
// rows against the engine).
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>

#include "security/tinformationform.h"
#include "security/tsecurityform.h"
#include "tests/gui/guitestsupport.h"
#include "tests/gui/windowfixture.h"
#include "ui/common.h"

using namespace kelmor;
using namespace kelmor::test;

namespace {

QStringList Entries(const TSecurityForm& form) {
    QStringList entries;
    for (int row = 0; row < form.SecurityLevel()->count(); ++row) entries << form.SecurityLevel()->item(row)->text();
    return entries;
}

// The IDs of the root's children that `user` sees.
QList<int32_t> VisibleTopNodes(const QString& base, const std::string& user, const std::string& password) {
    TKelmorClass engine;
    QList<int32_t> ids;
    if (engine.OpenDatabase(ToEnginePath(base), true, TKelmorClass::MakeLogin(user, password)) != kResultOK) return ids;
    TKelmorNodeRec rec;
    for (bool found = engine.FindFirstChild(rec, 0); found; found = engine.FindNextChild(rec)) ids << rec.currentID;
    return ids;
}

// A database with users 1 (admin), 3, 4 and 5, and the nodes "Open" (level 5),
// "Four" (level 4) and "Locked" (level 5, read-only).
class TSecurityDatabase {
public:
    TSecurityDatabase() {
        base = dir / QStringLiteral("levels");
        CreateDatabase(base);
        TKelmorClass engine;
        engine.OpenDatabase(ToEnginePath(base), false, TKelmorClass::MakeLogin("admin", "secret"));
        engine.SetUser(3, "clerk", "three");
        engine.SetUser(4, "helper", "four");
        engine.SetUser(5, "guest", "five");
        open = AddNode(engine, 0, "Open");
        four = AddNode(engine, 0, "Four");
        engine.SetNodeSecurity(four, 4, false);
        locked = AddNode(engine, 0, "Locked");
        engine.SetNodeSecurity(locked, 5, true);
    }
    TGuiTempDir dir;
    QString base;
    int32_t open = 0, four = 0, locked = 0;
};

}  // namespace

class SecurityDialogsTest : public QObject {
    Q_OBJECT
private slots:
    void init() { UseTestSettings(); }

    void userThreeSeesLevelsThreeToFive();
    void readOnlyDatabaseOnlyShowsTheLevel();
    void readOnlyNodeHasNoEntrySelected();
    void informationOfANewDatabase();
    void informationAfterThreeTopLevelNodes();
};

void SecurityDialogsTest::userThreeSeesLevelsThreeToFive() {
    TSecurityDatabase database;
    {
        TKelmorClass engine;
        QCOMPARE(engine.OpenDatabase(ToEnginePath(database.base), false, TKelmorClass::MakeLogin("clerk", "three")),
                 kResultOK);
        TSecurityForm form(engine, database.four);
        QCOMPARE(form.windowTitle(), QStringLiteral("Security"));
        QCOMPARE(Entries(form), QStringList({"3. Level 1,2 & 3.", "4. Level 1,2,3 & 4.", "5. All levels."}));
        QCOMPARE(form.SecurityLevel()->currentRow(), 1);
        QVERIFY(form.OkButton()->isDefault());
        form.SecurityLevel()->setCurrentRow(0);
        form.OkButton()->click();
        QCOMPARE(form.result(), int(QDialog::Accepted));
        QCOMPARE(engine.GetNodeSecurity(database.four), uint8_t(3));
        QCOMPARE(engine.Flush(), kResultOK);
    }
    QCOMPARE(VisibleTopNodes(database.base, "clerk", "three"), QList<int32_t>({database.open, database.four, database.locked}));
    QCOMPARE(VisibleTopNodes(database.base, "helper", "four"), QList<int32_t>({database.open, database.locked}));
    QCOMPARE(VisibleTopNodes(database.base, "guest", "five"), QList<int32_t>({database.open, database.locked}));

    // Cancel changes nothing.
    TKelmorClass engine;
    QCOMPARE(engine.OpenDatabase(ToEnginePath(database.base), false, TKelmorClass::MakeLogin("admin", "secret")),
             kResultOK);
    TSecurityForm form(engine, database.open);
    QCOMPARE(Entries(form).size(), 5);
    QCOMPARE(form.SecurityLevel()->currentRow(), 4);
    form.SecurityLevel()->setCurrentRow(0);
    form.CancelButton()->click();
    QCOMPARE(engine.GetNodeSecurity(database.open), uint8_t(5));
}

void SecurityDialogsTest::readOnlyDatabaseOnlyShowsTheLevel() {
    TSecurityDatabase database;
    TKelmorClass engine;
    QCOMPARE(engine.OpenDatabase(ToEnginePath(database.base), true, TKelmorClass::MakeLogin("clerk", "three")),
             kResultOK);
    TSecurityForm form(engine, database.four);
    form.show();
    QCOMPARE(form.SecurityLevel()->currentRow(), 1);
    QVERIFY(!form.SecurityLevel()->isEnabled());
    QVERIFY(form.OkButton()->isHidden());
    QVERIFY(!form.OkButton()->isDefault());
    QCOMPARE(form.CancelButton()->text(), QStringLiteral("Close"));
    QVERIFY(form.CancelButton()->isDefault());
    // Centred horizontally.
    const int centre = form.CancelButton()->geometry().center().x();
    QVERIFY(qAbs(centre - form.width() / 2) <= 1);
    form.accept();  // even a forced OK changes nothing
    QCOMPARE(engine.GetNodeSecurity(database.four), uint8_t(4));
}

void SecurityDialogsTest::readOnlyNodeHasNoEntrySelected() {
    TSecurityDatabase database;
    TKelmorClass engine;
    QCOMPARE(engine.OpenDatabase(ToEnginePath(database.base), false, TKelmorClass::MakeLogin("admin", "secret")),
             kResultOK);
    TSecurityForm form(engine, database.locked);
    QVERIFY(form.SecurityLevel()->selectedItems().isEmpty());
    form.OkButton()->click();  // no entry: nothing changes
    QCOMPARE(engine.GetNodeSecurity(database.locked), uint8_t(0x85));
    // Choosing a level clears the read-only bit.
    TSecurityForm again(engine, database.locked);
    again.SecurityLevel()->setCurrentRow(4);
    again.OkButton()->click();
    QCOMPARE(engine.GetNodeSecurity(database.locked), uint8_t(5));
}

void SecurityDialogsTest::informationOfANewDatabase() {
    TWindowFixture fixture;
    QVERIFY(fixture.Opened());
    TModalDriver driver;
    QStringList rows;
    QString title;
    driver.Then([&rows, &title](QWidget* modal) {
        auto* form = qobject_cast<TInformationForm*>(modal);
        if (!form) {
            modal->close();
            return;
        }
        title = form->windowTitle();
        QTableWidget* list = form->List();
        for (int row = 0; row < list->rowCount(); ++row)
            rows << list->item(row, 0)->text() + QLatin1Char('=') + list->item(row, 1)->text();
        form->accept();
    });
    fixture.Form().Command("MIDatabaseInformation")->trigger();
    QVERIFY(driver.AllAnswered());
    QCOMPARE(title, QStringLiteral("Advanced Information"));
    QCOMPARE(rows.size(), 15);
    const QString stamp = QString::number(fixture.Engine().Stamp());
    QCOMPARE(rows, QStringList({"Last version saved=1", "Last revision saved=25", "Maximum index=0", "New index ID=0",
                                "ID slots used=0", "ID slot items=0", "PID slots used=0", "PID slot items=0",
                                "Maximum blobs=0", "New blob ID=0", "BLOB slots used=0", "BLOB slot items=0",
                                "Copy ID=0", "Security Type=1", "Checksum=" + stamp}));
}

void SecurityDialogsTest::informationAfterThreeTopLevelNodes() {
    TGuiTempDir dir;
    const QString base = dir / QStringLiteral("three");
    QVERIFY(CreateDatabase(base));
    TKelmorClass engine;
    QCOMPARE(engine.OpenDatabase(ToEnginePath(base), false, TKelmorClass::MakeLogin("admin", "secret")), kResultOK);
    for (const char* name : {"a", "b", "c"}) AddNode(engine, 0, name);
    TInformationForm form(engine);
    QCOMPARE(form.List()->columnWidth(0), 150);
    QCOMPARE(form.List()->columnWidth(1), 150);
    form.show();
    QTableWidget* list = form.List();
    QCOMPARE(list->item(2, 1)->text(), QStringLiteral("3"));  // Maximum index
    QCOMPARE(list->item(3, 1)->text(), QStringLiteral("3"));  // New index ID
    QCOMPARE(list->item(6, 1)->text(), QStringLiteral("1"));  // PID slots used
    QCOMPARE(list->item(7, 1)->text(), QStringLiteral("3"));  // PID slot items
    // Values are read again whenever the dialog is shown.
    form.hide();
    AddNode(engine, 0, "d");
    form.show();
    QCOMPARE(list->item(7, 1)->text(), QStringLiteral("4"));
}

QTEST_MAIN(SecurityDialogsTest)
#include "securitydialogs_test.moc"
