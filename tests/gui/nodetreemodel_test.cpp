// The tree model of the database window: parents and rows stay consistent through batch
// insertion, removal, exchanges and refills (checked by Qt's model tester as well), the
// lazy reading of children is asked for exactly when it is due, and items are found by
// node ID.
#include <QAbstractItemModelTester>
#include <QSignalSpy>
#include <QTest>

#include "window/tnodetreemodel.h"

using namespace kelmor;

namespace {

TTreeItemData Node(int32_t id, const QString& text, bool hasChildren = false) {
    TTreeItemData data;
    data.nodeID = id;
    data.text = text;
    data.hasChildren = hasChildren;
    return data;
}

std::vector<TTreeItemData> Nodes(int32_t firstID, int count) {
    std::vector<TTreeItemData> items;
    for (int i = 0; i < count; ++i) items.push_back(Node(firstID + i, QStringLiteral("N%1").arg(firstID + i)));
    return items;
}

QStringList Texts(const TNodeTreeModel& model, const QModelIndex& parent) {
    QStringList texts;
    for (int row = 0; row < model.rowCount(parent); ++row) texts << model.Text(model.index(row, 0, parent));
    return texts;
}

}  // namespace

class NodeTreeModelTest : public QObject {
    Q_OBJECT
private slots:
    void childrenAreAskedForOnceAndOnlyWhenDue();
    void parentsAndRowsStayConsistent();
    void itemsAreFoundByNodeID();
    void expandButtonFollowsTheChildren();
    void aLargeBranchIsOneBatch();
};

void NodeTreeModelTest::childrenAreAskedForOnceAndOnlyWhenDue() {
    // (No model tester here: it fetches on its own and would be counted.)
    TNodeTreeModel model;
    QSignalSpy asked(&model, &TNodeTreeModel::ChildrenNeeded);
    const QModelIndex root = model.AddTopItem(Node(0, "Root", true));
    QVERIFY(model.hasChildren(root));  // the button shows before anything was read
    QVERIFY(model.canFetchMore(root));
    QVERIFY(!model.canFetchMore(QModelIndex()));

    const QModelIndex leafless = model.AppendChild(root, Node(9, "leaf", false));
    QVERIFY(!model.hasChildren(leafless));
    QVERIFY(!model.canFetchMore(leafless));
    model.fetchMore(leafless);
    QCOMPARE(asked.count(), 0);

    // An item that already has a child is not filled again.
    QVERIFY(!model.canFetchMore(root));
    model.RemoveChildren(root);
    QVERIFY(model.canFetchMore(root));
    model.fetchMore(root);
    QCOMPARE(asked.count(), 1);
    QCOMPARE(asked.first().first().toModelIndex(), root);

    // Read with no visible children: the button goes and nothing is asked again.
    model.AppendChildren(root, {});
    QVERIFY(model.ChildrenRead(root));
    QVERIFY(!model.hasChildren(root));
    model.fetchMore(root);
    QCOMPARE(asked.count(), 1);

    // Collapsing discards the items; the next expansion reads again.
    model.AppendChildren(root, Nodes(1, 3));
    model.RemoveChildren(root);
    QVERIFY(!model.ChildrenRead(root));
    QVERIFY(model.canFetchMore(root));
}

void NodeTreeModelTest::parentsAndRowsStayConsistent() {
    TNodeTreeModel model;
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    const QModelIndex root = model.AddTopItem(Node(0, "Root", true));
    model.AppendChildren(root, Nodes(1, 5));
    const QModelIndex third = model.index(2, 0, root);
    model.AppendChildren(third, Nodes(10, 2));
    QCOMPARE(model.parent(model.index(1, 0, third)), third);
    QCOMPARE(model.parent(third), root);

    model.RemoveItem(model.index(1, 0, root));  // N2
    QCOMPARE(Texts(model, root), QStringList({"N1", "N3", "N4", "N5"}));
    const QModelIndex moved = model.index(1, 0, root);
    QCOMPARE(model.Text(moved), QStringLiteral("N3"));
    QCOMPARE(model.parent(model.index(0, 0, moved)), moved);  // rows renumbered
    QCOMPARE(Texts(model, moved), QStringList({"N10", "N11"}));

    QPersistentModelIndex tracked(model.index(0, 0, root));  // N1
    model.ExchangeWithNext(root, 0);
    QCOMPARE(Texts(model, root), QStringList({"N3", "N1", "N4", "N5"}));
    QCOMPARE(tracked.row(), 1);
    QCOMPARE(model.Text(tracked), QStringLiteral("N1"));
    model.ExchangeWithNext(root, 3);  // the last has no next sibling
    QCOMPARE(Texts(model, root), QStringList({"N3", "N1", "N4", "N5"}));
    model.ExchangeWithNext(root, 2);
    QCOMPARE(Texts(model, root), QStringList({"N3", "N1", "N5", "N4"}));
    QCOMPARE(model.parent(model.index(0, 0, model.index(0, 0, root))), model.index(0, 0, root));
}

