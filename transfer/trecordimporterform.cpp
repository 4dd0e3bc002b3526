#include "transfer/trecordimporterform.h"

#include <QAction>
#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QShowEvent>
#include <QStyle>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>

#include "editors/keytypeimage.h"
#include "engine/keytypes.h"
#include "interchange/timporteroptions.h"
#include "transfer/tcsvoptionsform.h"
#include "transfer/tfieldnamedelegate.h"
#include "ui/common.h"
#include "ui/dialogbuttons.h"

namespace kelmor {

namespace {

constexpr int kNameColumn = 0;
constexpr int kSourceTypeColumn = 1;
constexpr int kNameColumnWidth = 170;
constexpr int kSourceTypeColumnWidth = 80;
constexpr int kKeyTypeRole = Qt::UserRole;
constexpr int kNoKeyImage = 38;  // the command strip's picture of "no key"

// The items of "Key Type", in their menu order.
struct TKeyTypeEntry {
    const char* caption;
    uint8_t keyType;
};
constexpr TKeyTypeEntry kKeyTypeEntries[] = {
    {"&None", TImporterOptions::kNoKey},
    {"&Byte", ktByte},
    {"&Integer", ktInteger},
    {"&Large Integer", ktLongint},
    {"&Floating Point", ktFloat},
    {"Do&uble", ktDouble},
    {"&Currency", ktCurrency},
    {"&String", ktString},
    {"&Date", ktDate},
    {"Byte Se&quence", ktSequence},
    {"Bl&ob", ktBlob},
};

QCheckBox* NewCheckBox(const char* caption, const char* name, QWidget* parent) {
    auto* box = new QCheckBox(QString::fromLatin1(caption), parent);
    box->setObjectName(QString::fromLatin1(name));
    return box;
}

}  // namespace

int TRecordImporterForm::KeyTypeIconIndex(uint8_t keyType) {
    return keyType == TImporterOptions::kNoKey ? kNoKeyImage : KeyTypeImageIndex(keyType);
}

TRecordImporterForm::TRecordImporterForm(TImporterOptions& options, TKeyTypeIcon keyTypeIcon, QWidget* parent)
    : QDialog(parent), options_(options), keyTypeIcon_(std::move(keyTypeIcon)) {
    setObjectName(QStringLiteral("RecordImporterForm"));
    setWindowTitle(QStringLiteral("Import"));

    auto* fieldsLabel = new QLabel(QStringLiteral("&Data fields:"), this);
    fields_ = new QTreeWidget(this);
    fields_->setObjectName(QStringLiteral("Fields"));
    fields_->setColumnCount(2);
    fields_->setHeaderLabels({QStringLiteral("Destination Key Name"), QStringLiteral("Source Type")});
    fields_->setRootIsDecorated(false);
    fields_->setUniformRowHeights(true);
    fields_->setAllColumnsShowFocus(true);
    fields_->setSelectionMode(QAbstractItemView::SingleSelection);
    fields_->setSelectionBehavior(QAbstractItemView::SelectRows);
    // Names are edited through "Rename" (F2) only.
    fields_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    fields_->header()->setStretchLastSection(false);
    fields_->header()->setSectionsMovable(false);
    fields_->setColumnWidth(kNameColumn, kNameColumnWidth);
    fields_->setColumnWidth(kSourceTypeColumn, kSourceTypeColumnWidth);
    fields_->setFixedSize(340, 200);
    fieldsLabel->setBuddy(fields_);
    nameDelegate_ = new TFieldNameDelegate(fields_);
    fields_->setItemDelegateForColumn(kNameColumn, nameDelegate_);
    connect(nameDelegate_, &TFieldNameDelegate::EditorCreated, this,
            [this](QLineEdit* editor) { nameEditor_ = editor; });

    auto* optionsBox = new QGroupBox(QStringLiteral(" Options "), this);
    opt1_ = NewCheckBox("&Convert titles to mixed case", "xOpt1", optionsBox);
    opt2_ = NewCheckBox("Do not import &first field into key list", "xOpt2", optionsBox);
    opt3_ = NewCheckBox("Do not import &null or zero values", "xOpt3", optionsBox);
    // Shown for the user's information only: every record always becomes a new node.
    checkBox1_ = NewCheckBox("Do not &merge duplicate nodes", "CheckBox1", optionsBox);
    advancedBtn_ = new QPushButton(QStringLiteral("&Advanced..."), optionsBox);
    advancedBtn_->setObjectName(QStringLiteral("AdvancedBtn"));
    advancedBtn_->setAutoDefault(false);
    advancedBtn_->setEnabled(options_.OptionsForm() != nullptr);
    connect(advancedBtn_, &QPushButton::clicked, this, &TRecordImporterForm::AdvancedBtnClick);
    auto* optionsLayout = new QGridLayout(optionsBox);
    optionsLayout->addWidget(opt1_, 0, 0);
    optionsLayout->addWidget(opt2_, 1, 0);
    optionsLayout->addWidget(opt3_, 2, 0);
    optionsLayout->addWidget(checkBox1_, 3, 0);
    optionsLayout->addWidget(advancedBtn_, 3, 1, Qt::AlignRight | Qt::AlignBottom);
    optionsLayout->setColumnStretch(0, 1);

    const TDialogButtons okCancel = MakeOkCancelButtons(this);
    ok_ = okCancel.ok;
    cancel_ = okCancel.cancel;

    QHBoxLayout* buttons = okCancel.Row();
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(fieldsLabel);
    layout->addWidget(fields_);
    layout->addWidget(optionsBox);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    CreateMenu();
    opt1_->setChecked(options_.HasFlag(TImporterOptions::kMixedCaseTitles));
    opt2_->setChecked(options_.HasFlag(TImporterOptions::kFirstFieldNotKey));
    opt3_->setChecked(options_.HasFlag(TImporterOptions::kSkipEmptyValues));
    FillList();
    fields_->setFocus();
}

void TRecordImporterForm::CreateMenu() {
    popupMenu_ = new QMenu(this);
    popupMenu_->setObjectName(QStringLiteral("PopupMenu"));
    renameMI_ = popupMenu_->addAction(QStringLiteral("&Rename"));
    renameMI_->setObjectName(QStringLiteral("RenameMI"));
    renameMI_->setShortcut(QKeySequence(Qt::Key_F2));
    // F2 works while the list (or its editor) has the focus, as its menu's shortcut.
    renameMI_->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    fields_->addAction(renameMI_);
    connect(renameMI_, &QAction::triggered, this, &TRecordImporterForm::RenameMIClick);

    keyTypeMenu_ = popupMenu_->addMenu(QStringLiteral("Key &Type"));
    keyTypeMenu_->setObjectName(QStringLiteral("KeyType"));
    for (const TKeyTypeEntry& entry : kKeyTypeEntries) {
        QAction* item = keyTypeMenu_->addAction(QString::fromLatin1(entry.caption));
        item->setCheckable(true);
        item->setData(entry.keyType);
        const uint8_t keyType = entry.keyType;
        connect(item, &QAction::triggered, this, [this, keyType] { KeyTypeClick(keyType); });
        keyTypeItems_.push_back(item);
    }

    fields_->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(fields_, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        UpdateMenu();
        popupMenu_->popup(fields_->viewport()->mapToGlobal(at));
    });
    connect(fields_, &QTreeWidget::itemSelectionChanged, this, &TRecordImporterForm::UpdateMenu);
}

