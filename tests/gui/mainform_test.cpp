// The main window: commands wired to their actions and menus, the command order and the
// menu layout, the toolbar layout and its settings, command states, shortcut resolution,
// options and the status bar.
#include <QAction>
#include <QApplication>
#include <QGuiApplication>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QProgressBar>
#include <QRegularExpression>
#include <QScreen>
#include <QSettings>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QTest>
#include <QToolBar>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "app/tcommanddefinition.h"
#include "app/tmainform.h"
#include "engine/tkelmor.h"
#include "tests/gui/guitestsupport.h"
#include "ui/tdatabasewindow.h"

using namespace kelmor;
using namespace kelmor::test;

namespace {

// A database window with a tree view whose context menu carries some node commands,
// recording the commands it receives.
class TFakeDatabaseWindow : public QWidget, public TDatabaseWindow {
public:
    TFakeDatabaseWindow(TDatabaseHost& host, const QString& base) : host_(host), base_(base) {
        tree = new QTreeWidget(this);
        auto* layout = new QVBoxLayout(this);
        layout->addWidget(tree);
        treeMenu = new QMenu(this);
        for (TCommandId id :
             {TCommandId::NewNode, TCommandId::RenameNode, TCommandId::SortBranch, TCommandId::DeleteNode})
            treeMenu->addAction(host.Command(id));
        setWindowTitle(base);
    }
    TKelmorClass& Engine() override { return engine_; }
    QString BasePath() const override { return base_; }
    void ExecuteCommand(TCommandId id) override { received.append(QString::fromLatin1(CommandDefinition(id).name)); }
    bool FlushDatabase() override { return true; }
    void ChangePassword() override {}
    void DatabaseInformation() override {}
    void UserManagement() override {}
    void UpdateCommandStates() override {
        for (TCommandId id : {TCommandId::NewNode, TCommandId::SortBranch, TCommandId::RenameNode})
            host_.Command(id)->setEnabled(true);
        host_.Command(TCommandId::DeleteNode)->setEnabled(deleteEnabled);
    }
    void SetInfoPaneVisible(bool visible) override { infoPane = visible; }
    void UpdateTitle() override {
        setWindowTitle(host_.Option(TDatabaseHost::TOption::FullPathOnTitle) ? base_ : QStringLiteral("SHORT"));
    }
    void RefreshColours() override {}
    QString StatusText() const override { return QStringLiteral("window status"); }
    QMenu* ContextMenuFor(QWidget* focus) override { return focus == tree ? treeMenu : nullptr; }

    QTreeWidget* tree;
    QMenu* treeMenu;
    QStringList received;
    bool infoPane = false;
    bool deleteEnabled = false;

private:
    TDatabaseHost& host_;
    QString base_;
    TKelmorClass engine_;
};

QStringList MenuLayout(QMenu* menu) {
    QStringList entries;
    for (QAction* entry : menu->actions()) {
        if (entry->isSeparator()) entries << QStringLiteral("-");
        else if (entry->menu())
            entries << entry->text() + QLatin1Char('>') + MenuLayout(entry->menu()).join(QLatin1Char(','));
        else if (entry->property("recentFile").toBool()) entries << QStringLiteral("recent");
        else entries << entry->objectName();
    }
    return entries;
}

// The titles of the menus that lead from the menu bar to `command`, e.g. {"&Key",
// "&Add Key"}; empty when no menu holds it.
QStringList MenuPath(QMenu* menu, const QAction* command) {
    for (QAction* entry : menu->actions()) {
        if (entry == command) return {menu->title()};
        if (entry->menu()) {
            const QStringList below = MenuPath(entry->menu(), command);
            if (!below.isEmpty()) return QStringList{menu->title()} + below;
        }
    }
    return {};
}

QStringList MenuPath(QMenuBar* bar, const QAction* command) {
    for (QAction* menu : bar->actions()) {
        if (!menu->menu()) continue;
        const QStringList path = MenuPath(menu->menu(), command);
        if (!path.isEmpty()) return path;
    }
    return {};
}

// The names of the listed commands whose enabled state is `enabled`.
QStringList InState(const TMainForm& form, bool enabled, std::initializer_list<TCommandId> ids) {
    QStringList names;
    for (TCommandId id : ids) {
        if (form.Command(id)->isEnabled() == enabled) names << form.Command(id)->objectName();
    }
    return names;
}

QStringList ToolbarNames(const std::vector<QAction*>& layout) {
    QStringList names;
    for (QAction* entry : layout) names << (entry ? entry->objectName() : QStringLiteral("|"));
    return names;
}

// Database windows of `form` become fake ones; `fake` points at the last one made.
void UseFakeWindows(TMainForm& form, TFakeDatabaseWindow*& fake) {
    form.SetDatabaseWindowFactory([&fake](TDatabaseHost& host, std::unique_ptr<TKelmorClass>, const QString& base) {
        fake = new TFakeDatabaseWindow(host, base);
        return fake;
    });
}

}  // namespace

