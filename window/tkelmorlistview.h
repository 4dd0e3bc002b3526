// TKelmorListView: the key list of the database window, a report view with column
// headers and whole-row selection, with the in-place editing notices of
// TKelmorItemView (the caption of a row is its first column).
#pragma once

#include "window/tkelmoritemview.h"

namespace kelmor {

class TKelmorListView : public TKelmorItemView {
    Q_OBJECT
public:
    static constexpr int kCaptionColumnWidth = 110;

    explicit TKelmorListView(QWidget* parent = nullptr);

    // The selected row, or -1.
    int SelectedRow() const;
    void SelectRow(int row);
};

}  // namespace kelmor
