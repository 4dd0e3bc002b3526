#include "window/tkelmorlistview.h"

#include <QHeaderView>
#include <QItemSelectionModel>

namespace kelmor {

TKelmorListView::TKelmorListView(QWidget* parent) : TKelmorItemView(parent) {
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setExpandsOnDoubleClick(false);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setAllColumnsShowFocus(true);
    header()->setSectionsClickable(false);
    header()->setSectionsMovable(false);
    header()->setStretchLastSection(true);
    header()->setDefaultSectionSize(kCaptionColumnWidth);
}

int TKelmorListView::SelectedRow() const {
    if (!selectionModel()) return -1;
    const QModelIndexList rows = selectionModel()->selectedRows();
    return rows.isEmpty() ? -1 : rows.first().row();
}

void TKelmorListView::SelectRow(int row) {
    if (!model() || row < 0 || row >= model()->rowCount()) return;
    const QModelIndex index = model()->index(row, 0);
    selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    scrollTo(index);
}

}  // namespace kelmor
