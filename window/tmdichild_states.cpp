// TMDIChild: the enabled states of the main window's node, key and database commands,
// computed from the selection and the database.
#include <QAction>

#include "window/tkelmorlistview.h"
#include "window/tkeylistmodel.h"
#include "window/tmdichild.h"

namespace kelmor {

namespace {

const char* const kAddCommands[] = {"AAddByte", "AAddInteger", "AAddLongint", "AAddFloat", "AAddDouble",
                                    "AAddCurrency", "AAddString", "AAddDate", "AAddSeq", "AAddBlob"};
const char* const kInsertCommands[] = {"AInsByte", "AInsInteger", "AInsLongint", "AInsFloat", "AInsDouble",
                                       "AInsCurrency", "AInsString", "AInsDate", "AInsSeq", "AInsBlob"};

}  // namespace

void TMDIChild::UpdateNodeCommands() {
    if (!IsActiveDatabaseWindow() && !activating_) return;
    const QModelIndex item = SelectedItem();
    const bool S = item.isValid();
    const int32_t node = S ? treeModel_->NodeID(item) : -1;
    const bool W = !engine_->IsReadOnly();
    const bool R = S && node == TKelmorClass::RootNode();
    const bool L = S && engine_->IsLink(node);
    const bool C = engine_->NodeMarked();
    const bool X = cutPending_;
    const bool previous = S && item.row() > 0;
    const bool next = S && item.row() + 1 < treeModel_->rowCount(item.parent());
    const bool children = S && engine_->HasChildren(node);

    Enable("ANewNode", S && W && !L);
    Enable("AImport", S && W && !L);
    Enable("ARenameNode", S && W && !L && !R);
    Enable("ADeleteNode", S && W && !R);
    Enable("ACutNode", S && W && !R);
    Enable("ACopyNode", S && W && !R);
    Enable("AInformation", S);
    Enable("APasteNode", S && W && !L && C);
    Enable("APasteAsLink", S && W && !L && C && !X);
    Enable("AShiftUp", S && W && !R && previous);
    Enable("AShiftDown", S && W && !R && next);
    Enable("ASortBranch", S && W && !R && !L && children);
    Enable("AJumpToSource", S && L);
    Enable("AExport", S && !L);
    Enable("ANodeSecurity", S && !R);
}

void TMDIChild::UpdateKeyCommands() {
    if (!IsActiveDatabaseWindow() && !activating_) return;
    const QModelIndex item = SelectedItem();
    const bool S = item.isValid();
    const int32_t node = S ? treeModel_->NodeID(item) : -1;
    const bool W = !engine_->IsReadOnly();
    const bool R = S && node == TKelmorClass::RootNode();
    const bool L = S && engine_->IsLink(node);
    const int row = keyList_->SelectedRow();
    const bool K = row >= 0;
    const bool KC = engine_->KeyMarked();
    const bool keys = S && !R && !L;

    for (const char* name : kAddCommands) Enable(name, keys && W);
    for (const char* name : kInsertCommands) Enable(name, keys && W && K);
    Enable("ARenameKey", keys && W && K);
    Enable("ADeleteKey", keys && W && K);
    Enable("ACutKey", keys && W && K);
    Enable("ACopyKey", keys && W && K);
    Enable("AEditKey", keys && K);  // also in a read-only database
    Enable("APasteKey", keys && W && KC);
    Enable("AShiftKeyUp", keys && W && K && row > 0);
    Enable("AShiftKeyDown", keys && W && K && row + 1 < keyModel_->rowCount());
}

void TMDIChild::UpdateDatabaseCommands() {
    const bool W = !engine_->IsReadOnly();
    const bool A = engine_->CurrentUser() == 1;
    Enable("AFileFlush", W);
    Enable("AReplace", W);
    Enable("MIChangePassword", W);
    Enable("AFileCloseAll", true);
    Enable("AFind", true);
    Enable("ALocateID", true);
    Enable("AFindBroken", true);
    Enable("MIDatabaseInformation", A);
    Enable("MIUserManagement", W && A);
    UpdateSearchAgain();
}

void TMDIChild::UpdateSearchAgain() { Enable("ASearchNext", !TKelmorClass::NoSearchMatch(searchState_)); }

}  // namespace kelmor
