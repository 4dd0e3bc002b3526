// Import Data and Export Data in the database window, with the file dialogs, the record
// import dialog and the progress window driven as a user would: each format imported
// below the selected node and shown at once, exports read back, an abort, a cancelled
// record dialog, an unknown branch and files of another kind.
#include <QAbstractButton>
#include <QDialogButtonBox>
#include <QFile>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include "interchange/timportercsv.h"
#include "tests/gui/guitestsupport.h"
#include "tests/gui/windowfixture.h"
#include "tests/testsupport/dbftable.h"
#include "transfer/tdatafiledialogs.h"
#include "transfer/timportexportform.h"
#include "transfer/tlocationpanel.h"
#include "transfer/trecordimporterform.h"
#include "ui/common.h"
#include "window/tkelmortreeview.h"

using namespace kelmor;
using namespace kelmor::test;

namespace {

using C = TCommandId;
const QString kProgressForm = QStringLiteral("ImportExportForm");

void Run(TMDIChild& window, TCommandId id) {
    window.ExecuteCommand(id);
    window.RunPendingSelection();
}

// Answers the import or export file dialog with a file name, and a location typed into
// its panel when one is given; notes the location the dialog offered.
TModalDriver::THandler ChooseFile(const QString& fileName, const QString& location = {}, QString* offered = nullptr) {
    return [=](QWidget* modal) {
        auto* dialog = qobject_cast<TExportDataDlg*>(modal);
        QVERIFY(dialog);
        TLocationPanel* panel = dialog->LocationPanel();
        if (offered) *offered = dialog->Location();
        if (!location.isEmpty()) {
            panel->SecondButton()->click();
            panel->LocationEdit()->setText(location);
        }
        dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->setText(fileName);
        dialog->accept();
    };
}

TModalDriver::THandler AnswerRecordDialog(bool ok) {
    return [ok](QWidget* modal) {
        auto* form = qobject_cast<TRecordImporterForm*>(modal);
        QVERIFY(form);
        (ok ? form->OkButton() : form->CancelButton())->click();
    };
}

void WriteFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

QString SelectedText(TMDIChild& window) { return window.TreeModel()->Text(window.SelectedItem()); }

}  // namespace

class ImportExportTest : public QObject {
    Q_OBJECT
private slots:
    void init() { UseTestSettings(); }

    void exportAndImportBack_data();
    void exportAndImportBack();
    void recordImports_data();
    void recordImports();
    void csvWithTooManyFieldsWarns();
    void cancelledRecordDialogImportsNothing();
    void abortingALongImportKeepsItsNodes();
    void closingTheProgramDuringAnImport();
    void unknownBranchExport();
    void filesOfAnotherKindDoNothing();
};

void ImportExportTest::exportAndImportBack_data() {
    QTest::addColumn<QString>("extension");
    QTest::newRow("xml") << "xml";
    QTest::newRow("kmt") << "kmt";
}

void ImportExportTest::exportAndImportBack() {
    QFETCH(QString, extension);
    TWindowFixture fixture(BuildSmallTree);
    QVERIFY(fixture.Opened());
    TMDIChild& window = fixture.Window();
    TKelmorClass& engine = fixture.Engine();
    const QString file = fixture.BasePath() + QStringLiteral("-alpha.") + extension;

    fixture.Select(fixture.Item({"Alpha"}));
    QVERIFY(fixture.CommandEnabled(C::Export));
    TModalDriver driver;
    driver.LetRun(kProgressForm);
    QString offered;
    driver.Then(ChooseFile(file, {}, &offered));
    Run(window, C::Export);
    QVERIFY(driver.AllAnswered());
    QCOMPARE(offered, QStringLiteral("Root\\Alpha"));  // the selected node's path
    QVERIFY(QFile(file).size() > 0);
    QVERIFY(driver.Messages().isEmpty());
    QCoreApplication::processEvents();
    QCOMPARE(fixture.StatusText(), QStringLiteral("Root\\Alpha"));

    // Imported below Gamma, the branch shows at once, as the engine holds it.
    const QModelIndex gamma = fixture.Item({"Gamma"});
    const int32_t gammaNode = window.TreeModel()->NodeID(gamma);
    fixture.Select(gamma);
    driver.Then(ChooseFile(file, {}, &offered));
    Run(window, C::Import);
    QVERIFY(driver.AllAnswered());
    QVERIFY(driver.Messages().isEmpty());
    QCOMPARE(offered, QStringLiteral("Root\\Gamma"));
    QCoreApplication::processEvents();
    QCOMPARE(fixture.StatusText(), QStringLiteral("Root\\Gamma"));  // not a late progress text
    const QStringList imported = EngineChildren(engine, gammaNode);
    QVERIFY(!imported.isEmpty());
    QVERIFY(window.NodeTree()->isExpanded(fixture.Item({"Gamma"})));
    QCOMPARE(fixture.Children(fixture.Item({"Gamma"})), imported);
    QVERIFY(!engine.Modified());  // saved after the import
    QVERIFY(!window.WorkerRunning());
}

