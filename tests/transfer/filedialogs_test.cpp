// The export and import file dialogs: their filters, title and options, the location
// panel's rules (which button a location selects, the field enabled only for a path,
// the location taken back when the dialog closes) and its place and layout, and the file
// a user types being the one returned, with the extension of the chosen file type.
#include <QApplication>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>
#include <functional>

#include "tests/testsupport/tempdir.h"
#include "transfer/namefilters.h"
#include "transfer/tdatafiledialogs.h"
#include "transfer/tlocationpanel.h"
#include "ui/common.h"

using namespace kelmor;

namespace {

QLineEdit* FileNameEdit(QFileDialog& dialog) { return dialog.findChild<QLineEdit*>(QStringLiteral("fileNameEdit")); }

QPushButton* AcceptButton(QFileDialog& dialog) {
    auto* box = dialog.findChild<QDialogButtonBox*>(QStringLiteral("buttonBox"));
    return box ? box->button(dialog.acceptMode() == QFileDialog::AcceptSave ? QDialogButtonBox::Save
                                                                            : QDialogButtonBox::Open)
               : nullptr;
}

// Runs the dialog; `whileShown` acts on it once it is up, as a user would.
bool ExecuteWith(TExportDataDlg& dialog, const std::function<void()>& whileShown) {
    QTimer::singleShot(0, &dialog, whileShown);
    return dialog.Execute();
}

// Types a file name and presses Save or Open.
void TypeAndAccept(TExportDataDlg& dialog, const QString& fileName) {
    FileNameEdit(dialog)->setText(fileName);
    QPushButton* button = AcceptButton(dialog);
    if (button && button->isEnabled()) button->click();
    else dialog.accept();
}

// Answers the next message box over `dialog` with `button`, noting its text in `text`.
void AnswerNextMessage(QWidget& dialog, QMessageBox::StandardButton button, QString* text) {
    auto* timer = new QTimer(&dialog);
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, [timer, button, text] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box || !box->isVisible()) return;
        *text = box->text();
        timer->stop();
        timer->deleteLater();
        if (QAbstractButton* pressed = box->button(button)) pressed->click();
        else box->reject();
    });
    timer->start();
}

std::unique_ptr<TExportDataDlg> MakeDialog(bool import) {
    if (import) return std::make_unique<TImportDataDlg>();
    return std::make_unique<TExportDataDlg>();
}

}  // namespace

class FileDialogsTest : public QObject {
    Q_OBJECT
private slots:
    void FiltersInQtForm() {
        struct TCase {
            QString pairs;
            QStringList filters;
        };
        const TCase cases[] = {
            {QStringLiteral("Kelmor XML files (*.xml)|*.xml|Kelmor text files (*.kmt)|*.kmt|All files (*.*)|*.*"),
             {QStringLiteral("Kelmor XML files (*.xml)"), QStringLiteral("Kelmor text files (*.kmt)"),
              QStringLiteral("All files (*)")}},
            {QStringLiteral("Import files (*.xml;*.kmt;*.dbf;*.csv)|*.xml;*.kmt;*.dbf;*.csv|CSV files (*.csv)|*.csv"),
             {QStringLiteral("Import files (*.xml *.kmt *.dbf *.csv)"), QStringLiteral("CSV files (*.csv)")}},
            {QStringLiteral("Text|*.txt; *.text"), {QStringLiteral("Text (*.txt *.text)")}},
            {QStringLiteral("Dangling description"), {}},
        };
        for (const TCase& c : cases) QCOMPARE(NameFiltersFromPairs(c.pairs), c.filters);

        QCOMPARE(SingleFilterSuffix(QStringLiteral("Kelmor text files (*.kmt)")), QStringLiteral("kmt"));
        QCOMPARE(SingleFilterSuffix(QStringLiteral("Import files (*.xml *.kmt *.dbf *.csv)")), QString());
        QCOMPARE(SingleFilterSuffix(QStringLiteral("All files (*)")), QString());

        // What the dialogs offer.
        TExportDataDlg exportDialog;
        QCOMPARE(exportDialog.nameFilters(),
                 QStringList({QStringLiteral("Kelmor XML files (*.xml)"), QStringLiteral("Kelmor text files (*.kmt)"),
                              QStringLiteral("All files (*)")}));
        TImportDataDlg importDialog;
        QCOMPARE(importDialog.nameFilters(),
                 QStringList({QStringLiteral("Import files (*.xml *.kmt *.dbf *.csv)"),
                              QStringLiteral("Kelmor XML files (*.xml)"), QStringLiteral("Kelmor text files (*.kmt)"),
                              QStringLiteral("DBF files (*.dbf)"), QStringLiteral("CSV files (*.csv)"),
                              QStringLiteral("All files (*)")}));
    }

