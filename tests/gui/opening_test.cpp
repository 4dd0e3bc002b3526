// Opening and creating databases from the main window: the checks and messages of
// OpenDatabaseFiles and NewDatabase, the already-open check, the recent-file list and
// its menu entries, the file dialogs' checks, and the document window's engine.
#include <QAction>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QSettings>
#include <QTest>
#include <QTimer>

#include "app/fileassociation.h"
#include "app/sampledatabase.h"
#include "app/systemregional.h"
#include "app/tmainform.h"
#include "engine/regional.h"
#include "engine/tkelmor.h"
#include "engine/userblock.h"
#include "security/tloginform.h"
#include "security/tnewdatabasedetailsform.h"
#include "tests/gui/guitestsupport.h"
#include "tests/gui/programmainform.h"
#include "ui/common.h"
#include "ui/tdatabasewindow.h"
#include "window/tmdichild.h"

using namespace kelmor;
using namespace kelmor::test;

namespace {

// A data row of two texts.
void TextRow(const char* name, const QString& first, const QString& second) { QTest::newRow(name) << first << second; }

TMDIChild* DocumentOf(QMdiSubWindow* window) { return window ? qobject_cast<TMDIChild*>(window->widget()) : nullptr; }

}  // namespace

class OpeningTest : public QObject {
    Q_OBJECT
private slots:
    void init() { UseTestSettings(); }

    void missingFilesAreReported();
    void wrongPasswordIsRefused();
    void opensAndListsTheDatabase();
    void alreadyOpenDatabaseComesToTheFront();
    void differentFilesAreNotTheSameDatabase();
    void damagedDatabaseShowsWhatIsWrong();
    void checksumFailureWarnsAndOpens();
    void readOnlyOpenNeverWritesTheIndex();
    void newDatabaseCreatesAndShows();
    void newDatabaseReportsAFailure();
    void basePathFromFileName_data();
    void basePathFromFileName();
    void recentFilesKeepSixMostRecentFirst();
    void recentFileCaptions_data();
    void recentFileCaptions();
    void recentFilesRoundTripThroughSettings();
    void fileDialogChecks();
    void newAsksOneQuestionNamingWhatIsReplaced_data();
    void newAsksOneQuestionNamingWhatIsReplaced();
    void newOverAnOpenDatabaseIsRefusedFirst();
    void closingTheWindowFreesTheEngine();
    void ctrlWAndCtrlF4CloseTheActiveWindow();
    void flushTimerWritesAModifiedDatabase();
    void handOverAndDropsOpenDatabases();
    void sampleDatabaseIsBuiltFromTheShippedFile();
    void sampleDatabaseOpensAtTheFirstStartOnly();
    void fileTypeEntriesPassTheFileAsOneArgument();
    void regionalSettingsFromTheLocale_data();
    void regionalSettingsFromTheLocale();
};

void OpeningTest::missingFilesAreReported() {
    TGuiTempDir dir;
    const QString base = dir / "stock";
    TProgramMainForm form;
    TModalDriver driver;
    driver.Message().Message();
    form.OpenDatabaseFiles(base);
    QVERIFY(CreateDatabase(base));
    QFile::remove(base + ".dat");
    form.OpenDatabaseFiles(base);
    QCOMPARE(driver.Messages(), QStringList({"Cannot find " + base + ".idx", "Cannot find " + base + ".dat"}));
    QVERIFY(form.DatabaseWindows().isEmpty());
    QVERIFY(form.RecentFiles().isEmpty());
}

