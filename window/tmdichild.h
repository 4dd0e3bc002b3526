// TMDIChild: the database window, the document window of one open database. It owns
// the database's engine (through its host's open-database list) and shows the tree of
// nodes on the left, the keys of the selected node on the right and a thin information
// pane above both. The node and key commands of the host (the main window) act on it,
// and it keeps their enabled states current.
#pragma once

#include <QPersistentModelIndex>
#include <QWidget>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

#include "engine/tkelmor.h"
#include "interchange/jobfactory.h"
#include "ui/tdatabasehost.h"
#include "ui/tdatabasewindow.h"
#include "window/tnodetreemodel.h"

class QAction;
class QLabel;
class QMenu;
class QSplitter;
class QTimer;

namespace kelmor {

class TKelmorTreeView;
class TKelmorListView;
class TKeyListModel;
struct TKeyRow;

class TMDIChild : public QWidget, public TDatabaseWindow {
    Q_OBJECT
public:
    static constexpr int kFlushInterval = 15000;  // milliseconds
    static constexpr int kSelectionDelay = 50;    // milliseconds
    static constexpr uint16_t kInitialSearchFlags = sfNodeDescriptions | sfKeyNames | sfKeyValues | sfPromptOnReplace;
    static constexpr int kMaxCaption = 255;

    TMDIChild(TDatabaseHost& host, std::unique_ptr<TKelmorClass> engine, const QString& basePath);
    ~TMDIChild() override;

    // Makes the database windows of a host database windows of this kind.
    static TDatabaseWindowFactory Factory();

    // ---- TDatabaseWindow ----
    TKelmorClass& Engine() override { return *engine_; }
    QString BasePath() const override { return basePath_; }
    void ExecuteCommand(TCommandId id) override;
    bool FlushDatabase() override;
    void ChangePassword() override;
    void DatabaseInformation() override;
    void UserManagement() override;
    void UpdateCommandStates() override;  // the activation handling
    void SetInfoPaneVisible(bool visible) override;
    void UpdateTitle() override;
    void RefreshColours() override { ReapplyTreeStates(); }
    QString StatusText() const override;
    QMenu* ContextMenuFor(QWidget* focus) override;

    // ---- Display ----
    void UpdateInfoPane();
    // The path of a tree item: "Root\A\B" with the root included, "\A\B" without.
    QString NodePath(const QModelIndex& item, bool includeRoot) const;
    void ShowNodePath();
    void SetWindowStatus(const QString& text);
    QModelIndex AddTreeItem(const QModelIndex& parent, const QString& text, TTreeItemKind kind, int32_t nodeID,
                            bool hasChildren);
    // Key N (1-based) of the node last loaded, as a key list row.
    TKeyRow KeyRowOf(uint16_t key) const;
    void FillKeyRow(uint16_t key, int row);
    void UpdateNodeCommands();
    void UpdateKeyCommands();
    void UpdateDatabaseCommands();
    void UpdateSearchAgain();
    void ReapplyTreeStates();
    // A selection change waiting for its delay is handled now.
    void RunPendingSelection();

    // ---- Node commands ----
    void NewNode();
    void StartRenameNode();
    void DeleteSelectedNode();
    void NodeInformation();
    void ShiftNode(bool up);
    void SortBranch();
    void NodeSecurity();

    // ---- Clipboard and links (the node mark is the engine's) ----
    void CutNode();
    void CopyNode();
    // Moves the cut node, or copies the copied one, under the selected node.
    void PasteNode();
    void PasteAsLink();
    void JumpToSource();
    void CutKey();
    void CopyKey();
    void PasteKey();
    // The first item in display order that shows the node; none when no expanded branch
    // shows it.
    QModelIndex FindTreeItem(int32_t nodeID) const;
    // The node's item, made to exist by expanding its ancestors; none for an unknown node
    // or one hidden from the user.
    QModelIndex RevealNode(int32_t nodeID);
    // No node is marked any more, and none is cut.
    void ClearNodeMark();

    // ---- Key commands ----
    void AddKey(uint8_t type, bool insert);
    // Adds or inserts a key when `id` is one of the add and insert commands.
    bool AddKeyByCommand(TCommandId id);
    void StartRenameKey();
    void DeleteSelectedKey();
    // Opens the key editor on the selected key and writes its new value back on OK.
    void EditKeyValue();
    void ShiftKey(bool up);
    // Takes the shortcuts that an in-place editor needs away from the commands (restore
    // false) or gives them back.
    void SetEditShortcuts(bool restore);

    // ---- Import and export ----
    void ImportData();
    void ExportData();

    // ---- Search commands ----
    void Find();
    void Replace();
    void FindBrokenLinks();
    void SearchAgain();
    void LocateByID();
    // One search run: a step, then the match shown and, when replacing, replaced; all
    // matches in turn for Replace All.
    void RunSearch(bool first);

    // ---- Other threads using the engine (searches, imports, exports) ----
    // Called around the run of a thread that uses the engine (one at a time: its window is
    // modal); `stop` asks that thread to end and waits for it. While it runs, the periodic
    // flush, the delayed key list and the lazy reading of children wait.
    void BeginWorkerUse(std::function<void()> stop = {});
    void EndWorkerUse();
    bool WorkerRunning() const { return workerRunning_; }
    // Stops the thread that uses the engine, if one runs, and waits for it: the window is
    // closing.
    void StopWorker();

