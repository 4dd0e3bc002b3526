// TKelmorTreeView: the tree of the database window (one column, no header) with the
// in-place editing notices of TKelmorItemView.
#pragma once

#include "window/tkelmoritemview.h"

namespace kelmor {

class TKelmorTreeView : public TKelmorItemView {
    Q_OBJECT
public:
    static constexpr int kIndent = 19;

    explicit TKelmorTreeView(QWidget* parent = nullptr);
};

}  // namespace kelmor