void NodeTreeModelTest::itemsAreFoundByNodeID() {
    TNodeTreeModel model;
    const QModelIndex root = model.AddTopItem(Node(0, "Root", true));
    model.AppendChildren(root, Nodes(1, 3));
    const QModelIndex second = model.index(1, 0, root);
    model.AppendChildren(second, Nodes(20, 2));
    QCOMPARE(model.FindItem(21), model.index(1, 0, second));
    QCOMPARE(model.FindItem(0), root);
    QVERIFY(!model.FindItem(99).isValid());

    // Deleting an item forgets its whole branch; collapsing forgets the children.
    model.RemoveItem(second);
    QVERIFY(!model.FindItem(2).isValid());
    QVERIFY(!model.FindItem(21).isValid());
    QCOMPARE(model.FindItem(3), model.index(1, 0, root));
    model.RemoveChildren(root);
    QVERIFY(!model.FindItem(1).isValid());
    QCOMPARE(model.ItemCount(), size_t(1));

    model.AppendChildren(root, Nodes(1, 2));
    QCOMPARE(model.AllItems().size(), size_t(3));
    QCOMPARE(model.AllItems().front(), root);

    // A node shown twice: the first item in display order is found, whichever was added
    // first, and removing one item leaves the other findable.
    TNodeTreeModel twice;
    const QModelIndex top = twice.AddTopItem(Node(0, "Root", true));
    twice.AppendChildren(top, Nodes(1, 2));
    const QPersistentModelIndex n1 = twice.index(0, 0, top);
    const QPersistentModelIndex n2 = twice.index(1, 0, top);
    twice.AppendChild(n2, Node(7, "Seven"));
    QCOMPARE(twice.FindItem(7), twice.index(0, 0, n2));
    twice.AppendChild(n1, Node(7, "Seven"));
    QCOMPARE(twice.FindItem(7), twice.index(0, 0, n1));
    QCOMPARE(twice.FindChild(n2, 7), twice.index(0, 0, n2));
    QVERIFY(!twice.FindChild(top, 7).isValid());
    QCOMPARE(twice.ItemsOf(7).size(), size_t(2));
    twice.RemoveChildren(n1);
    QCOMPARE(twice.FindItem(7), twice.index(0, 0, n2));
    twice.RemoveItem(n2);
    QVERIFY(!twice.FindItem(7).isValid());
    QVERIFY(twice.ItemsOf(7).empty());
}

void NodeTreeModelTest::expandButtonFollowsTheChildren() {
    TNodeTreeModel model;
    const QModelIndex root = model.AddTopItem(Node(0, "Root", true));
    model.AppendChildren(root, Nodes(1, 1));
    const QModelIndex only = model.index(0, 0, root);
    model.RemoveItem(only);
    QVERIFY(!model.hasChildren(root));  // its last child went
    model.SetHasChildren(root, true);   // the button is given back: read again on expansion
    QVERIFY(model.hasChildren(root));
    QVERIFY(model.canFetchMore(root));

    model.SetCut(root, true);
    QVERIFY(model.IsCut(root));
    QVERIFY(model.data(root, Qt::ForegroundRole).isValid());
    model.SetCut(root, false);
    QVERIFY(!model.data(root, Qt::ForegroundRole).isValid());
}

void NodeTreeModelTest::aLargeBranchIsOneBatch() {
    TNodeTreeModel model;
    const QModelIndex root = model.AddTopItem(Node(0, "Root", true));
    QSignalSpy inserted(&model, &QAbstractItemModel::rowsInserted);
    QSignalSpy removed(&model, &QAbstractItemModel::rowsRemoved);
    model.AppendChildren(root, Nodes(1, 65535));
    QCOMPARE(inserted.count(), 1);
    QCOMPARE(model.rowCount(root), 65535);
    QCOMPARE(model.parent(model.index(65534, 0, root)), root);
    QCOMPARE(model.FindItem(65535).row(), 65534);
    model.RemoveItem(model.index(0, 0, root));
    QCOMPARE(model.FindItem(65535).row(), 65533);
    model.RemoveChildren(root);
    QCOMPARE(removed.count(), 2);
    QCOMPARE(model.rowCount(root), 0);
}

QTEST_MAIN(NodeTreeModelTest)
#include "nodetreemodel_test.moc"
