// The node commands of the database window: New Node with its in-place naming, renaming
// with its checks and messages, deleting with and without the question, node
// information, shifting, sorting and the security dialog, each checked in the tree and
// in the engine.
#include <QAction>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>

#include "security/tsecurityform.h"
#include "tests/gui/guitestsupport.h"
#include "tests/gui/windowfixture.h"
#include "ui/common.h"
#include "window/tkelmorlistview.h"
#include "window/tkelmortreeview.h"
#include "window/tnodetreemodel.h"

using namespace kelmor;
using namespace kelmor::test;

namespace {

QString Shortcut(TWindowFixture& fixture, TCommandId id) { return fixture.Host().Command(id)->shortcut().toString(); }

}  // namespace

class NodeCommandsTest : public QObject {
    Q_OBJECT
private slots:
    void init() { UseTestSettings(); }

    void newNodeUnderACollapsedItemIsNamedInPlace();
    void newNodeThenEscapeKeepsTheDefaultName();
    void renamingChecksTheText_data();
    void renamingChecksTheText();
    void renamingDoesNotStartOnTheRootOrALink();
    void anEditIsKeptByEnterTabOrFocusLossAndDroppedByEscape_data();
    void anEditIsKeptByEnterTabOrFocusLossAndDroppedByEscape();
    void deletingAsksFirst();
    void deletingWithoutConfirmation();
    void deletingAReadOnlyNodeIsRefused();
    void nodeInformation();
    void shiftingNodes();
    void sortingABranch();
    void securityCommandOpensTheDialog();
};

void NodeCommandsTest::newNodeUnderACollapsedItemIsNamedInPlace() {
    TWindowFixture fixture(BuildSmallTree);
    QVERIFY(fixture.Opened());
    TMDIChild& window = fixture.Window();
    fixture.Expand(window.RootItem());
    const QModelIndex alpha = fixture.Item({"Alpha"});
    fixture.Select(alpha);
    QCOMPARE(window.TreeModel()->rowCount(alpha), 0);  // never expanded

    window.ExecuteCommand(TCommandId::NewNode);
    QVERIFY(window.NodeTree()->isExpanded(alpha));
    QCOMPARE(fixture.Children(alpha), QStringList({"A1", "A2", "New Node"}));
    const QModelIndex created = window.TreeModel()->index(2, 0, alpha);
    QCOMPARE(window.SelectedItem(), created);
    QVERIFY(window.NodeTree()->IsEditing());
    QCOMPARE(window.NodeTree()->EditedIndex(), created);
    // The editor keeps its editing keys while it is open.
    for (TCommandId id : {TCommandId::DeleteNode, TCommandId::CutNode, TCommandId::CopyNode, TCommandId::PasteNode,
                          TCommandId::DeleteKey, TCommandId::CutKey, TCommandId::CopyKey, TCommandId::PasteKey})
        QVERIFY2(Shortcut(fixture, id).isEmpty(), qPrintable(fixture.Host().Command(id)->objectName()));
    QCOMPARE(Shortcut(fixture, TCommandId::RenameNode), QStringLiteral("F2"));

    QLineEdit* editor = window.NodeTree()->Editor();
    QVERIFY(editor);
    QCOMPARE(editor->text(), QStringLiteral("New Node"));
    QVERIFY(FinishEdit(window.NodeTree(), QStringLiteral("Omega & Co")));
    QCOMPARE(window.TreeModel()->Text(created), QStringLiteral("Omega & Co"));
    QCOMPARE(EngineChildren(fixture.Engine(), window.TreeModel()->NodeID(alpha)),
             QStringList({"A1", "A2", "Omega & Co"}));
    QCOMPARE(Shortcut(fixture, TCommandId::DeleteNode), QStringLiteral("Del"));
    QCOMPARE(Shortcut(fixture, TCommandId::CutKey), QStringLiteral("Ctrl+X"));
    QCOMPARE(Shortcut(fixture, TCommandId::CopyNode), QStringLiteral("Ctrl+C"));
    QCOMPARE(Shortcut(fixture, TCommandId::PasteKey), QStringLiteral("Ctrl+V"));
    QCOMPARE(fixture.StatusText(), QStringLiteral("Root\\Alpha\\Omega & Co"));

    // Under an expanded item the new item is added without reading the others again.
    window.ExecuteCommand(TCommandId::NewNode);  // below "Omega & Co", which has never been expanded
    QVERIFY(FinishEdit(window.NodeTree(), false));
    fixture.Select(alpha);
    window.ExecuteCommand(TCommandId::NewNode);
    QVERIFY(FinishEdit(window.NodeTree(), false));
    QCOMPARE(fixture.Children(alpha), QStringList({"A1", "A2", "Omega & Co", "New Node"}));
    QCOMPARE(fixture.Children(fixture.Item({"Alpha", "Omega & Co"})), QStringList({"New Node"}));
}