class MainFormTest : public QObject {
    Q_OBJECT
private slots:
    void init() { UseTestSettings(); }

    void commandListFollowsTheTable_data();
    void commandListFollowsTheTable();
    void commandOrderIsTheCommandListOrder();
    void menuBarHoldsTheEntriesInOrder();
    void defaultToolbarLayout();
    void storedToolbarLayoutIsReadRightToLeft_data();
    void storedToolbarLayoutIsReadRightToLeft();
    void toolbarLayoutRoundTripsThroughSettings();
    void commandsStartDisabledAndTheFirstWindowEnablesTheGlobalOnes();
    void closingTheLastWindowDisablesTheDocumentMenus();
    void shortcutsGoToTheFocusedViewsMenuFirst();
    void disabledFirstHolderSwallowsTheKey();
    void aSharedKeyInTheMenuBarIsNotAmbiguous();
    void commandsDispatchToTheActiveWindow();
    void optionsAreAppliedAndKept();
    void toolbarContextMenuHides();
    void statusBarShowsHintsAndProgress();
    void windowCommandsArrangeTheDocuments();
    void windowBoundsAreRestored();
};

void MainFormTest::commandListFollowsTheTable_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("tooltip");
    QTest::addColumn<QString>("statusTip");
    QTest::addColumn<QString>("shortcut");
    QTest::addColumn<int>("image");
    QTest::addColumn<QString>("category");
    QTest::addColumn<QString>("menu");
    const auto row = [](const char* name, const char* caption, const char* tip, const char* longTip,
                        const char* shortcut, int image, const char* category, const char* menu) {
        QTest::newRow(name) << name << caption << tip << longTip << shortcut << image << category << menu;
    };
    // A few commands of every group, chosen for what their wiring has to get right.
    // Image 0 is an image; Ctrl+N is the File menu's and the node list's.
    row("AFileNew", "&New...", "New", "Create a new database", "Ctrl+N", 0, "File", "&File");
    row("AFileExit", "E&xit", "Exit", "Exit application", "", -1, "File", "&File");  // no image, no shortcut
    // A hint without a short part serves as both.
    row("AWindowCascade", "&Cascade", "Cascade", "Cascade", "", -1, "Window", "&Window");
    row("AHelpAbout", "&About...", "About", "Show the program's name, version and copyright notice", "", -1, "Help",
        "&Help");
    row("AFind", "Find...", "Search Database", "Find Text in Database", "Ctrl+F", 4, "Search", "&Search");
    // Last in the command list, yet in the Search group and menu.
    row("ALocateID", "&Locate by ID...", "Locate by ID", "Locate a Node by specifying it's ID", "", 37, "Search",
        "&Search");
    row("ANewNode", "&New Node", "New Node", "Create a new node under the selected node", "Ctrl+N", 22, "Node",
        "&Node");
    row("ADeleteNode", "&Delete", "Delete Node", "Delete the selected node", "Del", 24, "Node", "&Node");
    row("ANodeSecurity", "&Security...", "Node Security", "Change node security details", "", 39, "Node", "&Node");
    // Adding and inserting a type share its caption and image.
    row("AAddByte", "&Byte", "Add Byte", "Add Byte", "", 7, "Keys", "&Key/&Add Key");
    row("AInsByte", "&Byte", "Insert Byte", "Insert Byte", "", 7, "Keys", "&Key/&Insert Key");
    row("AAddDouble", "Do&uble", "Add Double (8 bytes)", "Add Double (8 bytes)", "", 36, "Keys", "&Key/&Add Key");
    row("AInsDate", "&Date", "Insert Date", "Insert Date", "", 44, "Keys", "&Key/&Insert Key");  // the last image
    // F2 renames in the node list as well.
    row("ARenameKey", "&Rename", "Rename Key", "Rename the selected key", "F2", 19, "Keys", "&Key");
    row("ACutKey", "Cu&t", "Cut Key", "Cut Key", "Ctrl+X", 14, "Keys", "&Key");
}

