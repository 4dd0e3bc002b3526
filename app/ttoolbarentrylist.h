// TToolbarEntryList: one of the two lists of the toolbar customisation dialog. Each row
// is an entry: a command, or a separator (no command). Rows can be dragged; what a drag
// carries names the list and the row it comes from, and the dialog decides what a drag
// over this list may do.
#pragma once

#include <QListWidget>
#include <functional>
#include <initializer_list>
#include <optional>
#include <vector>

class QAction;
class QMimeData;

namespace kelmor {

class TImageStrip;

class TToolbarEntryList : public QListWidget {
    Q_OBJECT
public:
    // What a drag of one row carries.
    struct TDraggedEntry {
        TToolbarEntryList* source;
        int row;
    };
    // Whether a drag may be dropped at `at` (viewport coordinates), and the drop itself.
    using TDragOver = std::function<bool(const TDraggedEntry& entry, const QPoint& at)>;
    using TDrop = std::function<void(const TDraggedEntry& entry)>;

    TToolbarEntryList(const TImageStrip& images, QWidget* parent = nullptr);

    // The text that stands for a separator.
    static QString SeparatorText();
    // The command of a row, nullptr for a separator.
    static QAction* EntryOf(const QModelIndex& index);

    void InsertEntry(int row, QAction* command);
    void AppendEntry(QAction* command) { InsertEntry(count(), command); }
    QAction* Entry(int row) const;
    std::vector<QAction*> Entries() const;
    bool Holds(const QAction* command) const;

    // The selected row, -1 when none; selecting -1 leaves no row selected.
    int SelectedRow() const;
    void SelectRow(int row);

    // What a drag of `row` carries (owned by the caller).
    QMimeData* CreateDragData(int row) const;
    // The entry a drag carries when it comes from one of `lists` and its row still exists.
    static std::optional<TDraggedEntry> DraggedEntry(const QMimeData* data,
                                                     std::initializer_list<TToolbarEntryList*> lists);
    // Drags from `sources` are offered to `over`; the others are refused.
    void SetDropHandlers(std::initializer_list<TToolbarEntryList*> sources, TDragOver over, TDrop drop);

protected:
    void startDrag(Qt::DropActions supportedActions) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dragLeaveEvent(QDragLeaveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    // Accepts or refuses a drag at its current position; the entry when accepted.
    std::optional<TDraggedEntry> Offer(QDropEvent* event);

    std::vector<TToolbarEntryList*> sources_;
    TDragOver over_;
    TDrop drop_;
};

}  // namespace kelmor
