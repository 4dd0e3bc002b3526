#include "security/tloginform.h"

#include <QApplication>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QFrame>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

#include "engine/userblock.h"
#include "security/textbox.h"

namespace kelmor {

namespace {
constexpr int kMaxLogonText = 255;
}

QString TLoginForm::BuiltInUserName() {
    const QString word = QString::fromLatin1(kBuiltInUserWord);
    return word.left(1).toUpper() + word.mid(1).toLower();
}

TLoginForm::TLoginForm(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("Logon to Database"));

    auto* picture = new QLabel(this);
    picture->setFrameShape(QFrame::StyledPanel);
    picture->setFrameShadow(QFrame::Sunken);
    picture->setAlignment(Qt::AlignCenter);
    picture->setFixedSize(52, 52);
    const QIcon icon = QApplication::windowIcon().isNull() ? style()->standardIcon(QStyle::SP_DriveHDIcon)
                                                           : QApplication::windowIcon();
    picture->setPixmap(icon.pixmap(32, 32));

    database_ = new QLabel(this);
    database_->setObjectName(QStringLiteral("xDatabase"));
    database_->setTextFormat(Qt::PlainText);
    QFont bold = database_->font();
    bold.setBold(true);
    database_->setFont(bold);

    username_ = NewTextBox(this, kMaxLogonText, false);
    username_->setObjectName(QStringLiteral("xUsername"));
    username_->setText(BuiltInUserName());
    password_ = NewTextBox(this, kMaxLogonText, true);
    password_->setObjectName(QStringLiteral("xPassword"));
    readOnly_ = new QCheckBox(QStringLiteral("Open &Read Only"), this);
    readOnly_->setObjectName(QStringLiteral("xDBReadOnly"));

    auto* fields = new QFormLayout;
    auto* userLabel = new QLabel(QStringLiteral("&Username:"), this);
    userLabel->setBuddy(username_);
    auto* passwordLabel = new QLabel(QStringLiteral("&Password:"), this);
    passwordLabel->setBuddy(password_);
    fields->addRow(QStringLiteral("Database:"), database_);
    fields->addRow(userLabel, username_);
    fields->addRow(passwordLabel, password_);
    fields->addRow(QString(), readOnly_);

    auto* top = new QHBoxLayout;
    top->addWidget(picture, 0, Qt::AlignTop);
    top->addSpacing(8);
    top->addLayout(fields, 1);

    auto* buttons = new QDialogButtonBox(this);
    ok_ = buttons->addButton(QDialogButtonBox::Ok);
    QPushButton* cancel = buttons->addButton(QDialogButtonBox::Cancel);
    // Enter only presses OK once OK has the focus.
    ok_->setDefault(false);
    ok_->setAutoDefault(true);
    cancel->setAutoDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(buttons);
    setMinimumWidth(360);

    username_->installEventFilter(this);
    password_->installEventFilter(this);
    setTabOrder(username_, password_);
    setTabOrder(password_, readOnly_);
    username_->setFocus();
    username_->selectAll();
}

void TLoginForm::setVisible(bool visible) {
    QDialog::setVisible(visible);
    // Showing a dialog makes its first auto-default button the default; not here.
    if (visible) ok_->setDefault(false);
}

void TLoginForm::SetDatabaseName(const QString& fileName) { database_->setText(fileName); }

QString TLoginForm::UserName() const { return username_->text(); }
QString TLoginForm::Password() const { return password_->text(); }
bool TLoginForm::ReadOnly() const { return readOnly_->isChecked(); }

bool TLoginForm::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            if (watched == username_) {
                password_->setFocus();
                return true;
            }
            if (watched == password_) {
                ok_->setFocus();
                return true;
            }
        }
    }
    return QDialog::eventFilter(watched, event);
}

}  // namespace kelmor
