// The node and key clipboards of the database window: copying, moving and linking
// nodes with their tree items, jumping from links to their sources, finding and
// revealing items, and cutting, copying and pasting keys; each checked in the tree or
// key list and in the engine, with the messages of refusals and the cursor restored.
#include <QAbstractButton>
#include <QApplication>
#include <QElapsedTimer>
#include <QMessageBox>
#include <QTest>

#include "tests/gui/guitestsupport.h"
#include "tests/gui/windowfixture.h"
#include "ui/common.h"
#include "window/tkelmortreeview.h"
#include "window/tkeylistmodel.h"

using namespace kelmor;
using namespace kelmor::test;

namespace {

using C = TCommandId;

// Answers message boxes with OK, noting each text and whether the hourglass was still
// shown while it was up.
struct TMessages {
    TModalDriver driver;
    QStringList texts;
    bool busyDuringMessage = false;

    void Expect(int count = 1) {
        for (int i = 0; i < count; ++i) {
            driver.Then([this](QWidget* modal) {
                busyDuringMessage = busyDuringMessage || QApplication::overrideCursor() != nullptr;
                auto* box = qobject_cast<QMessageBox*>(modal);
                QVERIFY(box);
                texts << box->text();
                box->button(QMessageBox::Ok)->click();
            });
        }
    }
};

int32_t NodeOf(TWindowFixture& fixture, const QStringList& path) {
    return fixture.Window().TreeModel()->NodeID(fixture.Item(path));
}

QString SelectedText(TMDIChild& window) { return window.TreeModel()->Text(window.SelectedItem()); }

void Run(TMDIChild& window, TCommandId id) {
    window.ExecuteCommand(id);
    window.RunPendingSelection();
}

}  // namespace

class ClipboardTest : public QObject {
    Q_OBJECT
private slots:
    void init() { UseTestSettings(); }

    void copyPastesIndependentCopiesAndKeepsTheMark();
    void pasteUnderACollapsedItemExpandsIt();
    void cutMovesTheNodeWhenPasted();
    void refusedMovesEndTheCut_data();
    void refusedMovesEndTheCut();
    void cutThenCopyDropsTheCut();
    void deletingTheMarkedBranchWithdrawsPaste();
    void pasteAsLink();
    void linkingToADeletedSourceIsRefused();
    void jumpToSourceRevealsACollapsedBranch();
    void jumpFromABrokenLink();
    void aHiddenSourceIsNotRevealed();
    void revealingAmongManyChildren();
    void keyCutAndPaste();
    void keyCopyPastedTwice();
    void blobKeysAreNotMarked_data();
    void blobKeysAreNotMarked();
};

void ClipboardTest::copyPastesIndependentCopiesAndKeepsTheMark() {
    TWindowFixture fixture(BuildSmallTree);
    QVERIFY(fixture.Opened());
    TMDIChild& window = fixture.Window();
    TKelmorClass& engine = fixture.Engine();
    const int32_t alpha = NodeOf(fixture, {"Alpha"});

    fixture.Select(fixture.Item({"Alpha"}));
    QVERIFY(!fixture.CommandEnabled(C::PasteNode));
    Run(window, C::CopyNode);
    QVERIFY(!window.CutPending());
    QVERIFY(!window.TreeModel()->IsCut(fixture.Item({"Alpha"})));
    QCOMPARE(engine.MarkedNode(), alpha);

    for (const QString& target : {QStringLiteral("Gamma"), QStringLiteral("Beta")}) {
        fixture.Select(fixture.Item({target}));
        QVERIFY(fixture.CommandEnabled(C::PasteNode));
        QVERIFY(fixture.CommandEnabled(C::PasteAsLink));
        Run(window, C::PasteNode);
        QCOMPARE(SelectedText(window), QStringLiteral("Alpha"));
        QCOMPARE(window.SelectedItem().parent(), fixture.Item({target}));
        QCOMPARE(fixture.KeyRows(), QStringList({"Colour=blue", "Count=-12", "Flag=7"}));
        QVERIFY(QApplication::overrideCursor() == nullptr);
    }
    QCOMPARE(engine.MarkedNode(), alpha);
    QCOMPARE(fixture.Children(fixture.Item({"Beta"})), QStringList({"A1", "Alpha"}));

    const int32_t first = NodeOf(fixture, {"Gamma", "Alpha"});
    const int32_t second = NodeOf(fixture, {"Beta", "Alpha"});
    QVERIFY(first != alpha && second != alpha && first != second);
    QCOMPARE(EngineChildren(engine, first), QStringList({"A1", "A2"}));
    QCOMPARE(EngineChildren(engine, second), QStringList({"A1", "A2"}));
    // Changing one copy leaves the other and the original alone.
    engine.LoadNode(first);
    engine.DeleteKey(1);
    engine.SaveNode(first);
    engine.LoadNode(second);
    QCOMPARE(engine.KeyCount(), uint16_t(3));
    engine.LoadNode(alpha);
    QCOMPARE(engine.KeyCount(), uint16_t(3));
}

