#include "window/tkelmortreeview.h"

#include <QHeaderView>

namespace kelmor {

TKelmorTreeView::TKelmorTreeView(QWidget* parent) : TKelmorItemView(parent) {
    setHeaderHidden(true);
    setIndentation(kIndent);
    setRootIsDecorated(true);
    setItemsExpandable(true);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    header()->setStretchLastSection(false);
    header()->setSectionResizeMode(QHeaderView::ResizeToContents);  // every section, also those to come
}

void TKelmorTreeView::resizeEvent(QResizeEvent* event) {
    TKelmorItemView::resizeEvent(event);
    header()->setMinimumSectionSize(viewport()->width());
}

}  // namespace kelmor
