#include "window/tkelmortreeview.h"

#include <QHeaderView>

namespace kelmor {

TKelmorTreeView::TKelmorTreeView(QWidget* parent) : TKelmorItemView(parent) {
    setHeaderHidden(true);
    setIndentation(kIndent);
    setRootIsDecorated(true);
    setItemsExpandable(true);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    header()->setStretchLastSection(true);
}

}  // namespace kelmor