    // ---- Parts of the window ----
    TKelmorTreeView* NodeTree() const { return nodeTree_; }
    TKelmorListView* KeyList() const { return keyList_; }
    TNodeTreeModel* TreeModel() const { return treeModel_; }
    TKeyListModel* KeyModel() const { return keyModel_; }
    QMenu* NodeTreeMenu() const { return nodeTreeMenu_; }
    QMenu* KeyListMenu() const { return keyListMenu_; }
    QTimer* FlushTimer() const { return flushTimer_; }
    QWidget* StatusInfo() const { return statusInfo_; }
    QLabel* xNodeFreeSpace() const { return xNodeFreeSpace_; }
    QLabel* xKeyLookupFree() const { return xKeyLookupFree_; }
    QLabel* xReadOnly() const { return xReadOnly_; }
    QLabel* xUsername() const { return xUsername_; }
    QModelIndex RootItem() const { return rootItem_; }
    QModelIndex SelectedItem() const;
    int32_t SelectedNode() const;  // -1 when no item is selected
    int SelectedKeyRow() const;    // -1 when no key is selected
    bool CutPending() const { return cutPending_; }
    TKelmorSearch& SearchState() { return searchState_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    // Saves a modified database first; when that fails, the user decides whether the
    // window closes all the same (the files keep the last completed save).
    void closeEvent(QCloseEvent* event) override;

private:
    void CreateControls();
    void CreateMenus();
    QAction* Command(TCommandId id) const { return host_.Command(id); }
    void Enable(TCommandId id, bool enabled) const { Command(id)->setEnabled(enabled); }
    void Enable(TDatabaseEntry entry, bool enabled) const;
    // The conditions the enabled states are made of (tmdichild_states.cpp).
    struct TStateLetters StateLetters() const;
    bool IsActiveDatabaseWindow() const;
    void FlushTimerTimer();

    // Tree.
    void FillTreeItem(const QModelIndex& item);
    void NodeTreeExpanding(const QModelIndex& item);
    void NodeTreeCollapsed(const QModelIndex& item);
    void NodeTreeCurrentChanged(const QModelIndex& current);
    void NodeTreeChange();
    bool NodeTreeEditing(const QModelIndex& item) const;
    void NodeTreeEdited(const QModelIndex& item, const QString& text);
    // Shows the item's children as they are in the engine now, expanded.
    void ExpandAfresh(const QModelIndex& item);
    bool ShowChildrenInEngineOrder(const QModelIndex& item);
    void SelectTreeItem(const QModelIndex& item);
    void ShowTreeMenu(const QPoint& at);

    // Clipboard.
    void CopyPaste();
    void MovePaste();
    QModelIndex PlaceNewChild(int32_t node);

    // Keys.
    void KeyListEdited(const QModelIndex& row, const QString& text);
    void InsertNewKey(uint8_t type, uint16_t position);
    void ShowKeyMenu(const QPoint& at);
    void EditKeyValueRequested();

    // Import and export.
    // The job's file and location, chosen in a file dialog; none when it was cancelled.
    template <class TDialog>
    std::optional<TJobArguments> ChooseJobFile();
    // Runs the job behind the progress window and hands it to `readResult` once its thread
    // has ended; false when this window closed meanwhile (nothing of it may be touched then).
    bool RunJob(std::unique_ptr<TKelmorInOut> job, bool import,
                const std::function<void(TKelmorInOut& job)>& readResult);

    // Search.
    void StartSearch(const TKelmorSearch& settings, uint8_t mode);
    void InstallProgressReporter();
    // Runs one step behind the progress window; false when this window closed meanwhile
    // (nothing of it may be touched then).
    bool RunSearchStep(bool first, int32_t& match, QString& error);
    // Selects the match's item (and key row); the item, or none when it cannot be shown.
    QModelIndex ShowMatch(int32_t match);
    void ReplaceMatch(int32_t match, const QModelIndex& item, uint16_t& flags, bool& repeat);
    std::string ReplacedText(const std::string& old) const;
    void ReplaceInDescription(int32_t match, const QModelIndex& item);
    void ReplaceInKeyName(int32_t match, const QModelIndex& item, uint16_t key);
    void ReplaceInKeyValue(int32_t match, const QModelIndex& item, uint16_t key, bool& repeat);

    // A caption accepted in place: empty is refused, over-long is cut after a warning.
    bool CheckCaption(QString& text);

    TDatabaseHost& host_;
    TKelmorClass* engine_;
    QString basePath_;

    QWidget* statusInfo_ = nullptr;
    QLabel* xNodeFreeSpace_ = nullptr;
    QLabel* xKeyLookupFree_ = nullptr;
    QLabel* xReadOnly_ = nullptr;
    QLabel* xUsername_ = nullptr;
    QSplitter* splitter_ = nullptr;
    TKelmorTreeView* nodeTree_ = nullptr;
    TKelmorListView* keyList_ = nullptr;
    TNodeTreeModel* treeModel_ = nullptr;
    TKeyListModel* keyModel_ = nullptr;
    QMenu* nodeTreeMenu_ = nullptr;
    QMenu* keyListMenu_ = nullptr;
    QTimer* flushTimer_ = nullptr;
    QTimer* selectionTimer_ = nullptr;

    QPersistentModelIndex rootItem_;
    bool activating_ = false;
    bool destroying_ = false;
    int pendingKeyIndex_ = -1;
    int32_t keyListNode_ = -1;  // whose keys the key list shows
    TKelmorSearch searchState_;
    int32_t lastLocatedID_ = 0;
    bool searchAborted_ = false;
    bool cutPending_ = false;
    bool workerRunning_ = false;
    std::function<void()> stopWorker_;
    bool flushFailureShown_ = false;
};

}  // namespace kelmor