void MainFormTest::commandListFollowsTheTable() {
    QFETCH(QString, name);
    TMainForm form;
    const std::optional<TCommandId> id = CommandIdByName(name.toStdString());
    QVERIFY2(id, qPrintable(name));
    QAction* command = form.Command(*id);
    QCOMPARE(command->objectName(), name);
    QFETCH(QString, caption);
    QFETCH(QString, tooltip);
    QFETCH(QString, statusTip);
    QFETCH(QString, shortcut);
    QFETCH(int, image);
    QFETCH(QString, category);
    QFETCH(QString, menu);
    QCOMPARE(command->text(), caption);
    QCOMPARE(command->toolTip(), tooltip);
    QCOMPARE(command->statusTip(), statusTip);
    QCOMPARE(command->shortcut(), QKeySequence::fromString(shortcut));
    QCOMPARE(command->property("imageIndex").toInt(), image);
    QCOMPARE(command->property("category").toString(), category);
    QCOMPARE(command->icon().isNull(), image < 0);
    // The menu entry is the command itself, so it shows the same caption and key.
    QCOMPARE(MenuPath(form.menuBar(), command).join(QLatin1Char('/')), menu);
}

void MainFormTest::commandOrderIsTheCommandListOrder() {
    TMainForm form;
    QStringList names;
    for (QAction* command : form.Commands()) names << command->objectName();
    // clang-format off
    const QStringList expected = {
        "AFileNew", "AFileOpen", "AFileFlush", "AFileClose", "AFileCloseAll", "AFileExit",
        "AWindowCascade", "AWindowTileHorizontal", "AWindowTileVertical", "AWindowMinimizeAll", "AWindowArrangeAll",
        "AHelpAbout",
        "AFind", "AReplace", "AFindBroken", "ASearchNext",
        "ANewNode", "ARenameNode", "ADeleteNode", "AInformation", "ACutNode", "ACopyNode", "APasteNode",
        "APasteAsLink", "AShiftUp", "AShiftDown", "ASortBranch", "AJumpToSource", "AImport", "AExport",
        "ANodeSecurity",
        "AAddByte", "AAddInteger", "AAddLongint", "AAddFloat", "AAddDouble", "AAddCurrency", "AAddString", "AAddDate",
        "AAddSeq", "AAddBlob",
        "AInsByte", "AInsInteger", "AInsLongint", "AInsFloat", "AInsDouble", "AInsCurrency", "AInsString", "AInsDate",
        "AInsSeq", "AInsBlob",
        "ARenameKey", "AEditKey", "ADeleteKey", "ACutKey", "ACopyKey", "APasteKey", "AShiftKeyUp", "AShiftKeyDown",
        "ALocateID"};
    // clang-format on
    QCOMPARE(names, expected);
    QCOMPARE(form.CommandImages().Count(), 45);
    QCOMPARE(form.TreeImages().Count(), 4);
}

