#include "security/tinformationform.h"

#include <QDialogButtonBox>
#include <QEvent>
#include <QHeaderView>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include "engine/inforows.h"
#include "engine/tkelmor.h"
#include "ui/common.h"
#include "ui/guarded.h"

namespace kelmor {

TInformationForm::TInformationForm(TKelmorClass& database, QWidget* parent) : QDialog(parent), database_(database) {
    setObjectName(QStringLiteral("InformationForm"));
    setWindowTitle(QStringLiteral("Advanced Information"));
    QFont arial = font();
    arial.setFamily(QStringLiteral("Arial"));
    setFont(arial);

    list_ = new QTableWidget(kRows, 2, this);
    list_->setObjectName(QStringLiteral("List"));
    list_->setHorizontalHeaderLabels({QStringLiteral("Description"), QStringLiteral("Value")});
    list_->verticalHeader()->hide();
    list_->horizontalHeader()->setSectionsClickable(false);
    list_->horizontalHeader()->setHighlightSections(false);
    list_->setShowGrid(true);
    list_->setSelectionBehavior(QAbstractItemView::SelectRows);
    list_->setSelectionMode(QAbstractItemView::SingleSelection);
    list_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list_->setColumnWidth(0, kColumnWidth);
    list_->setColumnWidth(1, kColumnWidth);
    list_->verticalHeader()->setDefaultSectionSize(list_->fontMetrics().height() + 4);
    // The descriptions are fixed; the values come from the engine.
    const auto rows = InfoRows(TKelmorInfo{});
    for (int row = 0; row < kRows; ++row) {
        auto* description = new QTableWidgetItem(FromLatin1(rows[static_cast<size_t>(row)].first));
        list_->setItem(row, 0, description);
        list_->setItem(row, 1, new QTableWidgetItem(QString()));
    }
    const int frame = 2 * list_->frameWidth();
    list_->setFixedSize(2 * kColumnWidth + frame + 2,
                        list_->horizontalHeader()->height() + kRows * list_->rowHeight(0) + frame + 2);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    QPushButton* ok = buttons->button(QDialogButtonBox::Ok);
    ok->setDefault(true);
    // OK is the cancel button as well: Esc closes the dialog.
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(list_);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    ok->setFocus();
}

void TInformationForm::FillValues() {
    const auto rows = InfoRows(database_.GetInfo());
    for (int row = 0; row < kRows && row < static_cast<int>(rows.size()); ++row)
        list_->item(row, 1)->setText(FromLatin1(rows[static_cast<size_t>(row)].second));
}

void TInformationForm::FillValuesReporting() {
    Guarded([this] {
        try {
            FillValues();
        } catch (const std::exception&) {
            // Reported once: the error box itself activates the dialog again when it closes.
            if (errorShown_) return;
            errorShown_ = true;
            throw;
        }
    });
}

void TInformationForm::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    FillValuesReporting();
}

void TInformationForm::changeEvent(QEvent* event) {
    QDialog::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow()) FillValuesReporting();
}

}  // namespace kelmor
