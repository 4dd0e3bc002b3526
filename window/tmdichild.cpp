// TMDIChild: construction and destruction, the layout, the main window's interface,
// the information pane, title and status text, the periodic flush and the keyboard and
// mouse handling of the two views.
#include "window/tmdichild.h"

#include <QAction>
#include <QCloseEvent>
#include <QFrame>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QSplitter>
#include <QTimer>
#include <QVBoxLayout>

#include "editors/keytypeimage.h"
#include "security/tchangepasswordform.h"
#include "security/tinformationform.h"
#include "security/tusermanagementform.h"
#include "ui/commandmenu.h"
#include "ui/common.h"
#include "ui/guarded.h"
#include "ui/timagestrip.h"
#include "window/freespacetext.h"
#include "window/tkelmorlistview.h"
#include "window/tkelmortreeview.h"
#include "window/tkeylistmodel.h"

namespace kelmor {

namespace {

constexpr int kInfoPaneHeight = 17;
constexpr int kFreeSpaceWidth = 79;
constexpr int kTreeWidth = 209;
constexpr int kSplitterWidth = 3;
constexpr QSize kFirstSize(473, 269);
constexpr QSize kMinimumSize(250, 100);

QFrame* PaneSeparator(QWidget* parent) {
    auto* line = new QFrame(parent);
    line->setFrameShape(QFrame::VLine);
    line->setFrameShadow(QFrame::Sunken);
    return line;
}

QLabel* PaneLabel(const QString& text, QWidget* parent, const char* name = nullptr) {
    auto* label = new QLabel(text, parent);
    label->setTextFormat(Qt::PlainText);  // ampersands show literally
    if (name) label->setObjectName(QString::fromLatin1(name));
    return label;
}

}  // namespace

TMDIChild::TMDIChild(TDatabaseHost& host, std::unique_ptr<TKelmorClass> engine, const QString& basePath)
    : host_(host), engine_(host.AddDatabase(std::move(engine))), basePath_(basePath) {
    setObjectName(QStringLiteral("MDIChild"));
    setMinimumSize(kMinimumSize);
    resize(kFirstSize);
    CreateControls();
    CreateMenus();

    flushTimer_ = new QTimer(this);
    flushTimer_->setInterval(kFlushInterval);
    connect(flushTimer_, &QTimer::timeout, this, [this] { Guarded([this] { FlushTimerTimer(); }); });

    // Creation: the search state starts empty with its default flags, and the root item
    // stands alone, not expanded.
    searchState_ = TKelmorSearch{};
    searchState_.flags = kInitialSearchFlags;
    lastLocatedID_ = TKelmorClass::RootNode();
    UpdateTitle();
    rootItem_ = AddTreeItem(QModelIndex(), QStringLiteral("Root"), TTreeItemKind::Root, TKelmorClass::RootNode(),
                            engine_->HasChildren(TKelmorClass::RootNode()));
    xReadOnly_->setText(engine_->IsReadOnly() ? QStringLiteral("R/O") : QStringLiteral("R/W"));
    xUsername_->setText(UserNameText(FromLatin1(engine_->GetCurrentUserName())));
    Guarded([this] { UpdateInfoPane(); });
    flushTimer_->start();
}

TMDIChild::~TMDIChild() {
    StopWorker();  // its thread uses the engine, which goes with this window
    destroying_ = true;
    flushTimer_->stop();
    selectionTimer_->stop();
    // The commands are shared with the other windows: an edit cut short by closing
    // must not leave them without their shortcuts.
    if (nodeTree_->IsEditing() || keyList_->IsEditing()) SetEditShortcuts(true);
    nodeTree_->disconnect(this);
    keyList_->disconnect(this);
    if (nodeTree_->selectionModel()) nodeTree_->selectionModel()->disconnect(this);
    if (keyList_->selectionModel()) keyList_->selectionModel()->disconnect(this);
    treeModel_->disconnect(this);
    // The views and models call back into this window (edit permissions, key type
    // images): they go while it is still whole, and before its engine.
    delete splitter_;  // with both views
    delete keyModel_;
    delete treeModel_;
    // Freeing the engine writes its index (unless read-only) and closes the files; when
    // the host has already freed it, it is no longer listed and nothing happens.
    host_.RemoveDatabase(engine_);
    engine_ = nullptr;
}

TDatabaseWindowFactory TMDIChild::Factory() {
    return [](TDatabaseHost& host, std::unique_ptr<TKelmorClass> engine, const QString& basePath) -> QWidget* {
        return new TMDIChild(host, std::move(engine), basePath);
    };
}

void TMDIChild::CreateControls() {
    statusInfo_ = new QFrame(this);
    statusInfo_->setObjectName(QStringLiteral("StatusInfo"));
    auto* pane = static_cast<QFrame*>(statusInfo_);
    pane->setFrameShape(QFrame::Panel);
    pane->setFrameShadow(QFrame::Sunken);
    pane->setFixedHeight(std::max(kInfoPaneHeight, fontMetrics().height() + 4));
    auto* paneLayout = new QHBoxLayout(pane);
    paneLayout->setContentsMargins(4, 0, 4, 0);
    paneLayout->setSpacing(6);
    xNodeFreeSpace_ = PaneLabel(QString(), pane, "xNodeFreeSpace");
    // Wide enough for the usual sizes in the current font as well.
    xNodeFreeSpace_->setFixedWidth(
        std::max(kFreeSpaceWidth, fontMetrics().horizontalAdvance(QStringLiteral("99,999,999.999 MB")) + 4));
    xKeyLookupFree_ = PaneLabel(QString(), pane, "xKeyLookupFree");
    xReadOnly_ = PaneLabel(QString(), pane, "xReadOnly");
    xUsername_ = PaneLabel(QString(), pane, "xUsername");
    paneLayout->addWidget(PaneLabel(QStringLiteral("Free space for nodes:"), pane));
    paneLayout->addWidget(xNodeFreeSpace_);
    paneLayout->addWidget(PaneSeparator(pane));
    paneLayout->addWidget(PaneLabel(QStringLiteral("Key lookup:"), pane));
    paneLayout->addWidget(xKeyLookupFree_);
    paneLayout->addWidget(PaneSeparator(pane));
    paneLayout->addWidget(xReadOnly_);
    paneLayout->addWidget(PaneSeparator(pane));
    paneLayout->addWidget(xUsername_);
    paneLayout->addStretch(1);

    treeModel_ = new TNodeTreeModel(this);
    const TImageStrip& treeImages = host_.TreeImages();
    treeModel_->SetImages(treeImages.Pixmaps(0), treeImages.Pixmaps(1), treeImages.Pixmaps(2), treeImages.Pixmaps(3));
    nodeTree_ = new TKelmorTreeView(this);
    nodeTree_->setObjectName(QStringLiteral("NodeTree"));
    nodeTree_->setModel(treeModel_);
    nodeTree_->setContextMenuPolicy(Qt::CustomContextMenu);
    nodeTree_->SetEditPermission([this](const QModelIndex& item) { return NodeTreeEditing(item); });

    keyModel_ = new TKeyListModel(this);
    keyModel_->SetTypeIcons([this](uint8_t type) { return host_.CommandImages().Icon(KeyTypeImageIndex(type)); });
    keyList_ = new TKelmorListView(this);
    keyList_->setObjectName(QStringLiteral("KeyList"));
    keyList_->setModel(keyModel_);
    keyList_->setContextMenuPolicy(Qt::CustomContextMenu);
    keyList_->header()->resizeSection(TKeyListModel::kDescriptionColumn, TKelmorListView::kCaptionColumnWidth);
    keyList_->SetEditPermission([this](const QModelIndex&) { return !engine_->IsReadOnly(); });

    splitter_ = new QSplitter(Qt::Horizontal, this);
    splitter_->setObjectName(QStringLiteral("Splitter"));
    splitter_->setHandleWidth(kSplitterWidth);
    splitter_->setOpaqueResize(true);
    splitter_->setChildrenCollapsible(false);
    splitter_->addWidget(nodeTree_);
    splitter_->addWidget(keyList_);
    // The two panes keep their proportion as the window grows or shrinks.
    splitter_->setStretchFactor(0, kTreeWidth);
    splitter_->setStretchFactor(1, kFirstSize.width() - kTreeWidth - kSplitterWidth);
    splitter_->setSizes({kTreeWidth, kFirstSize.width() - kTreeWidth - kSplitterWidth});

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(statusInfo_);
    layout->addWidget(splitter_, 1);

    selectionTimer_ = new QTimer(this);
    selectionTimer_->setSingleShot(true);
    selectionTimer_->setInterval(kSelectionDelay);
    connect(selectionTimer_, &QTimer::timeout, this, [this] {
        // Another thread has the engine: the key list waits for it.
        if (WorkerRunning()) selectionTimer_->start();
        else Guarded([this] { NodeTreeChange(); });
    });

    connect(treeModel_, &TNodeTreeModel::ChildrenNeeded, this, &TMDIChild::NodeTreeExpanding);
    connect(nodeTree_, &QTreeView::collapsed, this,
            [this](const QModelIndex& item) { Guarded([this, item] { NodeTreeCollapsed(item); }); });
    connect(nodeTree_->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& current) { NodeTreeCurrentChanged(current); });
    connect(nodeTree_, &TKelmorItemView::OnEditing, this, [this] { SetEditShortcuts(false); });
    connect(nodeTree_, &TKelmorItemView::OnEdited, this, [this](const QModelIndex& item, const QString& text) {
        Guarded([this, item, text] { NodeTreeEdited(item, text); });
    });
    connect(nodeTree_, &TKelmorItemView::OnEditFinished, this, [this] { SetEditShortcuts(true); });
    connect(nodeTree_, &QWidget::customContextMenuRequested, this, &TMDIChild::ShowTreeMenu);