void ClipboardTest::pasteUnderACollapsedItemExpandsIt() {
    TWindowFixture fixture(BuildSmallTree);
    QVERIFY(fixture.Opened());
    TMDIChild& window = fixture.Window();
    fixture.Select(fixture.Item({"Gamma"}));
    Run(window, C::CopyNode);

    const QModelIndex alpha = fixture.Item({"Alpha"});
    window.NodeTree()->collapse(alpha);
    QVERIFY(!window.NodeTree()->isExpanded(alpha));
    fixture.Select(alpha);
    Run(window, C::PasteNode);
    QVERIFY(window.NodeTree()->isExpanded(alpha));
    QCOMPARE(fixture.Children(alpha), QStringList({"A1", "A2", "Gamma"}));
    QCOMPARE(window.SelectedItem(), window.TreeModel()->index(2, 0, alpha));

    // A leaf gets its expand button and shows the pasted child.
    const QModelIndex a2 = fixture.Item({"Alpha", "A2"});
    fixture.Select(a2);
    Run(window, C::PasteNode);
    QVERIFY(window.NodeTree()->isExpanded(a2));
    QCOMPARE(fixture.Children(a2), QStringList({"Gamma"}));
    QCOMPARE(window.SelectedItem().parent(), a2);
    QCOMPARE(EngineChildren(fixture.Engine(), NodeOf(fixture, {"Alpha", "A2"})), QStringList({"Gamma"}));
}

void ClipboardTest::cutMovesTheNodeWhenPasted() {
    TWindowFixture fixture(BuildSmallTree);
    QVERIFY(fixture.Opened());
    TMDIChild& window = fixture.Window();
    TKelmorClass& engine = fixture.Engine();
    const int32_t a2 = NodeOf(fixture, {"Alpha", "A2"});
    const int32_t gamma = NodeOf(fixture, {"Gamma"});

    fixture.Select(fixture.Item({"Alpha", "A2"}));
    Run(window, C::CutNode);
    QVERIFY(window.CutPending());
    QVERIFY(window.TreeModel()->IsCut(fixture.Item({"Alpha", "A2"})));
    QCOMPARE(EngineChildren(engine, NodeOf(fixture, {"Alpha"})), QStringList({"A1", "A2"}));  // not yet moved

    fixture.Select(fixture.Item({"Gamma"}));
    QVERIFY(fixture.CommandEnabled(C::PasteNode));
    QVERIFY(!fixture.CommandEnabled(C::PasteAsLink));  // no link to a node on its way
    Run(window, C::PasteNode);
    QVERIFY(QApplication::overrideCursor() == nullptr);
    QCOMPARE(engine.GetParent(a2), gamma);
    QCOMPARE(fixture.Children(fixture.Item({"Alpha"})), QStringList({"A1"}));
    QCOMPARE(fixture.Children(fixture.Item({"Gamma"})), QStringList({"A2"}));
    QCOMPARE(window.TreeModel()->NodeID(window.SelectedItem()), a2);
    QVERIFY(!window.TreeModel()->IsCut(window.SelectedItem()));
    QCOMPARE(window.FindTreeItem(a2), window.SelectedItem());
    QVERIFY(!window.CutPending());
    QVERIFY(!engine.NodeMarked());
    QVERIFY(!fixture.CommandEnabled(C::PasteNode));

    // A top-level node pasted onto the root goes to the end of the root's children.
    fixture.Select(fixture.Item({"Alpha"}));
    Run(window, C::CutNode);
    fixture.Select(window.RootItem());
    Run(window, C::PasteNode);
    QCOMPARE(fixture.Children(window.RootItem()), QStringList({"Beta", "Gamma", "Alpha"}));
    QCOMPARE(SelectedText(window), QStringLiteral("Alpha"));
    QCOMPARE(window.TreeModel()->ItemsOf(NodeOf(fixture, {"Alpha"})).size(), size_t(1));
}