void ImportExportTest::recordImports_data() {
    QTest::addColumn<QString>("fileName");
    QTest::addColumn<QByteArray>("contents");
    QTest::addColumn<QStringList>("nodes");
    QTest::newRow("csv") << "people.csv" << QByteArray("Ann,12\nBob,7\nCid,3\n") << QStringList({"Ann", "Bob", "Cid"});
    const std::vector<uint8_t> table =
        MakeTable({{"NAME", 'C', 8}, {"AGE", 'N', 3}}, {{' ', {"Dora", "41"}}, {' ', {"Eve", "29"}}});
    QTest::newRow("dbf") << "people.dbf" << QByteArray(reinterpret_cast<const char*>(table.data()), table.size())
                         << QStringList({"Dora", "Eve"});
}

void ImportExportTest::recordImports() {
    QFETCH(QString, fileName);
    QFETCH(QByteArray, contents);
    QFETCH(QStringList, nodes);
    TWindowFixture fixture(BuildSmallTree);
    TMDIChild& window = fixture.Window();
    const QString file = QFileInfo(fixture.BasePath()).path() + QLatin1Char('/') + fileName;
    WriteFile(file, contents);
    // Into a collapsed, never expanded branch.
    const QModelIndex alpha = fixture.Item({"Alpha"});
    fixture.Select(alpha);
    TModalDriver driver;
    driver.LetRun(kProgressForm);
    driver.Then(ChooseFile(file)).Then(AnswerRecordDialog(true));
    Run(window, C::Import);
    QVERIFY(driver.AllAnswered());
    QVERIFY(driver.Messages().isEmpty());
    const QStringList children = EngineChildren(fixture.Engine(), window.TreeModel()->NodeID(alpha));
    QCOMPARE(children, QStringList({"A1", "A2"}) + nodes);
    QCOMPARE(fixture.Children(fixture.Item({"Alpha"})), children);
    QCOMPARE(SelectedText(window), QStringLiteral("Alpha"));
}

void ImportExportTest::csvWithTooManyFieldsWarns() {
    TWindowFixture fixture(BuildSmallTree);
    TMDIChild& window = fixture.Window();
    const QString file = QFileInfo(fixture.BasePath()).path() + QStringLiteral("/uneven.csv");
    WriteFile(file, "Ann,1\nBob,2,3\n");
    fixture.Select(window.RootItem());
    TModalDriver driver;
    driver.LetRun(kProgressForm);
    driver.Then(ChooseFile(file)).Then(AnswerRecordDialog(true)).Message();
    Run(window, C::Import);
    QCOMPARE(driver.Messages(), QStringList({"One or more records contained too few,\nor too many fields than "
                                             "expected.\n\nPlease check data for correct format."}));
    QCOMPARE(fixture.Children(window.RootItem()), EngineChildren(fixture.Engine(), 0));
    QVERIFY(fixture.Children(window.RootItem()).contains("Bob"));
}

void ImportExportTest::cancelledRecordDialogImportsNothing() {
    TWindowFixture fixture(BuildSmallTree);
    TMDIChild& window = fixture.Window();
    const QString file = QFileInfo(fixture.BasePath()).path() + QStringLiteral("/people.csv");
    WriteFile(file, "Ann,12\n");
    fixture.Select(window.RootItem());
    const QStringList before = EngineChildren(fixture.Engine(), 0);
    TModalDriver driver;  // the progress window would be unexpected
    driver.Then(ChooseFile(file)).Then(AnswerRecordDialog(false));
    Run(window, C::Import);
    QVERIFY(driver.AllAnswered());
    QCOMPARE(driver.ModalsSeen(), 2);
    QCOMPARE(EngineChildren(fixture.Engine(), 0), before);
    QVERIFY(!window.WorkerRunning());
}