void OpeningTest::wrongPasswordIsRefused() {
    TGuiTempDir dir;
    const QString base = dir / "stock";
    QVERIFY(CreateDatabase(base));
    TProgramMainForm form;
    TModalDriver driver;
    driver.Logon("admin", "wrong").Message();
    form.OpenDatabaseFiles(base);
    QCOMPARE(driver.Messages(), QStringList({"Incorrect Username or Password.\n\nAccess Denied."}));
    QVERIFY(form.DatabaseWindows().isEmpty());
    QVERIFY(form.OpenDatabases().empty());

    driver.Logon("admin", "secret", false, false);  // cancelled: nothing happens
    form.OpenDatabaseFiles(base);
    QVERIFY(driver.AllAnswered());
    QCOMPARE(driver.Messages().size(), 1);
    QVERIFY(form.DatabaseWindows().isEmpty());
}

void OpeningTest::opensAndListsTheDatabase() {
    TGuiTempDir dir;
    const QString base = dir / "stock";
    QVERIFY(CreateDatabase(base));
    TProgramMainForm form;
    form.show();
    TModalDriver driver;
    driver.Then([&base](QWidget* modal) {
        auto* logon = qobject_cast<TLoginForm*>(modal);
        QVERIFY(logon);
        QCOMPARE(logon->xDatabase()->text(), QStringLiteral("stock"));
        logon->xUsername()->setText("ADMIN");  // names are not case-sensitive
        logon->xPassword()->setText("secret");
        logon->accept();
    });
    form.OpenDatabaseFiles(base);
    QVERIFY(driver.AllAnswered());
    QCOMPARE(form.DatabaseWindows().size(), 1);
    QCOMPARE(form.OpenDatabases().size(), size_t(1));
    TDatabaseWindow* window = form.ActiveDatabaseWindow();
    QVERIFY(window);
    QCOMPARE(window->BasePath(), base);
    QCOMPARE(window->Engine().CurrentUser(), uint8_t(1));
    QCOMPARE(form.DatabaseWindows().first()->windowTitle(), QStringLiteral("STOCK"));
    QCOMPARE(form.RecentFiles(), QStringList({base}));
    QVERIFY(form.Command(TCommandId::FileCloseAll)->isEnabled());
    QVERIFY(form.Command(TCommandId::FileFlush)->isEnabled());
    QVERIFY(form.DatabaseEntry(TDatabaseEntry::UserManagement)->isEnabled());
    QVERIFY(form.Command(TCommandId::FileClose)->isEnabled());
}

void OpeningTest::alreadyOpenDatabaseComesToTheFront() {
    TGuiTempDir dir;
    QDir().mkpath(dir / "sub");
    const QString stock = dir / "stock", other = dir / "other";
    QVERIFY(CreateDatabase(stock));
    QVERIFY(CreateDatabase(other));
    QVERIFY(QFile::link(dir / "stock.idx", dir / "alias.idx"));
    QVERIFY(QFile::link(dir / "stock.dat", dir / "alias.dat"));
    TProgramMainForm form;
    form.show();
    TModalDriver driver;
    driver.Logon("admin", "secret").Logon("admin", "secret");
    form.OpenDatabaseFiles(stock);
    form.OpenDatabaseFiles(other);
    QCOMPARE(form.DatabaseWindows().size(), 2);
    QCOMPARE(form.ActiveDatabaseWindow()->BasePath(), other);

    const QString previous = QDir::currentPath();
    QDir::setCurrent(dir.Path());
    // No logon dialog for any spelling of the open database.
    for (const QString& spelling : {QStringLiteral("stock"), QStringLiteral("./stock"), QStringLiteral("sub/../stock"),
                                    dir.Path() + "//stock", QStringLiteral("alias")}) {
        form.DocumentArea()->setActiveSubWindow(form.DatabaseWindows().first()->windowTitle() == "OTHER"
                                                    ? form.DatabaseWindows().first()
                                                    : form.DatabaseWindows().last());
        QCOMPARE(form.ActiveDatabaseWindow()->BasePath(), other);
        form.OpenDatabaseFiles(spelling);
        QCOMPARE(form.ActiveDatabaseWindow()->BasePath(), stock);
        QCOMPARE(form.DatabaseWindows().size(), 2);
    }
    QDir::setCurrent(previous);
    QCOMPARE(driver.ModalsSeen(), 2);
    QCOMPARE(form.OpenDatabases().size(), size_t(2));
}