    connect(keyList_->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this] { Guarded([this] { UpdateKeyCommands(); }); });
    connect(keyList_, &TKelmorItemView::OnEditing, this, [this] { SetEditShortcuts(false); });
    connect(keyList_, &TKelmorItemView::OnEdited, this, [this](const QModelIndex& row, const QString& text) {
        Guarded([this, row, text] { KeyListEdited(row, text); });
    });
    connect(keyList_, &TKelmorItemView::OnEditFinished, this, [this] { SetEditShortcuts(true); });
    connect(keyList_, &QWidget::customContextMenuRequested, this, &TMDIChild::ShowKeyMenu);
    connect(keyList_, &QAbstractItemView::doubleClicked, this, [this] { EditKeyValueRequested(); });

    nodeTree_->installEventFilter(this);
    nodeTree_->viewport()->installEventFilter(this);
    keyList_->installEventFilter(this);
}

void TMDIChild::CreateMenus() {
    nodeTreeMenu_ = new QMenu(this);
    nodeTreeMenu_->setObjectName(QStringLiteral("NodeTreeMenu"));
    AddCommandsToMenu(nodeTreeMenu_, kNodeMenuLayout, host_.Commands());

    keyListMenu_ = new QMenu(this);
    keyListMenu_->setObjectName(QStringLiteral("KeyListMenu"));
    QMenu* add = keyListMenu_->addMenu(QStringLiteral("&Add Key"));
    QMenu* insert = keyListMenu_->addMenu(QStringLiteral("&Insert Key"));
    for (const TKeyTypeCommands& type : kKeyTypeCommands) {
        add->addAction(Command(type.add));
        insert->addAction(Command(type.insert));
    }
    AddCommandsToMenu(keyListMenu_, kKeyMenuLayout, host_.Commands());
}

