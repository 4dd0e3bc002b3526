#include "window/tnodetreemodel.h"

#include <QGuiApplication>
#include <QPainter>
#include <QPalette>
#include <algorithm>

namespace kelmor {

namespace {

// The cut display of an image: the picture at half strength, at each density.
TNodeTreeModel::TImage Faded(const TNodeTreeModel::TImage& image) {
    TNodeTreeModel::TImage faded;
    for (const QPixmap& pixmap : image) {
        QPixmap dim(pixmap.size());
        dim.fill(Qt::transparent);
        {
            QPainter painter(&dim);
            painter.setOpacity(0.45);
            painter.drawPixmap(0, 0, pixmap);
        }
        dim.setDevicePixelRatio(pixmap.devicePixelRatio());
        faded.push_back(dim);
    }
    return faded;
}

QIcon TwoStateIcon(const TNodeTreeModel::TImage& normal, const TNodeTreeModel::TImage& selected) {
    QIcon icon;
    for (const QPixmap& pixmap : normal) icon.addPixmap(pixmap, QIcon::Normal);
    for (const QPixmap& pixmap : selected) icon.addPixmap(pixmap, QIcon::Selected);
    return icon;
}

}  // namespace

TNodeTreeModel::TNodeTreeModel(QObject* parent) : QAbstractItemModel(parent) { top_.childrenRead = true; }

TNodeTreeModel::~TNodeTreeModel() = default;

void TNodeTreeModel::SetImages(const TImage& closed, const TImage& open, const TImage& root, const TImage& link) {
    nodeIcon_ = TwoStateIcon(closed, open);
    linkIcon_ = TwoStateIcon(link, link);
    rootIcon_ = TwoStateIcon(root, root);
    cutNodeIcon_ = TwoStateIcon(Faded(closed), Faded(open));
    cutLinkIcon_ = TwoStateIcon(Faded(link), Faded(link));
    cutRootIcon_ = TwoStateIcon(Faded(root), Faded(root));
}

// ---------------------------------------------------------------- the model interface

TNodeTreeModel::TItem* TNodeTreeModel::ItemOf(const QModelIndex& index) const {
    return index.isValid() ? static_cast<TItem*>(index.internalPointer()) : const_cast<TItem*>(&top_);
}

QModelIndex TNodeTreeModel::IndexOf(const TItem* item) const {
    if (!item || item == &top_) return QModelIndex();
    return createIndex(item->row, 0, const_cast<TItem*>(item));
}

QModelIndex TNodeTreeModel::index(int row, int column, const QModelIndex& parent) const {
    const TItem* owner = ItemOf(parent);
    if (column != 0 || row < 0 || static_cast<size_t>(row) >= owner->children.size()) return QModelIndex();
    return createIndex(row, 0, owner->children[static_cast<size_t>(row)].get());
}

QModelIndex TNodeTreeModel::parent(const QModelIndex& child) const {
    if (!child.isValid()) return QModelIndex();
    return IndexOf(ItemOf(child)->parent);
}

int TNodeTreeModel::rowCount(const QModelIndex& parent) const {
    if (parent.isValid() && parent.column() != 0) return 0;
    return static_cast<int>(ItemOf(parent)->children.size());
}

int TNodeTreeModel::columnCount(const QModelIndex&) const { return 1; }

bool TNodeTreeModel::hasChildren(const QModelIndex& parent) const {
    const TItem* item = ItemOf(parent);
    if (!item->children.empty()) return true;
    return !item->childrenRead && item->data.hasChildren;
}

bool TNodeTreeModel::canFetchMore(const QModelIndex& parent) const {
    if (!parent.isValid()) return false;
    const TItem* item = ItemOf(parent);
    return item->children.empty() && !item->childrenRead && item->data.hasChildren;
}

void TNodeTreeModel::fetchMore(const QModelIndex& parent) {
    if (canFetchMore(parent)) emit ChildrenNeeded(parent);
}

QIcon TNodeTreeModel::IconFor(const TTreeItemData& data) const {
    switch (data.kind) {
        case TTreeItemKind::Node: return data.cut ? cutNodeIcon_ : nodeIcon_;
        case TTreeItemKind::Link: return data.cut ? cutLinkIcon_ : linkIcon_;
        case TTreeItemKind::Root: return data.cut ? cutRootIcon_ : rootIcon_;
    }
    return QIcon();
}

QVariant TNodeTreeModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid()) return QVariant();
    const TTreeItemData& data = ItemOf(index)->data;
    switch (role) {
        case Qt::DisplayRole:
        case Qt::EditRole: return data.text;
        case Qt::DecorationRole: return IconFor(data);
        case Qt::ForegroundRole:
            if (data.cut) return QGuiApplication::palette().brush(QPalette::Disabled, QPalette::Text);
            return QVariant();
        case kNodeIDRole: return data.nodeID;
        default: return QVariant();
    }
}

