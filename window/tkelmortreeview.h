// TKelmorTreeView: the tree of the database window (one column, no header) with the
// in-place editing notices of TKelmorItemView. Its column is as wide as the widest
// caption shown and at least as wide as the view: long names scroll sideways instead of
// being cut off.
#pragma once

#include "window/tkelmoritemview.h"

namespace kelmor {

class TKelmorTreeView : public TKelmorItemView {
    Q_OBJECT
public:
    static constexpr int kIndent = 19;

    explicit TKelmorTreeView(QWidget* parent = nullptr);

protected:
    void resizeEvent(QResizeEvent* event) override;
};

}  // namespace kelmor
