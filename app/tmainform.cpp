// TMainForm: creation, commands, menus, options, command states and closing.
#include "app/tmainform.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>

#include "app/commandaction.h"
#include "app/taboutform.h"
#include "app/tcommanddefinition.h"
#include "app/tcusttoolbarform.h"
#include "app/trecentfilestyle.h"
#include "app/tshortcutresolver.h"
#include "engine/tkelmor.h"
#include "ui/commandmenu.h"
#include "ui/common.h"
#include "ui/tdatabasewindow.h"
#include "ui/twaitcursor.h"

static void InitKelmorResources() { Q_INIT_RESOURCE(kelmor); }

namespace kelmor {

namespace {

const char* const kOptionNames[] = {"MIShowToolbar", "MIShowStatusBar", "MIShowInfoPane", "MIConfirmDeletion",
                                    "ShowFullPathonTitleMI"};

}  // namespace

TMainForm::TMainForm(const TStartOptions& options, QWidget* parent) : QMainWindow(parent), startOptions_(options) {
    InitKelmorResources();
    setObjectName(QStringLiteral("MainForm"));
    setWindowTitle(QString::fromLatin1(kApplicationTitle));
    setMinimumSize(380, 200);
    resize(DesignedSize());
    SetMessageMainWindow(this);

    documentArea_ = new QMdiArea(this);
    documentArea_->setBackground(palette().brush(QPalette::Dark));
    setCentralWidget(documentArea_);
    connect(documentArea_, &QMdiArea::subWindowActivated, this, &TMainForm::DocumentActivated);

    CreateCommands();
    CreateMenus();
    toolbar_ = new QToolBar(QStringLiteral("Toolbar"), this);
    toolbar_->setObjectName(QStringLiteral("Toolbar"));
    toolbar_->setMovable(false);
    toolbar_->setFloatable(false);
    toolbar_->setIconSize(QSize(TImageStrip::kImageSize, TImageStrip::kImageSize));
    toolbar_->setToolButtonStyle(Qt::ToolButtonIconOnly);
    toolbar_->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(toolbar_, &QToolBar::customContextMenuRequested, this,
            [this](const QPoint& at) { toolbarMenu_->exec(toolbar_->mapToGlobal(at)); });
    addToolBar(Qt::TopToolBarArea, toolbar_);
    setContextMenuPolicy(Qt::NoContextMenu);
    CreateStatusBar();

    LoadSettings();
    if (startOptions_.registerFileAssociation) RegisterFileAssociation();
    UpdateRecentFilesMenu();
    {
        TWaitCursor wait;
        commandImages_.Load(QStringLiteral(":/images/commands.png"));
        treeImages_.Load(QStringLiteral(":/images/tree.png"));
        for (QAction* command : commands_)
            command->setIcon(commandImages_.Icon(command->property("imageIndex").toInt()));
        if (QApplication::windowIcon().isNull())
            QApplication::setWindowIcon(QIcon(QStringLiteral(":/images/kelmor.png")));
        setWindowIcon(QIcon(QStringLiteral(":/images/kelmor.png")));
    }
    ApplyOptions();
    SetDatabaseCommandsEnabled(false);
    UpdateWindowCommands();
    BuildToolbar();

    shortcuts_ = std::make_unique<TShortcutResolver>(*this, [this](QWidget* focus) -> QMenu* {
        TDatabaseWindow* window = ActiveDatabaseWindow();
        return window ? window->ContextMenuFor(focus) : nullptr;
    });
    shortcuts_->setParent(nullptr);
    qApp->installEventFilter(shortcuts_.get());
    setAcceptDrops(true);
    RestoreWindowBounds();
}

TMainForm::~TMainForm() {
    closing_ = true;
    qApp->removeEventFilter(shortcuts_.get());
    // The database windows free their engines (each writes its index unless read-only
    // and closes its files); whatever is still listed goes afterwards.
    // Closed windows waiting for their deletion count as well.
    for (QMdiSubWindow* window : documentArea_->findChildren<QMdiSubWindow*>()) {
        window->disconnect(this);
        delete window;
    }
    openDatabases_.clear();
    SaveSettings();
    if (MessageMainWindow() == this) SetMessageMainWindow(nullptr);
}

// ---------------------------------------------------------------- commands

void TMainForm::CreateCommands() {
    for (const TCommandDefinition& definition : CommandDefinitions()) {
        QAction* command = CreateCommandAction(definition, this);
        const TCommandId id = definition.id;
        connect(command, &QAction::triggered, this, [this, id] { CommandExecute(id); });
        commands_.push_back(command);
    }
    // Ctrl+W and Ctrl+F4 close the active database window too, as in other programs of
    // the desktop; File > Close itself shows no key.
    auto* closeKeys = new QAction(this);
    closeKeys->setObjectName(QStringLiteral("CloseWindowKeys"));
    closeKeys->setShortcuts({QKeySequence(Qt::CTRL | Qt::Key_W), QKeySequence(Qt::CTRL | Qt::Key_F4)});
    addAction(closeKeys);
    connect(closeKeys, &QAction::triggered, this, [this] {
        if (Command(TCommandId::FileClose)->isEnabled()) CommandExecute(TCommandId::FileClose);
    });
}

QAction* TMainForm::DatabaseEntry(TDatabaseEntry entry) const { return databaseEntries_[static_cast<size_t>(entry)]; }

QAction* TMainForm::OptionEntry(TOption option) const { return optionEntries_[static_cast<size_t>(option)]; }

QAction* TMainForm::RecentFileEntry(int number) const {
    return number >= 1 && number <= static_cast<int>(recentEntries_.size())
               ? recentEntries_[static_cast<size_t>(number - 1)]
               : nullptr;
}

QMenu* TMainForm::AddMenu(const QString& caption, const QString& hint) {
    QMenu* menu = menuBar()->addMenu(caption);
    menu->menuAction()->setStatusTip(hint);
    return menu;
}

QAction* TMainForm::AddPlainEntry(QMenu* menu, const QString& name, const QString& caption, const QString& hint) {
    QAction* entry = menu->addAction(caption);
    entry->setObjectName(name);
    entry->setStatusTip(hint);
    return entry;
}

void TMainForm::AddDatabaseEntry(QMenu* menu, TDatabaseEntry entry, const QString& name, const QString& caption,
                                 const QString& hint, void (TDatabaseWindow::*operation)()) {
    QAction* action = AddPlainEntry(menu, name, caption, hint);
    connect(action, &QAction::triggered, this, [this, operation] {
        if (TDatabaseWindow* window = ActiveDatabaseWindow()) (window->*operation)();
    });
    databaseEntries_[static_cast<size_t>(entry)] = action;
}

void TMainForm::CreateMenus() {
    using C = TCommandId;
    QMenu* file = AddMenu(QStringLiteral("&File"), QStringLiteral("File related commands"));
    file->setObjectName(QStringLiteral("FileMenu"));
    AddCommandsToMenu(
        file,
        {C::FileNew, C::FileOpen, kSeparator, C::FileFlush, kSeparator, C::FileClose, C::FileCloseAll, kSeparator},
        commands_);
    auto* recentStyle = new TRecentFileStyle;
    recentStyle->setParent(this);
    file->setStyle(recentStyle);
    for (int n = 1; n <= 6; ++n) {
        QAction* entry = file->addAction(QString());
        entry->setObjectName(QStringLiteral("RecentFile%1").arg(n));
        entry->setProperty("tag", n);
        entry->setProperty("recentFile", true);
        entry->setVisible(false);
        connect(entry, &QAction::triggered, this, [this, n] {
            if (n <= recentFiles_.size()) OpenDatabaseFiles(recentFiles_[n - 1]);
        });
        recentEntries_.push_back(entry);
    }
    AddCommandsToMenu(file, {kSeparator, C::FileExit}, commands_);

    QMenu* search = AddMenu(QStringLiteral("&Search"), QStringLiteral("Database Find/Replace commands"));
    AddCommandsToMenu(search, {C::Find, C::Replace, C::FindBroken, C::SearchNext, kSeparator, C::LocateID}, commands_);

    QMenu* node = AddMenu(QStringLiteral("&Node"), QStringLiteral("Node operations"));
    AddCommandsToMenu(node, kNodeMenuLayout, commands_);

    QMenu* key = AddMenu(QStringLiteral("&Key"), QStringLiteral("Key operations"));
    QMenu* add = key->addMenu(QStringLiteral("&Add Key"));
    add->menuAction()->setStatusTip(QStringLiteral("Add Key"));
    QMenu* insert = key->addMenu(QStringLiteral("&Insert Key"));
    insert->menuAction()->setStatusTip(QStringLiteral("Insert Key"));
    for (const TKeyTypeCommands& type : kKeyTypeCommands) {
        add->addAction(Command(type.add));
        insert->addAction(Command(type.insert));
    }
    AddCommandsToMenu(key, kKeyMenuLayout, commands_);

    QMenu* database = AddMenu(QStringLiteral("&Database"), QStringLiteral("Database operations"));
    AddDatabaseEntry(database, TDatabaseEntry::ChangePassword, QStringLiteral("MIChangePassword"),
                     QStringLiteral("Change Password..."), QStringLiteral("Change database password"),
                     &TDatabaseWindow::ChangePassword);
    AddDatabaseEntry(database, TDatabaseEntry::DatabaseInformation, QStringLiteral("MIDatabaseInformation"),
                     QStringLiteral("Information..."), QStringLiteral("Database advanced information"),
                     &TDatabaseWindow::DatabaseInformation);
    database->addSeparator();
    AddDatabaseEntry(database, TDatabaseEntry::UserManagement, QStringLiteral("MIUserManagement"),
                     QStringLiteral("User Management..."), QStringLiteral("Database user administration"),
                     &TDatabaseWindow::UserManagement);
    documentMenus_ = {node, key, database};

    QMenu* options = AddMenu(QStringLiteral("&Options"), QStringLiteral("Program options"));
    const struct {
        const char* caption;
        const char* hint;
    } optionTexts[] = {{"Show Toolbar", "Show Toolbar"},
                       {"Show Status Bar", "Show Status Bar"},
                       {"Show Info Pane", "Show database information pane"},
                       {"Confirm Deletion", "Prompt for node/key deletion"},
                       {"Full Path on Title", "Show the full database path on window titles"}};
    for (int i = 0; i < 5; ++i) {
        if (i == 3) options->addSeparator();
        QAction* entry =
            AddPlainEntry(options, QString::fromLatin1(kOptionNames[i]), QString::fromLatin1(optionTexts[i].caption),
                          QString::fromLatin1(optionTexts[i].hint));
        entry->setCheckable(true);
        entry->setProperty("tag", i + 1);
        const auto option = static_cast<TOption>(i);
        connect(entry, &QAction::triggered, this, [this, option] { OptionToggled(option); });
        optionEntries_.push_back(entry);
    }
    options->addSeparator();
    customiseEntry_ = AddPlainEntry(options, QStringLiteral("MICustomiseToolbar"),
                                    QStringLiteral("Customise Toolbar..."), QStringLiteral("Customise Toolbar"));
    connect(customiseEntry_, &QAction::triggered, this, &TMainForm::CustomiseToolbar);

    windowMenu_ = AddMenu(QStringLiteral("&Window"), QStringLiteral("Window related commands"));
    AddCommandsToMenu(
        windowMenu_,
        {C::WindowCascade, C::WindowTileHorizontal, C::WindowTileVertical, C::WindowMinimizeAll, C::WindowArrangeAll},
        commands_);
    connect(windowMenu_, &QMenu::aboutToShow, this, &TMainForm::FillWindowMenu);

    QMenu* help = AddMenu(QStringLiteral("&Help"), QStringLiteral("Help topics"));
    connect(AddPlainEntry(help, QStringLiteral("MIOpenSample"), QStringLiteral("Open &Sample Database"),
                          QStringLiteral("Open the sample database that comes with the program")),
            &QAction::triggered, this, &TMainForm::OpenSampleDatabase);
    help->addSeparator();
    AddCommandsToMenu(help, {C::HelpAbout}, commands_);

    toolbarMenu_ = new QMenu(this);
    QAction* hide = toolbarMenu_->addAction(QStringLiteral("Hide"));
    hide->setObjectName(QStringLiteral("HideToolbar"));
    hide->setProperty("tag", 1);
    connect(hide, &QAction::triggered, this, [this] {
        SetOption(TOption::ShowToolbar, !Option(TOption::ShowToolbar));
        ApplyOptions();
    });
    toolbarCustomiseEntry_ = toolbarMenu_->addAction(QStringLiteral("Customise..."));
    toolbarCustomiseEntry_->setObjectName(QStringLiteral("CustomiseToolbar"));
    connect(toolbarCustomiseEntry_, &QAction::triggered, this, &TMainForm::CustomiseToolbar);
    SetToolbarCustomiser([this](std::vector<QAction*>& layout, const std::vector<QAction*>& commands, QWidget* parent) {
        TCustToolbarForm form(layout, commands, commandImages_, parent);
        if (form.exec() != QDialog::Accepted) return false;
        layout = form.Layout();
        return true;
    });
}

void TMainForm::CommandExecute(TCommandId id) {
    switch (id) {
        case TCommandId::FileNew: FileNewExecute(); break;
        case TCommandId::FileOpen: FileOpenExecute(); break;
        case TCommandId::FileFlush: FileFlushExecute(); break;
        case TCommandId::FileClose: documentArea_->closeActiveSubWindow(); break;
        case TCommandId::FileCloseAll: FileCloseAllExecute(); break;
        case TCommandId::FileExit: close(); break;
        case TCommandId::WindowCascade: documentArea_->cascadeSubWindows(); break;
        case TCommandId::WindowTileHorizontal: TileDocuments(true); break;
        case TCommandId::WindowTileVertical: TileDocuments(false); break;
        case TCommandId::WindowMinimizeAll:
            for (QMdiSubWindow* window : DatabaseWindows()) window->showMinimized();
            break;
        case TCommandId::WindowArrangeAll: ArrangeMinimised(); break;
        case TCommandId::HelpAbout: AboutExecute(); break;
        default:
            if (TDatabaseWindow* window = ActiveDatabaseWindow()) window->ExecuteCommand(id);
            break;
    }
}

void TMainForm::FileFlushExecute() {
    TDatabaseWindow* window = ActiveDatabaseWindow();
    if (window && window->FlushDatabase())
        ShowCentredMessage(QStringLiteral("Database Committed to Disk."), TMessageKind::Information);
}

void TMainForm::FileCloseAllExecute() { CloseDatabaseWindows(); }

bool TMainForm::CloseDatabaseWindows() {
    // The last in window order (the bottom-most) first. A window saves its database as it
    // closes, and stays open when that fails and the user keeps it.
    for (QMdiSubWindow* window : DatabaseWindows()) {
        if (!window->close()) return false;
        delete window;
    }
    return true;
}

void TMainForm::AboutExecute() {
    TAboutForm about(this);
    about.exec();
}

// ---------------------------------------------------------------- command states

void TMainForm::SetMenuEnabled(QMenu* menu, bool enabled) {
    for (QAction* entry : menu->actions()) {
        if (QMenu* sub = entry->menu()) SetMenuEnabled(sub, enabled);
        else if (!entry->isSeparator()) entry->setEnabled(enabled);
    }
}

void TMainForm::SetDatabaseCommandsEnabled(bool enabled) {
    using C = TCommandId;
    for (TCommandId id : {C::FileCloseAll, C::Find, C::LocateID, C::FindBroken, C::Information})
        Command(id)->setEnabled(enabled);
    if (enabled) return;
    for (TCommandId id : {C::Replace, C::SearchNext, C::FileFlush}) Command(id)->setEnabled(false);
    for (QMenu* menu : documentMenus_) SetMenuEnabled(menu, false);
}

void TMainForm::UpdateWindowCommands() {
    const bool any = !DatabaseWindows().isEmpty();
    using C = TCommandId;
    for (TCommandId id :
         {C::WindowCascade, C::WindowTileHorizontal, C::WindowTileVertical, C::WindowMinimizeAll, C::WindowArrangeAll})
        Command(id)->setEnabled(any);
    Command(C::FileClose)->setEnabled(documentArea_->activeSubWindow() != nullptr);
}

void TMainForm::DocumentActivated(QMdiSubWindow* window) {
    UpdateWindowCommands();
    if (TDatabaseWindow* database = DatabaseWindowOf(window)) {
        database->UpdateCommandStates();
        if (!ProgressShown()) SetStatusText(database->StatusText());
    }
}

void TMainForm::DocumentDestroyed() {
    if (closing_) return;
    SetStatusText(QString());
    SetDatabaseCommandsEnabled(false);
    // The area forgets the window only after it is gone; the window that becomes active
    // recomputes the states then.
    QTimer::singleShot(0, this, [this] {
        UpdateWindowCommands();
        if (TDatabaseWindow* window = ActiveDatabaseWindow()) window->UpdateCommandStates();
    });
}

// ---------------------------------------------------------------- options

bool TMainForm::Option(TOption option) const { return OptionEntry(option)->isChecked(); }

void TMainForm::SetOption(TOption option, bool value) { OptionEntry(option)->setChecked(value); }

void TMainForm::OptionToggled(TOption option) {
    if (option != TOption::ConfirmDeletion) ApplyOptions();
}

void TMainForm::ApplyOptions() {
    toolbar_->setVisible(Option(TOption::ShowToolbar));
    statusBar()->setVisible(Option(TOption::ShowStatusBar));
    for (QMdiSubWindow* window : DatabaseWindows()) {
        if (TDatabaseWindow* database = DatabaseWindowOf(window)) {
            database->SetInfoPaneVisible(Option(TOption::ShowInfoPane));
            database->UpdateTitle();
        }
    }
}

// ---------------------------------------------------------------- toolbar

void TMainForm::SetToolbarLayout(const std::vector<QAction*>& layout) { toolbarLayout_ = layout; }

void TMainForm::BuildToolbar() {
    toolbar_->clear();
    for (QAction* entry : toolbarLayout_) {
        if (entry) toolbar_->addAction(entry);
        else toolbar_->addSeparator();
    }
}

void TMainForm::SetToolbarCustomiser(TToolbarCustomiser customiser) {
    toolbarCustomiser_ = std::move(customiser);
    customiseEntry_->setEnabled(static_cast<bool>(toolbarCustomiser_));
    toolbarCustomiseEntry_->setEnabled(static_cast<bool>(toolbarCustomiser_));
}

void TMainForm::CustomiseToolbar() {
    if (!toolbarCustomiser_) return;
    std::vector<QAction*> layout = toolbarLayout_;
    if (!toolbarCustomiser_(layout, commands_, this)) return;
    toolbarLayout_ = layout;
    SaveToolbarLayout();
    BuildToolbar();
}

// ---------------------------------------------------------------- documents

QList<QMdiSubWindow*> TMainForm::DatabaseWindows() const {
    return documentArea_->subWindowList(QMdiArea::StackingOrder);
}

TDatabaseWindow* TMainForm::DatabaseWindowOf(QMdiSubWindow* window) {
    return window ? dynamic_cast<TDatabaseWindow*>(window->widget()) : nullptr;
}

TDatabaseWindow* TMainForm::ActiveDatabaseWindow() const { return DatabaseWindowOf(documentArea_->activeSubWindow()); }

TDatabaseWindow* TMainForm::CurrentDatabaseWindow() const {
    return DatabaseWindowOf(documentArea_->currentSubWindow());
}

void TMainForm::SetDatabaseWindowFactory(TDatabaseWindowFactory factory) { windowFactory_ = std::move(factory); }

TKelmorClass* TMainForm::AddDatabase(std::unique_ptr<TKelmorClass> engine) {
    openDatabases_.push_back(std::move(engine));
    return openDatabases_.back().get();
}

void TMainForm::RemoveDatabase(TKelmorClass* engine) {
    for (auto it = openDatabases_.begin(); it != openDatabases_.end(); ++it) {
        if (it->get() == engine) {
            std::unique_ptr<TKelmorClass> freed = std::move(*it);
            openDatabases_.erase(it);
            return;  // `freed` closes the files here
        }
    }
}

void TMainForm::closeEvent(QCloseEvent* event) {
    if (!CloseDatabaseWindows()) {
        event->ignore();
        return;
    }
    closing_ = true;
    event->accept();
}

}  // namespace kelmor
