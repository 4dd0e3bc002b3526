#include "window/tkeylistmodel.h"

#include <algorithm>

namespace kelmor {

TKeyListModel::TKeyListModel(QObject* parent) : QAbstractTableModel(parent) {}

int TKeyListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

int TKeyListModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : 2; }

QVariant TKeyListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount()) return QVariant();
    const TKeyRow& key = rows_[static_cast<size_t>(index.row())];
    switch (role) {
        case Qt::DisplayRole:
        case Qt::EditRole: return index.column() == kDescriptionColumn ? key.name : key.value;
        case Qt::DecorationRole:
            if (index.column() == kDescriptionColumn && typeIcon_) return typeIcon_(key.type);
            return QVariant();
        case kKeyTypeRole: return key.type;
        default: return QVariant();
    }
}

QVariant TKeyListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return QVariant();
    return section == kDescriptionColumn ? QStringLiteral("Description") : QStringLiteral("Value");
}

Qt::ItemFlags TKeyListModel::flags(const QModelIndex& index) const {
    if (!index.isValid()) return Qt::NoItemFlags;
    Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
    // Only the caption (the key name) is edited in place.
    if (index.column() == kDescriptionColumn) flags |= Qt::ItemIsEditable;
    return flags;
}

void TKeyListModel::SetRows(std::vector<TKeyRow> rows) {
    beginResetModel();
    rows_ = std::move(rows);
    endResetModel();
}

void TKeyListModel::InsertRow(int row, TKeyRow key) {
    row = std::clamp(row, 0, rowCount());
    beginInsertRows(QModelIndex(), row, row);
    rows_.insert(rows_.begin() + row, std::move(key));
    endInsertRows();
}

void TKeyListModel::RemoveRow(int row) {
    if (row < 0 || row >= rowCount()) return;
    beginRemoveRows(QModelIndex(), row, row);
    rows_.erase(rows_.begin() + row);
    endRemoveRows();
}

void TKeyListModel::SetRow(int row, TKeyRow key) {
    if (row < 0 || row >= rowCount()) return;
    rows_[static_cast<size_t>(row)] = std::move(key);
    emit dataChanged(index(row, 0), index(row, 1));
}

void TKeyListModel::ExchangeWithNext(int row) {
    if (row < 0 || row + 1 >= rowCount()) return;
    std::swap(rows_[static_cast<size_t>(row)], rows_[static_cast<size_t>(row) + 1]);
    emit dataChanged(index(row, 0), index(row + 1, 1));
}

}  // namespace kelmor
