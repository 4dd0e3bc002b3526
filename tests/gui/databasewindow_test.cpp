// The database window's display: the root item and lazy filling of the tree, collapsing,
// the delayed key list of the selected node, links and broken links, node paths and the
// status text, the information pane and title, the command states by selection and
// database, the periodic flush, and the keyboard and mouse handling of the views.
#include <sys/resource.h>
#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QScrollBar>
#include <QTest>
#include <QTimer>
#include <csignal>

#include "engine/regional.h"
#include "tests/gui/guitestsupport.h"
#include "tests/gui/windowfixture.h"
#include "ui/common.h"
#include "window/freespacetext.h"
#include "window/tkelmorlistview.h"
#include "window/tkelmortreeview.h"
#include "window/tkeylistmodel.h"
#include "window/tnodetreemodel.h"

using namespace kelmor;
using namespace kelmor::test;

class DatabaseWindowTest : public QObject {
    Q_OBJECT
private slots:
    void init() { UseTestSettings(); }

    void emptyDatabaseShowsARootWithoutButton();
    void childrenAreReadOnExpansionAndDiscardedOnCollapse();
    void collapsingAroundTheSelectionSelectsTheCollapsedItem();
    void keyListShowsTheSelectedNodesKeys();
    void linksShowTheirSourceAndBrokenLinksSayWhy();
    void nodePathsAndStatusText();
    void infoPaneAndTitle();
    void panesGrowTogetherAndLongNamesScroll();
    void userNameShowsCapitalised();
    void commandStatesFollowTheSelection();
    void commandsFollowTheirRules();
    void commandStatesOfAReadOnlyDatabase();
    void commandStatesOfAnOrdinaryUser();
    void flushTimerAndKeyListWaitForWorkers();
    void enterOpensAndClosesAnItem();
    void viewShortcutsComeBeforeTheMenuBar();
    void rightClickSelectsBeforeTheMenu();
    void reapplyTreeStatesGivesButtonsBack();
    void onlyTheActiveWindowSetsTheStates();
    void freeSpaceText_data();
    void freeSpaceText();
    void closingTheWindowFreesTheEngine();
    void aSaveThatFailsOnClosingAsksBeforeChangesAreLost();
};

void DatabaseWindowTest::emptyDatabaseShowsARootWithoutButton() {
    TWindowFixture fixture;
    QVERIFY(fixture.Opened());
    TMDIChild& window = fixture.Window();
    TNodeTreeModel* model = window.TreeModel();
    QCOMPARE(model->rowCount(), 1);
    const QModelIndex root = window.RootItem();
    QCOMPARE(model->Text(root), QStringLiteral("Root"));
    QCOMPARE(model->Kind(root), TTreeItemKind::Root);
    QVERIFY(!model->hasChildren(root));
    QVERIFY(!window.NodeTree()->isExpanded(root));
    fixture.Select(root);
    QCOMPARE(window.KeyModel()->rowCount(), 0);
    QVERIFY(window.FlushTimer()->isActive());
    QCOMPARE(window.FlushTimer()->interval(), 15000);
    QCOMPARE(window.SearchState().flags, uint16_t(39));
}

void DatabaseWindowTest::childrenAreReadOnExpansionAndDiscardedOnCollapse() {
    TWindowFixture fixture(BuildSmallTree);
    QVERIFY(fixture.Opened());
    TMDIChild& window = fixture.Window();
    TNodeTreeModel* model = window.TreeModel();
    const QModelIndex root = window.RootItem();
    QVERIFY(model->hasChildren(root));
    QCOMPARE(model->rowCount(root), 0);  // nothing read before the first expansion

    window.NodeTree()->expand(root);
    QCOMPARE(fixture.Children(root), QStringList({"Alpha", "Beta", "Gamma"}));
    const QModelIndex alpha = model->index(0, 0, root);
    QVERIFY(model->hasChildren(alpha));  // the button, before its children are read
    QCOMPARE(model->rowCount(alpha), 0);
    QVERIFY(!model->hasChildren(model->index(2, 0, root)));

    window.NodeTree()->collapse(root);
    QCOMPARE(model->rowCount(root), 0);
    QVERIFY(model->hasChildren(root));
    // A change made meanwhile shows at the next expansion.
    AddNode(fixture.Engine(), 0, "Delta");
    window.NodeTree()->expand(root);
    QCOMPARE(fixture.Children(root), QStringList({"Alpha", "Beta", "Gamma", "Delta"}));
}

