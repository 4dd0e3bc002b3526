// TMainForm: the program's only top-level window. A multiple-document frame whose
// documents are database windows, one per open database; it owns the commands, the
// menu bar, the toolbar and the status bar, dispatches the document commands to the
// active database window, opens and creates databases and keeps the settings. It is the
// database windows' host: they reach it only through TDatabaseHost.
#pragma once

#include <QMainWindow>
#include <QStringList>
#include <array>
#include <functional>
#include <memory>
#include <vector>

#include "ui/tdatabasehost.h"
#include "ui/timagestrip.h"

class QAction;
class QLabel;
class QMdiArea;
class QMdiSubWindow;
class QMenu;
class QProgressBar;
class QToolBar;

namespace kelmor {

class TKelmorClass;
class TDatabaseWindow;
class TShortcutResolver;

struct TMainFormStartOptions {
    // Register the ".idx" file type with the desktop once per user (never in tests).
    bool registerFileAssociation = false;
    // The command-line path text, opened at the first activation.
    QString commandLinePath;
    // Open the sample database at the first activation when no path was given.
    bool openSampleWhenIdle = false;
};

class TMainForm : public QMainWindow, public TDatabaseHost {
    Q_OBJECT
public:
    using TStartOptions = TMainFormStartOptions;

    // Edits the toolbar layout (entries from left to right, nullptr for a separator);
    // answers true when the layout was changed and should be kept.
    using TToolbarCustomiser =
        std::function<bool(std::vector<QAction*>& layout, const std::vector<QAction*>& commands, QWidget* parent)>;

    explicit TMainForm(const TStartOptions& options = TStartOptions(), QWidget* parent = nullptr);
    ~TMainForm() override;

    // ---- Commands and menus ----
    const std::vector<QAction*>& Commands() const override { return commands_; }
    QAction* DatabaseEntry(TDatabaseEntry entry) const override;
    QAction* OptionEntry(TOption option) const;
    QAction* RecentFileEntry(int number) const;  // 1..6
    QMenu* ToolbarMenu() const { return toolbarMenu_; }
    QMenu* WindowMenu() const { return windowMenu_; }
    void SetDatabaseCommandsEnabled(bool enabled);

    // ---- Toolbar ----
    const std::vector<QAction*>& ToolbarLayout() const { return toolbarLayout_; }
    void SetToolbarLayout(const std::vector<QAction*>& layout);
    void SaveToolbarLayout() const;
    void BuildToolbar();
    QToolBar* Toolbar() const { return toolbar_; }
    // The "Customise Toolbar" dialog unless another customiser is set.
    void SetToolbarCustomiser(TToolbarCustomiser customiser);
    // Edits the layout; when it is kept, stores it and rebuilds the toolbar.
    void CustomiseToolbar();

    // ---- Options ----
    bool Option(TOption option) const override;
    void SetOption(TOption option, bool value);
    void ApplyOptions();

    // ---- Status bar services for the database windows ----
    void SetStatusText(const QString& text) override;
    QString StatusPanelText() const;
    void BeginProgress(const QString& caption) override;
    void SetProgress(int percent) override;
    void EndProgress() override;
    bool ProgressShown() const { return progressBar_ != nullptr; }
    QProgressBar* ProgressBar() const { return progressBar_; }

    // ---- Images ----
    const TImageStrip& CommandImages() const override { return commandImages_; }
    const TImageStrip& TreeImages() const override { return treeImages_; }

    // ---- Open databases and their windows ----
    TKelmorClass* AddDatabase(std::unique_ptr<TKelmorClass> engine) override;
    void RemoveDatabase(TKelmorClass* engine) override;
    const std::vector<std::unique_ptr<TKelmorClass>>& OpenDatabases() const { return openDatabases_; }
    QMdiArea* DocumentArea() const { return documentArea_; }
    // The database windows, the first being the bottom-most and the last the active one.
    QList<QMdiSubWindow*> DatabaseWindows() const;
    // The active one: none while the main window itself is not active.
    TDatabaseWindow* ActiveDatabaseWindow() const;
    TDatabaseWindow* CurrentDatabaseWindow() const override;
    static TDatabaseWindow* DatabaseWindowOf(QMdiSubWindow* window);
    // How the database windows are made; the program sets it before any database opens.
    void SetDatabaseWindowFactory(TDatabaseWindowFactory factory);