Qt::ItemFlags TNodeTreeModel::flags(const QModelIndex& index) const {
    if (!index.isValid()) return Qt::NoItemFlags;
    // Whether an edit may really start is the window's decision.
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable;
}

// ---------------------------------------------------------------- structure

void TNodeTreeModel::Renumber(TItem* parent, size_t from) {
    for (size_t i = from; i < parent->children.size(); ++i) parent->children[i]->row = static_cast<int>(i);
}

void TNodeTreeModel::Forget(const TItem* item) {
    std::vector<const TItem*> pending{item};
    while (!pending.empty()) {
        const TItem* next = pending.back();
        pending.pop_back();
        const auto found = byNode_.find(next->data.nodeID);
        if (found != byNode_.end()) {
            std::vector<TItem*>& items = found->second;
            items.erase(std::remove(items.begin(), items.end(), next), items.end());
            if (items.empty()) byNode_.erase(found);
        }
        for (const auto& child : next->children) pending.push_back(child.get());
    }
}

QModelIndex TNodeTreeModel::AddTopItem(const TTreeItemData& data) { return AppendChild(QModelIndex(), data); }

QModelIndex TNodeTreeModel::AppendChild(const QModelIndex& parent, const TTreeItemData& data) {
    TItem* owner = ItemOf(parent);
    const int row = static_cast<int>(owner->children.size());
    beginInsertRows(parent, row, row);
    auto item = std::make_unique<TItem>();
    item->data = data;
    item->parent = owner;
    item->row = row;
    byNode_[data.nodeID].push_back(item.get());
    owner->children.push_back(std::move(item));
    endInsertRows();
    return index(row, 0, parent);
}

void TNodeTreeModel::AppendChildren(const QModelIndex& parent, std::vector<TTreeItemData> items) {
    TItem* owner = ItemOf(parent);
    owner->childrenRead = true;
    if (items.empty()) {
        // The expand button may have gone.
        if (parent.isValid()) emit dataChanged(parent, parent);
        return;
    }
    const size_t first = owner->children.size();
    beginInsertRows(parent, static_cast<int>(first), static_cast<int>(first + items.size() - 1));
    owner->children.reserve(first + items.size());
    byNode_.reserve(byNode_.size() + items.size());
    for (TTreeItemData& data : items) {
        auto item = std::make_unique<TItem>();
        item->data = std::move(data);
        item->parent = owner;
        item->row = static_cast<int>(owner->children.size());
        byNode_[item->data.nodeID].push_back(item.get());
        owner->children.push_back(std::move(item));
    }
    endInsertRows();
}

void TNodeTreeModel::RemoveChildren(const QModelIndex& parent) {
    TItem* owner = ItemOf(parent);
    owner->childrenRead = false;
    if (owner->children.empty()) return;
    beginRemoveRows(parent, 0, static_cast<int>(owner->children.size()) - 1);
    for (const auto& child : owner->children) Forget(child.get());
    owner->children.clear();
    endRemoveRows();
}

void TNodeTreeModel::RemoveItem(const QModelIndex& index) {
    if (!index.isValid()) return;
    TItem* item = ItemOf(index);
    TItem* owner = item->parent;
    const QModelIndex parent = IndexOf(owner);
    const int row = item->row;
    beginRemoveRows(parent, row, row);
    Forget(item);
    owner->children.erase(owner->children.begin() + row);
    Renumber(owner, static_cast<size_t>(row));
    endRemoveRows();
    if (owner->children.empty() && parent.isValid()) emit dataChanged(parent, parent);
}

