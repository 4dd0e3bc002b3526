// TMDIChild: the node and key clipboards and links. Both clipboards live in the engine,
// so that each open database has its own; the window adds whether the marked node was
// cut (it moves when pasted) or copied. Also the two tree look-ups: finding the item of
// a node and making a node's item exist by expanding its ancestors.
#include <optional>
#include <vector>

#include "ui/common.h"
#include "ui/twaitcursor.h"
#include "window/tkelmorlistview.h"
#include "window/tkelmortreeview.h"
#include "window/tkeylistmodel.h"
#include "window/tmdichild.h"

namespace kelmor {

namespace {

void ShowError(const QString& text, QWidget* owner) {
    ShowCentredMessage(text, TMessageKind::Error, QMessageBox::Ok, owner);
}

// Suspends a widget's repainting for a scope.
class TNoUpdates {
public:
    explicit TNoUpdates(QWidget* widget) : widget_(widget), enabled_(widget->updatesEnabled()) {
        widget_->setUpdatesEnabled(false);
    }
    ~TNoUpdates() { widget_->setUpdatesEnabled(enabled_); }
    TNoUpdates(const TNoUpdates&) = delete;
    TNoUpdates& operator=(const TNoUpdates&) = delete;

private:
    QWidget* widget_;
    bool enabled_;
};

}  // namespace

// ---------------------------------------------------------------- tree look-ups

QModelIndex TMDIChild::FindTreeItem(int32_t nodeID) const { return treeModel_->FindItem(nodeID); }

QModelIndex TMDIChild::RevealNode(int32_t nodeID) {
    TNoUpdates frozen(nodeTree_);
    std::vector<int32_t> ancestry;  // the node first, the top-most ancestor last
    for (int32_t node = nodeID; node != TKelmorClass::RootNode(); node = engine_->GetParent(node)) {
        if (node < 0) return QModelIndex();
        ancestry.push_back(node);
    }
    QPersistentModelIndex current = RootItem();
    for (auto it = ancestry.rbegin(); it != ancestry.rend(); ++it) {
        if (treeModel_->hasChildren(current) && !nodeTree_->isExpanded(current)) {
            FillTreeItem(current);
            nodeTree_->expand(current);
        }
        const QModelIndex child = treeModel_->FindChild(current, *it);
        if (!child.isValid()) return QModelIndex();
        current = child;
    }
    return current;
}

void TMDIChild::ClearNodeMark() {
    const int32_t marked = engine_->MarkedNode();
    if (marked > 0) {
        for (const QModelIndex& item : treeModel_->ItemsOf(marked)) treeModel_->SetCut(item, false);
    }
    engine_->MarkNode(0);
    cutPending_ = false;
}

// ---------------------------------------------------------------- nodes

void TMDIChild::CutNode() {
    if (cutPending_) ClearNodeMark();
    const int32_t node = SelectedNode();
    engine_->MarkNode(node);
    for (const QModelIndex& item : treeModel_->ItemsOf(node)) treeModel_->SetCut(item, true);
    cutPending_ = true;
    UpdateNodeCommands();
}

void TMDIChild::CopyNode() {
    if (cutPending_) ClearNodeMark();
    engine_->MarkNode(SelectedNode());
    UpdateNodeCommands();
}

void TMDIChild::PasteNode() {
    if (!cutPending_) {
        CopyPaste();
        return;
    }
    // A refused move, and an error, end the cut all the same.
    try {
        MovePaste();
    } catch (...) {
        ClearNodeMark();
        UpdateNodeCommands();
        throw;
    }
    ClearNodeMark();
    UpdateNodeCommands();
}

// The item of `node`, which now hangs as the last child under the selected node.
QModelIndex TMDIChild::PlaceNewChild(int32_t node) {
    const QPersistentModelIndex parent = SelectedItem();
    if (nodeTree_->isExpanded(parent)) {
        engine_->LoadNode(node);
        const TTreeItemKind kind = engine_->IsLink(node) ? TTreeItemKind::Link : TTreeItemKind::Node;
        return AddTreeItem(parent, FromLatin1(engine_->GetDescription()), kind, node, engine_->HasChildren(node));
    }
    // Expanding reads every child from the engine, the new one last.
    treeModel_->SetHasChildren(parent, true);
    ExpandAfresh(parent);
    const int count = treeModel_->rowCount(parent);
    return count > 0 ? treeModel_->index(count - 1, 0, parent) : QModelIndex();
}

void TMDIChild::CopyPaste() {
    std::optional<TWaitCursor> wait(std::in_place);
    const int32_t target = SelectedNode();
    if (!engine_->CanCopyMarkedNode(target)) {
        wait.reset();
        ShowError(QStringLiteral("You cannot paste to this position."), this);
        return;
    }
    const int32_t node = engine_->CopyMarkedNode(target);
    const QModelIndex item = PlaceNewChild(node);
    if (item.isValid()) SelectTreeItem(item);
}

void TMDIChild::MovePaste() {
    std::optional<TWaitCursor> wait(std::in_place);
    const int32_t target = SelectedNode();
    if (!engine_->CanMoveMarkedNode(target)) {
        wait.reset();
        ShowError(QStringLiteral("You cannot move the marked node to this position."), this);
        return;
    }
    const int32_t node = engine_->MarkedNode();
    // Every item that showed the node at its old place goes.
    std::vector<QPersistentModelIndex> old;
    for (const QModelIndex& item : treeModel_->ItemsOf(node)) old.emplace_back(item);
    engine_->MoveMarkedNode(target);
    const QPersistentModelIndex item = PlaceNewChild(node);
    for (const QPersistentModelIndex& gone : old) {
        if (gone.isValid() && gone != item) treeModel_->RemoveItem(gone);
    }
    if (item.isValid()) SelectTreeItem(item);
}

void TMDIChild::PasteAsLink() {
    std::optional<TWaitCursor> wait(std::in_place);
    const int32_t target = SelectedNode();
    if (!engine_->CanCopyMarkedNode(target)) {
        wait.reset();
        ShowError(QStringLiteral("Sorry! You cannot link the marked node at this position."), this);
        return;
    }
    int32_t link = -1;
    try {
        link = engine_->CreateLink(target);
    } catch (const EKelmorSourceNodeBrokenError&) {
        wait.reset();
        ShowError(QStringLiteral("Unable to create link, because source node has been deleted."), this);
        return;
    } catch (const EKelmorError&) {
        wait.reset();
        ShowError(QStringLiteral("You cannot create a link here."), this);
        return;
    }
    if (link == -1) return;
    const QModelIndex item = PlaceNewChild(link);
    if (item.isValid()) SelectTreeItem(item);
}

void TMDIChild::JumpToSource() {
    int32_t source = -1;
    try {
        source = engine_->GetLinkSource(SelectedNode());
    } catch (const EKelmorSourceNodeBrokenError&) {
        ShowError(QStringLiteral("Linked Node does not exist."), this);
        return;
    }
    if (source <= 0) return;
    const QModelIndex item = RevealNode(source);
    if (item.isValid()) SelectTreeItem(item);
}

// ---------------------------------------------------------------- keys

void TMDIChild::CutKey() {
    const int32_t node = SelectedNode();
    const int row = SelectedKeyRow();
    if (node <= TKelmorClass::RootNode() || row < 0) return;
    engine_->LoadNode(node);
    engine_->CutKey(static_cast<uint16_t>(row + 1));
    engine_->SaveNode(node);
    keyModel_->RemoveRow(row);
    UpdateInfoPane();
    UpdateKeyCommands();
}

void TMDIChild::CopyKey() {
    const int32_t node = SelectedNode();
    const int row = SelectedKeyRow();
    if (node <= TKelmorClass::RootNode() || row < 0) return;
    engine_->LoadNode(node);
    engine_->MarkKey(static_cast<uint16_t>(row + 1));
    UpdateKeyCommands();
}

void TMDIChild::PasteKey() {
    const int32_t node = SelectedNode();
    if (node <= TKelmorClass::RootNode()) return;
    engine_->LoadNode(node);
    engine_->PasteKey();
    engine_->SaveNode(node);
    const int row = keyModel_->rowCount();
    keyModel_->InsertRow(row, KeyRowOf(engine_->KeyCount()));
    keyList_->SelectRow(row);
    keyList_->setFocus();
    UpdateInfoPane();
    UpdateKeyCommands();
}

}  // namespace kelmor
