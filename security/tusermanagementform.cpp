#include "security/tusermanagementform.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QPushButton>
#include <QStyledItemDelegate>
#include <QVBoxLayout>

#include "engine/tkelmor.h"
#include "security/tedituserform.h"
#include "ui/common.h"
#include "ui/guarded.h"

namespace kelmor {

namespace {

// Draws an entry as its slot number and "." at 2 pixels from the left and the user
// name at 2 pixels plus the width of "XXX", both 1 pixel below the entry's top.
class TUserSlotDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        QStyleOptionViewItem item = option;
        initStyleOption(&item, index);
        item.text.clear();
        const QWidget* widget = option.widget;
        QStyle* style = widget ? widget->style() : nullptr;
        if (style) style->drawControl(QStyle::CE_ItemViewItem, &item, painter, widget);

        const bool selected = option.state & QStyle::State_Selected;
        painter->save();
        painter->setPen(option.palette.color(selected ? QPalette::HighlightedText : QPalette::Text));
        const QFontMetrics metrics(option.font);
        const int top = option.rect.top() + 1;
        const QRect numberRect(option.rect.left() + 2, top, option.rect.width() - 2, metrics.height());
        painter->drawText(numberRect, Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine,
                          QString::number(index.row() + 1) + QLatin1Char('.'));
        const int nameLeft = option.rect.left() + 2 + metrics.horizontalAdvance(QStringLiteral("XXX"));
        const QRect nameRect(nameLeft, top, option.rect.right() - nameLeft, metrics.height());
        painter->drawText(nameRect, Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, index.data().toString());
        painter->restore();
    }

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        QSize size = QStyledItemDelegate::sizeHint(option, index);
        size.setHeight(std::max(size.height(), QFontMetrics(option.font).height() + 4));
        return size;
    }
};

}  // namespace

TUserManagementForm::TUserManagementForm(TKelmorClass& database, QWidget* parent)
    : QDialog(parent), database_(database) {
    setWindowTitle(QStringLiteral("User Management"));
    userList_ = new QListWidget(this);
    userList_->setObjectName(QStringLiteral("UserList"));
    userList_->setItemDelegate(new TUserSlotDelegate(userList_));
    userList_->setSelectionMode(QAbstractItemView::SingleSelection);

    editSelected_ = new QPushButton(QStringLiteral("C&hange"), this);
    editSelected_->setObjectName(QStringLiteral("EditSelected"));
    clearItem_ = new QPushButton(QStringLiteral("C&lear"), this);
    clearItem_->setObjectName(QStringLiteral("ClearItem"));
    auto* close = new QPushButton(QStringLiteral("Close"), this);
    close->setDefault(true);
    editSelected_->setAutoDefault(false);
    clearItem_->setAutoDefault(false);

    connect(editSelected_, &QPushButton::clicked, this, &TUserManagementForm::EditSelectedClick);
    connect(clearItem_, &QPushButton::clicked, this, &TUserManagementForm::ClearItemClick);
    connect(close, &QPushButton::clicked, this, &QDialog::reject);
    connect(userList_, &QListWidget::itemDoubleClicked, this, [this] { EditSelectedClick(); });

    auto* side = new QVBoxLayout;
    side->addWidget(editSelected_);
    side->addWidget(clearItem_);
    side->addStretch(1);
    side->addWidget(close);
    auto* layout = new QHBoxLayout(this);
    layout->addWidget(userList_, 1);
    layout->addLayout(side);

    FillList();
    // Exactly the five slots, no empty space below them.
    userList_->setFixedHeight(kUserSlots * userList_->sizeHintForRow(0) + 2 * userList_->frameWidth());
    userList_->setMinimumWidth(230);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

void TUserManagementForm::FillList() {
    userList_->clear();
    for (int slot = 1; slot <= kUserSlots; ++slot) userList_->addItem(FromLatin1(database_.GetUserName(slot)));
    userList_->setCurrentRow(0);
}

int TUserManagementForm::SelectedRow() const {
    const QList<QListWidgetItem*> selected = userList_->selectedItems();
    return selected.isEmpty() ? -1 : userList_->row(selected.first());
}

void TUserManagementForm::EditSelectedClick() {
    Guarded([this] {
        const int row = SelectedRow();
        if (row < 0) return;
        TEditUserForm editor(this);
        editor.Username()->setText(userList_->item(row)->text());
        if (editor.exec() != QDialog::Accepted) return;
        if (editor.NewPasswordText().isEmpty() &&
            ShowCentredMessage(QStringLiteral("New password blank.\n\nAre you sure ?"), TMessageKind::Warning,
                               QMessageBox::Yes | QMessageBox::No, this) != QMessageBox::Yes)
            return;
        database_.SetUser(row + 1, ToLatin1(editor.UsernameText()), ToLatin1(editor.NewPasswordText()));
        userList_->item(row)->setText(editor.UsernameText());
    });
}

void TUserManagementForm::ClearItemClick() {
    Guarded([this] {
        const int row = SelectedRow();
        if (row <= 0) {
            ShowCentredMessage(QStringLiteral("Must have a level 1 username."), TMessageKind::Error, QMessageBox::Ok,
                               this);
            return;
        }
        database_.SetUser(row + 1, std::string(), std::string());
        userList_->item(row)->setText(QString());
    });
}

}  // namespace kelmor