QAction* TRecordImporterForm::KeyTypeItem(uint8_t keyType) const {
    for (QAction* item : keyTypeItems_) {
        if (item->data().toInt() == keyType) return item;
    }
    return nullptr;
}

void TRecordImporterForm::FillList() {
    fields_->clear();
    for (int field = 0; field < options_.FieldCount(); ++field) {
        auto* item = new QTreeWidgetItem(fields_);
        item->setFlags(item->flags() | Qt::ItemIsEditable);
        item->setText(kNameColumn, FromLatin1(options_.KeyName(field)));
        item->setText(kSourceTypeColumn, FromLatin1(options_.SourceTypeText(field)));
        ShowKeyType(field, options_.KeyType(field));
    }
    UpdateMenu();
}

void TRecordImporterForm::ShowKeyType(int row, uint8_t keyType) {
    QTreeWidgetItem* item = fields_->topLevelItem(row);
    if (!item) return;
    item->setData(kNameColumn, kKeyTypeRole, keyType);
    item->setIcon(kNameColumn, keyTypeIcon_ ? keyTypeIcon_(keyType) : QIcon());
}

QString TRecordImporterForm::FieldKeyName(int field) const {
    const QTreeWidgetItem* item = fields_->topLevelItem(field);
    return item ? item->text(kNameColumn) : QString();
}