void OpeningTest::differentFilesAreNotTheSameDatabase() {
    // File names differ in letter case on this system: "Stock" is another database.
    TGuiTempDir dir;
    QVERIFY(CreateDatabase(dir / "stock"));
    QVERIFY(CreateDatabase(dir / "Stock"));
    TProgramMainForm form;
    form.show();
    TModalDriver driver;
    driver.Logon("admin", "secret").Logon("admin", "secret");
    form.OpenDatabaseFiles(dir / "stock");
    form.OpenDatabaseFiles(dir / "Stock");
    QCOMPARE(form.DatabaseWindows().size(), 2);
    QCOMPARE(form.RecentFiles(), QStringList({dir / "Stock", dir / "stock"}));
}

void OpeningTest::damagedDatabaseShowsWhatIsWrong() {
    TGuiTempDir dir;
    const QString base = dir / "broken";
    QVERIFY(CreateDatabase(base));
    QFile index(base + ".idx");
    QVERIFY(index.resize(100));
    TProgramMainForm form;
    TModalDriver driver;
    driver.Logon("admin", "secret").Message();
    form.OpenDatabaseFiles(base);
    QCOMPARE(driver.Messages().size(), 1);
    QVERIFY2(driver.Messages().first().contains("too short"), qPrintable(driver.Messages().first()));
    QVERIFY(form.DatabaseWindows().isEmpty());
    QVERIFY(form.OpenDatabases().empty());
}

void OpeningTest::checksumFailureWarnsAndOpens() {
    TGuiTempDir dir;
    const QString base = dir / "stamped";
    QVERIFY(CreateDatabase(base));
    {
        // Another stamp in the data file than in the index.
        QFile data(base + ".dat");
        QVERIFY(data.open(QIODevice::ReadWrite));
        QByteArray head = data.read(64);
        bool changed = false;
        TKelmorClass probe;
        QCOMPARE(probe.OpenDatabase(ToEnginePath(base), true, TKelmorClass::MakeLogin("admin", "secret")), 0);
        const uint16_t stamp = probe.Stamp();
        probe.Close();
        for (int offset = 0; offset + 1 < head.size(); ++offset) {
            if (uint8_t(head[offset]) == (stamp & 0xFF) && uint8_t(head[offset + 1]) == (stamp >> 8)) {
                data.seek(offset);
                const char other[2] = {char((stamp + 1) & 0xFF), char(((stamp + 1) >> 8) & 0xFF)};
                data.write(other, 2);
                changed = true;
                break;
            }
        }
        QVERIFY(changed);
    }
    TProgramMainForm form;
    form.show();
    TModalDriver driver;
    driver.Logon("admin", "secret", true).Message();
    form.OpenDatabaseFiles(base);
    QCOMPARE(driver.Messages(), QStringList({"Checksum Failure."}));
    QCOMPARE(form.DatabaseWindows().size(), 1);
}

void OpeningTest::readOnlyOpenNeverWritesTheIndex() {
    TGuiTempDir dir;
    const QString base = dir / "stock";
    QVERIFY(CreateDatabase(base));
    const QByteArray before = [&] {
        QFile f(base + ".idx");
        f.open(QIODevice::ReadOnly);
        return f.readAll();
    }();
    {
        TProgramMainForm form;
        form.show();
        TModalDriver driver;
        driver.Logon("admin", "secret", true);
        form.OpenDatabaseFiles(base);
        QVERIFY(form.ActiveDatabaseWindow()->Engine().IsReadOnly());
        QVERIFY(!form.Command(TCommandId::FileFlush)->isEnabled());
        QVERIFY(!form.DatabaseEntry(TDatabaseEntry::ChangePassword)->isEnabled());
    }
    QFile after(base + ".idx");
    QVERIFY(after.open(QIODevice::ReadOnly));
    QCOMPARE(after.readAll(), before);
}

