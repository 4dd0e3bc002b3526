// TMDIChild: Import Data and Export Data. The user picks a file and a location; the job
// that fits the file's extension runs on its own thread behind the modal progress window,
// and the window reports its result and shows the imported branch.
#include <QCoreApplication>
#include <QPointer>
#include <QTimer>

#include "interchange/jobfactory.h"
#include "interchange/location.h"
#include "interchange/timportercsv.h"
#include "interchange/timporterdbf.h"
#include "transfer/queuedprogress.h"
#include "transfer/tdatafiledialogs.h"
#include "transfer/timportexportform.h"
#include "transfer/trecordimporterform.h"
#include "ui/common.h"
#include "ui/timagestrip.h"
#include "window/tkelmortreeview.h"
#include "window/tmdichild.h"

namespace kelmor {

namespace {

// The options a record import (dBase table, CSV file) asks the user about; none for the
// other jobs.
TImporterOptions* RecordImportOptions(TKelmorInOut& job) {
    if (auto* csv = dynamic_cast<TImporterCSV*>(&job)) return &csv->Options();
    if (auto* dbf = dynamic_cast<TImporterDBF*>(&job)) return &dbf->Options();
    return nullptr;
}

QString ImportResultMessage(const TKelmorInOut& job) {
    switch (job.ResultCode()) {
        case TKelmorInOut::kSuccess: return QString();
        case TKelmorInOut::kError: return QStringLiteral("Error importing.\n\n") + FromLatin1(job.ErrorMessage());
        case TKelmorInOut::kInvalidFile: return QStringLiteral("File is not a valid file.");
        default: return FromLatin1(job.ErrorMessage());  // empty for a system error code
    }
}

QString ExportResultMessage(const TKelmorInOut& job) {
    switch (job.ResultCode()) {
        case TKelmorInOut::kSuccess: return QString();
        case TKelmorInOut::kUnknownLocation: return QStringLiteral("Unknown Branch Specified.");
        default: return FromLatin1(job.ErrorMessage());
    }
}

// The node below which an import put its nodes. The text importer reports the root, as it
// may create the location itself; its nodes are below the location all the same.
int32_t ImportedBranch(TKelmorInOut& job) {
    const int32_t start = job.StartNode();
    if (start != TKelmorClass::RootNode()) return start;
    std::string location = job.Location();
    while (!location.empty() && location.back() == '\\') location.pop_back();
    const int32_t located = LocationNode(job.Database(), location);
    return located > 0 ? located : start;
}

}  // namespace

// The file dialog is gone before the job runs: a window closed during the job takes its
// children with it.
template <class TDialog>
std::optional<TJobArguments> TMDIChild::ChooseJobFile() {
    TDialog dialog(this);
    dialog.SetLocation(NodePath(SelectedItem(), true));
    if (!dialog.Execute()) return std::nullopt;
    return TJobArguments{QueuedProgress(this, [this](const QString& text) { SetWindowStatus(text); }),
                         ToLatin1(dialog.Location()), dialog.EngineFileName(), *engine_};
}

void TMDIChild::ImportData() {
    const std::optional<TJobArguments> arguments = ChooseJobFile<TImportDataDlg>();
    if (!arguments) return;
    TJobCreation creation = CreateImportJob(*arguments);
    if (!creation.knownFormat) return;  // a file of another kind: nothing happens
    if (!creation.job) {
        // A table whose structure cannot be read.
        ShowCentredMessage(QStringLiteral("Error importing.\n\n") + FromLatin1(creation.reason), TMessageKind::Error,
                           QMessageBox::Ok, this);
        return;
    }
    if (TImporterOptions* options = RecordImportOptions(*creation.job)) {
        TRecordImporterForm form(
            *options,
            [this](uint8_t type) { return host_.CommandImages().Icon(TRecordImporterForm::KeyTypeIconIndex(type)); },
            this);
        if (form.exec() != QDialog::Accepted) {
            ShowNodePath();
            return;  // the job goes unstarted
        }
    }
    const auto* csv = dynamic_cast<const TImporterCSV*>(creation.job.get());
    QString message;
    bool fieldsMismatch = false;
    int32_t startNode = 0;
    if (!RunJob(std::move(creation.job), true, [&](TKelmorInOut& job) {
            message = ImportResultMessage(job);
            fieldsMismatch = csv && csv->FieldsMismatch();
            startNode = ImportedBranch(job);
        }))
        return;  // the window has closed meanwhile
    if (message.isEmpty() && fieldsMismatch)
        ShowCentredMessage(QStringLiteral("One or more records contained too few,\nor too many fields than "
                                          "expected.\n\nPlease check data for correct format."),
                           TMessageKind::Warning, QMessageBox::Ok, this);
    // Also after a failed run: what was imported before the failure is shown.
    if (!FlushDatabase()) message.clear();  // told already
    QModelIndex item = FindTreeItem(startNode);
    if (!item.isValid()) item = RevealNode(startNode);
    if (!item.isValid()) item = RootItem();
    nodeTree_->collapse(item);
    ExpandAfresh(item);
    if (!message.isEmpty()) ShowCentredMessage(message, TMessageKind::Error, QMessageBox::Ok, this);
    ShowNodePath();
    UpdateNodeCommands();
    UpdateInfoPane();
}

void TMDIChild::ExportData() {
    const std::optional<TJobArguments> arguments = ChooseJobFile<TExportDataDlg>();
    if (!arguments) return;
    TJobCreation creation = CreateExportJob(*arguments);
    if (!creation.job) return;  // a file of another kind: nothing happens
    QString message;
    if (!RunJob(std::move(creation.job), false, [&message](TKelmorInOut& job) { message = ExportResultMessage(job); }))
        return;
    if (!message.isEmpty()) ShowCentredMessage(message, TMessageKind::Error, QMessageBox::Ok, this);
    ShowNodePath();
}

bool TMDIChild::RunJob(std::unique_ptr<TKelmorInOut> job, bool import,
                       const std::function<void(TKelmorInOut& job)>& readResult) {
    const QPointer<TMDIChild> alive(this);
    flushTimer_->stop();
    {
        // Over the main window, which outlives this one.
        TImportExportForm progress(
            std::move(job), import ? TImportExportForm::TMode::Import : TImportExportForm::TMode::Export, window());
        BeginWorkerUse([&progress] {
            progress.reject();
            progress.Job().Wait();
        });
        progress.exec();  // returns once the job's thread has ended
        if (!alive) return false;
        EndWorkerUse();
        // The job's last progress texts (after an abort, some come behind the window's
        // end) are shown now, before the window's own status replaces them.
        QCoreApplication::sendPostedEvents(this, QEvent::MetaCall);
        readResult(progress.Job());
    }
    flushTimer_->start();
    return true;
}

}  // namespace kelmor
