#include "app/taboutform.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QShowEvent>
#include <QVBoxLayout>

#include "interchange/versiontext.h"
#include "ui/common.h"

namespace kelmor {

namespace {
// The version of the database format that this program writes.
constexpr int kDatabaseMajorVersion = 1;
constexpr int kDatabaseMinorVersion = 25;
}  // namespace

QString TAboutForm::ProgramVersionText() {
    return QStringLiteral("Program version ") + QString::fromStdString(VersionText());
}

QString TAboutForm::DatabaseVersionText() {
    return QStringLiteral("DB version %1.%2").arg(kDatabaseMajorVersion).arg(kDatabaseMinorVersion);
}

TAboutForm::TAboutForm(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("About"));
    auto* icon = new QLabel(this);
    icon->setPixmap(QApplication::windowIcon().pixmap(48, 48));
    icon->setAlignment(Qt::AlignTop | Qt::AlignHCenter);

    auto* name = new QLabel(QString::fromLatin1(kApplicationTitle), this);
    QFont bold = name->font();
    bold.setBold(true);
    bold.setPointSizeF(bold.pointSizeF() * 1.2);
    name->setFont(bold);
    auto* program = new QLabel(ProgramVersionText(), this);
    program->setObjectName(QStringLiteral("ProgramVersion"));
    auto* database = new QLabel(DatabaseVersionText(), this);
    database->setObjectName(QStringLiteral("DatabaseVersion"));
    auto* notice = new QLabel(QStringLiteral("Copyright \u00A9 Kelmor. All rights reserved.\n"
                                             "This program is provided as is, without warranty of any kind."),
                              this);
    notice->setObjectName(QStringLiteral("LegalNotice"));

    auto* texts = new QVBoxLayout;
    texts->addWidget(name);
    texts->addSpacing(6);
    texts->addWidget(program);
    texts->addWidget(database);
    texts->addSpacing(10);
    texts->addWidget(notice);
    auto* top = new QHBoxLayout;
    top->addWidget(icon);
    top->addSpacing(12);
    top->addLayout(texts, 1);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    buttons->setCenterButtons(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(16, 16, 16, 12);
    layout->addLayout(top);
    layout->addSpacing(14);  // the button stands clear of the notice
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

void TAboutForm::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (QWidget* main = MessageMainWindow()) move(CentredPosition(main->frameGeometry(), frameGeometry().size()));
}

}  // namespace kelmor
