#include "transfer/tdatafiledialogs.h"

#include <QDir>
#include <QFileInfo>
#include <QGridLayout>

#include "transfer/namefilters.h"
#include "transfer/tlocationpanel.h"
#include "ui/common.h"

namespace kelmor {

namespace {

const char* const kExportFilter = "Kelmor XML files (*.xml)|*.xml|Kelmor text files (*.kmt)|*.kmt|All files (*.*)|*.*";
const char* const kImportFilter =
    "Import files (*.xml;*.kmt;*.dbf;*.csv)|*.xml;*.kmt;*.dbf;*.csv|Kelmor XML files (*.xml)|*.xml|"
    "Kelmor text files (*.kmt)|*.kmt|DBF files (*.dbf)|*.dbf|CSV files (*.csv)|*.csv|All files (*.*)|*.*";
const char* const kDefaultSuffix = "xml";

}  // namespace

TExportDataDlg::TExportDataDlg(QWidget* parent) : TExportDataDlg(TDirection::Export, parent) {}

TExportDataDlg::TExportDataDlg(TDirection direction, QWidget* parent) : QFileDialog(parent) {
    const bool exporting = direction == TDirection::Export;
    // The desktop's own dialog cannot take the location panel. Qt's dialog has no
    // read-only box, so there is none to hide.
    setOption(QFileDialog::DontUseNativeDialog, true);
    setSizeGripEnabled(true);
    setObjectName(exporting ? QStringLiteral("ExportDataDlg") : QStringLiteral("ImportDataDlg"));
    setWindowTitle(exporting ? QStringLiteral("Export Data") : QStringLiteral("Import Data"));
    setNameFilters(NameFiltersFromPairs(QString::fromLatin1(exporting ? kExportFilter : kImportFilter)));
    setDefaultSuffix(QString::fromLatin1(kDefaultSuffix));
    if (exporting) {
        // Replacing an existing file is confirmed (the dialog's default when saving).
        setAcceptMode(QFileDialog::AcceptSave);
        setFileMode(QFileDialog::AnyFile);
    } else {
        setAcceptMode(QFileDialog::AcceptOpen);
        setFileMode(QFileDialog::ExistingFile);
    }
    AddLocationPanel(direction);
}

void TExportDataDlg::AddLocationPanel(TDirection direction) {
    const TLocationPanel::TTexts texts =
        direction == TDirection::Export
            ? TLocationPanel::TTexts{QStringLiteral(" Export Range "), QStringLiteral("&Entire Tree"),
                                     QStringLiteral("Se&lected path")}
            : TLocationPanel::TTexts{QStringLiteral(" Import Location "), QStringLiteral("&Root"),
                                     QStringLiteral("Se&lected path")};
    panel_ = new TLocationPanel(texts, this);
    // Below the dialog's own controls, across its whole width.
    if (auto* grid = qobject_cast<QGridLayout*>(layout())) {
        grid->addWidget(panel_, grid->rowCount(), 0, 1, grid->columnCount());
    } else if (layout()) {
        layout()->addWidget(panel_);
    }
}

bool TExportDataDlg::Execute() {
    panel_->ShowLocation(location_);
    return exec() == QDialog::Accepted;
}

QString TExportDataDlg::FileName() const {
    if (result() != QDialog::Accepted) return QString();
    return selectedFiles().value(0);
}

std::string TExportDataDlg::EngineFileName() const { return ToEnginePath(FileName()); }

void TExportDataDlg::accept() {
    // A name typed without extension takes the one of the chosen file type, when that
    // type has a single one.
    const QString filterSuffix = SingleFilterSuffix(selectedNameFilter());
    setDefaultSuffix(filterSuffix.isEmpty() ? QString::fromLatin1(kDefaultSuffix) : filterSuffix);
    if (acceptMode() == QFileDialog::AcceptSave) {
        // The dialog itself would accept a file in a folder that does not exist, and the
        // export would then fail.
        const QStringList files = selectedFiles();
        if (files.size() == 1) {
            const QFileInfo chosen(files.first());
            if (!chosen.isDir() && !chosen.dir().exists()) {
                ShowCentredMessage(
                    QStringLiteral("The folder \"%1\" does not exist.").arg(QDir::toNativeSeparators(chosen.path())),
                    TMessageKind::Warning, QMessageBox::Ok, this);
                return;
            }
        }
    }
    QFileDialog::accept();
}

void TExportDataDlg::done(int result) {
    location_ = panel_->ChosenLocation();
    QFileDialog::done(result);
}

TImportDataDlg::TImportDataDlg(QWidget* parent) : TExportDataDlg(TDirection::Import, parent) {}

}  // namespace kelmor