void TNodeTreeModel::ExchangeWithNext(const QModelIndex& parent, int row) {
    TItem* owner = ItemOf(parent);
    if (row < 0 || static_cast<size_t>(row) + 1 >= owner->children.size()) return;
    // Moving `row` in front of `row` + 2 puts it behind its next sibling.
    if (!beginMoveRows(parent, row, row, parent, row + 2)) return;
    std::swap(owner->children[static_cast<size_t>(row)], owner->children[static_cast<size_t>(row) + 1]);
    Renumber(owner, static_cast<size_t>(row));
    endMoveRows();
}

// ---------------------------------------------------------------- items

int32_t TNodeTreeModel::NodeID(const QModelIndex& index) const {
    return index.isValid() ? ItemOf(index)->data.nodeID : -1;
}

TTreeItemKind TNodeTreeModel::Kind(const QModelIndex& index) const {
    return index.isValid() ? ItemOf(index)->data.kind : TTreeItemKind::Node;
}

QString TNodeTreeModel::Text(const QModelIndex& index) const {
    return index.isValid() ? ItemOf(index)->data.text : QString();
}

bool TNodeTreeModel::IsCut(const QModelIndex& index) const { return index.isValid() && ItemOf(index)->data.cut; }

bool TNodeTreeModel::ChildrenRead(const QModelIndex& index) const { return ItemOf(index)->childrenRead; }

void TNodeTreeModel::SetText(const QModelIndex& index, const QString& text) {
    if (!index.isValid()) return;
    ItemOf(index)->data.text = text;
    emit dataChanged(index, index, {Qt::DisplayRole, Qt::EditRole});
}

void TNodeTreeModel::SetHasChildren(const QModelIndex& index, bool hasChildren) {
    if (!index.isValid()) return;
    TItem* item = ItemOf(index);
    if (item->data.hasChildren == hasChildren && !item->childrenRead) return;
    item->data.hasChildren = hasChildren;
    // A new button state means the children are to be read (again) on expansion.
    if (item->children.empty()) item->childrenRead = false;
    emit dataChanged(index, index);
}

void TNodeTreeModel::SetCut(const QModelIndex& index, bool cut) {
    if (!index.isValid() || ItemOf(index)->data.cut == cut) return;
    ItemOf(index)->data.cut = cut;
    emit dataChanged(index, index, {Qt::DecorationRole, Qt::ForegroundRole});
}

bool TNodeTreeModel::ShownBefore(const TItem* a, const TItem* b) {
    const auto rows = [](const TItem* item) {
        std::vector<int> path;
        for (; item->parent != nullptr; item = item->parent) path.push_back(item->row);
        std::reverse(path.begin(), path.end());
        return path;
    };
    return rows(a) < rows(b);
}

QModelIndex TNodeTreeModel::FindItem(int32_t nodeID) const {
    const auto found = byNode_.find(nodeID);
    if (found == byNode_.end() || found->second.empty()) return QModelIndex();
    // Should a node be shown by several items, the first in display order wins.
    const TItem* first = found->second.front();
    for (size_t i = 1; i < found->second.size(); ++i) {
        if (ShownBefore(found->second[i], first)) first = found->second[i];
    }
    return IndexOf(first);
}

QModelIndex TNodeTreeModel::FindChild(const QModelIndex& parent, int32_t nodeID) const {
    const auto found = byNode_.find(nodeID);
    if (found == byNode_.end()) return QModelIndex();
    const TItem* owner = ItemOf(parent);
    for (const TItem* item : found->second) {
        if (item->parent == owner) return IndexOf(item);
    }
    return QModelIndex();
}

std::vector<QModelIndex> TNodeTreeModel::ItemsOf(int32_t nodeID) const {
    std::vector<QModelIndex> items;
    const auto found = byNode_.find(nodeID);
    if (found != byNode_.end()) {
        for (const TItem* item : found->second) items.push_back(IndexOf(item));
    }
    return items;
}

std::vector<QModelIndex> TNodeTreeModel::AllItems() const {
    std::vector<QModelIndex> items;
    items.reserve(byNode_.size());
    std::vector<const TItem*> pending;
    for (auto it = top_.children.rbegin(); it != top_.children.rend(); ++it) pending.push_back(it->get());
    while (!pending.empty()) {
        const TItem* item = pending.back();
        pending.pop_back();
        items.push_back(IndexOf(item));
        for (auto it = item->children.rbegin(); it != item->children.rend(); ++it) pending.push_back(it->get());
    }
    return items;
}

}  // namespace kelmor
