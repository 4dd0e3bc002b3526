// TMDIChild: the node commands (new, rename, delete, information, shift, sort, security)
// and the renaming of a node in place.
#include <QAction>
#include <QApplication>
#include <QItemSelectionModel>
#include <unordered_map>

#include "security/tsecurityform.h"
#include "ui/common.h"
#include "ui/guarded.h"
#include "ui/twaitcursor.h"
#include "window/tdeleteprogressform.h"
#include "window/tkelmortreeview.h"
#include "window/tmdichild.h"

namespace kelmor {

// ---------------------------------------------------------------- new node, renaming

void TMDIChild::NewNode() {
    const QPersistentModelIndex selected(SelectedItem());
    if (!selected.isValid()) return;
    engine_->ClearNode();
    engine_->SetDescription("New Node");
    const int32_t id = engine_->CreateNode(treeModel_->NodeID(selected));
    if (id < 0) return;  // a link cannot hold nodes
    QModelIndex item;
    if (nodeTree_->isExpanded(selected) && treeModel_->ChildrenRead(selected)) {
        item = AddTreeItem(selected, QStringLiteral("New Node"), TTreeItemKind::Node, id, false);
    } else {
        // Reading all the children shows the new node last among them.
        ExpandAfresh(selected);
        const int count = treeModel_->rowCount(selected);
        if (count > 0) item = treeModel_->index(count - 1, 0, selected);
    }
    if (!item.isValid()) return;
    SelectTreeItem(item);
    nodeTree_->StartEdit(item);
}

void TMDIChild::StartRenameNode() { nodeTree_->StartEdit(SelectedItem()); }

bool TMDIChild::CheckCaption(QString& text) {
    if (text.isEmpty()) {
        ShowCentredMessage(QStringLiteral("A description of one or more characters is required."), TMessageKind::Error,
                           QMessageBox::Ok, this);
        return false;
    }
    if (text.size() > kMaxCaption) {
        ShowCentredMessage(
            QStringLiteral("Descriptions of more than 255 characters are not supported.\n\nText has been truncated."),
            TMessageKind::Warning, QMessageBox::Ok, this);
        text.truncate(kMaxCaption);
    }
    return true;
}

void TMDIChild::NodeTreeEdited(const QModelIndex& item, const QString& accepted) {
    const QPersistentModelIndex edited(item);
    QString text = accepted;
    if (!CheckCaption(text) || !edited.isValid()) return;
    const int32_t node = treeModel_->NodeID(edited);
    engine_->LoadNode(node);
    engine_->SetDescription(ToLatin1(text));
    engine_->SaveNode(node);
    treeModel_->SetText(edited, text);
    ShowNodePath();
    UpdateInfoPane();
}

// ---------------------------------------------------------------- deleting

void TMDIChild::DeleteSelectedNode() {
    const QPersistentModelIndex selected(SelectedItem());
    if (!selected.isValid()) return;
    const int32_t node = treeModel_->NodeID(selected);
    if (!engine_->CanModifyNode(node)) {
        ShowCentredMessage(QStringLiteral("Unable to Delete. Branch is Read Only."), TMessageKind::Error,
                           QMessageBox::Ok, this);
        return;
    }
    if (host_.Option(TDatabaseHost::TOption::ConfirmDeletion) &&
        ShowCentredMessage(
            QStringLiteral("Do you wish to Delete this Node\n'") + treeModel_->Text(selected) + QStringLiteral("' ?"),
            TMessageKind::Warning, QMessageBox::Yes | QMessageBox::No, this) != QMessageBox::Yes)
        return;

    {
        TWaitCursor wait;
        // Over the top-level window: the main window that holds this one.
        TDeleteProgressForm progress(window());
        progress.show();
        // Once, so that the window appears before the work starts.
        QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        engine_->DeleteNode(node);
        if (cutPending_ && !engine_->NodeMarked()) cutPending_ = false;
        if (selected.isValid()) {
            // The selection goes to the next sibling, else the previous one, else the parent.
            const QModelIndex parent = selected.parent();
            const int row = selected.row();
            QPersistentModelIndex next(treeModel_->index(row + 1, 0, parent));
            if (!next.isValid()) next = treeModel_->index(row - 1, 0, parent);
            if (!next.isValid()) next = parent;
            treeModel_->RemoveItem(selected);
            SelectTreeItem(next);
        }
    }
    UpdateInfoPane();
}

// ---------------------------------------------------------------- information

void TMDIChild::NodeInformation() {
    const QModelIndex selected = SelectedItem();
    if (!selected.isValid()) return;
    const int32_t node = treeModel_->NodeID(selected);
    QString children = QStringLiteral("(LINK)"), keys = QStringLiteral("(LINK)");
    if (!engine_->IsLink(node)) {
        // Direct children the user may see, not the whole branch.
        int count = 0;
        TKelmorNodeRec rec;
        for (bool found = engine_->FindFirstChild(rec, node); found; found = engine_->FindNextChild(rec)) ++count;
        children = QString::number(count);
        if (node == TKelmorClass::RootNode()) {
            keys = QStringLiteral("N/A");
        } else {
            engine_->LoadNode(node);
            keys = QString::number(engine_->KeyCount());
        }
    }
    ShowCentredMessage(QStringLiteral("Information for the Selected Node.\n\n") + NodePath(selected, true) +
                           QStringLiteral("\n\nNode ID\t\t\t: ") + QString::number(node) +
                           QStringLiteral("\nTotal Leaf Nodes\t: ") + children + QStringLiteral("\n") +
                           QStringLiteral("Total Keys\t\t: ") + keys + QStringLiteral("\n"),
                       TMessageKind::Information, QMessageBox::Ok, this);
}

// ---------------------------------------------------------------- shifting and sorting

void TMDIChild::ShiftNode(bool up) {
    const QModelIndex selected = SelectedItem();
    if (!selected.isValid()) return;
    const QModelIndex parent = selected.parent();
    const int row = selected.row();
    const QModelIndex other = treeModel_->index(up ? row - 1 : row + 1, 0, parent);
    if (!other.isValid()) return;
    // The engine first: a refusal leaves the tree as it was.
    engine_->ExchangeNodes(treeModel_->NodeID(selected), treeModel_->NodeID(other));
    treeModel_->ExchangeWithNext(parent, up ? row - 1 : row);
    nodeTree_->scrollTo(SelectedItem());
    UpdateNodeCommands();
}

void TMDIChild::SortBranch() {
    const QPersistentModelIndex selected(SelectedItem());
    if (!selected.isValid() || !treeModel_->hasChildren(selected)) return;
    {
        TWaitCursor wait;
        SetWindowStatus(QStringLiteral("Please wait, Sorting..."));
        engine_->SortChildren(treeModel_->NodeID(selected));
        if (!ShowChildrenInEngineOrder(selected)) {
            // The children are read again, in their new order.
            if (nodeTree_->isExpanded(selected)) nodeTree_->collapse(selected);
            ExpandAfresh(selected);
        }
    }
    ShowNodePath();
}

// The item's children, shown already, in the engine's order now; only their order is read
// from the engine (their sub-branches close, as when they are read again). False, with
// nothing changed, when the item does not show all its children.
bool TMDIChild::ShowChildrenInEngineOrder(const QModelIndex& item) {
    if (!nodeTree_->isExpanded(item) || !treeModel_->ChildrenRead(item)) return false;
    std::unordered_map<int32_t, TTreeItemData> shown;
    for (int row = 0; row < treeModel_->rowCount(item); ++row) {
        const QModelIndex child = treeModel_->index(row, 0, item);
        TTreeItemData data;
        data.text = treeModel_->Text(child);
        data.kind = treeModel_->Kind(child);
        data.nodeID = treeModel_->NodeID(child);
        data.hasChildren = treeModel_->hasChildren(child);
        data.cut = treeModel_->IsCut(child);
        shown.emplace(data.nodeID, std::move(data));
    }
    std::vector<TTreeItemData> ordered;
    ordered.reserve(shown.size());
    TKelmorNodeRec rec;
    for (bool found = engine_->FindFirstChild(rec, treeModel_->NodeID(item)); found;
         found = engine_->FindNextChild(rec)) {
        auto at = shown.find(rec.currentID);
        if (at == shown.end()) return false;  // not shown before (it cannot be)
        ordered.push_back(std::move(at->second));
    }
    const QPersistentModelIndex parent(item);
    treeModel_->RemoveChildren(parent);
    treeModel_->AppendChildren(parent, std::move(ordered));
    nodeTree_->expand(parent);
    return true;
}

// ---------------------------------------------------------------- security

void TMDIChild::NodeSecurity() {
    const QModelIndex selected = SelectedItem();
    if (!selected.isValid()) return;
    TSecurityForm dialog(*engine_, treeModel_->NodeID(selected), this);
    dialog.exec();
}

}  // namespace kelmor
