// TMDIChild: Find, Replace, Find Broken Links, Search Again and Locate by ID. Every search
// step runs on a thread of its own behind a small modal progress window; the window then
// shows the match and, when replacing, replaces it.
#include <QApplication>
#include <QPointer>

#include "engine/keytypes.h"
#include "engine/keyvaluefromtext.h"
#include "search/textreplacement.h"
#include "search/tfinddialog.h"
#include "search/tlocatenodeform.h"
#include "search/tsearchprogressform.h"
#include "ui/common.h"
#include "window/tkelmorlistview.h"
#include "window/tkelmortreeview.h"
#include "window/tkeylistmodel.h"
#include "window/tmdichild.h"

namespace kelmor {

namespace {

constexpr uint8_t kFindMode = 0;
constexpr uint8_t kReplaceMode = 1;

QString DoubledAmpersands(QString text) { return text.replace(QLatin1Char('&'), QStringLiteral("&&")); }

}  // namespace

// ---------------------------------------------------------------- commands

// The dialogs are gone before the search runs: a window closed during the search takes
// its children with it.
void TMDIChild::Find() {
    TKelmorSearch settings;
    {
        TFindDialog dialog(searchState_, this);
        if (dialog.exec() != QDialog::Accepted) return;
        settings = dialog.SearchState();
    }
    StartSearch(settings, kFindMode);
}

void TMDIChild::Replace() {
    TKelmorSearch settings;
    {
        TReplaceDialog dialog(searchState_, this);
        if (dialog.exec() != QDialog::Accepted) return;
        settings = dialog.SearchState();
    }
    StartSearch(settings, kReplaceMode);
}

void TMDIChild::StartSearch(const TKelmorSearch& settings, uint8_t mode) {
    searchState_ = settings;
    searchState_.flags &= ~sfBrokenLinks;
    searchState_.callerByte = mode;
    InstallProgressReporter();
    RunSearch(true);
}

void TMDIChild::FindBrokenLinks() {
    searchState_.flags |= sfBrokenLinks;
    searchState_.callerByte = kFindMode;
    InstallProgressReporter();
    RunSearch(true);
}

void TMDIChild::SearchAgain() { RunSearch(false); }

void TMDIChild::LocateByID() {
    TLocateNodeForm dialog(lastLocatedID_, this);
    if (dialog.exec() != QDialog::Accepted) return;
    lastLocatedID_ = dialog.NodeID();
    if (!engine_->NodeExists(lastLocatedID_)) {
        ShowCentredMessage(QStringLiteral("Node ID does not exist."), TMessageKind::Error, QMessageBox::Ok, this);
        return;
    }
    const QModelIndex item = RevealNode(lastLocatedID_);
    if (item.isValid()) SelectTreeItem(item);
    // The node lies where the user may not see it.
    else ShowCentredMessage(QStringLiteral("Access Denied."), TMessageKind::Error, QMessageBox::Ok, this);
}

void TMDIChild::InstallProgressReporter() {
    // Called on the search thread: the percentage is posted, never waited for, since this
    // thread waits for the search thread when the progress window closes.
    searchState_.onProgress = [this](TKelmorClass&, int percent) {
        QMetaObject::invokeMethod(
            this, [this, percent] { host_.SetProgress(percent); }, Qt::QueuedConnection);
    };
}

// ---------------------------------------------------------------- the search run

void TMDIChild::RunSearch(bool first) {
    searchAborted_ = false;
    uint16_t flags = searchState_.flags;
    if (first && (flags & sfSubNodesOnly)) {
        const int32_t selected = SelectedNode();
        searchState_.startNode = selected >= 0 ? selected : TKelmorClass::RootNode();
    }
    const bool replacing = searchState_.callerByte == kReplaceMode;
    bool repeat = replacing && (flags & sfReplaceAll);
    do {
        int32_t match = -1;
        QString error;
        if (!RunSearchStep(first, match, error)) return;  // the window has closed meanwhile
        first = false;
        ShowNodePath();
        if (!error.isEmpty()) {
            ShowCentredMessage(error, TMessageKind::Error, QMessageBox::Ok, this);
            break;
        }
        const bool textless = searchState_.searchText.empty() && !(flags & sfBrokenLinks);
        if (match == -1 || textless || searchAborted_) {
            if (!searchAborted_) {
                const QString text = (flags & sfBrokenLinks)
                                         ? QStringLiteral("No broken links found.")
                                         : QStringLiteral("Search value '") +
                                               DoubledAmpersands(FromLatin1(searchState_.searchText)) +
                                               QStringLiteral("' not found.");
                ShowCentredMessage(text, TMessageKind::Information, QMessageBox::Ok, this);
            }
            break;
        }
        const QModelIndex item = ShowMatch(match);
        if (replacing) ReplaceMatch(match, item, flags, repeat);
    } while (repeat);
    UpdateSearchAgain();
}

bool TMDIChild::RunSearchStep(bool first, int32_t& match, QString& error) {
    const QPointer<TMDIChild> alive(this);
    TDatabaseHost& host = host_;  // outlives this window
    QApplication::setOverrideCursor(Qt::BusyCursor);
    host.BeginProgress(QStringLiteral("Searching..."));
    {
        TSearchProgressForm progress(this, match, searchState_, first, *engine_);
        progress.SetOnAbort([this] { searchAborted_ = true; });
        BeginWorkerUse([&progress] { progress.StopSearch(); });
        progress.exec();
        // A window closed meanwhile has stopped the search and waited for its thread.
        if (alive) {
            EndWorkerUse();
            error = progress.ErrorText();
        }
    }
    host.EndProgress();
    QApplication::restoreOverrideCursor();
    return alive;
}

QModelIndex TMDIChild::ShowMatch(int32_t match) {
    QModelIndex item = SelectedItem();
    if (!item.isValid() || treeModel_->NodeID(item) != match) {
        item = RevealNode(match);
        if (item.isValid()) {
            SelectTreeItem(item);
            RunPendingSelection();  // the key list shows the match's keys now
            QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        }
    }
    const uint8_t foundIn = searchState_.foundIn;
    if (foundIn == kFoundKeyName || foundIn == kFoundKeyValue) {
        const int row = searchState_.foundKey - 1;
        if (item.isValid()) keyList_->SelectRow(row);
        else pendingKeyIndex_ = row;
        keyList_->setFocus();
    } else {
        nodeTree_->setFocus();
    }
    UpdateNodeCommands();
    UpdateKeyCommands();
    return item;
}

// ---------------------------------------------------------------- replacing

void TMDIChild::ReplaceMatch(int32_t match, const QModelIndex& item, uint16_t& flags, bool& repeat) {
    engine_->LoadNode(match);
    const uint8_t foundIn = searchState_.foundIn;
    const uint16_t key = searchState_.foundKey;
    if (foundIn == kFoundKeyValue) {
        const uint8_t type = engine_->KeyType(key);
        if (type == ktSequence || type == ktBlob) {
            if (ShowCentredMessage(QStringLiteral("Cannot change blob or sequence values."), TMessageKind::Information,
                                   QMessageBox::Ok | QMessageBox::Abort, this) == QMessageBox::Abort)
                repeat = false;
            return;
        }
    }
    if (flags & sfPromptOnReplace) {
        QMessageBox::StandardButtons buttons = QMessageBox::Yes | QMessageBox::No | QMessageBox::Abort;
        if (!repeat) buttons |= QMessageBox::YesToAll;
        const QMessageBox::StandardButton answer = ShowCentredMessage(
            QStringLiteral("Do you wish to Replace this Value ?"), TMessageKind::Confirmation, buttons, this);
        if (answer == QMessageBox::YesToAll) {
            flags &= ~sfPromptOnReplace;  // no more questions in this run
            repeat = true;
        } else if (answer == QMessageBox::Abort) {
            repeat = false;
            engine_->CancelSearch(searchState_);
            return;
        } else if (answer != QMessageBox::Yes) {
            return;
        }
        engine_->LoadNode(match);  // the question let other work reach the engine
    }
    switch (foundIn) {
        case kFoundDescription: ReplaceInDescription(match, item); break;
        case kFoundKeyName: ReplaceInKeyName(match, item, key); break;
        case kFoundKeyValue: ReplaceInKeyValue(match, item, key, repeat); break;
        default: break;
    }
}

std::string TMDIChild::ReplacedText(const std::string& old) const {
    return ReplaceIgnoringCase(old, searchState_.searchText, searchState_.replacementText);
}

void TMDIChild::ReplaceInDescription(int32_t match, const QModelIndex& item) {
    if (item.isValid()) {
        // As if the user had typed the new text in place, with the same checks.
        NodeTreeEdited(item, FromLatin1(ReplacedText(ToLatin1(treeModel_->Text(item)))));
        return;
    }
    QString text = FromLatin1(ReplacedText(engine_->GetDescription()));
    if (!CheckCaption(text)) return;
    engine_->LoadNode(match);
    engine_->SetDescription(ToLatin1(text));
    engine_->SaveNode(match);
    UpdateInfoPane();
}

void TMDIChild::ReplaceInKeyName(int32_t match, const QModelIndex& item, uint16_t key) {
    const int row = key - 1;
    if (item.isValid() && keyListNode_ == match && row < keyModel_->rowCount()) {
        KeyListEdited(keyModel_->index(row, TKeyListModel::kDescriptionColumn),
                      FromLatin1(ReplacedText(ToLatin1(keyModel_->Row(row).name))));
        return;
    }
    engine_->RenameKey(key, ReplacedText(engine_->GetKeyName(key)).substr(0, kMaxCaption));
    engine_->SaveNode(match);
    UpdateInfoPane();
}

void TMDIChild::ReplaceInKeyValue(int32_t match, const QModelIndex& item, uint16_t key, bool& repeat) {
    const std::string name = engine_->GetKeyName(key);
    const std::string text = ReplacedText(engine_->KeyValueText(key));
    bool replaced = false;
    try {
        replaced = InsertKeyFromText(*engine_, name, key, engine_->KeyType(key), text);
        if (replaced) {
            engine_->DeleteKey(key + 1);
            engine_->SaveNode(match);
        }
    } catch (const std::exception&) {
        replaced = false;
    }
    if (!replaced) {
        engine_->LoadNode(match);  // nothing half done stays in the loaded record
        if (ShowCentredMessage(QStringLiteral("Unable to replace value. Incorrect format."), TMessageKind::Error,
                               QMessageBox::Ok | QMessageBox::Abort, this) == QMessageBox::Abort)
            repeat = false;
        return;
    }
    if (item.isValid() && keyListNode_ == match && key - 1 < keyModel_->rowCount()) FillKeyRow(key, key - 1);
    UpdateInfoPane();
}

}  // namespace kelmor