void MainFormTest::menuBarHoldsTheEntriesInOrder() {
    TMainForm form;
    QStringList captions, hints;
    QList<QStringList> layouts;
    for (QAction* menu : form.menuBar()->actions()) {
        captions << menu->text();
        hints << menu->statusTip();
        layouts << MenuLayout(menu->menu());
    }
    QCOMPARE(captions, QStringList({"&File", "&Search", "&Node", "&Key", "&Database", "&Options", "&Window", "&Help"}));
    QCOMPARE(hints, QStringList({"File related commands", "Database Find/Replace commands", "Node operations",
                                 "Key operations", "Database operations", "Program options", "Window related commands",
                                 "Help topics"}));
    QCOMPARE(layouts[0],
             QStringList({"AFileNew", "AFileOpen", "-", "AFileFlush", "-", "AFileClose", "AFileCloseAll", "-", "recent",
                          "recent", "recent", "recent", "recent", "recent", "-", "AFileExit"}));
    QCOMPARE(layouts[1], QStringList({"AFind", "AReplace", "AFindBroken", "ASearchNext", "-", "ALocateID"}));
    QCOMPARE(layouts[2], QStringList({"ANewNode",
                                      "-",
                                      "ARenameNode",
                                      "ADeleteNode",
                                      "AInformation",
                                      "-",
                                      "ACutNode",
                                      "ACopyNode",
                                      "APasteNode",
                                      "APasteAsLink",
                                      "-",
                                      "AShiftUp",
                                      "AShiftDown",
                                      "-",
                                      "ASortBranch",
                                      "AJumpToSource",
                                      "-",
                                      "AImport",
                                      "AExport",
                                      "-",
                                      "ANodeSecurity"}));
    QCOMPARE(layouts[3],
             QStringList({"&Add Key>AAddByte,AAddInteger,AAddLongint,AAddFloat,AAddDouble,AAddCurrency,AAddString,"
                          "AAddDate,AAddSeq,AAddBlob",
                          "&Insert Key>AInsByte,AInsInteger,AInsLongint,AInsFloat,AInsDouble,AInsCurrency,AInsString,"
                          "AInsDate,AInsSeq,AInsBlob",
                          "-", "ARenameKey", "AEditKey", "ADeleteKey", "-", "ACutKey", "ACopyKey", "APasteKey", "-",
                          "AShiftKeyUp", "AShiftKeyDown"}));
    QCOMPARE(layouts[4], QStringList({"MIChangePassword", "MIDatabaseInformation", "-", "MIUserManagement"}));
    QCOMPARE(layouts[5], QStringList({"MIShowToolbar", "MIShowStatusBar", "MIShowInfoPane", "-", "MIConfirmDeletion",
                                      "ShowFullPathonTitleMI", "-", "MICustomiseToolbar"}));
    QCOMPARE(layouts[6], QStringList({"AWindowCascade", "AWindowTileHorizontal", "AWindowTileVertical",
                                      "AWindowMinimizeAll", "AWindowArrangeAll"}));
    QCOMPARE(layouts[7], QStringList({"MIOpenSample", "-", "AHelpAbout"}));
    QCOMPARE(form.DatabaseEntry(TDatabaseEntry::ChangePassword)->text(), QStringLiteral("Change Password..."));
    QCOMPARE(form.DatabaseEntry(TDatabaseEntry::UserManagement)->statusTip(),
             QStringLiteral("Database user administration"));
    QCOMPARE(form.OptionEntry(TMainForm::TOption::FullPathOnTitle)->text(), QStringLiteral("Full Path on Title"));
    QCOMPARE(form.OptionEntry(TMainForm::TOption::ShowInfoPane)->property("tag").toInt(), 3);
}

void MainFormTest::defaultToolbarLayout() {
    TMainForm form;
    QCOMPARE(ToolbarNames(form.ToolbarLayout()), QStringList({"AFileNew", "AFileOpen", "AFileClose", "|", "AFind",
                                                              "AReplace", "ASearchNext", "|", "AInformation"}));
    QCOMPARE(form.Toolbar()->actions().size(), 9);
    QVERIFY(form.Toolbar()->actions()[3]->isSeparator());
    QCOMPARE(form.Toolbar()->actions()[8], form.Command(TCommandId::Information));
}

void MainFormTest::storedToolbarLayoutIsReadRightToLeft_data() {
    QTest::addColumn<QVariantList>("items");  // Items, then Item1...
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("shared image: later command further left")
        << QVariantList{2, 7, -1} << QStringList({"AInsByte", "AAddByte", "|"});
    QTest::newRow("new, separator, open") << QVariantList{3, 0, -1, 1} << QStringList({"AFileNew", "|", "AFileOpen"});
    QTest::newRow("empty layout") << QVariantList{0} << QStringList();
    QTest::newRow("bad value stops the reading, keeping what was placed")
        << QVariantList{3, 0, QStringLiteral("x"), 1} << QStringList({"AFileOpen"});
    QTest::newRow("missing Items") << QVariantList{} << QStringList();
    QTest::newRow("image no command has") << QVariantList{2, 34, 4} << QStringList({"AFind"});
}

