#include "app/ttoolbarentrylist.h"

#include <QAction>
#include <QCoreApplication>
#include <QDrag>
#include <QDragEnterEvent>
#include <QMimeData>
#include <QScrollBar>
#include <algorithm>

#include "app/ttoolbarentrydelegate.h"

namespace kelmor {

namespace {

const char* const kDragMimeType = "application/x-kelmor-toolbar-entry";
constexpr int kEntryRole = Qt::UserRole;

// Names a list for drags within this process only: another process never matches.
QByteArray ListToken(const TToolbarEntryList* list) {
    return QByteArray::number(QCoreApplication::applicationPid()) + ':' +
           QByteArray::number(reinterpret_cast<quintptr>(list));
}

}  // namespace

TToolbarEntryList::TToolbarEntryList(const TImageStrip& images, QWidget* parent) : QListWidget(parent) {
    setItemDelegate(new TToolbarEntryDelegate(images, this));
    setUniformItemSizes(true);
    // Rows are as wide as the list; a text too long for it is cut short with "...".
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setDragEnabled(true);
    setAcceptDrops(true);
    viewport()->setAcceptDrops(true);
    setDropIndicatorShown(false);
}

QString TToolbarEntryList::SeparatorText() { return QStringLiteral("Seperator"); }

QAction* TToolbarEntryList::EntryOf(const QModelIndex& index) {
    return qobject_cast<QAction*>(index.data(kEntryRole).value<QObject*>());
}

void TToolbarEntryList::InsertEntry(int row, QAction* command) {
    // A command shows the short part of its hint, which its tooltip holds.
    auto* item = new QListWidgetItem(command ? command->toolTip() : SeparatorText());
    item->setData(kEntryRole, QVariant::fromValue<QObject*>(command));
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsDragEnabled);
    insertItem(row, item);
}

QAction* TToolbarEntryList::Entry(int row) const {
    const QListWidgetItem* entry = item(row);
    return entry ? qobject_cast<QAction*>(entry->data(kEntryRole).value<QObject*>()) : nullptr;
}

std::vector<QAction*> TToolbarEntryList::Entries() const {
    std::vector<QAction*> entries;
    for (int row = 0; row < count(); ++row) entries.push_back(Entry(row));
    return entries;
}

bool TToolbarEntryList::Holds(const QAction* command) const {
    for (int row = 0; row < count(); ++row) {
        if (Entry(row) == command) return true;
    }
    return false;
}

int TToolbarEntryList::SelectedRow() const {
    const QList<QListWidgetItem*> selected = selectedItems();
    return selected.isEmpty() ? -1 : row(selected.first());
}

void TToolbarEntryList::SelectRow(int row) {
    if (row >= 0 && row < count()) {
        setCurrentRow(row, QItemSelectionModel::ClearAndSelect);
        scrollToItem(item(row));
        return;
    }
    clearSelection();
    setCurrentItem(nullptr);
}

QMimeData* TToolbarEntryList::CreateDragData(int row) const {
    auto* data = new QMimeData;
    data->setData(QString::fromLatin1(kDragMimeType), ListToken(this) + ' ' + QByteArray::number(row));
    return data;
}

std::optional<TToolbarEntryList::TDraggedEntry> TToolbarEntryList::DraggedEntry(
    const QMimeData* data, std::initializer_list<TToolbarEntryList*> lists) {
    if (!data || !data->hasFormat(QString::fromLatin1(kDragMimeType))) return std::nullopt;
    const QList<QByteArray> parts = data->data(QString::fromLatin1(kDragMimeType)).split(' ');
    if (parts.size() != 2) return std::nullopt;
    bool ok = false;
    const int row = parts[1].toInt(&ok);
    if (!ok) return std::nullopt;
    for (TToolbarEntryList* list : lists) {
        if (list && parts[0] == ListToken(list) && row >= 0 && row < list->count()) return TDraggedEntry{list, row};
    }
    return std::nullopt;
}

void TToolbarEntryList::SetDropHandlers(std::initializer_list<TToolbarEntryList*> sources, TDragOver over, TDrop drop) {
    sources_.assign(sources.begin(), sources.end());
    over_ = std::move(over);
    drop_ = std::move(drop);
}

void TToolbarEntryList::startDrag(Qt::DropActions) {
    const int row = SelectedRow();
    if (row < 0) return;
    auto* drag = new QDrag(this);
    drag->setMimeData(CreateDragData(row));
    // The lists change in the drop handler; nothing is left to do here afterwards.
    drag->exec(Qt::MoveAction, Qt::MoveAction);
}

std::optional<TToolbarEntryList::TDraggedEntry> TToolbarEntryList::Offer(QDropEvent* event) {
    std::optional<TDraggedEntry> entry;
    for (TToolbarEntryList* source : sources_) {
        if (!entry) entry = DraggedEntry(event->mimeData(), {source});
    }
    if (entry && over_ && over_(*entry, event->position().toPoint())) {
        event->setDropAction(Qt::MoveAction);
        event->accept();
        return entry;
    }
    event->ignore();
    return std::nullopt;
}

void TToolbarEntryList::dragEnterEvent(QDragEnterEvent* event) { Offer(event); }

void TToolbarEntryList::dragMoveEvent(QDragMoveEvent* event) {
    if (!Offer(event)) return;
    // Near the top or bottom edge the list scrolls, so that every row can be reached.
    const int y = event->position().toPoint().y();
    const int edge = TToolbarEntryDelegate::kRowHeight / 2;
    if (y < edge) verticalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepSub);
    else if (y >= viewport()->height() - edge) verticalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepAdd);
}

void TToolbarEntryList::dragLeaveEvent(QDragLeaveEvent* event) { event->accept(); }

void TToolbarEntryList::dropEvent(QDropEvent* event) {
    const std::optional<TDraggedEntry> entry = Offer(event);
    if (entry && drop_) drop_(*entry);
}

}  // namespace kelmor
