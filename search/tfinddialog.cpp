#include "search/tfinddialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QShowEvent>
#include <QVBoxLayout>
#include <array>

#include "ui/common.h"
#include "ui/dialogbuttons.h"
#include "ui/latin1validator.h"

namespace kelmor {

namespace {

// The flag of each option box, S1 first.
constexpr std::array<uint16_t, 10> kOptionFlags = {sfNodeDescriptions, sfKeyNames,   sfKeyValues,    sfCaseSensitive,
                                                   sfWildcards,        sfWholeValue, sfSubNodesOnly, sfScanLinks,
                                                   sfPromptOnReplace,  sfReplaceAll};
constexpr int kFindOptions = 8;
// The flags that only a replace run reads: the find dialog leaves them as they were.
constexpr uint16_t kReplaceFlags = sfReplaceAll | sfPromptOnReplace;

// The option boxes whose settings depend on another one (by number).
constexpr int kWildcardsBox = 5, kWholeWordsBox = 6, kSubNodesBox = 7, kLinksBox = 8;

constexpr int kTextBoxWidth = 280;

QSettings ProgramSettings() { return QSettings(QStringLiteral("Kelmor"), QStringLiteral("Database Manager")); }

TSearchHistory LoadHistory(const char* group) {
    TSearchHistory history;
    QSettings settings = ProgramSettings();
    history.Load(settings, QString::fromLatin1(group));
    return history;
}

void SaveHistory(const TSearchHistory& history, const char* group) {
    QSettings settings = ProgramSettings();
    history.Save(settings, QString::fromLatin1(group));
}

QGroupBox* NewGroup(const QString& title, QWidget* parent) {
    auto* group = new QGroupBox(title, parent);
    auto* layout = new QVBoxLayout(group);
    layout->setAlignment(Qt::AlignTop);
    return group;
}

}  // namespace

// ---- Find --------------------------------------------------------------------------------------

TFindDialog::TFindDialog(const TKelmorSearch& state, QWidget* parent)
    : QDialog(parent), state_(state), findHistory_(LoadHistory(kFindHistoryGroup)) {
    setObjectName(QStringLiteral("FindDialog"));
    setWindowTitle(QStringLiteral("Find"));

    texts_ = new QGridLayout;
    texts_->setColumnStretch(1, 1);
    searchText_ =
        AddTextRow(QStringLiteral("&Search for:"), QStringLiteral("SearchText"), findHistory_, state_.searchText);

    auto* searchFor = NewGroup(QStringLiteral(" Search For "), this);
    AddOption(searchFor, QStringLiteral("&Node descriptions"));
    AddOption(searchFor, QStringLiteral("Key &descriptions"));
    AddOption(searchFor, QStringLiteral("Key &values"));
    auto* options = NewGroup(QStringLiteral(" Options "), this);
    AddOption(options, QStringLiteral("Cas&e sensitive"));
    AddOption(options, QStringLiteral("Allow &wildcards"));
    AddOption(options, QStringLiteral("W&hole words only"));
    scope_ = NewGroup(QStringLiteral(" Scope "), this);
    AddOption(scope_, QStringLiteral("Scan s&ub-nodes only"));
    AddOption(scope_, QStringLiteral("Scan into &links"));

    const TDialogButtons okCancel = MakeOkCancelButtons(this);
    ok_ = okCancel.ok;
    cancel_ = okCancel.cancel;

    auto* groups = new QHBoxLayout;
    groups->addWidget(searchFor);
    groups->addWidget(options);
    groups->addWidget(scope_);
    auto* left = new QVBoxLayout;
    left->addLayout(texts_);
    left->addLayout(groups);
    auto* buttons = new QVBoxLayout;
    buttons->addWidget(ok_);
    buttons->addWidget(cancel_);
    buttons->addStretch(1);
    auto* layout = new QHBoxLayout(this);
    layout->addLayout(left, 1);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    ApplyDependencies();
    FocusText(searchText_);
}

TFindDialog::~TFindDialog() { SaveHistory(findHistory_, kFindHistoryGroup); }

QCheckBox* TFindDialog::OptionBox(int number) const {
    return number >= 1 && number <= options_.size() ? options_[number - 1] : nullptr;
}

QComboBox* TFindDialog::AddTextRow(const QString& caption, const QString& objectName, const TSearchHistory& history,
                                   const std::string& text) {
    auto* box = new QComboBox(this);
    box->setObjectName(objectName);
    box->setEditable(true);
    // The list is the history, kept by the dialog itself; typing never completes from it,
    // so that the text searched is the text typed.
    box->setInsertPolicy(QComboBox::NoInsert);
    box->setCompleter(nullptr);
    box->setValidator(new TLatin1Validator(box));
    box->lineEdit()->setMaxLength(TSearchHistory::kMaxTextLength);
    box->addItems(history.Items());
    box->setEditText(FromLatin1(text));
    box->setMinimumWidth(kTextBoxWidth);

    auto* label = new QLabel(caption, this);
    label->setBuddy(box);
    const int row = texts_->count() / 2;  // a caption and a box per row
    texts_->addWidget(label, row, 0);
    texts_->addWidget(box, row, 1);
    return box;
}

QCheckBox* TFindDialog::AddOption(QGroupBox* group, const QString& caption) {
    auto* box = new QCheckBox(caption, group);
    const int number = static_cast<int>(options_.size()) + 1;
    box->setObjectName(QStringLiteral("S%1").arg(number));
    box->setChecked((state_.flags & kOptionFlags[number - 1]) != 0);
    group->layout()->addWidget(box);
    connect(box, &QCheckBox::clicked, this, &TFindDialog::ApplyDependencies);
    options_.append(box);
    return box;
}

void TFindDialog::ApplyDependencies() {
    QCheckBox* wholeWords = OptionBox(kWholeWordsBox);
    const bool wildcards = OptionBox(kWildcardsBox)->isChecked();
    if (wildcards) wholeWords->setChecked(false);
    wholeWords->setEnabled(!wildcards);

    QCheckBox* links = OptionBox(kLinksBox);
    const bool subNodes = OptionBox(kSubNodesBox)->isChecked();
    if (!subNodes) links->setChecked(false);
    links->setEnabled(subNodes);
}

void TFindDialog::StoreOptions(int first, int last) {
    for (int number = first; number <= last; ++number) {
        const uint16_t flag = kOptionFlags[number - 1];
        state_.flags = static_cast<uint16_t>(state_.flags & ~flag);
        if (OptionBox(number)->isChecked()) state_.flags |= flag;
    }
}

void TFindDialog::FocusText(QComboBox* box) {
    box->lineEdit()->selectAll();
    box->setFocus();
}

bool TFindDialog::ApplyOk() {
    const QString text = searchText_->currentText().left(TSearchHistory::kMaxTextLength);
    if (text.isEmpty()) {
        ShowCentredMessage(QStringLiteral("Please specify a search value."), TMessageKind::Error, QMessageBox::Ok,
                           this);
        FocusText(searchText_);
        return false;
    }
    state_.searchText = ToLatin1(text);
    findHistory_.Add(text);
    // Whatever else the state held (a broken-link search among it) ends here.
    state_.flags &= kReplaceFlags;
    StoreOptions(1, kFindOptions);
    return true;
}

void TFindDialog::accept() {
    if (ApplyOk()) QDialog::accept();
}

void TFindDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (shown_) return;
    shown_ = true;
    // Centred on the main window, where there is one.
    if (MessageMainWindow() != nullptr) move(CentredPosition(OwnerFormRect(nullptr), frameGeometry().size()));
    FocusText(searchText_);
}