void DatabaseWindowTest::collapsingAroundTheSelectionSelectsTheCollapsedItem() {
    TWindowFixture fixture(BuildSmallTree);
    QVERIFY(fixture.Opened());
    TMDIChild& window = fixture.Window();
    const QModelIndex a1 = fixture.Item({"Alpha", "A1"});
    QVERIFY(a1.isValid());
    fixture.Select(a1);
    QCOMPARE(fixture.KeyRows(), QStringList({"Size=100000"}));
    const QModelIndex alpha = fixture.Item({"Alpha"});
    window.NodeTree()->collapse(alpha);
    QCOMPARE(window.SelectedItem(), alpha);
    QVERIFY(window.NodeTree()->selectionModel()->isSelected(alpha));
    // The key list follows after the selection delay.
    QTRY_COMPARE(fixture.KeyRows(), QStringList({"Colour=blue", "Count=-12", "Flag=7"}));

    // Deeper inside: the root's collapse takes the selection from A1 to the root.
    fixture.Select(fixture.Item({"Alpha", "A1"}));
    window.NodeTree()->collapse(window.RootItem());
    QCOMPARE(window.SelectedItem(), window.RootItem());
    QTRY_COMPARE(fixture.KeyRows(), QStringList());
    QCOMPARE(fixture.StatusText(), QStringLiteral("Root"));
}

void DatabaseWindowTest::keyListShowsTheSelectedNodesKeys() {
    TWindowFixture fixture([](TKelmorClass& engine) {
        const int32_t node = AddNode(engine, 0, "Every type");
        engine.LoadNode(node);
        engine.AddByteKey("b", 200);
        engine.AddIntegerKey("i", -3);
        engine.AddLongintKey("l", 70000);
        engine.AddFloatKey("f", 1.5f);
        engine.AddStringKey("s", "text & more");
        const uint8_t bytes[] = {1, 2, 255};
        engine.AddSequenceKey("q", bytes, sizeof bytes);
        engine.AddBlobKey("o", bytes, sizeof bytes);
        engine.AddCurrencyKey("c", 125000);
        engine.AddDoubleKey("d", 0.25);
        engine.AddDateKey("t", EncodeDate(2024, 2, 29));
        engine.SaveNode(node);
        AddNode(engine, 0, "No keys");
    });
    QVERIFY(fixture.Opened());
    TMDIChild& window = fixture.Window();
    const QModelIndex node = fixture.Item({"Every type"});
    fixture.Select(node);
    TKeyListModel* keys = window.KeyModel();
    QCOMPARE(keys->rowCount(), 10);
    TKelmorClass& engine = fixture.Engine();
    engine.LoadNode(window.SelectedNode());
    for (int row = 0; row < 10; ++row) {
        const uint16_t key = static_cast<uint16_t>(row + 1);
        QCOMPARE(keys->Row(row).name, FromLatin1(engine.GetKeyName(key)));
        QCOMPARE(keys->Row(row).value, FromLatin1(engine.KeyValueText(key)));
        QCOMPARE(keys->data(keys->index(row, 0), TKeyListModel::kKeyTypeRole).toInt(), row + 1);
        // The image of the type's Add command.
        const QIcon icon = keys->data(keys->index(row, 0), Qt::DecorationRole).value<QIcon>();
        QVERIFY(!icon.isNull());
        using C = TCommandId;
        const TCommandId add = std::array{C::AddByte, C::AddInteger, C::AddLongint,  C::AddFloat,  C::AddString,
                                          C::AddSeq,  C::AddBlob,    C::AddCurrency, C::AddDouble, C::AddDate}[row];
        QCOMPARE(icon.pixmap(16).toImage(), fixture.Host().Command(add)->icon().pixmap(16).toImage());
    }
    QCOMPARE(keys->Row(4).value, QStringLiteral("text & more"));
    QCOMPARE(keys->headerData(0, Qt::Horizontal).toString(), QStringLiteral("Description"));
    QCOMPARE(keys->headerData(1, Qt::Horizontal).toString(), QStringLiteral("Value"));

    fixture.Select(fixture.Item({"No keys"}));
    QCOMPARE(keys->rowCount(), 0);
    fixture.Select(window.RootItem());
    QCOMPARE(keys->rowCount(), 0);
}