void ClipboardTest::refusedMovesEndTheCut_data() {
    QTest::addColumn<QStringList>("cut");
    QTest::addColumn<QStringList>("target");
    QTest::newRow("under its own parent") << QStringList{"Alpha", "A1"} << QStringList{"Alpha"};
    QTest::newRow("into its own branch") << QStringList{"Alpha"} << QStringList{"Alpha", "A2"};
    QTest::newRow("onto itself") << QStringList{"Gamma"} << QStringList{"Gamma"};
}

void ClipboardTest::refusedMovesEndTheCut() {
    QFETCH(QStringList, cut);
    QFETCH(QStringList, target);
    TWindowFixture fixture(BuildSmallTree);
    QVERIFY(fixture.Opened());
    TMDIChild& window = fixture.Window();
    TKelmorClass& engine = fixture.Engine();
    const int32_t node = NodeOf(fixture, cut);
    const int32_t parent = engine.GetParent(node);

    fixture.Select(fixture.Item(cut));
    Run(window, C::CutNode);
    QVERIFY(window.TreeModel()->IsCut(fixture.Item(cut)));
    fixture.Select(fixture.Item(target));
    TMessages messages;
    messages.Expect();
    Run(window, C::PasteNode);
    QVERIFY(messages.driver.AllAnswered());
    QCOMPARE(messages.texts, QStringList({"You cannot move the marked node to this position."}));
    QVERIFY(!messages.busyDuringMessage);
    QVERIFY(QApplication::overrideCursor() == nullptr);

    QCOMPARE(engine.GetParent(node), parent);
    QVERIFY(fixture.Item(cut).isValid());
    QVERIFY(!window.TreeModel()->IsCut(fixture.Item(cut)));
    QVERIFY(!window.CutPending());
    QVERIFY(!engine.NodeMarked());
    QVERIFY(!fixture.CommandEnabled(C::PasteNode));
    QCOMPARE(fixture.Children(window.RootItem()), QStringList({"Alpha", "Beta", "Gamma"}));
}

void ClipboardTest::cutThenCopyDropsTheCut() {
    TWindowFixture fixture(BuildSmallTree);
    QVERIFY(fixture.Opened());
    TMDIChild& window = fixture.Window();
    const int32_t alpha = NodeOf(fixture, {"Alpha"});
    fixture.Select(fixture.Item({"Alpha"}));
    Run(window, C::CutNode);
    QVERIFY(window.TreeModel()->IsCut(fixture.Item({"Alpha"})));

    fixture.Select(fixture.Item({"Gamma"}));
    Run(window, C::CopyNode);
    QVERIFY(!window.CutPending());
    QVERIFY(!window.TreeModel()->IsCut(fixture.Item({"Alpha"})));
    QVERIFY(fixture.CommandEnabled(C::PasteAsLink));

    fixture.Select(fixture.Item({"Beta"}));
    Run(window, C::PasteNode);
    QCOMPARE(fixture.Children(fixture.Item({"Beta"})), QStringList({"A1", "Gamma"}));
    QCOMPARE(fixture.Engine().GetParent(alpha), 0);  // not moved
    QCOMPARE(fixture.Children(window.RootItem()), QStringList({"Alpha", "Beta", "Gamma"}));

    // Cutting again after a cut: only the newest cut node is dimmed.
    fixture.Select(fixture.Item({"Alpha"}));
    Run(window, C::CutNode);
    fixture.Select(fixture.Item({"Gamma"}));
    Run(window, C::CutNode);
    QVERIFY(!window.TreeModel()->IsCut(fixture.Item({"Alpha"})));
    QVERIFY(window.TreeModel()->IsCut(fixture.Item({"Gamma"})));
    // Items made later show the cut too, and lose it with the mark.
    window.NodeTree()->collapse(window.RootItem());
    QVERIFY(window.TreeModel()->IsCut(fixture.Item({"Gamma"})));
    window.ClearNodeMark();
    QVERIFY(!window.TreeModel()->IsCut(fixture.Item({"Gamma"})));
    QVERIFY(!fixture.Engine().NodeMarked());
}