void TMDIChild::Enable(TDatabaseEntry entry, bool enabled) const {
    if (QAction* action = host_.DatabaseEntry(entry)) action->setEnabled(enabled);
}

bool TMDIChild::IsActiveDatabaseWindow() const {
    // The current document stays the active database window while a dialog has the focus.
    return host_.CurrentDatabaseWindow() == this;
}

// ---------------------------------------------------------------- the main window's interface

void TMDIChild::ExecuteCommand(TCommandId id) {
    if (!IsDatabaseWindowCommand(id)) return;
    // A selection change still waiting for its delay decides what the command acts on,
    // and the command must still be enabled once it is in place.
    RunPendingSelection();
    if (!Command(id)->isEnabled()) return;
    Guarded([this, id] {
        using C = TCommandId;
        switch (id) {
            case C::NewNode: NewNode(); break;
            case C::RenameNode: StartRenameNode(); break;
            case C::DeleteNode: DeleteSelectedNode(); break;
            case C::Information: NodeInformation(); break;
            case C::ShiftUp: ShiftNode(true); break;
            case C::ShiftDown: ShiftNode(false); break;
            case C::SortBranch: SortBranch(); break;
            case C::NodeSecurity: NodeSecurity(); break;
            case C::CutNode: CutNode(); break;
            case C::CopyNode: CopyNode(); break;
            case C::PasteNode: PasteNode(); break;
            case C::PasteAsLink: PasteAsLink(); break;
            case C::JumpToSource: JumpToSource(); break;
            case C::CutKey: CutKey(); break;
            case C::CopyKey: CopyKey(); break;
            case C::PasteKey: PasteKey(); break;
            case C::RenameKey: StartRenameKey(); break;
            case C::DeleteKey: DeleteSelectedKey(); break;
            case C::EditKey: EditKeyValue(); break;
            case C::ShiftKeyUp: ShiftKey(true); break;
            case C::ShiftKeyDown: ShiftKey(false); break;
            case C::Find: Find(); break;
            case C::Replace: Replace(); break;
            case C::FindBroken: FindBrokenLinks(); break;
            case C::SearchNext: SearchAgain(); break;
            case C::LocateID: LocateByID(); break;
            case C::Import: ImportData(); break;
            case C::Export: ExportData(); break;
            default: AddKeyByCommand(id); break;
        }
    });
}

