// TNodeTreeModel: the items of the database window's tree. Each item shows one engine
// node: its ID, its text (the description), its kind (node, link or the root), whether
// it shows an expand button before its children are read, and the cut display.
//
// Children are read lazily: an item whose children were never read reports
// canFetchMore, and fetchMore asks the window (ChildrenNeeded) to read them from the
// engine. Every item knows its parent and its row, so parent() is O(1), and every
// structural change is one batch for the views, so that a branch of 65,535 children
// expands, collapses and refills quickly.
#pragma once

#include <QAbstractItemModel>
#include <QIcon>
#include <QPixmap>
#include <cstdint>
#include <memory>
#include <unordered_map>
#include <vector>

namespace kelmor {

enum class TTreeItemKind { Node, Link, Root };

struct TTreeItemData {
    QString text;
    TTreeItemKind kind = TTreeItemKind::Node;
    int32_t nodeID = 0;
    bool hasChildren = false;  // the expand button, until the children are read
    bool cut = false;
};

class TNodeTreeModel : public QAbstractItemModel {
    Q_OBJECT
public:
    static constexpr int kNodeIDRole = Qt::UserRole + 1;

    explicit TNodeTreeModel(QObject* parent = nullptr);
    ~TNodeTreeModel() override;

    // The tree images: closed folder, open folder (a selected node), root, link.
    // An image at each density it has (TImageStrip::Pixmaps).
    using TImage = std::vector<QPixmap>;
    void SetImages(const TImage& closed, const TImage& open, const TImage& root, const TImage& link);

    QModelIndex index(int row, int column, const QModelIndex& parent = QModelIndex()) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    bool hasChildren(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool canFetchMore(const QModelIndex& parent) const override;
    void fetchMore(const QModelIndex& parent) override;

    // ---- Structure; each call is one change for the views ----
    // Adds a top-level item (the root item).
    QModelIndex AddTopItem(const TTreeItemData& data);
    // Appends one item as the parent's last child.
    QModelIndex AppendChild(const QModelIndex& parent, const TTreeItemData& data);
    // Appends the children read from the engine and marks the parent as read.
    void AppendChildren(const QModelIndex& parent, std::vector<TTreeItemData> items);
    // Deletes every child item; the parent's children count as not read again.
    void RemoveChildren(const QModelIndex& parent);
    // Deletes an item with its sub-items.
    void RemoveItem(const QModelIndex& index);
    // Exchanges the item in `row` with the one in `row` + 1 of the same parent.
    void ExchangeWithNext(const QModelIndex& parent, int row);

    // ---- Items ----
    int32_t NodeID(const QModelIndex& index) const;
    TTreeItemKind Kind(const QModelIndex& index) const;
    QString Text(const QModelIndex& index) const;
    bool IsCut(const QModelIndex& index) const;
    // The children were read (and not discarded since).
    bool ChildrenRead(const QModelIndex& index) const;
    void SetText(const QModelIndex& index, const QString& text);
    void SetHasChildren(const QModelIndex& index, bool hasChildren);
    void SetCut(const QModelIndex& index, bool cut);
    // The first item in display order that shows `nodeID`, or an invalid index when it
    // has none now.
    QModelIndex FindItem(int32_t nodeID) const;
    // The child item of `parent` that shows `nodeID`, or an invalid index.
    QModelIndex FindChild(const QModelIndex& parent, int32_t nodeID) const;
    // Every item that shows `nodeID`, in no particular order.
    std::vector<QModelIndex> ItemsOf(int32_t nodeID) const;
    // Every item, parents before their children.
    std::vector<QModelIndex> AllItems() const;
    // How many nodes have items.
    size_t ItemCount() const { return byNode_.size(); }

signals:
    // The children of `parent` are wanted and were never read (or were discarded).
    void ChildrenNeeded(const QModelIndex& parent);

private:
    struct TItem {
        TTreeItemData data;
        TItem* parent = nullptr;
        int row = 0;
        bool childrenRead = false;
        std::vector<std::unique_ptr<TItem>> children;
    };

    TItem* ItemOf(const QModelIndex& index) const;
    QModelIndex IndexOf(const TItem* item) const;
    void Forget(const TItem* item);  // drops the item and its branch from byNode_
    static void Renumber(TItem* parent, size_t from);
    // `a` comes before `b` in display order (parents before children, rows in order).
    static bool ShownBefore(const TItem* a, const TItem* b);
    QIcon IconFor(const TTreeItemData& data) const;

    // The invisible parent of the top-level items.
    TItem top_;
    // The items of each node shown.
    std::unordered_map<int32_t, std::vector<TItem*>> byNode_;
    QIcon nodeIcon_, linkIcon_, rootIcon_;
    QIcon cutNodeIcon_, cutLinkIcon_, cutRootIcon_;
};

}  // namespace kelmor