void DatabaseWindowTest::linksShowTheirSourceAndBrokenLinksSayWhy() {
    int32_t gone = 0;
    TWindowFixture fixture([&gone](TKelmorClass& engine) {
        BuildSmallTree(engine);
        gone = AddNode(engine, 0, "Gone");
        AddLink(engine, 0, gone);
        engine.DeleteNode(gone);
    });
    QVERIFY(fixture.Opened());
    TMDIChild& window = fixture.Window();
    TNodeTreeModel* model = window.TreeModel();
    const QModelIndex link = fixture.Item({"Beta", "A1"});
    QVERIFY(link.isValid());
    QCOMPARE(model->Kind(link), TTreeItemKind::Link);
    QVERIFY(!model->hasChildren(link));
    fixture.Select(link);
    QCOMPARE(window.KeyModel()->rowCount(), 0);  // a link shows no keys, even its source's

    const QModelIndex broken = fixture.Item({"** BROKEN LINK **"});
    QVERIFY(broken.isValid());
    QCOMPARE(model->Kind(broken), TTreeItemKind::Link);
    fixture.Select(broken);
    QCOMPARE(window.KeyModel()->rowCount(), 0);
    QVERIFY(fixture.CommandEnabled(TCommandId::DeleteNode));
    QVERIFY(fixture.CommandEnabled(TCommandId::Information));
}

void DatabaseWindowTest::nodePathsAndStatusText() {
    TWindowFixture fixture(BuildSmallTree);
    QVERIFY(fixture.Opened());
    TMDIChild& window = fixture.Window();
    const QModelIndex a1 = fixture.Item({"Alpha", "A1"});
    QCOMPARE(window.NodePath(a1, true), QStringLiteral("Root\\Alpha\\A1"));
    QCOMPARE(window.NodePath(a1, false), QStringLiteral("\\Alpha\\A1"));
    QCOMPARE(window.NodePath(window.RootItem(), true), QStringLiteral("Root"));
    QCOMPARE(window.NodePath(window.RootItem(), false), QStringLiteral("\\"));
    QCOMPARE(window.NodePath(QModelIndex(), true), QStringLiteral("\\"));

    fixture.Select(a1);
    QCOMPARE(fixture.StatusText(), QStringLiteral("Root\\Alpha\\A1"));
    QCOMPARE(window.StatusText(), QStringLiteral("Root\\Alpha\\A1"));
}

void DatabaseWindowTest::infoPaneAndTitle() {
    TWindowFixture fixture(BuildSmallTree, TWindowFixture::THost::MainForm);
    QVERIFY(fixture.Opened());
    TMDIChild& window = fixture.Window();
    TMainForm& form = fixture.Form();
    QCOMPARE(window.xReadOnly()->text(), QStringLiteral("R/W"));
    QVERIFY(window.xNodeFreeSpace()->text().endsWith(QStringLiteral(" MB")));
    fixture.Select(fixture.Item({"Alpha"}));
    TKelmorClass& engine = fixture.Engine();
    engine.LoadNode(window.SelectedNode());
    QCOMPARE(window.xKeyLookupFree()->text(), QString::number(engine.NodeSpaceFree()) + QLatin1Char('%'));

    QMdiSubWindow* document = form.DatabaseWindows().first();
    QCOMPARE(document->windowTitle(), QStringLiteral("TREE"));
    form.SetOption(TMainForm::TOption::FullPathOnTitle, true);
    form.ApplyOptions();
    QCOMPARE(document->windowTitle(), fixture.BasePath());

    form.SetOption(TMainForm::TOption::ShowInfoPane, false);
    form.ApplyOptions();
    QVERIFY(window.StatusInfo()->isHidden());
    form.SetOption(TMainForm::TOption::ShowInfoPane, true);
    form.ApplyOptions();
    QVERIFY(!window.StatusInfo()->isHidden());
}

void DatabaseWindowTest::panesGrowTogetherAndLongNamesScroll() {
    TWindowFixture fixture([](TKelmorClass& engine) {
        AddNode(engine, 0, "Short");
        AddNode(engine, 0, std::string(200, 'w'));
    });
    QVERIFY(fixture.Opened());
    TMDIChild& window = fixture.Window();
    window.resize(500, 300);
    window.show();
    QCoreApplication::processEvents();
    const int narrowTree = window.NodeTree()->width();
    window.resize(1000, 300);
    QCoreApplication::processEvents();
    // Both panes take a share of the new width, in about the proportion they had.
    QVERIFY2(window.NodeTree()->width() > narrowTree + 150, qPrintable(QString::number(window.NodeTree()->width())));
    QVERIFY(window.KeyList()->width() > 500);

    // The caption of 200 letters scrolls instead of being cut; a short one fills the row.
    fixture.Expand(window.RootItem());
    QTRY_VERIFY(window.NodeTree()->horizontalScrollBar()->maximum() > 0);
    QVERIFY(window.NodeTree()->columnWidth(0) >= window.NodeTree()->viewport()->width());
}