bool TMDIChild::FlushDatabase() {
    const int result = engine_->Flush();
    if (result == kResultOK) return true;
    ShowCentredMessage(FromEnginePath(engine_->LastErrorText()), TMessageKind::Error, QMessageBox::Ok, this);
    return false;
}

void TMDIChild::closeEvent(QCloseEvent* event) {
    flushTimer_->stop();  // no second report of the same failure while the question is up
    StopWorker();         // the save below needs the engine to itself
    if (engine_->IsReadOnly() || !engine_->Modified() || engine_->Flush() == kResultOK) {
        event->accept();
        return;
    }
    const QString question =
        FromEnginePath(engine_->LastErrorText()) + QStringLiteral(
                                                       "\n\nClose the database all the same? The changes since it was "
                                                       "last saved will be lost.");
    if (ShowCentredMessage(question, TMessageKind::Warning, QMessageBox::Yes | QMessageBox::No, this) ==
        QMessageBox::Yes) {
        event->accept();
        return;
    }
    event->ignore();
    flushTimer_->start();
}

void TMDIChild::ChangePassword() {
    Guarded([this] {
        TChangePasswordForm dialog(*engine_, this);
        dialog.exec();
    });
}

void TMDIChild::DatabaseInformation() {
    Guarded([this] {
        TInformationForm dialog(*engine_, this);
        dialog.exec();
    });
}

void TMDIChild::UserManagement() {
    Guarded([this] {
        TUserManagementForm dialog(*engine_, this);
        dialog.exec();
        // The administrator may have renamed himself.
        xUsername_->setText(UserNameText(FromLatin1(engine_->GetCurrentUserName())));
    });
}

void TMDIChild::UpdateCommandStates() {
    if (destroying_) return;
    Guarded([this] {
        activating_ = true;
        struct TClearActivating {
            bool& flag;
            ~TClearActivating() { flag = false; }
        } clear{activating_};
        ShowNodePath();
        UpdateNodeCommands();
        UpdateKeyCommands();
        UpdateDatabaseCommands();
    });
    Guarded([this] { UpdateInfoPane(); });
}

void TMDIChild::SetInfoPaneVisible(bool visible) { statusInfo_->setVisible(visible); }

void TMDIChild::UpdateTitle() {
    setWindowTitle(host_.Option(TDatabaseHost::TOption::FullPathOnTitle) ? FromEnginePath(engine_->GetBaseName())
                                                                         : FromEnginePath(engine_->GetFileName()));
}

QString TMDIChild::StatusText() const { return NodePath(SelectedItem(), true); }

QMenu* TMDIChild::ContextMenuFor(QWidget* focus) {
    if (!focus) return nullptr;
    // An in-place editor belongs to its view.
    if (focus == nodeTree_ || nodeTree_->isAncestorOf(focus)) return nodeTreeMenu_;
    if (focus == keyList_ || keyList_->isAncestorOf(focus)) return keyListMenu_;
    return nullptr;
}