void NodeCommandsTest::newNodeThenEscapeKeepsTheDefaultName() {
    TWindowFixture fixture;
    QVERIFY(fixture.Opened());
    TMDIChild& window = fixture.Window();
    fixture.Select(window.RootItem());
    QVERIFY(!window.TreeModel()->hasChildren(window.RootItem()));
    window.ExecuteCommand(TCommandId::NewNode);
    QVERIFY(window.NodeTree()->IsEditing());
    window.NodeTree()->Editor()->setText(QStringLiteral("Discarded"));
    QVERIFY(FinishEdit(window.NodeTree(), false));
    QCOMPARE(fixture.Children(window.RootItem()), QStringList({"New Node"}));
    QCOMPARE(EngineChildren(fixture.Engine(), 0), QStringList({"New Node"}));
    QCOMPARE(Shortcut(fixture, TCommandId::DeleteNode), QStringLiteral("Del"));
}

void NodeCommandsTest::renamingChecksTheText_data() {
    QTest::addColumn<int>("length");
    QTest::addColumn<QStringList>("messages");
    QTest::addColumn<int>("storedLength");  // 0: unchanged
    QTest::newRow("empty") << 0 << QStringList({"A description of one or more characters is required."}) << 0;
    QTest::newRow("255") << 255 << QStringList() << 255;
    QTest::newRow("256")
        << 256
        << QStringList({"Descriptions of more than 255 characters are not supported.\n\nText has been truncated."})
        << 255;
}

void NodeCommandsTest::renamingChecksTheText() {
    QFETCH(int, length);
    QFETCH(QStringList, messages);
    QFETCH(int, storedLength);
    TWindowFixture fixture(BuildSmallTree);
    QVERIFY(fixture.Opened());
    TMDIChild& window = fixture.Window();
    const QModelIndex gamma = fixture.Item({"Gamma"});
    fixture.Select(gamma);
    window.ExecuteCommand(TCommandId::RenameNode);
    QVERIFY(window.NodeTree()->IsEditing());
    QString text;
    for (int i = 0; i < length; ++i) text += QLatin1Char(static_cast<char>('a' + i % 26));
    TModalDriver driver;
    for (int i = 0; i < messages.size(); ++i) driver.Message();
    QVERIFY(FinishEdit(window.NodeTree(), text));
    QCOMPARE(driver.Messages(), messages);

    const QString expected = storedLength == 0 ? QStringLiteral("Gamma") : text.left(storedLength);
    QCOMPARE(window.TreeModel()->Text(gamma), expected);
    TKelmorClass& engine = fixture.Engine();
    QVERIFY(engine.LoadNode(window.TreeModel()->NodeID(gamma)));
    QCOMPARE(FromLatin1(engine.GetDescription()), expected);
    QCOMPARE(Shortcut(fixture, TCommandId::DeleteNode), QStringLiteral("Del"));
}

void NodeCommandsTest::renamingDoesNotStartOnTheRootOrALink() {
    TWindowFixture fixture(BuildSmallTree);
    QVERIFY(fixture.Opened());
    TMDIChild& window = fixture.Window();
    QVERIFY(!window.NodeTree()->StartEdit(window.RootItem()));
    QVERIFY(!window.NodeTree()->StartEdit(fixture.Item({"Beta", "A1"})));
    QVERIFY(!window.NodeTree()->IsEditing());
    QCOMPARE(Shortcut(fixture, TCommandId::DeleteNode), QStringLiteral("Del"));
    QVERIFY(window.NodeTree()->StartEdit(fixture.Item({"Gamma"})));
    window.NodeTree()->CancelEdit();
    QVERIFY(!window.NodeTree()->IsEditing());
    QCOMPARE(window.TreeModel()->Text(fixture.Item({"Gamma"})), QStringLiteral("Gamma"));
}

void NodeCommandsTest::anEditIsKeptByEnterTabOrFocusLossAndDroppedByEscape_data() {
    QTest::addColumn<bool>("keyList");
    QTest::addColumn<int>("ending");  // a key, or 0 for the focus going to the other view
    QTest::addColumn<bool>("kept");
    for (const bool keyList : {false, true}) {
        const char* view = keyList ? "key list" : "tree";
        QTest::addRow("%s, Enter", view) << keyList << int(Qt::Key_Return) << true;
        QTest::addRow("%s, Tab", view) << keyList << int(Qt::Key_Tab) << true;
        QTest::addRow("%s, Shift+Tab", view) << keyList << int(Qt::Key_Backtab) << true;
        QTest::addRow("%s, focus elsewhere", view) << keyList << 0 << true;
        QTest::addRow("%s, Escape", view) << keyList << int(Qt::Key_Escape) << false;
    }
}

