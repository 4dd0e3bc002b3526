// The logon, password and user dialogs: their fields, the Enter keys of the logon
// dialog, and the closing checks with their messages, against a real database.
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>

#include "engine/tkelmor.h"
#include "security/tchangepasswordform.h"
#include "security/tloginform.h"
#include "security/tnewdatabasedetailsform.h"
#include "security/tusermanagementform.h"
#include "tests/gui/guitestsupport.h"
#include "ui/common.h"

using namespace kelmor;
using namespace kelmor::test;

namespace {

// A database with the administrator "admin"/"secret" and a user 3, opened as `user`.
class TOpenDatabase {
public:
    explicit TOpenDatabase(const QString& user = QStringLiteral("admin"),
                           const QString& password = QStringLiteral("secret")) {
        base = dir / QStringLiteral("users");
        CreateDatabase(base);
        {
            TKelmorClass setup;
            setup.OpenDatabase(ToEnginePath(base), false, TKelmorClass::MakeLogin("admin", "secret"));
            setup.SetUser(3, "CLERK", "counter");
        }
        result =
            engine.OpenDatabase(ToEnginePath(base), false, TKelmorClass::MakeLogin(ToLatin1(user), ToLatin1(password)));
    }
    TGuiTempDir dir;
    QString base;
    TKelmorClass engine;
    int result = -1;
};

// The next widget that the Tab key reaches.
QWidget* NextTabStop(QWidget* from) {
    for (QWidget* w = from->nextInFocusChain(); w && w != from; w = w->nextInFocusChain()) {
        if (w->focusPolicy() & Qt::TabFocus) return w;
    }
    return nullptr;
}

// Presses OK in a password dialog and reports whether it closed.
bool PressOk(QDialog& dialog) {
    dialog.accept();
    return dialog.result() == QDialog::Accepted;
}

}  // namespace

class DialogsTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { UseTestSettings(); }

    void logonDialogOffersTheBuiltInUser();
    void logonEnterMovesToPasswordThenOk();
    void textBoxesRefuseCharactersOutsideLatin1();
    void newDatabaseChecksNameThenPasswords();
    void editUserHasItsFieldsInOrder();
    void changePasswordChecksTheOldPasswordFirst();
    void changePasswordIgnoresLetterCaseOfTheOldOne();
    void userManagementListsTheFiveSlots();
    void userManagementRefusesToClearSlotOne();
    void userManagementClearsAnotherSlot();
    void blankPasswordNeedsConfirmation();
};

void DialogsTest::logonDialogOffersTheBuiltInUser() {
    TLoginForm logon;
    QCOMPARE(logon.windowTitle(), QStringLiteral("Logon to Database"));
    QCOMPARE(logon.xUsername()->text(), QStringLiteral("Curator"));
    QCOMPARE(TLoginForm::BuiltInUserName().toUpper(), QString::fromLatin1(kBuiltInUserWord));
    QCOMPARE(logon.xUsername()->maxLength(), 255);
    QCOMPARE(logon.xPassword()->maxLength(), 255);
    QCOMPARE(logon.xPassword()->echoMode(), QLineEdit::Password);
    QVERIFY(!logon.xDBReadOnly()->isChecked());
    QCOMPARE(logon.xDBReadOnly()->text(), QStringLiteral("Open &Read Only"));
    logon.SetDatabaseName(QStringLiteral("stock"));
    QCOMPARE(logon.xDatabase()->text(), QStringLiteral("stock"));
}

void DialogsTest::logonEnterMovesToPasswordThenOk() {
    TLoginForm logon;
    logon.show();
    QVERIFY(QTest::qWaitForWindowActive(&logon));
    QVERIFY(!logon.OKButton()->isDefault());  // a first Enter never closes the dialog
    logon.xDBReadOnly()->setFocus();
    QTest::keyClick(logon.xDBReadOnly(), Qt::Key_Return);
    QVERIFY(logon.isVisible());
    logon.xUsername()->setFocus();
    logon.xUsername()->clear();
    QTest::keyClicks(logon.xUsername(), QStringLiteral("admin"));
    QTest::keyClick(logon.xUsername(), Qt::Key_Return);
    QVERIFY(logon.isVisible());
    QVERIFY(logon.xPassword()->hasFocus());
    QTest::keyClicks(logon.xPassword(), QStringLiteral("secret"));
    QTest::keyClick(logon.xPassword(), Qt::Key_Enter);
    QVERIFY(logon.isVisible());
    QVERIFY(logon.OKButton()->hasFocus());
    QTest::keyClick(logon.OKButton(), Qt::Key_Return);
    QVERIFY(!logon.isVisible());
    QCOMPARE(logon.result(), int(QDialog::Accepted));
    QCOMPARE(logon.UserName(), QStringLiteral("admin"));
    QCOMPARE(logon.Password(), QStringLiteral("secret"));
}