// ---- Replace -----------------------------------------------------------------------------------

TReplaceDialog::TReplaceDialog(const TKelmorSearch& state, QWidget* parent)
    : TFindDialog(state, parent), replaceHistory_(LoadHistory(kReplaceHistoryGroup)) {
    setObjectName(QStringLiteral("ReplaceDialog"));
    setWindowTitle(QStringLiteral("Replace"));
    replaceText_ = AddTextRow(QStringLiteral("&Replace with:"), QStringLiteral("ReplaceText"), replaceHistory_,
                              state_.replacementText);
    QCheckBox* prompt = AddOption(ScopeGroup(), QStringLiteral("&Prompt on replace"));
    QCheckBox* all = AddOption(ScopeGroup(), QStringLiteral("Replace &All"));
    // Tab order as the boxes stand: the replace text under the search text, the new
    // options after the inherited ones.
    setTabOrder(SearchText(), replaceText_);
    setTabOrder(OptionBox(kFindOptions), prompt);
    setTabOrder(prompt, all);
}

TReplaceDialog::~TReplaceDialog() { SaveHistory(replaceHistory_, kReplaceHistoryGroup); }

bool TReplaceDialog::ApplyOk() {
    if (!TFindDialog::ApplyOk()) return false;
    const QString text = replaceText_->currentText().left(TSearchHistory::kMaxTextLength);
    if (text.isEmpty()) {
        ShowCentredMessage(QStringLiteral("Please specify a replace value."), TMessageKind::Error, QMessageBox::Ok,
                           this);
        FocusText(replaceText_);
        return false;
    }
    state_.replacementText = ToLatin1(text);
    replaceHistory_.Add(text);
    StoreOptions(kFindOptions + 1, kFindOptions + 2);
    return true;
}

}  // namespace kelmor