void NodeCommandsTest::anEditIsKeptByEnterTabOrFocusLossAndDroppedByEscape() {
    QFETCH(bool, keyList);
    QFETCH(int, ending);
    QFETCH(bool, kept);
    TWindowFixture fixture(BuildSmallTree);
    QVERIFY(fixture.Opened());
    TMDIChild& window = fixture.Window();
    window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    fixture.Select(fixture.Item({"Alpha"}));  // Alpha's children come next in the tree
    fixture.SelectKey(1);                     // "Count", between "Colour" and "Flag"
    TKelmorItemView* view = keyList ? static_cast<TKelmorItemView*>(window.KeyList()) : window.NodeTree();
    TKelmorItemView* other = keyList ? static_cast<TKelmorItemView*>(window.NodeTree()) : window.KeyList();
    const QModelIndex edited = view->currentIndex();
    const bool expanded = window.NodeTree()->isExpanded(fixture.Item({"Alpha"}));
    TModalDriver driver;  // none expected: the key that ends the edit opens nothing
    window.ExecuteCommand(keyList ? TCommandId::RenameKey : TCommandId::RenameNode);
    QLineEdit* editor = view->Editor();
    QVERIFY(editor);
    editor->setFocus();
    QTRY_VERIFY(editor->hasFocus());
    editor->setText(QStringLiteral("Renamed"));
    if (ending) QTest::keyClick(editor, Qt::Key(ending));
    else other->setFocus();
    QTRY_VERIFY(!view->IsEditing());
    QCoreApplication::processEvents();
    QVERIFY(!view->IsEditing());  // no edit of another item started
    QCOMPARE(view->currentIndex(), edited);
    // Nor did the key go on to the view: Alpha neither opened nor closed, no key editor.
    QCOMPARE(window.NodeTree()->isExpanded(fixture.Item({"Alpha"})), expanded);
    QCOMPARE(driver.ModalsSeen(), 0);

    const QString original = keyList ? QStringLiteral("Count") : QStringLiteral("Alpha");
    const QString expected = kept ? QStringLiteral("Renamed") : original;
    TKelmorClass& engine = fixture.Engine();
    QVERIFY(engine.LoadNode(window.SelectedNode()));
    if (keyList) {
        QCOMPARE(fixture.KeyRows().at(1).section(QLatin1Char('='), 0, 0), expected);
        QCOMPARE(FromLatin1(engine.GetKeyName(2)), expected);
    } else {
        QCOMPARE(window.TreeModel()->Text(edited), expected);
        QCOMPARE(FromLatin1(engine.GetDescription()), expected);
    }
}

void NodeCommandsTest::deletingAsksFirst() {
    TWindowFixture fixture(BuildSmallTree);
    QVERIFY(fixture.Opened());
    TMDIChild& window = fixture.Window();
    const QModelIndex alpha = fixture.Item({"Alpha"});
    const int32_t alphaID = window.TreeModel()->NodeID(alpha);
    const int32_t a1 = window.TreeModel()->NodeID(fixture.Item({"Alpha", "A1"}));
    fixture.Select(alpha);

    TModalDriver driver;
    driver.Message(QMessageBox::No);
    window.ExecuteCommand(TCommandId::DeleteNode);
    QCOMPARE(driver.Messages(), QStringList({"Do you wish to Delete this Node\n'Alpha' ?"}));
    QVERIFY(fixture.Engine().NodeExists(alphaID));
    QCOMPARE(fixture.Children(window.RootItem()), QStringList({"Alpha", "Beta", "Gamma"}));

    driver.Message(QMessageBox::Yes);
    window.ExecuteCommand(TCommandId::DeleteNode);
    QVERIFY(driver.AllAnswered());
    QVERIFY(!fixture.Engine().NodeExists(alphaID));
    QVERIFY(!fixture.Engine().NodeExists(a1));  // the whole branch
    QCOMPARE(fixture.Children(window.RootItem()), QStringList({"Beta", "Gamma"}));
    QVERIFY(!window.TreeModel()->FindItem(a1).isValid());
    // The next sibling takes the selection; the progress window is gone.
    QCOMPARE(window.TreeModel()->Text(window.SelectedItem()), QStringLiteral("Beta"));
    QVERIFY(!DeleteProgressShown());
    // The link to A1 is broken now.
    QCOMPARE(fixture.Item({"Beta", "** BROKEN LINK **"}).isValid(), true);

    // The last child: the selection goes to the previous one, then to the parent.
    fixture.Select(fixture.Item({"Gamma"}));
    driver.Message(QMessageBox::Yes);
    window.ExecuteCommand(TCommandId::DeleteNode);
    QCOMPARE(window.TreeModel()->Text(window.SelectedItem()), QStringLiteral("Beta"));
    const QModelIndex brokenLink = fixture.Item({"Beta", "** BROKEN LINK **"});
    fixture.Select(brokenLink);
    driver.Message(QMessageBox::Yes);
    window.ExecuteCommand(TCommandId::DeleteNode);
    QCOMPARE(window.TreeModel()->Text(window.SelectedItem()), QStringLiteral("Beta"));
    QVERIFY(!window.TreeModel()->hasChildren(window.SelectedItem()));
    QVERIFY(driver.AllAnswered());
}

