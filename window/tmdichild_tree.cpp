// TMDIChild: filling the tree lazily, collapsing, the delayed selection change, the key
// rows of the selected node, node paths and the re-applied item states.
#include <QItemSelectionModel>
#include <QTimer>
#include <exception>

#include "ui/common.h"
#include "ui/guarded.h"
#include "ui/twaitcursor.h"
#include "window/tkelmorlistview.h"
#include "window/tkelmortreeview.h"
#include "window/tkeylistmodel.h"
#include "window/tmdichild.h"

namespace kelmor {

namespace {
const QString kBrokenLinkText = QStringLiteral("** BROKEN LINK **");

bool IsInside(QModelIndex item, const QModelIndex& branch) {
    for (item = item.parent(); item.isValid(); item = item.parent()) {
        if (item == branch) return true;
    }
    return false;
}
}  // namespace

QModelIndex TMDIChild::AddTreeItem(const QModelIndex& parent, const QString& text, TTreeItemKind kind, int32_t nodeID,
                                   bool hasChildren) {
    TTreeItemData data;
    data.text = text;
    data.kind = kind;
    data.nodeID = nodeID;
    data.hasChildren = hasChildren;
    data.cut = cutPending_ && nodeID == engine_->MarkedNode();
    return treeModel_->AppendChild(parent, data);
}

// Reads the children of `item` from the engine, all in one batch; nothing happens when
// they were read already. Children read before an error stay.
void TMDIChild::FillTreeItem(const QModelIndex& item) {
    if (!item.isValid() || !treeModel_->canFetchMore(item)) return;
    TWaitCursor wait;
    const QPersistentModelIndex parent(item);
    std::vector<TTreeItemData> children;
    try {
        TKelmorNodeRec rec;
        const int32_t marked = engine_->MarkedNode();
        for (bool found = engine_->FindFirstChild(rec, treeModel_->NodeID(item)); found;
             found = engine_->FindNextChild(rec)) {
            const int32_t child = rec.currentID;
            TTreeItemData data;
            data.text = engine_->LoadNode(child) ? FromLatin1(engine_->GetDescription()) : kBrokenLinkText;
            data.kind = engine_->IsLink(child) ? TTreeItemKind::Link : TTreeItemKind::Node;
            data.nodeID = child;
            data.hasChildren = engine_->HasChildren(child);
            data.cut = cutPending_ && child == marked;
            children.push_back(std::move(data));
        }
    } catch (...) {
        if (parent.isValid()) treeModel_->AppendChildren(parent, std::move(children));
        throw;
    }
    treeModel_->AppendChildren(parent, std::move(children));
}

// The view is expanding an item whose children were never read. Errors are reported
// once the view has finished its own work.
void TMDIChild::NodeTreeExpanding(const QModelIndex& item) {
    // Another thread has the engine: the children are read at a later expansion.
    if (WorkerRunning()) return;
    try {
        FillTreeItem(item);
    } catch (const std::exception& error) {
        const QString text = FromLatin1(error.what());
        QTimer::singleShot(0, this, [text] { ShowErrorReport(text); });
    }
}

void TMDIChild::NodeTreeCollapsed(const QModelIndex& item) {
    // The next expansion reads the children afresh from the engine.
    const bool selectionInside = IsInside(SelectedItem(), item);
    treeModel_->RemoveChildren(item);
    treeModel_->SetHasChildren(item, true);
    if (selectionInside) SelectTreeItem(item);
}

void TMDIChild::ExpandAfresh(const QModelIndex& item) {
    if (!nodeTree_->isExpanded(item)) {
        treeModel_->RemoveChildren(item);
        treeModel_->SetHasChildren(item, true);
        FillTreeItem(item);
    }
    nodeTree_->expand(item);
}

QModelIndex TMDIChild::SelectedItem() const { return nodeTree_->selectionModel()->currentIndex(); }

int32_t TMDIChild::SelectedNode() const {
    const QModelIndex item = SelectedItem();
    return item.isValid() ? treeModel_->NodeID(item) : -1;
}

int TMDIChild::SelectedKeyRow() const { return keyList_->SelectedRow(); }

void TMDIChild::SelectTreeItem(const QModelIndex& item) {
    nodeTree_->selectionModel()->setCurrentIndex(item, QItemSelectionModel::ClearAndSelect);
}

void TMDIChild::NodeTreeCurrentChanged(const QModelIndex& current) {
    if (destroying_) return;
    // The selected item is always the current one.
    QItemSelectionModel* selection = nodeTree_->selectionModel();
    if (current.isValid()) {
        if (!selection->isSelected(current)) selection->select(current, QItemSelectionModel::ClearAndSelect);
    } else {
        selection->clearSelection();
    }
    // Quick keyboard navigation fills the key list once, where it stops.
    selectionTimer_->start();
}

void TMDIChild::RunPendingSelection() {
    if (!selectionTimer_->isActive() || WorkerRunning()) return;
    selectionTimer_->stop();
    Guarded([this] { NodeTreeChange(); });
}

TKeyRow TMDIChild::KeyRowOf(uint16_t key) const {
    TKeyRow row;
    row.name = FromLatin1(engine_->GetKeyName(key));
    row.value = FromLatin1(engine_->KeyValueText(key));
    row.type = engine_->KeyType(key);
    return row;
}

void TMDIChild::FillKeyRow(uint16_t key, int row) { keyModel_->SetRow(row, KeyRowOf(key)); }

void TMDIChild::NodeTreeChange() {
    std::exception_ptr failure;
    {
        TWaitCursor wait;
        keyModel_->SetRows({});
        keyListNode_ = -1;
        try {
            const QModelIndex item = SelectedItem();
            const int32_t node = item.isValid() ? treeModel_->NodeID(item) : -1;
            // The root and links always show an empty key list.
            if (item.isValid() && node != TKelmorClass::RootNode() && !engine_->IsLink(node)) {
                engine_->LoadNode(node);
                keyListNode_ = node;
                std::vector<TKeyRow> rows;
                const uint16_t count = engine_->KeyCount();
                rows.reserve(count);
                for (uint16_t key = 1; key <= count; ++key) rows.push_back(KeyRowOf(key));
                keyModel_->SetRows(std::move(rows));
            }
            if (pendingKeyIndex_ >= 0) {
                keyList_->SelectRow(pendingKeyIndex_);
                keyList_->setFocus();
                pendingKeyIndex_ = -1;
            }
        } catch (...) {
            failure = std::current_exception();
        }
    }
    ShowNodePath();
    UpdateNodeCommands();
    UpdateKeyCommands();
    if (failure) std::rethrow_exception(failure);
    UpdateInfoPane();
}

bool TMDIChild::NodeTreeEditing(const QModelIndex& item) const {
    if (engine_->IsReadOnly() || !item.isValid()) return false;
    const int32_t node = treeModel_->NodeID(item);
    return node != TKelmorClass::RootNode() && !engine_->IsLink(node);
}

QString TMDIChild::NodePath(const QModelIndex& item, bool includeRoot) const {
    QString path;
    for (QModelIndex at = item; at.isValid(); at = at.parent()) {
        if (at.parent().isValid() || includeRoot) path.prepend(QLatin1Char('\\') + treeModel_->Text(at));
    }
    if (path.isEmpty()) return QStringLiteral("\\");
    if (includeRoot) path.remove(0, 1);
    return path;
}

void TMDIChild::ReapplyTreeStates() {
    nodeTree_->CancelEdit();
    keyList_->CancelEdit();
    nodeTree_->viewport()->update();
    keyList_->viewport()->update();
    Guarded([this] {
        TWaitCursor wait;
        const int32_t marked = engine_->MarkedNode();
        for (const QModelIndex& item : treeModel_->AllItems()) {
            const int32_t node = treeModel_->NodeID(item);
            if (!treeModel_->hasChildren(item)) treeModel_->SetHasChildren(item, engine_->HasChildren(node));
            if (cutPending_ && node == marked) treeModel_->SetCut(item, true);
        }
    });
}

}  // namespace kelmor