// ---------------------------------------------------------------- information pane, status

void TMDIChild::UpdateInfoPane() {
    xNodeFreeSpace_->setText(FreeSpaceText(engine_->DiskFree(), engine_->RegionalSettings()));
    xKeyLookupFree_->setText(QString::number(engine_->NodeSpaceFree()) + QLatin1Char('%'));
}

void TMDIChild::ShowNodePath() { SetWindowStatus(NodePath(SelectedItem(), true)); }

void TMDIChild::SetWindowStatus(const QString& text) {
    if (IsActiveDatabaseWindow() || activating_) host_.SetStatusText(text);
}

// ---------------------------------------------------------------- other threads

void TMDIChild::BeginWorkerUse(std::function<void()> stop) {
    workerRunning_ = true;
    stopWorker_ = std::move(stop);
}

void TMDIChild::EndWorkerUse() {
    workerRunning_ = false;
    stopWorker_ = nullptr;
}

void TMDIChild::StopWorker() {
    std::function<void()> stop = std::move(stopWorker_);
    if (stop) stop();
    EndWorkerUse();
}

// ---------------------------------------------------------------- flushing

void TMDIChild::FlushTimerTimer() {
    // The engine is not safe for two threads: a running search or job comes first.
    if (WorkerRunning() || !engine_->Modified()) return;
    const int result = engine_->Flush();
    if (result == kResultOK) {
        flushFailureShown_ = false;
        return;
    }
    // A failed write is told once, not every 15 seconds; the next flush tries again.
    if (flushFailureShown_) return;
    flushFailureShown_ = true;
    ShowCentredMessage(FromEnginePath(engine_->LastErrorText()), TMessageKind::Error, QMessageBox::Ok, this);
}

// ---------------------------------------------------------------- keyboard and mouse

bool TMDIChild::eventFilter(QObject* watched, QEvent* event) {
    if (destroying_) return QWidget::eventFilter(watched, event);
    if (event->type() == QEvent::KeyPress) {
        auto* press = static_cast<QKeyEvent*>(event);
        // Enter that ends an in-place edit comes on to the view while the editor is still
        // open (it closes a moment later): it is the edit's, not the view's.
        const bool editing =
            (watched == nodeTree_ && nodeTree_->IsEditing()) || (watched == keyList_ && keyList_->IsEditing());
        const bool enter = (press->key() == Qt::Key_Return || press->key() == Qt::Key_Enter) && !editing;
        if (enter && watched == nodeTree_) {
            // Enter opens or closes an item with an expand button.
            const QModelIndex item = SelectedItem();
            if (!item.isValid() || !treeModel_->hasChildren(item)) return false;
            Guarded([this, item] {
                if (nodeTree_->isExpanded(item)) nodeTree_->collapse(item);
                else {
                    FillTreeItem(item);
                    nodeTree_->expand(item);
                }
            });
            return true;
        }
        if (enter && watched == keyList_) {
            const Qt::KeyboardModifiers modifiers =
                press->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier);
            if (modifiers != Qt::NoModifier || !Command(TCommandId::EditKey)->isEnabled()) return false;
            EditKeyValueRequested();
            return true;
        }
    } else if (event->type() == QEvent::MouseButtonPress && watched == nodeTree_->viewport()) {
        auto* press = static_cast<QMouseEvent*>(event);
        if (press->button() == Qt::RightButton) {
            // The item under the pointer is selected before its context menu opens.
            const QModelIndex item = nodeTree_->indexAt(press->position().toPoint());
            if (item.isValid()) {
                SelectTreeItem(item);
                RunPendingSelection();
                nodeTree_->viewport()->unsetCursor();
            }
        }
    }
    return QWidget::eventFilter(watched, event);
}

void TMDIChild::ShowTreeMenu(const QPoint& at) {
    RunPendingSelection();
    nodeTreeMenu_->popup(nodeTree_->viewport()->mapToGlobal(at));
}

void TMDIChild::ShowKeyMenu(const QPoint& at) {
    RunPendingSelection();
    keyListMenu_->popup(keyList_->viewport()->mapToGlobal(at));
}

void TMDIChild::EditKeyValueRequested() { ExecuteCommand(TCommandId::EditKey); }

}  // namespace kelmor