uint8_t TRecordImporterForm::FieldKeyType(int field) const {
    const QTreeWidgetItem* item = fields_->topLevelItem(field);
    return item ? static_cast<uint8_t>(item->data(kNameColumn, kKeyTypeRole).toUInt()) : TImporterOptions::kNoKey;
}

int TRecordImporterForm::SelectedRow() const {
    const QList<QTreeWidgetItem*> selected = fields_->selectedItems();
    return selected.isEmpty() ? -1 : fields_->indexOfTopLevelItem(selected.first());
}

void TRecordImporterForm::UpdateMenu() {
    const int row = SelectedRow();
    renameMI_->setEnabled(row >= 0);
    const uint8_t keyType = row >= 0 ? FieldKeyType(row) : TImporterOptions::kNoKey;
    for (QAction* item : keyTypeItems_) {
        item->setEnabled(row >= 0);
        item->setChecked(row >= 0 && item->data().toInt() == keyType);
    }
}

bool TRecordImporterForm::IsEditing() const { return nameEditor_ && nameEditor_->isVisible(); }

void TRecordImporterForm::FinishEdit() {
    if (!IsEditing()) return;
    QLineEdit* editor = nameEditor_;
    emit nameDelegate_->commitData(editor);
    emit nameDelegate_->closeEditor(editor, QAbstractItemDelegate::NoHint);
}

void TRecordImporterForm::RenameMIClick() {
    const int row = SelectedRow();
    if (row < 0 || IsEditing()) return;
    QTreeWidgetItem* item = fields_->topLevelItem(row);
    fields_->scrollToItem(item);
    fields_->editItem(item, kNameColumn);
}

void TRecordImporterForm::KeyTypeClick(uint8_t keyType) {
    const int row = SelectedRow();
    if (row < 0) return;
    ShowKeyType(row, keyType);
    UpdateMenu();
}

void TRecordImporterForm::AdvancedBtnClick() {
    TAdvancedImportOptions* advanced = options_.OptionsForm();
    if (!advanced) return;
    FinishEdit();
    TCSVOptionsForm form(*advanced, this);
    // The field list was rebuilt: show it as it now is. After Cancel the rows keep
    // whatever was chosen here.
    if (form.exec() == QDialog::Accepted) FillList();
}

void TRecordImporterForm::accept() {
    FinishEdit();
    const int count = std::min(options_.FieldCount(), fields_->topLevelItemCount());
    for (int field = 0; field < count; ++field) {
        options_.SetKeyName(field, ToLatin1(FieldKeyName(field)));
        options_.SetKeyType(field, FieldKeyType(field));
    }
    uint32_t flags = options_.Flags() & ~(TImporterOptions::kMixedCaseTitles | TImporterOptions::kFirstFieldNotKey |
                                          TImporterOptions::kSkipEmptyValues);
    if (opt1_->isChecked()) flags |= TImporterOptions::kMixedCaseTitles;
    if (opt2_->isChecked()) flags |= TImporterOptions::kFirstFieldNotKey;
    if (opt3_->isChecked()) flags |= TImporterOptions::kSkipEmptyValues;
    options_.SetFlags(flags);
    QDialog::accept();
}

void TRecordImporterForm::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (event->spontaneous()) return;
    // The source type column takes the rest of the list's width.
    const int scrollBar = fields_->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, fields_);
    fields_->setColumnWidth(
        kSourceTypeColumn,
        std::max(kSourceTypeColumnWidth, fields_->width() - fields_->columnWidth(kNameColumn) - scrollBar - 4));
    const QRect form = OwnerFormRect(parentWidget());
    if (!form.isNull()) move(CentredPosition(form, frameGeometry().size()));
}

void TRecordImporterForm::keyPressEvent(QKeyEvent* event) {
    const int key = event->key();
    if (IsEditing() && (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Escape)) {
        // The editor has taken the key (finished or cancelled the edit); the dialog stays.
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

}  // namespace kelmor
