#include "app/tcusttoolbarform.h"

#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QShowEvent>
#include <algorithm>

#include "app/ttoolbarentrylist.h"
#include "ui/common.h"
#include "ui/txpbevel.h"

namespace kelmor {

namespace {

constexpr int kListWidth = 185;
constexpr int kPictureButtonSize = 25;
constexpr int kButtonWidth = 73;
constexpr int kButtonHeight = 25;

QString CategoryOf(const QAction* command) { return command->property("category").toString(); }

QLabel* CreateLabel(const QString& caption, QWidget* buddy, int left, int top, QWidget* parent) {
    auto* label = new QLabel(caption, parent);
    label->setBuddy(buddy);
    label->move(left, top);
    label->resize(label->sizeHint());
    return label;
}

}  // namespace

TCustToolbarForm::TCustToolbarForm(const std::vector<QAction*>& layout, const std::vector<QAction*>& commands,
                                   const TImageStrip& images, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint), commands_(commands) {
    setObjectName(QStringLiteral("CustToolbarForm"));
    setWindowTitle(QStringLiteral("Customise Toolbar"));
    QFont arial = font();
    arial.setFamily(QStringLiteral("Arial"));
    setFont(arial);
    setFixedSize(kClientWidth, kClientHeight);
    CreateControls(images);

    // The categories once each, in alphabetical order.
    QStringList categories;
    for (const QAction* command : commands_) {
        if (!categories.contains(CategoryOf(command))) categories.append(CategoryOf(command));
    }
    std::sort(categories.begin(), categories.end(),
              [](const QString& a, const QString& b) { return a.compare(b, Qt::CaseInsensitive) < 0; });
    category_->addItems(categories);
    for (QAction* entry : layout) toolbar_->AppendEntry(entry);
    category_->setCurrentIndex(categories.isEmpty() ? -1 : 0);
    FillAvailable();
    connect(category_, &QComboBox::currentIndexChanged, this, &TCustToolbarForm::FillAvailable);
}

void TCustToolbarForm::CreateControls(const TImageStrip& images) {
    // The frame first: the controls it surrounds lie on top of it.
    bevel_ = new TXPBevel(this);
    bevel_->setObjectName(QStringLiteral("Bevel"));
    bevel_->setGeometry(8, 8, 457, 273);

    category_ = new QComboBox(this);
    category_->setObjectName(QStringLiteral("xCategory"));
    category_->setEditable(false);
    category_->setGeometry(24, 40, kListWidth, category_->sizeHint().height());
    CreateLabel(QStringLiteral("&Category"), category_, 24, 24, this);

    available_ = new TToolbarEntryList(images, this);
    available_->setObjectName(QStringLiteral("xAvailable"));
    available_->setGeometry(24, 88, kListWidth, 145);
    CreateLabel(QStringLiteral("&Available"), available_, 24, 72, this);

    toolbar_ = new TToolbarEntryList(images, this);
    toolbar_->setObjectName(QStringLiteral("xToolbar"));
    toolbar_->setGeometry(264, 40, kListWidth, 193);
    CreateLabel(QStringLiteral("&Toolbar"), toolbar_, 264, 24, this);

    add_ = CreatePictureButton("xAdd", QStyle::SP_ArrowRight, QStringLiteral("Click to add selected item to toolbar"),
                               224, 128);
    remove_ = CreatePictureButton("xRemove", QStyle::SP_ArrowLeft,
                                  QStringLiteral("Click to remove selected item from toolbar"), 224, 184);
    moveUp_ =
        CreatePictureButton("xMoveUp", QStyle::SP_ArrowUp, QStringLiteral("Click to move selected item up"), 312, 240);
    moveDown_ = CreatePictureButton("xMoveDown", QStyle::SP_ArrowDown,
                                    QStringLiteral("Click to move selected item down"), 376, 240);
    connect(add_, &QPushButton::clicked, this, &TCustToolbarForm::AddExecute);
    connect(remove_, &QPushButton::clicked, this, &TCustToolbarForm::RemoveExecute);
    connect(moveUp_, &QPushButton::clicked, this, [this] { MoveSelected(-1); });
    connect(moveDown_, &QPushButton::clicked, this, [this] { MoveSelected(1); });

    ok_ = new QPushButton(QStringLiteral("OK"), this);
    ok_->setObjectName(QStringLiteral("OkButton"));
    ok_->setGeometry(120, 296, kButtonWidth, kButtonHeight);
    ok_->setDefault(true);
    connect(ok_, &QPushButton::clicked, this, &QDialog::accept);
    cancel_ = new QPushButton(QStringLiteral("Cancel"), this);
    cancel_->setObjectName(QStringLiteral("CancelButton"));
    cancel_->setGeometry(280, 296, kButtonWidth, kButtonHeight);
    cancel_->setAutoDefault(false);
    connect(cancel_, &QPushButton::clicked, this, &QDialog::reject);

    for (TToolbarEntryList* list : {available_, toolbar_})
        connect(list, &QListWidget::itemSelectionChanged, this, &TCustToolbarForm::UpdateButtons);

    // Dragging goes from one list to the other only.
    toolbar_->SetDropHandlers(
        {available_},
        [this](const TToolbarEntryList::TDraggedEntry&, const QPoint& at) {
            // The drop goes after the row under the pointer, or at the end below the last row.
            QListWidgetItem* under = toolbar_->itemAt(at);
            toolbar_->SelectRow(under ? toolbar_->row(under) : -1);
            return true;
        },
        [this](const TToolbarEntryList::TDraggedEntry& entry) {
            available_->SelectRow(entry.row);
            AddExecute();
        });
    available_->SetDropHandlers(
        {toolbar_}, [this](const TToolbarEntryList::TDraggedEntry&, const QPoint&) { return toolbar_->count() > 0; },
        [this](const TToolbarEntryList::TDraggedEntry& entry) {
            toolbar_->SelectRow(entry.row);
            RemoveExecute();
        });
}

QPushButton* TCustToolbarForm::CreatePictureButton(const char* name, QStyle::StandardPixmap picture,
                                                   const QString& tooltip, int left, int top) {
    auto* button = new QPushButton(this);
    button->setObjectName(QString::fromLatin1(name));
    button->setIcon(style()->standardIcon(picture, nullptr, button));
    button->setToolTip(tooltip);
    button->setAutoDefault(false);
    button->setGeometry(left, top, kPictureButtonSize, kPictureButtonSize);
    return button;
}

void TCustToolbarForm::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (QWidget* main = MessageMainWindow()) move(CentredPosition(main->frameGeometry(), frameGeometry().size()));
}