void OpeningTest::newDatabaseCreatesAndShows() {
    TGuiTempDir dir;
    const QString base = dir / "fresh";
    TProgramMainForm form;
    form.show();
    TModalDriver driver;
    driver.Then([](QWidget* modal) {
        auto* details = qobject_cast<TNewDatabaseDetailsForm*>(modal);
        QVERIFY(details);
        details->Username()->setText("owner");
        details->NewPassword()->setText("pw");
        details->VerifyPassword()->setText("pw");
        details->accept();
    });
    form.NewDatabase(base);
    QVERIFY(driver.AllAnswered());
    QCOMPARE(form.DatabaseWindows().size(), 1);
    QCOMPARE(QString::fromStdString(form.ActiveDatabaseWindow()->Engine().GetCurrentUserName()),
             QStringLiteral("OWNER"));
    QVERIFY(QFile::exists(base + ".idx") && QFile::exists(base + ".dat"));
    QCOMPARE(form.RecentFiles(), QStringList({base}));
}

void OpeningTest::newDatabaseReportsAFailure() {
    TGuiTempDir dir;
    const QString base = dir / "missing/folder/fresh";
    TProgramMainForm form;
    TModalDriver driver;
    driver.Then([](QWidget* modal) {
        auto* details = qobject_cast<TNewDatabaseDetailsForm*>(modal);
        QVERIFY(details);
        details->Username()->setText("owner");
        details->accept();
    });
    driver.Message();
    form.NewDatabase(base);
    QCOMPARE(driver.Messages().size(), 1);
    QVERIFY2(driver.Messages().first().contains("No such file"), qPrintable(driver.Messages().first()));
    QVERIFY(form.DatabaseWindows().isEmpty());
    QVERIFY(form.OpenDatabases().empty());
}

void OpeningTest::basePathFromFileName_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("base");
    TextRow("index file", "/data/stock.idx", "/data/stock");
    TextRow("data file", "/data/stock.dat", "/data/stock");
    TextRow("no extension", "/data/stock", "/data/stock");
    TextRow("last dot counts", "/data/my.data.idx", "/data/my.data");
    TextRow("dot in a folder stays", "/home/me/.local/stock", "/home/me/.local/stock");
    const QString longName = "/" + QString(300, QLatin1Char('a')) + ".idx";
    QTest::newRow("cut to 255 before the extension goes") << longName << longName.left(255);
    const QString dotted = "/x.y/" + QString(300, QLatin1Char('b'));
    QTest::newRow("cut keeps a dot only in the folder") << dotted << dotted.left(255);
}

void OpeningTest::basePathFromFileName() {
    QFETCH(QString, name);
    QFETCH(QString, base);
    QCOMPARE(TMainForm::BasePathFromFileName(name), base);
}

void OpeningTest::recentFilesKeepSixMostRecentFirst() {
    TProgramMainForm form;
    for (int i = 1; i <= 7; ++i) form.AddRecentFile(QStringLiteral("/db/d%1").arg(i));
    QCOMPARE(form.RecentFiles(), QStringList({"/db/d7", "/db/d6", "/db/d5", "/db/d4", "/db/d3", "/db/d2"}));
    // Re-opening the third moves it to the head and shifts the first two down.
    form.AddRecentFile("/db/d5");
    QCOMPARE(form.RecentFiles(), QStringList({"/db/d5", "/db/d7", "/db/d6", "/db/d4", "/db/d3", "/db/d2"}));
    form.AddRecentFile("/db//d5");  // the head again, in a new spelling
    QCOMPARE(form.RecentFiles().first(), QStringLiteral("/db//d5"));
    QCOMPARE(form.RecentFiles().size(), 6);
    for (int n = 1; n <= 6; ++n) QVERIFY(form.RecentFileEntry(n)->isVisible());
    QCOMPARE(form.RecentFileEntry(2)->text(), QStringLiteral("&2 d7"));
    QCOMPARE(form.RecentFileEntry(2)->statusTip(), QStringLiteral("/db/d7"));
    QCOMPARE(form.RecentFileEntry(2)->property("tag").toInt(), 2);
}