void DatabaseWindowTest::userNameShowsCapitalised() {
    TWindowFixture::TOptions options;
    options.populate = [](TKelmorClass& engine) { engine.SetUser(2, "JOHN SMITH", "pw"); };
    options.user = QStringLiteral("john smith");
    options.password = QStringLiteral("pw");
    TWindowFixture fixture(options);
    QVERIFY(fixture.Opened());
    QCOMPARE(fixture.Window().xUsername()->text(), QStringLiteral("John smith"));
}

void DatabaseWindowTest::commandStatesFollowTheSelection() {
    TWindowFixture fixture(BuildSmallTree);
    QVERIFY(fixture.Opened());
    TMDIChild& window = fixture.Window();

    fixture.Select(window.RootItem());
    QCOMPARE(fixture.Disabled({TCommandId::NewNode, TCommandId::Information}), QStringList());
    QCOMPARE(fixture.Enabled({TCommandId::SortBranch, TCommandId::RenameNode, TCommandId::DeleteNode,
                              TCommandId::CutNode, TCommandId::CopyNode, TCommandId::ShiftUp, TCommandId::ShiftDown,
                              TCommandId::NodeSecurity, TCommandId::JumpToSource, TCommandId::PasteNode,
                              TCommandId::PasteAsLink, TCommandId::AddByte, TCommandId::InsByte}),
             QStringList());

    const QModelIndex alpha = fixture.Item({"Alpha"});
    fixture.Select(alpha);
    QCOMPARE(
        fixture.Disabled({TCommandId::NewNode, TCommandId::RenameNode, TCommandId::DeleteNode, TCommandId::ShiftDown,
                          TCommandId::SortBranch, TCommandId::NodeSecurity, TCommandId::AddByte, TCommandId::AddBlob,
                          TCommandId::AddDate, TCommandId::CutNode, TCommandId::CopyNode}),
        QStringList());
    // Nothing marked yet: nothing to paste.
    QCOMPARE(fixture.Enabled({TCommandId::ShiftUp, TCommandId::JumpToSource, TCommandId::InsByte, TCommandId::RenameKey,
                              TCommandId::DeleteKey, TCommandId::EditKey, TCommandId::ShiftKeyUp, TCommandId::PasteKey,
                              TCommandId::CutKey, TCommandId::CopyKey, TCommandId::PasteNode, TCommandId::PasteAsLink}),
             QStringList());

    fixture.SelectKey(0);
    QCOMPARE(fixture.Disabled({TCommandId::InsByte, TCommandId::InsDate, TCommandId::RenameKey, TCommandId::DeleteKey,
                               TCommandId::EditKey, TCommandId::ShiftKeyDown, TCommandId::CutKey, TCommandId::CopyKey}),
             QStringList());
    QVERIFY(!fixture.CommandEnabled(TCommandId::ShiftKeyUp));
    fixture.SelectKey(2);
    QVERIFY(fixture.CommandEnabled(TCommandId::ShiftKeyUp));
    QVERIFY(!fixture.CommandEnabled(TCommandId::ShiftKeyDown));

    const QModelIndex gamma = fixture.Item({"Gamma"});
    fixture.Select(gamma);
    QVERIFY(fixture.CommandEnabled(TCommandId::ShiftUp));
    QVERIFY(!fixture.CommandEnabled(TCommandId::ShiftDown));
    QVERIFY(!fixture.CommandEnabled(TCommandId::SortBranch));  // no children

    const QModelIndex link = fixture.Item({"Beta", "A1"});
    fixture.Select(link);
    QCOMPARE(fixture.Disabled({TCommandId::DeleteNode, TCommandId::Information, TCommandId::NodeSecurity,
                               TCommandId::CutNode, TCommandId::CopyNode, TCommandId::JumpToSource}),
             QStringList());
    QCOMPARE(fixture.Enabled({TCommandId::NewNode, TCommandId::Import, TCommandId::RenameNode, TCommandId::SortBranch,
                              TCommandId::Export, TCommandId::AddByte, TCommandId::EditKey, TCommandId::PasteKey}),
             QStringList());
    // Nothing is pasted under a link, even with a node and a key marked.
    window.ExecuteCommand(TCommandId::CopyNode);
    fixture.Engine().LoadNode(window.TreeModel()->NodeID(fixture.Item({"Alpha"})));
    fixture.Engine().MarkKey(1);
    window.UpdateCommandStates();
    QCOMPARE(fixture.Enabled({TCommandId::PasteNode, TCommandId::PasteAsLink, TCommandId::PasteKey}), QStringList());
    fixture.Select(gamma);
    QCOMPARE(fixture.Disabled({TCommandId::PasteNode, TCommandId::PasteAsLink, TCommandId::PasteKey}), QStringList());

    QCOMPARE(fixture.Disabled({TCommandId::FileFlush, TCommandId::FileCloseAll}), QStringList());
    QVERIFY(fixture.CommandEnabled(TDatabaseEntry::ChangePassword));
    QVERIFY(fixture.CommandEnabled(TDatabaseEntry::DatabaseInformation));
    QVERIFY(fixture.CommandEnabled(TDatabaseEntry::UserManagement));
    QVERIFY(!fixture.CommandEnabled(TCommandId::SearchNext));  // no search yet
}