std::vector<QAction*> TCustToolbarForm::Layout() const { return toolbar_->Entries(); }

QString TCustToolbarForm::ChosenCategory() const { return category_->currentText(); }

int TCustToolbarForm::CommandOrder(const QAction* command) const {
    const auto at = std::find(commands_.begin(), commands_.end(), command);
    return static_cast<int>(at - commands_.begin());
}

void TCustToolbarForm::FillAvailable() {
    available_->clear();
    available_->AppendEntry(nullptr);
    for (QAction* command : commands_) {
        if (CategoryOf(command) == ChosenCategory() && !toolbar_->Holds(command)) available_->AppendEntry(command);
    }
    UpdateButtons();
}

void TCustToolbarForm::UpdateButtons() {
    const int selected = toolbar_->SelectedRow();
    add_->setEnabled(available_->SelectedRow() >= 0);
    remove_->setEnabled(selected >= 0);
    moveUp_->setEnabled(selected > 0);
    moveDown_->setEnabled(selected >= 0 && selected < toolbar_->count() - 1);
}

void TCustToolbarForm::AddExecute() {
    const int from = available_->SelectedRow();
    if (from < 0) return;
    QAction* entry = available_->Entry(from);
    const int after = toolbar_->SelectedRow();
    const int place = toolbar_->count() == 0 ? 0 : after < 0 ? toolbar_->count() : after + 1;
    toolbar_->InsertEntry(place, entry);
    toolbar_->SelectRow(place);
    // A command is on the toolbar once; "Seperator" stays on offer.
    if (entry) {
        delete available_->takeItem(from);
        available_->SelectRow(std::min(from, available_->count() - 1));
    }
    UpdateButtons();
}

void TCustToolbarForm::RemoveExecute() {
    const int from = toolbar_->SelectedRow();
    if (from < 0) return;
    QAction* entry = toolbar_->Entry(from);
    delete toolbar_->takeItem(from);
    // Back on offer at its command-list place, unless the toolbar still shows it (a
    // stored layout can hold a command twice) or another category is chosen.
    if (entry && CategoryOf(entry) == ChosenCategory() && !toolbar_->Holds(entry) && !available_->Holds(entry)) {
        int place = 1;
        for (int row = 1; row < available_->count(); ++row) {
            if (CommandOrder(available_->Entry(row)) < CommandOrder(entry)) place = row + 1;
        }
        available_->InsertEntry(place, entry);
    }
    toolbar_->SelectRow(std::min(from, toolbar_->count() - 1));
    UpdateButtons();
}

void TCustToolbarForm::MoveSelected(int step) {
    const int from = toolbar_->SelectedRow();
    const int to = from + step;
    if (from < 0 || to < 0 || to >= toolbar_->count()) return;
    toolbar_->insertItem(to, toolbar_->takeItem(from));
    toolbar_->SelectRow(to);
    UpdateButtons();
}

}  // namespace kelmor