void OpeningTest::recentFileCaptions_data() {
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("caption");
    TextRow("plain", "/db/stock", "&1 stock");
    TextRow("dotted name cut after its first dot", "/db/my.data", "&1 my.");
    TextRow("two dots", "/db/a.b.c", "&1 a.");
    TextRow("ampersand shows once", "/db/Smith & Co", "&1 Smith && Co");
    TextRow("dot in the folder only", "/db.old/stock", "&1 stock");
}

void OpeningTest::recentFileCaptions() {
    QFETCH(QString, path);
    QFETCH(QString, caption);
    TProgramMainForm form;
    form.AddRecentFile(path);
    QCOMPARE(form.RecentFileEntry(1)->text(), caption);
    QVERIFY(!form.RecentFileEntry(2)->isVisible());
}

void OpeningTest::recentFilesRoundTripThroughSettings() {
    {
        TProgramMainForm form;
        form.AddRecentFile("/db/one");
        form.AddRecentFile("/db/two");
    }
    QSettings settings(QStringLiteral("Kelmor"), QStringLiteral("Database Manager"));
    QCOMPARE(settings.value("Recent Files/Items").toInt(), 2);
    QCOMPARE(settings.value("Recent Files/Item1").toString(), QStringLiteral("/db/two"));
    settings.setValue("Recent Files/Items", 5);  // more counted than stored: reading stops at the gap
    settings.sync();
    TProgramMainForm form;
    QCOMPARE(form.RecentFiles(), QStringList({"/db/two", "/db/one"}));
    QCOMPARE(form.RecentFileEntry(1)->text(), QStringLiteral("&1 two"));

    // Choosing an entry opens the stored path unchanged.
    TModalDriver driver;
    driver.Message();
    form.RecentFileEntry(2)->trigger();
    QCOMPARE(driver.Messages(), QStringList({"Cannot find /db/one.idx"}));
}

void OpeningTest::fileDialogChecks() {
    TGuiTempDir dir;
    const QString base = dir / "stock";
    QVERIFY(CreateDatabase(base));
    TProgramMainForm form;
    TModalDriver driver;
    // Open: any file of the set will do, provided its data file is there.
    QVERIFY(form.OpenDialogCanClose(base + ".dat", &form));
    QVERIFY(form.OpenDialogCanClose(base + ".idx", &form));
    driver.Message();
    QVERIFY(!form.OpenDialogCanClose(dir / "lonely.idx", &form));
    QCOMPARE(driver.Messages().last(),
             QStringLiteral("Cannot find associated DAT file.\n\nIDX file may not be a Kelmor database."));

    // New: replacing files of a database is confirmed by one question, whose No keeps
    // the dialog open.
    QVERIFY(form.NewDialogCanClose(dir / "fresh.idx", &form));
    QFile(base + ".blb").open(QIODevice::WriteOnly);
    driver.Message(QMessageBox::No);
    QVERIFY(!form.NewDialogCanClose(base + ".dat", &form));
    driver.Message(QMessageBox::Yes);
    QVERIFY(form.NewDialogCanClose(base + ".idx", &form));
    QCOMPARE(driver.Messages().mid(1),
             QStringList(2, "stock.idx, stock.dat and stock.blb already exist.\nDo you want to replace them?"));
}