void MainFormTest::storedToolbarLayoutIsReadRightToLeft() {
    QFETCH(QVariantList, items);
    QFETCH(QStringList, expected);
    {
        QSettings settings(QStringLiteral("Kelmor"), QStringLiteral("Database Manager"));
        settings.beginGroup(QStringLiteral("Toolbar"));
        settings.setValue(QStringLiteral("Marker"), 1);  // the group exists
        if (!items.isEmpty()) settings.setValue(QStringLiteral("Items"), items[0]);
        for (int i = 1; i < items.size(); ++i) settings.setValue(QStringLiteral("Item%1").arg(i), items[i]);
    }
    TMainForm form;
    QCOMPARE(ToolbarNames(form.ToolbarLayout()), expected);
    QCOMPARE(form.Toolbar()->actions().size(), expected.size());
}

void MainFormTest::toolbarLayoutRoundTripsThroughSettings() {
    {
        TMainForm form;
        form.SetToolbarLayout({form.Command(TCommandId::FileExit), nullptr, form.Command(TCommandId::AddDate),
                               form.Command(TCommandId::Find)});
        form.SaveToolbarLayout();
    }
    QSettings settings(QStringLiteral("Kelmor"), QStringLiteral("Database Manager"));
    settings.beginGroup(QStringLiteral("Toolbar"));
    QCOMPARE(settings.value("Items").toInt(), 4);
    QCOMPARE(settings.value("Item1").toInt(), -1);  // a command without image comes back as a separator
    QCOMPARE(settings.value("Item3").toInt(), 44);
    settings.endGroup();
    TMainForm form;
    QCOMPARE(ToolbarNames(form.ToolbarLayout()), QStringList({"|", "|", "AInsDate", "AAddDate", "AFind"}));
}

void MainFormTest::commandsStartDisabledAndTheFirstWindowEnablesTheGlobalOnes() {
    TMainForm form;
    using C = TCommandId;
    QCOMPARE(InState(form, true,
                     {C::FileCloseAll, C::Find, C::LocateID, C::FindBroken, C::Information, C::Replace, C::SearchNext,
                      C::FileFlush, C::NewNode, C::AddByte, C::InsBlob, C::EditKey, C::WindowCascade, C::FileClose}),
             QStringList());
    QVERIFY(!form.DatabaseEntry(TDatabaseEntry::ChangePassword)->isEnabled());
    QVERIFY(!form.DatabaseEntry(TDatabaseEntry::UserManagement)->isEnabled());
    QCOMPARE(InState(form, false, {C::FileNew, C::FileOpen, C::FileExit, C::HelpAbout}), QStringList());

    form.SetDatabaseCommandsEnabled(true);
    QCOMPARE(InState(form, false, {C::FileCloseAll, C::Information, C::Find, C::LocateID, C::FindBroken}),
             QStringList());
    // The window decides these.
    QCOMPARE(InState(form, true, {C::Replace, C::SearchNext, C::FileFlush, C::NewNode}), QStringList());
}

void MainFormTest::closingTheLastWindowDisablesTheDocumentMenus() {
    TMainForm form;
    TFakeDatabaseWindow* fake = nullptr;
    UseFakeWindows(form, fake);
    form.show();
    form.ShowDatabaseWindow(nullptr, QStringLiteral("/nowhere/one"));
    QVERIFY(form.Command(TCommandId::FileCloseAll)->isEnabled());
    QVERIFY(form.Command(TCommandId::NewNode)->isEnabled());  // the window's own states
    QVERIFY(form.Command(TCommandId::WindowTileVertical)->isEnabled());
    QVERIFY(fake->infoPane);
    QCOMPARE(form.RecentFiles(), QStringList({"/nowhere/one"}));

    form.Command(TCommandId::FileCloseAll)->trigger();
    QCoreApplication::processEvents();
    QVERIFY(form.DatabaseWindows().isEmpty());
    using C = TCommandId;
    QCOMPARE(
        InState(form, true,
                {C::NewNode, C::SortBranch, C::RenameNode, C::FileCloseAll, C::Find, C::WindowCascade, C::FileClose}),
        QStringList());
    QVERIFY(form.Toolbar()->actions().contains(form.Command(TCommandId::Information)));
    QVERIFY(!form.Command(TCommandId::Information)->isEnabled());
}