void DatabaseWindowTest::commandsFollowTheirRules() {
    TWindowFixture fixture(BuildSmallTree);
    QVERIFY(fixture.Opened());
    TMDIChild& window = fixture.Window();
    // Everything their rules ask for: a selected node with a selected key, a node and a
    // key marked.
    fixture.Select(fixture.Item({"Alpha"}));
    fixture.SelectKey(1);
    TKelmorClass& engine = fixture.Engine();
    engine.MarkNode(window.SelectedNode());
    engine.LoadNode(window.SelectedNode());
    engine.MarkKey(1);
    window.UpdateCommandStates();
    QVERIFY(fixture.CommandEnabled(TCommandId::RenameKey));  // the rules do allow
    using C = TCommandId;
    QCOMPARE(fixture.Disabled({C::Import, C::Export, C::Find, C::Replace, C::FindBroken, C::LocateID}), QStringList());
    QCOMPARE(
        fixture.Disabled({C::CutNode, C::CopyNode, C::PasteNode, C::PasteAsLink, C::CutKey, C::CopyKey, C::PasteKey}),
        QStringList());
    QVERIFY(!fixture.CommandEnabled(C::JumpToSource));  // not a link
    fixture.Select(fixture.Item({"Beta", "A1"}));       // a link: Jump to Source's rule
    QVERIFY(fixture.CommandEnabled(C::JumpToSource));
    QCOMPARE(fixture.Enabled({C::Import, C::Export}), QStringList());  // nothing is imported into a link
}

void DatabaseWindowTest::commandStatesOfAReadOnlyDatabase() {
    TWindowFixture::TOptions options;
    options.populate = BuildSmallTree;
    options.readOnly = true;
    TWindowFixture fixture(options);
    QVERIFY(fixture.Opened());
    TMDIChild& window = fixture.Window();
    QCOMPARE(window.xReadOnly()->text(), QStringLiteral("R/O"));
    fixture.Select(fixture.Item({"Alpha"}));
    fixture.SelectKey(1);
    QCOMPARE(fixture.Disabled({TCommandId::Information, TCommandId::NodeSecurity, TCommandId::EditKey}), QStringList());
    QVERIFY(fixture.CommandEnabled(TDatabaseEntry::DatabaseInformation));
    QCOMPARE(
        fixture.Enabled({TCommandId::NewNode, TCommandId::Import, TCommandId::RenameNode, TCommandId::DeleteNode,
                         TCommandId::CutNode, TCommandId::CopyNode, TCommandId::ShiftDown, TCommandId::SortBranch,
                         TCommandId::AddByte, TCommandId::InsByte, TCommandId::RenameKey, TCommandId::DeleteKey,
                         TCommandId::ShiftKeyUp, TCommandId::ShiftKeyDown, TCommandId::FileFlush, TCommandId::Replace}),
        QStringList());
    QVERIFY(!fixture.CommandEnabled(TDatabaseEntry::ChangePassword));
    QVERIFY(!fixture.CommandEnabled(TDatabaseEntry::UserManagement));
    // Nor does renaming start by the view's own gesture.
    QVERIFY(!window.NodeTree()->StartEdit(window.SelectedItem()));
    QVERIFY(!window.KeyList()->StartEdit(window.KeyModel()->index(1, 0)));
}

void DatabaseWindowTest::commandStatesOfAnOrdinaryUser() {
    TWindowFixture::TOptions options;
    options.populate = [](TKelmorClass& engine) {
        BuildSmallTree(engine);
        engine.SetUser(3, "clerk", "pw");
    };
    options.user = QStringLiteral("clerk");
    options.password = QStringLiteral("pw");
    TWindowFixture fixture(options);
    QVERIFY(fixture.Opened());
    QVERIFY(!fixture.CommandEnabled(TDatabaseEntry::DatabaseInformation));
    QVERIFY(!fixture.CommandEnabled(TDatabaseEntry::UserManagement));
    QVERIFY(fixture.CommandEnabled(TDatabaseEntry::ChangePassword));
}