void OpeningTest::newAsksOneQuestionNamingWhatIsReplaced_data() {
    QTest::addColumn<QStringList>("existing");
    QTest::addColumn<QString>("question");  // empty: none
    QTest::newRow("none") << QStringList() << QString();
    QTest::newRow("index only") << QStringList({".idx"}) << "stock.idx already exists.\nDo you want to replace it?";
    QTest::newRow("data only") << QStringList({".dat"}) << "Associated DAT file exists.\nDo you want to replace it?";
    QTest::newRow("blob only") << QStringList({".blb"}) << "Associated BLB file exists.\nDo you want to replace it?";
    QTest::newRow("index and data") << QStringList({".idx", ".dat"})
                                    << "stock.idx and stock.dat already exist.\nDo you want to replace them?";
}

void OpeningTest::newAsksOneQuestionNamingWhatIsReplaced() {
    QFETCH(QStringList, existing);
    QFETCH(QString, question);
    TGuiTempDir dir;
    for (const QString& extension : existing) QVERIFY(QFile(dir / "stock" + extension).open(QIODevice::WriteOnly));
    QCOMPARE(TMainForm::ReplaceQuestion(dir / "stock"), question);
}

void OpeningTest::newOverAnOpenDatabaseIsRefusedFirst() {
    TGuiTempDir dir;
    const QString base = dir / "stock";
    QVERIFY(CreateDatabase(base));
    TProgramMainForm form;
    form.show();
    TModalDriver driver;
    driver.Logon("admin", "secret", true);  // even read-only
    form.OpenDatabaseFiles(base);
    QCOMPARE(form.DatabaseWindows().size(), 1);
    driver.Message();
    QVERIFY(!form.NewDialogCanClose(base + ".dat", &form));
    QCOMPARE(driver.Messages(),
             QStringList({base + " is open in this program.\n\nClose its window before creating a new database in "
                                 "its place."}));
}

void OpeningTest::closingTheWindowFreesTheEngine() {
    TGuiTempDir dir;
    const QString base = dir / "stock";
    QVERIFY(CreateDatabase(base));
    TProgramMainForm form;
    form.show();
    TModalDriver driver;
    driver.Logon("admin", "secret");
    form.OpenDatabaseFiles(base);
    TKelmorClass& engine = form.ActiveDatabaseWindow()->Engine();
    engine.SetUser(2, "SECOND", "two");  // changed in memory only
    form.Command(TCommandId::FileClose)->trigger();
    QCoreApplication::processEvents();
    QTRY_VERIFY(form.OpenDatabases().empty());
    QVERIFY(form.DatabaseWindows().isEmpty());
    QVERIFY(!form.Command(TCommandId::FileClose)->isEnabled());
    QVERIFY(!form.Command(TCommandId::Find)->isEnabled());
    QCOMPARE(form.StatusPanelText(), QString());
    TKelmorClass reopened;
    QCOMPARE(reopened.OpenDatabase(ToEnginePath(base), true, TKelmorClass::MakeLogin("second", "two")), 0);
}

void OpeningTest::ctrlWAndCtrlF4CloseTheActiveWindow() {
    TGuiTempDir dir;
    for (const char* name : {"one", "two"}) QVERIFY(CreateDatabase(dir / name));
    TProgramMainForm form;
    form.show();
    QVERIFY(QTest::qWaitForWindowActive(&form));
    TModalDriver driver;
    driver.Logon("admin", "secret").Logon("admin", "secret");
    form.OpenDatabaseFiles(dir / "one");
    form.OpenDatabaseFiles(dir / "two");
    QCOMPARE(form.DatabaseWindows().size(), 2);
    form.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&form));
    // Inside the database window and outside it (the sub-windows' own keys gave way).
    QTest::keyClick(form.DocumentArea()->activeSubWindow()->widget(), Qt::Key_W, Qt::ControlModifier);
    QTRY_COMPARE(form.DatabaseWindows().size(), 1);
    QCOMPARE(form.ActiveDatabaseWindow()->BasePath(), dir / "one");
    QTest::keyClick(form.DocumentArea(), Qt::Key_F4, Qt::ControlModifier);
    QTRY_VERIFY(form.DatabaseWindows().isEmpty());
    QTRY_VERIFY(form.OpenDatabases().empty());
    QTest::keyClick(&form, Qt::Key_W, Qt::ControlModifier);  // nothing left to close
    QCOMPARE(driver.ModalsSeen(), 2);
}

