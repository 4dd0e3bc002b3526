#include "editors/tkeyeditorform.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <stdexcept>

#include "editors/tblobkeyeditor.h"
#include "editors/tcurrencykeyeditor.h"
#include "editors/tdatekeyeditor.h"
#include "editors/tfloatkeyeditor.h"
#include "editors/tintegerkeyeditor.h"
#include "editors/tsequencekeyeditor.h"
#include "editors/tstringkeyeditor.h"
#include "engine/keytypes.h"
#include "ui/common.h"

namespace kelmor {

namespace {

constexpr int kBorderWidth = 8;
constexpr int kFrameMargin = 2;  // around the frame, inside the dialog's border
constexpr int kDescriptionHeight = 65;
constexpr int kButtonPanelHeight = 41;
constexpr int kButtonWidth = 73;
constexpr int kButtonHeight = 25;
constexpr int kButtonTop = 16;

}  // namespace

QString TKeyEditorForm::TypeName(uint8_t keyType) {
    switch (keyType) {
        case ktByte: return QStringLiteral("byte");
        case ktInteger: return QStringLiteral("integer");
        case ktLongint: return QStringLiteral("longint");
        case ktFloat: return QStringLiteral("float");
        case ktString: return QStringLiteral("string");
        case ktSequence: return QStringLiteral("sequence");
        case ktBlob: return QStringLiteral("blob");
        case ktCurrency: return QStringLiteral("currency");
        case ktDouble: return QStringLiteral("double");
        case ktDate: return QStringLiteral("datetime");
        default: return QString();
    }
}

TCommonKeyFrame* TKeyEditorForm::CreateFrame(QWidget* parent, bool readOnly, int& length, QByteArray& buffer,
                                             uint8_t keyType, const TImageStrip& images,
                                             const TRegionalSettings& settings) {
    switch (keyType) {
        case ktByte:
        case ktInteger:
        case ktLongint: return new TIntegerKeyEditor(parent, readOnly, length, buffer, keyType, images, settings);
        case ktFloat:
        case ktDouble: return new TFloatKeyEditor(parent, readOnly, length, buffer, keyType, images, settings);
        case ktString: return new TStringKeyEditor(parent, readOnly, length, buffer, keyType, images, settings);
        case ktSequence: return new TSequenceKeyEditor(parent, readOnly, length, buffer, keyType, images, settings);
        case ktBlob: return new TBlobKeyEditor(parent, readOnly, length, buffer, keyType, images, settings);
        case ktCurrency: return new TCurrencyKeyEditor(parent, readOnly, length, buffer, keyType, images, settings);
        case ktDate: return new TDateKeyEditor(parent, readOnly, length, buffer, keyType, images, settings);
        default: throw std::invalid_argument("key type");
    }
}

TKeyEditorForm::TKeyEditorForm(QWidget* owner, bool readOnly, int& length, QByteArray& buffer, const QString& keyName,
                               uint8_t keyType, const TImageStrip& images, const TRegionalSettings& settings)
    : QDialog(owner), readOnly_(readOnly) {
    setObjectName(QStringLiteral("KeyEditorForm"));
    const QString typeName = TypeName(keyType);
    if (typeName.isEmpty()) throw std::invalid_argument("key type");
    setWindowTitle(QStringLiteral("Edit ") + typeName.left(1).toUpper() + typeName.mid(1) + QStringLiteral(" Value"));

    auto* top = new QWidget(this);
    top->setObjectName(QStringLiteral("DescriptionPanel"));
    auto* host = new QWidget(this);
    host->setObjectName(QStringLiteral("FrameHost"));
    auto* bottom = new QWidget(this);
    bottom->setObjectName(QStringLiteral("ButtonPanel"));

    frame_ = CreateFrame(host, readOnly, length, buffer, keyType, images, settings);
    frame_->ConnectValueLabel();
    frame_->move(kFrameMargin, kFrameMargin);

    // The dialog fits its frame: a fixed border round the description, the frame and the buttons.
    const int panelWidth = frame_->width() + 2 * kFrameMargin;
    const int hostHeight = frame_->height() + 2 * kFrameMargin;
    top->setGeometry(kBorderWidth, kBorderWidth, panelWidth, kDescriptionHeight);
    host->setGeometry(kBorderWidth, kBorderWidth + kDescriptionHeight, panelWidth, hostHeight);
    bottom->setGeometry(kBorderWidth, kBorderWidth + kDescriptionHeight + hostHeight, panelWidth, kButtonPanelHeight);
    setFixedSize(panelWidth + 2 * kBorderWidth,
                 kDescriptionHeight + hostHeight + kButtonPanelHeight + 2 * kBorderWidth);

    auto* descriptionLabel = new QLabel(QStringLiteral("Key Description:"), top);
    descriptionLabel->move(24, 8);
    description_ = new QLineEdit(top);
    description_->setObjectName(QStringLiteral("KeyDescription"));
    description_->setMaxLength(255);
    description_->setText(keyName.left(255));
    description_->setCursorPosition(0);
    description_->setReadOnly(true);
    description_->setFocusPolicy(Qt::NoFocus);
    QPalette parentColour = description_->palette();
    parentColour.setColor(QPalette::Base, palette().color(QPalette::Window));
    description_->setPalette(parentColour);
    description_->setGeometry(24, 24, panelWidth - 24 - 12, 21);

    ok_ = new QPushButton(QStringLiteral("OK"), bottom);
    ok_->setObjectName(QStringLiteral("OkButton"));
    cancel_ = new QPushButton(QStringLiteral("Cancel"), bottom);
    cancel_->setObjectName(QStringLiteral("CancelButton"));
    connect(ok_, &QPushButton::clicked, this, &TKeyEditorForm::accept);
    connect(cancel_, &QPushButton::clicked, this, &QDialog::reject);
    const int half = kButtonWidth / 2;
    if (readOnly) {
        ok_->hide();
        ok_->setAutoDefault(false);
        cancel_->setText(QStringLiteral("Close"));
        cancel_->setDefault(true);
        cancel_->setGeometry(panelWidth / 2 - half, kButtonTop, kButtonWidth, kButtonHeight);
    } else {
        ok_->setDefault(true);
        ok_->setGeometry((panelWidth / 7) * 2 - half, kButtonTop, kButtonWidth, kButtonHeight);
        cancel_->setGeometry((panelWidth / 7) * 5 - half, kButtonTop, kButtonWidth, kButtonHeight);
    }
    if (readOnly) cancel_->setFocus();
    else frame_->ValueControl()->setFocus();
}

void TKeyEditorForm::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (shown_) return;
    shown_ = true;
    // Centred on the main window, where there is one.
    if (MessageMainWindow() != nullptr) move(CentredPosition(OwnerFormRect(nullptr), frameGeometry().size()));
    if (readOnly_) cancel_->setFocus();
    else frame_->ValueControl()->setFocus();
}

void TKeyEditorForm::accept() {
    // A read-only dialog has nothing to store.
    if (readOnly_) {
        reject();
        return;
    }
    if (!frame_->SaveValue()) return;
    QDialog::accept();
}

}  // namespace kelmor