void ClipboardTest::deletingTheMarkedBranchWithdrawsPaste() {
    for (const C mark : {C::CopyNode, C::CutNode}) {
        TWindowFixture fixture(BuildSmallTree);
        QVERIFY(fixture.Opened());
        TMDIChild& window = fixture.Window();
        fixture.SetOption(TDatabaseHost::TOption::ConfirmDeletion, false);
        fixture.Select(fixture.Item({"Alpha", "A1"}));
        Run(window, mark);
        fixture.Select(fixture.Item({"Gamma"}));
        QVERIFY(fixture.CommandEnabled(C::PasteNode));

        fixture.Select(fixture.Item({"Alpha"}));
        Run(window, C::DeleteNode);
        fixture.Select(fixture.Item({"Gamma"}));
        QVERIFY(!fixture.Engine().NodeMarked());
        QVERIFY(!window.CutPending());
        QCOMPARE(fixture.Enabled({C::PasteNode, C::PasteAsLink}), QStringList());
    }
}

void ClipboardTest::pasteAsLink() {
    TWindowFixture fixture(BuildSmallTree);
    QVERIFY(fixture.Opened());
    TMDIChild& window = fixture.Window();
    TKelmorClass& engine = fixture.Engine();
    const int32_t gamma = NodeOf(fixture, {"Gamma"});
    fixture.Select(fixture.Item({"Gamma"}));
    Run(window, C::CopyNode);

    for (const QStringList& target : {QStringList{"Alpha"}, QStringList{"Alpha", "A2"}}) {
        fixture.Select(fixture.Item(target));
        Run(window, C::PasteAsLink);
        const QModelIndex link = window.SelectedItem();
        QCOMPARE(link.parent(), fixture.Item(target));
        QCOMPARE(window.TreeModel()->Kind(link), TTreeItemKind::Link);
        QCOMPARE(window.TreeModel()->Text(link), QStringLiteral("Gamma"));
        QVERIFY(engine.IsLink(window.SelectedNode()));
        QCOMPARE(engine.GetLinkSource(window.SelectedNode()), gamma);
        QVERIFY(fixture.CommandEnabled(C::JumpToSource));
        QVERIFY(!fixture.CommandEnabled(C::PasteAsLink));  // not under a link
    }
    QCOMPARE(engine.MarkedNode(), gamma);

    // Back from the link to its source.
    Run(window, C::JumpToSource);
    QCOMPARE(window.SelectedItem(), fixture.Item({"Gamma"}));
    QCOMPARE(window.SelectedNode(), gamma);

    // Linking a node below itself is refused.
    fixture.Select(fixture.Item({"Alpha"}));
    Run(window, C::CopyNode);
    fixture.Select(fixture.Item({"Alpha", "A2"}));
    TMessages messages;
    messages.Expect();
    Run(window, C::PasteAsLink);
    QCOMPARE(messages.texts, QStringList({"Sorry! You cannot link the marked node at this position."}));
    QVERIFY(!messages.busyDuringMessage);
    QVERIFY(QApplication::overrideCursor() == nullptr);
}

void ClipboardTest::linkingToADeletedSourceIsRefused() {
    TWindowFixture fixture(BuildSmallTree);
    QVERIFY(fixture.Opened());
    TMDIChild& window = fixture.Window();
    TKelmorClass& engine = fixture.Engine();
    // The marked node is the link below Beta; its source goes.
    fixture.Select(fixture.Item({"Beta", "A1"}));
    Run(window, C::CopyNode);
    engine.DeleteNode(NodeOf(fixture, {"Alpha", "A1"}));
    QVERIFY(engine.NodeMarked());

    fixture.Select(fixture.Item({"Gamma"}));
    QVERIFY(fixture.CommandEnabled(C::PasteAsLink));
    TMessages messages;
    messages.Expect();
    Run(window, C::PasteAsLink);
    QVERIFY(messages.driver.AllAnswered());
    QCOMPARE(messages.texts, QStringList({"Sorry! You cannot link the marked node at this position."}));
    QVERIFY(!messages.busyDuringMessage);
    QVERIFY(QApplication::overrideCursor() == nullptr);
    QCOMPARE(EngineChildren(engine, NodeOf(fixture, {"Gamma"})), QStringList());

    // The root takes any placement; the engine then finds the source gone.
    fixture.Select(window.RootItem());
    messages.Expect();
    Run(window, C::PasteAsLink);
    QVERIFY(messages.driver.AllAnswered());
    QCOMPARE(messages.texts.last(), QStringLiteral("Unable to create link, because source node has been deleted."));
    QVERIFY(!messages.busyDuringMessage);
    QCOMPARE(fixture.Children(window.RootItem()), QStringList({"Alpha", "Beta", "Gamma"}));
    QCOMPARE(EngineChildren(engine, 0), QStringList({"Alpha", "Beta", "Gamma"}));
}