void ImportExportTest::abortingALongImportKeepsItsNodes() {
    TWindowFixture fixture(BuildSmallTree);
    TMDIChild& window = fixture.Window();
    const QString file = QFileInfo(fixture.BasePath()).path() + QStringLiteral("/long.csv");
    QByteArray lines;
    for (int i = 0; i < 60000; ++i) lines += "line " + QByteArray::number(i) + ",x\n";
    WriteFile(file, lines);
    const QModelIndex gamma = fixture.Item({"Gamma"});
    const int32_t gammaNode = window.TreeModel()->NodeID(gamma);
    fixture.Select(gamma);
    TModalDriver driver;
    driver.Then(ChooseFile(file)).Then(AnswerRecordDialog(true)).Then([](QWidget* modal) {
        auto* progress = qobject_cast<TImportExportForm*>(modal);
        QVERIFY(progress);
        QCOMPARE(progress->windowTitle(), QStringLiteral("Importing Data..."));
        progress->AbortBtn()->click();
    });
    Run(window, C::Import);
    QVERIFY(driver.AllAnswered());
    QCOMPARE(driver.ModalsSeen(), 3);  // no message after the abort
    QCoreApplication::processEvents();
    QCOMPARE(fixture.StatusText(), QStringLiteral("Root\\Gamma"));  // not a late progress text
    const QStringList kept = EngineChildren(fixture.Engine(), gammaNode);
    QVERIFY(kept.size() < 60000);
    QCOMPARE(fixture.Children(fixture.Item({"Gamma"})), kept);
    QVERIFY(!fixture.Engine().Modified());
    QVERIFY(fixture.CommandEnabled(C::Import));
}

void ImportExportTest::closingTheProgramDuringAnImport() {
    TWindowFixture::TOptions options;
    options.populate = BuildSmallTree;
    options.host = TWindowFixture::THost::MainForm;
    TWindowFixture fixture(options);
    QVERIFY(fixture.Opened());
    TMDIChild& window = fixture.Window();
    const QString file = QFileInfo(fixture.BasePath()).path() + QStringLiteral("/long.csv");
    QByteArray lines;
    for (int i = 0; i < 60000; ++i) lines += "line " + QByteArray::number(i) + ",x\n";
    WriteFile(file, lines);
    fixture.Select(fixture.Item({"Gamma"}));
    TModalDriver driver;
    driver.Then(ChooseFile(file)).Then(AnswerRecordDialog(true)).Then([&fixture](QWidget*) {
        fixture.Form().close();  // the import stops, the database is saved, the windows go
    });
    const QPointer<TMDIChild> alive(&window);
    window.ExecuteCommand(C::Import);  // nothing of the window may be touched after it
    QVERIFY(driver.AllAnswered());
    QVERIFY(!alive);

    TKelmorClass reopened;
    QCOMPARE(reopened.OpenDatabase(ToEnginePath(fixture.BasePath()), true, TKelmorClass::MakeLogin("admin", "secret")),
             kResultOK);
    const int32_t gamma = reopened.FindNodeByPath("Gamma");
    QVERIFY(gamma > 0);
    QVERIFY(EngineChildren(reopened, gamma).size() < 60000);
    QCOMPARE(int(reopened.Header().nodeCount), 6 + EngineChildren(reopened, gamma).size());
}

void ImportExportTest::unknownBranchExport() {
    TWindowFixture fixture(BuildSmallTree);
    TMDIChild& window = fixture.Window();
    const QString file = fixture.BasePath() + QStringLiteral("-none.xml");
    fixture.Select(fixture.Item({"Alpha"}));
    TModalDriver driver;
    driver.LetRun(kProgressForm);
    driver.Then(ChooseFile(file, QStringLiteral("Root\\Nowhere"))).Message();
    Run(window, C::Export);
    QCOMPARE(driver.Messages(), QStringList({"Unknown Branch Specified."}));
}

void ImportExportTest::filesOfAnotherKindDoNothing() {
    TWindowFixture fixture(BuildSmallTree);
    TMDIChild& window = fixture.Window();
    const QString folder = QFileInfo(fixture.BasePath()).path();
    WriteFile(folder + QStringLiteral("/notes.txt"), "Ann,12\n");
    fixture.Select(window.RootItem());
    const QStringList before = EngineChildren(fixture.Engine(), 0);
    TModalDriver driver;  // any window after the file dialog would be unexpected
    driver.Then(ChooseFile(folder + QStringLiteral("/notes.txt")));
    Run(window, C::Import);
    driver.Then(ChooseFile(folder + QStringLiteral("/out.txt")));
    Run(window, C::Export);
    QVERIFY(driver.AllAnswered());
    QCOMPARE(driver.ModalsSeen(), 2);
    QCOMPARE(EngineChildren(fixture.Engine(), 0), before);
    QVERIFY(!QFile::exists(folder + QStringLiteral("/out.txt")));
}

QTEST_MAIN(ImportExportTest)
#include "importexport_test.moc"