void OpeningTest::flushTimerWritesAModifiedDatabase() {
    TGuiTempDir dir;
    const QString base = dir / "stock";
    QVERIFY(CreateDatabase(base));
    TProgramMainForm form;
    form.show();
    TModalDriver driver;
    driver.Logon("admin", "secret");
    form.OpenDatabaseFiles(base);
    auto* window = DocumentOf(form.DatabaseWindows().first());
    QVERIFY(window);
    QCOMPARE(window->FlushTimer()->interval(), 15000);
    QVERIFY(window->FlushTimer()->isActive());
    window->Engine().SetUser(2, "SECOND", "two");
    QVERIFY(window->Engine().Modified());
    window->FlushTimer()->start(10);  // its next tick comes at once
    QTRY_VERIFY(!window->Engine().Modified());
    TKelmorClass other;
    QCOMPARE(other.OpenDatabase(ToEnginePath(base), true, TKelmorClass::MakeLogin("second", "two")), 0);

    driver.Message();
    form.Command(TCommandId::FileFlush)->trigger();
    QCOMPARE(driver.Messages(), QStringList({"Database Committed to Disk."}));
}

void OpeningTest::handOverAndDropsOpenDatabases() {
    TGuiTempDir dir;
    for (const char* name : {"one", "two", "three"}) QVERIFY(CreateDatabase(dir / name));
    TProgramMainForm form;
    form.show();
    TModalDriver driver;
    driver.Logon("admin", "secret");
    form.ReceiveHandOver(dir / "one.idx");
    QCOMPARE(form.ActiveDatabaseWindow()->BasePath(), dir / "one");
    form.ReceiveHandOver(QString());  // only comes to the front
    QCOMPARE(form.DatabaseWindows().size(), 1);

    driver.Logon("admin", "secret").Logon("admin", "secret");
    form.OpenDroppedFiles({dir / "two.dat", dir / "three.blb", dir / "one.idx"});
    QCOMPARE(form.DatabaseWindows().size(), 3);
    QCOMPARE(driver.ModalsSeen(), 3);  // the open one needs no logon
    QCOMPARE(form.RecentFiles(), QStringList({dir / "three", dir / "two", dir / "one"}));
}

void OpeningTest::sampleDatabaseIsBuiltFromTheShippedFile() {
    for (const char* extension : {".idx", ".dat", ".blb"}) QFile::remove(SampleDatabaseBasePath() + extension);
    QString problem;
    const QString base = EnsureSampleDatabase(problem);
    QVERIFY2(!base.isEmpty(), qPrintable(problem));
    QCOMPARE(base, SampleDatabaseBasePath());
    TKelmorClass engine;
    QCOMPARE(engine.OpenDatabase(ToEnginePath(base), true, TKelmorClass::MakeLogin(kBuiltInUserWord, "")), 0);
    QVERIFY(engine.Header().nodeCount >= 10);
    const int32_t hammer = engine.FindNodeByPath("Inventory\\Hardware\\Claw hammer");
    QVERIFY(hammer > 0);
    QVERIFY(engine.LoadNode(hammer));
    QCOMPARE(engine.KeyValueText(engine.FindKey("Price")), std::string("12.500"));
    const int32_t read = engine.FindNodeByPath("Read me");
    QVERIFY(engine.LoadNode(read));
    QCOMPARE(engine.KeyType(engine.FindKey("Icon")), uint8_t(ktBlob));
    QCOMPARE(engine.GetBlobKey(engine.FindKey("Icon")).size(), size_t(82));
    TKelmorNodeRec child;
    QVERIFY(engine.FindFirstChild(child, engine.FindNodeByPath("Suppliers\\Northwind Tools")));
    QVERIFY(engine.IsLink(child.currentID));
    QCOMPARE(engine.GetLinkSource(child.currentID), engine.FindNodeByPath("Inventory\\Hardware"));
    // A second call finds it there.
    QCOMPARE(EnsureSampleDatabase(problem), base);
    for (const char* extension : {".idx", ".dat", ".blb"}) QFile::remove(base + extension);
}