void NodeCommandsTest::deletingWithoutConfirmation() {
    TWindowFixture::TOptions options;
    options.populate = BuildSmallTree;
    options.confirmDeletion = false;
    TWindowFixture fixture(options);
    QVERIFY(fixture.Opened());
    TMDIChild& window = fixture.Window();
    fixture.Select(fixture.Item({"Gamma"}));
    TModalDriver driver;
    window.ExecuteCommand(TCommandId::DeleteNode);
    QCOMPARE(driver.ModalsSeen(), 0);
    QCOMPARE(fixture.Children(window.RootItem()), QStringList({"Alpha", "Beta"}));
    QCOMPARE(EngineChildren(fixture.Engine(), 0), QStringList({"Alpha", "Beta"}));
}

void NodeCommandsTest::deletingAReadOnlyNodeIsRefused() {
    TWindowFixture fixture([](TKelmorClass& engine) {
        BuildSmallTree(engine);
        const int32_t locked = AddNode(engine, 0, "Locked");
        engine.SetNodeSecurity(locked, 5, true);
    });
    QVERIFY(fixture.Opened());
    TMDIChild& window = fixture.Window();
    fixture.Select(fixture.Item({"Locked"}));
    TModalDriver driver;
    driver.Message();
    window.ExecuteCommand(TCommandId::DeleteNode);
    QCOMPARE(driver.Messages(), QStringList({"Unable to Delete. Branch is Read Only."}));
    QVERIFY(fixture.Item({"Locked"}).isValid());
    QCOMPARE(EngineChildren(fixture.Engine(), 0).size(), 4);
}

void NodeCommandsTest::nodeInformation() {
    TWindowFixture fixture(BuildSmallTree);
    QVERIFY(fixture.Opened());
    TMDIChild& window = fixture.Window();
    TModalDriver driver;
    driver.Message().Message().Message();
    fixture.Select(window.RootItem());
    window.ExecuteCommand(TCommandId::Information);
    const QModelIndex alpha = fixture.Item({"Alpha"});
    fixture.Select(alpha);
    window.ExecuteCommand(TCommandId::Information);
    const QModelIndex link = fixture.Item({"Beta", "A1"});
    fixture.Select(link);
    window.ExecuteCommand(TCommandId::Information);
    const QString alphaID = QString::number(window.TreeModel()->NodeID(alpha));
    const QString linkID = QString::number(window.TreeModel()->NodeID(link));
    QCOMPARE(driver.Messages(),
             QStringList({"Information for the Selected Node.\n\nRoot\n\nNode ID\t\t\t: 0\nTotal Leaf Nodes\t: 3\n"
                          "Total Keys\t\t: N/A\n",
                          "Information for the Selected Node.\n\nRoot\\Alpha\n\nNode ID\t\t\t: " + alphaID +
                              "\nTotal Leaf Nodes\t: 2\nTotal Keys\t\t: 3\n",
                          "Information for the Selected Node.\n\nRoot\\Beta\\A1\n\nNode ID\t\t\t: " + linkID +
                              "\nTotal Leaf Nodes\t: (LINK)\nTotal Keys\t\t: (LINK)\n"}));
}