void DialogsTest::textBoxesRefuseCharactersOutsideLatin1() {
    TLoginForm logon;
    logon.show();
    logon.xUsername()->setFocus();
    logon.xUsername()->clear();
    // e-acute is Latin-1, the euro sign is not.
    for (const QString& typed : {QStringLiteral("J"), QStringLiteral("\u00e9"), QStringLiteral("\u20ac")})
        QTest::sendKeyEvent(QTest::Click, logon.xUsername(), Qt::Key_unknown, typed, Qt::NoModifier);
    QCOMPARE(logon.xUsername()->text(), QStringLiteral("J\u00e9"));
    logon.xUsername()->insert(QStringLiteral("\u20ac"));  // pasted text is refused as well
    QCOMPARE(logon.xUsername()->text(), QStringLiteral("J\u00e9"));

    TEditUserForm editor;
    QCOMPARE(editor.Username()->maxLength(), 19);
    QCOMPARE(editor.NewPassword()->maxLength(), 19);
    QCOMPARE(editor.VerifyPassword()->echoMode(), QLineEdit::Password);
}

void DialogsTest::newDatabaseChecksNameThenPasswords() {
    TNewDatabaseDetailsForm details;
    QCOMPARE(details.windowTitle(), QStringLiteral("New Database"));
    QVERIFY(details.findChild<QLabel*>() != nullptr);
    bool explained = false;
    for (QLabel* label : details.findChildren<QLabel*>())
        explained |= label->text() == QLatin1String("Enter the initial username and password for the database.");
    QVERIFY(explained);
    details.show();

    TModalDriver driver;
    driver.Message().Message().Message();
    details.NewPassword()->setText(QStringLiteral("one"));
    details.VerifyPassword()->setText(QStringLiteral("two"));
    QVERIFY(!PressOk(details));  // no user name: that check comes first
    QCOMPARE(details.focusWidget(), details.Username());

    details.Username()->setText(QStringLiteral("owner"));
    QVERIFY(!PressOk(details));
    QCOMPARE(details.focusWidget(), details.NewPassword());
    QCOMPARE(details.NewPassword()->text(), QStringLiteral("one"));  // nothing emptied

    details.VerifyPassword()->setText(QStringLiteral("One"));  // case matters
    QVERIFY(!PressOk(details));
    details.VerifyPassword()->setText(QStringLiteral("one"));
    QVERIFY(PressOk(details));
    QCOMPARE(driver.Messages(), QStringList({"Username must be entered.", "New password's do not match.",
                                             "New password's do not match."}));
    QCOMPARE(details.UsernameText(), QStringLiteral("owner"));
    QCOMPARE(details.NewPasswordText(), QStringLiteral("one"));

    // Cancel never checks.
    TNewDatabaseDetailsForm cancelled;
    cancelled.reject();
    QCOMPARE(driver.ModalsSeen(), 3);
}

void DialogsTest::editUserHasItsFieldsInOrder() {
    TEditUserForm editor;
    QCOMPARE(editor.windowTitle(), QStringLiteral("Edit User"));
    QCOMPARE(NextTabStop(editor.Username()), editor.NewPassword());
    QCOMPARE(NextTabStop(editor.NewPassword()), editor.VerifyPassword());
    TAskPasswordForm ask;
    QCOMPARE(ask.windowTitle(), QStringLiteral("Enter New Password"));
}

void DialogsTest::changePasswordChecksTheOldPasswordFirst() {
    TOpenDatabase db;
    QCOMPARE(db.result, 0);
    TChangePasswordForm change(db.engine);
    QCOMPARE(change.windowTitle(), QStringLiteral("Change Password"));
    QCOMPARE(NextTabStop(change.OldPassword()), change.NewPassword());
    change.show();
    TModalDriver driver;
    driver.Message().Message();
    change.OldPassword()->setText(QStringLiteral("wrong"));
    change.NewPassword()->setText(QStringLiteral("new"));
    change.VerifyPassword()->setText(QStringLiteral("other"));
    QVERIFY(!PressOk(change));
    QCOMPARE(change.focusWidget(), change.OldPassword());
    change.OldPassword()->setText(QStringLiteral("secret"));
    QVERIFY(!PressOk(change));
    QCOMPARE(driver.Messages(), QStringList({"Old password incorrect.", "New password's do not match."}));
    QCOMPARE(db.engine.CheckLogin("admin", "secret"), 1);  // unchanged
}