void ClipboardTest::jumpToSourceRevealsACollapsedBranch() {
    TWindowFixture fixture([](TKelmorClass& engine) {
        const int32_t deep = AddNode(engine, AddNode(engine, AddNode(engine, 0, "One"), "Two"), "Three");
        AddNode(engine, deep, "Other");
        const int32_t source = AddNode(engine, deep, "Source");
        AddLink(engine, AddNode(engine, 0, "Links"), source);
    });
    QVERIFY(fixture.Opened());
    TMDIChild& window = fixture.Window();
    const QModelIndex link = fixture.Item({"Links", "Source"});
    QVERIFY(!window.NodeTree()->isExpanded(fixture.Item({"One"})));
    QCOMPARE(window.TreeModel()->rowCount(fixture.Item({"One"})), 0);  // never read
    const int32_t source = fixture.Engine().GetLinkSource(window.TreeModel()->NodeID(link));
    QVERIFY(!window.FindTreeItem(source).isValid());

    fixture.Select(link);
    Run(window, C::JumpToSource);
    QCOMPARE(window.SelectedNode(), source);
    QCOMPARE(window.NodePath(window.SelectedItem(), true), QStringLiteral("Root\\One\\Two\\Three\\Source"));
    for (QModelIndex item = window.SelectedItem().parent(); item.isValid(); item = item.parent())
        QVERIFY(window.NodeTree()->isExpanded(item));
    QCOMPARE(window.FindTreeItem(source), window.SelectedItem());
    QVERIFY(!fixture.CommandEnabled(C::JumpToSource));
    QCOMPARE(window.RevealNode(0), window.RootItem());
    QVERIFY(!window.RevealNode(9999).isValid());
}

void ClipboardTest::jumpFromABrokenLink() {
    TWindowFixture fixture(BuildSmallTree);
    QVERIFY(fixture.Opened());
    TMDIChild& window = fixture.Window();
    const QModelIndex link = fixture.Item({"Beta", "A1"});
    fixture.Engine().DeleteNode(NodeOf(fixture, {"Alpha", "A1"}));
    fixture.Select(link);
    QVERIFY(fixture.CommandEnabled(C::JumpToSource));
    TMessages messages;
    messages.Expect();
    Run(window, C::JumpToSource);
    QVERIFY(messages.driver.AllAnswered());
    QCOMPARE(messages.texts, QStringList({"Linked Node does not exist."}));
    QCOMPARE(window.SelectedItem(), QModelIndex(link));
}

void ClipboardTest::aHiddenSourceIsNotRevealed() {
    TWindowFixture::TOptions options;
    options.populate = [](TKelmorClass& engine) {
        const int32_t source = AddNode(engine, AddNode(engine, 0, "Folder"), "Secret");
        AddLink(engine, AddNode(engine, 0, "Links"), source);
        engine.SetNodeSecurity(source, 1, false);  // for the administrator only, after linking
        engine.SetUser(3, "clerk", "pw");
    };
    options.user = QStringLiteral("clerk");
    options.password = QStringLiteral("pw");
    TWindowFixture fixture(options);
    QVERIFY(fixture.Opened());
    TMDIChild& window = fixture.Window();
    const QModelIndex link = fixture.Item({"Links", "Secret"});
    QVERIFY(link.isValid());
    const int32_t source = fixture.Engine().GetLinkSource(window.TreeModel()->NodeID(link));
    QVERIFY(!window.RevealNode(source).isValid());
    fixture.Select(link);
    TMessages messages;  // none
    Run(window, C::JumpToSource);
    QCOMPARE(window.SelectedItem(), QModelIndex(link));
    QVERIFY(messages.texts.isEmpty());
    QVERIFY(fixture.Children(fixture.Item({"Folder"})).isEmpty());
}