    void TitlesOptionsAndPanelTexts_data() {
        QTest::addColumn<bool>("import");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("first");
        QTest::newRow("export") << false << "Export Data"
                                << " Export Range "
                                << "&Entire Tree";
        QTest::newRow("import") << true << "Import Data"
                                << " Import Location "
                                << "&Root";
    }

    void TitlesOptionsAndPanelTexts() {
        QFETCH(bool, import);
        QFETCH(QString, title);
        QFETCH(QString, caption);
        QFETCH(QString, first);
        std::unique_ptr<TExportDataDlg> dialog = MakeDialog(import);
        QCOMPARE(dialog->windowTitle(), title);
        QVERIFY(dialog->testOption(QFileDialog::DontUseNativeDialog));
        QCOMPARE(dialog->acceptMode(), import ? QFileDialog::AcceptOpen : QFileDialog::AcceptSave);
        QCOMPARE(dialog->fileMode(), import ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
        QVERIFY(!dialog->testOption(QFileDialog::DontConfirmOverwrite));
        QCOMPARE(dialog->defaultSuffix(), QStringLiteral("xml"));
        QVERIFY(dialog->isSizeGripEnabled());
        TLocationPanel* panel = dialog->LocationPanel();
        QCOMPARE(panel->GroupBox()->title(), caption);
        QCOMPARE(panel->FirstButton()->text(), first);
        QCOMPARE(panel->SecondButton()->text(), QStringLiteral("Se&lected path"));
    }

    void LocationSelectsTheButton_data() {
        QTest::addColumn<bool>("import");
        QTest::addColumn<QString>("location");
        QTest::addColumn<bool>("first");
        QTest::addColumn<QString>("afterwards");
        for (const bool import : {false, true}) {
            const char* kind = import ? "import" : "export";
            QTest::addRow("%s Root", kind) << import << "Root" << true << "Root";
            QTest::addRow("%s path", kind) << import << "Root\\A\\B" << false << "Root\\A\\B";
            QTest::addRow("%s backslash Root", kind) << import << "\\Root" << false << "\\Root";
            QTest::addRow("%s lower-case root", kind) << import << "root" << false << "root";
            QTest::addRow("%s empty", kind) << import << "" << false << "";
        }
    }

    // Execute selects the first button only for exactly "Root"; the field shows the
    // location and is enabled only with the second button; closing (here by Cancel)
    // takes the panel's choice back.
    void LocationSelectsTheButton() {
        QFETCH(bool, import);
        QFETCH(QString, location);
        QFETCH(bool, first);
        QFETCH(QString, afterwards);
        std::unique_ptr<TExportDataDlg> dialog = MakeDialog(import);
        TLocationPanel* panel = dialog->LocationPanel();
        // A state left from an earlier run must not survive.
        panel->ShowLocation(first ? QStringLiteral("Elsewhere") : QStringLiteral("Root"));
        dialog->SetLocation(location);
        bool firstChecked = false, secondChecked = false, editEnabled = false;
        QString shownText;
        const bool chosen = ExecuteWith(*dialog, [&] {
            firstChecked = panel->FirstButton()->isChecked();
            secondChecked = panel->SecondButton()->isChecked();
            editEnabled = panel->LocationEdit()->isEnabled();
            shownText = panel->LocationEdit()->text();
            dialog->reject();
        });
        QVERIFY(!chosen);
        QCOMPARE(firstChecked, first);
        QCOMPARE(secondChecked, !first);
        QCOMPARE(editEnabled, !first);
        QCOMPARE(shownText, location);
        QCOMPARE(dialog->Location(), afterwards);
        QCOMPARE(dialog->property("Location").toString(), afterwards);
        QCOMPARE(dialog->FileName(), QString());
    }

    // The user switches between the buttons and types a path: the field follows the
    // buttons, refuses text the engine cannot hold, and the typed path is the location.
    void ButtonsAndTypedPath() {
        test::TTempDir dir;
        TExportDataDlg dialog;
        dialog.setDirectory(QString::fromStdString(dir.Path()));
        dialog.SetLocation(QStringLiteral("Root\\Old"));
        TLocationPanel* panel = dialog.LocationPanel();
        bool disabledByFirst = true, enabledBySecond = false;
        const bool chosen = ExecuteWith(dialog, [&] {
            QTest::mouseClick(panel->FirstButton(), Qt::LeftButton, {}, QPoint(5, 5));
            disabledByFirst = !panel->LocationEdit()->isEnabled();
            QTest::mouseClick(panel->SecondButton(), Qt::LeftButton, {}, QPoint(5, 5));
            enabledBySecond = panel->LocationEdit()->isEnabled();
            panel->LocationEdit()->clear();
            QTest::keyClicks(panel->LocationEdit(), QStringLiteral("New\\Pl"));
            QTest::sendKeyEvent(QTest::Click, panel->LocationEdit(), Qt::Key_unknown, QStringLiteral("\u0101"),
                                Qt::NoModifier);
            QTest::keyClicks(panel->LocationEdit(), QStringLiteral("ce"));
            TypeAndAccept(dialog, QStringLiteral("out"));
        });
        QVERIFY(chosen);
        QVERIFY(disabledByFirst);
        QVERIFY(enabledBySecond);
        QCOMPARE(dialog.Location(), QStringLiteral("New\\Plce"));

        // Choosing the first button gives "Root" whatever the field holds.
        bool firstWasChecked = true;
        QVERIFY(ExecuteWith(dialog, [&] {
            firstWasChecked = panel->FirstButton()->isChecked();
            QTest::mouseClick(panel->FirstButton(), Qt::LeftButton, {}, QPoint(5, 5));
            TypeAndAccept(dialog, QStringLiteral("out2"));
        }));
        QVERIFY(!firstWasChecked);
        QCOMPARE(dialog.Location(), QStringLiteral("Root"));
    }

    void TypedFileNameIsReturned_data() {
        QTest::addColumn<bool>("import");
        QTest::addColumn<int>("filter");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("chosen");
        QTest::newRow("export, no extension") << false << 0 << "backup"
                                              << "backup.xml";
        QTest::newRow("export, text file type") << false << 1 << "backup"
                                                << "backup.kmt";
        QTest::newRow("export, all files") << false << 2 << "backup"
                                           << "backup.xml";
        QTest::newRow("export, own extension") << false << 1 << "backup.dat"
                                               << "backup.dat";
        QTest::newRow("import, existing file") << true << 0 << "table.csv"
                                               << "table.csv";
        QTest::newRow("import, CSV type, no extension") << true << 4 << "table"
                                                        << "table.csv";
        QTest::newRow("import, Latin-1 name") << true << 0 << "Caf\u00E9.xml"
                                              << "Caf\u00E9.xml";
    }

    // A file name typed into the dialog is the one returned, in the folder shown, and the
    // same path the engine is given.
    void TypedFileNameIsReturned() {
        QFETCH(bool, import);
        QFETCH(int, filter);
        QFETCH(QString, typed);
        QFETCH(QString, chosen);
        test::TTempDir dir;
        const QString folder = QString::fromStdString(dir.Path());
        for (const char* existing : {"table.csv", "Caf\xC3\xA9.xml"}) test::WriteBytes(dir / existing, {'x'});
        std::unique_ptr<TExportDataDlg> dialog = MakeDialog(import);
        dialog->setDirectory(folder);
        dialog->selectNameFilter(dialog->nameFilters().value(filter));
        QVERIFY(ExecuteWith(*dialog, [&] { TypeAndAccept(*dialog, typed); }));
        QCOMPARE(dialog->FileName(), folder + QLatin1Char('/') + chosen);
        QCOMPARE(dialog->EngineFileName(), ToEnginePath(folder + QLatin1Char('/') + chosen));
    }

    // Importing insists on an existing file: a name that names nothing keeps the dialog open.
    void ImportRefusesAMissingFile() {
        test::TTempDir dir;
        TImportDataDlg dialog;
        dialog.setDirectory(QString::fromStdString(dir.Path()));
        bool stillOpen = false;
        QString message;
        const bool chosen = ExecuteWith(dialog, [&] {
            AnswerNextMessage(dialog, QMessageBox::Ok, &message);
            FileNameEdit(dialog)->setText(QStringLiteral("missing.xml"));
            dialog.accept();
            stillOpen = dialog.isVisible();
            dialog.reject();
        });
        QVERIFY(message.contains(QStringLiteral("missing.xml")));
        QVERIFY(stillOpen);
        QVERIFY(!chosen);
        QCOMPARE(dialog.FileName(), QString());
    }

    // Exporting into a folder that does not exist says so and keeps the dialog open.
    void ExportRefusesAMissingFolder() {
        test::TTempDir dir;
        const QString folder = QString::fromStdString(dir.Path());
        TExportDataDlg dialog;
        dialog.setDirectory(folder);
        QString message;
        bool stillOpen = false;
        const bool chosen = ExecuteWith(dialog, [&] {
            AnswerNextMessage(dialog, QMessageBox::Ok, &message);
            FileNameEdit(dialog)->setText(QStringLiteral("nowhere/out.xml"));
            dialog.accept();
            stillOpen = dialog.isVisible();
            TypeAndAccept(dialog, QStringLiteral("out.xml"));
        });
        QCOMPARE(message, QStringLiteral("The folder \"%1/nowhere\" does not exist.").arg(folder));
        QVERIFY(stillOpen);
        QVERIFY(chosen);
        QCOMPARE(dialog.FileName(), folder + QStringLiteral("/out.xml"));
    }

    // Replacing an existing file is asked first; No keeps the dialog open.
    void ExportAsksBeforeReplacing() {
        test::TTempDir dir;
        const QString folder = QString::fromStdString(dir.Path());
        test::WriteBytes(dir / "old.xml", {'x'});
        TExportDataDlg dialog;
        dialog.setDirectory(folder);
        QString question;
        bool stillOpen = false;
        const bool chosen = ExecuteWith(dialog, [&] {
            AnswerNextMessage(dialog, QMessageBox::No, &question);
            TypeAndAccept(dialog, QStringLiteral("old.xml"));
            stillOpen = dialog.isVisible();
            dialog.reject();
        });
        QVERIFY(question.contains(QStringLiteral("old.xml")));
        QVERIFY(stillOpen);
        QVERIFY(!chosen);
    }

    // The panel sits below the dialog's own controls, across its width, its group box
    // 6 pixels inside; the buttons and the field are placed in fourteenths of the group
    // box's height and follow its width; the tab order runs first, second, field.
    void PanelPlaceAndLayout() {
        TImportDataDlg dialog;
        dialog.SetLocation(QStringLiteral("Root\\A"));
        TLocationPanel* panel = dialog.LocationPanel();
        QGroupBox* group = panel->GroupBox();
        QRect groupRect, first, second, edit, panelRect, widerEdit, widerGroup;
        int lowestStandardControl = 0;
        ExecuteWith(dialog, [&] {
            for (const char* name : {"fileNameEdit", "fileTypeCombo", "buttonBox", "sidebar", "listView"}) {
                if (auto* control = dialog.findChild<QWidget*>(QString::fromLatin1(name));
                    control && control->isVisible()) {
                    const QRect r(control->mapTo(&dialog, QPoint(0, 0)), control->size());
                    lowestStandardControl = std::max(lowestStandardControl, r.bottom());
                }
            }
            panelRect = QRect(panel->mapTo(&dialog, QPoint(0, 0)), panel->size());
            groupRect = group->geometry();
            first = panel->FirstButton()->geometry();
            second = panel->SecondButton()->geometry();
            edit = panel->LocationEdit()->geometry();
            dialog.resize(dialog.width() + 200, dialog.height());
            QCoreApplication::processEvents();
            widerEdit = panel->LocationEdit()->geometry();
            widerGroup = group->geometry();
            dialog.reject();
        });
        QVERIFY(panelRect.top() > lowestStandardControl);
        QVERIFY(panelRect.bottom() < dialog.height());
        QCOMPARE(groupRect, QRect(QPoint(0, 0), panelRect.size()).adjusted(6, 6, -6, -6));
        const int h = groupRect.height() / 14;
        QVERIFY(h > 0);
        QCOMPARE(first.topLeft(), QPoint(12, 3 * h));
        QCOMPARE(second.topLeft(), QPoint(12, 6 * h));
        QCOMPARE(first.width(), 160);
        QCOMPARE(second.width(), 160);
        QCOMPARE(edit.topLeft(), QPoint(32, 9 * h));
        QCOMPARE(edit.right() + 1, groupRect.width() - 16);
        // The controls fit inside the group box without overlapping.
        QVERIFY(first.bottom() < second.top() && second.bottom() < edit.top() && edit.bottom() < groupRect.height());
        QCOMPARE(widerGroup.width(), groupRect.width() + 200);
        QCOMPARE(widerEdit.right() + 1, widerGroup.width() - 16);

        QCOMPARE(panel->FirstButton()->nextInFocusChain(), panel->SecondButton());
        QCOMPARE(panel->SecondButton()->nextInFocusChain(), panel->LocationEdit());
    }
};

QTEST_MAIN(FileDialogsTest)
#include "filedialogs_test.moc"
