// TMainForm: opening and creating databases, the file dialogs and the recent files.
#include <QDir>
#include <QFileInfo>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QTimer>
#include <cstring>

#include "app/sampledatabase.h"
#include "app/systemregional.h"
#include "app/tdatabasefiledialog.h"
#include "app/tmainform.h"
#include "engine/tkelmor.h"
#include "security/tloginform.h"
#include "security/tnewdatabasedetailsform.h"
#include "ui/common.h"
#include "ui/tdatabasewindow.h"

namespace kelmor {

namespace {

constexpr int kShortStringLength = 255;
constexpr int kRecentFilesShown = 6;

// Two spellings of one database: the same file once links, "." and ".." are resolved,
// or (for a database that does not exist) the same absolute path.
bool SameDatabase(const QString& a, const QString& b) {
    const QString idxA = QFileInfo(a + QStringLiteral(".idx")).canonicalFilePath();
    const QString idxB = QFileInfo(b + QStringLiteral(".idx")).canonicalFilePath();
    if (!idxA.isEmpty() && !idxB.isEmpty()) return idxA == idxB;
    return QDir::cleanPath(QDir::current().absoluteFilePath(a)) == QDir::cleanPath(QDir::current().absoluteFilePath(b));
}

QString OpenErrorText(int result, const TKelmorClass& engine) {
    if (!engine.LastErrorText().empty()) return FromEnginePath(engine.LastErrorText());
    return QString::fromLocal8Bit(std::strerror(result));
}

QString FileNameOf(const QString& path) { return QFileInfo(path).fileName(); }

}  // namespace

QString TMainForm::BasePathFromFileName(const QString& fileName) {
    const QString cut = fileName.left(kShortStringLength);
    // Only the last component has an extension: a "." in a folder name stays.
    const qsizetype slash = cut.lastIndexOf(QLatin1Char('/'));
    const qsizetype dot = cut.lastIndexOf(QLatin1Char('.'));
    return dot > slash ? cut.left(dot) : cut;
}

void TMainForm::FileOpenExecute() {
    TDatabaseFileDialog dialog(
        TDatabaseFileDialog::TKind::Open,
        [this](const QString& name, QWidget* owner) { return OpenDialogCanClose(name, owner); }, this);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return;
    OpenDatabaseFiles(BasePathFromFileName(dialog.selectedFiles().first()));
}

void TMainForm::FileNewExecute() {
    TDatabaseFileDialog dialog(
        TDatabaseFileDialog::TKind::New,
        [this](const QString& name, QWidget* owner) { return NewDialogCanClose(name, owner); }, this);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return;
    NewDatabase(BasePathFromFileName(dialog.selectedFiles().first()));
}

bool TMainForm::OpenDialogCanClose(const QString& fileName, QWidget* dialog) {
    if (QFileInfo::exists(BasePathFromFileName(fileName) + QStringLiteral(".dat"))) return true;
    ShowCentredMessage(QStringLiteral("Cannot find associated DAT file.\n\nIDX file may not be a Kelmor database."),
                       TMessageKind::Error, QMessageBox::Ok, dialog);
    return false;
}

bool TMainForm::NewDialogCanClose(const QString& fileName, QWidget* dialog) {
    const QString base = BasePathFromFileName(fileName);
    for (QMdiSubWindow* window : DatabaseWindows()) {
        TDatabaseWindow* database = DatabaseWindowOf(window);
        if (database && SameDatabase(database->BasePath(), base)) {
            ShowCentredMessage(base + QStringLiteral(" is open in this program.\n\nClose its window before "
                                                     "creating a new database in its place."),
                               TMessageKind::Error, QMessageBox::Ok, dialog);
            return false;
        }
    }
    const QString question = ReplaceQuestion(base);
    return question.isEmpty() || ShowCentredMessage(question, TMessageKind::Warning, QMessageBox::Yes | QMessageBox::No,
                                                    dialog) == QMessageBox::Yes;
}

QString TMainForm::ReplaceQuestion(const QString& basePath) {
    QStringList existing;
    QString only;
    for (const char* extension : {".idx", ".dat", ".blb"}) {
        if (!QFileInfo::exists(basePath + QString::fromLatin1(extension))) continue;
        existing << FileNameOf(basePath) + QString::fromLatin1(extension);
        only = QString::fromLatin1(extension);
    }
    if (existing.isEmpty()) return QString();
    if (existing.size() == 1) {
        if (only == QLatin1String(".dat"))
            return QStringLiteral("Associated DAT file exists.\nDo you want to replace it?");
        if (only == QLatin1String(".blb"))
            return QStringLiteral("Associated BLB file exists.\nDo you want to replace it?");
        return existing.first() + QStringLiteral(" already exists.\nDo you want to replace it?");
    }
    const QString last = existing.takeLast();
    return existing.join(QStringLiteral(", ")) + QStringLiteral(" and ") + last +
           QStringLiteral(" already exist.\nDo you want to replace them?");
}

void TMainForm::OpenDatabaseFiles(const QString& basePath) {
    for (const char* extension : {".idx", ".dat"}) {
        if (!QFileInfo::exists(basePath + QString::fromLatin1(extension))) {
            ShowCentredMessage(QStringLiteral("Cannot find ") + basePath + QString::fromLatin1(extension),
                               TMessageKind::Error);
            return;
        }
    }
    for (QMdiSubWindow* window : DatabaseWindows()) {
        TDatabaseWindow* database = DatabaseWindowOf(window);
        if (database && SameDatabase(database->BasePath(), basePath)) {
            if (window->isMinimized()) window->showNormal();
            documentArea_->setActiveSubWindow(window);
            return;
        }
    }

    TLoginForm login(this);
    login.SetDatabaseName(FileNameOf(basePath));
    if (login.exec() != QDialog::Accepted) return;

    auto engine = std::make_unique<TKelmorClass>();
    PrepareEngine(*engine);
    const TKelmorLogin logon = TKelmorClass::MakeLogin(ToLatin1(login.UserName().left(kShortStringLength)),
                                                       ToLatin1(login.Password().left(kShortStringLength)));
    int result = 0;
    bool checksumFailed = false;
    try {
        result = engine->OpenDatabase(ToEnginePath(basePath), login.ReadOnly(), logon);
    } catch (const EKelmorCheckSumFailed&) {
        checksumFailed = true;  // the database is open and usable
    }
    if (checksumFailed) ShowCentredMessage(QStringLiteral("Checksum Failure."), TMessageKind::Warning);
    if (result != kResultOK) {
        const QString text =
            result == kResultAccessDenied ? QStringLiteral(
                                                "Unable to open files.\n\nDatabase files may be read-only or you\n"
                                                "may not have permission to open them.")
            : result == kResultLogonRefused ? QStringLiteral("Incorrect Username or Password.\n\nAccess Denied.")
                                            : OpenErrorText(result, *engine);
        engine.reset();
        ShowCentredMessage(text, TMessageKind::Error);
        return;
    }
    ShowDatabaseWindow(std::move(engine), basePath);
}

void TMainForm::NewDatabase(const QString& basePath) {
    TNewDatabaseDetailsForm details(this);
    if (details.exec() != QDialog::Accepted) return;
    auto engine = std::make_unique<TKelmorClass>();
    PrepareEngine(*engine);
    const TKelmorLogin logon = TKelmorClass::MakeLogin(ToLatin1(details.UsernameText().left(kShortStringLength)),
                                                       ToLatin1(details.NewPasswordText().left(kShortStringLength)));
    const int result = engine->CreateDatabase(ToEnginePath(basePath), logon);
    if (result != kResultOK) {
        const QString text =
            result == kResultLogonRefused ? QStringLiteral("Access Denied.") : OpenErrorText(result, *engine);
        engine.reset();
        ShowCentredMessage(text, TMessageKind::Error);
        return;
    }
    ShowDatabaseWindow(std::move(engine), basePath);
}

void TMainForm::ShowDatabaseWindow(std::unique_ptr<TKelmorClass> engine, const QString& basePath) {
    QWidget* document = windowFactory_(*this, std::move(engine), basePath);
    QMdiSubWindow* window = documentArea_->addSubWindow(document);
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->setWindowIcon(commandImages_.Icon(34));
    // Ctrl+W and Ctrl+F4 are the main window's, wherever the focus is (CreateCommands);
    // the sub-window's own Close keys would make them ambiguous inside it.
    if (QMenu* menu = window->systemMenu()) {
        for (QAction* entry : menu->actions()) {
            if (entry->shortcuts().contains(QKeySequence(Qt::CTRL | Qt::Key_W)) ||
                entry->shortcuts().contains(QKeySequence(Qt::CTRL | Qt::Key_F4)))
                entry->setShortcuts({});
        }
    }
    connect(window, &QObject::destroyed, this, &TMainForm::DocumentDestroyed);
    PlaceDatabaseWindow(window);
    window->show();
    documentArea_->setActiveSubWindow(window);
    if (TDatabaseWindow* database = DatabaseWindowOf(window))
        database->SetInfoPaneVisible(Option(TOption::ShowInfoPane));
    if (DatabaseWindows().size() == 1) SetDatabaseCommandsEnabled(true);
    UpdateWindowCommands();
    if (TDatabaseWindow* active = ActiveDatabaseWindow()) active->UpdateCommandStates();
    AddRecentFile(basePath);
}

// ---------------------------------------------------------------- first activation, hand-over, drops

void TMainForm::OpenFirstActivationPath() {
    if (!startOptions_.commandLinePath.isEmpty())
        OpenDatabaseFiles(BasePathFromFileName(startOptions_.commandLinePath));
    else if (startOptions_.openSampleWhenIdle && recentFiles_.isEmpty() && !SampleDatabaseOffered()) {
        // The very first start only; later it is one Help menu entry away.
        SetSampleDatabaseOffered();
        OpenSampleDatabase();
    }
}

void TMainForm::OpenSampleDatabase() {
    QString problem;
    const QString sample = EnsureSampleDatabase(problem);
    if (sample.isEmpty()) ShowCentredMessage(problem, TMessageKind::Error);
    else OpenDatabaseFiles(sample);
}

void TMainForm::ReceiveHandOver(const QString& text) {
    if (closing_) return;
    if (isMinimized()) setWindowState((windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
    show();
    raise();
    activateWindow();
    if (!text.isEmpty()) OpenDatabaseFiles(BasePathFromFileName(text));
}

void TMainForm::OpenDroppedFiles(const QStringList& fileNames) {
    if (isMinimized()) setWindowState(windowState() & ~Qt::WindowMinimized);
    raise();
    activateWindow();
    for (const QString& name : fileNames) OpenDatabaseFiles(BasePathFromFileName(name));
}

// ---------------------------------------------------------------- recent files

void TMainForm::AddRecentFile(const QString& path) {
    qsizetype found = -1;
    for (qsizetype i = 0; i < recentFiles_.size(); ++i) {
        if (SameDatabase(recentFiles_[i], path)) found = i;  // the last occurrence counts
    }
    if (found < 0) {
        if (recentFiles_.size() > kRecentFilesShown - 1) recentFiles_.removeLast();
        recentFiles_.prepend(path);
    } else if (found == 0) {
        recentFiles_[0] = path;
    } else {
        recentFiles_.removeAt(found);
        recentFiles_.prepend(path);
    }
    UpdateRecentFilesMenu();
}

void TMainForm::UpdateRecentFilesMenu() {
    for (int n = 1; n <= kRecentFilesShown; ++n) {
        QAction* entry = RecentFileEntry(n);
        const bool shown = n <= recentFiles_.size();
        entry->setVisible(shown);
        if (!shown) continue;
        const QString& path = recentFiles_[n - 1];
        QString caption = QStringLiteral("&%1 ").arg(n) + DoubleAmpersands(FileNameOf(path));
        const qsizetype dot = caption.indexOf(QLatin1Char('.'));
        if (dot >= 0) caption.truncate(dot + 1);
        entry->setText(caption);
        entry->setStatusTip(path);
        entry->setToolTip(path);
    }
}

}  // namespace kelmor