void ClipboardTest::revealingAmongManyChildren() {
    // Nearly as many as a database holds, with room left for a copy of two nodes.
    constexpr int kChildren = 65530;
    int32_t last = 0;
    TWindowFixture fixture([&last](TKelmorClass& engine) {
        const int32_t big = AddNode(engine, 0, "Big");
        for (int i = 0; i < kChildren; ++i) last = AddNode(engine, big, "n" + std::to_string(i));
        AddNode(engine, last, "Leaf");
    });
    QVERIFY(fixture.Opened());
    TMDIChild& window = fixture.Window();
    QElapsedTimer clock;
    clock.start();
    const QModelIndex item = window.RevealNode(last);
    QVERIFY(item.isValid());
    QCOMPARE(window.TreeModel()->Text(item), QStringLiteral("n65529"));
    for (int i = 0; i < 1000; ++i) QCOMPARE(window.FindTreeItem(last), item);
    // Copying the big node's last child under its first one.
    fixture.Select(item);
    Run(window, C::CopyNode);
    fixture.Select(window.TreeModel()->index(0, 0, item.parent()));
    Run(window, C::PasteNode);
    QCOMPARE(window.TreeModel()->rowCount(item.parent()), kChildren);
    QCOMPARE(SelectedText(window), QStringLiteral("n65529"));

    // The database fills up: one more link fits, the next is refused, and so is a copy
    // of the big branch (an error the standard report shows).
    const QModelIndex root = window.RootItem();
    fixture.Select(root);
    Run(window, C::PasteAsLink);
    QCOMPARE(window.TreeModel()->Kind(window.SelectedItem()), TTreeItemKind::Link);
    fixture.Select(root);
    TMessages messages;
    messages.Expect(2);
    Run(window, C::PasteAsLink);
    fixture.Select(item.parent());
    Run(window, C::CopyNode);
    fixture.Select(root);
    Run(window, C::PasteNode);
    QVERIFY(messages.driver.AllAnswered());
    QCOMPARE(messages.texts.size(), 2);
    QCOMPARE(messages.texts.at(0), QStringLiteral("You cannot create a link here."));
    QVERIFY(messages.texts.at(1).startsWith(QStringLiteral("Database Full")));
    QVERIFY(!messages.busyDuringMessage);
    QVERIFY(QApplication::overrideCursor() == nullptr);
    QCOMPARE(fixture.Children(root), QStringList({"Big", "n65529"}));
    QCOMPARE(window.SelectedItem(), QModelIndex(root));
    QVERIFY(fixture.Engine().NodeMarked());  // a copy keeps its mark
    QVERIFY2(clock.elapsed() < 60000, qPrintable(QString::number(clock.elapsed())));
}

void ClipboardTest::keyCutAndPaste() {
    TWindowFixture fixture(BuildSmallTree);
    QVERIFY(fixture.Opened());
    TMDIChild& window = fixture.Window();
    TKelmorClass& engine = fixture.Engine();
    fixture.Select(fixture.Item({"Alpha"}));
    QVERIFY(!fixture.CommandEnabled(C::CutKey));
    fixture.SelectKey(2);
    QVERIFY(fixture.CommandEnabled(C::CutKey));
    Run(window, C::CutKey);
    QCOMPARE(fixture.KeyRows(), QStringList({"Colour=blue", "Count=-12"}));
    engine.LoadNode(NodeOf(fixture, {"Alpha"}));
    QCOMPARE(engine.KeyCount(), uint16_t(2));
    QVERIFY(engine.KeyMarked());

    fixture.Select(fixture.Item({"Gamma"}));
    QVERIFY(fixture.CommandEnabled(C::PasteKey));
    QVERIFY(!fixture.CommandEnabled(C::CutKey));
    for (int time = 1; time <= 2; ++time) {
        Run(window, C::PasteKey);
        QCOMPARE(window.SelectedKeyRow(), time - 1);
    }
    QCOMPARE(fixture.KeyRows(), QStringList({"Flag=7", "Flag=7"}));
    engine.LoadNode(NodeOf(fixture, {"Gamma"}));
    QCOMPARE(engine.KeyCount(), uint16_t(2));
    QCOMPARE(engine.KeyType(2), uint8_t(ktByte));
    QCOMPARE(FromLatin1(engine.KeyValueText(2)), QStringLiteral("7"));
    QVERIFY(engine.KeyMarked());

    // Reselecting shows what the engine keeps.
    fixture.Select(fixture.Item({"Alpha"}));
    fixture.Select(fixture.Item({"Gamma"}));
    QCOMPARE(fixture.KeyRows(), QStringList({"Flag=7", "Flag=7"}));
    // The root and links have no keys to paste into.
    fixture.Select(window.RootItem());
    QVERIFY(!fixture.CommandEnabled(C::PasteKey));
    fixture.Select(fixture.Item({"Beta", "A1"}));
    QVERIFY(!fixture.CommandEnabled(C::PasteKey));
}