void DatabaseWindowTest::flushTimerAndKeyListWaitForWorkers() {
    TWindowFixture fixture(BuildSmallTree);
    QVERIFY(fixture.Opened());
    TMDIChild& window = fixture.Window();
    TKelmorClass& engine = fixture.Engine();
    AddNode(engine, 0, "Fresh");
    QVERIFY(engine.Modified());
    fixture.Select(fixture.Item({"Gamma"}));
    window.BeginWorkerUse();
    window.FlushTimer()->start(10);
    window.NodeTree()->setCurrentIndex(fixture.Item({"Alpha"}));
    QTest::qWait(150);
    // Held off while another thread uses the engine: no flush, no key list.
    QVERIFY(engine.Modified());
    QVERIFY(fixture.KeyRows().isEmpty());
    window.EndWorkerUse();
    QTRY_VERIFY(!engine.Modified());
    QTRY_COMPARE(fixture.KeyRows().size(), 3);
    TKelmorClass reader;
    QCOMPARE(reader.OpenDatabase(ToEnginePath(fixture.BasePath()), true, TKelmorClass::MakeLogin("admin", "secret")),
             kResultOK);
    QCOMPARE(reader.Header().nodeCount, uint16_t(7));
}

void DatabaseWindowTest::enterOpensAndClosesAnItem() {
    TWindowFixture fixture(BuildSmallTree);
    QVERIFY(fixture.Opened());
    TMDIChild& window = fixture.Window();
    const QModelIndex root = window.RootItem();
    fixture.Select(root);
    window.NodeTree()->setFocus();
    QTRY_VERIFY(window.NodeTree()->hasFocus());
    QTest::keyClick(window.NodeTree(), Qt::Key_Return);
    QVERIFY(window.NodeTree()->isExpanded(root));
    QCOMPARE(window.TreeModel()->rowCount(root), 3);
    QTest::keyClick(window.NodeTree(), Qt::Key_Return);
    QVERIFY(!window.NodeTree()->isExpanded(root));
    QCOMPARE(window.TreeModel()->rowCount(root), 0);
    QCOMPARE(window.SelectedItem(), root);

    // Down to Alpha, open it, down to its first child.
    QTest::keyClick(window.NodeTree(), Qt::Key_Return);
    QTest::keyClick(window.NodeTree(), Qt::Key_Down);
    const QModelIndex alpha = window.TreeModel()->index(0, 0, root);
    QCOMPARE(window.SelectedItem(), alpha);
    QTest::keyClick(window.NodeTree(), Qt::Key_Return);
    QVERIFY(window.NodeTree()->isExpanded(alpha));
    QTest::keyClick(window.NodeTree(), Qt::Key_Down);
    QCOMPARE(window.TreeModel()->Text(window.SelectedItem()), QStringLiteral("A1"));
    // Enter on an item without a button does nothing special.
    QTest::keyClick(window.NodeTree(), Qt::Key_Return);
    QCOMPARE(window.TreeModel()->Text(window.SelectedItem()), QStringLiteral("A1"));
}

void DatabaseWindowTest::viewShortcutsComeBeforeTheMenuBar() {
    TWindowFixture::TOptions options;
    options.populate = BuildSmallTree;
    options.confirmDeletion = false;
    options.host = TWindowFixture::THost::MainForm;  // the keys go through its menus
    TWindowFixture fixture(options);
    QVERIFY(fixture.Opened());
    TMDIChild& window = fixture.Window();
    QCOMPARE(window.ContextMenuFor(window.NodeTree()), window.NodeTreeMenu());
    QCOMPARE(window.ContextMenuFor(window.KeyList()), window.KeyListMenu());
    QCOMPARE(window.ContextMenuFor(&fixture.Form()), nullptr);

    fixture.Select(fixture.Item({"Alpha"}));
    window.KeyList()->setFocus();
    QTRY_VERIFY(window.KeyList()->hasFocus());
    fixture.SelectKey(1);
    // Del with the key list focused deletes the key, not the node.
    QTest::keyClick(window.KeyList(), Qt::Key_Delete);
    QCOMPARE(fixture.KeyRows(), QStringList({"Colour=blue", "Flag=7"}));
    QVERIFY(fixture.Item({"Alpha"}).isValid());

    // Ctrl+N with the tree focused is New Node, and the new node's name is being edited.
    window.NodeTree()->setFocus();
    QTRY_VERIFY(window.NodeTree()->hasFocus());
    QTest::keyClick(window.NodeTree(), Qt::Key_N, Qt::ControlModifier);
    QVERIFY(window.NodeTree()->IsEditing());
    QCOMPARE(fixture.Children(fixture.Item({"Alpha"})), QStringList({"A1", "A2", "New Node"}));
    QVERIFY(FinishEdit(window.NodeTree(), false));
}