    // ---- Opening and creating ----
    void OpenDatabaseFiles(const QString& basePath);
    void NewDatabase(const QString& basePath);
    void ShowDatabaseWindow(std::unique_ptr<TKelmorClass> engine, const QString& basePath);
    void FileOpenExecute();
    void FileNewExecute();
    // A file name from the command line, a drop or a second instance: cut to 255
    // characters, without its extension.
    static QString BasePathFromFileName(const QString& fileName);
    // The checks before the Open and New dialogs may close with `fileName`; each shows
    // its own messages over `dialog`.
    bool OpenDialogCanClose(const QString& fileName, QWidget* dialog);
    bool NewDialogCanClose(const QString& fileName, QWidget* dialog);
    // The one question before files of a database are replaced, naming those that exist;
    // empty when none does.
    static QString ReplaceQuestion(const QString& basePath);
    // The hand-over of a second start: comes to the front and opens the path, if any.
    void ReceiveHandOver(const QString& text);
    // Builds the sample database when it is missing and opens it.
    void OpenSampleDatabase();
    void OpenDroppedFiles(const QStringList& fileNames);

    // ---- Recent files ----
    const QStringList& RecentFiles() const { return recentFiles_; }
    void AddRecentFile(const QString& path);
    void UpdateRecentFilesMenu();

    // ---- Settings ----
    void LoadSettings();
    void SaveSettings() const;
    void RestoreWindowBounds();
    void RegisterFileAssociation();
    // Whether the sample database was opened at a first start already.
    bool SampleDatabaseOffered() const;
    void SetSampleDatabaseOffered() const;

    // The designed size of the window.
    static QSize DesignedSize() { return QSize(590, 410); }

protected:
    bool event(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void CreateCommands();
    void CreateMenus();
    void CreateStatusBar();
    QMenu* AddMenu(const QString& caption, const QString& hint);
    QAction* AddPlainEntry(QMenu* menu, const QString& name, const QString& caption, const QString& hint);
    void AddDatabaseEntry(QMenu* menu, TDatabaseEntry entry, const QString& name, const QString& caption,
                          const QString& hint, void (TDatabaseWindow::*operation)());
    void CommandExecute(TCommandId id);
    void SetMenuEnabled(QMenu* menu, bool enabled);
    void FileFlushExecute();
    void FileCloseAllExecute();
    // Closes every database window; false when one stayed open.
    bool CloseDatabaseWindows();
    void UpdateWindowCommands();
    void DocumentActivated(QMdiSubWindow* window);
    void DocumentDestroyed();
    void ShowHint(const QString& hint);
    void LayoutProgress();
    void FillWindowMenu();
    void TileDocuments(bool horizontally);
    // A new database window fills the document area below and right of the ones before
    // it, a title bar further in for each (cascaded).
    void PlaceDatabaseWindow(QMdiSubWindow* window);
    void ArrangeMinimised();
    void OpenFirstActivationPath();
    void ReadToolbarLayout();
    void AboutExecute();
    void OptionToggled(TOption option);

    TStartOptions startOptions_;
    bool firstActivation_ = true;
    bool closing_ = false;
    std::vector<std::unique_ptr<TKelmorClass>> openDatabases_;
    QStringList recentFiles_;
    std::vector<QAction*> commands_;
    std::vector<QAction*> toolbarLayout_;
    std::vector<QAction*> recentEntries_;
    std::vector<QAction*> optionEntries_;
    std::array<QAction*, kDatabaseEntryCount> databaseEntries_{};
    std::vector<QMenu*> documentMenus_;  // Node, Key, Database
    QMenu* windowMenu_ = nullptr;
    QMenu* toolbarMenu_ = nullptr;
    QAction* customiseEntry_ = nullptr;
    QAction* toolbarCustomiseEntry_ = nullptr;
    QToolBar* toolbar_ = nullptr;
    QMdiArea* documentArea_ = nullptr;
    QLabel* statusPanel_ = nullptr;
    QProgressBar* progressBar_ = nullptr;
    QLabel* progressPanel_ = nullptr;
    TImageStrip commandImages_;
    TImageStrip treeImages_;
    TDatabaseWindowFactory windowFactory_;
    TToolbarCustomiser toolbarCustomiser_;
    std::unique_ptr<TShortcutResolver> shortcuts_;
};

}  // namespace kelmor
