// The node security dialog (levels offered by user, the node's level selected, the
// change on OK, the read-only forms), the database information dialog (its fifteen
// rows against the engine), and the engine's refusals in every dialog that calls it:
// reported once, as the standard error report, and never thrown out of the slot.
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <memory>

#include "security/tchangepasswordform.h"
#include "security/tedituserform.h"
#include "security/tinformationform.h"
#include "security/tsecurityform.h"
#include "security/tusermanagementform.h"
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

// An engine logged on to `database`; empty when the logon failed.
std::unique_ptr<TKelmorClass> LogOn(const TSecurityDatabase& database, const std::string& user,
                                    const std::string& password, bool readOnly = false) {
    auto engine = std::make_unique<TKelmorClass>();
    if (engine->OpenDatabase(ToEnginePath(database.base), readOnly, TKelmorClass::MakeLogin(user, password)) !=
        kResultOK)
        return nullptr;
    return engine;
}

// Answers the standard error report (the program's title over a critical box), noting
// its text; any other window is noted as such and closed.
TModalDriver::THandler ErrorReport(QStringList& reports) {
    return [&reports](QWidget* modal) {
        auto* box = qobject_cast<QMessageBox*>(modal);
        if (box && box->windowTitle() == QString::fromLatin1(kApplicationTitle) && box->icon() == QMessageBox::Critical)
            reports << box->text();
        else reports << QStringLiteral("<not the error report: %1>").arg(box ? box->text() : modal->windowTitle());
        modal->close();
    };
}

// Lets any window that a slot might still show come up, so that the driver sees it.
void Settle() { QTest::qWait(50); }

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

    // Engine refusals inside the dialogs' slots.
    void refusedPasswordChangeKeepsTheDialogOpen();
    void refusedUserChangesLeaveTheSlots();
    void refusedLevelClosesTheSecurityDialog();
    void refusedInformationIsReportedOnce();
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
    QCOMPARE(VisibleTopNodes(database.base, "clerk", "three"),
             QList<int32_t>({database.open, database.four, database.locked}));
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
    TWindowFixture fixture({}, TWindowFixture::THost::MainForm);  // the command of the main window's menu
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
    fixture.Form().DatabaseEntry(TDatabaseEntry::DatabaseInformation)->trigger();
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

void SecurityDialogsTest::refusedPasswordChangeKeepsTheDialogOpen() {
    TSecurityDatabase database;
    const auto engine = LogOn(database, "admin", "secret", true);
    QVERIFY(engine);
    TChangePasswordForm change(*engine);
    change.show();
    TModalDriver driver;
    QStringList reports;
    driver.Then(ErrorReport(reports));
    change.OldPassword()->setText(QStringLiteral("secret"));
    change.NewPassword()->setText(QStringLiteral("fresh"));
    change.VerifyPassword()->setText(QStringLiteral("fresh"));
    // Both checks pass; the read-only database refuses the change itself.
    QVERIFY_THROWS_NO_EXCEPTION(change.accept());
    Settle();
    QCOMPARE(reports, QStringList({"Database Read-Only"}));
    QCOMPARE(driver.ModalsSeen(), 1);  // no "Password changed."
    QVERIFY(change.isVisible());
    QCOMPARE(change.result(), int(QDialog::Rejected));
    QCOMPARE(engine->CheckLogin("admin", "secret"), 1);
}