void DatabaseWindowTest::rightClickSelectsBeforeTheMenu() {
    TWindowFixture fixture(BuildSmallTree);
    QVERIFY(fixture.Opened());
    TMDIChild& window = fixture.Window();
    const QModelIndex alpha = fixture.Item({"Alpha"});
    fixture.Select(window.RootItem());
    const QPoint at = window.NodeTree()->visualRect(alpha).center();
    QTest::mousePress(window.NodeTree()->viewport(), Qt::RightButton, Qt::NoModifier, at);
    QCOMPARE(window.SelectedItem(), alpha);
    // Handled at once, not after the delay: the menu's states are already right.
    QCOMPARE(fixture.KeyRows().size(), 3);
    QVERIFY(fixture.CommandEnabled(TCommandId::RenameNode));
    QTest::mouseRelease(window.NodeTree()->viewport(), Qt::RightButton, Qt::NoModifier, at);
    window.NodeTreeMenu()->hide();
    window.KeyListMenu()->hide();
}

void DatabaseWindowTest::reapplyTreeStatesGivesButtonsBack() {
    TWindowFixture fixture(BuildSmallTree);
    QVERIFY(fixture.Opened());
    TMDIChild& window = fixture.Window();
    const QModelIndex gamma = fixture.Item({"Gamma"});
    QVERIFY(!window.TreeModel()->hasChildren(gamma));
    const int32_t gammaID = window.TreeModel()->NodeID(gamma);
    AddNode(fixture.Engine(), gammaID, "Late child");
    window.RefreshColours();
    QVERIFY(window.TreeModel()->hasChildren(gamma));
    fixture.Expand(gamma);
    QCOMPARE(fixture.Children(gamma), QStringList({"Late child"}));
}

void DatabaseWindowTest::onlyTheActiveWindowSetsTheStates() {
    TWindowFixture fixture(BuildSmallTree, TWindowFixture::THost::MainForm);
    QVERIFY(fixture.Opened());
    TMDIChild& first = fixture.Window();
    fixture.Select(fixture.Item({"Beta", "A1"}));  // a link
    QVERIFY(!fixture.CommandEnabled(TCommandId::NewNode));

    // A second database, read-only, becomes the active window.
    TGuiTempDir dir;
    const QString other = dir / QStringLiteral("other");
    QVERIFY(CreateDatabase(other));
    auto engine = std::make_unique<TKelmorClass>();
    QCOMPARE(engine->OpenDatabase(ToEnginePath(other), true, TKelmorClass::MakeLogin("admin", "secret")), kResultOK);
    fixture.Form().ShowDatabaseWindow(std::move(engine), other);
    auto* second = dynamic_cast<TMDIChild*>(fixture.Form().ActiveDatabaseWindow());
    QVERIFY(second && second != &first);
    second->NodeTree()->setCurrentIndex(second->RootItem());
    second->RunPendingSelection();
    QVERIFY(!fixture.CommandEnabled(TCommandId::NewNode));  // read-only
    QVERIFY(!fixture.CommandEnabled(TCommandId::FileFlush));

    // The first window's selection changes behind it: the states stay the second's.
    fixture.Select(fixture.Item({"Alpha"}));
    QVERIFY(!fixture.CommandEnabled(TCommandId::NewNode));
    QCOMPARE(fixture.Form().StatusPanelText(), QStringLiteral("Root"));

    // Activating the first window again brings its states back.
    fixture.Form().DocumentArea()->setActiveSubWindow(fixture.Form().DatabaseWindows().first());
    QTRY_VERIFY(fixture.Form().ActiveDatabaseWindow() == &first);
    QVERIFY(fixture.CommandEnabled(TCommandId::NewNode));
    QVERIFY(fixture.CommandEnabled(TCommandId::FileFlush));
    QCOMPARE(fixture.Form().StatusPanelText(), QStringLiteral("Root\\Alpha"));
}