void MainFormTest::shortcutsGoToTheFocusedViewsMenuFirst() {
    TMainForm form;
    TFakeDatabaseWindow* fake = nullptr;
    UseFakeWindows(form, fake);
    form.show();
    QVERIFY(QTest::qWaitForWindowActive(&form));
    form.ShowDatabaseWindow(nullptr, QStringLiteral("/nowhere/db"));
    fake->tree->setFocus();
    QTRY_VERIFY(fake->tree->hasFocus());

    QTest::keyClick(fake->tree, Qt::Key_N, Qt::ControlModifier);
    QTest::keyClick(fake->tree, Qt::Key_O, Qt::ControlModifier);
    QCOMPARE(fake->received, QStringList({"ANewNode", "ASortBranch"}));

    // Outside the views Ctrl+N and Ctrl+O are the File menu's: the dialogs come up.
    fake->received.clear();
    form.DocumentArea()->setFocus();
    TModalDriver driver;
    driver.Then([](QWidget* modal) { modal->close(); });
    QTest::keyClick(form.DocumentArea(), Qt::Key_N, Qt::ControlModifier);
    QVERIFY(driver.AllAnswered());
    QCOMPARE(driver.ModalsSeen(), 1);
    QVERIFY(fake->received.isEmpty());
}

void MainFormTest::disabledFirstHolderSwallowsTheKey() {
    TMainForm form;
    TFakeDatabaseWindow* fake = nullptr;
    UseFakeWindows(form, fake);
    form.show();
    QVERIFY(QTest::qWaitForWindowActive(&form));
    form.ShowDatabaseWindow(nullptr, QStringLiteral("/nowhere/db"));
    // Del belongs first to the tree's Delete (disabled), then to the key list's Delete.
    form.Command(TCommandId::DeleteKey)->setEnabled(true);
    fake->tree->setFocus();
    QTest::keyClick(fake->tree, Qt::Key_Delete);
    QVERIFY(fake->received.isEmpty());
    fake->deleteEnabled = true;
    fake->UpdateCommandStates();
    QTest::keyClick(fake->tree, Qt::Key_Delete);
    QCOMPARE(fake->received, QStringList({"ADeleteNode"}));
}

void MainFormTest::aSharedKeyInTheMenuBarIsNotAmbiguous() {
    QTest::failOnWarning(QRegularExpression(QStringLiteral("Ambiguous shortcut")));
    TMainForm form;
    TFakeDatabaseWindow* fake = nullptr;
    UseFakeWindows(form, fake);
    form.show();
    QVERIFY(QTest::qWaitForWindowActive(&form));
    form.ShowDatabaseWindow(nullptr, QStringLiteral("/nowhere/db"));
    form.Command(TCommandId::RenameKey)->setEnabled(true);  // F2 as well as Rename Node
    // The menu bar keeps the focus after a menu was closed with Escape: F2 is then the
    // menu bar's first holder's, Rename Node.
    form.menuBar()->setFocus();
    QTRY_VERIFY(form.menuBar()->hasFocus());
    QTest::keyClick(form.menuBar(), Qt::Key_F2);
    QCOMPARE(fake->received, QStringList({"ARenameNode"}));
}

void MainFormTest::commandsDispatchToTheActiveWindow() {
    TMainForm form;
    TFakeDatabaseWindow* fake = nullptr;
    UseFakeWindows(form, fake);
    form.show();
    form.ShowDatabaseWindow(nullptr, QStringLiteral("/nowhere/db"));
    using C = TCommandId;
    // The window's commands go to it; the main window's own (File, Window, Help) do not.
    for (TCommandId id : {C::AddDate, C::InsSeq, C::CopyKey, C::Export, C::LocateID, C::Replace, C::WindowCascade}) {
        form.Command(id)->setEnabled(true);
        form.Command(id)->trigger();
    }
    QCOMPARE(fake->received, QStringList({"AAddDate", "AInsSeq", "ACopyKey", "AExport", "ALocateID", "AReplace"}));
}