void SecurityDialogsTest::refusedUserChangesLeaveTheSlots() {
    TSecurityDatabase database;
    // "C&lear" as a user other than the administrator: the engine denies access.
    {
        const auto clerk = LogOn(database, "clerk", "three");
        QVERIFY(clerk);
        TUserManagementForm users(*clerk);
        users.show();
        users.UserList()->setCurrentRow(4);
        TModalDriver driver;
        QStringList reports;
        driver.Then(ErrorReport(reports));
        QVERIFY_THROWS_NO_EXCEPTION(users.ClearItem()->click());
        Settle();
        QCOMPARE(reports, QStringList({"Access Denied"}));
        QCOMPARE(driver.ModalsSeen(), 1);
        QVERIFY(users.isVisible());
        QCOMPARE(users.UserList()->item(4)->text(), QStringLiteral("GUEST"));
        QCOMPARE(clerk->GetUserName(5), std::string("GUEST"));
    }
    // "C&hange" on a read-only database: the user dialog is answered, the change refused.
    const auto admin = LogOn(database, "admin", "secret", true);
    QVERIFY(admin);
    TUserManagementForm users(*admin);
    users.show();
    users.UserList()->setCurrentRow(3);
    TModalDriver driver;
    QStringList reports;
    driver
        .Then([](QWidget* modal) {
            auto* editor = qobject_cast<TEditUserForm*>(modal);
            if (!editor) {
                modal->close();  // the checks below fail
                return;
            }
            editor->Username()->setText(QStringLiteral("porter"));
            editor->NewPassword()->setText(QStringLiteral("door"));
            editor->VerifyPassword()->setText(QStringLiteral("door"));
            editor->accept();
        })
        .Then(ErrorReport(reports));
    QVERIFY_THROWS_NO_EXCEPTION(users.EditSelected()->click());
    Settle();
    QCOMPARE(reports, QStringList({"Database Read-Only"}));
    QCOMPARE(driver.ModalsSeen(), 2);
    QVERIFY(users.isVisible());
    QCOMPARE(users.UserList()->item(3)->text(), QStringLiteral("HELPER"));
    QCOMPARE(users.UserList()->count(), 5);
    QCOMPARE(admin->GetUserName(4), std::string("HELPER"));
}

void SecurityDialogsTest::refusedLevelClosesTheSecurityDialog() {
    TSecurityDatabase database;
    int32_t two = 0;
    {
        const auto admin = LogOn(database, "admin", "secret");
        QVERIFY(admin);
        two = AddNode(*admin, 0, "Two");
        admin->SetNodeSecurity(two, 2, false);
        QCOMPARE(admin->Flush(), kResultOK);
    }
    // User 3 is offered levels 3 to 5, but a node of level 2 is beyond him.
    const auto clerk = LogOn(database, "clerk", "three");
    QVERIFY(clerk);
    TSecurityForm form(*clerk, two);
    form.show();
    QVERIFY(form.SecurityLevel()->selectedItems().isEmpty());
    form.SecurityLevel()->setCurrentRow(0);
    TModalDriver driver;
    QStringList reports;
    driver.Then(ErrorReport(reports));
    QVERIFY_THROWS_NO_EXCEPTION(form.OkButton()->click());
    Settle();
    QCOMPARE(reports, QStringList({"Access Denied"}));
    QCOMPARE(driver.ModalsSeen(), 1);
    QVERIFY(!form.isVisible());
    QCOMPARE(form.result(), int(QDialog::Rejected));
    QCOMPARE(clerk->GetNodeSecurity(two), uint8_t(2));
}

void SecurityDialogsTest::refusedInformationIsReportedOnce() {
    TSecurityDatabase database;
    const auto clerk = LogOn(database, "clerk", "three");
    QVERIFY(clerk);
    TInformationForm form(*clerk);
    TModalDriver driver;
    QStringList reports;
    driver.Then(ErrorReport(reports));
    QVERIFY_THROWS_NO_EXCEPTION(form.show());
    Settle();
    // Closing the report activates the dialog again, and so does showing it again: the
    // refusal is not reported a second time.
    form.hide();
    QVERIFY_THROWS_NO_EXCEPTION(form.show());
    form.activateWindow();
    Settle();
    QCOMPARE(reports, QStringList({"Access Denied"}));
    QCOMPARE(driver.ModalsSeen(), 1);
    QCOMPARE(form.List()->item(0, 1)->text(), QString());
}

QTEST_MAIN(SecurityDialogsTest)
#include "securitydialogs_test.moc"