void OpeningTest::sampleDatabaseOpensAtTheFirstStartOnly() {
    TMainForm::TStartOptions options;
    options.openSampleWhenIdle = true;
    const auto start = [&options](TModalDriver& driver) {
        TProgramMainForm form(options);
        form.show();
        if (!QTest::qWaitForWindowActive(&form)) return -1;
        QTest::qWait(50);  // the first activation's work comes after the event
        if (!QTest::qWaitFor([&driver] { return driver.AllAnswered(); }, 5000)) return -1;
        return driver.ModalsSeen();
    };
    // The sample's logon, seen and cancelled.
    QString shownName;
    const auto cancelLogon = [&shownName](QWidget* modal) {
        if (auto* logon = qobject_cast<TLoginForm*>(modal)) shownName = logon->xDatabase()->text();
        modal->close();
    };
    const QString sampleName = QFileInfo(SampleDatabaseBasePath()).fileName();
    {
        TModalDriver first;
        first.Then(cancelLogon);
        QCOMPARE(start(first), 1);
        QVERIFY2(shownName.contains(sampleName), qPrintable(shownName));
    }
    {
        TModalDriver later;
        QCOMPARE(start(later), 0);
    }

    // Asked for, it opens at any time.
    TProgramMainForm form;
    shownName.clear();
    TModalDriver asked;
    asked.Then(cancelLogon);
    form.findChild<QAction*>(QStringLiteral("MIOpenSample"))->trigger();
    QVERIFY(asked.AllAnswered());
    QVERIFY2(shownName.contains(sampleName), qPrintable(shownName));
}

void OpeningTest::fileTypeEntriesPassTheFileAsOneArgument() {
    // Only the texts: registering itself never runs in a test.
    const QString entry = DesktopEntryText(QStringLiteral("/opt/my \"tools\"/$kelmor"));
    QVERIFY2(entry.contains(QStringLiteral("Exec=\"/opt/my \\\"tools\\\"/\\$kelmor\" %f\n")), qPrintable(entry));
    QVERIFY(entry.contains(QStringLiteral("MimeType=application/x-kelmor-database;")));
    QVERIFY(MimePackageText().contains(QStringLiteral("<glob pattern=\"*.idx\"/>")));
}

void OpeningTest::regionalSettingsFromTheLocale_data() {
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QString>("decimal");
    QTest::addColumn<QString>("date");  // a date and time in the engine's "c" format
    QTest::newRow("German") << "de_DE"
                            << ","
                            << "03.11.25 14:30:05";
    QTest::newRow("English (US)") << "en_US"
                                  << "."
                                  << "11/3/25 2:30:05 PM";
    QTest::newRow("Swedish") << "sv_SE"
                             << ","
                             << "2025-11-03 14:30:05";
}

void OpeningTest::regionalSettingsFromTheLocale() {
    QFETCH(QString, locale);
    QFETCH(QString, decimal);
    QFETCH(QString, date);
    const TRegionalSettings settings = RegionalSettingsFrom(QLocale(locale));
    QCOMPARE(QString(QLatin1Char(settings.decimalSeparator)), decimal);
    double when = 0;
    QVERIFY(TryEncodeDateTime(2025, 11, 3, 14, 30, 5, 0, when));
    QCOMPARE(FromLatin1(FormatDateTime("c", when, settings)), date);
    double back = 0;
    QVERIFY(ParseDateTime(FormatDateTime("c", when, settings), settings, back));
    QCOMPARE(back, when);
}

QTEST_MAIN(OpeningTest)
#include "opening_test.moc"