void ClipboardTest::keyCopyPastedTwice() {
    TWindowFixture fixture(BuildSmallTree);
    QVERIFY(fixture.Opened());
    TMDIChild& window = fixture.Window();
    fixture.Select(fixture.Item({"Alpha"}));
    fixture.SelectKey(0);
    Run(window, C::CopyKey);
    QCOMPARE(fixture.KeyRows(), QStringList({"Colour=blue", "Count=-12", "Flag=7"}));
    QVERIFY(fixture.CommandEnabled(C::PasteKey));
    // Pasting into the node it came from appends it.
    Run(window, C::PasteKey);
    QCOMPARE(fixture.KeyRows(), QStringList({"Colour=blue", "Count=-12", "Flag=7", "Colour=blue"}));
    QCOMPARE(window.SelectedKeyRow(), 3);
    fixture.Select(fixture.Item({"Alpha", "A1"}));
    Run(window, C::PasteKey);
    QCOMPARE(fixture.KeyRows(), QStringList({"Size=100000", "Colour=blue"}));
    fixture.Select(fixture.Item({"Gamma"}));
    fixture.Select(fixture.Item({"Alpha", "A1"}));
    QCOMPARE(fixture.KeyRows(), QStringList({"Size=100000", "Colour=blue"}));
}

void ClipboardTest::blobKeysAreNotMarked_data() {
    QTest::addColumn<int>("command");
    QTest::newRow("cut") << int(C::CutKey);
    QTest::newRow("copy") << int(C::CopyKey);
}

void ClipboardTest::blobKeysAreNotMarked() {
    QFETCH(int, command);
    TWindowFixture fixture([](TKelmorClass& engine) {
        BuildSmallTree(engine);
        const int32_t node = AddNode(engine, 0, "Blobs");
        engine.LoadNode(node);
        engine.AddStringKey("Text", "x");
        const uint8_t data[] = {1, 2, 3};
        engine.AddBlobKey("Data", data, sizeof data);
        engine.SaveNode(node);
    });
    QVERIFY(fixture.Opened());
    TMDIChild& window = fixture.Window();
    TKelmorClass& engine = fixture.Engine();
    fixture.Select(fixture.Item({"Blobs"}));
    fixture.SelectKey(0);
    Run(window, C::CopyKey);  // the mark that must survive

    const QStringList before = fixture.KeyRows();
    fixture.SelectKey(1);
    TMessages messages;
    messages.Expect();
    Run(window, static_cast<TCommandId>(command));
    QVERIFY(messages.driver.AllAnswered());
    QCOMPARE(messages.texts, QStringList({"Invalid Operation on Blob"}));
    QCOMPARE(fixture.KeyRows(), before);
    engine.LoadNode(window.SelectedNode());
    QCOMPARE(engine.KeyCount(), uint16_t(2));
    QCOMPARE(engine.KeyType(2), uint8_t(ktBlob));

    fixture.Select(fixture.Item({"Gamma"}));
    Run(window, C::PasteKey);
    QCOMPARE(fixture.KeyRows(), QStringList({"Text=x"}));
}

QTEST_MAIN(ClipboardTest)
#include "clipboard_test.moc"
