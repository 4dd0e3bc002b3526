// TMDIChild: the key commands (add, insert, rename, edit value, delete, shift), the renaming of a
// key in place and the shortcuts an in-place editor takes away from the commands.
#include <QAction>
#include <QDate>

#include "editors/keyvaluebuffer.h"
#include "editors/tkeyeditorform.h"
#include "ui/common.h"
#include "ui/guarded.h"
#include "window/tkelmorlistview.h"
#include "window/tkeylistmodel.h"
#include "window/tmdichild.h"

namespace kelmor {

namespace {

// The key type of each add and insert command pair, in menu order.
constexpr uint8_t kMenuKeyTypes[] = {ktByte,     ktInteger, ktLongint, ktFloat,    ktDouble,
                                     ktCurrency, ktString,  ktDate,    ktSequence, ktBlob};
static_assert(std::size(kMenuKeyTypes) == std::size(kKeyTypeCommands));

}  // namespace

// ---------------------------------------------------------------- adding and inserting

bool TMDIChild::AddKeyByCommand(TCommandId id) {
    for (std::size_t i = 0; i < std::size(kKeyTypeCommands); ++i) {
        if (id == kKeyTypeCommands[i].add || id == kKeyTypeCommands[i].insert) {
            AddKey(kMenuKeyTypes[i], id == kKeyTypeCommands[i].insert);
            return true;
        }
    }
    return false;
}

void TMDIChild::InsertNewKey(uint8_t type, uint16_t position) {
    static const std::string name = "New Key";
    const uint8_t none = 0;  // the first byte of an empty sequence or blob
    switch (type) {
        case ktByte: engine_->InsertByteKey(name, position, 0); break;
        case ktInteger: engine_->InsertIntegerKey(name, position, 0); break;
        case ktLongint: engine_->InsertLongintKey(name, position, 0); break;
        case ktFloat: engine_->InsertFloatKey(name, position, 0.0f); break;
        case ktString: engine_->InsertStringKey(name, position, std::string()); break;
        case ktSequence: engine_->InsertSequenceKey(name, position, &none, 0); break;
        case ktBlob: engine_->InsertBlobKey(name, position, &none, 0); break;
        case ktCurrency: engine_->InsertCurrencyKey(name, position, 0); break;
        case ktDouble: engine_->InsertDoubleKey(name, position, 0.0); break;
        case ktDate: {
            // Today, without a time of day.
            const QDate today = QDate::currentDate();
            engine_->InsertDateKey(name, position, EncodeDate(today.year(), today.month(), today.day()));
            break;
        }
        default: break;
    }
}

void TMDIChild::AddKey(uint8_t type, bool insert) {
    const int32_t node = SelectedNode();
    if (node <= TKelmorClass::RootNode() || type < kFirstKeyType || type > kLastKeyType) return;
    const int selectedRow = SelectedKeyRow();
    if (insert && selectedRow < 0) return;
    engine_->LoadNode(node);
    const uint16_t position =
        insert ? static_cast<uint16_t>(selectedRow + 1) : static_cast<uint16_t>(engine_->KeyCount() + 1);
    InsertNewKey(type, position);
    engine_->SaveNode(node);
    const int row = position - 1;
    keyModel_->InsertRow(row, KeyRowOf(position));
    keyList_->SelectRow(row);
    keyList_->setFocus();
    UpdateKeyCommands();
    UpdateInfoPane();
    keyList_->StartEdit(keyModel_->index(row, TKeyListModel::kDescriptionColumn));
}

// ---------------------------------------------------------------- renaming

void TMDIChild::StartRenameKey() {
    const int row = SelectedKeyRow();
    if (row >= 0) keyList_->StartEdit(keyModel_->index(row, TKeyListModel::kDescriptionColumn));
}

void TMDIChild::KeyListEdited(const QModelIndex& edited, const QString& accepted) {
    const int row = edited.row();
    // The node whose keys are listed: the tree's selection may have moved on already.
    const int32_t node = keyListNode_;
    QString text = accepted;
    if (!CheckCaption(text) || row < 0 || node <= TKelmorClass::RootNode()) return;
    engine_->LoadNode(node);
    const uint16_t key = static_cast<uint16_t>(row + 1);
    engine_->RenameKey(key, ToLatin1(text));
    engine_->SaveNode(node);
    if (row < keyModel_->rowCount()) FillKeyRow(key, row);
    UpdateInfoPane();
}

void TMDIChild::SetEditShortcuts(bool restore) {
    using C = TCommandId;
    const struct {
        TCommandId id;
        QKeySequence key;
    } shortcuts[] = {
        {C::DeleteNode, QKeySequence(Qt::Key_Delete)},     {C::CutNode, QKeySequence(Qt::CTRL | Qt::Key_X)},
        {C::CopyNode, QKeySequence(Qt::CTRL | Qt::Key_C)}, {C::PasteNode, QKeySequence(Qt::CTRL | Qt::Key_V)},
        {C::DeleteKey, QKeySequence(Qt::Key_Delete)},      {C::CutKey, QKeySequence(Qt::CTRL | Qt::Key_X)},
        {C::CopyKey, QKeySequence(Qt::CTRL | Qt::Key_C)},  {C::PasteKey, QKeySequence(Qt::CTRL | Qt::Key_V)}};
    for (const auto& entry : shortcuts) Command(entry.id)->setShortcut(restore ? entry.key : QKeySequence());
}

// ---------------------------------------------------------------- editing a value

void TMDIChild::EditKeyValue() {
    const int32_t node = SelectedNode();
    const int row = SelectedKeyRow();
    if (node <= TKelmorClass::RootNode() || row < 0) return;
    engine_->LoadNode(node);
    const uint16_t key = static_cast<uint16_t>(row + 1);
    const std::string name = engine_->GetKeyName(key);
    const uint8_t type = engine_->KeyType(key);
    int length = 0;
    QByteArray buffer = ReadKeyValueBuffer(*engine_, key, length);
    TKeyEditorForm editor(this, engine_->IsReadOnly(), length, buffer, FromLatin1(name), type, host_.CommandImages(),
                          engine_->RegionalSettings());
    if (editor.exec() != QDialog::Accepted || engine_->IsReadOnly()) return;
    try {
        engine_->DeleteKey(key);
        InsertKeyValueBuffer(*engine_, name, key, type, buffer, length);
        engine_->SaveNode(node);
    } catch (...) {
        // The node in memory goes back to what is stored, so that no later save writes it
        // without the key.
        engine_->LoadNode(node);
        throw;
    }
    FillKeyRow(key, row);
    UpdateInfoPane();
}

// ---------------------------------------------------------------- deleting and shifting

void TMDIChild::DeleteSelectedKey() {
    const int32_t node = SelectedNode();
    const int row = SelectedKeyRow();
    if (node <= TKelmorClass::RootNode() || row < 0) return;
    engine_->LoadNode(node);
    const uint16_t key = static_cast<uint16_t>(row + 1);
    if (host_.Option(TDatabaseHost::TOption::ConfirmDeletion) &&
        ShowCentredMessage(QStringLiteral("Do you wish to Delete the Key\n'") + FromLatin1(engine_->GetKeyName(key)) +
                               QStringLiteral("' ?"),
                           TMessageKind::Warning, QMessageBox::Yes | QMessageBox::No, this) != QMessageBox::Yes)
        return;
    engine_->DeleteKey(key);
    engine_->SaveNode(node);
    keyModel_->RemoveRow(row);
    UpdateInfoPane();
    UpdateKeyCommands();
}

void TMDIChild::ShiftKey(bool up) {
    const int32_t node = SelectedNode();
    const int row = SelectedKeyRow();
    if (node <= TKelmorClass::RootNode() || row < 0) return;
    const int target = up ? row - 1 : row + 1;
    if (target < 0 || target >= keyModel_->rowCount()) return;
    engine_->LoadNode(node);
    // SwapKeys(k) exchanges keys k and k + 1 (1-based): rows k - 1 and k.
    engine_->SwapKeys(static_cast<uint16_t>(up ? row : row + 1));
    engine_->SaveNode(node);
    keyModel_->ExchangeWithNext(up ? row - 1 : row);
    keyList_->SelectRow(target);
    keyList_->setFocus();
}

}  // namespace kelmor