void DatabaseWindowTest::closingTheWindowFreesTheEngine() {
    TWindowFixture fixture(BuildSmallTree, TWindowFixture::THost::MainForm);
    QVERIFY(fixture.Opened());
    AddNode(fixture.Engine(), 0, "Kept");
    QCOMPARE(fixture.Form().OpenDatabases().size(), size_t(1));
    // Closed in the middle of an edit: the shared commands get their shortcuts back.
    QVERIFY(fixture.Window().NodeTree()->StartEdit(fixture.Item({"Gamma"})));
    QVERIFY(fixture.Form().Command(TCommandId::DeleteNode)->shortcut().isEmpty());
    fixture.Form().DatabaseWindows().first()->close();
    QTRY_VERIFY(fixture.Form().OpenDatabases().empty());  // once the window is destroyed
    QVERIFY(fixture.Form().DatabaseWindows().isEmpty());
    QVERIFY(!fixture.CommandEnabled(TCommandId::NewNode));
    QVERIFY(!fixture.CommandEnabled(TDatabaseEntry::ChangePassword));
    QCOMPARE(fixture.Form().Command(TCommandId::DeleteNode)->shortcut().toString(), QStringLiteral("Del"));
    QCOMPARE(fixture.Form().Command(TCommandId::PasteKey)->shortcut().toString(), QStringLiteral("Ctrl+V"));
    // Freeing the engine wrote the index.
    TKelmorClass reader;
    QCOMPARE(reader.OpenDatabase(ToEnginePath(fixture.BasePath()), true, TKelmorClass::MakeLogin("admin", "secret")),
             kResultOK);
    QCOMPARE(reader.Header().nodeCount, uint16_t(7));
}

namespace {
// Files of this process may not grow beyond `bytes` while it lives: writes fail as they
// fail on a full disk.
class TFileSizeCap {
public:
    explicit TFileSizeCap(rlim_t bytes) {
        getrlimit(RLIMIT_FSIZE, &saved_);
        previousHandler_ = std::signal(SIGXFSZ, SIG_IGN);
        rlimit cap = saved_;
        cap.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &cap);
    }
    ~TFileSizeCap() {
        setrlimit(RLIMIT_FSIZE, &saved_);
        std::signal(SIGXFSZ, previousHandler_);
    }

private:
    rlimit saved_{};
    void (*previousHandler_)(int) = nullptr;
};
}  // namespace

void DatabaseWindowTest::aSaveThatFailsOnClosingAsksBeforeChangesAreLost() {
    TWindowFixture fixture(BuildSmallTree);
    QVERIFY(fixture.Opened());
    for (int i = 0; i < 100; ++i) AddNode(fixture.Engine(), 0, std::string(250, 'n'));
    TMDIChild* window = &fixture.Window();
    {
        TFileSizeCap cap(16000);  // the save needs about 27,000 bytes
        TModalDriver driver;
        driver.Message(QMessageBox::No);
        QVERIFY(!window->close());
        QCOMPARE(driver.Messages().size(), 1);
        QVERIFY2(driver.Messages().first().contains(QStringLiteral("File too large")),
                 qPrintable(driver.Messages().first()));
        QVERIFY(driver.Messages().first().endsWith(
            QStringLiteral("Close the database all the same? The changes since it was last saved will be lost.")));
        QVERIFY(fixture.Engine().Modified());  // still open, nothing lost yet

        driver.Message(QMessageBox::Yes);
        QVERIFY(window->close());
        QTRY_VERIFY(fixture.TestHost().OpenDatabases().empty());
    }
    // The files hold the last completed save: the small tree without the new nodes.
    TKelmorClass reader;
    QCOMPARE(reader.OpenDatabase(ToEnginePath(fixture.BasePath()), true, TKelmorClass::MakeLogin("admin", "secret")),
             kResultOK);
    QCOMPARE(reader.Header().nodeCount, uint16_t(6));
}

void DatabaseWindowTest::freeSpaceText_data() {
    QTest::addColumn<qint64>("bytes");
    QTest::addColumn<char>("decimal");
    QTest::addColumn<char>("thousands");
    QTest::addColumn<QString>("text");
    QTest::newRow("unknown") << qint64(-1) << '.' << ',' << "Not Available.";
    QTest::newRow("none") << qint64(0) << '.' << ',' << "0.000 MB";
    QTest::newRow("half a megabyte") << qint64(524288) << '.' << ',' << "0.500 MB";
    QTest::newRow("thousands") << qint64(1294537359) << '.' << ',' << "1,234.567 MB";
    QTest::newRow("nine digits carry") << qint64(1048575999) << '.' << ',' << "1,000.000 MB";
    QTest::newRow("nine digits only") << qint64(12345678901234) << '.' << ',' << "11,773,756.900 MB";
    QTest::newRow("regional") << qint64(1294537359) << ',' << '.' << "1.234,567 MB";
}

void DatabaseWindowTest::freeSpaceText() {
    QFETCH(qint64, bytes);
    QFETCH(char, decimal);
    QFETCH(char, thousands);
    QFETCH(QString, text);
    TRegionalSettings settings;
    settings.decimalSeparator = decimal;
    settings.thousandsSeparator = thousands;
    QCOMPARE(FreeSpaceText(bytes, settings), text);
}

QTEST_MAIN(DatabaseWindowTest)
#include "databasewindow_test.moc"