void MainFormTest::optionsAreAppliedAndKept() {
    {
        TMainForm form;
        TFakeDatabaseWindow* fake = nullptr;
        UseFakeWindows(form, fake);
        form.show();
        form.ShowDatabaseWindow(nullptr, QStringLiteral("/nowhere/db"));
        QVERIFY(form.Option(TMainForm::TOption::ShowToolbar));
        QVERIFY(!form.Option(TMainForm::TOption::FullPathOnTitle));
        form.OptionEntry(TMainForm::TOption::ShowStatusBar)->trigger();
        form.OptionEntry(TMainForm::TOption::ShowInfoPane)->trigger();
        form.OptionEntry(TMainForm::TOption::FullPathOnTitle)->trigger();
        form.OptionEntry(TMainForm::TOption::ConfirmDeletion)->trigger();
        QVERIFY(!form.statusBar()->isVisible());
        QVERIFY(form.Toolbar()->isVisible());
        QVERIFY(!fake->infoPane);
        QCOMPARE(form.DatabaseWindows().first()->windowTitle(), QStringLiteral("/nowhere/db"));
        form.OptionEntry(TMainForm::TOption::FullPathOnTitle)->trigger();
        QCOMPARE(form.DatabaseWindows().first()->windowTitle(), QStringLiteral("SHORT"));
        form.OptionEntry(TMainForm::TOption::FullPathOnTitle)->trigger();
    }
    QSettings settings(QStringLiteral("Kelmor"), QStringLiteral("Database Manager"));
    settings.beginGroup(QStringLiteral("General"));
    QCOMPARE(settings.value("ShowToolbar").toInt(), 1);
    QCOMPARE(settings.value("ShowStatusBar").toInt(), 0);
    QCOMPARE(settings.value("ShowInfoPane").toInt(), 0);
    QCOMPARE(settings.value("ConfirmDeletion").toInt(), 0);
    QCOMPARE(settings.value("DispFullPath").toInt(), 1);
    settings.setValue("ShowToolbar", QStringLiteral("not a number"));  // falls back to its initial value
    settings.endGroup();
    settings.sync();
    TMainForm again;
    again.show();
    QVERIFY(again.Option(TMainForm::TOption::ShowToolbar));
    QVERIFY(!again.Option(TMainForm::TOption::ShowStatusBar));
    QVERIFY(!again.statusBar()->isVisible());
    QVERIFY(again.Option(TMainForm::TOption::FullPathOnTitle));
}

void MainFormTest::toolbarContextMenuHides() {
    TMainForm form;
    form.show();
    const QList<QAction*> entries = form.ToolbarMenu()->actions();
    QCOMPARE(entries.size(), 2);
    QCOMPARE(entries[0]->text(), QStringLiteral("Hide"));
    QCOMPARE(entries[1]->text(), QStringLiteral("Customise..."));
    entries[0]->trigger();
    QVERIFY(!form.Toolbar()->isVisible());
    QVERIFY(!form.Option(TMainForm::TOption::ShowToolbar));

    // The customisation dialog's result is stored and built.
    form.SetToolbarCustomiser([&form](std::vector<QAction*>& layout, const std::vector<QAction*>&, QWidget*) {
        layout = {form.Command(TCommandId::FileOpen)};
        return true;
    });
    entries[1]->trigger();
    QCOMPARE(form.Toolbar()->actions(), QList<QAction*>({form.Command(TCommandId::FileOpen)}));
    QSettings settings(QStringLiteral("Kelmor"), QStringLiteral("Database Manager"));
    QCOMPARE(settings.value("Toolbar/Items").toInt(), 1);
    QCOMPARE(settings.value("Toolbar/Item1").toInt(), 1);
}

void MainFormTest::statusBarShowsHintsAndProgress() {
    TMainForm form;
    form.show();
    QVERIFY(QTest::qWaitForWindowActive(&form));
    QStatusTipEvent hint(QStringLiteral("Create a new database"));
    QCoreApplication::sendEvent(&form, &hint);
    QCOMPARE(form.StatusPanelText(), QStringLiteral("Create a new database"));

    TFakeDatabaseWindow* fake = nullptr;
    UseFakeWindows(form, fake);
    form.ShowDatabaseWindow(nullptr, QStringLiteral("/nowhere/db"));
    QStatusTipEvent empty{QString()};
    QCoreApplication::sendEvent(&form, &empty);
    QCOMPARE(form.StatusPanelText(), QStringLiteral("window status"));

    form.BeginProgress(QStringLiteral("Searching"));
    QVERIFY(form.ProgressShown());
    QCOMPARE(form.StatusPanelText(), QStringLiteral("Searching"));
    form.BeginProgress(QStringLiteral("Again"));  // one at a time
    QCOMPARE(form.StatusPanelText(), QStringLiteral("Searching"));
    form.SetStatusText(QStringLiteral("ignored while the progress is up"));
    QCoreApplication::sendEvent(&form, &hint);
    QCOMPARE(form.StatusPanelText(), QStringLiteral("Searching"));
    form.SetProgress(42);
    QCOMPARE(form.ProgressBar()->value(), 42);
    QCOMPARE(form.findChild<QLabel*>(QStringLiteral("ProgressPanel"))->text(), QStringLiteral("42%"));
    QCOMPARE(form.ProgressBar()->width(), form.statusBar()->width() - 150);
    form.EndProgress();
    QVERIFY(!form.ProgressShown());
    QVERIFY(!form.findChild<QProgressBar*>());
    QCOMPARE(form.StatusPanelText(), QString());
    form.SetStatusText(QStringLiteral("after"));
    QCOMPARE(form.StatusPanelText(), QStringLiteral("after"));
}

