// The "Customise Toolbar" dialog: its lists, the add, remove and move buttons with their
// states, dragging between the two lists, the drawing of the rows, and the main window's
// use of it (stored layout, rebuilt toolbar, Cancel). Also the dialogs' decorative frame.
#include <QAction>
#include <QComboBox>
#include <QDragEnterEvent>
#include <QMenu>
#include <QMimeData>
#include <QPainter>
#include <QProxyStyle>
#include <QPushButton>
#include <QSettings>
#include <QTest>
#include <QToolBar>
#include <memory>

#include "app/tcusttoolbarform.h"
#include "app/tmainform.h"
#include "app/ttoolbarentrydelegate.h"
#include "app/ttoolbarentrylist.h"
#include "tests/gui/guitestsupport.h"
#include "ui/txpbevel.h"

using namespace kelmor;
using namespace kelmor::test;

namespace {

QSettings Settings() { return QSettings(QStringLiteral("Kelmor"), QStringLiteral("Database Manager")); }

QStringList Texts(const TToolbarEntryList* list) {
    QStringList texts;
    for (int row = 0; row < list->count(); ++row) texts << list->item(row)->text();
    return texts;
}

QStringList Names(const std::vector<QAction*>& entries) {
    QStringList names;
    for (QAction* entry : entries) names << (entry ? entry->objectName() : QStringLiteral("|"));
    return names;
}

QStringList ToolbarNames(const QToolBar* toolbar) {
    QStringList names;
    for (QAction* entry : toolbar->actions())
        names << (entry->isSeparator() ? QStringLiteral("|") : entry->objectName());
    return names;
}

// The enabled states of add, remove, move up and move down: their letter, or "-".
QString ButtonStates(const TCustToolbarForm& form) {
    QString states;
    states += form.xAdd()->isEnabled() ? u'A' : u'-';
    states += form.xRemove()->isEnabled() ? u'R' : u'-';
    states += form.xMoveUp()->isEnabled() ? u'U' : u'-';
    states += form.xMoveDown()->isEnabled() ? u'D' : u'-';
    return states;
}

int RowOf(const TToolbarEntryList* list, const QString& text) {
    for (int row = 0; row < list->count(); ++row) {
        if (list->item(row)->text() == text) return row;
    }
    return -1;
}

void ChooseCategory(TCustToolbarForm& form, const QString& category) {
    form.xCategory()->setCurrentIndex(form.xCategory()->findText(category));
}

QPoint RowCentre(const TToolbarEntryList* list, int row) { return list->visualItemRect(list->item(row)).center(); }

// A point below the last row of `list`.
QPoint BelowLastRow(const TToolbarEntryList* list) {
    const int below = list->count() == 0 ? 2 : list->visualItemRect(list->item(list->count() - 1)).bottom() + 3;
    return QPoint(10, below);
}

// Drags `data` into the viewport of `target` at `at` and drops it there; false when the
// list refused the drag (nothing is dropped then).
bool DragAndDrop(TToolbarEntryList* target, const QMimeData* data, const QPoint& at, bool drop = true) {
    QDragEnterEvent enter(at, Qt::MoveAction, data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(target->viewport(), &enter);
    if (!enter.isAccepted()) return false;
    QDragMoveEvent move(at, Qt::MoveAction, data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(target->viewport(), &move);
    if (!move.isAccepted()) {
        QDragLeaveEvent leave;
        QCoreApplication::sendEvent(target->viewport(), &leave);
        return false;
    }
    if (!drop) {
        QDragLeaveEvent leave;
        QCoreApplication::sendEvent(target->viewport(), &leave);
        return true;
    }
    QDropEvent dropped(at, Qt::MoveAction, data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(target->viewport(), &dropped);
    return dropped.isAccepted();
}

// Records the state with which the frame of a group box is drawn.
class TFrameRecorder : public QProxyStyle {
public:
    void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                       const QWidget* widget) const override {
        if (element == PE_FrameGroupBox) {
            ++frames;
            lastState = option->state;
            lastRect = option->rect;
        }
        QProxyStyle::drawPrimitive(element, option, painter, widget);
    }
    mutable int frames = 0;
    mutable QStyle::State lastState;
    mutable QRect lastRect;
};

}  // namespace

class CustomiseToolbarTest : public QObject {
    Q_OBJECT
private slots:
    void init() {
        UseTestSettings();
        main_ = std::make_unique<TMainForm>();
    }
    void cleanup() { main_.reset(); }

    void opensWithCategoriesToolbarAndAvailable();
    void availableOffersTheCategoryWithoutToolbarCommands_data();
    void availableOffersTheCategoryWithoutToolbarCommands();
    void buttonStatesFollowTheSelections_data();
    void buttonStatesFollowTheSelections();
    void addPlacesTheItemAfterTheSelectionOrAtTheEnd();
    void separatorCanBeAddedTwiceInARow();
    void removeReturnsCommandsToTheirCommandListPlace();
    void removingTheLastEntriesLeavesNoSelection();
    void moveUpAndDownKeepTheItemSelected();
    void dragsGoOnlyBetweenTheTwoLists_data();
    void dragsGoOnlyBetweenTheTwoLists();
    void dragOverTheToolbarChoosesThePlaceOfTheDrop();
    void dragBackToAvailableRemoves();
    void rowsAreDrawnWithPictureOrEtchedLine();
    void okGivesTheNewLayoutAndCancelKeepsIt();

    void customiseEntriesOpenTheDialog();
    void emptyToolbarIsStoredAsNoItems();
    void commandWithoutImageComesBackAsSeparator();
    void cancelLeavesToolbarAndSettingsUntouched();

    void bevelPaintsTheStyleFrameOrAPlainBevel();

private:
    std::unique_ptr<TCustToolbarForm> OpenForm(const std::vector<QAction*>& layout) {
        auto form = std::make_unique<TCustToolbarForm>(layout, main_->Commands(), main_->CommandImages(), main_.get());
        form->show();
        return form;
    }
    std::unique_ptr<TCustToolbarForm> OpenForm() { return OpenForm(main_->ToolbarLayout()); }
    QAction* Command(TCommandId id) const { return main_->Command(id); }

    std::unique_ptr<TMainForm> main_;
};

void CustomiseToolbarTest::opensWithCategoriesToolbarAndAvailable() {
    auto form = OpenForm();
    QCOMPARE(form->windowTitle(), QStringLiteral("Customise Toolbar"));
    QCOMPARE(form->size(), QSize(473, 328));
    QStringList categories;
    for (int i = 0; i < form->xCategory()->count(); ++i) categories << form->xCategory()->itemText(i);
    QCOMPARE(categories, QStringList({"File", "Help", "Keys", "Node", "Search", "Window"}));
    QCOMPARE(form->xCategory()->currentText(), QStringLiteral("File"));
    QVERIFY(!form->xCategory()->isEditable());
    QCOMPARE(Texts(form->xToolbar()), QStringList({"New", "Open", "Close", "Seperator", "Search Database", "Replace",
                                                   "Search Again", "Seperator", "Information"}));
    QCOMPARE(Texts(form->xAvailable()), QStringList({"Seperator", "Flush Database", "Close All", "Exit"}));
    QCOMPARE(form->xAvailable()->SelectedRow(), -1);
    QCOMPARE(form->xToolbar()->SelectedRow(), -1);
    QCOMPARE(ButtonStates(*form), QStringLiteral("----"));
    QCOMPARE(form->xAdd()->toolTip(), QStringLiteral("Click to add selected item to toolbar"));
    QCOMPARE(form->xRemove()->toolTip(), QStringLiteral("Click to remove selected item from toolbar"));
    QCOMPARE(form->xMoveUp()->toolTip(), QStringLiteral("Click to move selected item up"));
    QCOMPARE(form->xMoveDown()->toolTip(), QStringLiteral("Click to move selected item down"));
    QVERIFY(form->OkButton()->isDefault());
}

void CustomiseToolbarTest::availableOffersTheCategoryWithoutToolbarCommands_data() {
    QTest::addColumn<QString>("category");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("Search: Find, Replace, Search Again are on the toolbar")
        << "Search" << QStringList({"Seperator", "Find Broken Links", "Locate by ID"});
    QTest::newRow("Window: commands without pictures")
        << "Window"
        << QStringList({"Seperator", "Cascade", "Tile Horizontally", "Tile Vertically", "Minimize All", "Arrange All"});
    QTest::newRow("Node: Information is on the toolbar")
        << "Node"
        << QStringList({"Seperator", "New Node", "Rename Node", "Delete Node", "Cut Node", "Copy Node", "Paste Node",
                        "Paste as Link", "Shift Node Up", "Shift Node Down", "Sort Branch", "Jump to Source", "Import",
                        "Export", "Node Security"});
    QTest::newRow("Help") << "Help" << QStringList({"Seperator", "About"});
}

void CustomiseToolbarTest::availableOffersTheCategoryWithoutToolbarCommands() {
    QFETCH(QString, category);
    QFETCH(QStringList, expected);
    auto form = OpenForm();
    ChooseCategory(*form, category);
    QCOMPARE(Texts(form->xAvailable()), expected);

    // The key commands: adds, inserts, then the key commands, in command-list order.
    ChooseCategory(*form, QStringLiteral("Keys"));
    const QStringList keys = Texts(form->xAvailable());
    QCOMPARE(keys.size(), 1 + 28);
    QCOMPARE(keys.mid(0, 3), QStringList({"Seperator", "Add Byte", "Add Integer (2 bytes)"}));
    QCOMPARE(keys[11], QStringLiteral("Insert Byte"));
    QCOMPARE(keys.last(), QStringLiteral("Shift Key Down"));
}

void CustomiseToolbarTest::buttonStatesFollowTheSelections_data() {
    QTest::addColumn<int>("toolbarEntries");  // the first N entries of the default toolbar
    QTest::addColumn<QString>("click");       // "available" or "toolbar"
    QTest::addColumn<int>("row");
    QTest::addColumn<QString>("expected");
    QTest::newRow("empty toolbar, Seperator chosen") << 0 << "available" << 0 << "A---";
    QTest::newRow("command chosen in Available") << 3 << "available" << 1 << "A---";
    QTest::newRow("first of three") << 3 << "toolbar" << 0 << "-R-D";
    QTest::newRow("middle of three") << 3 << "toolbar" << 1 << "-RUD";
    QTest::newRow("last of three") << 3 << "toolbar" << 2 << "-RU-";
    QTest::newRow("the only one") << 1 << "toolbar" << 0 << "-R--";
}

void CustomiseToolbarTest::buttonStatesFollowTheSelections() {
    QFETCH(int, toolbarEntries);
    QFETCH(QString, click);
    QFETCH(int, row);
    QFETCH(QString, expected);
    const std::vector<QAction*>& full = main_->ToolbarLayout();
    auto form = OpenForm(std::vector<QAction*>(full.begin(), full.begin() + toolbarEntries));
    QVERIFY(QTest::qWaitForWindowExposed(form.get()));
    QCOMPARE(ButtonStates(*form), QStringLiteral("----"));
    TToolbarEntryList* list = click == QStringLiteral("toolbar") ? form->xToolbar() : form->xAvailable();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, RowCentre(list, row));
    QCOMPARE(list->SelectedRow(), row);
    QCOMPARE(ButtonStates(*form), expected);
    // Taking the selection away disables what it enabled.
    list->SelectRow(-1);
    QCOMPARE(ButtonStates(*form), QStringLiteral("----"));
}

void CustomiseToolbarTest::addPlacesTheItemAfterTheSelectionOrAtTheEnd() {
    auto form = OpenForm({});
    TToolbarEntryList* available = form->xAvailable();
    TToolbarEntryList* toolbar = form->xToolbar();
    QCOMPARE(Texts(available),
             QStringList({"Seperator", "New", "Open", "Flush Database", "Close", "Close All", "Exit"}));

    // Into the empty toolbar at 0; the last Available item gone, the one before it chosen.
    available->SelectRow(6);
    form->xAdd()->click();
    QCOMPARE(Texts(toolbar), QStringList({"Exit"}));
    QCOMPARE(toolbar->SelectedRow(), 0);
    QCOMPARE(Texts(available), QStringList({"Seperator", "New", "Open", "Flush Database", "Close", "Close All"}));
    QCOMPARE(available->SelectedRow(), 5);

    // After the selected toolbar entry; the Available item now at the same index chosen.
    toolbar->SelectRow(-1);
    available->SelectRow(2);
    form->xAdd()->click();  // no toolbar selection: at the end
    QCOMPARE(Texts(toolbar), QStringList({"Exit", "Open"}));
    QCOMPARE(available->SelectedRow(), 2);
    QCOMPARE(available->item(2)->text(), QStringLiteral("Flush Database"));
    toolbar->SelectRow(0);
    form->xAdd()->click();
    QCOMPARE(Texts(toolbar), QStringList({"Exit", "Flush Database", "Open"}));
    QCOMPARE(toolbar->SelectedRow(), 1);
    QCOMPARE(ButtonStates(*form), QStringLiteral("ARUD"));

    // Another category: its commands are added the same way.
    ChooseCategory(*form, QStringLiteral("Keys"));
    available->SelectRow(RowOf(available, QStringLiteral("Add Date")));
    form->xAdd()->click();
    QCOMPARE(Texts(toolbar), QStringList({"Exit", "Flush Database", "Add Date", "Open"}));
    QCOMPARE(RowOf(available, QStringLiteral("Add Date")), -1);
    QCOMPARE(Names(form->Layout()), QStringList({"AFileExit", "AFileFlush", "AAddDate", "AFileOpen"}));
}

void CustomiseToolbarTest::separatorCanBeAddedTwiceInARow() {
    auto form = OpenForm({Command(TCommandId::FileNew), Command(TCommandId::FileOpen)});
    form->xToolbar()->SelectRow(0);
    form->xAvailable()->SelectRow(0);
    form->xAdd()->click();
    form->xAdd()->click();
    QCOMPARE(Texts(form->xToolbar()), QStringList({"New", "Seperator", "Seperator", "Open"}));
    QCOMPARE(form->xToolbar()->SelectedRow(), 2);
    // "Seperator" stays on offer, still chosen.
    QCOMPARE(Texts(form->xAvailable()).first(), QStringLiteral("Seperator"));
    QCOMPARE(form->xAvailable()->SelectedRow(), 0);
    QCOMPARE(Names(form->Layout()), QStringList({"AFileNew", "|", "|", "AFileOpen"}));
}

void CustomiseToolbarTest::removeReturnsCommandsToTheirCommandListPlace() {
    auto form = OpenForm();
    TToolbarEntryList* available = form->xAvailable();
    TToolbarEntryList* toolbar = form->xToolbar();
    ChooseCategory(*form, QStringLiteral("Search"));
    QCOMPARE(Texts(available), QStringList({"Seperator", "Find Broken Links", "Locate by ID"}));
    available->SelectRow(2);

    // Replace comes before every offered command: right after "Seperator".
    toolbar->SelectRow(RowOf(toolbar, QStringLiteral("Replace")));
    form->xRemove()->click();
    QCOMPARE(Texts(available), QStringList({"Seperator", "Replace", "Find Broken Links", "Locate by ID"}));
    QCOMPARE(available->item(available->SelectedRow())->text(), QStringLiteral("Locate by ID"));
    // The toolbar entry now at the same index is chosen.
    QCOMPARE(toolbar->item(toolbar->SelectedRow())->text(), QStringLiteral("Search Again"));

    // Search Again: after Find Broken Links, before Locate by ID.
    form->xRemove()->click();
    QCOMPARE(Texts(available),
             QStringList({"Seperator", "Replace", "Find Broken Links", "Search Again", "Locate by ID"}));
    QCOMPARE(toolbar->SelectedRow(), 5);
    QCOMPARE(toolbar->item(5)->text(), QStringLiteral("Seperator"));

    // A separator just goes.
    form->xRemove()->click();
    QCOMPARE(Texts(available).size(), 5);
    QCOMPARE(Texts(toolbar), QStringList({"New", "Open", "Close", "Seperator", "Search Database", "Information"}));
    // Information belongs to another category: it goes, and its category offers it again.
    QCOMPARE(toolbar->SelectedRow(), 5);
    form->xRemove()->click();
    QCOMPARE(Texts(available).size(), 5);
    QCOMPARE(toolbar->SelectedRow(), 4);  // the deleted entry was the last
    ChooseCategory(*form, QStringLiteral("Node"));
    QCOMPARE(Texts(available).mid(0, 5),
             QStringList({"Seperator", "New Node", "Rename Node", "Delete Node", "Information"}));

    // Find, the first of its category in the command list.
    ChooseCategory(*form, QStringLiteral("Search"));
    toolbar->SelectRow(RowOf(toolbar, QStringLiteral("Search Database")));
    form->xRemove()->click();
    QCOMPARE(Texts(available), QStringList({"Seperator", "Search Database", "Replace", "Find Broken Links",
                                            "Search Again", "Locate by ID"}));
}

void CustomiseToolbarTest::removingTheLastEntriesLeavesNoSelection() {
    auto form = OpenForm({Command(TCommandId::FileClose), nullptr});
    TToolbarEntryList* toolbar = form->xToolbar();
    toolbar->SelectRow(0);
    form->xRemove()->click();
    QCOMPARE(Texts(toolbar), QStringList({"Seperator"}));
    QCOMPARE(toolbar->SelectedRow(), 0);
    QCOMPARE(Texts(form->xAvailable()),
             QStringList({"Seperator", "New", "Open", "Flush Database", "Close", "Close All", "Exit"}));
    form->xRemove()->click();
    QCOMPARE(toolbar->count(), 0);
    QCOMPARE(toolbar->SelectedRow(), -1);
    QCOMPARE(ButtonStates(*form), QStringLiteral("----"));
    QVERIFY(form->Layout().empty());
}

void CustomiseToolbarTest::moveUpAndDownKeepTheItemSelected() {
    auto form = OpenForm({Command(TCommandId::FileNew), nullptr, Command(TCommandId::Find)});
    TToolbarEntryList* toolbar = form->xToolbar();
    toolbar->SelectRow(2);
    form->xMoveUp()->click();
    QCOMPARE(Names(form->Layout()), QStringList({"AFileNew", "AFind", "|"}));
    QCOMPARE(toolbar->SelectedRow(), 1);
    form->xMoveUp()->click();
    QCOMPARE(Names(form->Layout()), QStringList({"AFind", "AFileNew", "|"}));
    QCOMPARE(toolbar->SelectedRow(), 0);
    QCOMPARE(ButtonStates(*form), QStringLiteral("-R-D"));
    form->xMoveDown()->click();
    form->xMoveDown()->click();
    QCOMPARE(Names(form->Layout()), QStringList({"AFileNew", "|", "AFind"}));
    QCOMPARE(toolbar->SelectedRow(), 2);
    QCOMPARE(ButtonStates(*form), QStringLiteral("-RU-"));
}

void CustomiseToolbarTest::dragsGoOnlyBetweenTheTwoLists_data() {
    QTest::addColumn<QString>("from");  // "available", "toolbar", "text" (another kind of data)
    QTest::addColumn<int>("row");
    QTest::addColumn<QString>("to");
    QTest::addColumn<bool>("accepted");
    QTest::newRow("Available to Toolbar") << "available" << 1 << "toolbar" << true;
    QTest::newRow("Toolbar to Available") << "toolbar" << 0 << "available" << true;
    QTest::newRow("within Available") << "available" << 1 << "available" << false;
    QTest::newRow("within Toolbar") << "toolbar" << 0 << "toolbar" << false;
    QTest::newRow("plain text over Toolbar") << "text" << 0 << "toolbar" << false;
    QTest::newRow("plain text over Available") << "text" << 0 << "available" << false;
    QTest::newRow("a row that is gone") << "available" << 99 << "toolbar" << false;
}

void CustomiseToolbarTest::dragsGoOnlyBetweenTheTwoLists() {
    QFETCH(QString, from);
    QFETCH(int, row);
    QFETCH(QString, to);
    QFETCH(bool, accepted);
    auto form = OpenForm();
    const std::vector<QAction*> before = form->Layout();
    const QStringList availableBefore = Texts(form->xAvailable());
    std::unique_ptr<QMimeData> data;
    if (from == QStringLiteral("text")) {
        data = std::make_unique<QMimeData>();
        data->setText(QStringLiteral("Open"));
    } else {
        data.reset((from == QStringLiteral("toolbar") ? form->xToolbar() : form->xAvailable())->CreateDragData(row));
    }
    TToolbarEntryList* target = to == QStringLiteral("toolbar") ? form->xToolbar() : form->xAvailable();
    QCOMPARE(DragAndDrop(target, data.get(), RowCentre(target, 0), false), accepted);
    if (accepted) return;
    // Even a drop that reaches the list (after a drag it does take) changes nothing.
    std::unique_ptr<QMimeData> taken((target == form->xToolbar() ? form->xAvailable() : form->xToolbar())
                                         ->CreateDragData(target == form->xToolbar() ? 1 : 0));
    QDragEnterEvent enter(RowCentre(target, 0), Qt::MoveAction, taken.get(), Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(target->viewport(), &enter);
    QVERIFY(enter.isAccepted());
    QDropEvent dropped(RowCentre(target, 0), Qt::MoveAction, data.get(), Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(target->viewport(), &dropped);
    QVERIFY(!dropped.isAccepted());
    QCOMPARE(form->Layout(), before);
    QCOMPARE(Texts(form->xAvailable()), availableBefore);
}

void CustomiseToolbarTest::dragOverTheToolbarChoosesThePlaceOfTheDrop() {
    auto form = OpenForm({Command(TCommandId::FileNew), Command(TCommandId::FileOpen)});
    TToolbarEntryList* available = form->xAvailable();
    TToolbarEntryList* toolbar = form->xToolbar();
    QCOMPARE(Texts(available), QStringList({"Seperator", "Flush Database", "Close", "Close All", "Exit"}));

    // Over a row: that row becomes the selected one, and the drop goes after it.
    std::unique_ptr<QMimeData> flush(available->CreateDragData(1));
    QVERIFY(DragAndDrop(toolbar, flush.get(), RowCentre(toolbar, 0), false));
    QCOMPARE(toolbar->SelectedRow(), 0);
    QCOMPARE(ButtonStates(*form), QStringLiteral("-R-D"));
    QVERIFY(DragAndDrop(toolbar, flush.get(), RowCentre(toolbar, 0)));
    QCOMPARE(Texts(toolbar), QStringList({"New", "Flush Database", "Open"}));
    QCOMPARE(toolbar->SelectedRow(), 1);
    QCOMPARE(Texts(available), QStringList({"Seperator", "Close", "Close All", "Exit"}));

    // Below the last row: nothing selected, the drop goes to the end.
    std::unique_ptr<QMimeData> exit(available->CreateDragData(3));
    QVERIFY(DragAndDrop(toolbar, exit.get(), BelowLastRow(toolbar), false));
    QCOMPARE(toolbar->SelectedRow(), -1);
    QVERIFY(DragAndDrop(toolbar, exit.get(), BelowLastRow(toolbar)));
    QCOMPARE(Texts(toolbar), QStringList({"New", "Flush Database", "Open", "Exit"}));
    QCOMPARE(toolbar->SelectedRow(), 3);

    // "Seperator" can be dragged over and over.
    std::unique_ptr<QMimeData> separator(available->CreateDragData(0));
    QVERIFY(DragAndDrop(toolbar, separator.get(), RowCentre(toolbar, 0)));
    QVERIFY(DragAndDrop(toolbar, separator.get(), RowCentre(toolbar, 0)));
    QCOMPARE(Names(form->Layout()), QStringList({"AFileNew", "|", "|", "AFileFlush", "AFileOpen", "AFileExit"}));
    QCOMPARE(Texts(available).first(), QStringLiteral("Seperator"));
}

void CustomiseToolbarTest::dragBackToAvailableRemoves() {
    auto form = OpenForm();
    TToolbarEntryList* available = form->xAvailable();
    TToolbarEntryList* toolbar = form->xToolbar();
    // Dragged from the toolbar and dropped anywhere over Available: removed, and back in
    // its command-list place.
    std::unique_ptr<QMimeData> open(toolbar->CreateDragData(1));
    QVERIFY(DragAndDrop(available, open.get(), BelowLastRow(available)));
    QCOMPARE(Texts(toolbar).mid(0, 3), QStringList({"New", "Close", "Seperator"}));
    QCOMPARE(Texts(available), QStringList({"Seperator", "Open", "Flush Database", "Close All", "Exit"}));
    QCOMPARE(toolbar->SelectedRow(), 1);

    // A drag from the toolbar that has since been emptied is refused.
    std::unique_ptr<QMimeData> first(toolbar->CreateDragData(0));
    toolbar->clear();
    QVERIFY(!DragAndDrop(available, first.get(), RowCentre(available, 0)));
}

void CustomiseToolbarTest::rowsAreDrawnWithPictureOrEtchedLine() {
    auto form = OpenForm({Command(TCommandId::FileNew), nullptr, Command(TCommandId::FileExit)});
    form->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(form.get()));
    TToolbarEntryList* toolbar = form->xToolbar();
    toolbar->SelectRow(2);
    for (int row = 0; row < toolbar->count(); ++row)
        QCOMPARE(toolbar->visualItemRect(toolbar->item(row)).height(), TToolbarEntryDelegate::kRowHeight);
    const QImage shot = toolbar->viewport()->grab().toImage();
    const QPalette palette = toolbar->palette();
    QCOMPARE(shot.devicePixelRatio(), 1.0);

    // The command's picture at (6, 2) of its row, as the image strip holds it.
    const QRect newRow = toolbar->visualItemRect(toolbar->item(0));
    const QImage picture = main_->CommandImages().Pixmap(0).toImage().convertToFormat(QImage::Format_ARGB32);
    int opaque = 0;
    for (int y = 0; y < picture.height(); ++y) {
        for (int x = 0; x < picture.width(); ++x) {
            const QRgb expected = picture.pixel(x, y);
            if (qAlpha(expected) != 255) continue;
            ++opaque;
            QCOMPARE(shot.pixel(newRow.left() + 6 + x, newRow.top() + 2 + y), expected);
        }
    }
    QVERIFY(opaque > 20);
    // Left of the picture only the row's background.
    QCOMPARE(shot.pixel(newRow.left() + 2, newRow.top() + 10), palette.color(QPalette::Base).rgba());

    // The separator: shadow then highlight column, from 2 to 17 below the row's top.
    const QRect separatorRow = toolbar->visualItemRect(toolbar->item(1));
    for (int y : {2, 10, 17}) {
        QCOMPARE(shot.pixel(separatorRow.left() + 13, separatorRow.top() + y), palette.color(QPalette::Dark).rgba());
        QCOMPARE(shot.pixel(separatorRow.left() + 14, separatorRow.top() + y), palette.color(QPalette::Light).rgba());
    }
    QCOMPARE(shot.pixel(separatorRow.left() + 13, separatorRow.top() + 1), palette.color(QPalette::Base).rgba());
    QCOMPARE(shot.pixel(separatorRow.left() + 13, separatorRow.top() + 18), palette.color(QPalette::Base).rgba());
    QCOMPARE(shot.pixel(separatorRow.left() + 12, separatorRow.top() + 10), palette.color(QPalette::Base).rgba());

    // The selected row (Exit, no picture) is filled with the highlight; its text starts
    // 30 pixels in.
    const QRect exitRow = toolbar->visualItemRect(toolbar->item(2));
    const QRgb highlight = palette.color(QPalette::Active, QPalette::Highlight).rgba();
    QCOMPARE(shot.pixel(exitRow.left() + 14, exitRow.top() + 10), highlight);
    bool textBefore = false;
    bool textAfter = false;
    for (int y = exitRow.top() + 2; y < exitRow.bottom() - 1; ++y) {
        for (int x = exitRow.left() + 2; x < exitRow.left() + 29; ++x) textBefore |= shot.pixel(x, y) != highlight;
        for (int x = exitRow.left() + 30; x < exitRow.left() + 40; ++x) textAfter |= shot.pixel(x, y) != highlight;
    }
    QVERIFY(!textBefore);
    QVERIFY(textAfter);
}

void CustomiseToolbarTest::okGivesTheNewLayoutAndCancelKeepsIt() {
    for (const bool ok : {true, false}) {
        std::vector<QAction*> layout = {Command(TCommandId::FileNew)};
        TModalDriver driver;
        driver.Then([ok](QWidget* modal) {
            auto* form = qobject_cast<TCustToolbarForm*>(modal);
            QVERIFY(form);
            form->xToolbar()->SelectRow(0);
            form->xRemove()->click();
            form->xAvailable()->SelectRow(0);
            form->xAdd()->click();
            QTest::keyClick(form, ok ? Qt::Key_Return : Qt::Key_Escape);
        });
        TCustToolbarForm form(layout, main_->Commands(), main_->CommandImages(), main_.get());
        QCOMPARE(form.exec(), ok ? QDialog::Accepted : QDialog::Rejected);
        QVERIFY(driver.AllAnswered());
        QCOMPARE(Names(form.Layout()), QStringList({"|"}));  // the lists as the user left them
    }
}

void CustomiseToolbarTest::customiseEntriesOpenTheDialog() {
    QAction* options = main_->findChild<QAction*>(QStringLiteral("MICustomiseToolbar"));
    QVERIFY(options);
    QAction* context = main_->ToolbarMenu()->actions().value(1);
    QCOMPARE(context->text(), QStringLiteral("Customise..."));
    // Each time the rightmost entry moves to the front, and OK keeps it.
    const struct {
        QAction* entry;
        QStringList toolbar;
        int item1;
    } steps[] = {
        {options,
         {"AInformation", "AFileNew", "AFileOpen", "AFileClose", "|", "AFind", "AReplace", "ASearchNext", "|"},
         25},
        {context,
         {"|", "AInformation", "AFileNew", "AFileOpen", "AFileClose", "|", "AFind", "AReplace", "ASearchNext"},
         -1},
    };
    for (const auto& step : steps) {
        QVERIFY(step.entry->isEnabled());
        TModalDriver driver;
        QString title;
        driver.Then([&title](QWidget* modal) {
            title = modal->windowTitle();
            auto* form = qobject_cast<TCustToolbarForm*>(modal);
            QVERIFY(form);
            form->xToolbar()->SelectRow(form->xToolbar()->count() - 1);
            while (form->xMoveUp()->isEnabled()) form->xMoveUp()->click();
            form->OkButton()->click();
        });
        step.entry->trigger();
        QVERIFY(driver.AllAnswered());
        QCOMPARE(title, QStringLiteral("Customise Toolbar"));
        QCOMPARE(ToolbarNames(main_->Toolbar()), step.toolbar);
        QCOMPARE(Settings().value(QStringLiteral("Toolbar/Item1")).toInt(), step.item1);
    }
}

void CustomiseToolbarTest::emptyToolbarIsStoredAsNoItems() {
    {
        QSettings settings = Settings();
        settings.setValue(QStringLiteral("Toolbar/Items"), 2);
        settings.setValue(QStringLiteral("Toolbar/Item1"), 0);
        settings.setValue(QStringLiteral("Toolbar/Item2"), 1);
    }
    main_ = std::make_unique<TMainForm>();
    QCOMPARE(ToolbarNames(main_->Toolbar()), QStringList({"AFileNew", "AFileOpen"}));
    TModalDriver driver;
    driver.Then([](QWidget* modal) {
        auto* form = qobject_cast<TCustToolbarForm*>(modal);
        QVERIFY(form);
        form->xToolbar()->SelectRow(0);
        while (form->xRemove()->isEnabled()) form->xRemove()->click();
        form->accept();
    });
    main_->CustomiseToolbar();
    QVERIFY(driver.AllAnswered());
    QVERIFY(main_->Toolbar()->actions().isEmpty());
    {
        QSettings settings = Settings();
        QCOMPARE(settings.value(QStringLiteral("Toolbar/Items")).toInt(), 0);
    }
    // The next start shows the empty toolbar, not the first-start one.
    main_ = std::make_unique<TMainForm>();
    QVERIFY(main_->ToolbarLayout().empty());
    QVERIFY(main_->Toolbar()->actions().isEmpty());
}

void CustomiseToolbarTest::commandWithoutImageComesBackAsSeparator() {
    TModalDriver driver;
    driver.Then([](QWidget* modal) {
        auto* form = qobject_cast<TCustToolbarForm*>(modal);
        QVERIFY(form);
        form->xToolbar()->SelectRow(-1);
        form->xAvailable()->SelectRow(RowOf(form->xAvailable(), QStringLiteral("Exit")));
        form->xAdd()->click();
        ChooseCategory(*form, QStringLiteral("Window"));
        form->xAvailable()->SelectRow(RowOf(form->xAvailable(), QStringLiteral("Cascade")));
        form->xAdd()->click();
        form->accept();
    });
    main_->CustomiseToolbar();
    QVERIFY(driver.AllAnswered());
    const QStringList shown = {"AFileNew", "AFileOpen",   "AFileClose", "|",           "AFind",
                               "AReplace", "ASearchNext", "|",          "AInformation"};
    QCOMPARE(ToolbarNames(main_->Toolbar()), shown + QStringList({"AFileExit", "AWindowCascade"}));
    {
        QSettings settings = Settings();
        settings.beginGroup(QStringLiteral("Toolbar"));
        QCOMPARE(settings.value(QStringLiteral("Items")).toInt(), 11);
        QCOMPARE(settings.value(QStringLiteral("Item1")).toInt(), 0);
        QCOMPARE(settings.value(QStringLiteral("Item4")).toInt(), -1);
        QCOMPARE(settings.value(QStringLiteral("Item9")).toInt(), 25);
        QCOMPARE(settings.value(QStringLiteral("Item10")).toInt(), -1);
        QCOMPARE(settings.value(QStringLiteral("Item11")).toInt(), -1);
    }
    main_ = std::make_unique<TMainForm>();
    QCOMPARE(ToolbarNames(main_->Toolbar()), shown + QStringList({"|", "|"}));
}

void CustomiseToolbarTest::cancelLeavesToolbarAndSettingsUntouched() {
    const auto changeAndCancel = [this] {
        TModalDriver driver;
        driver.Then([](QWidget* modal) {
            auto* form = qobject_cast<TCustToolbarForm*>(modal);
            QVERIFY(form);
            form->xToolbar()->SelectRow(0);
            form->xRemove()->click();
            form->xRemove()->click();
            form->xAvailable()->SelectRow(0);
            form->xAdd()->click();
            form->xMoveDown()->click();
            form->CancelButton()->click();
        });
        main_->CustomiseToolbar();
        QVERIFY(driver.AllAnswered());
    };
    // No layout stored yet: none is stored by Cancel.
    const QList<QAction*> before = main_->Toolbar()->actions();
    changeAndCancel();
    QCOMPARE(main_->Toolbar()->actions(), before);
    QVERIFY(!Settings().childGroups().contains(QStringLiteral("Toolbar")));

    // A stored layout, longer values beyond its count included, stays as it is.
    {
        QSettings settings = Settings();
        settings.setValue(QStringLiteral("Toolbar/Items"), 2);
        settings.setValue(QStringLiteral("Toolbar/Item1"), 4);
        settings.setValue(QStringLiteral("Toolbar/Item2"), -1);
        settings.setValue(QStringLiteral("Toolbar/Item3"), 5);
    }
    main_ = std::make_unique<TMainForm>();
    changeAndCancel();
    QCOMPARE(ToolbarNames(main_->Toolbar()), QStringList({"AFind", "|"}));
    QSettings settings = Settings();
    settings.beginGroup(QStringLiteral("Toolbar"));
    QCOMPARE(settings.allKeys().size(), 4);
    QCOMPARE(settings.value(QStringLiteral("Items")).toInt(), 2);
    QCOMPARE(settings.value(QStringLiteral("Item1")).toInt(), 4);
    QCOMPARE(settings.value(QStringLiteral("Item2")).toInt(), -1);
    QCOMPARE(settings.value(QStringLiteral("Item3")).toInt(), 5);
}

void CustomiseToolbarTest::bevelPaintsTheStyleFrameOrAPlainBevel() {
    TFrameRecorder recorder;
    TXPBevel bevel;
    bevel.setStyle(&recorder);
    bevel.resize(40, 30);
    QVERIFY(bevel.Themed());
    QVERIFY(bevel.testAttribute(Qt::WA_TransparentForMouseEvents));

    (void)bevel.grab();
    QCOMPARE(recorder.frames, 1);
    QVERIFY(recorder.lastState & QStyle::State_Enabled);
    QCOMPARE(recorder.lastRect, QRect(0, 0, 40, 30));
    bevel.setEnabled(false);
    (void)bevel.grab();
    QCOMPARE(recorder.frames, 2);
    QVERIFY(!(recorder.lastState & QStyle::State_Enabled));

    // Without the style's frame: a plain lowered bevel, shadow top and left, highlight
    // bottom and right.
    bevel.setEnabled(true);
    bevel.SetThemed(false);
    const QImage shot = bevel.grab().toImage();
    QCOMPARE(recorder.frames, 2);
    const QColor shadow = bevel.palette().color(QPalette::Dark);
    const QColor highlight = bevel.palette().color(QPalette::Light);
    QCOMPARE(shot.pixel(0, 0), shadow.rgba());
    QCOMPARE(shot.pixel(20, 0), shadow.rgba());
    QCOMPARE(shot.pixel(0, 15), shadow.rgba());
    QCOMPARE(shot.pixel(39, 15), highlight.rgba());
    QCOMPARE(shot.pixel(20, 29), highlight.rgba());
    QCOMPARE(shot.pixel(39, 29), highlight.rgba());
    bevel.setStyle(nullptr);
}

QTEST_MAIN(CustomiseToolbarTest)
#include "customisetoolbar_test.moc"