void DialogsTest::changePasswordIgnoresLetterCaseOfTheOldOne() {
    TOpenDatabase db;
    TChangePasswordForm change(db.engine);
    change.show();
    TModalDriver driver;
    driver.Message();
    change.OldPassword()->setText(QStringLiteral("SeCrEt"));
    change.NewPassword()->setText(QStringLiteral("fresh"));
    change.VerifyPassword()->setText(QStringLiteral("fresh"));
    QVERIFY(PressOk(change));
    QCOMPARE(driver.Messages(), QStringList({"Password changed."}));
    QCOMPARE(db.engine.CheckLogin("admin", "fresh"), 1);
    QCOMPARE(db.engine.CheckLogin("admin", "secret"), 0);
}

void DialogsTest::userManagementListsTheFiveSlots() {
    TOpenDatabase db;
    TUserManagementForm users(db.engine);
    QCOMPARE(users.windowTitle(), QStringLiteral("User Management"));
    QCOMPARE(users.UserList()->count(), 5);
    QStringList names;
    for (int i = 0; i < 5; ++i) names << users.UserList()->item(i)->text();
    QCOMPARE(names, QStringList({"ADMIN", "", "CLERK", "", ""}));
    QCOMPARE(users.UserList()->currentRow(), 0);
    QCOMPARE(users.EditSelected()->text(), QStringLiteral("C&hange"));
    QCOMPARE(users.ClearItem()->text(), QStringLiteral("C&lear"));
}

void DialogsTest::userManagementRefusesToClearSlotOne() {
    TOpenDatabase db;
    TUserManagementForm users(db.engine);
    users.show();
    TModalDriver driver;
    driver.Message().Message();
    users.ClearItemClick();
    users.UserList()->clearSelection();
    users.ClearItemClick();
    QCOMPARE(driver.Messages(), QStringList({"Must have a level 1 username.", "Must have a level 1 username."}));
    QCOMPARE(db.engine.GetUserName(1), std::string("ADMIN"));
}

void DialogsTest::userManagementClearsAnotherSlot() {
    TOpenDatabase db;
    TUserManagementForm users(db.engine);
    users.UserList()->setCurrentRow(2);
    users.ClearItemClick();
    QCOMPARE(users.UserList()->item(2)->text(), QString());
    QCOMPARE(users.UserList()->count(), 5);
    QCOMPARE(db.engine.CheckLogin("CLERK", "counter"), 0);  // can no longer log on
}

void DialogsTest::blankPasswordNeedsConfirmation() {
    TOpenDatabase db;
    TUserManagementForm users(db.engine);
    users.show();
    users.UserList()->setCurrentRow(3);
    TModalDriver driver;
    const auto fill = [](const QString& name) {
        return [name](QWidget* modal) {
            auto* editor = qobject_cast<TEditUserForm*>(modal);
            QVERIFY(editor);
            QCOMPARE(editor->Username()->text(), QString());  // the slot's name, empty here
            editor->Username()->setText(name);
            editor->accept();
        };
    };
    driver.Then(fill(QStringLiteral("guest"))).Message(QMessageBox::No);
    users.EditSelectedClick();
    QCOMPARE(driver.Messages(), QStringList({"New password blank.\n\nAre you sure ?"}));
    QCOMPARE(db.engine.GetUserName(4), std::string());  // unchanged

    driver.Then(fill(QStringLiteral("guest"))).Message(QMessageBox::Yes);
    users.EditSelectedClick();
    QCOMPARE(users.UserList()->item(3)->text(), QStringLiteral("guest"));  // as typed
    QCOMPARE(users.UserList()->count(), 5);
    QCOMPARE(db.engine.GetUserName(4), std::string("GUEST"));
    QCOMPARE(db.engine.CheckLogin("guest", ""), 4);
    // The engine's refusals (another user's slot, a read-only database) are tested with
    // the other dialogs' refusals in securitydialogs_test.
}

QTEST_MAIN(DialogsTest)
#include "dialogs_test.moc"