void MainFormTest::windowCommandsArrangeTheDocuments() {
    TMainForm form;
    form.SetDatabaseWindowFactory([](TDatabaseHost& host, std::unique_ptr<TKelmorClass>, const QString& base) {
        return new TFakeDatabaseWindow(host, base);
    });
    form.resize(800, 600);
    form.show();
    form.ShowDatabaseWindow(nullptr, QStringLiteral("/nowhere/a"));
    form.ShowDatabaseWindow(nullptr, QStringLiteral("/nowhere/b"));
    const QRect area = form.DocumentArea()->viewport()->rect();
    form.Command(TCommandId::WindowTileHorizontal)->trigger();
    QList<QMdiSubWindow*> windows = form.DocumentArea()->subWindowList(QMdiArea::CreationOrder);
    QCOMPARE(windows[0]->geometry(), QRect(0, 0, area.width(), area.height() / 2));
    QCOMPARE(windows[1]->geometry().top(), area.height() / 2);
    form.Command(TCommandId::WindowTileVertical)->trigger();
    QCOMPARE(windows[0]->geometry(), QRect(0, 0, area.width() / 2, area.height()));
    QCOMPARE(windows[1]->geometry().left(), area.width() / 2);
    form.Command(TCommandId::WindowMinimizeAll)->trigger();
    QVERIFY(windows[0]->isMinimized() && windows[1]->isMinimized());
    form.Command(TCommandId::WindowArrangeAll)->trigger();
    QCOMPARE(windows[0]->geometry().bottom(), area.bottom());
    QCOMPARE(windows[1]->geometry().left(), windows[0]->geometry().right() + 1);

    form.WindowMenu()->aboutToShow();
    QStringList listed;
    for (QAction* entry : form.WindowMenu()->actions()) {
        if (entry->property("windowListEntry").toBool() && !entry->isSeparator()) listed << entry->text();
    }
    QCOMPARE(listed, QStringList({"&1 /nowhere/a", "&2 /nowhere/b"}));
}

void MainFormTest::windowBoundsAreRestored() {
    const QRect available = QGuiApplication::primaryScreen()->availableGeometry();
    {
        // The first start: two thirds of the screen, centred.
        TMainForm form;
        QCOMPARE(form.size(), available.size() * 2 / 3);
        QVERIFY((QRect(form.pos(), form.size()).center() - available.center()).manhattanLength() <= 1);
        QCOMPARE(form.minimumSize(), QSize(380, 200));
        form.move(40, 30);
        form.resize(700, 500);
    }
    QSettings settings(QStringLiteral("Kelmor"), QStringLiteral("Database Manager"));
    QCOMPARE(settings.value("General/Width").toInt(), 700);
    settings.setValue("General/Height", 10);  // below the minimum
    settings.sync();
    {
        TMainForm form;
        QCOMPARE(form.pos(), QPoint(40, 30));
        QCOMPARE(form.size(), QSize(700, 200));
        form.setWindowState(Qt::WindowMaximized);
    }
    QCOMPARE(settings.value("General/Maximized").toInt(), 1);
    QCOMPARE(settings.value("General/Width").toInt(), 700);  // the bounds to restore to

    // Bounds from a screen that is gone, larger than the one there is.
    settings.setValue("General/Left", 5000);
    settings.setValue("General/Top", -3000);
    settings.setValue("General/Width", available.width() + 500);
    settings.sync();
    TMainForm form;
    QCOMPARE(QRect(form.pos(), form.size()), QRect(available.topLeft(), QSize(available.width(), 200)));
    QVERIFY(form.windowState() & Qt::WindowMaximized);
}

QTEST_MAIN(MainFormTest)
#include "mainform_test.moc"
