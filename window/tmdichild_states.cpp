// TMDIChild: the enabled states of the main window's node, key and database commands,
// computed from the selection and the database.
#include <QAction>

#include "window/tkelmorlistview.h"
#include "window/tkeylistmodel.h"
#include "window/tmdichild.h"

namespace kelmor {

// The conditions of the enabled-state rules, by the letters the rules use.
struct TStateLetters {
    bool S = false;   // a tree item is selected
    bool W = false;   // the database is open for writing
    bool R = false;   // the selected item is the root
    bool L = false;   // the selected node is a link
    bool C = false;   // a node is marked for pasting (copied or cut)
    bool X = false;   // the marked node was cut (it moves; it cannot be linked to)
    bool K = false;   // a key row is selected
    bool KC = false;  // a key is marked for pasting
    bool A = false;   // the logged-on user is the administrator
};

TStateLetters TMDIChild::StateLetters() const {
    const QModelIndex item = SelectedItem();
    const int32_t node = item.isValid() ? treeModel_->NodeID(item) : -1;
    TStateLetters is;
    is.S = item.isValid();
    is.W = !engine_->IsReadOnly();
    is.R = is.S && node == TKelmorClass::RootNode();
    is.L = is.S && engine_->IsLink(node);
    is.C = engine_->NodeMarked();
    is.X = cutPending_;
    is.K = keyList_->SelectedRow() >= 0;
    is.KC = engine_->KeyMarked();
    is.A = engine_->CurrentUser() == 1;
    return is;
}

void TMDIChild::UpdateNodeCommands() {
    if (!IsActiveDatabaseWindow() && !activating_) return;
    [[maybe_unused]] const auto [S, W, R, L, C, X, K, KC, A] = StateLetters();
    const QModelIndex item = SelectedItem();
    const bool previous = S && item.row() > 0;
    const bool next = S && item.row() + 1 < treeModel_->rowCount(item.parent());
    const bool children = S && engine_->HasChildren(treeModel_->NodeID(item));

    using Id = TCommandId;
    Enable(Id::NewNode, S && W && !L);
    Enable(Id::Import, S && W && !L);
    Enable(Id::RenameNode, S && W && !L && !R);
    Enable(Id::DeleteNode, S && W && !R);
    Enable(Id::CutNode, S && W && !R);
    Enable(Id::CopyNode, S && W && !R);
    Enable(Id::Information, S);
    Enable(Id::PasteNode, S && W && !L && C);
    Enable(Id::PasteAsLink, S && W && !L && C && !X);
    Enable(Id::ShiftUp, S && W && !R && previous);
    Enable(Id::ShiftDown, S && W && !R && next);
    Enable(Id::SortBranch, S && W && !R && !L && children);
    Enable(Id::JumpToSource, S && L);
    Enable(Id::Export, S && !L);
    Enable(Id::NodeSecurity, S && !R);
}

void TMDIChild::UpdateKeyCommands() {
    if (!IsActiveDatabaseWindow() && !activating_) return;
    [[maybe_unused]] const auto [S, W, R, L, C, X, K, KC, A] = StateLetters();
    const int row = keyList_->SelectedRow();
    const bool keys = S && !R && !L;  // the selected node has a key list

    for (const TKeyTypeCommands& type : kKeyTypeCommands) {
        Enable(type.add, keys && W);
        Enable(type.insert, keys && W && K);
    }
    using Id = TCommandId;
    Enable(Id::RenameKey, keys && W && K);
    Enable(Id::DeleteKey, keys && W && K);
    Enable(Id::CutKey, keys && W && K);
    Enable(Id::CopyKey, keys && W && K);
    Enable(Id::EditKey, keys && K);  // also in a read-only database
    Enable(Id::PasteKey, keys && W && KC);
    Enable(Id::ShiftKeyUp, keys && W && K && row > 0);
    Enable(Id::ShiftKeyDown, keys && W && K && row + 1 < keyModel_->rowCount());
}

void TMDIChild::UpdateDatabaseCommands() {
    [[maybe_unused]] const auto [S, W, R, L, C, X, K, KC, A] = StateLetters();
    using Id = TCommandId;
    Enable(Id::FileFlush, W);
    Enable(Id::Replace, W);
    Enable(TDatabaseEntry::ChangePassword, W);
    Enable(Id::FileCloseAll, true);
    Enable(Id::Find, true);
    Enable(Id::LocateID, true);
    Enable(Id::FindBroken, true);
    Enable(TDatabaseEntry::DatabaseInformation, A);
    Enable(TDatabaseEntry::UserManagement, W && A);
    UpdateSearchAgain();
}

void TMDIChild::UpdateSearchAgain() { Enable(TCommandId::SearchNext, !TKelmorClass::NoSearchMatch(searchState_)); }

}  // namespace kelmor
