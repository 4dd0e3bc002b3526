// TKeyListModel: the rows of the database window's key list. Row N-1 shows key N of the
// selected node: its name (the caption), its value text and the image of its type.
#pragma once

#include <QAbstractTableModel>
#include <QIcon>
#include <cstdint>
#include <functional>
#include <vector>

namespace kelmor {

struct TKeyRow {
    QString name;
    QString value;
    uint8_t type = 0;
};

class TKeyListModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum TColumn { kDescriptionColumn = 0, kValueColumn = 1 };
    static constexpr int kKeyTypeRole = Qt::UserRole + 1;

    using TTypeIcon = std::function<QIcon(uint8_t type)>;

    explicit TKeyListModel(QObject* parent = nullptr);
    void SetTypeIcons(TTypeIcon typeIcon) { typeIcon_ = std::move(typeIcon); }

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    // Each is one change for the view.
    void SetRows(std::vector<TKeyRow> rows);
    void InsertRow(int row, TKeyRow key);
    void RemoveRow(int row);
    void SetRow(int row, TKeyRow key);
    // Exchanges the contents of rows `row` and `row` + 1.
    void ExchangeWithNext(int row);

    const TKeyRow& Row(int row) const { return rows_[static_cast<size_t>(row)]; }

private:
    std::vector<TKeyRow> rows_;
    TTypeIcon typeIcon_;
};

}  // namespace kelmor