void NodeCommandsTest::shiftingNodes() {
    TWindowFixture fixture(BuildSmallTree);
    QVERIFY(fixture.Opened());
    TMDIChild& window = fixture.Window();
    fixture.Select(fixture.Item({"Alpha"}));
    window.ExecuteCommand(TCommandId::ShiftDown);  // down
    QCOMPARE(fixture.Children(window.RootItem()), QStringList({"Beta", "Alpha", "Gamma"}));
    QCOMPARE(EngineChildren(fixture.Engine(), 0), QStringList({"Beta", "Alpha", "Gamma"}));
    QCOMPARE(window.TreeModel()->Text(window.SelectedItem()), QStringLiteral("Alpha"));
    QVERIFY(fixture.CommandEnabled(TCommandId::ShiftUp));
    window.ExecuteCommand(TCommandId::ShiftDown);
    QCOMPARE(fixture.Children(window.RootItem()), QStringList({"Beta", "Gamma", "Alpha"}));
    QVERIFY(!fixture.CommandEnabled(TCommandId::ShiftDown));
    window.ShiftNode(false);  // the last has no next sibling: nothing changes
    QCOMPARE(fixture.Children(window.RootItem()), QStringList({"Beta", "Gamma", "Alpha"}));
    window.ExecuteCommand(TCommandId::ShiftUp);  // up
    QCOMPARE(fixture.Children(window.RootItem()), QStringList({"Beta", "Alpha", "Gamma"}));
    QCOMPARE(EngineChildren(fixture.Engine(), 0), QStringList({"Beta", "Alpha", "Gamma"}));

    fixture.Select(fixture.Item({"Beta"}));
    window.ShiftNode(true);  // the first has no previous sibling
    QCOMPARE(EngineChildren(fixture.Engine(), 0), QStringList({"Beta", "Alpha", "Gamma"}));
    // An expanded branch moves with its item.
    fixture.Expand(fixture.Item({"Alpha"}));
    QCOMPARE(fixture.Children(fixture.Item({"Alpha"})), QStringList({"A1", "A2"}));
    fixture.Select(fixture.Item({"Alpha"}));
    window.ExecuteCommand(TCommandId::ShiftUp);
    QCOMPARE(fixture.Children(window.TreeModel()->index(0, 0, window.RootItem())), QStringList({"A1", "A2"}));
}

void NodeCommandsTest::sortingABranch() {
    int32_t parent = 0;
    TWindowFixture fixture([&parent](TKelmorClass& engine) {
        parent = AddNode(engine, 0, "List");
        for (const char* name : {"delta", "Bravo", "alpha", "Charlie", "echo"}) AddNode(engine, parent, name);
        AddNode(engine, 0, "Leaf");
    });
    QVERIFY(fixture.Opened());
    TMDIChild& window = fixture.Window();
    const QModelIndex list = fixture.Item({"List"});
    fixture.Select(list);
    QVERIFY(fixture.CommandEnabled(TCommandId::SortBranch));
    window.ExecuteCommand(TCommandId::SortBranch);
    const QStringList sorted({"alpha", "Bravo", "Charlie", "delta", "echo"});
    QVERIFY(window.NodeTree()->isExpanded(list));
    QCOMPARE(fixture.Children(list), sorted);
    QCOMPARE(EngineChildren(fixture.Engine(), parent), sorted);
    QCOMPARE(window.SelectedItem(), list);
    QCOMPARE(fixture.StatusText(), QStringLiteral("Root\\List"));

    const QModelIndex leaf = fixture.Item({"Leaf"});
    fixture.Select(leaf);
    QVERIFY(!fixture.CommandEnabled(TCommandId::SortBranch));
    window.SortBranch();  // no expand button: nothing happens
    QCOMPARE(window.TreeModel()->rowCount(leaf), 0);
    QVERIFY(!window.NodeTree()->isExpanded(leaf));
}

void NodeCommandsTest::securityCommandOpensTheDialog() {
    TWindowFixture fixture(BuildSmallTree);
    QVERIFY(fixture.Opened());
    TMDIChild& window = fixture.Window();
    const QModelIndex gamma = fixture.Item({"Gamma"});
    fixture.Select(gamma);
    TModalDriver driver;
    QStringList entries;
    driver.Then([&entries](QWidget* modal) {
        auto* security = qobject_cast<TSecurityForm*>(modal);
        if (!security) {
            modal->close();
            return;
        }
        for (int row = 0; row < security->SecurityLevel()->count(); ++row)
            entries << security->SecurityLevel()->item(row)->text();
        security->SecurityLevel()->setCurrentRow(1);
        security->OkButton()->click();
    });
    window.ExecuteCommand(TCommandId::NodeSecurity);
    QVERIFY(driver.AllAnswered());
    QCOMPARE(entries.size(), 5);
    QCOMPARE(fixture.Engine().GetNodeSecurity(window.TreeModel()->NodeID(gamma)), uint8_t(2));
}

QTEST_MAIN(NodeCommandsTest)
#include "nodecommands_test.moc"
